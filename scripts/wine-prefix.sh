# Sourced by the scripts that run the Windows programs of a win64 build
# under wine64. Sets wine and wineserver; prepare_wine_prefix makes a fresh
# wine prefix of its own in a temporary folder ($work), removed on exit, in
# which wine reports Windows Server 2003, and a folder $work/stage where the
# programs run side by side, as they are installed.
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=/usr/lib/wine/wineserver

cleanup_wine_prefix() {
    "$wineserver" -k >/dev/null 2>&1 || true
    rm -rf "$work"
}

# Usage: prepare_wine_prefix BIN_DIR (the build's programs and libraries)
prepare_wine_prefix() {
    work="$(mktemp -d "${TMPDIR:-/tmp}/morvane-wine.XXXXXX")"
    export WINEPREFIX="$work/prefix" HOME="$work/home" WINEDEBUG=-all
    # No debugger on a crash: the program fails and the caller goes on.
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;winedbg.exe=d;mscoree,mshtml="
    export WINEARCH=win64
    # Wine takes the user locale from the Unix one: English (United States)
    # for the regional date and time texts the tests expect.
    export LC_ALL=C.UTF-8
    mkdir -p "$HOME" "$work/stage"
    trap cleanup_wine_prefix EXIT
    cp "$1"/*.exe "$work/stage"/
    if compgen -G "$1/*.dll" >/dev/null; then cp "$1"/*.dll "$work/stage"/; fi
    timeout 120 "$wine" wineboot -i >/dev/null 2>&1
    timeout 120 "$wine" reg add 'HKCU\Software\Wine' /v Version /d win2003 /f >/dev/null 2>&1
    "$wineserver" -w
}
