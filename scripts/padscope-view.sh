#!/usr/bin/env bash
# Shows a model's game-controller property sheet on Linux: runs the Windows
# program padscope-view (of the win64 build) in a Windows runtime (Wine) of
# its own, on the user's display, or on a virtual one (Xvfb) for pictures.
#
#   scripts/padscope-view.sh [--model s|t] [--id N] [--tab 1..4]
#                            [--screenshots DIR] [--controller [--reading LIST]]
#
# The options are the viewer's own. Without --screenshots the sheet stays
# open until it is closed (this needs $DISPLAY); with --screenshots DIR each
# tab is shown in turn and saved as DIR/<model>-<n>-<tab>.png, always on a
# virtual display so that the pictures do not depend on the desktop.
#
# With --controller the viewer plugs a stand-in controller of the model in
# as the sheet's joystick and opens its window beside the sheet; for that
# run the runtime loads the stand-in DirectInput, HID and SetupAPI modules
# beside the viewer instead of its own (a per-program DLL override that
# only padscope-view.exe gets, and only while it runs with --controller).
#
# The first run builds the viewer if needed and creates the runtime in
# build/win64/viewer-prefix: the install registry files imported, the
# runtime's own fonts made visible to it, and tools/sheet_viewer/
# viewer_runtime.reg for the look. A changed registry file makes a new one.
#
# Environment: PADSCOPE_VIEW_BUILD_DIR (default build/win64; another
# directory must already hold bin/padscope-view.exe and the modules).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

fail() { echo "padscope-view.sh: $*" >&2; exit 2; }

build_dir=${PADSCOPE_VIEW_BUILD_DIR:-$root/build/win64}
viewer=$build_dir/bin/padscope-view.exe
prefix=$build_dir/viewer-prefix
loader=${RUMBIX_WINE_LOADER:-/usr/lib/wine/wine64}
server=${RUMBIX_WINE_SERVER:-/usr/lib/wine/wineserver64}
look=$root/tools/sheet_viewer/viewer_runtime.reg
registrations=("$root"/install/rumbix_s.reg "$root"/install/rumbix_t.reg
               "$root"/install/padscope_s.reg "$root"/install/padscope_t.reg)

# The screenshot directory is the one argument the viewer reads as a path:
# it gets the runtime's name for it (the root directory is drive Z:).
arguments=()
screenshots=
controller=
while [ $# -gt 0 ]; do
    [ "$1" = --controller ] && controller=yes
    if [ "$1" = --screenshots ] && [ $# -gt 1 ]; then
        mkdir -p "$2"
        screenshots=$(cd "$2" && pwd)
        arguments+=(--screenshots "Z:${screenshots//\//\\}")
        shift 2
    else
        arguments+=("$1")
        shift
    fi
done
if [ -z "$screenshots" ] && [ -z "${DISPLAY:-}" ]; then
    case " ${arguments[*]} " in
        *" --help "* | *" -h "*) ;;
        *) fail "no display to show the sheet on: set DISPLAY, or save pictures with --screenshots DIR" ;;
    esac
fi

# Bring the viewer and the modules beside it up to date.
if [ -z "${PADSCOPE_VIEW_BUILD_DIR:-}" ]; then
    (
        cd "$root"
        [ -f build/win64/CMakeCache.txt ] || cmake --preset win64 >/dev/null
        cmake --build --preset win64 --target padscope-view >/dev/null
    ) || fail "building the viewer failed: cmake --build --preset win64 --target padscope-view"
fi
[ -f "$viewer" ] || fail "no viewer at $viewer"

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINESERVER=$server
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
stamp=$prefix/.viewer-runtime
if [ ! -f "$stamp" ] || [ -n "$(find "$look" "${registrations[@]}" -newer "$stamp")" ]; then
    echo "padscope-view.sh: creating the Windows runtime in $prefix" >&2
    "$root"/tests/windows/run_in_wine.sh setup "${registrations[@]}" >&2
    "$loader" regedit /S "Z:${look//\//\\}" </dev/null || fail "regedit refused $look"
    # The runtime's own fonts (the caption buttons' symbols, the sheet's
    # dialog font) are looked for among the Windows fonts.
    for font in /usr/share/wine/fonts/*.ttf; do
        [ -e "$font" ] && ln -sf "$font" "$prefix/drive_c/windows/Fonts/"
    done
    touch "$stamp"
fi

# The platform modules padscope-view.exe loads: the stand-ins beside it with
# a controller, the runtime's own without. Changed only when the last run
# wanted the other; a new runtime starts with the runtime's own.
overrides_stamp=$prefix/.viewer-overrides
wanted=${controller:+stand-in}
wanted=${wanted:-runtime}
if [ "$(cat "$overrides_stamp" 2>/dev/null)" != "$wanted" ]; then
    if [ -n "$controller" ]; then
        "$root"/tests/windows/run_in_wine.sh overrides "$viewer" >&2
    else
        overrides_file=$prefix/viewer-overrides.reg
        printf 'REGEDIT4\n\n[-%s]\n' \
            'HKEY_CURRENT_USER\Software\Wine\AppDefaults\padscope-view.exe\DllOverrides' \
            >"$overrides_file"
        "$loader" regedit /S "Z:${overrides_file//\//\\}" </dev/null ||
            fail "regedit refused $overrides_file"
    fi
    echo "$wanted" >"$overrides_stamp"
fi

# A runtime server started without a display cannot open windows later:
# every run starts its own and ends it with the program.
"$server" -k 2>/dev/null || true

run_viewer() {
    local status=0
    # The viewer names its pictures by the runtime's paths; the user gets
    # the Linux ones.
    "$loader" "$viewer" "${arguments[@]}" </dev/null | sed -e '/^Z:\\/{s/^Z://;s:\\:/:g}' ||
        status=$?
    # Ends the runtime's helpers while their display is still there.
    "$server" -k 2>/dev/null || true
    return "$status"
}

if [ -n "$screenshots" ]; then
    command -v Xvfb >/dev/null || fail "no Xvfb (Debian package xvfb)"
    # The X server picks a free display number itself and reports it once it
    # accepts clients, so parallel runs never meet on one display.
    number_file=$(mktemp)
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 \
        3>"$number_file" </dev/null >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -f "$number_file"' EXIT
    for _ in $(seq 100); do
        [ -s "$number_file" ] && break
        kill -0 "$xvfb" 2>/dev/null || fail "Xvfb did not start"
        sleep 0.05
    done
    [ -s "$number_file" ] || fail "Xvfb did not report its display"
    export DISPLAY=":$(head -n1 "$number_file")"
    unset WAYLAND_DISPLAY
fi
run_viewer
