# Sourced by tools/test.sh: makes a private Wine prefix, starts an Xvfb display, and
# registers a cleanup that stops the Wine server and the display whatever the outcome.
ROOT="${ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
source "$ROOT/tools/exit-trap.sh"
export WINEPREFIX="${CORVANE_WINEPREFIX:-$ROOT/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver

corvane_wine_start() {
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    CORVANE_XVFB_PID=$!
    export DISPLAY=":$n"
    break
  done
  for _ in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break
    sleep 0.1
  done
  corvane_on_exit corvane_wine_stop
  if [ ! -f "$WINEPREFIX/.corvane-ready" ]; then
    rm -rf "$WINEPREFIX"; mkdir -p "$WINEPREFIX"
    timeout 300 /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
    # "Arial" resolves to Liberation Sans, so text tests see real glyphs.
    timeout 120 /usr/lib/wine/wine64 regedit "$ROOT/tools/wine-fonts.reg" >/dev/null 2>&1 || true
    "$WINESERVER" -w || true
    touch "$WINEPREFIX/.corvane-ready"
  fi
}

corvane_wine_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "${CORVANE_XVFB_PID:-}" ]; then
    kill "$CORVANE_XVFB_PID" >/dev/null 2>&1 || true
    wait "$CORVANE_XVFB_PID" 2>/dev/null || true
    CORVANE_XVFB_PID=
  fi
}
