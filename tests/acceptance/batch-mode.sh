#!/usr/bin/env bash
# Batch mode end to end on a fresh emulated server: MorvaneSetup -b renews
# every registration without a display, exits 0 with nothing on standard
# error, and exits 1 with every entry of its log on standard error when
# anything failed, also a failure CHANGE's clearing took out of the window
# and every step the run skipped because a call failed. Renewals racing
# deliveries from other processes leave no message unstamped, and a renewal
# killed at any moment loses no registration.
#
# Usage: batch-mode.sh BIN, the folder of the built programs. The program
# under test is a parameter, so that the same cases run on either build:
#   PROGRAM  the command that starts the setup program, run in the work
#            folder with -b appended (default ./MorvaneSetup); its last word
#            names the program file, copied there from BIN
#   LIBRARY  the sink library's file in BIN (default Morvane.so)
#   PROGRAM_FILES  where the program and library files are, if not in BIN
# The Windows build under Wine, for example:
#   PROGRAM="morvane-lab wine MorvaneSetup.exe" LIBRARY=Morvane.dll \
#   PROGRAM_FILES=build/win32/bin tests/acceptance/batch-mode.sh build/default/bin
#   DIRECTORY  the server's directory: sqlite (default) or samba, a domain
#            controller of Samba's filled with the server's people
# Exit status 77: the program files are not there (no Windows build), skipped.
# Error lines are compared without their date, which is regional on Windows.
set -euo pipefail
bin="$1"
source "$(dirname "$0")/cases.sh"
choose_program "$bin"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; "$lab" directory stop >/dev/null 2>&1 || true
      "$lab" catalog shutdown Morvane >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
export MORVANE_SERVER="$work/server"
export PATH="$bin:$PATH"
# Every build runs without a display, as a scheduler runs it: the Linux
# program offscreen, the Windows one on a hidden desktop.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
lab="$bin/morvane-lab"
cp "$files/$library" "$files/${program_file#./}" "$work/"
cd "$work"

base="http://ex1/exadmin/morvane.test/mbx"
register() {
    [ "$("$lab" invoke Morvane.MorvaneCls CreateRegItem "$base/$1" inbox Morvane.reg onsyncsave \
        Morvane.MorvaneCls SHALLOW ' WHERE "DAV:ishidden" = FALSE' 1)" = 1 ] || fail "register $1"
}
# The batch run's exit status must be $1, and standard error must hold $2
# (without $2: nothing).
batch() {
    status=0
    $program -b >out.txt 2>err.txt || status=$?
    [ "$status" = "$1" ] || fail "the batch run exited $status: $(cat err.txt)"
    if [ $# = 1 ]; then [ ! -s err.txt ]; else grep -q -- "$2" err.txt; fi ||
        fail "standard error does not hold '${2:-nothing}': $(cat err.txt)"
}

"$lab" init --directory "${DIRECTORY:-sqlite}" >/dev/null
"$lab" directory start >/dev/null
"$lab" regsvr "$work/$library" >/dev/null
register anna.berger@morvane.test

# The first run installs the COM+ application; its refused service counts,
# although CHANGE clears the window's log before it renews anna's item.
"$lab" fault add catalog.createservice --hresult 0x80070005 --description "no service" \
    --count 1 >/dev/null
batch 1 "COM+ Application using '.*' account - ERROR: -2147024891 no service"

# A clean batch run: exit 0, nothing on standard error, the registration renewed.
batch 0
"$lab" deliver anna.berger@morvane.test --scl 6 --json | grep -q '"SCL=6"' ||
    fail "a delivery after the batch run was not stamped"

# A renewal that fails: exit 1 and the error line; the registration stays.
"$lab" fault add transaction.commit --url "$base/anna.berger@morvane.test*" \
    --hresult 0x80004005 --description "planted" >/dev/null
batch 1 "anna.berger@morvane.test - ERROR: -2147467259 planted"
"$lab" fault clear >/dev/null
[ "$("$lab" registrations --json | grep -c '"url"')" = 1 ] || fail "a failed renewal lost anna's item"

# Every step the run skips because a call failed fails the run: the fault
# is planted once, and the run names the step with the error. Rows:
# operation | URL pattern (none: every URL) | the line without its date.
while IFS='|' read -r operation url line; do
    "$lab" fault clear >/dev/null
    "$lab" fault add "$operation" ${url:+--url "$url"} --hresult 0x80004005 \
        --description planted --count 1 >/dev/null
    batch 1 "] $line - ERROR: -2147467259 planted"
done <<EOF
directory.eof||Mailbox walk ended at directory record 1: end-of-records test failed
directory.movenext||Mailbox walk ended at directory record 1: move to the next record failed
directory.field|*#msExchHomeServerName|Field msExchHomeServerName of directory record 1 not read
directory.recordcount||Record count of the mailbox directory query not read
directory.property|Page Size|Directory query property Page Size not set
record.open|$base/anna.berger@morvane.test/inbox/Morvane.reg|$base/anna.berger@morvane.test/Inbox
EOF
# A directory connection that did not open at start-up: the walk's query
# cannot take it, a step skipped too.
"$lab" fault clear >/dev/null
"$lab" fault add directory.open --hresult 0x80004005 --description planted --count 1 >/dev/null
batch 1 "] Directory query connection not set - ERROR: "
grep -q "] Directory connection not opened - ERROR: -2147467259 planted" err.txt ||
    fail "the connection's own failure is not on standard error: $(cat err.txt)"
"$lab" fault clear >/dev/null
# Also when the walk's end leaves CHANGE nothing to renew.
"$lab" fault add directory.eof --count 1 >/dev/null
"$lab" fault add transaction.commit >/dev/null
batch 1 "end-of-records test failed"
"$lab" fault clear >/dev/null
batch 0

# Forty more registered mailboxes, so that a renewal takes a while.
for i in $(seq 1 40); do
    "$lab" mailbox add "user$i@morvane.test" --store "Mailbox Store" >/dev/null
    register "user$i@morvane.test"
done
"$lab" registrations --json >before.json

# Two processes deliver while renewals run in a third: every message is stamped.
for step in 7 11; do
    for i in $(seq 1 60); do
        "$lab" deliver "user$(((i * step) % 40 + 1))@morvane.test" --scl 4 --json
    done >"delivered$step.json" &
done
while [ -n "$(jobs -pr)" ]; do batch 0; done
[ "$(cat delivered*.json | grep -c '"comments": "SCL=4"')" = 120 ] ||
    fail "of 120 messages delivered during renewals, some were left unstamped"
"$lab" registrations --json | cmp -s - before.json || fail "renewals changed the items"

# A renewal killed at a random moment leaves every registration in place.
# The kill takes the run's whole process group, as a scheduler ends a task:
# under Wine the program and its loader with it.
for attempt in 1 2 3; do
    setsid $program -b >/dev/null 2>&1 &
    sleep "0.$((RANDOM % 6))$((RANDOM % 10))"
    kill -9 -- -$! 2>/dev/null || true
    wait $! 2>/dev/null || true
    "$lab" registrations --json | cmp -s - before.json || fail "killed renewal $attempt lost items"
done
# Upgrade in place, as the administrator's guide says, while mail arrives:
# the application is shut down, the library replaced and the setup program
# run once; the registrations stay and mail is stamped by the new file.
# The Windows build shuts it down with the guide's cscript line and copies
# at once with Windows' own copy, which Windows refuses while the
# application (started again by mail in between) has the file loaded:
# then the two are run again. Morvane.so is loaded by each delivering
# process, with no application process to shut down: it is replaced in one
# step, and which file a process loaded shows nowhere.
windows=; case "$library" in *.dll) windows=1 ;; esac
cp "$library" Morvane.new
# The guide's lines, word for word: the script made with echo, then the
# shutdown and the copy.
if [ -n "$windows" ]; then
    printf '%s\r\n' 'echo CreateObject("COMAdmin.COMAdminCatalog").ShutdownApplication "Morvane" > shutdown.vbs' \
        >make-script.cmd
    "$lab" wine cmd.exe /c make-script.cmd >/dev/null 2>&1 || fail "the shutdown script not made"
