#!/usr/bin/env bash
# Builds the libFuzzer programs of fuzz/ with clang into build-fuzz/ (or $QUILLMAR_FUZZ_BUILD_DIR) and runs
# each for SECONDS seconds (default 60) on a copy of its seed corpus; new inputs stay in build-fuzz/corpus.
# Usage: scripts/fuzz.sh [SECONDS] [NAME...]   NAME: listfile history csv ini date (default: all)
# Prints the executions each fuzzer made. Exit status 1 when a fuzzer found a fault (its input is kept in
# build-fuzz/crashes).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLMAR_FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${1:-60}"
shift || true
names=("$@")
[ ${#names[@]} -eq 0 ] && names=(listfile history csv ini date)

if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz.sh: clang++ is needed (scripts/setup.sh installs it)" >&2
    exit 1
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DQUILLMAR_BUILD_FUZZERS=ON -DQUILLMAR_BUILD_GUI=OFF -DQUILLMAR_BUILD_TESTS=OFF -DQUILLMAR_BUILD_BENCH=OFF >/dev/null
targets=()
for n in "${names[@]}"; do targets+=("fuzz_$n"); done
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"

status=0
mkdir -p "$build/crashes"
for n in "${names[@]}"; do
    corpus="$build/corpus/$n"
    mkdir -p "$corpus"
    cp -n "$root/fuzz/corpus/$n/"* "$corpus/" 2>/dev/null || true
    log="$build/fuzz_$n.log"
    # Deterministic tests run in the short CI runs too: one worker, bounded input size and memory.
    if "$build/fuzz/fuzz_$n" "$corpus" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 -timeout=10 \
        -artifact_prefix="$build/crashes/$n-" -print_final_stats=1 >"$log" 2>&1; then
        result=ok
    else
        result=FAILED
        status=1
        tail -n 40 "$log" >&2
    fi
    execs="$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')"
    echo "fuzz_$n: ${execs:-?} executions in ${seconds}s: $result"
done
exit $status
