#!/usr/bin/env bash
# Builds the Debian package of Quillmar offline: quillmar_VERSION_ARCH.deb and its debug symbols
# (quillmar-dbgsym_VERSION_ARCH.deb) land in dist/, then lintian checks them. The version is the CMake
# project version; debian/changelog is written from it.
#
# Usage: package.sh [--output DIR] [--work DIR] [--from-build DIR] [--no-lintian]
#   --output DIR      where the packages go (default dist/)
#   --work DIR        where the source is copied and built (default build-package/); the same folder
#                     each time lets the compiler cache serve a rebuild
#   --from-build DIR  package a build made already (scripts/build.sh's, say) instead of building the
#                     program afresh with the packaging flags: quick, for the tests
#   --no-lintian      leave out the lintian check
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/dist"
work="${QUILLMAR_PACKAGE_DIR:-$root/build-package}"
lintian=1
prebuilt=
usage() { sed -n '2,12s/^# \{0,1\}//p' "${BASH_SOURCE[0]}"; }
while (($#)); do
    case "$1" in
        --output) out="$2"; shift 2 ;;
        --work) work="$2"; shift 2 ;;
        --from-build) prebuilt="$2"; shift 2 ;;
        --no-lintian) lintian=0; shift ;;
        -h | --help) usage; exit 0 ;;
        *) usage >&2; exit 2 ;;
    esac
done

bash "$root/scripts/setup.sh"

version="$(sed -n 's/^project(Quillmar VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
if [[ -z "$version" ]]; then
    echo "package: no project version in $root/CMakeLists.txt" >&2
    exit 1
fi
if [[ -n "$prebuilt" ]]; then
    if [[ ! -x "$prebuilt/quillmar" || ! -f "$prebuilt/cmake_install.cmake" ]]; then
        echo "package: $prebuilt holds no build of quillmar" >&2
        exit 1
    fi
    QUILLMAR_PREBUILT="$(cd "$prebuilt" && pwd)"
    export QUILLMAR_PREBUILT
fi
mkdir -p "$out" "$work"
out="$(cd "$out" && pwd)"
work="$(cd "$work" && pwd)"

# A copy of the source, so that the build leaves the project folder as it was: with git, the tracked and
# the new files that are not ignored; without, everything but the build folders.
src="$work/quillmar-$version"
rm -rf "$work"/quillmar-* "$work"/quillmar_* "$work"/quillmar-dbgsym_*
mkdir -p "$src"
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$root" ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' file; do
            # A tracked file deleted in the working tree is not copied.
            [[ -e "$root/$file" || -L "$root/$file" ]] && printf '%s\0' "$file"
        done | tar -C "$root" --null -T - -cf - | tar -C "$src" -xf -
else
    tar -C "$root" --exclude=./.git --exclude=./build --exclude='./build-*' --exclude=./dist -cf - . |
        tar -C "$src" -xf -
fi

# The changelog entry, dated by the last commit so that the same source gives the same package.
epoch="$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)"
cat >"$src/debian/changelog" <<EOF
quillmar ($version) unstable; urgency=medium

  * Quillmar $version.

 -- Quillmar developers <quillmar@users.noreply.example>  $(LC_ALL=C date -u -R -d "@$epoch")
EOF

# debhelper gives the build a home of its own, so the compiler cache is named here.
if [[ -z "${CCACHE_DIR:-}" ]]; then
    export CCACHE_DIR="${XDG_CACHE_HOME:-$HOME/.cache}/ccache"
fi
jobs="${QUILLMAR_JOBS:-$(nproc)}"
export DEB_BUILD_OPTIONS="nocheck parallel=$jobs${DEB_BUILD_OPTIONS:+ $DEB_BUILD_OPTIONS}"
(cd "$src" && dpkg-buildpackage --build=binary --no-sign)

arch="$(dpkg-architecture -qDEB_HOST_ARCH)"
packages=("$work/quillmar_${version}_$arch.deb" "$work/quillmar-dbgsym_${version}_$arch.deb")
rm -f "$out"/quillmar_*.deb "$out"/quillmar-dbgsym_*.deb
mv "${packages[@]}" "$out/"
if ((lintian)); then
    lintian --fail-on error,warning "$out/quillmar_${version}_$arch.deb" "$out/quillmar-dbgsym_${version}_$arch.deb"
fi
echo "Built in $out:"
ls -l "$out"/quillmar_"${version}"_"$arch".deb "$out"/quillmar-dbgsym_"${version}"_"$arch".deb
