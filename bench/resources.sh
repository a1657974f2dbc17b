#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What two programs cost under a private Xvfb, in turns (README.md): [OLD [NEW [RUNS [SECONDS]]]],
# by default bare_window and the game of build/bench (BUILD=dir for another), 5, 8
set -euo pipefail

build=$(realpath "${BUILD:-build/bench}")
old=$(realpath "${1:-$build/bench/bare_window}") new=$(realpath "${2:-$build/app/kerubado}")
runs=${3:-5} seconds=${4:-8} map_time=$build/bench/map_time
for p in "$old" "$new" "$map_time"; do [[ -x $p ]] || { echo "resources: $p is not built" >&2; exit 1; }; done
pin=(taskset -c 1) # the server and the program on one CPU: the machine is shared

tmp=$(mktemp -d)
pids=() # the X server's: a program ends with it, and a stopped one's pid may be reused
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$tmp"; wait 2>/dev/null || true' EXIT
export XDG_RUNTIME_DIR=$tmp LC_NUMERIC=C # Qt warns without the first; $EPOCHREALTIME needs the second
# Xvfb picks a free display, also on TCP port 6000 + display; -noreset spares each start a reset.
"${pin[@]}" Xvfb -displayfd 3 -screen 0 640x480x24 -listen tcp -noreset 3>"$tmp/display" >/dev/null 2>&1 &
xvfb=$! && pids+=("$xvfb")
for _ in $(seq 100); do [[ -s $tmp/display ]] && break; sleep 0.1; done
display=$(head -n 1 "$tmp/display") && port=$((6000 + display))
export DISPLAY=":$display"
xdpyinfo >/dev/null 2>&1 || { echo "resources: Xvfb did not start" >&2; exit 1; }

# Ends a program map_time started, polling: it is not this shell's child.
stop() {
    kill "$1" 2>/dev/null || return 0
    for _ in $(seq 100); do [[ $(ps -o s= -p "$1") =~ ^Z?$ ]] && return 0; sleep 0.05; done
    kill -9 "$1" 2>/dev/null || true
}

# PROGRAM VAR=VALUE...: started pinned, its window focused; prints ms to map, leaves $pid.
launch() {
    env "${@:2}" "${pin[@]}" "$map_time" "$1" >"$tmp/map" # a file: the program would hold a pipe open
    pid=$(sed -n 2p "$tmp/map")
    window=$(timeout 10 xdotool search --sync --pid "$pid" --onlyvisible | head -n 1)
    timeout 10 xdotool windowfocus --sync "$window" || { echo "resources: cannot focus $1" >&2; exit 1; }
    sleep 1
    head -n 1 "$tmp/map" | tr '\n' ' '
}

# A process's CPU ns (all threads), context switches (wakeups, preemptions), bytes sent to X over TCP.
cpu_ns() { { cat /proc/"$1"/task/*/schedstat 2>/dev/null || true; } | awk '{ t += $1 } END { print t }'; }
switches() { { cat /proc/"$1"/task/*/status 2>/dev/null || true; } | awk '/ctxt/ { t += $2 } END { print t }'; }
sent() { ss -tinpH "dport = :$port" | grep -A1 "pid=$1," | awk -F bytes_sent: '{ t += $2 } END { print t + 0 }'; }
counters() { echo "$EPOCHREALTIME $(cpu_ns "$1") $(cpu_ns "$xvfb") $(switches "$1") $(sent "$1")"; }

# Shift held; Left and Right a second each in turn, Enter at each turn (starts or restarts a game).
busy() {
    local i k=(Left Right) script=(keydown Shift_L)
    for ((i = 0; i < seconds; ++i)); do script+=(key Return keydown "${k[i % 2]}" sleep 1 keyup "${k[i % 2]}"); done
    timeout $((seconds + 10)) xdotool "${script[@]}" keyup Shift_L
}

# PID COMMAND...: runs it; prints a second's CPU of PID and of X (% core), PID's wakeups, bytes to X.
during() {
    local before && before=$(counters "$1")
    "${@:2}"
    echo "$before $(counters "$1")" | awk '{ s = $6 - $1 } # $1 to $5 before, $6 to $10 after
        { printf "%.2f %.2f %.1f %.0f ", ($7 - $2) / s / 1e7, ($8 - $3) / s / 1e7, ($9 - $4) / s, ($10 - $5) / s }'
}

# One line: map-ms, panel (4 figures), busy (4), peak-KiB, then over TCP map-ms, busy (4).
sample() {
    launch "$1"
    during "$pid" sleep "$seconds"
    during "$pid" busy
    printf '%s ' "$(awk '/^VmHWM:/ { print $2 }' /proc/"$pid"/status)"
    stop "$pid"
    launch "$1" DISPLAY="127.0.0.1:$display" QT_XCB_NO_MITSHM=1
    during "$pid" busy
    stop "$pid"
    echo
}

printf 'old: %s\nnew: %s\n%s runs of each, %s s a figure; load average before: %s\n' "$old" "$new" "$runs" \
    "$seconds" "$(cut -d' ' -f1-3 /proc/loadavg)"
for ((run = 1; run <= runs; ++run)); do
    # old new, new old, ...: a steady drift in the machine's load falls on both alike
    if ((run % 2)); then order=(old new); else order=(new old); fi
    for which in "${order[@]}"; do sample "${!which}" >>"$tmp/$which"; done
done
awk 'NF != 15 { print "resources: a program ended before its figures" > "/dev/stderr"; exit 1 }' "$tmp/old" "$tmp/new"
# COLUMN NAME: min, median and max of that column for old and for new, and new's median / old's.
row() {
    for w in old new; do
        awk -v c="$1" '{ print $c }' "$tmp/$w" | sort -g |
            awk '{ v[NR] = $1 } END { print v[1], (v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2, v[NR] }'
    done | xargs | awk -v name="$2" 'function f(x) { return sprintf(x >= 1000 ? "%.0f" : "%.2f", x) }
        { printf "%-38s", name; for (i = 1; i <= 6; ++i) printf " %9s", f($i); printf " %7.2f\n", $2 ? $5 / $2 : 0 }'
}
printf '%-38s %29s %29s %7s\n' figure "old: min    median       max" "new: min    median       max" new/old
for r in "1|start to mapped window, ms" "2|panel: CPU, % core" "4|panel: wakeups a second" \
    "6|busy, MIT-SHM: CPU, % core" "7|busy, MIT-SHM: X server CPU, % core" "12|busy, TCP: CPU, % core" \
    "13|busy, TCP: X server CPU, % core" "15|busy, TCP: bytes a second to X" "10|peak resident memory, KiB"; do
    row "${r%%|*}" "${r#*|}"
done
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
