#!/usr/bin/env bash
# Runs an x86-64 Windows program under Wine's 64-bit loader. The prefix, the display and the
# debug channels come from the environment tools/wine-env.sh sets up; defaults allow a
# standalone call.
WINE64="${CORVANE_WINE64:-/usr/lib/wine/wine64}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEPREFIX="${WINEPREFIX:-$(cd "$(dirname "$0")/.." && pwd)/build/wineprefix}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec "$WINE64" "$@"
