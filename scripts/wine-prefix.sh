# Sourced by the scripts that run the Windows programs of a win32 build
# under 32-bit Wine: the one place that knows how such a prefix is made.
# Sets wine and wineserver; prepare_wine_prefix makes a fresh win32 prefix
# of its own in a temporary folder ($work), removed on exit, in which Wine
# reports Windows Server 2003, and a folder $work/stage where the programs
# run side by side, as they are installed.
#
# The programs are 32-bit, as shipped: a 32-bit process loads only 32-bit
# in-process servers, so everything that runs in the prefix (test programs,
# tooling, the library's clients) is built for i686 as well.
wine=/usr/lib/wine/wine
wineserver=
for candidate in wineserver32 wineserver64 wineserver; do
    if [ -x "/usr/lib/wine/$candidate" ]; then
        wineserver=/usr/lib/wine/$candidate
        break
    fi
done

cleanup_wine_prefix() {
    "$wineserver" -k >/dev/null 2>&1 || true
    rm -rf "$work"
}

# Usage: prepare_wine_prefix BIN_DIR [FILE...]
#        (the build's programs and libraries: all of them, or the files named)
prepare_wine_prefix() {
    work="$(mktemp -d "${TMPDIR:-/tmp}/morvane-wine.XXXXXX")"
    export WINEPREFIX="$work/prefix" HOME="$work/home" WINEDEBUG=-all
    # No debugger on a crash: the program fails and the caller goes on.
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;winedbg.exe=d;mscoree,mshtml="
    export WINEARCH=win32
    # Wine takes the user locale from the Unix one: English (United States)
    # for the regional date and time texts the tests expect; and its time
    # zone from TZ: UTC, so that a local time is the same on every machine.
    export LC_ALL=C.UTF-8 TZ=UTC
    mkdir -p "$HOME" "$work/stage"
    trap cleanup_wine_prefix EXIT
    local bin="$1"
    shift
    if [ $# -gt 0 ]; then
        (cd "$bin" && cp "$@" "$work/stage"/)
    else
        cp "$bin"/*.exe "$work/stage"/
        if compgen -G "$bin/*.dll" >/dev/null; then cp "$bin"/*.dll "$work/stage"/; fi
    fi
    timeout 120 "$wine" wineboot -i >/dev/null 2>&1
    timeout 120 "$wine" reg add 'HKCU\Software\Wine' /v Version /d win2003 /f >/dev/null 2>&1
    "$wineserver" -w
}
