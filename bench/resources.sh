#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What the game costs to keep open, against bare_window, under a private Xvfb:
# start to mapped window, CPU while halted and while running, peak resident
# memory, each with its ratio to the bare window's (see README.md).
#   bench/resources.sh [BUILD_DIR] [SECONDS]     (defaults: build/release, 10)
#   KERUBADO=/path/to/kerubado bench/resources.sh ...   (another build of the game)
set -euo pipefail

build=$(realpath "${1:-build/release}")
seconds=${2:-10}
game=${KERUBADO:-$build/app/kerubado}
map_time=$build/bench/map_time
for program in "$game" "$build/bench/bare_window" "$map_time"; do
    [[ -x $program ]] || { echo "resources: $program is not built" >&2; exit 1; }
done

tmp=$(mktemp -d)
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null || true; rm -rf "$tmp"; wait 2>/dev/null || true; }
trap cleanup EXIT
export XDG_RUNTIME_DIR=$tmp # Qt warns on every start without one
# Xvfb picks a free display itself and writes it once it accepts clients.
# -noreset: a server that resets whenever its last client leaves would make
# every start pay for (and race with) a reset.
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$tmp/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -s $tmp/display ]] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$tmp/display")"
xdpyinfo >/dev/null 2>&1 || { echo "resources: Xvfb did not start" >&2; exit 1; }

# Ends a program map_time started. It is not this shell's child, so poll
# until it is gone (or a zombie), so that the next start does not overlap.
stop() {
    kill "$1" 2>/dev/null || return 0
    for _ in $(seq 100); do
        [[ $(awk '{ print $3 }' /proc/"$1"/stat 2>/dev/null || echo Z) == Z ]] && return 0
        sleep 0.05
    done
    kill -9 "$1" 2>/dev/null || true
}

# Nanoseconds of CPU used so far by every thread of a process.
cpu_ns() { { cat /proc/"$1"/task/*/schedstat 2>/dev/null || true; } | awk '{ t += $1 } END { print t }'; }

# Percent of one core over SECONDS. With Enter pressed once a second (through
# XTEST, as a real key) a game never sits halted: Enter restarts it.
cpu_percent() {
    local start end
    start=$(cpu_ns "$1")
    for _ in $(seq "$seconds"); do
        if [[ $2 == yes ]]; then xdotool key Return; fi
        sleep 1
    done
    end=$(cpu_ns "$1")
    awk -v a="$start" -v b="$end" -v s="$seconds" 'BEGIN { printf "%.2f", (b - a) / (s * 1e7) }'
}

# Prints: map-ms halted-% running-% peak-KiB
measure() {
    local times=() pid window i
    # map_time's output goes to a file: the program it leaves running would
    # hold a $(...) pipe open. The last start stays for the CPU figures.
    for i in 1 2 3 4 5; do
        "$map_time" "$1" >"$tmp/map"
        times+=("$(head -n 1 "$tmp/map")")
        pid=$(sed -n 2p "$tmp/map")
        if ((i < 5)); then stop "$pid"; fi
    done
    pids+=("$pid")
    window=$(timeout 10 xdotool search --sync --pid "$pid" --onlyvisible | head -n 1)
    timeout 10 xdotool windowfocus --sync "$window" || { echo "resources: cannot focus $1" >&2; exit 1; }
    sleep 1
    printf '%s\n' "${times[@]}" | sort -n | sed -n 3p | tr '\n' ' '
    echo "$(cpu_percent "$pid" no) $(cpu_percent "$pid" yes) $(awk '/^VmHWM:/ { print $2 }' /proc/"$pid"/status)"
    stop "$pid"
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
measure "$game" >"$tmp/game"
measure "$build/bench/bare_window" >"$tmp/bare"
cat "$tmp/game" "$tmp/bare" | xargs | awk '
BEGIN { printf "%-28s %10s %12s %7s\n", "figure", "game", "bare window", "ratio" }
{
    split("start to mapped window, ms|CPU while halted, % core|CPU while running, % core|peak resident memory, KiB", name, "|")
    for (i = 1; i <= 4; ++i) printf "%-28s %10s %12s %7.2f\n", name[i], $i, $(i + 4), ($(i + 4) > 0 ? $i / $(i + 4) : 0)
}'
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
