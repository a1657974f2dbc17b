#!/usr/bin/env bash
# Measures what the real game costs to keep open, next to a bare Qt window that
# repaints a 300 x 400 image every 50 ms, in one run under its own Xvfb:
# CPU while halted and while running, peak resident memory, and the time from
# start to a mapped window (median of 5).
#
#   bench/resources.sh [BUILD_DIR] [SECONDS]     (defaults: build/release, 10)
#
# Needs Xvfb and xdotool. Prints figures only; no thresholds.
set -euo pipefail

build=$(realpath "${1:-build/release}")
seconds=${2:-10}
game=$build/app/kerubado
bare=$build/bench/bare_window
map_time=$build/bench/map_time
for program in "$game" "$bare" "$map_time"; do
    [[ -x $program ]] || { echo "resources: $program is not built" >&2; exit 1; }
done

display=""
for n in $(seq 90 130); do
    if [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]]; then display=":$n"; break; fi
done
[[ -n $display ]] || { echo "resources: no free display number" >&2; exit 1; }
Xvfb "$display" -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# Nanoseconds of CPU used so far by every thread of a process.
cpu_ns() {
    local total=0 task
    for task in /proc/"$1"/task/*/schedstat; do
        read -r ns _ <"$task" 2>/dev/null || continue
        total=$((total + ns))
    done
    echo "$total"
}

# Percent of one core used over SECONDS, pressing Enter once a second when
# asked: a game that ends on its own is restarted at once, and Enter during a
# game restarts it too, so it never sits halted.
cpu_percent() {
    local pid=$1 window=$2 press=$3 start end
    start=$(cpu_ns "$pid")
    for _ in $(seq "$seconds"); do
        [[ $press == yes ]] && xdotool key --window "$window" Return
        sleep 1
    done
    end=$(cpu_ns "$pid")
    awk -v a="$start" -v b="$end" -v s="$seconds" 'BEGIN { printf "%.2f", (b - a) / (s * 1e7) }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Prints: map-ms halted-% running-% peak-KiB
measure() {
    local program=$1 times=() out pid window i
    for i in 1 2 3 4 5; do
        out=$("$map_time" "$program")
        times+=("$(sed -n 1p <<<"$out")")
        pid=$(sed -n 2p <<<"$out")
        kill "$pid"; wait "$pid" 2>/dev/null || true
    done
    local map_ms
    map_ms=$(printf '%s\n' "${times[@]}" | median)

    out=$("$map_time" "$program")
    pid=$(sed -n 2p <<<"$out")
    pids+=("$pid")
    window=$(xdotool search --sync --pid "$pid" --onlyvisible | head -n 1)
    xdotool windowfocus --sync "$window"
    sleep 1
    local halted running peak
    halted=$(cpu_percent "$pid" "$window" no)
    running=$(cpu_percent "$pid" "$window" yes)
    peak=$(awk '/^VmHWM:/ { print $2 }' /proc/"$pid"/status)
    kill "$pid"; wait "$pid" 2>/dev/null || true
    echo "$map_ms $halted $running $peak"
}

read -r g_map g_halted g_running g_peak < <(measure "$game")
read -r b_map b_halted b_running b_peak < <(measure "$bare")

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
printf '%-28s %12s %12s %8s\n' "figure" "game" "bare window" "ratio"
printf '%-28s %12s %12s %8s\n' "start to mapped window, ms" "$g_map" "$b_map" "$(ratio "$g_map" "$b_map")"
printf '%-28s %12s %12s %8s\n' "CPU while halted, % core" "$g_halted" "$b_halted" "$(ratio "$g_halted" "$b_halted")"
printf '%-28s %12s %12s %8s\n' "CPU while running, % core" "$g_running" "$b_running" "$(ratio "$g_running" "$b_running")"
printf '%-28s %12s %12s %8s\n' "peak resident memory, KiB" "$g_peak" "$b_peak" "$(ratio "$g_peak" "$b_peak")"