fi
replace_library() {  # replace_library FILE: shut down, then copy FILE over the library
    for attempt in 1 2 3 4 5 6 7 8 9 10; do
        if [ -n "$windows" ]; then
            "$lab" wine cmd.exe /c "cscript //nologo shutdown.vbs && copy /y $1 $library" \
                >/dev/null 2>&1 && return
        else
            "$lab" catalog shutdown Morvane >/dev/null
            cp "$1" replaced.tmp && mv -f replaced.tmp "$library" && return
        fi
    done
    fail "the library could not be replaced in 10 attempts"
}
loaded_size() {  # the size of the library the application's process loaded
    "$lab" catalog processes --json | sed -n 's/.*"size": \([0-9]*\).*/\1/p'
}
{ cat Morvane.new; head -c 4096 /dev/zero; } >Morvane.old
replace_library Morvane.old
"$lab" deliver anna.berger@morvane.test --scl 4 --json | grep -q '"SCL=4"' || fail "old library"
[ -z "$windows" ] || [ "$(loaded_size)" = "$(stat -c %s Morvane.old)" ] || fail "old file not loaded"
rm -f stop
for step in 3 13; do
    i=0
    while [ ! -e stop ]; do
        i=$((i + 1))
        "$lab" deliver "user$(((i * step) % 40 + 1))@morvane.test" --scl 4 --json
        sleep 0.2
    done >"upgrade$step.json" &
done
sleep 1
replace_library Morvane.new
batch 0
touch stop
wait
"$lab" deliver anna.berger@morvane.test --scl 4 --json | grep -q '"SCL=4"' || fail "new library"
[ -z "$windows" ] || [ "$(loaded_size)" = "$(stat -c %s Morvane.new)" ] || fail "new file not loaded"
"$lab" registrations --json | cmp -s - before.json || fail "the upgrade changed the items"
# Every message of the upgrade: stamped, or saved unstamped with the
# store's entry for it in the event log.
"$lab" eventlog | grep EXOLEDB >store-entries.txt || true
awk -F'"' '/"comments":/ { stamp = $4 } /"url":/ { print $4 "\t" stamp; stamp = "" }' \
    upgrade*.json >upgrade.txt
[ -s upgrade.txt ] || fail "no mail arrived during the upgrade"
while IFS=$'\t' read -r url stamp; do
    [ "$stamp" = "SCL=4" ] || grep -qF "$url" store-entries.txt ||
        fail "$url was left unstamped without the store's entry"
done <upgrade.txt
echo "upgrade: $(grep -c 'SCL=4' upgrade.txt) of $(wc -l <upgrade.txt) stamped," \
    "$(wc -l <store-entries.txt) store entries"
echo "1 passed, 0 failed"
