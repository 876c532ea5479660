#!/usr/bin/env bash
# Builds the Debian package with scripts/package.sh into a temporary folder, from the build the tests run
# in, has lintian check it, unpacks it and checks its files against the installation's manifest (the
# program and the sound module stripped, their debug symbols in the dbgsym package, the dependencies found
# by dh_shlibdeps), then runs the unpacked program's --version and --print on a list it imported.
# Usage: package_check.sh SOURCE_DIR BUILD_DIR WORK_DIR
set -euo pipefail
root="$1"
build="$2"
work="$3"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

bash "$root/scripts/package.sh" --output "$tmp/dist" --work "$work" --from-build "$build" --no-lintian >"$tmp/build.log" 2>&1 || {
    tail -n 60 "$tmp/build.log" >&2
    echo "FAIL: scripts/package.sh failed" >&2
    exit 1
}
version="$(sed -n 's/^project(Quillmar VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
arch="$(dpkg-architecture -qDEB_HOST_ARCH)"
deb="$tmp/dist/quillmar_${version}_$arch.deb"
ddeb="$tmp/dist/quillmar-dbgsym_${version}_$arch.deb"
for file in "$deb" "$ddeb"; do
    [[ -f "$file" ]] || { echo "FAIL: ${file##*/} was not built; dist/ holds: $(ls "$tmp/dist")" >&2; exit 1; }
done

# No error and no warning (lintian's overrides say why they are there).
if ! lintian --fail-on error,warning --info "$deb" "$ddeb" >"$tmp/lintian.log" 2>&1; then
    cat "$tmp/lintian.log" >&2
    fail "lintian reports errors or warnings"
fi

# Dependencies: the libraries of the program and of the sound module, and nothing to build with.
depends="$(dpkg-deb -f "$deb" Depends)"
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6dbus6 libqt6multimedia6 libqt6network6 \
    libqt6keychain1; do
    [[ ", $depends," == *", $library "* || ", $depends," == *", $library,"* ]] ||
        fail "Depends lacks $library: $depends"
done
if grep -Eq -- '-dev\b|\b(gcc|g\+\+|cmake|ninja-build|libgtest|libbenchmark)' <<<"$depends"; then
    fail "Depends names build or test tools: $depends"
fi

# The files: every one the installation's manifest lists (the manual page compressed), the copyright and
# the changelog, and nothing else.
{
    # The manifest's last line has no line end.
    sed -e "s|^.*/debian/quillmar/|/|" -e 's|^\(/usr/share/man/.*\)$|\1.gz|' "$build/install_manifest.txt"
    printf '\n%s\n' /usr/share/doc/quillmar/copyright /usr/share/doc/quillmar/changelog.gz
} | grep -v '^$' | sort >"$tmp/expected"
unpacked="$tmp/root"
dpkg-deb -x "$deb" "$unpacked"
(cd "$unpacked" && find . ! -type d | sed 's|^\.||' | sort) >"$tmp/packaged"
if ! diff -u --label manifest --label package "$tmp/expected" "$tmp/packaged"; then
    fail "the package's files are not those of the manifest"
fi
module="$(cd "$unpacked" && find usr/lib -name quillmar-sound.so)"
[[ -n "$module" ]] || fail "the sound module is not in the package"
sync_module="$(cd "$unpacked" && find usr/lib -name quillmar-sync.so)"
[[ "${sync_module%/*}" == "${module%/*}" ]] || fail "the sync module is not beside the sound module: '$sync_module'"
for expected in /usr/bin/quillmar /usr/share/man/man1/quillmar.1.gz \
    /usr/share/applications/org.quillmar.Quillmar.desktop /usr/share/mime/packages/org.quillmar.Quillmar.xml \
    /usr/share/metainfo/org.quillmar.Quillmar.metainfo.xml /usr/share/quillmar/manual.html \
    /usr/share/quillmar/languages/English.lng /usr/share/icons/hicolor/scalable/apps/org.quillmar.Quillmar.svg; do
    [[ -f "$unpacked$expected" ]] || fail "$expected is not in the package"
done
if ! grep -qx 'Exec=/usr/bin/quillmar %f' "$unpacked/usr/share/applications/org.quillmar.Quillmar.desktop"; then
    fail "the desktop entry does not start /usr/bin/quillmar"
fi
if ! grep -q '^License: GPL-3.0-or-later$' "$unpacked/usr/share/doc/quillmar/copyright"; then
    fail "the copyright file does not name GPL-3.0-or-later"
fi

# Stripped, with the debug symbols of each in the dbgsym package under its build ID.
debug_files="$(dpkg-deb -c "$ddeb")"
for elf in "$unpacked/usr/bin/quillmar" "$unpacked/$module" "$unpacked/$sync_module"; do
    [[ -f "$elf" ]] || continue
    if readelf -S --wide "$elf" | grep -Eq '\.(symtab|debug_info)\b'; then
        fail "${elf#"$unpacked"} is not stripped"
    fi
    id="$(readelf -n "$elf" | sed -n 's/^ *Build ID: *//p')"
    if [[ -z "$id" || "$debug_files" != *"/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug"* ]]; then
        fail "the dbgsym package has no debug symbols for ${elf#"$unpacked"} (build ID '$id')"
    fi
done
if ldd "$unpacked/$module" | grep -q 'not found'; then
    fail "the sound module's libraries are missing: $(ldd "$unpacked/$module")"
fi
if ldd "$unpacked/$sync_module" | grep -q 'not found'; then
    fail "the sync module's libraries are missing: $(ldd "$unpacked/$sync_module")"
fi
# Qt Network comes in only with the sync module, when a list is synchronized.
if readelf -d "$unpacked/usr/bin/quillmar" | grep -q 'libQt6Network'; then
    fail "the program itself links Qt Network"
fi

# The unpacked program, with the unpacked libraries and a home of its own.
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" XDG_DATA_HOME="$tmp/home/.local/share"
export LD_LIBRARY_PATH="$unpacked/${module%/*}${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
mkdir -p "$HOME"
program="$unpacked/usr/bin/quillmar"
if ! output="$("$program" --version 2>&1)" || [[ "$output" != *"$version"* ]]; then
    fail "quillmar --version does not name $version: $output"
fi
printf 'Water the plants,3,,,,,,\r\nPay the rent,1,,,,,,\r\n' >"$tmp/rows.csv"
# Commands take an existing data folder; only the window makes one.
mkdir -p "$tmp/data"
if ! output="$("$program" --data-dir "$tmp/data" --import-csv "$tmp/rows.csv" 2>&1)"; then
    fail "quillmar --import-csv failed: $output"
fi
if ! output="$("$program" --data-dir "$tmp/data" --print 2>&1)"; then
    fail "quillmar --print failed: $output"
elif [[ "$(grep -c $'^item\tOpen\t0\t\\(Water the plants\\|Pay the rent\\)\t' <<<"$output")" != 2 ]]; then
    fail "quillmar --print does not list the two imported items: $output"
fi

if ((failures)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "quillmar_${version}_$arch.deb: $(stat -c %s "$deb") bytes; Depends: $depends"
