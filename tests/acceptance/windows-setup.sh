#!/usr/bin/env bash
# The Windows build's setup program under Wine against the emulated server,
# checked against the Linux build on a twin server (two copies of one fresh
# demo server):
# - MorvaneSetup.exe -b through "morvane-lab wine" installs the COM+
#   application and renews registrations exactly as the Linux
#   MorvaneSetup -b does: the same registration items, application and
#   components, exit status and standard error (dates aside), also with
#   planted faults;
# - the native window's four lists hold the entries and ticks that the
#   form's model holds on Linux, on either twin;
# - "Uninstall completely" in the native window leaves no registration
#   item, COM+ application or class, in the server nor in the Wine prefix;
# - a Windows program whose bridge is gone logs the platform's failures and
#   ends at once.
#
# With DIRECTORY=samba the server's directory is Samba's (each twin runs
# its own domain controller), and the form's lists must also be those of the
# same server with the SQLite directory.
#
# Usage: windows-setup.sh BIN_DIR   (the Linux build's bin folder)
# The Windows build's bin folder is $MORVANE_WINDOWS_BIN, the Wine prefix
# $MORVANE_WINEPREFIX. It runs itself on a virtual display, in a Wine
# session of its own.
# Exit status 77: no Windows build with its tooling, skipped.
set -euo pipefail
windows_bin="${MORVANE_WINDOWS_BIN:-}"
if [ ! -f "$windows_bin/MorvaneBridge.dll" ]; then
    echo "skipped: MORVANE_WINDOWS_BIN holds no MorvaneBridge.dll" \
        "(cmake --preset win32, then build it)"
    exit 77
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
export MORVANE_WINEPREFIX="${MORVANE_WINEPREFIX:-$HOME/.local/share/morvane/wine}"
[ -n "${MORVANE_WINE_DISPLAY:-}" ] || exec "$root/scripts/on-wine-display.sh" "$0" "$@"
bin=$(cd "$1" && pwd)
lab="$bin/morvane-lab"
loader="${MORVANE_WINE:-/usr/lib/wine/wine}"
# Wine names the account after the Unix user; the Linux build takes it from
# the server's machine facts, set to the same name below.
export USER="$(id -un)"
directory="${DIRECTORY:-sqlite}"
work=$(mktemp -d)
twins=(linux windows)
[ "$directory" = sqlite ] || twins+=(reference)
# The twins' directories stop, and their COM+ applications' processes end.
stop_directories() {
    for twin in "${twins[@]}"; do
        MORVANE_SERVER="$work/$twin/server" "$lab" directory stop >/dev/null 2>&1 || true
        MORVANE_SERVER="$work/$twin/server" "$lab" catalog shutdown Morvane >/dev/null 2>&1 || true
    done
}
trap 'stop_directories; rm -rf "$work"' EXIT

source "$root/tests/acceptance/cases.sh"

# A Windows program run straight under Wine in the prepared prefix.
run_wine() {
    WINEPREFIX="$MORVANE_WINEPREFIX" WINEARCH=win32 WINEDEBUG=-all \
        WINEDLLOVERRIDES="winemenubuilder.exe=d;winedbg.exe=d;mscoree,mshtml=" \
        timeout 120 "$loader" "$@"
}

# The twins: one fresh demo server, copied; each twin is an installation
# folder with its build's programs beside its server. The reference is the
# same server with the SQLite directory, and the Linux build.
MORVANE_SERVER="$work/server" "$lab" init >/dev/null
MORVANE_SERVER="$work/server" "$lab" machine set "user=$USER" >/dev/null
mkdir "$work/linux" "$work/windows" "$work/reference"
cp "$bin/Morvane.so" "$bin/MorvaneSetup" "$work/linux/"
cp "$bin/Morvane.so" "$bin/MorvaneSetup" "$work/reference/"
cp "$windows_bin/Morvane.dll" "$windows_bin/MorvaneSetup.exe" \
    "$windows_bin/setup_window_probe.exe" "$work/windows/"
cp -a "$work/server" "$work/reference/server"
MORVANE_SERVER="$work/server" "$lab" directory use "$directory" >/dev/null
cp -a "$work/server" "$work/linux/server"
mv "$work/server" "$work/windows/server"
for twin in linux windows; do
    MORVANE_SERVER="$work/$twin/server" "$lab" directory start >/dev/null
done

# Runs a command in a twin's folder, on its server.
on() {
    local twin=$1
    shift
    (cd "$work/$twin" && MORVANE_SERVER="$work/$twin/server" "$@")
}
both() {
    on linux "$@"
    on windows "$@"
}

