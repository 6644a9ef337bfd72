#!/usr/bin/env bash
# Runs a command on a virtual display of its own, in a Wine session of its
# own: the session of the prefix ($MORVANE_WINEPREFIX) is ended before and
# after, so that no earlier session, bound to a display that is gone, keeps
# Windows programs from opening their windows, and none outlives the run.
# Usage: on-wine-display.sh COMMAND [ARG...]
set -euo pipefail
prefix="${MORVANE_WINEPREFIX:?the Wine prefix of the run}"
session() { WINEPREFIX="$prefix" /usr/lib/wine/wineserver "$@" 2>/dev/null || true; }
session -k
session -w
status=0
xvfb-run -a -s "-screen 0 1280x1024x24" "$@" || status=$?
session -k
session -w
exit $status
