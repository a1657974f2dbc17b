#!/bin/bash
# The Debian package as a user gets it: configured with the "package" preset
# in a tree of its own (kept between runs, so only the first run builds
# everything), packed with cpack, then examined and unpacked: the control
# fields, the file list, the files themselves, and the unpacked program
# started in its own X server until it shows its window.
#
#   deb_package_test.sh SOURCE_DIR PACKAGE_TREE VERSION ICON_CHECK APP_ID ICON_NAME "SIZES"
#
# CMAKE and CPACK name the cmake and cpack to use (default: those on PATH).
# Exits 77 (skipped) when a tool is missing.

set -u

SOURCE=${1:?usage: deb_package_test.sh SOURCE_DIR PACKAGE_TREE VERSION ICON_CHECK APP_ID ICON_NAME SIZES}
TREE=${2:?}
VERSION=${3:?}
ICON_CHECK=${4:?}
APP_ID=${5:?}
ICON_NAME=${6:?}
read -r -a SIZES <<<"${7:?}"

for tool in "${CMAKE:=cmake}" "${CPACK:=cpack}" dpkg dpkg-deb dpkg-shlibdeps file gzip md5sum readelf Xvfb xdotool xprop xwininfo timeout \
    desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done

export LC_ALL=C.UTF-8
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
WORK=$(mktemp -d)
XVFB_PID=
GAME_PID=
cleanup() {
    for pid in $GAME_PID $XVFB_PID; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf "$WORK"
}
trap cleanup EXIT

FAILURES=0
fail() {
    echo "FAIL: $*"
    FAILURES=$((FAILURES + 1))
}
stop() { # a failure the rest cannot go on from
    echo "FAIL: $*"
    exit 1
}
note() { echo "- $*"; }
show_log() { sed 's/^/    /' "$1" | tail -n 30; }

# ---------------------------------------------------------------- the package

if ! "$CMAKE" -S "$SOURCE" -B "$TREE" --preset package >"$WORK/configure.log" 2>&1; then
    show_log "$WORK/configure.log"
    stop "configuring with the package preset"
fi
started=$SECONDS
if ! CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2} "$CMAKE" --build "$TREE" >"$WORK/build.log" 2>&1; then
    show_log "$WORK/build.log"
    stop "building the package tree"
fi
note "package tree $TREE: configured with --preset package, built in $((SECONDS - started)) s"

OUT=$WORK/out
mkdir -p "$OUT"
if ! "$CPACK" --config "$TREE/CPackConfig.cmake" -G DEB -B "$OUT" >"$WORK/cpack.log" 2>&1; then
    show_log "$WORK/cpack.log"
    stop "cpack -G DEB"
fi
ARCH=$(dpkg --print-architecture)
DEB=$OUT/kerubado_$VERSION-1_$ARCH.deb
[[ -f $DEB ]] || stop "no $(basename "$DEB"); cpack made: $(cd "$OUT" && ls ./*.deb 2>/dev/null)"
note "$(basename "$DEB"): $(stat -c %s "$DEB") bytes"

# ---------------------------------------------------------------- control fields

