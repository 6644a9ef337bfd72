#!/usr/bin/env bash
# The mailbox walk on a server of 3,000 people, against the directory given:
# the batch renewal and the form's four lists give the same answer as the
# SQLite directory gives on the same server, and the directory's own faults
# end in the walk's skip and log lines:
# - the directory stopping before the second page of the result;
# - a bind the directory refuses;
# - a query that does not page, as when its "Page Size" cannot be set: the
#   directory's page limit (1,000) is smaller than the result.
#
# Usage: mailbox-walk.sh BIN, the folder of the built programs (Linux build).
#   DIRECTORY      sqlite (default) or samba
#   PROGRAM, LIBRARY, PROGRAM_FILES   the setup program and library as in
#                  batch-mode.sh; for the Windows build the lists are read
#                  from its native window (setup_window_probe.exe beside it)
#   MORVANE_PEOPLE_SERVERS  where the 3,000-people servers are made once and
#                  kept for later runs (default: BIN/../people-servers)
# Exit status 77: the program files are not there (no Windows build), skipped.
set -euo pipefail
bin=$(cd "$1" && pwd)
source "$(dirname "$0")/cases.sh"
choose_program "$bin"
directory="${DIRECTORY:-sqlite}"
lab="$bin/morvane-lab"
servers="${MORVANE_PEOPLE_SERVERS:-$bin/../people-servers}"
work=$(mktemp -d)
export MORVANE_SERVER="$work/server"
# The directory stops, and the COM+ application's process ends.
stop_directory() {
    "$lab" directory stop >/dev/null 2>&1 || true
    "$lab" catalog shutdown Morvane >/dev/null 2>&1 || true
}
trap 'stop_directory; rm -rf "$work"' EXIT
export PATH="$bin:$PATH"

# The servers, made once: 3,000 people, and the same server with Samba's
# directory filled with them (a minute or two the first time).
make_servers() {
    local sqlite="$servers/people-sqlite" samba="$servers/people-samba"
    if [ ! -d "$sqlite" ]; then
        MORVANE_SERVER="$sqlite.new" "$lab" init >/dev/null
        MORVANE_SERVER="$sqlite.new" "$lab" mailbox add --count 2984 --prefix person \
            --store "Mailbox Store" >/dev/null
        mv "$sqlite.new" "$sqlite"
    fi
    if [ "$directory" = samba ] && [ ! -d "$samba" ]; then
        rm -rf "$samba.new"
        cp -a "$sqlite" "$samba.new"
        MORVANE_SERVER="$samba.new" "$lab" directory use samba >/dev/null
        MORVANE_SERVER="$samba.new" "$lab" directory start >/dev/null
        MORVANE_SERVER="$samba.new" "$lab" directory stop >/dev/null
        mv "$samba.new" "$samba"
    fi
}
mkdir -p "$servers"
(
    flock 9
    make_servers
) 9>"$servers/.lock"
passed "the servers of 3,000 people are there"

cp -a "$servers/people-sqlite" "$work/reference"
cp -a "$servers/people-$directory" "$work/server"
cp "$files/$library" "$files/${program_file#./}" "$work/"
[ ! -f "$files/setup_window_probe.exe" ] || cp "$files/setup_window_probe.exe" "$work/"
# The reference is read by the Linux build, from a folder of its own.
mkdir "$work/linux"
cp "$bin/Morvane.so" "$work/linux/"
cd "$work"
base="http://ex1/exadmin/morvane.test/mbx"
MORVANE_SERVER="$work/server" "$lab" regsvr "$work/$library" >/dev/null
MORVANE_SERVER="$work/reference" "$lab" regsvr "$work/linux/Morvane.so" >/dev/null
for server in server reference; do
    for person in person0001 person1500 person2984; do
        [ "$(MORVANE_SERVER="$work/$server" "$lab" invoke Morvane.MorvaneCls CreateRegItem \
            "$base/$person@morvane.test" inbox Morvane.reg onsyncsave Morvane.MorvaneCls \
            SHALLOW ' WHERE "DAV:ishidden" = FALSE' 1)" = 1 ] || fail "registering $person"
    done
done
"$lab" directory start >/dev/null

# The batch run's exit status must be $1; standard error goes to err.txt.
batch() {
    local status=0
    $program -b >out.txt 2>err.txt || status=$?
    [ "$status" = "$1" ] || fail "the batch run exited $status: $(head -c 2000 err.txt)"
}
holds() { grep -qF -- "$1" err.txt || fail "standard error does not hold '$1': $(cat err.txt)"; }
# The four lists as this build shows them: the native window's on Windows,
# the form's model on Linux.
lists() {
    if [ -f setup_window_probe.exe ]; then
        timeout 600 "$lab" wine setup_window_probe.exe MorvaneSetup.exe | sed '$d'
    else
        "$bin/setup_model_probe"
    fi
}
reference_lists() { (cd "$work/linux" && MORVANE_SERVER="$work/reference" "$bin/setup_model_probe"); }

batch 0
[ ! -s err.txt ] || fail "a clean renewal logged: $(cat err.txt)"
diff <("$lab" registrations --json) <(MORVANE_SERVER="$work/reference" "$lab" registrations --json) ||
    fail "the renewal's registration items differ from those on the SQLite directory"
passed "the batch renewal on 3,000 people"

lists >server.lists
reference_lists >reference.lists
[ "$(grep -c '^  \[' reference.lists)" -gt 2900 ] || fail "the reference lists are short"
diff reference.lists server.lists || fail "the lists differ from those of the SQLite directory"
passed "the four lists of 3,000 people"

# The directory stops before the result's second page: the record count
# fails, the walk lists the first page and ends at its last record; the
# refresh after the renewal finds no directory.
down="ERROR: -2147016646 The server is not operational."
"$lab" fault add directory.stop --url 2 --count 1 >/dev/null
batch 1
holds "Record count of the mailbox directory query not read - $down"
holds "Mailbox walk ended at directory record 100: move to the next record failed - $down"
holds "Mailbox directory query failed - $down"
"$lab" fault clear >/dev/null
"$lab" directory start >/dev/null
passed "the directory stopped during the walk"

# A refused bind: no global catalog at start-up, so the walk has no search
# root.
"$lab" directory bind-password wrong >/dev/null
batch 1
holds "Global catalog not found - ERROR: -2147023570 Logon failure: unknown user name or bad password."
holds "Mailbox directory query failed - $down"
"$lab" directory bind-password Morvane-Lab-1 >/dev/null
passed "a bind the directory refuses"

# "Page Size" not set: the query does not page, and the directory's page
# limit cuts the result at 1,000 records, the same on both directories.
for server in server reference; do
    MORVANE_SERVER="$work/$server" "$lab" fault add directory.property --url "Page Size" \
        --description planted >/dev/null
done
batch 1
holds "Directory query property Page Size not set - ERROR: -2147467259 planted"
lists >server.lists
reference_lists >reference.lists
listed=$(grep -c '^  \[' reference.lists)
[ "$listed" -gt 900 ] && [ "$listed" -le 1000 ] || fail "$listed entries listed of 1,000 records"
diff reference.lists server.lists || fail "the cut lists differ from those of the SQLite directory"
passed "a page limit smaller than the result"

echo "$cases passed, 0 failed"
