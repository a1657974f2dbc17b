#!/bin/bash
# The real program under a long storm of keys in its own Xvfb: it must stay
# alive, keep drawing while a game runs, keep its memory flat and its CPU use
# modest, and close cleanly at the end.
#
#   soak.sh KERUBADO XTEST_STORM CLOSE_WINDOW [SECONDS]
#
# SECONDS (default $KERUBADO_SOAK_SECONDS, else 120, at least 30) is how long
# the storm lasts. $KERUBADO_SOAK_RATE sets the storm's events a second
# (default 400), $KERUBADO_SOAK_SEED its seed (default: the clock; printed
# either way). Exits 77 (skipped) when the X tools are missing.
#
# With $KERUBADO_SOAK_SANITIZED set (a build with AddressSanitizer) the
# growth of resident memory is shown but not judged: the sanitizer keeps
# freed blocks in quarantine and grows its own tables as it goes, so the
# figure says nothing about the program. Its leak check at the clean exit
# that ends the test stands in for it.
#
# Every few seconds: the program is alive; the window is grabbed twice 200 ms
# apart until two grabs differ. A game that just ended shows a still frame, so
# a still window only fails the test when it lasts: the storm presses Enter now
# and then, and a new game starts.

set -u

KERUBADO=${1:?usage: soak.sh KERUBADO XTEST_STORM CLOSE_WINDOW [SECONDS]}
STORM=${2:?}
CLOSE_WINDOW=${3:?}
DURATION=${4:-${KERUBADO_SOAK_SECONDS:-120}}
RATE=${KERUBADO_SOAK_RATE:-400}
SEED=${KERUBADO_SOAK_SEED:-$(date +%s)}
IMPORT=/usr/bin/import # /usr/local/bin may hold stand-ins

WARMUP=20                 # memory is measured from here on
RSS_GROWTH_LIMIT_KIB=1024 # from WARMUP to the end
CPU_LIMIT_PERCENT=50      # of one core, on average over the storm
CHECK_EVERY=5
PAIRS_PER_CHECK=10
STILL_CHECKS_LIMIT=6    # checks in a row without a single change
STILL_RUNNING_LIMIT=2   # the same, with no panel up: a game that stopped drawing
FRAME_BYTES=$((300 * 400 * 3))
PANEL_SPOT_OFFSET=$(((190 * 300 + 60) * 3)) # (60,190): on the panel, between its lines
LIGHT_BLUE=c0c0ff

for tool in Xvfb xdotool xwininfo timeout cmp od "$IMPORT"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done
if ! [[ $DURATION =~ ^[0-9]+$ ]] || ((DURATION < 30)); then
    echo "FAIL: the soak must last at least 30 s, not \"$DURATION\""
    exit 1
fi

export LC_ALL=C.UTF-8
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
WORK=$(mktemp -d)
# A session directory of its own, as a desktop session would provide.
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
XVFB_PID=
GAME_PID=
STORM_PID=

cleanup() {
    # The storm lets go of every key it holds when told to stop.
    if [[ -n $STORM_PID ]]; then
        kill -TERM "$STORM_PID" 2>/dev/null
        for _ in $(seq 50); do kill -0 "$STORM_PID" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$STORM_PID" 2>/dev/null
        wait "$STORM_PID" 2>/dev/null
    fi
    for pid in $GAME_PID $XVFB_PID; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    if [[ -s $WORK/game.err ]]; then
        echo "--- the program's standard error (last lines):"
        tail -20 "$WORK/game.err"
    fi
    exit 1
}

