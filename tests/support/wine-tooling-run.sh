# Sourced by the tests that run a program through "morvane-lab wine"
# without a display: exits 77 (skipped) unless MORVANE_WINDOWS_BIN holds the
# Windows build's Wine tooling, then enters a temporary folder, removed at
# exit, whose "server" MORVANE_SERVER names.
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
