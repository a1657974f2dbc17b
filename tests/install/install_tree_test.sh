#!/bin/bash
# `cmake --install` into a scratch prefix, then the installed tree as the
# desktop will read it: the exact list of files, the program, the icons
# against the window's own artwork, the menu entry and the software-centre
# description through their validators, and the manual page.
#
#   install_tree_test.sh BUILD_DIR ICON_CHECK VERSION APP_ID ICON_NAME "SIZES"
#                        BINDIR DATADIR MANDIR FULL_BINDIR
#
# BINDIR, DATADIR and MANDIR are the tree's install directories relative to
# the prefix; FULL_BINDIR is where the tree was configured to put the program,
# which the menu entry launches. CMAKE names the cmake to use (default: the
# one on PATH). Exits 77 (skipped) when a tool is missing.

set -u

BUILD=${1:?usage: install_tree_test.sh BUILD_DIR ICON_CHECK VERSION APP_ID ICON_NAME SIZES BINDIR DATADIR MANDIR FULL_BINDIR}
ICON_CHECK=${2:?}
VERSION=${3:?}
APP_ID=${4:?}
ICON_NAME=${5:?}
read -r -a SIZES <<<"${6:?}"
BINDIR=${7:?}
DATADIR=${8:?}
MANDIR=${9:?}
FULL_BINDIR=${10:?}

for tool in "${CMAKE:=cmake}" file gzip desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done

export LC_ALL=C.UTF-8
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
FAILURES=0

fail() {
    echo "FAIL: $*"
    FAILURES=$((FAILURES + 1))
}
note() { echo "- $*"; }

PREFIX=$WORK/prefix
if ! "$CMAKE" --install "$BUILD" --prefix "$PREFIX" >"$WORK/install.log" 2>&1; then
    cat "$WORK/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi
note "installed into a scratch prefix"

# ---------------------------------------------------------------- the files

PROGRAM=$BINDIR/kerubado
DESKTOP=$DATADIR/applications/$APP_ID.desktop
METAINFO=$DATADIR/metainfo/$APP_ID.metainfo.xml
MAN_PAGE=$MANDIR/man6/kerubado.6.gz
expected=("$PROGRAM" "$DESKTOP" "$METAINFO" "$MAN_PAGE")
for size in "${SIZES[@]}"; do
    expected+=("$DATADIR/icons/hicolor/${size}x$size/apps/$ICON_NAME.png")
done
printf '%s\n' "${expected[@]}" | sort >"$WORK/expected"
(cd "$PREFIX" && find . ! -type d | sed 's|^\./||' | sort) >"$WORK/installed"
if ! cmp -s "$WORK/expected" "$WORK/installed"; then
    fail "installed files differ from the expected list (< missing, > unexpected):"
    diff "$WORK/expected" "$WORK/installed" | grep '^[<>]'
else
    note "exactly these files: $(tr '\n' ' ' <"$WORK/installed")"
fi

# ---------------------------------------------------------------- the program

if [[ -x $PREFIX/$PROGRAM ]] && file -b "$PREFIX/$PROGRAM" | grep -q '^ELF .*executable'; then
    note "$PROGRAM: $(file -b "$PREFIX/$PROGRAM" | cut -d, -f1)"
else
    fail "$PROGRAM is not an executable program: $(file -b "$PREFIX/$PROGRAM" 2>&1)"
fi

# ---------------------------------------------------------------- the icons

for size in "${SIZES[@]}"; do
    icon=$DATADIR/icons/hicolor/${size}x$size/apps/$ICON_NAME.png
    kind=$(file -b "$PREFIX/$icon" 2>&1)
    [[ $kind == "PNG image data, $size x $size,"* ]] || fail "$icon: $kind"
done
if ! QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$WORK/runtime "$ICON_CHECK" \
    "$PREFIX/$DATADIR/icons/hicolor" "$ICON_NAME" >"$WORK/icons.log" 2>&1; then
    cat "$WORK/icons.log"
    fail "the installed icons are not the window's icon"
else
    sed "s|$PREFIX/||; s|^|- |" "$WORK/icons.log"
fi

# ---------------------------------------------------------------- the menu entry

