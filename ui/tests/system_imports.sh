#!/usr/bin/env bash
# Passes when the Windows program imports nothing but the system's own DLLs, so that the one
# file runs on its own. Usage: system_imports.sh OBJDUMP EXE
set -euo pipefail

allowed=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll shell32.dll user32.dll "
dlls=$("$1" -p "$2" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || { echo "no imports found in $2"; exit 1; }
status=0
for dll in $dlls; do
    case $allowed in
    *" $dll "*) echo "system: $dll" ;;
    *) echo "not a system DLL: $dll"; status=1 ;;
    esac
done
exit $status
