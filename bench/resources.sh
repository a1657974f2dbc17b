#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures what the real game costs to keep open, next to a bare Qt window that
# repaints a 300 x 400 image every 50 ms, in one run under its own Xvfb:
# CPU while halted and while running, peak resident memory, and the time from
# start to a mapped window (median of 5). A third column is the same bare
# window showing one line of text (bare_window --text): the least any window
# that shows text costs, for reading the game's figures against.
#
#   bench/resources.sh [BUILD_DIR] [SECONDS]     (defaults: build/release, 10)
#   KERUBADO=/path/to/kerubado bench/resources.sh ...   (another build of the game)
#
# Needs Xvfb, xdotool and xdpyinfo, and the targets kerubado, bare_window and
# map_time built in BUILD_DIR. Prints figures only; no thresholds. The machine
# should be otherwise idle: the load average is printed with the figures.
set -euo pipefail

build=$(realpath "${1:-build/release}")
seconds=${2:-10}
# KERUBADO=path measures another build of the game (an older one, say)
# against the same bare window.
game=${KERUBADO:-$build/app/kerubado}
bare=$build/bench/bare_window
map_time=$build/bench/map_time
for program in "$game" "$bare" "$map_time"; do
    [[ -x $program ]] || { echo "resources: $program is not built" >&2; exit 1; }
done

# Xvfb picks a free display number itself and writes it once it accepts
# connections, so several runs (and other people's servers) never collide.
display_file=$(mktemp)
pids=()
xvfb_pid=""
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
    rm -f "$display_file"
    [[ -n ${runtime_dir:-} ]] && rm -rf "$runtime_dir"
    wait 2>/dev/null || true
}
trap cleanup EXIT
# Qt warns on every start without one.
runtime_dir=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime_dir
# -noreset: the programs come and go one at a time, and a server that resets
# whenever its last client leaves would make every start pay for (and race
# with) a reset.
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s $display_file ]] && break; sleep 0.1; done
[[ -s $display_file ]] || { echo "resources: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$display_file")"
xdpyinfo >/dev/null 2>&1 || { echo "resources: cannot reach $DISPLAY" >&2; exit 1; }

# Ends a program that map_time started. It is not this shell's child, so
# `wait` cannot see it: poll until it is gone (or only a zombie), so that the
# next start does not overlap with it.
stop() {
    local pid=$1 state
    kill "$pid" 2>/dev/null || return 0
    for _ in $(seq 100); do
        state=$(awk '{ print $3 }' /proc/"$pid"/stat 2>/dev/null) || return 0
        [[ -z $state || $state == Z ]] && return 0
        sleep 0.05
    done
    kill -9 "$pid" 2>/dev/null || true
}

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
# game restarts it too, so it never sits halted. The key goes through XTEST to
# the focused window, as a real key would (a synthetic XSendEvent key is not
# the same path).
cpu_percent() {
    local pid=$1 press=$2 start end
    start=$(cpu_ns "$pid")
    for _ in $(seq "$seconds"); do
        if [[ $press == yes ]]; then xdotool key Return; fi
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
        out=$("$map_time" "$@")
        times+=("$(sed -n 1p <<<"$out")")
        pid=$(sed -n 2p <<<"$out")
        stop "$pid"
    done
    local map_ms
    map_ms=$(printf '%s\n' "${times[@]}" | median)

    out=$("$map_time" "$@")
    pid=$(sed -n 2p <<<"$out")
    pids+=("$pid")
    window=$(timeout 10 xdotool search --sync --pid "$pid" --onlyvisible | head -n 1)
    [[ -n $window ]] || { echo "resources: no window of $program found" >&2; exit 1; }
    timeout 10 xdotool windowfocus --sync "$window" || { echo "resources: cannot focus $program" >&2; exit 1; }
    sleep 1
    local halted running peak
    halted=$(cpu_percent "$pid" no)
    running=$(cpu_percent "$pid" yes)
    peak=$(awk '/^VmHWM:/ { print $2 }' /proc/"$pid"/status)
    stop "$pid"
    echo "$map_ms $halted $running $peak"
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
# In this shell, not a subshell, so that cleanup knows the programs started
# and a failure ends the script.
figures=$(mktemp)
measure "$game" >"$figures"
read -r g_map g_halted g_running g_peak <"$figures"
measure "$bare" >"$figures"
read -r b_map b_halted b_running b_peak <"$figures"
measure "$bare" --text >"$figures"
read -r t_map t_halted t_running t_peak <"$figures"
rm -f "$figures"

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
row() {
    printf '%-28s %10s %12s %7s %14s %7s\n' "$1" "$2" "$3" "$(ratio "$2" "$3")" "$4" "$(ratio "$2" "$4")"
}
printf '%-28s %10s %12s %7s %14s %7s\n' "figure" "game" "bare window" "ratio" "bare + text" "ratio"
row "start to mapped window, ms" "$g_map" "$b_map" "$t_map"
row "CPU while halted, % core" "$g_halted" "$b_halted" "$t_halted"
row "CPU while running, % core" "$g_running" "$b_running" "$t_running"
row "peak resident memory, KiB" "$g_peak" "$b_peak" "$t_peak"
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
