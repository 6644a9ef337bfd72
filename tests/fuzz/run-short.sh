#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build over a copy of its corpus, so the
# committed corpus is never changed.
#   tests/fuzz/run-short.sh BUILD_DIR                the short fixed-seed run ./test makes
#   tests/fuzz/run-short.sh BUILD_DIR --seconds 300  a longer session per target, random seed
# A failing target leaves its crashing input in BUILD_DIR/fuzz-crashes/<target>/;
# add it to tests/fuzz/corpus/<target>/ once it is fixed.
set -euo pipefail

if [ $# -lt 1 ]; then
    echo "usage: $0 BUILD_DIR [--seconds N]" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
seconds=""
if [ "${2:-}" = "--seconds" ]; then seconds=${3:?--seconds needs a number}; fi

targets=(profile_round_trip keyword_stamp directory_query store_criteria list_entry_address
         bridge_frame)
# Runs per target in the short run: each takes a few seconds.
declare -A runs=([profile_round_trip]=3000 [keyword_stamp]=100000 [directory_query]=60000
                 [store_criteria]=60000 [list_entry_address]=100000 [bridge_frame]=100000)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
for target in "${targets[@]}"; do
    binary="$build/bin/fuzz_$target"
    if [ ! -x "$binary" ]; then
        echo "fuzz $target: not built" >&2
        failed=1
        continue
    fi
    mkdir -p "$work/$target"
    cp -r "$here/corpus/$target" "$work/$target/corpus"
    cp "$here/$target.dict" "$work/$target/dict"
    if [ -n "$seconds" ]; then
        options=(-max_total_time="$seconds")
    else
        options=(-seed=1 -runs="${runs[$target]}" -max_total_time=30)
    fi
    # Relative names only, so nothing of this machine's paths is printed.
    if (cd "$work/$target" && "$binary" "${options[@]}" -dict=dict -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 corpus >log 2>&1); then
        echo "fuzz $target: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' \
            "$work/$target/log" | grep -o '[0-9]*$') runs, no failure"
    else
        failed=1
        echo "fuzz $target: FAILED" >&2
        tail -n 30 "$work/$target/log" >&2
        mkdir -p "$build/fuzz-crashes/$target"
        cp "$work/$target"/crash-* "$work/$target"/timeout-* "$work/$target"/leak-* \
            "$work/$target"/oom-* "$build/fuzz-crashes/$target/" 2>/dev/null || true
        echo "fuzz $target: the failing input is in fuzz-crashes/$target/ of the build" >&2
    fi
done
exit $failed
