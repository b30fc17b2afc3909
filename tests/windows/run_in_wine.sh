#!/usr/bin/env bash
# The Windows runtime of the test run, set up in one place.
#
#   run_in_wine.sh setup <file.reg>...   creates a fresh runtime at $WINEPREFIX
#                                        and imports the registry files
#   run_in_wine.sh run <program.exe> [args...]
#                                        runs a program there; its exit code
#   run_in_wine.sh cleanup               stops the runtime's server and
#                                        every program still in it
#
# Environment: WINEPREFIX (required), RUMBIX_WINE_LOADER (default
# /usr/lib/wine/wine64), RUMBIX_WINE_SERVER (default /usr/lib/wine/wineserver64).
# No display is used: the driver opens no windows.
set -euo pipefail

: "${WINEPREFIX:?set WINEPREFIX to the directory of the runtime}"
loader=${RUMBIX_WINE_LOADER:-/usr/lib/wine/wine64}
server=${RUMBIX_WINE_SERVER:-/usr/lib/wine/wineserver64}

# The loader starts this server too when it finds none running.
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all WINESERVER="$server"
# No runtime components that would be fetched or installed on first start,
# and no desktop integration.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
unset DISPLAY WAYLAND_DISPLAY

fail() { echo "run_in_wine.sh: $*" >&2; exit 1; }
[ -x "$loader" ] || fail "no Wine loader at $loader (Debian package wine64)"
[ -x "$server" ] || fail "no Wine server at $server (Debian package wine64)"

command=${1:-}
shift || true
case "$command" in
    setup)
        [ $# -gt 0 ] || fail "setup needs the registry files to import"
        "$server" -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        # One server for the whole run, detached from our output so that the
        # test runner does not wait for it; it ends a minute after its last
        # client if cleanup never comes.
        "$server" -p60 </dev/null >/dev/null 2>&1 || fail "wineserver did not start"
        "$loader" wineboot -i </dev/null >/dev/null 2>&1 || fail "wineboot failed"
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
    cleanup)
        "$server" -k 2>/dev/null || true
        ;;
    *)
        fail "usage: run_in_wine.sh setup <file.reg>... | run <program.exe> [args...] | cleanup"
        ;;
esac
