#!/usr/bin/env bash
# Runs the Windows test programs of a win64 build under wine64, in a fresh
# wine prefix of its own that is removed afterwards.
# Usage: tests/win32/run-wine-tests.sh [build-dir]   (default: build/win64)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build/win64}"
bin="$build/bin"

source "$root/scripts/wine-prefix.sh"
if [ ! -x "$wine" ]; then
    echo "wine64 is not installed: the Windows tests are skipped" >&2
    exit 0
fi

run() { timeout 120 "$wine" "$@"; }

echo "== preparing the wine prefix"
prepare_wine_prefix "$bin"
stage="$work/stage"

failed=0
step() {
    local name="$1"
    shift
    echo "== $name"
    if ! "$@"; then
        echo "!! $name failed"
        failed=1
    fi
}

# The sink tests with wine's event log channels on. Wine's ReportEventW
# stores nothing (ReadEventLogW is a stub): it names its call's type and
# event ID on the advapi channel and writes each insert to the eventlog
# channel, so what the sink reported is read from there.
registered_sink() {
    WINEDEBUG=-all,fixme+advapi,warn+eventlog run ./win32_sink_com_tests.exe registered \
        2>eventlog.txt
}
# Every reported entry as one line: "<type> <event ID>|<insert>|<insert>...".
reported_entries() {
    awk '/:fixme:advapi:ReportEventW / {
            if (entry != "") print entry
            split($0, argument, ","); entry = argument[2] " " argument[4]; next }
        /:warn:eventlog:ReportEventW / {
            sub(/^.*:warn:eventlog:ReportEventW /, ""); entry = entry "|" $0 }
        END { if (entry != "") print entry }' eventlog.txt
}
# The library's thousand failing deliveries left one warning of event ID 4
# (a field write); the sink's hourly ones two, the second with the count.
sink_reports() {
    local inbox='http://srv/exadmin/example.org/mbx/ann@example.org/Inbox'
    local entry='0x0002 0x00000004|L"save, begin"|L"%s/%s"|L"-2147024891"|L"Access is denied."|L"%s"\n'
    local expected actual
    expected="$(printf "$entry" "$inbox" failing.eml 1)"
    actual="$(reported_entries | grep -F '/failing.eml"')"
    [ "$actual" = "$expected" ] || { echo "library: expected $expected, got: $actual"; return 1; }
    expected="$(printf "$entry$entry" "$inbox" hourly.eml 1 "$inbox" hourly.eml 1000)"
    actual="$(reported_entries | grep -F '/hourly.eml"')"
    [ "$actual" = "$expected" ] || { echo "hourly: expected $expected, got: $actual"; return 1; }
}

cd "$stage"
# MORVANE_WINE_STEPS=window (or any other step's word) runs only that part.
only="${MORVANE_WINE_STEPS:-all}"
wanted() { [ "$only" = all ] || [[ " $only " == *" $1 "* ]]; }
wanted adapters && step "adapters" run ./win32_adapter_tests.exe
if [ -f Morvane.dll ] && wanted sink; then
    step "register the library" run regsvr32 /s Morvane.dll
    step "the registered library" registered_sink
    step "the sink's event log entries" sink_reports
    step "unregister the library" run regsvr32 /s /u Morvane.dll
    step "the unregistered library" run ./win32_sink_com_tests.exe unregistered
fi
if [ -f win32_machine_tests.exe ] && wanted probes; then
    step "probes" run ./win32_machine_tests.exe
fi
if [ -f win32_window_tests.exe ] && command -v xvfb-run >/dev/null && wanted window; then
    # A fresh wine session on the virtual display: one started without a
    # display cannot open windows. Wine leaves the display before the
    # virtual display goes away.
    "$wineserver" -k >/dev/null 2>&1 || true
    step "setup window" timeout 120 xvfb-run -a sh -c \
        '"$1" ./win32_window_tests.exe; status=$?; "$2" -k; exit $status' sh "$wine" "$wineserver"
fi
# The real MorvaneSetup.exe in batch mode, on the virtual display as well:
# the platform objects fail under wine, so the run must end with exit status
# 1 and its error log on the standard error it inherited.
batch_mode() {
    local status=0
    "$wineserver" -k >/dev/null 2>&1 || true
    timeout 120 xvfb-run -a sh -c \
        '"$1" ./MorvaneSetup.exe -b 2>batch-err.txt; status=$?; "$2" -k; exit $status' \
        sh "$wine" "$wineserver" || status=$?
    [ "$status" = 1 ] || { echo "MorvaneSetup.exe -b exited $status"; return 1; }
    grep -q "COM+ Application using '.*' account - ERROR: -" batch-err.txt || {
        echo "the error log is not on standard error: $(cat batch-err.txt)"
        return 1
    }
}
if [ -f MorvaneSetup.exe ] && command -v xvfb-run >/dev/null && wanted batch; then
    step "batch mode" batch_mode
fi
if [ -f window_bench.exe ] && command -v xvfb-run >/dev/null && wanted bench; then
    # A short run keeps the benchmark working; its figures mean nothing.
    # MORVANE_BENCH_QUICK set empty asks for the full run (bench/README.md).
    "$wineserver" -k >/dev/null 2>&1 || true
    step "window benchmark" timeout 300 xvfb-run -a sh -c \
        'MORVANE_BENCH_QUICK="$4" MORVANE_BENCH_LAUNCHER="$1" sh "$3" ./window_bench.exe \
            native_list_fill_ratio; status=$?; "$2" -k; exit $status' \
        sh "$wine" "$wineserver" "$root/bench/smoke-run.sh" "${MORVANE_BENCH_QUICK-1}"
fi
exit $failed
