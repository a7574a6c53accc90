#!/bin/sh
# imports.sh OBJDUMP EXE: the program must run on a bare Windows, so every
# DLL its import table names must be one that Windows itself ships.
set -u
allowed=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll shell32.dll user32.dll winmm.dll "
dlls=$("$1" -p "$2" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || { echo "no import table read from $2" >&2; exit 1; }
rc=0
for dll in $dlls; do
  case "$allowed" in
  *" $dll "*) echo "system: $dll" ;;
  *) echo "NOT A SYSTEM DLL: $dll" >&2; rc=1 ;;
  esac
done
exit $rc
