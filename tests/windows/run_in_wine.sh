#!/usr/bin/env bash
# The Windows runtime of the test run, set up in one place.
#
#   run_in_wine.sh setup <file.reg>...   creates a fresh runtime at $WINEPREFIX
#                                        and imports the registry files
#   run_in_wine.sh run <program.exe> [args...]
#                                        runs a program there; its exit code
#   run_in_wine.sh run-on-display <program.exe> [args...]
#                                        the same, for programs that show
#                                        windows: on the run's display
#   run_in_wine.sh display-start         starts the run's virtual display
#                                        (Xvfb); setup and run-on-display
#                                        use it
#   run_in_wine.sh display-stop          stops it
#   run_in_wine.sh cleanup               stops the runtime's server and
#                                        every program still in it
#   run_in_wine.sh controllers-start <standin-controllers.exe>
#   run_in_wine.sh controllers-stop <standin-controllers.exe>
#                                        starts / stops the stand-in
#                                        controllers' module (the .sys beside
#                                        the program)
#   run_in_wine.sh overrides <program.exe>...
#                                        makes the runtime load dinput, hid
#                                        and setupapi from beside the named
#                                        programs (the stand-ins) instead of
#                                        its own, for those programs only
#   run_in_wine.sh run-with-controllers <program.exe> [args...]
#   run_in_wine.sh run-with-controllers-on-display <program.exe> [args...]
#                                        "overrides" for the program, then
#                                        run / run-on-display
#
# Environment: WINEPREFIX (required), RUMBIX_WINE_LOADER (default
# /usr/lib/wine/wine64), RUMBIX_WINE_SERVER (default /usr/lib/wine/wineserver64),
# WINEDEBUG (default -all: the runtime's own messages only when asked for).
# "run" uses no display (the driver opens no windows). The runtime's desktop
# takes the display that setup finds, so display-start comes before setup.
set -euo pipefail

: "${WINEPREFIX:?set WINEPREFIX to the directory of the runtime}"
loader=${RUMBIX_WINE_LOADER:-/usr/lib/wine/wine64}
server=${RUMBIX_WINE_SERVER:-/usr/lib/wine/wineserver64}

# The loader starts this server too when it finds none running.
export WINEPREFIX WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all} WINESERVER="$server"
# No runtime components that would be fetched or installed on first start,
# and no desktop integration.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
unset DISPLAY WAYLAND_DISPLAY

fail() { echo "run_in_wine.sh: $*" >&2; exit 1; }

# Imports registry text (REGEDIT4) given on standard input into the runtime.
import_registry_text() {
    local file
    file=$(mktemp "$WINEPREFIX/import.XXXXXX") || fail "no room for a registry file"
    cat >"$file"
    local status=0
    "$loader" regedit /S "Z:${file//\//\\}" </dev/null || status=$?
    rm -f "$file"
    [ "$status" -eq 0 ] || fail "regedit refused $1"
}

# The platform modules the stand-ins replace. Some of the runtime's own
# modules let a copy beside the program win unless told otherwise, so the
# runtime is told to use its own for every program, and the stand-ins only
# for the programs named by standin_overrides.
readonly standin_modules="dinput hid setupapi"
runtime_modules_first() {
    {
        printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\DllOverrides]\n'
        for module in $standin_modules; do
            printf '"%s"="builtin"\n' "$module"
        done
    } | import_registry_text "the runtime's own modules"
}
standin_overrides() {
    [ -d "$WINEPREFIX" ] || fail "no runtime at $WINEPREFIX: run setup first"
    {
        printf 'REGEDIT4\n\n'
        for program in "$@"; do
            printf '[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s\\DllOverrides]\n' \
                "$(basename "$program")"
            for module in $standin_modules; do
                printf '"%s"="native"\n' "$module"
            done
            printf '\n'
        done
    } | import_registry_text "the overrides"
}

# The virtual display of the run: its number and the X server's process id.
display_file="$WINEPREFIX.display"
use_display() {
    [ -s "$display_file" ] || return 1
    read -r number _ <"$display_file"
    export DISPLAY=":$number"
}
stop_display() {
    if [ -s "$display_file" ]; then
        read -r _ pid <"$display_file"
        kill "$pid" 2>/dev/null || true
    fi
    rm -f "$display_file"
}
[ -x "$loader" ] || fail "no Wine loader at $loader (Debian package wine64)"
[ -x "$server" ] || fail "no Wine server at $server (Debian package wine64)"