entry() { sed -n "s/^$1=//p" "$PREFIX/$DESKTOP"; }
if ! desktop-file-validate "$PREFIX/$DESKTOP" >"$WORK/dfv.log" 2>&1; then
    cat "$WORK/dfv.log"
    fail "desktop-file-validate $DESKTOP"
else
    hints=$(tr '\n' ' ' <"$WORK/dfv.log")
    note "desktop-file-validate $DESKTOP: passed${hints:+ with hints: $hints}"
fi
[[ $(entry Exec) == "$FULL_BINDIR/kerubado" ]] ||
    fail "Exec=$(entry Exec), expected the configured program $FULL_BINDIR/kerubado"
[[ $FULL_BINDIR == */"$BINDIR" ]] ||
    fail "the configured program directory $FULL_BINDIR does not end in the installed $BINDIR"
[[ $(entry Icon) == "$ICON_NAME" ]] || fail "Icon=$(entry Icon), expected $ICON_NAME"
[[ $(entry Name) == Kerubado ]] || fail "Name=$(entry Name)"
[[ $(entry 'Name\[ja\]') == ケルバド ]] || fail "Name[ja]=$(entry 'Name\[ja\]')"
[[ -n $(entry Comment) && -n $(entry 'Comment\[ja\]') ]] || fail "Comment or Comment[ja] missing"
[[ $(entry Categories) == *'Game;'* && $(entry Categories) == *'ArcadeGame;'* ]] ||
    fail "Categories=$(entry Categories)"
note "menu entry: Exec=$(entry Exec) Icon=$(entry Icon) Name=$(entry Name) Name[ja]=$(entry 'Name\[ja\]')"

# ---------------------------------------------------------------- the description

if ! appstreamcli validate --no-net "$PREFIX/$METAINFO" >"$WORK/as.log" 2>&1; then
    cat "$WORK/as.log"
    fail "appstreamcli validate $METAINFO"
else
    note "appstreamcli validate --no-net $METAINFO: $(tail -1 "$WORK/as.log")"
fi
# The whole tree: the description's launchable must be the installed entry.
if ! appstreamcli validate-tree --no-net "$PREFIX" >"$WORK/tree.log" 2>&1; then
    cat "$WORK/tree.log"
    fail "appstreamcli validate-tree"
else
    note "appstreamcli validate-tree --no-net: $(tail -1 "$WORK/tree.log")"
fi
grep -q "<launchable type=\"desktop-id\">$APP_ID.desktop</launchable>" "$PREFIX/$METAINFO" ||
    fail "the description does not launch $APP_ID.desktop"
latest=$(grep -o '<release version="[^"]*"' "$PREFIX/$METAINFO" | head -1 | cut -d'"' -f2)
[[ $latest == "$VERSION" ]] || fail "latest release in the description: $latest, the program is $VERSION"
grep -q '<binary>kerubado</binary>' "$PREFIX/$METAINFO" || fail "the description does not provide the program"

# ---------------------------------------------------------------- the manual page

kind=$(file -b "$PREFIX/$MAN_PAGE" 2>&1)
if ! gzip -t "$PREFIX/$MAN_PAGE" 2>/dev/null; then
    fail "$MAN_PAGE is not gzip data: $kind"
else
    # Debian's man pages: best compression, no file name or time stamp.
    [[ $kind == *'max compression'* ]] || fail "$MAN_PAGE: not compressed with -9: $kind"
    [[ $kind != *'was "'* && $kind != *'last modified'* ]] ||
        fail "$MAN_PAGE: keeps a name or time stamp: $kind"
    title=$(gzip -dc "$PREFIX/$MAN_PAGE" | grep '^\.TH')
    [[ $title == ".TH KERUBADO 6 "*"\"kerubado $VERSION\""* ]] || fail "manual page title: $title"
    if command -v groff >/dev/null 2>&1; then
        warnings=$(gzip -dc "$PREFIX/$MAN_PAGE" | groff -man -ww -z 2>&1)
        [[ -z $warnings ]] || fail "groff warns about the manual page: $warnings"
    fi
    note "$MAN_PAGE: $kind; $title"
fi

if ((FAILURES > 0)); then
    echo "$FAILURES check(s) failed"
    exit 1
fi
echo "PASS"
