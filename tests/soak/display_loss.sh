#!/bin/bash
# The X server dies under the running program (kill -9): the program must end
# by itself within 2 s, with a non-zero exit status of its own (not a signal
# such as an abort), and say what happened in one line on standard error.
#
#   display_loss.sh KERUBADO XTEST_STORM [ROUNDS]
#
# ROUNDS (default 4) alternate between the start panel left alone and a game
# running under a storm of keys, each in a fresh Xvfb, killed at a random
# moment. XTEST_STORM "none": the games run without the storm. Exits 77
# (skipped) when the X tools are missing.

set -u

KERUBADO=${1:?usage: display_loss.sh KERUBADO XTEST_STORM [ROUNDS]}
STORM=${2:?}
ROUNDS=${3:-4}
EXIT_LIMIT_MS=2000
WAIT_LIMIT_MS=5000 # how long to watch before calling it a hang

for tool in Xvfb xdotool xwininfo timeout; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done

export LC_ALL=C.UTF-8
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
WORK=$(mktemp -d)
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
XVFB_PID=
GAME_PID=
STORM_PID=

cleanup() {
    for pid in $STORM_PID $GAME_PID; do
        kill -KILL "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    if [[ -s $WORK/game.err ]]; then
        echo "--- the program's standard error:"
        head -40 "$WORK/game.err"
    fi
    exit 1
}

note() { echo "- $*"; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }

alive() { # PID: running, and not a zombie waiting to be reaped
    local state
    state=$(sed -n 's/^State:[[:space:]]*\([A-Za-z]\).*/\1/p' "/proc/$1/status" 2>/dev/null)
    [[ -n $state && $state != Z && $state != X ]]
}

cpu_ticks() { # PID: user plus system time in clock ticks
    local rest
    rest=$(sed 's/^.*) //' "/proc/$1/stat" 2>/dev/null)
    [[ -n $rest ]] || return 0
    read -r -a f <<<"$rest"
    echo $((f[11] + f[12]))
}

source "$(dirname "${BASH_SOURCE[0]}")/../lib/xvfb.sh"
start_server() {
    start_xvfb "$WORK" 2>"$WORK/xvfb.err" || fail "$(cat "$WORK/xvfb.err")"
}

# One round: WITH_STORM is "storm" or "idle".
round() {
    local n=$1 with=$2 wid='' before after elapsed status delay_ms t0 ticks0 ticks1 usage message lines

    start_server
    "$KERUBADO" >"$WORK/game.out" 2>"$WORK/game.err" &
    GAME_PID=$!
    for _ in $(seq 100); do
        alive "$GAME_PID" || fail "round $n: the program ended before its window appeared"
        wid=$(timeout 5 xdotool search --onlyvisible --class '^kerubado$' 2>/dev/null | head -1)
        [[ -n $wid ]] && break
        sleep 0.2
    done
    [[ -n $wid ]] || fail "round $n: no window appeared within 20 s"
    timeout 5 xdotool windowfocus --sync "$wid" || fail "round $n: cannot focus the game window"

    if [[ $with == storm ]]; then
        timeout 5 xdotool key Return || fail "round $n: xdotool key Return"
        if [[ $STORM != none ]]; then
            "$STORM" --seconds 30 --rate 400 --seed "$RANDOM" --enter-per-second 2 \
                >"$WORK/storm.out" 2>"$WORK/storm.err" &
            STORM_PID=$!
        fi
    fi
    delay_ms=$((300 + RANDOM % 2000))
    sleep "$((delay_ms / 1000)).$(printf '%03d' $((delay_ms % 1000)))"
    alive "$GAME_PID" || fail "round $n: the program ended before the server was killed"

    # Only what the program says after the server is gone counts.
    before=$(stat -c %s "$WORK/game.err")
    t0=$(now_ms)
    kill -KILL "$XVFB_PID"
    while alive "$GAME_PID" && (($(now_ms) - t0 < WAIT_LIMIT_MS)); do sleep 0.01; done
    elapsed=$(($(now_ms) - t0))
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
    if [[ -n $STORM_PID ]]; then
        # It loses the server too, and stops by itself.
        kill -KILL "$STORM_PID" 2>/dev/null
        wait "$STORM_PID" 2>/dev/null
        STORM_PID=
    fi

    if alive "$GAME_PID"; then
        # Hanging or spinning? One more second tells.
        ticks0=$(cpu_ticks "$GAME_PID")
        sleep 1
        ticks1=$(cpu_ticks "$GAME_PID")
        usage="an unknown share"
        [[ -n $ticks0 && -n $ticks1 ]] && usage="$(((ticks1 - ticks0) * 100 / $(getconf CLK_TCK)))%"
        echo "--- its threads: name, state, where they wait"
        for task in /proc/"$GAME_PID"/task/*; do
            echo "$(cat "$task/comm" 2>/dev/null) $(sed 's/^.*) \([A-Za-z]\).*/\1/' "$task/stat" 2>/dev/null)" \
                "$(cat "$task/wchan" 2>/dev/null)"
        done
        kill -KILL "$GAME_PID"
        wait "$GAME_PID" 2>/dev/null
        GAME_PID=
        fail "round $n ($with): still running $elapsed ms after the server died, then using $usage" \
            "of a core for a second"
    fi
    wait "$GAME_PID"
    status=$?
    GAME_PID=
    after=$(tail -c +"$((before + 1))" "$WORK/game.err")
    lines=$(printf '%s' "$after" | grep -c '')
    message=$(printf '%s' "$after" | head -1)

    note "round $n ($with, killed after $delay_ms ms): exit status $status after $elapsed ms; stderr: \"$message\"" \
        "($lines line(s))"
    ((status >= 128)) && fail "round $n: ended by signal $((status - 128)), not by an exit of its own"
    ((status != 0)) || fail "round $n: exit status 0 after losing its display"
    ((elapsed <= EXIT_LIMIT_MS)) || fail "round $n: took $elapsed ms to end, limit $EXIT_LIMIT_MS ms"
    ((lines == 1)) || fail "round $n: expected one line on standard error, got $lines"
    grep -qiE 'x11|x server|display|connection' <<<"$message" ||
        fail "round $n: the message does not say the display was lost: $message"
    [[ -s $WORK/game.out ]] && fail "round $n: wrote to standard output: $(head -3 "$WORK/game.out")"
    return 0
}

for n in $(seq "$ROUNDS"); do
    if ((n % 2 == 1)); then round "$n" idle; else round "$n" storm; fi
done
echo "PASS"
