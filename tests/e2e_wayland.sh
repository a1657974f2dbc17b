#!/bin/bash
# SPDX-License-Identifier: MIT
# The real program natively under a headless sway: the app id its window goes by; on an output scaled to
# 200 % (with room for twice the size and without), and to 150 % where Qt takes fractional scales, the field in whole blocks of its own colours while
# a game runs, with nothing on stderr; one line where Qt's Wayland plugin is missing. 77 without sway.
set -u
GAME=${1:?usage: e2e_wayland.sh KERUBADO QT_VERSION}
QT_VERSION=${2:?}
for tool in sway swaymsg grim wtype setpriv /usr/bin/convert /usr/bin/python3; do
    command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done
unset DISPLAY QT_QPA_PLATFORM QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_WAYLAND_DISABLED_INTERFACES QT_PLUGIN_PATH
W=$(mktemp -d)
chmod 755 "$W"
mkdir -m 700 "$W/run"
PIDS=()
trap 'kill "${PIDS[@]}" 2>/dev/null; wait; rm -rf "$W"' EXIT
fail() { echo "FAIL: $*"; tail -5 "$W/err" 2>/dev/null; exit 1; }
# sway refuses root: then it runs as nobody.
as_sway=()
[[ $(id -u) == 0 ]] && as_sway=(setpriv --reuid=nobody --regid=nogroup --clear-groups)

# sway with one output of SIZE at SCALE, and a virtual keyboard that keeps the first key from being lost.
sway_at() {
    kill "${PIDS[@]}" 2>/dev/null
    local d=$W/sway-$1-$2
    mkdir -m 700 "$d" && ((${#as_sway[@]} == 0)) || chown nobody "$d"
    printf 'xwayland disable\noutput HEADLESS-1 resolution %s scale %s\n' "$1" "$2" >"$d/config"
    env -i PATH="$PATH" HOME="$d" XDG_RUNTIME_DIR="$d" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
        WLR_RENDERER=pixman "${as_sway[@]}" sway -c "$d/config" >"$d/log" 2>&1 &
    PIDS=($!)
    for _ in $(seq 100); do compgen -G "$d/sway-ipc.*" >/dev/null && [[ -S $d/wayland-1 ]] && break; sleep 0.1; done
    [[ -S $d/wayland-1 ]] || { tail -3 "$d/log"; fail "sway did not start"; }
    export WAYLAND_DISPLAY=$d/wayland-1 SWAYSOCK=$(compgen -G "$d/sway-ipc.*")
    timeout 600 wtype -s 400000 &
    PIDS+=($!)
}
# The game's window as sway has it: its app id and size in logical pixels.
window() {
    timeout 5 swaymsg -t get_tree 2>/dev/null | /usr/bin/python3 2>/dev/null -c 'import json, sys
def walk(n):
    if n.get("app_id"): print(n["app_id"], "%(width)dx%(height)d" % n["window_rect"])
    for c in n["nodes"] + n["floating_nodes"]: walk(c)
walk(json.load(sys.stdin))'
}
# The pale cyan field on the screen: its size, the pixels off whole N x N blocks, the colours off its palette.
field() {
    timeout 10 grim "$W/s.png" || fail "screenshot"
    /usr/bin/python3 "$(dirname "$0")/e2e_field.py" "$W/s.png" "$1"
}
# Plays a game at SCALE on SIZE, the window LOGICAL in sway and the field N x N blocks: 300 N wide and
# 383 N high below the score line, with no streak a moving disc leaves. A game that ends too soon reruns.
plays_whole() {
    sway_at "$1" "$2"
    XDG_RUNTIME_DIR=$W/run "$GAME" 2>"$W/err" &
    PIDS+=($!)
    local seen
    for _ in $(seq 50); do seen=$(window) && [[ -n $seen ]] && break; sleep 0.2; done
    [[ $seen == "org.kerubado.Kerubado $3" ]] || fail "at $2: window '$seen', not the game's app id at $3"
    for _ in 1 2 3 4; do
        timeout 5 wtype -k Return && timeout 10 wtype -P Shift_L -P Left -s 1200 -p Left -P Right -s 1200 -p Right -p Shift_L
        seen=$(field "$4")
        [[ $seen == "$((300 * $4))x$((383 * $4)) 0 0" ]] && break
    done
    [[ $seen == "$((300 * $4))x$((383 * $4)) 0 0" ]] || fail "at $2 the field is not whole: size, broken, off: $seen"
    # A virtual keyboard that takes the seat first announces no keymap; a real one has one.
    grep -v 'unknown keymap format: 0' "$W/err" | grep -q . && fail "stderr at $2"
    kill "${PIDS[@]}"
}
plays_whole 1920x1080 2 300x400 2
plays_whole 1366x768 2 150x200 1 # too small for twice the size
[[ $(printf '%s\n' 6.5 "$QT_VERSION" | sort -V | head -1) == 6.5 ]] && plays_whole 1920x1080 1.5 400x536 2

# A compositor, but no Qt platform plugin where this copy of the program finds its plugins: one line that
# names the package.
sway_at 1366x768 1
mkdir "$W/bin" && cp "$GAME" "$W/bin/" && printf '[Paths]\nPlugins=%s\n' "$W/none" >"$W/bin/qt.conf"
out=$(XDG_RUNTIME_DIR=$W/run timeout 20 "$W/bin/$(basename "$GAME")" 2>&1 >/dev/null)
[[ $? == 1 && $out == *"Wayland platform plugin is not installed: it is in the package qt6-wayland)" &&
    $out != *$'\n'* ]] || fail "no plugin: $out"
echo PASS
