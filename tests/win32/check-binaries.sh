#!/usr/bin/env bash
# Checks the shipped Windows binaries of a win32 build: 32-bit, for Windows
# Server 2003 (subsystem 5.2), importing system libraries only and no
# function newer than that system, and the library exporting exactly the
# four entry points of an in-process server by their plain names. Then what
# only a run shows, under 32-bit Wine with the two binaries alone in a fresh
# win32 prefix: the library registers and unregisters itself with the
# 32-bit regsvr32, and the setup program answers --version.
# Usage: tests/win32/check-binaries.sh [build-dir]   (default: build/win32)
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build/win32}" && pwd)"
bin="$build/bin"
objdump=i686-w64-mingw32-objdump

passed=0
failed=0
expect() {
    local name="$1" ok="$2" detail="${3:-}"
    if [ "$ok" = yes ]; then
        passed=$((passed + 1))
        echo "[ PASS ] $name"
    else
        failed=$((failed + 1))
        echo "[ FAIL ] $name${detail:+ -- $detail}"
    fi
}
yes_if() { if "$@"; then echo yes; else echo no; fi; }

system_dlls="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll user32.dll"
# Functions that arrived after Windows Server 2003.
newer_functions="GetTickCount64 RegDeleteTreeA RegDeleteTreeW RegGetValueA RegGetValueW InitializeSRWLock AcquireSRWLockExclusive AcquireSRWLockShared InitOnceExecuteOnce InitializeConditionVariable SleepConditionVariableCS WakeConditionVariable WakeAllConditionVariable InitializeCriticalSectionEx CreateEventExA CreateEventExW GetFinalPathNameByHandleW CreateSymbolicLinkW GetLocaleInfoEx CompareStringEx LCMapStringEx GetFileInformationByHandleEx SetFileInformationByHandle GetErrorMode FlsAlloc"

check_binary() {
    local file="$1" name
    name="$(basename "$file")"
    if [ ! -f "$file" ]; then
        expect "$name exists" no
        return
    fi
    local headers imports
    headers="$($objdump -p "$file")"
    expect "$name is a 32-bit x86 image" "$(yes_if grep -q "file format pei-i386" <<<"$headers")"
    local version
    version="$(awk '$1 == "MajorSubsystemVersion" {major = $2} $1 == "MinorSubsystemVersion" {minor = $2} END {print major "." minor}' <<<"$headers")"
    expect "$name targets subsystem version 5.2" "$(yes_if [ "$version" = 5.2 ])" "$version"
    imports="$(grep -E "^\s+DLL Name:" <<<"$headers" | awk '{print tolower($3)}')"
    local foreign=""
    for dll in $imports; do
        [[ " $system_dlls " == *" $dll "* ]] || foreign="$foreign $dll"
    done
    expect "$name imports system libraries only" "$(yes_if [ -z "$foreign" ])" "$foreign"
    local functions newer=""
    functions="$(sed -n '/The Import Tables/,/^The Export Tables\|^PE File Base Relocations/p' <<<"$headers" | awk 'NF >= 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ {print $3}')"
    expect "$name has an import table that could be read" "$(yes_if grep -qx LoadLibraryW <<<"$functions")"
    for function in $newer_functions; do
        grep -qx "$function" <<<"$functions" && newer="$newer $function"
    done
    expect "$name imports nothing newer than Windows Server 2003" "$(yes_if [ -z "$newer" ])" "$newer"
    # Resource types 16 (RT_VERSION) and 24 (RT_MANIFEST) at the top level.
    expect "$name has a version resource" "$(yes_if grep -Eq '^[0-9a-f]+   Entry: ID: 0x000010,' <<<"$headers")"
}

check_binary "$bin/Morvane.dll"
check_binary "$bin/MorvaneSetup.exe"

if [ -f "$bin/MorvaneSetup.exe" ]; then
    expect "MorvaneSetup.exe embeds its manifest" \
        "$(yes_if grep -Eq '^[0-9a-f]+   Entry: ID: 0x000018,' <<<"$($objdump -p "$bin/MorvaneSetup.exe")")"
    selects_common_controls_6() {
        grep -aq 'name="Microsoft.Windows.Common-Controls"' "$1" && grep -aq 'version="6.0.0.0"' "$1"
    }
    expect "the manifest selects the common controls 6" \
        "$(yes_if selects_common_controls_6 "$bin/MorvaneSetup.exe")"
fi

if [ -f "$bin/Morvane.dll" ]; then
    exports="$($objdump -p "$bin/Morvane.dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '$1 == "[" && $2 ~ /^[0-9]+\]$/ {print $3}' | sort | tr '\n' ' ')"
    expect "Morvane.dll exports exactly the four entry points" \
        "$(yes_if [ "$exports" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer " ])" "$exports"
fi

run_checks() {
    source "$root/scripts/wine-prefix.sh"
    expect "32-bit Wine is installed (scripts/ensure-packages.sh)" "$(yes_if [ -x "$wine" ])"
    [ -x "$wine" ] || return
    prepare_wine_prefix "$bin" Morvane.dll MorvaneSetup.exe
    cd "$work/stage"
    run() { timeout 120 "$wine" "$@" >/dev/null 2>&1; }
    local progid='HKCR\Morvane.MorvaneCls'
    expect "regsvr32 registers Morvane.dll" "$(yes_if run regsvr32 /s Morvane.dll)"
    expect "the registered library's ProgID is there" "$(yes_if run reg query "$progid")"
    expect "regsvr32 /u unregisters Morvane.dll" "$(yes_if run regsvr32 /s /u Morvane.dll)"
    expect "the unregistered library's ProgID is gone" "$(run reg query "$progid" && echo no || echo yes)"
    local version answer
    version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
    answer="$(timeout 120 "$wine" ./MorvaneSetup.exe --version 2>/dev/null | tr -d '\r')"
    expect "MorvaneSetup.exe --version answers" \
        "$(yes_if [ "$answer" = "MorvaneSetup $version" ])" "$answer"
    cd "$root"
    cleanup_wine_prefix
    trap - EXIT
}
if [ -f "$bin/Morvane.dll" ] && [ -f "$bin/MorvaneSetup.exe" ]; then
    run_checks
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
