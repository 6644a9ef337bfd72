#!/usr/bin/env bash
# The picture of the setup window on Windows: runs the shipped 32-bit
# MorvaneSetup.exe of a win32 build under 32-bit Wine on a virtual display,
# in a fresh win32 prefix that reports Windows Server 2003, and saves the
# window once its first activation has filled it. The platform's objects
# (the directory, the COM+ catalog) do not work under Wine: the window opens
# all the same, with every control the refresh leaves, and its error log
# says what failed.
#
# Usage: scripts/windows-screenshot.sh [BUILD_DIR [PICTURE]]
#        (defaults: build/win32 and docs/setup-window-windows.png)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="${1:-$root/build/win32}/bin"
picture="$(realpath -m "${2:-$root/docs/setup-window-windows.png}")"
if [ ! -f "$bin/MorvaneSetup.exe" ]; then
    echo "windows-screenshot: $bin/MorvaneSetup.exe is missing; build the win32 preset" >&2
    exit 1
fi
# import (ImageMagick) takes the picture, xwininfo finds the window.
"$root/scripts/ensure-packages.sh" imagemagick x11-utils

source "$root/scripts/wine-prefix.sh"
prepare_wine_prefix "$bin"
cd "$work/stage"
"$wineserver" -k >/dev/null 2>&1 || true
# The window is saved once two pictures a second apart are the same (no
# dates in the file, so that equal pictures give equal files).
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    "$1" ./MorvaneSetup.exe >/dev/null 2>&1 &
    title="Morvane setup"
    for attempt in $(seq 60); do
        sleep 1
        xwininfo -name "$title" >/dev/null 2>&1 && break
    done
    status=1
    for attempt in $(seq 30); do
        sleep 1
        import -window "$title" -strip -define png:exclude-chunk=date,time "$4/new.png" \
            2>/dev/null || continue
        if [ -f "$4/last.png" ] && cmp -s "$4/new.png" "$4/last.png"; then
            cp "$4/new.png" "$3" && status=0
            break
        fi
        mv "$4/new.png" "$4/last.png"
    done
    "$2" -k
    wait
    exit $status' sh "$wine" "$wineserver" "$picture" "$work"
echo "The setup window under 32-bit Wine: $picture"
