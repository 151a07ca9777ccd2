#!/usr/bin/env bash
# check-x86-pops.sh <expected table> <binaries (objects, archives, modules)...>
# On 32-bit Windows every interface method must be stdcall and pop exactly the published number
# of argument bytes; GCC records that number in the symbol's "@N" suffix. Each table line is
# "<bytes> <Class::method>"; every such method defined in the given files must match.
set -euo pipefail
table="$1"; shift
NM=i686-w64-mingw32-nm
FILT=i686-w64-mingw32-c++filt
stdcall="$($NM --defined-only "$@" 2>/dev/null | awk '$2 ~ /^[Tt]$/ {print $3}' |
  grep -E '@[0-9]+$' | sort -u)"
# "<bytes> <demangled name without its parameter list>" per symbol.
found="$(paste -d' ' <(echo "$stdcall" | sed 's/.*@//') \
  <(echo "$stdcall" | sed 's/@[0-9]*$//' | $FILT | sed -E 's/\([^(]*$//') | sort -u)"
echo "$found" | awk -v table="$table" '
  { p = $1; sub(/^[0-9]+ /, ""); seen = ($0 in pops) ? pops[$0] " " : ""; pops[$0] = seen p }
  END {
    fail = 0; checked = 0
    while ((getline line < table) > 0) {
      if (line ~ /^#/ || line == "") continue
      want = line; sub(/ .*/, "", want); method = line; sub(/^[0-9]+ /, "", method)
      checked++
      if (!(method in pops)) { print "FAIL: " method " is not defined as a stdcall method"; fail = 1 }
      else if (pops[method] != want) { print "FAIL: " method " pops " pops[method] " instead of " want; fail = 1 }
    }
    if (!fail) print "ok: " checked " methods pop the published byte counts"
    exit fail
  }'
