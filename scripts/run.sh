#!/usr/bin/env bash
# Sets up, builds and starts Quillmar. Arguments are passed on to the program.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLMAR_BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh" --program
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<MSG
Quillmar is built ($build/quillmar), but there is no display to show its window on.
Run it on a virtual display instead:
    xvfb-run -a -s '-screen 0 1280x800x24' $build/quillmar
MSG
    exit 1
fi
exec "$build/quillmar" "$@"
