#!/bin/sh
# smoke-run.sh for a benchmark that drives the Windows build under Wine:
# skipped (exit status 77) when MORVANE_WINDOWS_BIN holds no Wine tooling.
if [ ! -f "${MORVANE_WINDOWS_BIN:-}/MorvaneBridge.dll" ]; then
    echo "skipped: MORVANE_WINDOWS_BIN holds no MorvaneBridge.dll"
    exit 77
fi
exec sh "$(dirname "$0")/smoke-run.sh" "$@"
