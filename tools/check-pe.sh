#!/usr/bin/env bash
# check-pe.sh <file> <i386|x86-64> [export names...]
# Checks a Windows binary without running it: the PE machine type, that each given name is
# exported undecorated, and that every imported DLL is one a stock Windows has.
set -euo pipefail
f="$1"; machine="$2"; shift 2
OBJDUMP=x86_64-w64-mingw32-objdump
fail=0
hdr="$($OBJDUMP -f "$f")"
case "$machine" in
  i386)   echo "$hdr" | grep -q "file format pei-i386" || { echo "FAIL: $f is not an i386 PE file"; fail=1; } ;;
  x86-64) echo "$hdr" | grep -q "file format pei-x86-64" || { echo "FAIL: $f is not an x86-64 PE file"; fail=1; } ;;
  *) echo "unknown machine $machine"; exit 2 ;;
esac
priv="$($OBJDUMP -p "$f")"
for name in "$@"; do
  if ! echo "$priv" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -Eq "\] $name\$"; then
    echo "FAIL: $f does not export '$name'"; fail=1
  fi
done
system_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll comdlg32.dll comctl32.dll shell32.dll \
wininet.dll ole32.dll oleaut32.dll msvcrt.dll ws2_32.dll shlwapi.dll uuid.dll version.dll winmm.dll \
imm32.dll "
for dll in $(echo "$priv" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'); do
  case "$system_dlls" in
    *" $dll "*) ;;
    *) case "$dll" in api-ms-win-*) ;; *) echo "FAIL: $f imports non-system $dll"; fail=1 ;; esac ;;
  esac
done
[ "$fail" = 0 ] && echo "ok: $f ($machine; exports: ${*:-none}; imports only system DLLs)"
exit $fail
