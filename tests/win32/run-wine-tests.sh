#!/usr/bin/env bash
# Runs the Windows test programs of a win32 build under 32-bit Wine, in a
# fresh win32 prefix of its own that is removed afterwards. The library and
# the setup program they load are the shipped ones: the first step checks
# them byte for byte against the build's package, so make it first
# (cmake --build --preset win32 --target package).
# Usage: tests/win32/run-wine-tests.sh [build-dir]   (default: build/win32)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build/win32}" && pwd)"
bin="$build/bin"

source "$root/scripts/wine-prefix.sh"
if [ ! -x "$wine" ]; then
    echo "32-bit Wine is not installed (scripts/ensure-packages.sh installs it)" >&2
    exit 1
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

# The deliverables the tests load are the package's, byte for byte.
shipped_under_test() {
    local version zip
    version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
    zip="$build/Morvane-$version-win32.zip"
    [ -f "$zip" ] || { echo "$(basename "$zip") is missing: make the package first"; return 1; }
    mkdir -p "$work/package"
    (cd "$work/package" && cmake -E tar xf "$zip")
    local file status=0
    for file in Morvane.dll MorvaneSetup.exe; do
        cmp -s "$work/package/$file" "$file" || { echo "$file is not the package's"; status=1; }
    done
    return $status
}
wanted package && step "the programs under test are the package's" shipped_under_test
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
# The real MorvaneSetup.exe in batch mode without a display, on a hidden
# desktop as a scheduled task runs it: the platform objects fail under
# wine, so the run must end with exit status 1 and its error log on the
# standard error it inherited. Without the hidden desktop no window can be
# made: the run says so, with the failure's error, and exits 1.
batch_mode() {
    local status=0
    "$wineserver" -k >/dev/null 2>&1 || true
    env -u DISPLAY timeout 120 "$wine" ./MorvaneHiddenDesktop.exe MorvaneSetup.exe -b \
        2>batch-err.txt || status=$?
    [ "$status" = 1 ] || { echo "MorvaneSetup.exe -b exited $status"; return 1; }
    grep -q "COM+ Application using '.*' account - ERROR: -" batch-err.txt || {
        echo "the error log is not on standard error: $(cat batch-err.txt)"
        return 1
    }
    status=0
    env -u DISPLAY timeout 120 "$wine" ./MorvaneSetup.exe -b 2>batch-err.txt || status=$?
    "$wineserver" -k >/dev/null 2>&1 || true
    [ "$status" = 1 ] || { echo "MorvaneSetup.exe -b without a desktop exited $status"; return 1; }
    grep -qx "\[.*\] The setup window could not be created - ERROR: -2147023496 [^ ].*" \
        <(tr -d '\r' <batch-err.txt) || {
        echo "no line of the window that could not be created: $(cat batch-err.txt)"
        return 1
    }
}
if [ -f MorvaneSetup.exe ] && [ -f MorvaneHiddenDesktop.exe ] && wanted batch; then
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
