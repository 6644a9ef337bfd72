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
for file in MorvaneBridge.dll MorvaneWindowsHost.exe MorvaneHiddenDesktop.exe; do
    [ -f "${MORVANE_WINDOWS_BIN:-}/$file" ] || {
        echo "skipped: MORVANE_WINDOWS_BIN holds no $file"
        exit 77
    }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export MORVANE_SERVER="$work/server"
unset DISPLAY WAYLAND_DISPLAY
cd "$work"
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
