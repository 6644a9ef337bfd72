#!/usr/bin/env bash
# The picture of the setup window on Windows: the shipped 32-bit
# MorvaneSetup.exe of a win32 build runs under Wine ("morvane-lab wine") on
# a virtual display against a demo server made as scripts/demo.sh makes it:
# the default organisation of "morvane-lab init", Morvane.dll installed
# beside MorvaneSetup.exe and registered, and the sink registered in two
# Inboxes and store-wide in the Archive Store. The window installs the COM+
# application as it starts and fills its four lists; it is saved once the
# lists are filled and two pictures a moment apart are the same.
#
# Usage: scripts/windows-screenshot.sh [BUILD_DIR [PICTURE]]
#        (defaults: build/win32 and docs/setup-window-windows.png)
# The win32 build holds the bridge's tooling beside the programs;
# morvane-lab is the Linux build's, from
# build/default/bin or $MORVANE_LAB.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
windows_bin="$(realpath -m "${1:-$root/build/win32}/bin")"
picture="$(realpath -m "${2:-$root/docs/setup-window-windows.png}")"
lab="${MORVANE_LAB:-$root/build/default/bin/morvane-lab}"
for file in MorvaneSetup.exe Morvane.dll MorvaneBridge.dll setup_window_probe.exe; do
    if [ ! -f "$windows_bin/$file" ]; then
        echo "windows-screenshot: $windows_bin/$file is missing; build the win32 preset" \
            "(cmake --preset win32)" >&2
        exit 1
    fi
done
if [ ! -x "$lab" ]; then
    echo "windows-screenshot: $lab is missing; build the default preset" >&2
    exit 1
fi
# import (ImageMagick) takes the picture, xwininfo finds the window.
"$root/scripts/ensure-packages.sh" imagemagick x11-utils

# The demo server and a Wine prefix of its own, both removed afterwards.
work="$(mktemp -d "${TMPDIR:-/tmp}/morvane-picture.XXXXXX")"
export MORVANE_SERVER="$work/demo-server" MORVANE_WINDOWS_BIN="$windows_bin"
export MORVANE_WINEPREFIX="$work/prefix"
end_wine_session() {
    WINEPREFIX="$MORVANE_WINEPREFIX" /usr/lib/wine/wineserver -k 2>/dev/null
    WINEPREFIX="$MORVANE_WINEPREFIX" /usr/lib/wine/wineserver -w 2>/dev/null
}
trap 'end_wine_session || true; rm -rf "$work"' EXIT
programs="$MORVANE_SERVER/Morvane"
"$lab" init >/dev/null
mkdir -p "$programs"
cp "$windows_bin/Morvane.dll" "$windows_bin/MorvaneSetup.exe" \
    "$windows_bin/setup_window_probe.exe" "$programs/"
cd "$programs"
"$lab" regsvr "$programs/Morvane.dll" >/dev/null
source "$root/scripts/demo-registrations.sh"
register_demo_sinks >/dev/null

# The Windows host of the registrations opened a Wine session without a
# display, in which no window opens: the window gets a session of its own.
# The probe starts the window and prints its lists once the first walk has
# filled them; the window stays until the file "taken" exists.
"$root/scripts/on-wine-display.sh" sh -c '
    "$1" wine setup_window_probe.exe MorvaneSetup.exe --hold taken >lists.txt &
    status=1
    for attempt in $(seq 600); do
        grep -q "^Check4 = " lists.txt 2>/dev/null && break
        kill -0 $! 2>/dev/null || break
        sleep 0.2
    done
    for attempt in $(seq 30); do
        grep -q "^Check4 = " lists.txt || break
        sleep 0.5
        timeout 10 import -window "Morvane setup" -strip -define png:exclude-chunk=date,time new.png \
            2>/dev/null || continue
        if [ -f last.png ] && cmp -s new.png last.png; then
            cp new.png "$2" && status=0
            break
        fi
        mv new.png last.png
    done
    touch taken
    wait
    exit $status' sh "$lab" "$picture"
echo "The setup window under Wine on the demo server: $picture"
