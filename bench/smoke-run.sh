#!/bin/sh
# Runs one benchmark program briefly and fails unless it exits cleanly,
# reports no error and reports the counter named by the second argument with
# a positive value. Further arguments go to the program. Only the results
# are ever shown: the program's context names its path.
# MORVANE_BENCH_LAUNCHER, when set, is the command that runs the program
# (Wine for a Windows program).
program=$1
counter=$2
shift 2
output=$(${MORVANE_BENCH_LAUNCHER:-} "$program" --benchmark_format=json "$@" 2>/dev/null)
status=$?
results=${output#*\"benchmarks\"}
if [ $status -ne 0 ]; then
    echo "the benchmark ended with exit status $status"
    exit 1
fi
case $results in
*'"error_occurred": true'*)
    echo "the benchmark reported an error:"
    echo "$results"
    exit 1
    ;;
esac
value=$(printf '%s\n' "$results" | sed -n "s/.*\"$counter\": \([-+0-9.eE]*\).*/\1/p" | head -n 1)
if [ -z "$value" ]; then
    echo "no counter $counter in:"
    echo "$results"
    exit 1
fi
if ! awk -v v="$value" 'BEGIN { exit !(v + 0 > 0) }'; then
    echo "the counter $counter is $value, not a positive ratio"
    exit 1
fi
echo "$counter = $value"
