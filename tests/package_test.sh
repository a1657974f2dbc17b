#!/bin/bash
# SPDX-License-Identifier: MIT
# The Debian package, built by the "package" workflow in SOURCE_DIR/build/package
# (kept between runs, shared by every build's suite): its files, control fields,
# lintian's verdict, desktop data and the unpacked program. Exits 77 without a tool.
set -u
SOURCE=${1:?usage: package_test.sh SOURCE_DIR [CMAKE]}
CMAKE=${2:-cmake}
for tool in "$CMAKE" ninja dpkg-deb dpkg-shlibdeps file lintian desktop-file-validate appstreamcli timeout; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -f "$SOURCE"/build/package/*.deb
if ! (cd "$SOURCE" && CMAKE_BUILD_PARALLEL_LEVEL=2 "$CMAKE" --workflow --preset package) >"$WORK/build.log" 2>&1; then
    tail -n 30 "$WORK/build.log"
    echo "FAIL: cmake --workflow --preset package" && exit 1
fi
DEB=$SOURCE/build/package/kerubado_1.0.1-1_$(dpkg --print-architecture).deb
[[ -f $DEB ]] || { echo "FAIL: no $DEB; cpack made: $(ls "$SOURCE"/build/package/*.deb)" && exit 1; }

dpkg-deb -c "$DEB" | awk '$1 !~ /^d/ { print $1, $2, $NF }' >"$WORK/files"
diff - "$WORK/files" <<'EOF_FILES' || fail "the package's files differ (< expected, > packaged)"
-rwxr-xr-x root/root ./usr/games/kerubado
-rw-r--r-- root/root ./usr/share/applications/org.kerubado.Kerubado.desktop
-rw-r--r-- root/root ./usr/share/doc/kerubado/changelog.Debian.gz
-rw-r--r-- root/root ./usr/share/doc/kerubado/copyright
-rw-r--r-- root/root ./usr/share/icons/hicolor/16x16/apps/org.kerubado.Kerubado.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/32x32/apps/org.kerubado.Kerubado.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/48x48/apps/org.kerubado.Kerubado.png
-rw-r--r-- root/root ./usr/share/lintian/overrides/kerubado
-rw-r--r-- root/root ./usr/share/man/man6/kerubado.6.gz
-rw-r--r-- root/root ./usr/share/metainfo/org.kerubado.Kerubado.metainfo.xml
EOF_FILES

fields=$(dpkg-deb -f "$DEB" Package Version Section Priority)
[[ $fields == $'Package: kerubado\nVersion: 1.0.1-1\nSection: games\nPriority: optional' ]] || fail "control: $fields"
[[ $(dpkg-deb -f "$DEB" Maintainer) =~ ^[^\<\>]+\ \<[^@\<\>]+@[^@\<\>]+\.[a-z]+\>$ ]] || fail "Maintainer"
[[ $(dpkg-deb -f "$DEB" Depends) == 'qt6-qpa-plugins, fonts-ipafont-gothic | fonts-vlgothic | fonts-noto-cjk, '*' libqt6widgets6 '* ]] ||
    fail "Depends: $(dpkg-deb -f "$DEB" Depends)"
[[ $(dpkg-deb -f "$DEB" Description | head -n 1) == 'small keyboard-driven arcade shooter' ]] || fail "Description"

# Silence is the verdict wanted: overridden tags are not shown, all else is.
lintian --fail-on error,warning "$DEB" 2>&1 | grep -vx 'running with root privileges is not recommended!' >"$WORK/lintian"
[[ ${PIPESTATUS[0]} == 0 && ! -s $WORK/lintian ]] || fail "lintian: $(cat "$WORK/lintian")"

ROOT=$WORK/root
dpkg-deb -x "$DEB" "$ROOT" || { echo "FAIL: dpkg-deb -x" && exit 1; }
desktop-file-validate "$ROOT/usr/share/applications/org.kerubado.Kerubado.desktop" || fail "desktop-file-validate"
appstreamcli validate-tree --no-net --strict "$ROOT" >"$WORK/as.log" 2>&1 || fail "appstreamcli: $(cat "$WORK/as.log")"
# The packaged licence is the one in LICENSE, word for word.
awk 'p; /^License: Expat$/ && ++n == 2 { p = 1 }' "$ROOT/usr/share/doc/kerubado/copyright" | sed 's/^ \.$//; s/^ //' |
    diff <(tail -n +5 "$SOURCE/LICENSE") - || fail "the copyright file's licence text differs from LICENSE"

# --help and --version need no display. Qt's own options reach Qt, and
# -reverse is not a bundle of -r -e -v ... (-v is --version).
PROGRAM=$ROOT/usr/games/kerubado
version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$PROGRAM" --version 2>"$WORK/err") || fail "--version exited $?"
[[ $version == 'kerubado 1.0.1' && ! -s $WORK/err ]] || fail "--version printed '$version', '$(cat "$WORK/err")'"
help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$PROGRAM" --help 2>"$WORK/err") || fail "--help exited $?"
[[ $help == *' -h, --help '* && $help == *' -v, --version '* && ! -s $WORK/err ]] || fail "--help printed: $help"
XDG_RUNTIME_DIR=$WORK env -u DISPLAY timeout 3 "$PROGRAM" -platform offscreen -reverse >/dev/null 2>&1
[[ $? == 124 ]] || fail "the unpacked program did not keep running on Qt's offscreen platform"

((failures == 0)) && echo PASS
exit $((failures > 0))
