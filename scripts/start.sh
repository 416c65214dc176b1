#!/usr/bin/env bash
# Builds orvanel.exe and starts it under Wine in Japanese:
#   bash scripts/start.sh [file.d88]
# The 32-bit build (build/win32) where the host runs 32-bit code, else the
# 64-bit one (build/win64) under wine64; ORVANEL_WINE64=1 asks for the
# 64-bit one anywhere. It says which and why. Without a $DISPLAY it starts a
# virtual display (Xvfb with openbox) of its own, says which one, and how to
# look at it.
set -uo pipefail

CALLER_DIR="$(pwd)"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

bash scripts/install-deps.sh || { echo "start.sh: installing the dependencies failed" >&2; exit 1; }

# A prefix of its own, apart from the one the tests start and stop.
export ORVANEL_PREFIX_NAME=run
. scripts/wine-env.sh || exit 1
TREE="build/$ORVANEL_WINBUILD"
echo "start.sh: running $TREE/orvanel.exe, because $ORVANEL_WINBUILD_WHY"
orvanel_wintree_configure || exit 1
cmake --build "$TREE" --target orvanel || exit 1

OWN_DISPLAY=0
if [ -z "${DISPLAY:-}" ]; then
    orvanel_display_start || exit 1
    OWN_DISPLAY=1
    echo "start.sh: no DISPLAY, so Orvanel runs on the virtual display $DISPLAY."
    echo "start.sh: screenshot it with: DISPLAY=$DISPLAY xwd -root -silent | convert xwd:- shot.png"
    echo "start.sh: drive it with e.g.:  DISPLAY=$DISPLAY xdotool search --name Orvanel"
    echo "start.sh: the display ends when Orvanel does (or on Ctrl+C)."
    trap 'orvanel_display_stop' EXIT
    trap 'exit 130' INT TERM
fi

echo "start.sh: preparing the Wine prefix $WINEPREFIX (the first time takes about 15 s)"
orvanel_wine_init || exit 1

ARGS=()
if [ $# -gt 0 ]; then
    # A path of this machine becomes the path Wine shows for it.
    case "$1" in
        /*) ARGS=("Z:${1//\//\\}") ;;
        [A-Za-z]:*) ARGS=("$1") ;;
        *) p="$CALLER_DIR/$1"; ARGS=("Z:${p//\//\\}") ;;
    esac
fi

echo "start.sh: starting $TREE/orvanel.exe ${ARGS[*]:-}"
if [ "$OWN_DISPLAY" = 1 ]; then
    wine "$TREE/orvanel.exe" "${ARGS[@]}"
    status=$?
    orvanel_wineserver_stop
    exit $status
fi
exec wine "$TREE/orvanel.exe" "${ARGS[@]}"
