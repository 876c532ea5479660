#!/usr/bin/env bash
# Checks that the C++ files of the folders below are formatted as .clang-format says (clang-format 14).
# With --fix, formats them instead.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

CHECKED=(src tests bench fuzz)

fix=0
[ "${1:-}" = "--fix" ] && fix=1
formatter="$(command -v clang-format-14 || command -v clang-format || true)"
if [ -z "$formatter" ]; then
    echo "check-format.sh: clang-format is needed (scripts/setup.sh installs it)" >&2
    exit 1
fi

files=()
while IFS= read -r f; do
    files+=("$f")
done < <(find "${CHECKED[@]}" -type f \( -name '*.cpp' -o -name '*.h' \) | sort)

if [ $fix -eq 1 ]; then
    "$formatter" -i "${files[@]}"
    exit 0
fi
bad=0
for f in "${files[@]}"; do
    if ! "$formatter" "$f" | cmp -s - "$f"; then
        echo "not formatted: $f" >&2
        bad=1
    fi
done
[ $bad -eq 0 ] && echo "check-format.sh: ${#files[@]} files formatted"
[ $bad -eq 1 ] && echo "check-format.sh: run scripts/check-format.sh --fix" >&2
exit $bad
