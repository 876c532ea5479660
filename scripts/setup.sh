#!/usr/bin/env bash
# Installs the Debian packages Quillmar needs to build, test and run, and the clang tools of the checks
# (formatting, sanitizers, fuzzers); only what is missing. python3-icalendar reads the iCalendar export
# back in the tests.
set -euo pipefail

PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-qpa-plugins libgl1-mesa-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    python3-icalendar
    xvfb xauth
    desktop-file-utils appstream shared-mime-info
    debhelper dpkg-dev lintian
    clang clang-format libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    SUDO=()
elif command -v sudo >/dev/null 2>&1; then
    SUDO=(sudo)
else
    echo "Quillmar needs these packages, and installing them needs root: ${missing[*]}" >&2
    exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