note() { echo "- $*"; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# ---------------------------------------------------------------- the server

source "$(dirname "${BASH_SOURCE[0]}")/../lib/xvfb.sh"
start_xvfb "$WORK" 2>"$WORK/xvfb.err" || fail "$(cat "$WORK/xvfb.err")"
note "Xvfb on $DISPLAY"

# ---------------------------------------------------------------- the program

"$KERUBADO" >"$WORK/game.out" 2>"$WORK/game.err" &
GAME_PID=$!

alive() { # still running, and not a zombie waiting to be reaped
    local state
    state=$(sed -n 's/^State:[[:space:]]*\([A-Za-z]\).*/\1/p' "/proc/$GAME_PID/status" 2>/dev/null)
    [[ -n $state && $state != Z && $state != X ]]
}

WID=
for _ in $(seq 100); do
    alive || fail "the program ended before its window appeared"
    WID=$(timeout 5 xdotool search --onlyvisible --class '^kerubado$' 2>/dev/null | head -1)
    [[ -n $WID ]] && break
    sleep 0.2
done
[[ -n $WID ]] || fail "no window appeared within 20 s"
timeout 5 xdotool windowfocus --sync "$WID" || fail "cannot focus the game window"
note "window $WID, process $GAME_PID"

# ---------------------------------------------------------------- measures

CLK_TCK=$(getconf CLK_TCK)
status_kib() { sed -n "s/^$1:[[:space:]]*\([0-9]*\) kB/\1/p" "/proc/$GAME_PID/status"; }
# User plus system time, in clock ticks. The fields after the name, which is
# in parentheses and could hold spaces, start with the state (field 3).
cpu_ticks() {
    local rest
    rest=$(sed 's/^.*) //' "/proc/$GAME_PID/stat" 2>/dev/null)
    [[ -n $rest ]] || return 0
    read -r -a f <<<"$rest"
    echo $((f[11] + f[12])) # utime and stime: fields 14 and 15
}
percent() { # TICKS MILLISECONDS
    awk -v t="$1" -v ms="$2" -v hz="$CLK_TCK" 'BEGIN { printf "%.1f", (ms > 0 ? 100 * (t / hz) / (ms / 1000) : 0) }'
}

grab() { # FILE: the window's pixels, RGB, 3 bytes each
    timeout 10 "$IMPORT" -window "$WID" -depth 8 "rgb:$1" 2>>"$WORK/import.log" &&
        [[ $(stat -c %s "$1" 2>/dev/null) == "$FRAME_BYTES" ]]
}
panel_up() { # FILE
    [[ $(od -An -tx1 -j "$PANEL_SPOT_OFFSET" -N 3 "$1" | tr -d ' \n') == "$LIGHT_BLUE" ]]
}

# Sets CHECK to "changed", "still-halted" (the panel is up) or "still-running".
check_frames() {
    CHECK=still-running
    for _ in $(seq $PAIRS_PER_CHECK); do
        alive || return
        grab "$WORK/a.rgb" || fail "cannot grab the window: $(tail -1 "$WORK/import.log")"
        sleep 0.2
        grab "$WORK/b.rgb" || fail "cannot grab the window: $(tail -1 "$WORK/import.log")"
        if ! cmp -s "$WORK/a.rgb" "$WORK/b.rgb"; then
            CHECK=changed
            return
        fi
        if panel_up "$WORK/b.rgb"; then CHECK=still-halted; else CHECK=still-running; fi
    done
}

# ---------------------------------------------------------------- the storm

note "storm: $DURATION s at $RATE events/s, seed $SEED"
"$STORM" --seconds "$DURATION" --rate "$RATE" --seed "$SEED" >"$WORK/storm.out" 2>"$WORK/storm.err" &
STORM_PID=$!
START_MS=$(now_ms)
START_TICKS=$(cpu_ticks)

RSS_WARM='' TICKS_WARM='' MS_WARM=''
RSS_PEAK_SEEN=0
CHECKS=0 CHANGED=0 HALTED=0 STILL_RUN=0
STILL_IN_A_ROW=0 STILL_RUNNING_IN_A_ROW=0
REFOCUSED=0
next_check=$((START_MS + CHECK_EVERY * 1000))

while kill -0 "$STORM_PID" 2>/dev/null; do
    while (($(now_ms) < next_check)) && kill -0 "$STORM_PID" 2>/dev/null; do sleep 0.1; done
    kill -0 "$STORM_PID" 2>/dev/null || break
    next_check=$((next_check + CHECK_EVERY * 1000))
    elapsed=$(($(now_ms) - START_MS))
    alive || fail "the program died $((elapsed / 1000)) s into the storm"

    # Nothing else here takes the keyboard, but a lost focus would quietly
    # turn the storm into nothing: put it back, and count it.
    if [[ $(timeout 5 xdotool getwindowfocus 2>/dev/null) != "$WID" ]]; then
        REFOCUSED=$((REFOCUSED + 1))
        timeout 5 xdotool windowfocus --sync "$WID" || fail "cannot focus the game window again"
    fi

    rss=$(status_kib VmRSS)
    ((rss > RSS_PEAK_SEEN)) && RSS_PEAK_SEEN=$rss
    if [[ -z $RSS_WARM ]] && ((elapsed >= WARMUP * 1000)); then
        RSS_WARM=$rss TICKS_WARM=$(cpu_ticks) MS_WARM=$(now_ms)
        note "at $((elapsed / 1000)) s: VmRSS $RSS_WARM KiB (RssAnon $(status_kib RssAnon), RssFile $(status_kib RssFile)), CPU so far $(percent $((TICKS_WARM - START_TICKS)) $((MS_WARM - START_MS)))%"
    fi

    check_frames
    alive || fail "the program died $((elapsed / 1000)) s into the storm"
    CHECKS=$((CHECKS + 1))
    case $CHECK in
    changed)
        CHANGED=$((CHANGED + 1))
        STILL_IN_A_ROW=0 STILL_RUNNING_IN_A_ROW=0
        ;;
    still-halted)
        HALTED=$((HALTED + 1))
        STILL_IN_A_ROW=$((STILL_IN_A_ROW + 1)) STILL_RUNNING_IN_A_ROW=0
        ;;
    still-running)
        STILL_RUN=$((STILL_RUN + 1))
        STILL_IN_A_ROW=$((STILL_IN_A_ROW + 1)) STILL_RUNNING_IN_A_ROW=$((STILL_RUNNING_IN_A_ROW + 1))
        ;;
    esac
    ((STILL_RUNNING_IN_A_ROW >= STILL_RUNNING_LIMIT)) &&
        fail "the game stopped drawing with no panel up: $STILL_RUNNING_IN_A_ROW checks in a row, $((elapsed / 1000)) s in"
    ((STILL_IN_A_ROW >= STILL_CHECKS_LIMIT)) &&
        fail "the window has not changed for $STILL_IN_A_ROW checks in a row, $((elapsed / 1000)) s in"