# Both builds' MorvaneSetup -b, each on its twin: the exit status must be
# $1 on both, standard error the same but for the dates (in $work/log), and
# so must be the registration items and the COM+ catalog afterwards.
undated() { sed -E 's/^\[[^]]*\]/[date]/' "$1"; }
renew_on_both() {
    local status=0
    on linux env -u DISPLAY timeout 120 ./MorvaneSetup -b >/dev/null 2>"$work/linux.err" || status=$?
    [ "$status" = "$1" ] || fail "Linux: MorvaneSetup -b exited $status: $(cat "$work/linux.err")"
    status=0
    on windows timeout 180 "$lab" wine MorvaneSetup.exe -b >/dev/null 2>"$work/windows.err" ||
        status=$?
    [ "$status" = "$1" ] || fail "Windows: MorvaneSetup.exe -b exited $status: $(cat "$work/windows.err")"
    undated "$work/linux.err" >"$work/log"
    undated "$work/windows.err" | diff "$work/log" - || fail "the builds logged differently"
    for listing in registrations "catalog list"; do
        # shellcheck disable=SC2086 # the listing is two words
        diff <(on linux "$lab" $listing --json) <(on windows "$lab" $listing --json) ||
            fail "the twins' $listing differ"
    done
}

renew_on_both 0
[ ! -s "$work/log" ] || fail "a clean installation logged: $(cat "$work/log")"
on windows "$lab" catalog list --json | tr -d ' \n' |
    grep -q '"components":\["Morvane.MorvaneCls"\],"name":"Morvane".*"service":{' ||
    fail "no COM+ application with the class and its service: $(on windows "$lab" catalog list)"
passed "a fresh server: both builds install the same COM+ application"

# The demo's registrations, two Inboxes and the Archive Store store-wide,
# made through each build's own library (the Windows one in the Windows
# host).
source "$root/scripts/demo-registrations.sh"
if [ "$directory" != sqlite ]; then
    on reference env -u DISPLAY timeout 120 ./MorvaneSetup -b >/dev/null 2>&1 ||
        fail "installing on the SQLite directory's reference failed"
fi
for twin in "${twins[@]}"; do
    on "$twin" register_demo_sinks >/dev/null || fail "registering on the $twin twin"
done
base="http://ex1/exadmin/morvane.test/mbx"
on linux "$lab" registrations --json >"$work/registered.json"
renew_on_both 0
[ ! -s "$work/log" ] || fail "a clean renewal logged: $(cat "$work/log")"
on windows "$lab" registrations --json | cmp -s - "$work/registered.json" ||
    fail "the renewal changed the registration items"
passed "registered mailboxes: both builds renew them alike"

# The start-up's COM+ test and the installation it then tries fail once
# each, and anna's renewal fails in the library: three entries, newest
# first, and the registrations stay.
both "$lab" fault add catalog.populate --count 2 --hresult 0x80004005 \
    --description "catalog planted" >/dev/null
both "$lab" fault add transaction.commit --url "$base/anna.berger@morvane.test*" \
    --hresult 0x80004005 --description "store planted" >/dev/null
renew_on_both 1
both "$lab" fault clear >/dev/null
account="Morvane COM+ Application using '$USER' account - ERROR: -2147467259 catalog planted"
printf '%s\r\n\r\n' \
    "[date] $base/anna.berger@morvane.test - ERROR: -2147467259 store planted" \
    "[date] Attempt to install $account" \
    "[date] Attempt to check the existence of $account" | diff - "$work/log" ||
    fail "the planted faults were not logged as expected"
on windows "$lab" registrations --json | cmp -s - "$work/registered.json" ||
    fail "a failed renewal changed the registration items"
passed "planted faults: the same log lines and exit status 1 on both builds"

# The native window against the form's model on Linux, on the same server
# (its library then runs in the Windows host) and on the Linux twin.
for twin in linux windows; do
    on "$twin" "$bin/setup_model_probe" >"$work/$twin-model.lists" ||
        fail "the model's lists on the $twin twin could not be read"
done
on windows timeout 180 "$lab" wine setup_window_probe.exe MorvaneSetup.exe >"$work/window.lists" ||
    fail "the window probe failed"
[ "$(tail -n 1 "$work/window.lists")" = "exit 0" ] || fail "Exit did not end the program with 0"
sed -i '$d' "$work/window.lists"
lists="$work/linux-model.lists"
grep -q '^Check4 = 0, enabled: MbxUninstList$' "$lists" &&
    grep -q '^  \[ \] .* / anna.berger@morvane.test / aberger$' "$lists" ||
    fail "the model's lists miss the registered mailboxes: $(cat "$lists")"
