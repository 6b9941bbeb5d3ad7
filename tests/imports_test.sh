#!/usr/bin/env bash
# The programs link no system DLL that the loader would look for in the
# program's folder first: dbghelp, version and winmm are loaded by the
# program itself, by full path from the system folder.
# Usage: tests/imports_test.sh PROGRAM.exe...
set -uo pipefail
status=0
for program in "$@"; do
  imports="$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')"
  if [ -z "$imports" ]; then
    echo "FAIL $program: no import table read"
    status=1
  fi
  for dll in dbghelp.dll version.dll winmm.dll; do
    if grep -qx "$dll" <<<"$imports"; then
      echo "FAIL $program imports $dll at load time; its imports: $(tr '\n' ' ' <<<"$imports")"
      status=1
    fi
  done
done
exit $status
