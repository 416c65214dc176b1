#!/usr/bin/env bash
# The benchmark of the real program under Wine: bash scripts/bench-wine.sh
#
# Builds bench_win.exe (in the Windows tree Wine runs here, target bench_win; not part of the
# default build), starts an Xvfb display and a Wine prefix of its own
# (build/wineprefix-bench), generates the containers in build/bench-wine/,
# measures cat, cp, cp with an fsync, and split into one flushed file per
# image, of the same bytes, runs the
# benchmark on each container under Wine and writes the results as Markdown
# to build/bench-wine/results.md (raw lines in build/bench-wine/raw-*.txt).
#
# Containers: 1 MiB (one 1 MiB image), 64 MiB (64 images of 1 MiB),
# 512 MiB (512 images of 1 MiB), and 1,000 and 10,000 images of 1 KiB.
# Each container's run is stopped after an hour; bench_win leaves out the
# one row that grows faster than that (the list view's insertion with
# drawing on, which the program never does) above 1,000 items.
# BENCH_SHAPES="1m 64m" picks some of them (names: 1m 64m 512m 1k 10k).
set -uo pipefail
exec </dev/null

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
OUT="$ROOT/build/bench-wine"
mkdir -p "$OUT" build/logs
SHAPES="${BENCH_SHAPES:-1m 64m 512m 1k 10k}"

export ORVANEL_PREFIX_NAME=bench
. scripts/wine-env.sh || exit 1

cleanup() {
    orvanel_wineserver_stop
    orvanel_display_stop
    rm -rf "$OUT/work" "$OUT/copy.d88" "$OUT/split"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

echo "bench-wine: building bench_win"
orvanel_wintree_configure >build/logs/bench-wine-build.log 2>&1 ||
    { tail -n 30 build/logs/bench-wine-build.log; exit 1; }
cmake --build "build/$ORVANEL_WINBUILD" -j 2 --target bench_win >>build/logs/bench-wine-build.log 2>&1 ||
    { tail -n 30 build/logs/bench-wine-build.log; exit 1; }
EXE="$ROOT/build/$ORVANEL_WINBUILD/tests/bench/bench_win.exe"

orvanel_display_start || exit 1
echo "bench-wine: display $DISPLAY, WINEPREFIX $WINEPREFIX"
orvanel_wine_init >build/logs/bench-wineprefix.log 2>&1 || { cat build/logs/bench-wineprefix.log; exit 1; }
wineserver -p

# make_container FILE COUNT SIZE: COUNT images of SIZE bytes, named DISK 00000...
make_container() {
    [ -f "$1" ] && [ "$(stat -c %s "$1")" -eq $(($2 * $3)) ] && return 0
    python3 - "$1" "$2" "$3" <<'EOF'
import struct, sys
path, count, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
body = bytes((i * 7) & 0xFF for i in range(size - 688))
with open(path, 'wb') as f:
    for i in range(count):
        h = bytearray(688)
        name = ('DISK %05d' % i).encode()
        h[:len(name)] = name
        struct.pack_into('<I', h, 28, size)
        f.write(h)
        f.write(body)
EOF
}

# best_ms CMD...: the least wall time of three runs, in milliseconds.
best_ms() {
    local best="" i t0 t1 ms
    for i in 1 2 3; do
        t0=$(date +%s%N)
        "$@" >/dev/null 2>&1
        t1=$(date +%s%N)
        ms=$(((t1 - t0) / 1000))
        if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
    done
    printf '%d.%03d' $((best / 1000)) $((best % 1000))
}
cp_fsync() { cp "$1" "$2" && sync "$2"; }
# split_fsync FILE SIZE DIR: the container cut into files of SIZE bytes, each
# flushed: the bytes of an extraction, written the way it writes them.
split_fsync() {
    rm -rf "$3" && mkdir -p "$3" && split -b "$2" -a 5 -d "$1" "$3/p" && find "$3" -type f -exec sync {} +
}

winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }

: >"$OUT/yardsticks.tsv"
for shape in $SHAPES; do
    case "$shape" in
        1m) count=1; size=1048576; repeat=3 ;;
        64m) count=64; size=1048576; repeat=3 ;;
        512m) count=512; size=1048576; repeat=2 ;;
        1k) count=1000; size=1024; repeat=3 ;;
        10k) count=10000; size=1024; repeat=1 ;;
        *) echo "bench-wine: unknown shape $shape" >&2; exit 2 ;;
    esac
    file="$OUT/bench-$shape.d88"
    echo "bench-wine: $shape: $count images of $size bytes"
    make_container "$file" "$count" "$size"
    cat "$file" >/dev/null
    cat_ms=$(best_ms sh -c "cat '$file' >/dev/null")
    cp_ms=$(best_ms cp "$file" "$OUT/copy.d88")
    cps_ms=$(best_ms cp_fsync "$file" "$OUT/copy.d88")
    split_ms=$(best_ms split_fsync "$file" "$size" "$OUT/split")
    rm -rf "$OUT/copy.d88" "$OUT/split"
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$shape" "$count" "$size" "$cat_ms" "$cp_ms" "$cps_ms" "$split_ms" \
        >>"$OUT/yardsticks.tsv"
    rm -rf "$OUT/work"
    mkdir -p "$OUT/work"
    start=$SECONDS
    timeout 3600 wine "$EXE" "$shape" "$(winpath "$file")" "$(winpath "$OUT/work")" "$repeat" \
        >"$OUT/raw-$shape.txt" 2>"$OUT/raw-$shape.err"
    rc=$?
    echo "bench-wine: $shape done in $((SECONDS - start)) s (exit $rc)"
    [ "$rc" -eq 124 ] && echo "bench-wine: $shape stopped after an hour; the rows after the last one are missing" >&2
    grep -c RESULT "$OUT/raw-$shape.txt" >/dev/null || echo "bench-wine: no results for $shape" >&2
done

python3 scripts/bench_wine_report.py "$OUT" "$SHAPES"
echo "bench-wine: results in $OUT/results.md"
