#!/usr/bin/env bash
# Fuzzes the rules for a bounded time and prints libFuzzer's final figures.
#
#   tests/fuzz/run.sh SECONDS [RULES_FUZZ_BINARY]
#
# Without a binary, configures and builds build/fuzz (Clang, RelWithDebInfo,
# KERUBADO_FUZZ=ON) first. The fuzzer works on a copy of the committed corpus,
# so the repository only changes when someone copies an input back on
# purpose. A broken promise or a fault leaves its input in the output
# directory as crash-*; replay it with
#   build/.../headless_session --replay FILE
# to see the message and, for a fault, the real exit status. Exit status:
# libFuzzer's (0 when the time ran out with nothing found).
set -euo pipefail

if [[ $# -lt 1 || ! $1 =~ ^[0-9]+$ ]]; then
    echo "usage: $0 SECONDS [RULES_FUZZ_BINARY]" >&2
    exit 2
fi
seconds=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)

if [[ $# -ge 2 ]]; then
    fuzzer=$2
else
    build="$repo/build/fuzz"
    if [[ ! -f "$build/CMakeCache.txt" ]]; then
        cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DKERUBADO_FUZZ=ON -DKERUBADO_BENCH=OFF >/dev/null
    fi
    cmake --build "$build" --target rules_fuzz -j 2 >/dev/null
    fuzzer=$(find "$build" -name rules_fuzz -type f -perm -u+x | head -n 1)
fi
if [[ ! -x "$fuzzer" ]]; then
    echo "$0: no rules_fuzz binary at '$fuzzer'" >&2
    exit 2
fi

out=$(mktemp -d "${TMPDIR:-/tmp}/rules_fuzz.XXXXXX")
mkdir "$out/corpus"
cp "$here"/corpus/* "$out/corpus/"
echo "fuzzing for ${seconds}s with $fuzzer; inputs and log in $out"

# -max_len: the longest useful script fits (a full tape is 1021 bytes).
# -timeout: one input runs at most 1024 ticks, far below a second.
status=0
"$fuzzer" "$out/corpus" -max_total_time="$seconds" -print_final_stats=1 -max_len=4096 -timeout=10 \
    -artifact_prefix="$out/" >"$out/log" 2>&1 || status=$?

grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)' "$out/log" || true
grep -E '^stat::' "$out/log" || true
echo "corpus: $(find "$out/corpus" -type f | wc -l) inputs"
if [[ $status -ne 0 ]]; then
    grep -E 'rules_fuzz:|kerubado: fatal error|ERROR: libFuzzer|SUMMARY' "$out/log" | head -n 5 || true
    ls "$out"/crash-* "$out"/timeout-* "$out"/oom-* 2>/dev/null || true
    echo "libFuzzer exited with status $status" >&2
fi
exit "$status"
