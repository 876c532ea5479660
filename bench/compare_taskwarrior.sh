#!/usr/bin/env bash
# The same workload of 100,000 items (ITEMS to change it) through Quillmar's command line and, where
# Taskwarrior is installed, through Taskwarrior: import them, export them, list them sorted by due date,
# add one more. Prints the seconds of each and the ratio Quillmar / Taskwarrior.
#
#   bash bench/compare_taskwarrior.sh                        Quillmar's figures (and Taskwarrior's if installed)
#   bash bench/compare_taskwarrior.sh --install-taskwarrior  installs the Debian package taskwarrior first
#
# QUILLMAR_BIN names the program (default: build/quillmar, or $QUILLMAR_BUILD_DIR/quillmar).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
quillmar="${QUILLMAR_BIN:-${QUILLMAR_BUILD_DIR:-$root/build}/quillmar}"
items="${ITEMS:-100000}"

if [ "${1:-}" = "--install-taskwarrior" ]; then
    if ! command -v task >/dev/null; then
        sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        $sudo apt-get install -y taskwarrior
    fi
elif [ -n "${1:-}" ]; then
    echo "usage: $0 [--install-taskwarrior]" >&2
    exit 2
fi
if [ ! -x "$quillmar" ]; then
    echo "$quillmar is not built (bash scripts/build.sh)" >&2
    exit 1
fi

work="$(mktemp -d)"
mkdir -p "$work/quillmar" # commands need an existing data folder
trap 'rm -rf "$work"' EXIT

# The workload: the same items as a CSV file for Quillmar and as JSON for Taskwarrior. Dates are written as
# yyyy-MM-dd, which Quillmar reads in every locale.
python3 - "$items" "$work" <<'EOF'
import json, sys
count, work = int(sys.argv[1]), sys.argv[2]
actions = ["Call the plumber about the leaking kitchen tap", "Prepare slides for the quarterly review",
           "Renew the car insurance", "Order new toner and paper for the printer",
           "Book train tickets to Hamburg for the trade fair"]
projects = ["Household", "Review", "Car", "Office", "Fair"]
with open(f"{work}/items.csv", "w", newline="") as csv, open(f"{work}/items.json", "w") as js:
    js.write("[\n")
    for i in range(count):
        action = f"{actions[i % 5]} {i}"
        due = f"2026-{i % 12 + 1:02d}-{i % 28 + 1:02d}"
        project = projects[(i // 3) % 5]
        csv.write(f"{action},{i % 5 + 1},2026-01-02,{due},Remarks for item {i},Anna,{project},,,\r\n")
        task = {"uuid": f"00000000-0000-4000-8000-{i:012d}", "description": action, "status": "pending",
                "entry": "20260102T000000Z", "due": due.replace("-", "") + "T000000Z", "project": project}
        js.write(("," if i else "") + json.dumps(task) + "\n")
    js.write("]\n")
with open(f"{work}/one.csv", "w", newline="") as one:
    one.write("One more thing to do,1,2026-01-02,2026-12-24,,,,,,\r\n")
EOF

seconds() { # runs the command, prints its wall time in seconds
    local start end
    start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1
    end=$EPOCHREALTIME
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

q() { "$quillmar" --data-dir "$work/quillmar" "$@"; }
declare -A quill task
quill[import]=$(seconds q --import-csv "$work/items.csv")
quill[export]=$(seconds q --export-csv "$work/quillmar-export.csv")
quill[listing]=$(seconds q --print --sort target)
quill[add]=$(seconds q --import-csv "$work/one.csv")

have_task=0
if command -v task >/dev/null; then
    have_task=1
    export TASKRC="$work/taskrc" TASKDATA="$work/task"
    mkdir -p "$TASKDATA"
    printf 'data.location=%s\nconfirmation=off\nverbose=nothing\nhooks=off\ngc=off\nrecurrence=off\njson.array=on\n' \
        "$TASKDATA" >"$TASKRC"
    t() { task rc.confirmation=off "$@"; }
    task[import]=$(seconds t import "$work/items.json")
    task[export]=$(seconds t export)
    task[listing]=$(seconds t rc.defaultwidth=200 rc.report.list.sort=due+ list)
    task[add]=$(seconds t add "One more thing to do" due:2026-12-24)
fi

printf '%d items (seconds of wall time, one run each on this machine)\n' "$items"
printf '  %-28s %10s %12s %8s\n' operation quillmar taskwarrior ratio
for op in import export listing add; do
    case $op in
        import) name="import" ;;
        export) name="export" ;;
        listing) name="listing sorted by due date" ;;
        add) name="add one item" ;;
    esac
    if [ "$have_task" = 1 ]; then
        ratio=$(awk -v a="${quill[$op]}" -v b="${task[$op]}" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }')
        printf '  %-28s %10s %12s %7sx\n' "$name" "${quill[$op]}" "${task[$op]}" "$ratio"
    else
        printf '  %-28s %10s %12s %8s\n' "$name" "${quill[$op]}" "-" "-"
    fi
done
[ "$have_task" = 1 ] || echo "  (Taskwarrior is not installed: --install-taskwarrior installs it)"
