#!/bin/bash
# The job agent of the x86 test machine: the first process inside the i386 root (started by the
# machine's init). It starts an Xvfb display and a persistent Wine server on a 32-bit prefix of
# its own (made on first use), says it is ready, then runs every job the host puts in the spool
# folder: a bash script, run with its output and exit status written beside it. A file named
# "stop" in the spool ends the jobs, the server and the machine.
set -u
arg() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" /proc/cmdline; }
spool="$(arg corvane.spool)"
work="$(arg corvane.work)"
export WINEPREFIX="$(arg corvane.prefix)" WINEARCH=win32 WINEDEBUG=-all
# The root is read-only: home (fontconfig's cache among others) lies on the machine's /tmp.
export WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=:0 HOME=/tmp/home LANG=C.UTF-8
mkdir -p "$HOME"
say() { echo "agent: $*" >> "$spool/agent.log"; }
halt() { sync; echo o > /proc/sysrq-trigger; sleep 60; }

mkdir -p "$spool/queue" "$spool/run" || halt
Xvfb :0 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 300); do [ -e /tmp/.X11-unix/X0 ] && break; sleep 0.1; done
[ -e /tmp/.X11-unix/X0 ] || { say "Xvfb did not start"; halt; }

if [ ! -f "$WINEPREFIX/.corvane-ready" ]; then
  say "making the Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"; mkdir -p "$WINEPREFIX"
  wine wineboot --init >/dev/null 2>&1
  # "Arial" resolves to Liberation Sans, so text tests see real glyphs; a program that crashes
  # ends at once instead of waiting in the debugger.
  wine regedit "$work/tools/wine-fonts.reg" >/dev/null 2>&1
  wine reg delete "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug" /v Debugger /f \
    >/dev/null 2>&1
  wineserver -w
  [ -f "$WINEPREFIX/system.reg" ] || { say "wineboot made no prefix"; halt; }
  touch "$WINEPREFIX/.corvane-ready"
  say "prefix made"
fi
wineserver -p
touch "$spool/ready"
say "ready"

checked=$SECONDS
while [ ! -e "$spool/stop" ]; do
  for job in "$spool"/queue/*.sh; do
    [ -e "$job" ] || break
    id="$(basename "$job" .sh)"
    mv "$job" "$spool/run/$id.sh" 2>/dev/null || continue
    # The checkout is cached without asking the host again, and the host may have changed it
    # since the last job (a rebuild, a test folder made anew): forget the cached names and files
    # that no running job uses, so this job reads them as they are now.
    echo 2 >/proc/sys/vm/drop_caches
    (
      bash "$spool/run/$id.sh" >"$spool/run/$id.out" 2>"$spool/run/$id.err" </dev/null &
      echo $! >"$spool/run/$id.pid"
      wait $!
      rc=$?
      sync  # what the job wrote reaches the host before it reads the status
      echo $rc >"$spool/run/$id.rc.tmp"
      mv "$spool/run/$id.rc.tmp" "$spool/run/$id.rc"
    ) &
  done
  # A job whose runner has gone (a test's time limit, an interrupt) is ended here too: a runner
  # touches its job's .alive file every second while it waits.
  if [ $((SECONDS - checked)) -ge 5 ]; then
    checked=$SECONDS
    now="$(date +%s)"
    for alive in "$spool"/run/*.alive; do
      [ -e "$alive" ] || break
      id="$(basename "$alive" .alive)"
      [ -e "$spool/run/$id.rc" ] && continue
      seen="$(stat -c %Y "$alive" 2>/dev/null)" || continue
      if [ $((now - seen)) -gt 30 ] && [ -s "$spool/run/$id.pid" ]; then
        say "job $id: its runner has gone; ending it"
        kill -KILL "$(cat "$spool/run/$id.pid")" 2>/dev/null
        rm -f "$alive"
      fi
    done
  fi
  sleep 0.1
done
say "stopping"
wineserver -k
kill "$xvfb" 2>/dev/null
wait  # the jobs still running
halt
