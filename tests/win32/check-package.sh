#!/usr/bin/env bash
# Checks the Windows package of a win32 build: Morvane-<version>-win32.zip
# holds exactly the library, the setup program and the administrator's
# guide, the guide with CR LF line ends and the sections an administrator
# looks for.
# Usage: tests/win32/check-package.sh BUILD_DIR VERSION
set -euo pipefail
build=$(cd "$1" && pwd)
version="$2"
zip="$build/Morvane-$version-win32.zip"
fail() { echo "[ FAIL ] $*"; exit 1; }

[ -f "$zip" ] || fail "$(basename "$zip") was not made"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
listed=$(cd "$work" && find . -type f | sed 's|^\./||' | sort | tr '\n' ' ')
[ "$listed" = "AdministratorGuide.txt Morvane.dll MorvaneSetup.exe " ] ||
    fail "the package holds: $listed"
cmp -s "$work/Morvane.dll" "$build/bin/Morvane.dll" || fail "Morvane.dll is not the built one"
guide="$work/AdministratorGuide.txt"
[ "$(grep -c $'\r$' "$guide")" = "$(wc -l <"$guide")" ] || fail "the guide has lines without CR LF"
for heading in "Installing on the server" "Scheduled renewal" "Complete uninstall" \
    "Security note" "MorvaneSetup.exe -b" "2>> renew.log" "LocalSystem" \
    "Messages that are not stamped: the event log" "Event ID:  4"; do
    grep -qF -- "$heading" "$guide" || fail "the guide does not mention: $heading"
done
echo "[ PASS ] $(basename "$zip") holds the two deliverables and the guide"