command=${1:-}
shift || true
case "$command" in
    setup)
        [ $# -gt 0 ] || fail "setup needs the registry files to import"
        # The runtime's desktop process, started here, keeps the display it
        # finds for the whole run: windows of later programs appear there.
        use_display || true
        "$server" -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        # One server for the whole run, detached from our output so that the
        # test runner does not wait for it; it ends a minute after its last
        # client if cleanup never comes.
        "$server" -p60 </dev/null >/dev/null 2>&1 || fail "wineserver did not start"
        "$loader" wineboot -i </dev/null >/dev/null 2>&1 || fail "wineboot failed"
        # The first start of a new runtime starts its services during the
        # installation and then once more when it is over, each start waiting
        # seconds for the one before and some timing out; a kernel driver
        # started meanwhile never loads. A second start of the installed
        # runtime starts them once, at once.
        "$server" -k 2>/dev/null || true
        "$server" -p60 </dev/null >/dev/null 2>&1 || fail "wineserver did not restart"
        "$loader" wineboot </dev/null >/dev/null 2>&1 || fail "wineboot failed after the restart"
        runtime_modules_first
        for file in "$@"; do
            # regedit reads the file by its Windows path; Z: is the root.
            "$loader" regedit /S "Z:${file//\//\\}" </dev/null || fail "regedit refused $file"
            # regedit /S reports nothing: look for the class registration of
            # the file in the runtime's registry.
            clsid=$(grep -m1 -o 'CLSID\\{[0-9A-Fa-f-]*}\]' "$file" | grep -o '{.*}')
            "$loader" reg query "HKLM\\Software\\Classes\\CLSID\\$clsid\\InProcServer32" \
                </dev/null >/dev/null 2>&1 || fail "the values of $file did not land"
        done
        ;;
    run)
        [ $# -gt 0 ] || fail "run needs a program"
        [ -d "$WINEPREFIX" ] || fail "no runtime at $WINEPREFIX: run setup first"
        exec "$loader" "$@" </dev/null
        ;;
    run-on-display)
        [ $# -gt 0 ] || fail "run-on-display needs a program"
        [ -d "$WINEPREFIX" ] || fail "no runtime at $WINEPREFIX: run setup first"
        use_display || fail "no display at $display_file: run display-start before setup"
        exec "$loader" "$@" </dev/null
        ;;
    display-start)
        command -v Xvfb >/dev/null || fail "no Xvfb (Debian package xvfb)"
        stop_display
        # The X server picks a free display number itself and writes it to
        # the given descriptor once it accepts clients, so parallel runs
        # never meet on one display. It is detached from our output so that
        # the test runner does not wait for it.
        number_file=$(mktemp)
        setsid Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 \
            3>"$number_file" </dev/null >/dev/null 2>&1 &
        xvfb=$!
        for _ in $(seq 200); do
            [ -s "$number_file" ] && break
            kill -0 "$xvfb" 2>/dev/null || fail "Xvfb did not start"
            sleep 0.05
        done
        number=$(head -n1 "$number_file")
        rm -f "$number_file"
        [ -n "$number" ] || { kill "$xvfb"; fail "Xvfb did not report its display"; }
        echo "$number $xvfb" >"$display_file"
        ;;
    display-stop)
        stop_display
        ;;
    cleanup)
        "$server" -k 2>/dev/null || true
        ;;
    controllers-start | controllers-stop)
        [ $# -eq 1 ] || fail "$command needs the standin-controllers program"
        [ -d "$WINEPREFIX" ] || fail "no runtime at $WINEPREFIX: run setup first"
        exec "$loader" "$1" "${command#controllers-}" </dev/null
        ;;
    overrides)
        [ $# -gt 0 ] || fail "overrides needs the programs"
        standin_overrides "$@"
        ;;
    run-with-controllers)
        [ $# -gt 0 ] || fail "run-with-controllers needs a program"
        standin_overrides "$1"
        exec "$loader" "$@" </dev/null
        ;;
    run-with-controllers-on-display)
        [ $# -gt 0 ] || fail "run-with-controllers-on-display needs a program"
        use_display || fail "no display at $display_file: run display-start before setup"
        standin_overrides "$1"
        exec "$loader" "$@" </dev/null
        ;;
    *)
        fail "usage: run_in_wine.sh setup <file.reg>... | run|run-on-display|run-with-controllers|run-with-controllers-on-display <program.exe> [args...] | overrides <program.exe>... | controllers-start|controllers-stop <standin-controllers.exe> | cleanup | display-start | display-stop"
        ;;
esac
