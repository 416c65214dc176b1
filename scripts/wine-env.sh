# Environment and helpers for running Orvanel's Win32 programs under Wine.
# Source it: . scripts/wine-env.sh
#
# Chooses the Windows build that Wine runs here (once: the choice is kept
# in the environment for everything started from this shell):
#   ORVANEL_WINBUILD      win32 or win64: the tree build/$ORVANEL_WINBUILD
#   ORVANEL_WINBUILD_WHY  the reason, in words
# The 32-bit build is the product; it runs where the host runs i386 code.
# Where it does not (IA-32 emulation off), or when ORVANEL_WINE64=1 asks
# for it, the 64-bit build runs under wine64 with a 64-bit prefix of its
# own: a `wine` that starts the 64-bit loader goes first on PATH.
# Where whether the host runs i386 code cannot be found out (see
# scripts/host-i386.sh), sourcing this file fails (status 1), the reason on
# standard error: stop then.
#
# Sets the Japanese locale (Wine's ANSI code page is 932 only then), quiet
# Wine logging, and a WINEPREFIX of the repository's own unless WINEPREFIX
# is set already: build/wineprefix, or build/wineprefix64 for the 64-bit
# build, with "-$ORVANEL_PREFIX_NAME" after it when that is set (the
# scripts that start the program for a person or a benchmark keep their
# prefixes apart from the tests' one). Defines:
#   orvanel_wintree_configure      configure build/$ORVANEL_WINBUILD unless it
#                                  is configured already
#   orvanel_wine_init              create the prefix once (no crash dialogs,
#                                  no Mono/Gecko install prompts)
#   orvanel_display_start          start Xvfb on a free display and openbox on
#                                  it; exports DISPLAY; sets ORVANEL_XVFB_PID
#   orvanel_display_stop           stop the Xvfb and openbox started above
#   orvanel_wineserver_stop        stop this prefix's wineserver only

ORVANEL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export ORVANEL_ROOT
. "$ORVANEL_ROOT/scripts/host-i386.sh"

if [ -z "${ORVANEL_WINBUILD:-}" ]; then
    if [ "${ORVANEL_WINE64:-0}" = 1 ]; then
        ORVANEL_WINBUILD=win64
        ORVANEL_WINBUILD_WHY="ORVANEL_WINE64=1 asks for the 64-bit build"
    else
        orvanel_host_runs_i386
        case $? in
        0)
            ORVANEL_WINBUILD=win32
            ORVANEL_WINBUILD_WHY="this host runs 32-bit (i386) programs"
            ;;
        1)
            ORVANEL_WINBUILD=win64
            ORVANEL_WINBUILD_WHY="this host runs no 32-bit (i386) programs (IA-32 emulation is off)"
            ;;
        *)
            echo "wine-env: stopping: which Windows build Wine runs depends on that" >&2
            return 1
            ;;
        esac
    fi
    export ORVANEL_WINBUILD ORVANEL_WINBUILD_WHY
fi

export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINEDEBUG="${WINEDEBUG:--all}"
if [ "$ORVANEL_WINBUILD" = win64 ]; then
    export WINEPREFIX="${WINEPREFIX:-$ORVANEL_ROOT/build/wineprefix64${ORVANEL_PREFIX_NAME:+-$ORVANEL_PREFIX_NAME}}"
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64
    # /usr/bin/wine takes the 32-bit loader whenever it is installed.
    ORVANEL_WINE64_BIN="$ORVANEL_ROOT/build/wine64-bin"
    if [ ! -x "$ORVANEL_WINE64_BIN/wine" ]; then
        mkdir -p "$ORVANEL_WINE64_BIN"
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$ORVANEL_WINE64_BIN/wine"
        printf '#!/bin/sh\nexec /usr/lib/wine/wineserver64 "$@"\n' >"$ORVANEL_WINE64_BIN/wineserver"
        chmod +x "$ORVANEL_WINE64_BIN/wine" "$ORVANEL_WINE64_BIN/wineserver"
    fi
    case ":$PATH:" in
    *":$ORVANEL_WINE64_BIN:"*) ;;
    *) export PATH="$ORVANEL_WINE64_BIN:$PATH" ;;
    esac
else
    export WINEPREFIX="${WINEPREFIX:-$ORVANEL_ROOT/build/wineprefix${ORVANEL_PREFIX_NAME:+-$ORVANEL_PREFIX_NAME}}"
    export WINEARCH=win32
fi
# No Mono or Gecko install prompts, no desktop menu entries.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"

orvanel_wintree_configure() {
    local tree="$ORVANEL_ROOT/build/$ORVANEL_WINBUILD" toolchain=mingw-i686.cmake
    [ "$ORVANEL_WINBUILD" = win64 ] && toolchain=mingw-x86_64.cmake
    [ -f "$tree/build.ninja" ] && return 0
    cmake -S "$ORVANEL_ROOT" -B "$tree" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ORVANEL_ROOT/cmake/$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_CROSSCOMPILING_EMULATOR="$ORVANEL_ROOT/scripts/wine-run.sh"
}

orvanel_wine_init() {
    local stamp="$WINEPREFIX/.orvanel-ready"
    [ -f "$stamp" ] && return 0
    mkdir -p "$(dirname "$WINEPREFIX")"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        rm -rf "$WINEPREFIX"
        wine wineboot -i >/dev/null 2>&1 || { echo "wine-env: wineboot -i failed" >&2; return 1; }
    fi
    # A crash prints its backtrace and ends the process instead of opening
    # a dialog that would wait for a person.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$stamp"
}

orvanel_display_start() {
    local fdfile
    fdfile="$(mktemp)"
    # -displayfd lets Xvfb pick a free display and report its number.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    ORVANEL_XVFB_PID=$!
    local n="" i
    for i in $(seq 1 100); do
        n="$(tr -dc '0-9' <"$fdfile")"
        [ -n "$n" ] && break
        kill -0 "$ORVANEL_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$fdfile"
    if [ -z "$n" ]; then
        echo "wine-env: Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=":$n"
    openbox --sm-disable >/dev/null 2>&1 &
    ORVANEL_OPENBOX_PID=$!
    # Wait until the window manager has taken the display.
    for i in $(seq 1 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
    export ORVANEL_XVFB_PID ORVANEL_OPENBOX_PID
}

orvanel_display_stop() {
    if [ -n "${ORVANEL_OPENBOX_PID:-}" ]; then
        kill "$ORVANEL_OPENBOX_PID" 2>/dev/null
        wait "$ORVANEL_OPENBOX_PID" 2>/dev/null
        ORVANEL_OPENBOX_PID=""
    fi
    if [ -n "${ORVANEL_XVFB_PID:-}" ]; then
        kill "$ORVANEL_XVFB_PID" 2>/dev/null
        wait "$ORVANEL_XVFB_PID" 2>/dev/null
        ORVANEL_XVFB_PID=""
    fi
}

orvanel_wineserver_stop() {
    [ -d "$WINEPREFIX" ] && wineserver -k >/dev/null 2>&1
    return 0
}
