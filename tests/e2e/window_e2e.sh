#!/bin/bash
# The real program in a real X server: Xvfb without a window manager, driven
# with xdotool, checked through window properties and screenshots.
#
#   window_e2e.sh KERUBADO CLOSE_WINDOW OUTPUT_DIR
#
# Exits 77 (skipped) when the X tools are missing. Leaves e2e_start.png,
# e2e_running.png and e2e_game_over.png in OUTPUT_DIR for a person to look at.
#
# Enemies shoot: an idle player lasts a few seconds. A check that finds the
# game over instead of the picture it wanted restarts with Enter and tries
# again; only a check that fails every try fails the test.

set -u

KERUBADO=${1:?usage: window_e2e.sh KERUBADO CLOSE_WINDOW OUTPUT_DIR}
CLOSE_WINDOW=${2:?}
OUT=${3:?}
CONVERT=/usr/bin/convert # /usr/local/bin may hold a stand-in
IMPORT=/usr/bin/import
TRIES=4

for tool in Xvfb xdotool xprop xwininfo xlogo timeout "$IMPORT" "$CONVERT"; do
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
LOGO_PID=
HELD_KEYS=()

cleanup() {
    if [[ -n $XVFB_PID ]] && ((${#HELD_KEYS[@]} > 0)); then
        timeout 5 xdotool keyup "${HELD_KEYS[@]}" >/dev/null 2>&1
    fi
    for pid in $GAME_PID $LOGO_PID $XVFB_PID; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    if [[ -s $WORK/game.log ]]; then
        echo "--- the program's output (last lines):"
        grep -v '^qt\.qpa\.events' "$WORK/game.log" | tail -20
    fi
    exit 1
}

note() { echo "- $*"; }

# Keys go down and up through these, so that cleanup can let go of any key
# still down when a check fails halfway.
key_down() {
    timeout 5 xdotool keydown "$1" || fail "xdotool keydown $1"
    HELD_KEYS+=("$1")
}
key_up() {
    timeout 5 xdotool keyup "$1" || fail "xdotool keyup $1"
    local kept=() k
    for k in "${HELD_KEYS[@]}"; do [[ $k == "$1" ]] || kept+=("$k"); done
    HELD_KEYS=("${kept[@]}")
}
key_tap() { timeout 5 xdotool key "$1" || fail "xdotool key $1"; }

# ---------------------------------------------------------------- the server

source "$(dirname "${BASH_SOURCE[0]}")/../lib/xvfb.sh"
start_xvfb "$WORK" 2>"$WORK/xvfb.err" || fail "$(cat "$WORK/xvfb.err")"
note "Xvfb on $DISPLAY"

# ---------------------------------------------------------------- the program

# Qt's own event log shows every key event the server sends the program.
QT_LOGGING_RULES="qt.qpa.events=true" "$KERUBADO" >"$WORK/game.log" 2>&1 &
GAME_PID=$!
# Polled rather than waited for with --sync: xdotool gives up on an X error
# when a window it looks at vanishes, as Qt's short-lived start-up windows do.
find_window() { # PID CLASS
    local i wid
    for i in $(seq 100); do
        kill -0 "$1" 2>/dev/null || return 1
        wid=$(timeout 5 xdotool search --onlyvisible --class "^$2\$" 2>/dev/null | head -1)
        [[ -n $wid ]] && echo "$wid" && return 0
        sleep 0.2
    done
    return 1
}
WID=$(find_window "$GAME_PID" kerubado)
[[ -n $WID ]] || fail "no window appeared within 20 s"
note "window $WID"

focus_game() { timeout 5 xdotool windowfocus --sync "$WID" || fail "cannot focus the game window"; }
focus_game

# ---------------------------------------------------------------- properties

caption=$(timeout 5 xprop -id "$WID" _NET_WM_NAME)
[[ $caption == '_NET_WM_NAME(UTF8_STRING) = "ケルバド　1.0.1."' ]] || fail "caption: $caption"
note "caption: $caption"

hints=$(timeout 5 xprop -id "$WID" WM_NORMAL_HINTS)
grep -q 'program specified minimum size: 300 by 400' <<<"$hints" || fail "minimum size: $hints"
grep -q 'program specified maximum size: 300 by 400' <<<"$hints" || fail "maximum size: $hints"
note "size hints: minimum = maximum = 300 by 400"

# flags, functions, decorations, input mode, status
motif=$(timeout 5 xprop -id "$WID" _MOTIF_WM_HINTS)
read -r -a fields <<<"$(sed 's/.*= //; s/,/ /g' <<<"$motif")"
((${#fields[@]} >= 3)) || fail "no Motif hints: $motif"
flags=$((fields[0])) functions=$((fields[1])) decorations=$((fields[2]))
((flags & 2)) || fail "decorations not given: $motif"
((decorations & (0x1 | 0x20 | 0x40))) && fail "minimise or maximise decoration: $motif"
((flags & 1)) && ((functions & (0x1 | 0x8 | 0x10))) && fail "minimise or maximise function: $motif"
note "Motif hints: $motif (no minimise, no maximise)"

geometry=$(timeout 5 xwininfo -id "$WID")
grep -q 'Width: 300$' <<<"$geometry" || fail "width: $geometry"
grep -q 'Height: 400$' <<<"$geometry" || fail "height: $geometry"
note "xwininfo: 300 x 400"

# ---------------------------------------------------------------- pictures

# Colours as the screenshot has them, RRGGBB.
WHITE=FFFFFF
BLACK=000000
PALE_CYAN=A0FFFF
LIGHT_BLUE=C0C0FF
PANEL_SPOT="60 190" # on the panel, between its lines of text

shot() {
    timeout 10 "$IMPORT" -window "$WID" "png:$1" 2>"$WORK/import.log" ||
        fail "screenshot failed: $(cat "$WORK/import.log")"
}
pixel() { "$CONVERT" "$1" -format "%[hex:p{$2,$3}]" info:; }
expect_pixel() { # FILE X Y COLOUR WHAT
    local got
    got=$(pixel "$1" "$2" "$3")
    [[ $got == "$4" ]] || fail "$5 at ($2,$3): $got, expected $4"
}
panel_up() { [[ $(pixel "$1" $PANEL_SPOT) == "$LIGHT_BLUE" ]]; }
# The player's x: the middle of the black run on its row.
player_x() {
    "$CONVERT" "$1" -crop 300x1+0+380 +repage txt:- |
        awk -F'[,:]' '/#000000/ { x = $1 + 0; if (min == "" || x < min) min = x; if (x > max) max = x }
                      END { if (min == "") print -1; else print int((min + max) / 2) }'
}
black_pixels() { # FILE WIDTH HEIGHT X Y
    "$CONVERT" "$1" -crop "$2x$3+$4+$5" +repage txt:- | grep -c '#000000'
}

shot "$OUT/e2e_start.png"
for spot in "10 50" "150 300" "290 395" "280 60"; do
    expect_pixel "$OUT/e2e_start.png" $spot $WHITE "white field before the first game"
done
for spot in "0 0" "60 8" "240 16" "299 10"; do
    expect_pixel "$OUT/e2e_start.png" $spot $BLACK "score bar"
done
expect_pixel "$OUT/e2e_start.png" 10 17 $WHITE "below the score bar"
expect_pixel "$OUT/e2e_start.png" 10 100 $BLACK "boundary line"
expect_pixel "$OUT/e2e_start.png" 290 100 $BLACK "boundary line"
expect_pixel "$OUT/e2e_start.png" 10 99 $WHITE "above the boundary line"
expect_pixel "$OUT/e2e_start.png" $PANEL_SPOT $LIGHT_BLUE "start panel"
expect_pixel "$OUT/e2e_start.png" 230 130 $LIGHT_BLUE "start panel"
note "start screen: white field, black score bar, boundary line, light-blue panel ($OUT/e2e_start.png)"

# Enter, then wait for the first frame: the panel gone, the field pale cyan.
start_game() {
    key_tap Return
    local i
    for i in $(seq 50); do
        shot "$WORK/frame.png"
        [[ $(pixel "$WORK/frame.png" $PANEL_SPOT) == "$PALE_CYAN" ]] && return 0
        sleep 0.1
    done
    fail "Enter did not start a game: $(pixel "$WORK/frame.png" $PANEL_SPOT) on the panel's place"
}

# Runs CHECK up to $TRIES times, each on a fresh game, until it passes. A
# check returns 2 when an enemy ended the game under it, 1 when it failed.
with_fresh_game() {
    local try status
    for try in $(seq $TRIES); do
        start_game
        "$@"
        status=$?
        ((status == 0)) && return 0
        ((status == 1)) && fail "$1"
        note "$1: the game ended under the check (try $try), again"
    done
    fail "$1: the game ended under every one of $TRIES tries"
}

first_frame() {
    shot "$WORK/running.png"
    panel_up "$WORK/running.png" && return 2
    [[ $(pixel "$WORK/running.png" 155 380) == "$BLACK" ]] || return 2
    for spot in "10 50" "150 300" "290 395" "$PANEL_SPOT"; do
        [[ $(pixel "$WORK/running.png" $spot) == "$PALE_CYAN" ]] || return 2 # an enemy or its shot there
    done
    expect_pixel "$WORK/running.png" 60 8 $BLACK "score bar over the frame"
    expect_pixel "$WORK/running.png" 10 100 $BLACK "boundary line over the frame"
    [[ -z ${1:-} ]] || cp "$WORK/running.png" "$1"
}
with_fresh_game first_frame "$OUT/e2e_running.png"
note "Enter: panel gone, pale cyan field, black disc at (155,380) ($OUT/e2e_running.png)"

# Held Left: the player runs to its left limit, x 5, and stays there. The
# server repeats the held key; with detectable auto-repeat on, the program
# is sent presses only and a single release at the end.
count_events() { grep -c "XCB_KEY_$1" "$WORK/game.log"; }
hold_left() {
    local presses releases x
    presses=$(count_events PRESS)
    releases=$(count_events RELEASE)
    key_down Left
    # 150 pixels at 5 a tick take 1.5 s; held at least 2 s so that the
    # server repeats the key, and at most 6 s.
    sleep 2
    for _ in $(seq 40); do
        shot "$WORK/left.png"
        x=$(player_x "$WORK/left.png")
        if [[ $x == 5 ]] || panel_up "$WORK/left.png"; then break; fi
        sleep 0.1
    done
    key_up Left
    sleep 0.3
    panel_up "$WORK/left.png" && return 2
    [[ $x == 5 ]] || { echo "player at x $x after holding Left, expected 5"; return 1; }
    presses=$(($(count_events PRESS) - presses))
    releases=$(($(count_events RELEASE) - releases))
    note "holding Left: $presses key presses, $releases release(s) reached the program"
    ((presses > 1)) || { echo "the server did not repeat the held key"; return 1; }
    ((releases == 1)) || { echo "auto-repeat sent $releases releases: not detectable"; return 1; }
    return 0
}
with_fresh_game hold_left
note "held Left: the disc at the left limit, x 5"

# Held Shift: black dots fly up from the player. Nothing else is black
# between the boundary line and the player.
hold_shift() {
    key_down Shift_L
    sleep 0.6
    shot "$WORK/fire.png"
    key_up Shift_L
    panel_up "$WORK/fire.png" && return 2
    local dots
    dots=$(black_pixels "$WORK/fire.png" 7 260 152 105)
    ((dots >= 9)) || { echo "no shots above the player ($dots black pixels)"; return 1; }
    note "held Shift: $dots black shot pixels above the player"
}
with_fresh_game hold_shift

# Focus lost while Right is held: another window takes the keyboard, the
# key's release goes there, and the player must stop all the same.
xlogo -geometry 100x100+520+360 >/dev/null 2>&1 &
LOGO_PID=$!
LOGO=$(find_window "$LOGO_PID" xlogo)
[[ -n $LOGO ]] || fail "the second window (xlogo) did not appear"
focus_game

lose_focus_while_moving() {
    local x1 x2
    key_down Right
    for _ in $(seq 30); do # until it has moved, at most 3 s
        sleep 0.1
        shot "$WORK/moving.png"
        (($(player_x "$WORK/moving.png") > 160)) && break
    done
    timeout 5 xdotool windowfocus --sync "$LOGO" || fail "cannot focus the second window"
    sleep 0.5
    shot "$WORK/away1.png"
    sleep 1.0
    shot "$WORK/away2.png"
    key_up Right # delivered to the other window
    focus_game
    panel_up "$WORK/away2.png" && return 2
    x1=$(player_x "$WORK/away1.png")
    x2=$(player_x "$WORK/away2.png")
    ((x1 > 155)) || { echo "Right did not move the player (x $x1)"; return 1; }
    ((x1 == x2)) || { echo "the player kept moving after the focus left: x $x1, then $x2"; return 1; }
    note "focus lost while Right was held: the disc stopped at x $x1"
}
with_fresh_game lose_focus_while_moving

# Back in the window, keys work again: Enter restarts from wherever it is.
with_fresh_game first_frame
note "keys reach the game again after the focus came back"

# Left alone, the player is shot before long: the game-over panel comes up
# in front of the last frame, with a result line in dark red.
start_game
for _ in $(seq 120); do
    shot "$WORK/over.png"
    panel_up "$WORK/over.png" && break
    sleep 0.5
done
panel_up "$WORK/over.png" || fail "an idle player was not shot within a minute"
cp "$WORK/over.png" "$OUT/e2e_game_over.png"
expect_pixel "$WORK/over.png" 10 300 $PALE_CYAN "the last frame behind the panel"
expect_pixel "$WORK/over.png" 60 8 $BLACK "score bar"
result_ink=$("$CONVERT" "$WORK/over.png" -crop 193x24+49+162 +repage txt:- | grep -v "^#" | grep -vc "#$LIGHT_BLUE")
((result_ink > 30)) || fail "no result line on the game-over panel ($result_ink pixels)"
note "game over: panel with a result line in front of the last frame ($OUT/e2e_game_over.png)"

# ---------------------------------------------------------------- closing

"$CLOSE_WINDOW" "$WID" || fail "could not send WM_DELETE_WINDOW"
for _ in $(seq 100); do
    kill -0 "$GAME_PID" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$GAME_PID" 2>/dev/null && fail "still running 10 s after the window was closed"
wait "$GAME_PID"
status=$?
GAME_PID=
((status == 0)) || fail "exit status $status after closing"
note "closed with WM_DELETE_WINDOW: exit status 0"
echo "PASS"
