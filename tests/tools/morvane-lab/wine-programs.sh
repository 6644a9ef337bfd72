#!/usr/bin/env bash
# morvane-lab wine runs a program of the prefix by its name, as Windows
# finds it, without a display: cscript.exe runs a script of the current
# folder with the arguments given, and its output and exit status are the
# command's.
# Argument: this build's bin folder. MORVANE_WINDOWS_BIN names the Windows
# build with its Wine tooling (exit 77, skipped, without it), and
# MORVANE_WINEPREFIX the prefix the run may use.
set -euo pipefail
bin="$1"
source "$(dirname "$0")/../../support/wine-tooling-run.sh"
"$bin/morvane-lab" init --empty >/dev/null
touch marker.txt
cat >check.vbs <<'VBS'
Set files = CreateObject("Scripting.FileSystemObject")
WScript.Echo WScript.Arguments(0) & "|" & WScript.Arguments(1) & "|" & _
    files.FileExists("marker.txt")
WScript.Quit 3
VBS
status=0
out=$("$bin/morvane-lab" wine cscript.exe //nologo check.vbs one "two words" | tr -d '\r') ||
    status=$?
[ "$status" = 3 ] || { echo "FAILED: cscript exited $status: $out"; exit 1; }
[ "$out" = "one|two words|True" ] || { echo "FAILED: cscript wrote '$out'"; exit 1; }
echo "1 passed, 0 failed"
