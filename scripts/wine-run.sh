#!/usr/bin/env bash
# Runs a Win32 program under Wine with Orvanel's test environment: the
# Japanese locale, quiet logging and the repository's WINEPREFIX (unless one
# is set). DISPLAY must be set already (scripts/test.sh sets it). Used as
# CMAKE_CROSSCOMPILING_EMULATOR, so ctest runs the .exe tests through it.
# A status other than 0 is said on standard error with the time Wine took,
# so that a program that Wine ended before it wrote anything (the logging
# is off) still leaves a trace in the test's output.
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh" || exit 1
start=$(date +%s%N)
wine "$@"
status=$?
if [ "$status" -ne 0 ]; then
    echo "wine-run: $(basename "$1") ended with status $status after $((($(date +%s%N) - start) / 1000000)) ms" >&2
fi
exit "$status"
