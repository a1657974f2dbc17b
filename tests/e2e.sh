#!/bin/bash
# SPDX-License-Identifier: MIT
# The real program with no display, then in Xvfb (no window manager) driven by xdotool;
# 77 without the X tools. An idle player is shot in seconds: a check that sees it reruns.
set -u
GAME=${1:?usage: e2e.sh KERUBADO}
for tool in Xvfb xdotool xprop xwininfo xrandr xlogo /usr/bin/convert /usr/bin/import /usr/bin/python3; do
    command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done
unset QT_QPA_PLATFORM
W=$(mktemp -d)
mkdir -m 700 "$W/run" && export XDG_RUNTIME_DIR=$W/run # Qt warns without one
PIDS=()
trap 'timeout 5 xdotool keyup Left Right Shift_L 2>/dev/null; kill "${PIDS[@]}" 2>/dev/null; rm -rf "$W"' EXIT
fail() { echo "FAIL: $*"; grep -v qt.qpa.events "$W/err" 2>/dev/null | tail -5; exit 1; }

# Without a display: one line, status 1.
out=$(env -u WAYLAND_DISPLAY -u DISPLAY timeout 20 "$GAME" 2>&1 >/dev/null)
[[ $? == 1 && $out == 'kerubado: cannot open a display (DISPLAY is not set)' ]] || fail "no DISPLAY: $out"
# A Wayland session without X, and no compositor or plugin to be found: the same.
out=$(env -u DISPLAY WAYLAND_DISPLAY=e2e-none XDG_RUNTIME_DIR="$W" QT_PLUGIN_PATH="$W" timeout 20 "$GAME" 2>&1 >/dev/null)
[[ $? == 1 && $out == 'kerubado: cannot open a display (DISPLAY is not set, '* && $out != *$'\n'* ]] || fail "no X: $out"

# A display named that does not answer, and a platform that cannot be loaded: one line each, never a core dump.
out=$(DISPLAY=:e2e timeout 20 "$GAME" 2>&1 >/dev/null)
[[ $? == 1 && $out == 'kerubado: cannot open display ":e2e"' ]] || fail "DISPLAY not answering: $out"
out=$(timeout 20 "$GAME" -platform nosuch 2>&1 >/dev/null)
[[ $? == 1 && $out == 'kerubado: cannot use the Qt platform "nosuch"' ]] || fail "-platform nosuch: $out"

