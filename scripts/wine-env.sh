# Environment and helpers for running Orvanel's Win32 programs under Wine.
# Source it: . scripts/wine-env.sh
#
# Sets the Japanese locale (Wine's ANSI code page is 932 only then), quiet
# Wine logging, and a WINEPREFIX of the repository's own (build/wineprefix,
# unless WINEPREFIX is set already). Defines:
#   orvanel_wine_init              create the prefix once (32-bit, no crash
#                                  dialogs, no Mono/Gecko install prompts)
#   orvanel_display_start          start Xvfb on a free display and openbox on
#                                  it; exports DISPLAY; sets ORVANEL_XVFB_PID
#   orvanel_display_stop           stop the Xvfb and openbox started above
#   orvanel_wineserver_stop        stop this prefix's wineserver only

ORVANEL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export ORVANEL_ROOT
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEPREFIX="${WINEPREFIX:-$ORVANEL_ROOT/build/wineprefix}"
# No Mono or Gecko install prompts, no desktop menu entries.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"

orvanel_wine_init() {
    local stamp="$WINEPREFIX/.orvanel-ready"
    [ -f "$stamp" ] && return 0
    mkdir -p "$(dirname "$WINEPREFIX")"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        rm -rf "$WINEPREFIX"
        WINEARCH=win32 wineboot -i >/dev/null 2>&1 || { echo "wine-env: wineboot -i failed" >&2; return 1; }
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
