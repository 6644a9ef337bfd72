#!/usr/bin/env bash
# The installation as `cmake --install` makes it: the two deliverables side
# by side in a folder of their own, the setup program and the lab tool on the
# program path, nothing else (no test program), and both programs answering
# --version and --help without a display.
# Usage: install.sh BUILD_DIR VERSION
set -euo pipefail
build="$1"
version="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

fail() { echo "FAILED: $*"; exit 1; }

cmake --install "$build" --prefix "$work/usr" >/dev/null
installed=$(cd "$work/usr" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort | tr '\n' ' ')
libdir=$(cd "$work/usr" && find . -name Morvane.so -printf '%h' | sed 's|^\./||')
expected="bin/MorvaneSetup bin/morvane-lab $libdir/Morvane.so $libdir/MorvaneSetup "
[ "$installed" = "$expected" ] || fail "installed: $installed; expected: $expected"
[ "$(readlink -f "$work/usr/bin/MorvaneSetup")" = "$work/usr/$libdir/MorvaneSetup" ] ||
    fail "bin/MorvaneSetup does not lead to the setup program beside Morvane.so"

[ "$("$work/usr/bin/morvane-lab" --version)" = "morvane-lab $version" ] ||
    fail "morvane-lab --version"
[ "$("$work/usr/bin/MorvaneSetup" --version 2>&1)" = "MorvaneSetup $version" ] ||
    fail "MorvaneSetup --version"
help=$("$work/usr/bin/MorvaneSetup" --help 2>&1) || fail "MorvaneSetup --help exited non-zero"
for word in "-b, /b" "--screenshot FILE" "Exit status"; do
    grep -qF -- "$word" <<<"$help" || fail "MorvaneSetup --help does not mention $word"
done
echo "1 passed, 0 failed"
