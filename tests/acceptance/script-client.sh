#!/usr/bin/env bash
# An administrator's script against the emulated server, as cscript runs it
# without a display under "morvane-lab wine": script-client.vbs walks the
# directory, reads and writes a mailbox's records, rolls a transaction back
# and lists the COM+ catalog, one line a check; its whole output must be
# script-client.expected, and its exit status 0.
# Argument: this build's bin folder. MORVANE_WINDOWS_BIN names the Windows
# build with its Wine tooling (exit 77, skipped, without it), and
# MORVANE_WINEPREFIX the prefix the run may use.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin="$1"
source "$here/../support/wine-tooling-run.sh"
"$bin/morvane-lab" init >/dev/null
cp "$here/script-client.vbs" client.vbs
status=0
"$bin/morvane-lab" wine cscript.exe //nologo client.vbs >output.txt || status=$?
tr -d '\r' <output.txt >client.out
if ! diff -u "$here/script-client.expected" client.out; then
    echo "FAILED: the script's output differs from script-client.expected (above)"
    exit 1
fi
[ "$status" = 0 ] || { echo "FAILED: cscript exited $status"; exit 1; }
echo "$(wc -l <client.out) checks passed, 0 failed"
