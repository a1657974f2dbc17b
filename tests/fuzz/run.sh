#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fuzzes the rules for SECONDS on a copy of the corpus; prints libFuzzer's final
# figures and the running ticks played, and fails on a crash.
set -euo pipefail
seconds=${1:?usage: $0 SECONDS}
repo=$(cd "$(dirname "$0")/../.." && pwd)
build="$repo/build/fuzz"
[[ -f "$build/CMakeCache.txt" ]] || cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKERUBADO_FUZZ=ON -DKERUBADO_BENCH=OFF >/dev/null
cmake --build "$build" --target rules_fuzz -j 2 >/dev/null
work=$(mktemp -d)
cp -r "$repo/tests/fuzz/corpus" "$work/corpus"
status=0
"$build/tests/fuzz/rules_fuzz" "$work/corpus" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$work/" >"$work/log" 2>&1 || status=$?
grep -E '^(stat::|rules_fuzz|kerubado:|SUMMARY)|^#[0-9]+[[:space:]]+DONE' "$work/log" || true
if [[ $status -eq 0 ]]; then rm -rf "$work"; else echo "rules_fuzz failed ($status): log and input in $work" >&2; fi
exit "$status"
