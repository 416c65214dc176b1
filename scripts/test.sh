#!/usr/bin/env bash
# The one test command: bash scripts/test.sh
#
# Installs what is missing, builds the trees and runs every test of all of
# them in one ctest run, whose exit status is this script's:
#   build/native  host g++, Debug, ASan+UBSan: the unit tests
#   build/win32   MinGW-w64 i686, Release: the 32-bit orvanel.exe (the
#                 product) and d88.exe
#   build/win64   MinGW-w64 x86_64, Release: the same sources at 64 bits
#   build/fuzz    clang, libFuzzer (when tests/fuzz/CMakeLists.txt exists)
# Both Windows trees are built and their executables checked on every host.
# The tests that run under Wine (in process, and black-box) run from the one
# tree that Wine runs here: build/win32 where the host runs 32-bit code,
# build/win64 under wine64 where it does not, or when ORVANEL_WINE64=1
# (see scripts/wine-env.sh). They run on an Xvfb display of their own (with
# openbox) and a WINEPREFIX of their own, both stopped at the end.
#
# A test that fails once fails the run: nothing is run again. The output
# ends with the skipped tests named and a line
#   summary: P passed, F failed, S skipped, R probe launches repeated
# (R: black-box probes that Wine did not start, started once more).
set -uo pipefail
exec </dev/null

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

bash scripts/install-deps.sh || { echo "test.sh: installing the dependencies failed" >&2; exit 1; }

mkdir -p build/logs build/all build/screenshots
# Several people share a checkout: one test run at a time per checkout, as
# the runs share the build trees and the Wine prefix.
exec 9>build/.test.lock
if ! flock -n 9; then
    echo "test.sh: another test run of this checkout is going on; waiting for it"
    flock 9
fi

. scripts/wine-env.sh || exit 1
WINE_LINE="test.sh: the Wine levels run build/$ORVANEL_WINBUILD, because $ORVANEL_WINBUILD_WHY"
echo "$WINE_LINE"

WINEBOOT_PID=""
KEEPER_PID=""
cleanup() {
    [ -n "$WINEBOOT_PID" ] && wait "$WINEBOOT_PID" 2>/dev/null
    if [ -n "$KEEPER_PID" ]; then
        kill "$KEEPER_PID" 2>/dev/null
        wait "$KEEPER_PID" 2>/dev/null
    fi
    orvanel_wineserver_stop
    orvanel_display_stop
}
trap cleanup EXIT
trap 'exit 130' INT TERM

orvanel_display_start || exit 1
echo "test.sh: display $DISPLAY (Xvfb pid $ORVANEL_XVFB_PID), WINEPREFIX $WINEPREFIX"
# The prefix is made (first run only, ~15 s) while the trees build.
orvanel_wine_init >build/logs/wineprefix.log 2>&1 &
WINEBOOT_PID=$!

JOBS="$(nproc 2>/dev/null || echo 2)"
[ "$JOBS" -lt 2 ] && JOBS=2
FAILED_BUILDS=()
TREES=()

# build_tree NAME CMAKE-ARGS...: configure and build build/NAME, log in
# build/logs/NAME.log.
build_tree() {
    local name="$1"
    shift
    local log="build/logs/$name.log"
    local start=$SECONDS
    echo "test.sh: building build/$name"
    if cmake -S . -B "build/$name" -G Ninja "$@" >"$log" 2>&1 &&
        cmake --build "build/$name" -j "$JOBS" >>"$log" 2>&1; then
        echo "test.sh: build/$name built in $((SECONDS - start)) s"
        TREES+=("$name")
    else
        echo "test.sh: build/$name FAILED (log: $log); its last lines:"
        tail -n 25 "$log" | sed 's/^/    /'
        FAILED_BUILDS+=("$name")
        # Tests of a half-built tree still run, but the build counts as failed.
        [ -f "build/$name/CTestTestfile.cmake" ] && TREES+=("$name")
    fi
}

build_tree native -DCMAKE_BUILD_TYPE=Debug -DORVANEL_SANITIZE=ON \
    -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
# wine_tree NAME: whether the Wine levels run from build/NAME.
wine_tree() { [ "$1" = "$ORVANEL_WINBUILD" ] && echo ON || echo OFF; }
build_tree win32 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$ROOT/scripts/wine-run.sh" -DORVANEL_WINE_TESTS="$(wine_tree win32)"
build_tree win64 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$ROOT/scripts/wine-run.sh" -DORVANEL_WINE_TESTS="$(wine_tree win64)"
if [ -f tests/fuzz/CMakeLists.txt ]; then
    build_tree fuzz -DORVANEL_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
fi

# One ctest over all trees.
{
    echo "# Written by scripts/test.sh: every test of the build trees, in one run."
    for name in "${FAILED_BUILDS[@]}"; do
        echo "add_test(build.$name \"/bin/sh\" \"-c\" \"tail -n 40 '$ROOT/build/logs/$name.log'; echo 'build/$name failed to build'; exit 1\")"
    done
    for name in "${TREES[@]}"; do
        echo "subdirs(\"$ROOT/build/$name\")"
    done
} >build/all/CTestTestfile.cmake

if ! wait "$WINEBOOT_PID"; then
    echo "test.sh: making the Wine prefix failed:"
    sed 's/^/    /' build/logs/wineprefix.log
fi
WINEBOOT_PID=""
# One wineserver for the whole run, so that every test's wine starts fast.
wineserver -p
# And one wine process that lives through the run and starts Wine's desktop
# process (explorer.exe) first, with its output in a log: the process that
# starts it hands it its standard handles, and had that been a test, ctest
# would wait for a pipe that explorer.exe keeps open.
PROBE="build/$ORVANEL_WINBUILD/tests/blackbox/winprobe.exe"
if [ -f "$PROBE" ]; then
    wine "$PROBE" info sleep 2000000000 >build/logs/wine-keeper.log 2>&1 &
    KEEPER_PID=$!
    for _ in $(seq 1 300); do
        grep -q '"found"' build/logs/wine-keeper.log 2>/dev/null && break
        sleep 0.1
    done
fi

echo "$WINE_LINE"
ctest --test-dir build/all --output-on-failure -j "$JOBS" 2>&1 | tee build/logs/ctest.log
status=${PIPESTATUS[0]}
echo "$WINE_LINE"
python3 scripts/ctest_summary.py build/logs/ctest.log build/all/Testing/Temporary/LastTest.log
exit "$status"
