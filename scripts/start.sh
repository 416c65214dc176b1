#!/usr/bin/env bash
# Builds orvanel.exe and starts it under Wine: bash scripts/start.sh [FILE.D88]
#
# Installs what is missing first. When there is no display, it starts a
# virtual one (Xvfb with openbox) and keeps it for as long as the program
# runs; it says which display that is and how to take a screenshot of it.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

bash scripts/install-deps.sh

cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CROSSCOMPILING_EMULATOR="$ROOT/scripts/wine-run.sh" >/dev/null
cmake --build build/win32 --target orvanel

. scripts/wine-env.sh
orvanel_wine_init

if [ -z "${DISPLAY:-}" ]; then
    orvanel_display_start
    trap 'orvanel_wineserver_stop; orvanel_display_stop' EXIT
    echo "start.sh: no display was set; Orvanel runs on the virtual display $DISPLAY."
    echo "start.sh: to look at it: DISPLAY=$DISPLAY xwd -root -silent | convert xwd:- shot.png"
fi

echo "start.sh: starting build/win32/orvanel.exe"
wine "$ROOT/build/win32/orvanel.exe" "$@"