done

# The storm ends by itself; it has released every key by the time it exits.
for _ in $(seq 100); do kill -0 "$STORM_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$STORM_PID" 2>/dev/null && fail "the storm did not stop on time"
wait "$STORM_PID"
storm_status=$?
STORM_PID=
END_MS=$(now_ms)
alive || fail "the program died at the end of the storm"
END_TICKS=$(cpu_ticks)
RSS_END=$(status_kib VmRSS)
HWM=$(status_kib VmHWM)
((RSS_END > RSS_PEAK_SEEN)) && RSS_PEAK_SEEN=$RSS_END
((storm_status == 0)) || fail "the storm failed (status $storm_status): $(cat "$WORK/storm.err")"
[[ -s $WORK/storm.out ]] || fail "the storm printed no counts"

# ---------------------------------------------------------------- figures

storm_ms=$((END_MS - START_MS))
cpu_all=$(percent $((END_TICKS - START_TICKS)) "$storm_ms")
echo "--- figures"
note "$(cat "$WORK/storm.out")"
note "duration: $((storm_ms / 1000)).$(printf '%03d' $((storm_ms % 1000))) s"
note "checks: $CHECKS ($CHANGED saw the frame change, $HALTED a still game-over or start panel, $STILL_RUN a still frame with no panel); focus given back $REFOCUSED time(s)"
[[ -n $RSS_WARM ]] || fail "no memory figure was taken at $WARMUP s"
growth=$((RSS_END - RSS_WARM))
note "VmRSS at $WARMUP s: $RSS_WARM KiB; at the end: $RSS_END KiB (RssAnon $(status_kib RssAnon), RssFile $(status_kib RssFile)); growth $growth KiB; peak seen $RSS_PEAK_SEEN KiB; VmHWM $HWM KiB"
note "CPU: $cpu_all% of a core over the storm, $(percent $((END_TICKS - TICKS_WARM)) $((END_MS - MS_WARM)))% after $WARMUP s"

((CHANGED > 0)) || fail "the frame never changed: the keys never started a game"
if [[ -n ${KERUBADO_SOAK_SANITIZED:-} ]]; then
    note "memory growth not judged under AddressSanitizer; its leak check runs at the exit below"
else
    ((growth < RSS_GROWTH_LIMIT_KIB)) ||
        fail "resident memory grew by $growth KiB after $WARMUP s (limit $RSS_GROWTH_LIMIT_KIB KiB)"
fi
awk -v c="$cpu_all" -v l="$CPU_LIMIT_PERCENT" 'BEGIN { exit !(c != "" && c + 0 < l) }' ||
    fail "CPU use $cpu_all% of a core, limit $CPU_LIMIT_PERCENT%"

# ---------------------------------------------------------------- closing

"$CLOSE_WINDOW" "$WID" || fail "could not send WM_DELETE_WINDOW"
for _ in $(seq 100); do
    alive || break
    sleep 0.1
done
alive && fail "still running 10 s after the window was closed"
wait "$GAME_PID"
status=$?
GAME_PID=
((status == 0)) || fail "exit status $status after closing"
note "closed with WM_DELETE_WINDOW: exit status 0"
echo "PASS"
