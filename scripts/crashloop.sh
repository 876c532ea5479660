#!/usr/bin/env bash
# Kills the real program with SIGKILL at random moments, again and again, against a throw-away data
# folder, and checks after each round that the list still reads, that its item count never went down nor
# past what was imported, and, after a last clean run, that no file of an unfinished save is left.
# Usage: crashloop.sh [ROUNDS] (default 30). The program comes from $QUILLMAR_BUILD_DIR or build/.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLMAR_BUILD_DIR:-$root/build}"
bin="$build/quillmar"
rounds="${1:-30}"
if [[ ! -x "$bin" ]]; then
    echo "crashloop: $bin is missing; run scripts/build.sh first" >&2
    exit 2
fi
export QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 LC_ALL=C.UTF-8
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
data="$work/data"
mkdir -p "$data" # commands need an existing data folder; only the window makes one
csv="$work/rows.csv"
# Rows large enough that a save takes a moment, so that kills land inside it too.
for i in $(seq 1 4000); do printf 'item %d with some text to make the row longer,%d,,,,,,\r\n' "$i" "$((i % 9))"; done >"$csv"
per_import=4000

violations=0
imported=0
last=0
kills=0
# With pipefail, a --print that fails (a list it cannot read) fails the count.
count_items() {
    "$bin" --data-dir "$data" --print | wc -l
}
for round in $(seq 1 "$rounds"); do
    # A fraction of a second: before, during or after the save.
    delay="$(awk -v r="$RANDOM" 'BEGIN { printf "%.3f", (r % 300) / 1000 }')"
    if ((round % 4 == 0)); then
        "$bin" --data-dir "$data" >/dev/null 2>&1 &
    else
        "$bin" --data-dir "$data" --import-csv "$csv" >/dev/null 2>&1 &
        imported=$((imported + per_import))
    fi
    pid=$!
    sleep "$delay"
    if kill -KILL "$pid" 2>/dev/null; then kills=$((kills + 1)); fi
    wait "$pid" 2>/dev/null
    if ! items="$(count_items)"; then
        echo "round $round: the list does not read" >&2
        violations=$((violations + 1))
        continue
    fi
    if ((items < last)); then
        echo "round $round: items went down from $last to $items" >&2
        violations=$((violations + 1))
    fi
    if ((items > imported)); then
        echo "round $round: $items items, more than the $imported imported" >&2
        violations=$((violations + 1))
    fi
    last=$items
done

crashed="$(find "$data" -maxdepth 1 -name '*.quillmar-tmp' | wc -l)"
# A clean run under the folder's lock removes what the killed saves left.
"$bin" --data-dir "$data" --import-csv "$csv" >/dev/null 2>&1 || {
    echo "the final import failed" >&2
    violations=$((violations + 1))
}
left="$(find "$data" -maxdepth 1 -name '*.quillmar-tmp' | wc -l)"
if ((left > 0)); then
    echo "$left temporary files left in the data folder after a clean run" >&2
    violations=$((violations + 1))
fi
echo "crashloop: $rounds rounds, $kills killed while running, $last items kept of $imported imported," \
    "$crashed temporary files of killed saves, $left left after a clean run, $violations violations"
((violations == 0))
