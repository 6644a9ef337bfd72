#!/usr/bin/env bash
# Batch mode end to end on a fresh emulated server: MorvaneSetup -b renews
# every registration without a display, exits 0 with nothing on standard
# error, and exits 1 with its error log on standard error when a renewal
# fails.
set -euo pipefail
bin="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export MORVANE_SERVER="$work/server"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
lab="$bin/morvane-lab"
cp "$bin/Morvane.so" "$bin/MorvaneSetup" "$work/"
cd "$work"

fail() { echo "FAILED: $*"; exit 1; }

"$lab" init >/dev/null
"$lab" regsvr "$work/Morvane.so" >/dev/null
base="http://ex1/exadmin/morvane.test/mbx"
criteria=' WHERE "DAV:ishidden" = FALSE'
result=$("$lab" invoke Morvane.MorvaneCls CreateRegItem "$base/anna.berger@morvane.test" inbox \
    Morvane.reg onsyncsave Morvane.MorvaneCls SHALLOW "$criteria" 1)
[ "$result" = 1 ] || fail "registration: $result"

# A clean batch run: exit 0, nothing on standard error, the registration renewed.
if ! ./MorvaneSetup -b >out.txt 2>err.txt; then fail "clean batch run exited non-zero"; fi
[ ! -s err.txt ] || fail "clean batch run wrote to standard error: $(cat err.txt)"
count=$("$lab" registrations --json | grep -o '"url"' | wc -l)
[ "$count" = 1 ] || fail "expected one registration after the batch run, found $count"
"$lab" deliver anna.berger@morvane.test --scl 6 --json | grep -q '"SCL=6"' ||
    fail "a delivery after the batch run was not stamped"

# A renewal that fails: exit 1 and the error line on standard error.
"$lab" fault add record.delete --url "$base/anna.berger@morvane.test/*" --hresult 0x80004005 \
    --description "planted" >/dev/null
status=0
./MorvaneSetup -b >out.txt 2>err.txt || status=$?
[ "$status" = 1 ] || fail "failing batch run exited $status"
grep -q "anna.berger@morvane.test" err.txt || fail "the error log is not on standard error"
grep -q -- "- ERROR: -2147467259 planted" err.txt || fail "the error line is missing: $(cat err.txt)"
echo "1 passed, 0 failed"