field() { dpkg-deb -f "$DEB" "$1"; }
dpkg-deb -I "$DEB" >"$WORK/info" || stop "dpkg-deb -I"
[[ $(field Package) == kerubado ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$VERSION-1" ]] || fail "Version: $(field Version), expected $VERSION-1"
[[ $(field Architecture) == "$ARCH" ]] || fail "Architecture: $(field Architecture)"
[[ $(field Section) == games ]] || fail "Section: $(field Section)"
name_and_address='^[^<>]+ <[^<>@]+@[^<>@]+>$'
[[ $(field Maintainer) =~ $name_and_address ]] || fail "Maintainer: $(field Maintainer)"
[[ -n $(field Installed-Size) ]] || fail "no Installed-Size"
description=$(field Description)
[[ $(head -1 <<<"$description") == "small keyboard-driven arcade shooter" ]] ||
    fail "Description's synopsis: $(head -1 <<<"$description")"
(($(wc -l <<<"$description") > 2)) || fail "no extended description"
[[ $(sed -n 2p <<<"$description") != *"$(head -1 <<<"$description")"* ]] ||
    fail "the synopsis is repeated in the extended description"

# Depends, one alternative group a line.
depends=$(field Depends | tr -d '\n' | sed 's/, */\n/g')
has_dependency() { grep -qxE "$1" <<<"$depends"; }
has_dependency 'libqt6widgets6( \(>= [0-9.~+-]+\))?' || fail "Depends lacks libqt6widgets6 (found by dpkg-shlibdeps)"
has_dependency 'libc6( \(>= [0-9.~+-]+\))?' || fail "Depends lacks libc6 (found by dpkg-shlibdeps)"
has_dependency 'libxcb1( \(>= [0-9.~+-]+\))?' || fail "Depends lacks libxcb1"
has_dependency 'qt6-qpa-plugins' || fail "Depends lacks qt6-qpa-plugins, the X platform plugin"
has_dependency 'fonts-ipafont-gothic \| fonts-vlgothic \| fonts-noto-cjk' || fail "Depends lacks the Japanese fonts"
note "Depends: $(field Depends)"
grep -q ' md5sums ' "$WORK/info" || fail "no md5sums in the control archive"

# ---------------------------------------------------------------- contents

dpkg-deb -c "$DEB" >"$WORK/contents" || stop "dpkg-deb -c"
awk '$2 != "root/root"' "$WORK/contents" >"$WORK/not_root"
[[ -s $WORK/not_root ]] && fail "entries not owned by root: $(cat "$WORK/not_root")"
awk '{ print $NF }' "$WORK/contents" | grep -v '^\./usr/' && fail "entries outside /usr"
awk '{ print $NF }' "$WORK/contents" | grep -E '^\./usr/(local|bin)/' && fail "entries in /usr/local or /usr/bin"

PROGRAM=usr/games/kerubado
DESKTOP=usr/share/applications/$APP_ID.desktop
METAINFO=usr/share/metainfo/$APP_ID.metainfo.xml
MAN_PAGE=usr/share/man/man6/kerubado.6.gz
expected=("$PROGRAM" "$DESKTOP" "$METAINFO" "$MAN_PAGE")
for size in "${SIZES[@]}"; do
    expected+=("usr/share/icons/hicolor/${size}x$size/apps/$ICON_NAME.png")
done
printf '%s\n' "${expected[@]}" | sort >"$WORK/expected"
awk '$1 !~ /^d/ { sub(/^\.\//, "", $NF); print $NF }' "$WORK/contents" | sort >"$WORK/packaged"
if ! cmp -s "$WORK/expected" "$WORK/packaged"; then
    fail "packaged files differ from the expected list (< missing, > unexpected):"
    diff "$WORK/expected" "$WORK/packaged" | grep '^[<>]'
fi

ROOT=$WORK/root
dpkg-deb -x "$DEB" "$ROOT" || stop "dpkg-deb -x"
dpkg-deb -e "$DEB" "$WORK/control" || stop "dpkg-deb -e"
(cd "$ROOT" && md5sum --quiet -c "$WORK/control/md5sums") || fail "md5sums do not match the files"
note "unpacked: $(tr '\n' ' ' <"$WORK/packaged")"

kind=$(file -b "$ROOT/$PROGRAM")
[[ -x $ROOT/$PROGRAM && $kind == 'ELF '*executable* ]] || fail "$PROGRAM: $kind"
[[ $kind == *', stripped'* ]] || fail "$PROGRAM is not stripped: $kind"
readelf -d "$ROOT/$PROGRAM" | grep -qE 'RPATH|RUNPATH' && fail "$PROGRAM has an RPATH"
note "$PROGRAM: $(cut -d, -f1 <<<"$kind"), stripped, no RPATH"

for size in "${SIZES[@]}"; do
    icon=usr/share/icons/hicolor/${size}x$size/apps/$ICON_NAME.png
    kind=$(file -b "$ROOT/$icon" 2>&1)
    [[ $kind == "PNG image data, $size x $size,"* ]] || fail "$icon: $kind"
done
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$WORK/runtime "$ICON_CHECK" "$ROOT/usr/share/icons/hicolor" \
    "$ICON_NAME" >"$WORK/icons.log" 2>&1 || { show_log "$WORK/icons.log"; fail "the packaged icons are not the window's"; }

kind=$(file -b "$ROOT/$MAN_PAGE")
[[ $kind == 'gzip compressed data, max compression'* && $kind != *'was "'* ]] || fail "$MAN_PAGE: $kind"

# The menu entry launches the packaged program.
exec_line=$(sed -n 's/^Exec=//p' "$ROOT/$DESKTOP")
[[ $exec_line == /usr/games/kerubado ]] || fail "Exec=$exec_line, expected /usr/games/kerubado"
[[ -x $ROOT$exec_line ]] || fail "Exec=$exec_line is not in the package"
desktop-file-validate "$ROOT/$DESKTOP" >"$WORK/dfv.log" 2>&1 || { show_log "$WORK/dfv.log"; fail "desktop-file-validate"; }
appstreamcli validate-tree --no-net "$ROOT" >"$WORK/as.log" 2>&1 || { show_log "$WORK/as.log"; fail "appstreamcli validate-tree"; }
note "Exec=$exec_line; desktop-file-validate and appstreamcli validate-tree pass on the unpacked tree"

# ---------------------------------------------------------------- the unpacked program

source "$(dirname "${BASH_SOURCE[0]}")/../lib/xvfb.sh"
start_xvfb "$WORK" 2>"$WORK/xvfb.err" || stop "$(cat "$WORK/xvfb.err")"

"$ROOT/$PROGRAM" >"$WORK/game.log" 2>&1 &
GAME_PID=$!
WID=
for _ in $(seq 100); do # at most 20 s
    kill -0 "$GAME_PID" 2>/dev/null || break
    WID=$(timeout 5 xdotool search --onlyvisible --pid "$GAME_PID" 2>/dev/null | head -1)
    [[ -n $WID ]] && break
    sleep 0.2
done
if [[ -z $WID ]]; then
    show_log "$WORK/game.log"
    stop "the unpacked program showed no window on $DISPLAY"
fi
caption=$(timeout 5 xprop -id "$WID" _NET_WM_NAME)
expected_caption="_NET_WM_NAME(UTF8_STRING) = \"ケルバド　$VERSION.\""
[[ $caption == "$expected_caption" ]] || fail "caption: $caption, expected $expected_caption"
note "the unpacked $PROGRAM on Xvfb $DISPLAY: $caption"
# Docks match windows to menu entries by the window's class.
class=$(timeout 5 xprop -id "$WID" WM_CLASS)
wm_class=$(sed -n 's/^StartupWMClass=//p' "$ROOT/$DESKTOP")
[[ $class == *"\"$wm_class\"" ]] || fail "WM_CLASS: $class, the menu entry says StartupWMClass=$wm_class"
note "$class matches StartupWMClass=$wm_class"

kill "$GAME_PID"
wait "$GAME_PID" 2>/dev/null
GAME_PID=

if ((FAILURES > 0)); then
    echo "$FAILURES check(s) failed"
    exit 1
fi
echo "PASS"
