#!/usr/bin/env bash
# check-x86-cdecl.sh <module> <names...>
# On 32-bit Windows the VST2 entry and the record's callbacks are cdecl: the caller pops the
# arguments, and GCC gives such a function no "@N" suffix. Each name (an undecorated C name, or
# Class::member) must be defined in the module, and never with such a suffix.
set -euo pipefail
module="$1"; shift
NM=i686-w64-mingw32-nm
FILT=i686-w64-mingw32-c++filt
raw="$($NM --defined-only "$module" | awk '$2 == "T" {print $3}')"
# "<demangled name without parameters> <raw symbol>" per symbol.
table="$(paste -d' ' <(echo "$raw" | sed 's/@[0-9]*$//' | sed 's/^_\([A-Za-z]\)/\1/' | $FILT | sed -E 's/\(.*$//') \
  <(echo "$raw"))"
fail=0
for name in "$@"; do
  found="$(echo "$table" | awk -v n="$name" '$1 == n {print $2}')"
  if [ -z "$found" ]; then
    echo "FAIL: $name is not defined in $module"; fail=1
  elif echo "$found" | grep -qE '@[0-9]+$'; then
    echo "FAIL: $name pops its own arguments ($found)"; fail=1
  fi
done
[ "$fail" = 0 ] && echo "ok: $# functions leave their arguments to the caller"
exit $fail
