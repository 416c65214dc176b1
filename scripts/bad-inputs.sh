#!/usr/bin/env bash
# Remakes docs/bad-inputs.md: bash scripts/bad-inputs.sh
#
# Builds orvanel.exe and the probe (the Windows tree Wine runs here, see
# scripts/wine-env.sh), starts a display and the
# Wine prefix of scripts/test.sh, and runs tests/blackbox/test_bad_inputs.py
# with ORVANEL_BAD_INPUT_TABLE set, so that the test writes the table of
# what it observed. Exit status: the test's.
set -uo pipefail
exec </dev/null

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
mkdir -p build/logs build/screenshots
# One run at a time per checkout: the runs share the build tree and prefix.
exec 9>build/.test.lock
if ! flock -n 9; then
    echo "bad-inputs.sh: another test run of this checkout is going on; waiting for it"
    flock 9
fi

. scripts/wine-env.sh || exit 1

KEEPER_PID=""
cleanup() {
    if [ -n "$KEEPER_PID" ]; then
        kill "$KEEPER_PID" 2>/dev/null
        wait "$KEEPER_PID" 2>/dev/null
    fi
    orvanel_wineserver_stop
    orvanel_display_stop
}
trap cleanup EXIT
trap 'exit 130' INT TERM

echo "bad-inputs.sh: building orvanel.exe and winprobe.exe (log: build/logs/bad-inputs-build.log)"
TREE="build/$ORVANEL_WINBUILD"
if ! { orvanel_wintree_configure && cmake --build "$TREE" -j 2 --target orvanel winprobe; } >build/logs/bad-inputs-build.log 2>&1; then
    tail -n 25 build/logs/bad-inputs-build.log
    echo "bad-inputs.sh: the build failed" >&2
    exit 1
fi

orvanel_display_start || exit 1
orvanel_wine_init >build/logs/wineprefix.log 2>&1 || { cat build/logs/wineprefix.log; exit 1; }
wineserver -p
# A wine process that lives through the run starts Wine's desktop process
# first, with its output in a log (see scripts/test.sh).
PROBE="$TREE/tests/blackbox/winprobe.exe"
wine "$PROBE" info sleep 2000000000 >build/logs/wine-keeper.log 2>&1 &
KEEPER_PID=$!
for _ in $(seq 1 300); do
    grep -q '"found"' build/logs/wine-keeper.log 2>/dev/null && break
    sleep 0.1
done

echo "bad-inputs.sh: running tests/blackbox/test_bad_inputs.py on display $DISPLAY"
ORVANEL_BAD_INPUT_TABLE="$ROOT/docs/bad-inputs.md" python3 tests/blackbox/test_bad_inputs.py \
    --exe "$TREE/orvanel.exe" --probe "$PROBE" --screenshots build/screenshots
status=$?
echo "bad-inputs.sh: wrote docs/bad-inputs.md (test exit status $status)"
exit $status
