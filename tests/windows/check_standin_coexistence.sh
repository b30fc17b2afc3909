#!/usr/bin/env bash
# How the stand-in platform modules coexist with the runtime's own: a program
# run with the stand-ins' overrides loads dinput, hid and setupapi from
# beside itself, and every module of the runtime it loads must get along
# without them, i.e. import none of the three. (The runtime's own dinput
# imports hid and setupapi; it must not be loaded at all.) A program run
# without the overrides loads the runtime's own three modules although the
# stand-ins lie beside it.
#
#   check_standin_coexistence.sh <objdump> <run_in_wine.sh>
#       <program.exe> [args...] -- <other program.exe> [args...]
#
# Runs the first program through "run-with-controllers" with the runtime's
# module loading traced, takes every runtime (builtin) module its process
# loaded, and reads each one's imports; then runs the other program, which
# must have no overrides and must load the three, through "run".
set -euo pipefail

objdump=$1
run_in_wine=$2
shift 2
: "${WINEPREFIX:?set WINEPREFIX to the directory of the runtime}"

fail() { echo "check_standin_coexistence.sh: $*" >&2; exit 1; }

with_overrides=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    with_overrides+=("$1")
    shift
done
[ $# -gt 1 ] || fail "usage: <objdump> <run_in_wine.sh> <program> [args] -- <other program> [args]"
shift
without_overrides=("$@")
set -- "${with_overrides[@]}"

program_name=$(basename "$1")
trace=$(mktemp)
trap 'rm -f "$trace"' EXIT
WINEDEBUG=+loaddll "$run_in_wine" run-with-controllers "$@" >/dev/null 2>"$trace" ||
    fail "$program_name failed (trace below)"$'\n'"$(grep -v loaddll "$trace" | tail -20)"

# The process of the program: the one that loaded the program itself.
process=$(grep -m1 "loaddll:.*Loaded L\".*\\\\\\\\$program_name\"" "$trace" | cut -d: -f1)
[ -n "$process" ] || fail "no trace of $program_name loading"
loads=$(grep "^$process:trace:loaddll:.*Loaded L\"" "$trace")

# The stand-ins came from beside the program, not from the runtime.
for standin in hid setupapi; do
    if echo "$loads" | grep -qi "\\\\\\\\$standin\\.dll\" .*: builtin"; then
        fail "$program_name loaded the runtime's own $standin.dll despite its override"
    fi
done
echo "$loads" | grep -qi "\\\\\\\\dinput\\.dll\" .*: builtin" &&
    fail "$program_name loaded the runtime's own dinput.dll despite its override"

checked=0
while read -r windows_path; do
    # "C:\\windows\\system32\\X.dll" (the trace doubles the separators) ->
    # the runtime's copy under the prefix, whose system files are lower case.
    relative=$(echo "$windows_path" | sed 's/^[Cc]:\\\\//; s/\\\\/\//g' | tr '[:upper:]' '[:lower:]')
    file="$WINEPREFIX/drive_c/$relative"
    [ -f "$file" ] || fail "no file for the runtime module $windows_path"
    imports=$("$objdump" -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p')
    if echo "$imports" | grep -qiE '^(dinput|hid|setupapi)\.dll$'; then
        fail "the runtime's $(basename "$file") imports" \
            "$(echo "$imports" | grep -iE '^(dinput|hid|setupapi)\.dll$' | tr '\n' ' ')"
    fi
    checked=$((checked + 1))
done < <(echo "$loads" | sed -n 's/.*Loaded L"\(.*\)" at .*: builtin$/\1/p' | sort -u)

[ "$checked" -gt 0 ] || fail "the trace names no runtime module"

# The other program, without overrides: the runtime's own three modules.
other_name=$(basename "${without_overrides[0]}")
WINEDEBUG=+loaddll "$run_in_wine" run "${without_overrides[@]}" >/dev/null 2>"$trace" ||
    fail "$other_name failed"
process=$(grep -m1 "loaddll:.*Loaded L\".*\\\\\\\\$other_name\"" "$trace" | cut -d: -f1)
[ -n "$process" ] || fail "no trace of $other_name loading"
loads=$(grep "^$process:trace:loaddll:.*Loaded L\"" "$trace")
for module in dinput hid setupapi; do
    echo "$loads" | grep -qi "\\\\\\\\$module\\.dll\" .*: builtin" ||
        fail "without overrides, $other_name did not load the runtime's own $module.dll"
done
echo "$program_name: $checked runtime modules loaded beside the stand-ins, none imports them;"
echo "$other_name, without overrides, loaded the runtime's own dinput, hid and setupapi"
