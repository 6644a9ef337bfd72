#!/usr/bin/env bash
# Runs a command on a virtual display of its own, in a Wine session of its
# own: the session of the prefix ($MORVANE_WINEPREFIX) is ended before, so
# that no earlier session, bound to a display that is gone or to none, keeps
# Windows programs from opening their windows, and it ends before the
# display does, so that none outlives the run and Wine has no lost display
# to complain of. The command finds MORVANE_WINE_DISPLAY=1 set.
# Usage: on-wine-display.sh COMMAND [ARG...]
set -euo pipefail
export MORVANE_WINEPREFIX="${MORVANE_WINEPREFIX:?the Wine prefix of the run}"
session() { WINEPREFIX="$MORVANE_WINEPREFIX" /usr/lib/wine/wineserver "$@" 2>/dev/null || true; }
if [ "${1:-}" = --on-display ]; then
    shift
    status=0
    MORVANE_WINE_DISPLAY=1 "$@" || status=$?
    session -k
    session -w
    exit $status
fi
session -k
session -w
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --on-display "$@"
