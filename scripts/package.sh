#!/usr/bin/env bash
# The downloads: bash scripts/package.sh
#
# Installs what is missing, builds the two Windows trees as scripts/test.sh
# does (build/win32, the product, and build/win64; Release) and writes
#   build/package/orvanel-VERSION-win32.zip
#   build/package/orvanel-VERSION-win64.zip
# with scripts/package.py: orvanel.exe, d88.exe, orvanel.hlp, orvanel.cnt,
# orvanel.chm and readme.txt each. VERSION is the exe's file version.
set -euo pipefail
exec </dev/null

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

bash scripts/install-deps.sh
mkdir -p build/logs build/package
JOBS="$(nproc 2>/dev/null || echo 2)"
for width in win32 win64; do
    toolchain=mingw-i686.cmake
    [ "$width" = win64 ] && toolchain=mingw-x86_64.cmake
    log="build/logs/package-$width.log"
    echo "package.sh: building build/$width (log: $log)"
    if ! { cmake -S . -B "build/$width" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_CROSSCOMPILING_EMULATOR="$ROOT/scripts/wine-run.sh" &&
        cmake --build "build/$width" -j "$JOBS" --target orvanel d88; } >"$log" 2>&1; then
        echo "package.sh: build/$width FAILED; the end of $log:" >&2
        tail -n 25 "$log" >&2
        exit 1
    fi
    python3 scripts/package.py "build/$width" build/package
done
