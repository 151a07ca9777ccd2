#!/bin/bash
# The job agent of the x86 test machine: the first process inside the i386 root (started by the
# machine's init). It starts an Xvfb display and a persistent Wine server on a 32-bit prefix of
# its own (made on first use), says it is ready, then runs every job the host puts in the spool
# folder: a bash script, run with its output and exit status written beside it. A file named
# "stop" in the spool ends the jobs, the server and the machine.
set -u
arg() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" /proc/cmdline; }
spool="$(arg corvane.spool)"
export WINEPREFIX="$(arg corvane.prefix)" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=:0 HOME=/root LANG=C.UTF-8
say() { echo "agent: $*" >> "$spool/agent.log"; }
halt() { sync; echo o > /proc/sysrq-trigger; sleep 60; }

mkdir -p "$spool/queue" "$spool/run" || halt
Xvfb :0 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
for _ in $(seq 1 300); do [ -e /tmp/.X11-unix/X0 ] && break; sleep 0.1; done
[ -e /tmp/.X11-unix/X0 ] || { say "Xvfb did not start"; halt; }

if [ ! -f "$WINEPREFIX/.corvane-ready" ]; then
  say "making the Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"; mkdir -p "$WINEPREFIX"
  wine wineboot --init >/dev/null 2>&1
  # "Arial" resolves to Liberation Sans, so text tests see real glyphs; a program that crashes
  # ends at once instead of waiting in the debugger.
  cat > "$WINEPREFIX/prefix.reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug]
"Debugger"=-

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"Arial"="Liberation Sans"
"Arial Bold"="Liberation Sans Bold"
"Times New Roman"="Liberation Serif"
"Courier New"="Liberation Mono"
REG
  wine regedit "$WINEPREFIX/prefix.reg" >/dev/null 2>&1
  wineserver -w
  [ -f "$WINEPREFIX/system.reg" ] || { say "wineboot made no prefix"; halt; }
  touch "$WINEPREFIX/.corvane-ready"
  say "prefix made"
fi
wineserver -p
touch "$spool/ready"
say "ready"

while [ ! -e "$spool/stop" ]; do
  for job in "$spool"/queue/*.sh; do
    [ -e "$job" ] || break
    id="$(basename "$job" .sh)"
    mv "$job" "$spool/run/$id.sh" 2>/dev/null || continue
    (
      bash "$spool/run/$id.sh" >"$spool/run/$id.out" 2>"$spool/run/$id.err" </dev/null
      rc=$?
      sync  # what the job wrote reaches the host before it reads the status
      echo $rc >"$spool/run/$id.rc.tmp"
      mv "$spool/run/$id.rc.tmp" "$spool/run/$id.rc"
    ) &
  done
  sleep 0.1
done
say "stopping"
wineserver -k
wait
halt
