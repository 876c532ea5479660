#!/usr/bin/env bash
# Configures and builds Quillmar into build/ (or $QUILLMAR_BUILD_DIR), with every test and check.
# "--program" builds the program alone and installs only what that needs.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLMAR_BUILD_DIR:-$root/build}"
if [ "${1:-}" = "--program" ]; then
    bash "$root/scripts/setup.sh" --program
    options=(-DQUILLMAR_BUILD_TESTS=OFF -DQUILLMAR_BUILD_BENCH=OFF)
else
    bash "$root/scripts/setup.sh"
    options=(-DQUILLMAR_BUILD_TESTS=ON -DQUILLMAR_BUILD_BENCH=ON)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
