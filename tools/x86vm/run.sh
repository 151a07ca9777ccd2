#!/usr/bin/env bash
# run.sh <program.exe> [arguments...]
# Runs an x86 Windows program under the 32-bit Wine of the x86 test machine (tools/x86vm/env.sh
# starts it), in the current folder, which must lie inside the checkout: the job goes to the
# machine's spool, and its output and exit status come back. Exit 125 when no machine runs.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
spool="$ROOT/build/x86vm/spool"
if [ ! -e "$spool/ready" ] || [ -e "$spool/stop" ]; then
  echo "x86vm/run.sh: the x86 test machine is not running; start it with" \
       "'source tools/x86vm/env.sh && corvane_x86vm_start'" >&2
  exit 125
fi
case "$PWD/" in
  "$ROOT"/*) ;;
  *) echo "x86vm/run.sh: $PWD is outside the checkout $ROOT, which is all the machine sees" >&2; exit 125 ;;
esac
id="$(date +%s%N)-$$-$RANDOM"
job="$spool/run/$id"
{
  printf 'cd %q || exit 125\n' "$PWD"
  printf 'exec wine'
  printf ' %q' "$@"
  printf '\n'
} >"$spool/queue/.$id.tmp"
# The agent ends the job when this runner stops touching its .alive file (killed at a time limit).
: >"$job.alive"
mv "$spool/queue/.$id.tmp" "$spool/queue/$id.sh"
ticks=0
while [ ! -e "$job.rc" ]; do
  ticks=$((ticks + 1))
  [ $((ticks % 10)) = 0 ] && touch "$job.alive"
  if [ ! -e "$spool/ready" ]; then echo "x86vm/run.sh: the x86 test machine stopped" >&2; exit 125; fi
  sleep 0.1
done
cat "$job.out"
cat "$job.err" >&2
rc="$(cat "$job.rc")"
rm -f "$job.sh" "$job.out" "$job.err" "$job.rc" "$job.pid" "$job.alive"
exit "${rc:-125}"
