#!/usr/bin/env bash
# Checks the property sheet's resources in a built DLL, read back with the
# resource compiler's own decompiler: the four page dialogs with the
# model's (and width's) caption and size, and the warning icon 114 with its
# two images, shown hidden by the three pages that report the connection.
# Usage: check_resources.sh <windres> <padscope_m.dll> <s|t> <pe32|pe32+>
set -euo pipefail
windres=$1 dll=$2 model=$3 format=$4

fail() { echo "FAIL $dll: $*" >&2; exit 1; }
script=$("$windres" -J coff -O rc -i "$dll") || fail "resources cannot be read"

# id, caption, width and height in dialog units, per model and width.
case "$model/$format" in
    s/*)     dialogs=("107 Function_Test 251 223" "108 Vibration_Test 251 223"
                      "109 Calibration_Function 251 223" "112 About 198 174") ;;
    t/pe32+) dialogs=("107 Function_Test 253 227" "108 Vibration_Test 253 225"
                      "109 Calibration_Function 258 227" "112 About 211 183") ;;
    t/pe32)  dialogs=("107 Function_Test 253 227" "108 Vibration_Test 253 227"
                      "109 Calibration_Function 258 227" "112 About 211 183") ;;
    *) fail "unknown model/format $model/$format" ;;
esac

for dialog in "${dialogs[@]}"; do
    read -r id caption cx cy <<<"$dialog"
    caption=${caption//_/ }
    header=$(grep -A3 "^$id DIALOGEX " <<<"$script") || fail "dialog $id missing"
    grep -qx "$id DIALOGEX 0, 0, $cx, $cy" <<<"$header" || fail "dialog $id is not $cx x $cy: $header"
    grep -qx "CAPTION \"$caption\"" <<<"$header" || fail "dialog $id caption is not '$caption'"
done

grep -A2 '^114 14 /\* RT_GROUP_ICON \*/' <<<"$script" | grep -q 'Has 2 elements' ||
    fail "icon group 114 missing or without its two images"
for icon in 1037 1038 1039; do
    grep -qiE "CONTROL 114, $icon, \"STATIC\", 0x40000003," <<<"$script" ||
        fail "warning icon control $icon does not show icon 114 hidden"
done

echo "OK $dll: dialogs 107 108 109 112 ($model, $format), icon 114"
