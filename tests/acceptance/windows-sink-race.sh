#!/usr/bin/env bash
# The Windows sink under load, end to end: Morvane.dll, installed into COM+
# by the Windows setup program's first batch run and the only sink library
# of the server, stamps what two processes deliver into registered
# mailboxes while `morvane-lab wine MorvaneSetup.exe -b` renews every
# registration in a third, without a display as a scheduled task runs it
# (on a hidden desktop). Every message
# is stamped exactly once, no run reports an error, and no Windows host
# outlives the run.
# Argument: this build's bin folder. MORVANE_WINDOWS_BIN names the Windows
# build with its Wine tooling (exit 77, skipped, without it), and
# MORVANE_WINEPREFIX the prefix the run may use.
set -euo pipefail
bin="$1"
windows="${MORVANE_WINDOWS_BIN:-}"
for file in MorvaneBridge.dll MorvaneWindowsHost.exe Morvane.dll MorvaneSetup.exe; do
    if [ ! -f "$windows/$file" ]; then
        echo "skipped: MORVANE_WINDOWS_BIN holds no $file"
        exit 77
    fi
done
prefix="${MORVANE_WINEPREFIX:?the Wine prefix of the run}"
unset DISPLAY WAYLAND_DISPLAY
work=$(mktemp -d)
cleanup() {
    kill $(jobs -p) 2>/dev/null || true
    wait 2>/dev/null || true
    [ -z "${lab:-}" ] || "$lab" catalog shutdown Morvane >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
export MORVANE_SERVER="$work/server"
lab="$bin/morvane-lab"
cp "$windows/Morvane.dll" "$windows/MorvaneSetup.exe" "$work/"
cd "$work"

fail() { echo "FAILED: $*"; exit 1; }
base="http://ex1/exadmin/morvane.test/mbx"
# A batch run of the Windows setup program: exit 0, nothing on standard error.
batch() {
    status=0
    "$lab" wine MorvaneSetup.exe -b >out.txt 2>err.txt || status=$?
    [ "$status" = 0 ] && [ ! -s err.txt ] || fail "the batch run exited $status: $(cat err.txt)"
}
# The Windows host processes of this run's prefix.
hosts() {
    for process in $(pgrep -f MorvaneWindowsHost.exe || true); do
        if tr '\0' '\n' <"/proc/$process/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix"; then
            echo "$process"
        fi
    done
}

# The first batch run installs the COM+ application with Morvane.dll, the
# only sink library the server ever sees.
"$lab" init >/dev/null
batch
"$lab" catalog list --json | grep -q '"Morvane.MorvaneCls"' || fail "COM+ holds no sink"
mailboxes=6
for i in $(seq 1 $mailboxes); do
    "$lab" mailbox add "user$i@morvane.test" --store "Mailbox Store" >/dev/null
    [ "$("$lab" invoke Morvane.MorvaneCls CreateRegItem "$base/user$i@morvane.test" inbox \
        Morvane.reg onsyncsave Morvane.MorvaneCls SHALLOW ' WHERE "DAV:ishidden" = FALSE' 1)" = 1 ] ||
        fail "register user$i"
done
"$lab" registrations --json >before.json

# Two processes deliver while three renewals run in a third.
for step in 1 5; do
    i=0
    while [ ! -e stop ]; do
        i=$((i + 1))
        "$lab" deliver "user$(((i * step) % mailboxes + 1))@morvane.test" --scl 4 \
            --keyword "kept" --json 2>>"errors$step.txt" || echo "exit $?" >>"errors$step.txt"
    done >"delivered$step.json" &
done
for renewal in 1 2 3; do batch; done
touch stop
wait
cat errors*.txt | grep -q . && fail "deliveries failed: $(cat errors*.txt)"
delivered=$(cat delivered*.json | grep -c '"url"')
[ "$delivered" -ge 6 ] || fail "only $delivered messages were delivered during the renewals"
[ "$(cat delivered*.json | grep -c '"comments": "SCL=4"')" = "$delivered" ] ||
    fail "of $delivered messages delivered during the renewals, some were left unstamped"
# "kept", the stamp, the comments: each once per message, never a second stamp.
[ "$(cat delivered*.json | grep -c '"SCL=4"')" = $((2 * delivered)) ] ||
    fail "a message was stamped twice"
[ "$(cat delivered*.json | grep -c '"kept"')" = "$delivered" ] || fail "a keyword was lost"
"$lab" registrations --json | cmp -s - before.json || fail "renewals changed the items"
# The COM+ application's one process served them all; shut down, it ends.
[ "$(hosts | wc -l)" = 1 ] || fail "not one Windows host but: $(hosts)"
"$lab" catalog shutdown Morvane >/dev/null
[ -z "$(hosts)" ] || fail "Windows hosts outlived the run: $(hosts)"
echo "$delivered messages stamped during 3 renewals"
