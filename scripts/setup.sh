#!/usr/bin/env bash
# Installs the Debian packages Quillmar needs to build, test and run, and the clang tools of the checks
# (formatting, sanitizers, fuzzers); only what is missing. libical reads iCalendar, nettle hashes the UIDs
# of the iCalendar export, xxhash the history's records; in the tests python3-icalendar reads the export
# back and writes to-dos for the import, and tidy checks the HTML page.
# The locales en_US.UTF-8 and de_DE.UTF-8 are generated for the tests that run the program under several
# locales.
set -euo pipefail

# What building and running the program needs; "--program" installs only these.
PROGRAM_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-qpa-plugins libgl1-mesa-dev
    qt6-translations-l10n
    libical-dev nettle-dev libxxhash-dev qtkeychain-qt6-dev
)
# What the tests, checks, benchmarks and the package need besides.
CHECK_PACKAGES=(
    libgtest-dev libgmock-dev libbenchmark-dev
    python3-icalendar tidy
    radicale xandikos
    xvfb xauth
    dbus gnome-keyring
    desktop-file-utils appstream shared-mime-info
    debhelper dpkg-dev lintian
    clang clang-format libclang-rt-14-dev
    locales
)
PACKAGES=("${PROGRAM_PACKAGES[@]}")
TEST_LOCALES=(en_US.UTF-8 de_DE.UTF-8)
if [ "${1:-}" = "--program" ]; then
    TEST_LOCALES=()
else
    PACKAGES+=("${CHECK_PACKAGES[@]}")
fi

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
missing_locales=()
for l in "${TEST_LOCALES[@]}"; do
    locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}" || missing_locales+=("$l")
done
[ ${#missing[@]} -eq 0 ] && [ ${#missing_locales[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    SUDO=()
elif command -v sudo >/dev/null 2>&1; then
    SUDO=(sudo)
else
    echo "Quillmar needs these packages, and installing them needs root: ${missing[*]}" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    "${SUDO[@]}" apt-get update -qq
    "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
for l in "${missing_locales[@]}"; do
    echo "Generating the locale $l"
    "${SUDO[@]}" sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen
done
[ ${#missing_locales[@]} -eq 0 ] || "${SUDO[@]}" locale-gen
