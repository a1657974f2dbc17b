#!/bin/bash
# SPDX-License-Identifier: MIT
# The Debian package, built with the "package" preset in package-build under the
# folder it runs in (CTest's: the test's own; kept, so rebuilds are quick):
# its files, lintian, desktop data, the program.
set -u
SOURCE=${1:?usage: package_test.sh SOURCE_DIR VERSION [CMAKE]} VERSION=${2:?} CMAKE=${3:-cmake}
for tool in "$CMAKE" ninja fc-match dpkg-deb dpkg-shlibdeps file lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

BUILD=$PWD/package-build
rm -f "$BUILD"/*.deb
{ (cd "$SOURCE" && "$CMAKE" --preset package -B "$BUILD") &&
    CMAKE_BUILD_PARALLEL_LEVEL=2 "$CMAKE" --build "$BUILD" --target package; } >"$WORK/log" 2>&1 ||
    { tail -n 30 "$WORK/log"; echo "FAIL: the package preset's build and cpack in $BUILD"; exit 1; }
DEB=$BUILD/kerubado_$VERSION-1_$(dpkg --print-architecture).deb
# Every file root's, the program 0755 and the rest 0644; exactly these files.
dpkg-deb -c "$DEB" | awk '$1 !~ /^d/ { print $1, $2, $NF }' | sort >"$WORK/files"
{ echo '-rwxr-xr-x root/root ./usr/games/kerubado'
  printf -- '-rw-r--r-- root/root ./usr/share/%s\n' applications/org.kerubado.Kerubado.desktop \
    doc/kerubado/{changelog.Debian.gz,copyright} icons/hicolor/{16x16,32x32,48x48}/apps/org.kerubado.Kerubado.png \
    lintian/overrides/kerubado man/man6/kerubado.6.gz metainfo/org.kerubado.Kerubado.metainfo.xml
} | sort | diff - "$WORK/files" || fail "the package's files differ (< expected, > packaged)"
# What the game loads at run time, which dpkg-shlibdeps cannot see: Qt's X11 plugin and the title's font.
for file in '*/qt6/plugins/platforms/libqxcb.so' "$(fc-match -f '%{file}' IPAPGothic)"; do
    owner=$(dpkg -S "$file" 2>/dev/null | head -1 | cut -d: -f1)
    [[ -n $owner && $(dpkg-deb -f "$DEB" Depends) == *"$owner"* ]] || fail "Depends lacks ${owner:-the owner of $file}"
done

# Silence is the verdict wanted: overridden tags are not shown, all else is.
lintian --fail-on error,warning "$DEB" 2>&1 | grep -vx 'running with root privileges is not recommended!' >"$WORK/lintian"
[[ ${PIPESTATUS[0]} == 0 && ! -s $WORK/lintian ]] || fail "lintian: $(cat "$WORK/lintian")"
ROOT=$WORK/root
dpkg-deb -x "$DEB" "$ROOT" || { echo "FAIL: dpkg-deb -x"; exit 1; }
desktop-file-validate "$ROOT/usr/share/applications/org.kerubado.Kerubado.desktop" || fail "desktop-file-validate"
appstreamcli validate-tree --no-net --strict "$ROOT" >"$WORK/as" 2>&1 || fail "appstreamcli: $(cat "$WORK/as")"

# No display needed for --help and --version; -reverse is Qt's, not -r -e -v ...
PROGRAM=$ROOT/usr/games/kerubado
[[ $(env -u DISPLAY "$PROGRAM" --version 2>&1) == "kerubado $VERSION" ]] || fail "--version"
help=$(env -u DISPLAY "$PROGRAM" --help 2>&1) || fail "--help exited $?"
[[ $help == *' -h, --help '* && $help == *' -v, --version '* ]] || fail "--help printed: $help"
XDG_RUNTIME_DIR=$WORK env -u DISPLAY timeout 3 "$PROGRAM" -platform offscreen -reverse >/dev/null 2>&1
[[ $? == 124 ]] || fail "the unpacked program did not keep running on Qt's offscreen platform"
((failures == 0)) && echo PASS
exit $((failures > 0))
