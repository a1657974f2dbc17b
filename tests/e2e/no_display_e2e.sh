#!/bin/bash
# Without a display the program must say so in one line and fail, not crash.
#
#   no_display_e2e.sh KERUBADO

set -u
KERUBADO=${1:?usage: no_display_e2e.sh KERUBADO}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}

# Runs the program with the given environment changes; sets STATUS and ERR.
run() {
    timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" "$KERUBADO" \
        >"$WORK/out" 2>"$WORK/err" </dev/null
    STATUS=$?
    ERR=$(cat "$WORK/err")
}

expect_one_line() { # WHAT PATTERN
    ((STATUS == 1)) || fail "$1: exit status $STATUS, expected 1; stderr: $ERR"
    [[ $(wc -l <"$WORK/err") == 1 ]] || fail "$1: expected one line, got: $ERR"
    [[ $ERR =~ $2 ]] || fail "$1: unexpected message: $ERR"
    [[ -s $WORK/out ]] && fail "$1: wrote to standard output: $(cat "$WORK/out")"
    echo "- $1: status 1, \"$ERR\""
}

run
expect_one_line "DISPLAY unset" '^kerubado: cannot open a display \(DISPLAY is not set\)$'

run DISPLAY=
expect_one_line "DISPLAY empty" '^kerubado: cannot open a display \(DISPLAY is not set\)$'

run QT_QPA_PLATFORM=xcb
expect_one_line "xcb asked for, DISPLAY unset" '^kerubado: cannot open a display \(DISPLAY is not set\)$'

# A display number nothing listens on: the server cannot be reached.
run DISPLAY=:4093
expect_one_line "no server on :4093" '^kerubado: cannot open display ":4093"$'

echo "PASS"
