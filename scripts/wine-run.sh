#!/usr/bin/env bash
# Runs a Win32 program under Wine with Orvanel's test environment: the
# Japanese locale, quiet logging and the repository's WINEPREFIX (unless one
# is set). DISPLAY must be set already (scripts/test.sh sets it). Used as
# CMAKE_CROSSCOMPILING_EMULATOR, so ctest runs the .exe tests through it.
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh" || exit 1
exec wine "$@"