diff "$lists" "$work/windows-model.lists" || fail "the model's lists differ between the twins"
diff "$lists" "$work/window.lists" || fail "the native window's lists differ"
if [ "$directory" != sqlite ]; then
    on reference env -u DISPLAY timeout 120 ./MorvaneSetup -b >/dev/null 2>&1 ||
        fail "the renewal on the SQLite directory failed"
    on reference "$bin/setup_model_probe" | diff - "$lists" ||
        fail "the lists differ from those of the SQLite directory"
fi
passed "the native window's four lists hold what the form's model holds"

# "Uninstall completely", answered Yes, with every unregistered mailbox
# selected before: the uninstall registers none of them.
prefix_key() { run_wine reg query "HKCR\\$1" "${@:2}" 2>/dev/null; }
clsid=$(prefix_key 'Morvane.MorvaneCls\CLSID' /ve | grep -o '{[0-9A-Fa-f-]*}') ||
    fail "the prefix has no Morvane.MorvaneCls"
on windows timeout 180 "$lab" wine setup_window_probe.exe MorvaneSetup.exe --uninstall \
    >"$work/uninstall.txt" || fail "the window probe failed"
question='COM+ application and all event registration items will be removed.\rAfter that the'
question="$question Morvane setup program will be closed automatically.\\r\\rContinue?"
{
    cat "$work/window.lists"
    awk '/^Check/ { panel = $1 } { if (panel == "Check3") sub(/^  \[ \]/, "  [x]") } 1' \
        "$work/window.lists"
    printf '%s\n' "question: Morvane setup: $question" "buttons: Yes No" "exit 0"
} | diff - "$work/uninstall.txt" || fail "the uninstall did not run as expected"
[ "$(on windows "$lab" registrations --json)" = "[]" ] || fail "registration items are left"
[ "$(on windows "$lab" catalog list --json)" = "[]" ] || fail "a COM+ application is left"
created=$(on windows "$lab" invoke Morvane.MorvaneCls CheckRegItemExists "$base" inbox x 2>&1) &&
    fail "the class is still registered in the server"
[ "$created" = "morvane-lab: error: -2147221005 Invalid class string" ] ||
    fail "creating the class failed otherwise: $created"
! prefix_key Morvane.MorvaneCls >/dev/null || fail "the prefix still has Morvane.MorvaneCls"
! prefix_key "CLSID\\$clsid" >/dev/null || fail "the prefix still has the class $clsid"
passed "\"Uninstall completely\" in the native window leaves nothing behind"

# The bridge's server gone: every platform object fails at once with the
# platform's own error, and the batch run ends with its log.
begun=$(date +%s%N)
status=0
(cd "$work/windows" && MORVANE_BRIDGE=127.0.0.1:1 MORVANE_BRIDGE_TOKEN=gone \
    run_wine MorvaneSetup.exe -b >/dev/null 2>"$work/gone.err") || status=$?
took=$((($(date +%s%N) - begun) / 1000000))
[ "$status" = 1 ] || fail "with the bridge gone, MorvaneSetup.exe -b exited $status"
[ "$took" -lt 30000 ] || fail "with the bridge gone, MorvaneSetup.exe -b took $took ms"
gone="ERROR: -2147023174 The RPC server is unavailable."
gone="$gone (bridge: cannot connect to 127.0.0.1:1: error 10061)"
account="Morvane COM+ Application using '$USER' account - $gone"
# Newest first: the COM+ routines, the library object (no class is left in
# the prefix after the uninstall above) and every start-up step the batch
# run skipped.
printf '%s\r\n\r\n' \
    "[date] Morvane COM+ application not found. Event (un)registration impossible." \
    "[date] Attempt to check the existence of $account" \
    "[date] Morvane.MorvaneCls object not created - ERROR: -2147221005 Automation error" \
    "[date] Attempt to install $account" \
    "[date] Attempt to uninstall $account" \
    "[date] Directory connection not created - $gone" \
    "[date] Global catalog not found - $gone" \
    "[date] WinNTSystemInfo object not created - $gone" \
    "[date] ADSystemInfo object not created - $gone" | diff - <(undated "$work/gone.err") ||
    fail "with the bridge gone, the log is not the platform's failures"
passed "the bridge gone: the platform's failures logged, the run over in $took ms"

echo "$cases passed, 0 failed"
