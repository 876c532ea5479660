#!/usr/bin/env bash
# Builds and runs every benchmark; each prints its ratios against a floor measured in the same run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLMAR_BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
for b in "$build"/bench/*_bench; do
    echo "== $(basename "$b")"
    "$b" "$@"
done
echo "== compare_taskwarrior.sh"
QUILLMAR_BIN="$build/quillmar" bash "$root/bench/compare_taskwarrior.sh"
