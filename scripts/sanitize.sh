#!/usr/bin/env bash
# Builds everything (the core, the window and all their tests) with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ (or $QUILLMAR_ASAN_BUILD_DIR) and runs every test, the window
# tests on the offscreen platform; any report fails the run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLMAR_ASAN_BUILD_DIR:-$root/build-asan}"
jobs="${QUILLMAR_JOBS:-$(nproc)}"
bash "$root/scripts/setup.sh"
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# -O1 keeps the window tests fast enough under the sanitizers; Debug alone doubles their time.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
    -DQUILLMAR_SANITIZE=ON -DQUILLMAR_BUILD_GUI=ON -DQUILLMAR_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" --parallel "$jobs"
cd "$build"
export QT_QPA_PLATFORM=offscreen
# Leaks are looked for in our code, not in the libraries Qt loads (fontconfig, the platform plugin).
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp:print_suppressions=0}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
# The crash test's ten thousand crashes take about 200 s under the sanitizers, near its time limit on a
# loaded machine; the plain test run makes them all, and a third finds the same kinds of memory fault here.
export QUILLMAR_CRASH_RUNS="${QUILLMAR_CRASH_RUNS:-3000}"
ctest --output-on-failure --timeout 900 -j "$jobs"