# Starts an Xvfb of SIZE and points DISPLAY at it.
xvfb() {
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$W/display" 2>/dev/null &
    PIDS+=($!)
    for _ in $(seq 100); do [[ -s $W/display ]] && break; sleep 0.1; done
    export DISPLAY=:$(tr -dc 0-9 <"$W/display")
    : >"$W/display"
}
dpi() { xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	$1" || fail "cannot set Xft.dpi"; }
window() { timeout 5 xdotool search --onlyvisible --class "^$1\$" 2>/dev/null | head -1; }
focus() { timeout 5 xdotool windowfocus --sync "$1" || fail "cannot focus $1"; }
# Starts the game (after the command and variables given) and focuses its window.
start() {
    "$@" "$GAME" 2>"$W/err" &
    GAME_PID=$!
    PIDS+=("$GAME_PID")
    for _ in $(seq 100); do WID=$(window kerubado) && [[ -n $WID ]] && break; sleep 0.2; done
    [[ -n $WID ]] || fail "no window within 20 s"
    focus "$WID"
}
xvfb 640x480x24
dpi 144 # a desktop scaled to 150 %, on a screen too small for the window at twice the size
# A Wayland session's variable must not send Qt looking for its plugin.
start env WAYLAND_DISPLAY=e2e-none QT_LOGGING_RULES=qt.qpa.events=true
xprop -id "$WID" WM_NORMAL_HINTS | grep -q 'maximum size: 300 by 400' || fail "size not fixed at 300 by 400"
[[ $(xprop -id "$WID" _MOTIF_WM_HINTS) == *' = 0x3, 0x24, 0x1a, 0x0, 0x0' ]] || fail "not asking for move and close only"

shot() { timeout 10 /usr/bin/import -window "$WID" "$W/s.png" || fail "screenshot"; }
px() { /usr/bin/convert "$W/s.png" -format "%[hex:p{$1,$2}]" info:; }
panel_up() { [[ $(px 60 190) == C0C0FF ]]; }
player_x() { # the middle of the black run on the player's row
    /usr/bin/convert "$W/s.png" -crop 300x1+0+380 txt:- |
        awk -F'[,:]' '/#000000/ { if (!n++) a = $1; b = $1 } END { print n ? int((a + b) / 2) : -1 }'
}

shot
[[ $(px 10 50)$(px 299 10)$(px 10 100) == FFFFFF000000000000 ]] && panel_up || fail "start screen"

# Runs CHECK on a new game, again while the game ends under it.
on_new_game() {
    for _ in 1 2 3 4; do
        timeout 5 xdotool key Return
        for _ in $(seq 50); do shot; [[ $(px 60 190) == A0FFFF ]] && break; sleep 0.1; done
        [[ $(px 60 190) == A0FFFF ]] || fail "Enter did not start a game"
        "$@" && return 0
        panel_up || fail "$*"
    done
    fail "$*: the game ended under every try"
}
shots_above() { /usr/bin/convert "$W/s.png" -crop 7x260+$(($1 - 3))+105 txt:- | grep -c '#000000'; }
hold_left_and_shift() { # at x 5 it fires straight up; auto-repeat sends no releases
    local before=$(grep -c XCB_KEY_RELEASE "$W/err")
    timeout 5 xdotool keydown Left Shift_L; sleep 2.5; shot; timeout 5 xdotool keyup Left Shift_L; sleep 0.3
    [[ $(player_x) == 5 && $(($(grep -c XCB_KEY_RELEASE "$W/err") - before)) == 2 ]] && (($(shots_above 5) >= 9))
}
xlogo -geometry 100x100+520+360 2>/dev/null &
PIDS+=($!)
for _ in $(seq 50); do LOGO=$(window xlogo) && [[ -n $LOGO ]] && break; sleep 0.2; done
focus "$WID"
lose_focus_holding_right() { # the release goes elsewhere; the disc must stop anyway
    timeout 5 xdotool keydown Right; sleep 0.3; focus "$LOGO"; sleep 0.3
    shot; local x=$(player_x); sleep 1; shot
    timeout 5 xdotool keyup Right; focus "$WID"
    ((x > 155)) && [[ $(player_x) == "$x" ]]
}
on_new_game hold_left_and_shift
on_new_game lose_focus_holding_right

# On a running game, a short storm of every key, all released, the last one
# Enter: the game it starts neither moves nor fires.
storm_leaves_no_key_held() {
    timeout 60 xdotool key --delay 4 $(for _ in $(seq 40); do echo Left Up Right Down Shift_L Shift_R space a Return; done)
    sleep 0.5; shot; ! panel_up && [[ $(player_x) == 155 ]] && (($(shots_above 155) == 0))
}
on_new_game storm_leaves_no_key_held

grep -q -i wayland "$W/err" && fail "Qt looked for Wayland"
/usr/bin/python3 - "$WID" <<'EOF' || fail "cannot send WM_DELETE_WINDOW"
import sys; from Xlib import X, display, protocol
d = display.Display(); w = d.create_resource_object("window", int(sys.argv[1])); a = d.intern_atom
w.send_event(protocol.event.ClientMessage(window=w, client_type=a("WM_PROTOCOLS"),
                                          data=(32, [a("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])))
d.flush()
EOF
timeout 10 tail --pid="$GAME_PID" -f /dev/null || fail "still running after the window was closed"
wait "$GAME_PID" || fail "exit status $? after closing"

# A 200 % desktop with room for twice the size: the window is twice the size, every pixel of a frame and of
# the panel's frame a whole 2 x 2 block.
xvfb 1400x1000x24
dpi 192
start
[[ $(xwininfo -id "$WID" | awk '/Width:|Height:/ { printf "%s ", $2 }') == '600 800 ' ]] || fail "not 600 x 800 at 200 %"
whole() { # X Y W H of the screenshot: made of 2 x 2 blocks
    [[ $(/usr/bin/convert "$W/s.png" -crop "$3x$4+$1+$2" +repage \( +clone -sample 50% -sample 200% \) \
        -compose difference -composite -format %[max] info:) == 0 ]]
}
shot
whole 80 240 418 4 && whole 80 446 418 4 && whole 80 240 4 210 && whole 494 240 4 210 || fail "the panel's frame at 200 %"
timeout 5 xdotool key Return
sleep 0.3; shot
whole 0 34 600 766 || fail "a frame at 200 % is not whole 2 x 2 blocks"

# Another client destroys the window: the program ends at once, as when closed.
timeout 5 xdotool windowclose "$WID" || fail "cannot destroy the window"
timeout 1 tail -s 0.05 --pid="$GAME_PID" -f /dev/null || fail "still running a second after its window was destroyed"
wait "$GAME_PID" || fail "exit status $? after the window was destroyed"
[[ ! -s $W/err ]] || fail "stderr after the window was destroyed: $(head -3 "$W/err")"

# Two monitors side by side, A 1024 x 768 and B 2560 x 1600, scaled by Qt's per-screen factors and then by
# the desktop's: one factor that fits both, kept while a game runs and the window moves either way. The
# window stays 300 x 400, the score line 17 rows high, the boundary line unbroken from end to end.
monitors() { # PRIMARY: A or B, on a new X server
    xvfb 3584x1600x24
    [[ $1 == A ]] && a='*A' b=B || a=A b='*B'
    timeout 5 xrandr --setmonitor "$a" 1024/271x768/203+0+0 screen >/dev/null &&
        timeout 5 xrandr --setmonitor "$b" 2560/677x1600/423+1024+0 none >/dev/null || fail "cannot set monitors"
}
one_factor_at() { # X Y: the window moved there
    timeout 5 xdotool windowmove --sync "$WID" "$1" "$2" && sleep 0.3 && shot
    [[ $(xwininfo -id "$WID" | awk '/Width:|Height:/ { printf "%s ", $2 }') == '300 400 ' ]] &&
        [[ $(/usr/bin/convert "$W/s.png" -crop 300x1+0+16 -unique-colors -format %k info:) == 1 ]] &&
        /usr/bin/convert "$W/s.png" -crop 300x1+0+17 -unique-colors txt:- | grep -q A0FFFF &&
        [[ $(/usr/bin/convert "$W/s.png" -crop 300x1+0+100 -unique-colors -format %k info:)$(px 0 100) == 1000000 ]]
}
moves_keeping_one_factor() { one_factor_at 1600 200 && one_factor_at 100 100 && one_factor_at 1600 200; }
for arrangement in "A QT_SCREEN_SCALE_FACTORS=A=1;B=2" "B QT_SCREEN_SCALE_FACTORS=A=2;B=1" "B Xft.dpi:192"; do
    monitors "${arrangement%% *}"
    scale=${arrangement#* }
    [[ $scale == Xft* ]] && dpi "${scale#*:}" && scale=
    start env $scale
    on_new_game moves_keeping_one_factor || fail "monitors $arrangement"
    kill "$GAME_PID" && wait "$GAME_PID"
done
echo PASS
