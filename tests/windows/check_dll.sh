#!/usr/bin/env bash
# Checks a built module the way the system loads it: it exports exactly
# DllGetClassObject and DllCanUnloadNow (undecorated), imports only DLLs
# that every Windows installation has, and is built for the expected
# processor.
# Usage: check_dll.sh <objdump> <module.dll> <pe32|pe32+>
set -euo pipefail
objdump=$1 dll=$2 format=$3

headers=$("$objdump" -p "$dll")
fail() { echo "FAIL $dll: $*" >&2; exit 1; }

if [ "$format" = "pe32+" ]; then
    grep -q 'file format pei-x86-64' <<<"$headers" || fail "not an x64 module"
else
    grep -q 'file format pei-i386' <<<"$headers" || fail "not an x86 module"
fi

exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {t=1; next} t && /^[ \t]*\[/ {print $NF; next} t && NF==0 {t=0}' <<<"$headers" | sort | tr '\n' ' ')
[ "$exports" = "DllCanUnloadNow DllGetClassObject " ] || fail "exports are '$exports'"

system_dlls='^(kernel32|advapi32|user32|gdi32|comctl32|ole32|oleaut32|winmm|setupapi|hid|dinput|dinput8|msvcrt|shell32)\.dll$'
while read -r name; do
    lower=$(tr 'A-Z' 'a-z' <<<"$name")
    [[ "$lower" =~ $system_dlls ]] || fail "imports non-system DLL $name"
done < <(awk '/DLL Name:/ {print $3}' <<<"$headers")

echo "OK $dll: exports DllCanUnloadNow DllGetClassObject; imports $(awk '/DLL Name:/ {printf "%s ", $3}' <<<"$headers")"
