#!/usr/bin/env bash
# Times each d88 command (native Release build) beside its yardstick on the
# same bytes, in one run, and prints a table of medians, ratios and d88's
# peak memory for docs/benchmarks.md.
#
#   bash scripts/bench-d88.sh            # 5 runs of each pair
#   RUNS=9 bash scripts/bench-d88.sh
#   ONLY=convert bash scripts/bench-d88.sh   # the rows whose name holds ONLY
#
# Containers: one of 512 images of 1 MiB, and 100 of 2 MiB (two images of
# 1 MiB each), made in build/bench-d88/data. Each image is a formatted 2HD
# disk that 'd88 check' finds clean: 125 tracks of 8 sectors of 1 KiB and
# one of 29 sectors of 256 bytes, which fill the MiB exactly. The file cache is warm: every
# container is read once before the runs. Before each timed run its output
# is removed and the disk settled with `sync` (not timed); the d88 command
# and its yardstick take turns, so both meet the same machine. An edit
# rewrites an existing file; its yardstick copies over an existing file of
# the same size, so both pay for freeing the old blocks. Where d88 has
# convert, a PC-98 2HD disk (1.25 MB) goes to raw, FDI, IMD and HFE and
# back, beside cp of the file read and sync of the file written.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
RUNS=${RUNS:-5}
BUILD=build/bench-d88
DATA=$BUILD/data

if [ ! -x /usr/bin/time ]; then
    echo "bench-d88.sh: installing GNU time for the peak memory" >&2
    apt-get install -y --no-install-recommends time >/dev/null
fi

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANEL_SANITIZE=OFF \
    -DORVANEL_TESTS=OFF -DORVANEL_BENCH=OFF -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ >/dev/null
cmake --build "$BUILD" --target d88 >/dev/null
D88=$ROOT/$BUILD/cli/d88

ONLY=${ONLY:-}
mkdir -p "$DATA"
if [ ! -f "$DATA/.formatted-2hd" ] && [ "$ONLY" != convert ]; then
    echo "bench-d88.sh: making the containers in $DATA" >&2
    python3 - "$DATA" <<'PY'
import os, struct, sys
data = sys.argv[1]
def image(name, size, fill):
    assert size == 1 << 20
    h = bytearray(688)
    h[:len(name)] = name
    h[0x1B] = 0x20  # 2HD: a track of 8 KiB is more than a 2D one holds
    struct.pack_into('<I', h, 28, size)
    body = bytearray()
    for t, (count, n) in enumerate([(8, 3)] * 125 + [(29, 1)]):
        struct.pack_into('<I', h, 32 + 4 * t, 688 + len(body))
        for s in range(count):
            body += struct.pack('<4BH3B5xH', t // 2, t % 2, s + 1, n, count, 0, 0, 0, 128 << n)
            body += bytes([fill]) * (128 << n)
    return bytes(h) + bytes(body)
with open(os.path.join(data, 'big.d88'), 'wb') as f:
    for i in range(512):
        f.write(image(b'DISK%03d' % i, 1 << 20, i & 0xFF))
os.makedirs(os.path.join(data, 'small'), exist_ok=True)
for c in range(100):
    with open(os.path.join(data, 'small', 'c%03d.d88' % c), 'wb') as f:
        f.write(image(b'A%03d' % c, 1 << 20, c) + image(b'B%03d' % c, 1 << 20, 255 - c))
PY
    touch "$DATA/.formatted-2hd"
fi
# The disk that convert takes to each format and back: PC-98 2HD, 77
# cylinders of 8 sectors of 1 KiB, its data no two sectors alike.
if [ ! -f "$DATA/disk2hd.d88" ]; then
    python3 - "$DATA/disk2hd.d88" <<'PY'
import random, struct, sys
random.seed(26)
h = bytearray(688)
body = bytearray()
for t in range(154):
    struct.pack_into('<I', h, 32 + 4 * t, 688 + len(body))
    for s in range(8):
        body += struct.pack('<4BH3B5xH', t // 2, t % 2, s + 1, 3, 8, 0, 0, 0, 1024)
        body += bytes(random.getrandbits(8) for _ in range(1024))
h[27] = 0x20
struct.pack_into('<I', h, 28, 688 + len(body))
open(sys.argv[1], 'wb').write(bytes(h) + bytes(body))
PY
fi
DISK=$DATA/disk2hd.d88
BIG=$DATA/big.d88
SMALL=("$DATA"/small/c*.d88)
[ "$ONLY" = convert ] || cat "$BIG" "${SMALL[@]}" >/dev/null

# run_timed CMD...: runs the command (its output to /dev/null), sets MS to
# the wall time in milliseconds (three decimals) and KIB to its peak memory.
run_timed() {
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f %M -o "$DATA/.mem" "$@" >/dev/null
    end=$(date +%s%N)
    MS=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", (b - a) / 1e6 }')
    KIB=$(cat "$DATA/.mem")
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# pair NAME PREPARE D88-COMMAND -- YARDSTICK-NAME YARDSTICK-COMMAND: PREPARE is
# evaluated before each run of either, untimed.
ROWS=()
pair() {
    local name=$1 prep=$2 d88cmd=$3 yname=$4 ycmd=$5
    [[ -z "$ONLY" || "$name" == *"$ONLY"* ]] || return 0
    local dt=() yt=() mem=() r
    for ((r = 0; r < RUNS; r++)); do
        eval "$prep"; sync
        run_timed bash -c "$d88cmd"
        dt+=("$MS"); mem+=("$KIB")
        eval "$prep"; sync
        run_timed bash -c "$ycmd"
        yt+=("$MS")
    done
    local dm ym km ratio
    dm=$(printf '%s\n' "${dt[@]}" | median)
    ym=$(printf '%s\n' "${yt[@]}" | median)
    km=$(printf '%s\n' "${mem[@]}" | sort -g | tail -1)
    ratio=$(awk -v a="$dm" -v b="$ym" 'BEGIN { printf "%.2f", a / b }')
    ROWS+=("| $name | $dm ms | $yname | $ym ms | $ratio | $(awk -v k="$km" 'BEGIN { printf "%.1f", k / 1024 }') MiB |")
    echo "bench-d88.sh: $name: d88 $dm ms, $yname $ym ms, ratio $ratio, peak $km KiB" >&2
}

OUT=$DATA/out.d88
COPY=$DATA/copy.d88
XDIR=$DATA/x
clean='rm -rf "$OUT" "$XDIR" "$DATA"/copy.*; mkdir -p "$XDIR"'
# An edit replaces a file of 512 MiB, whose blocks are freed when the new
# one takes its name; its yardstick copies over a file of that size too.
edit='rm -rf "$OUT" "$XDIR" "$DATA"/copy.*; mkdir -p "$XDIR"; cp "$BIG" "$COPY"; cp "$BIG" "$OUT"'
export D88 BIG OUT COPY XDIR DATA
SMALLQ=$(printf '"%s" ' "${SMALL[@]}")

pair "check FILE (512 MiB)" "$clean" '"$D88" check "$BIG"' \
    "cat FILE > /dev/null" 'cat "$BIG" > /dev/null'
pair "hash FILE (512 MiB)" "$clean" '"$D88" hash "$BIG"' \
    "sha1sum FILE" 'sha1sum "$BIG"'
pair "hash FILE (512 MiB)" "$clean" '"$D88" hash "$BIG"' \
    "sha1sum FILE; md5sum FILE" 'sha1sum "$BIG"; md5sum "$BIG"'
pair "dupes of 100 files of 2 MiB" "$clean" "\"\$D88\" dupes $SMALLQ" \
    "sha1sum FILES" "sha1sum $SMALLQ"
pair "list, 512 images of 1 MiB" "$clean" '"$D88" list "$BIG"' \
    "cat FILE > /dev/null" 'cat "$BIG" > /dev/null'
pair "list, 100 files of 2 MiB in one call" "$clean" "\"\$D88\" list $SMALLQ" \
    "cat FILES > /dev/null" "cat $SMALLQ > /dev/null"
pair "join OUT FILE (512 MiB)" "$clean" '"$D88" join "$OUT" "$BIG"' \
    "cp FILE OUT + sync OUT" 'cp "$BIG" "$OUT" && sync "$OUT"'
pair "join OUT of 100 files of 2 MiB" "$clean" "\"\$D88\" join \"\$OUT\" $SMALLQ" \
    "cat FILES > OUT + sync OUT" "cat $SMALLQ > \"\$OUT\" && sync \"\$OUT\""
pair "extract FILE -o DIR (512 files)" "$clean" '"$D88" extract "$BIG" -o "$XDIR"' \
    "split -b 1M + sync" 'split -b 1M "$BIG" "$XDIR/x" && sync "$XDIR"/x*'
pair "rename FILE 3 NAME" "$edit" '"$D88" rename "$COPY" 3 NEWNAME' \
    "cp FILE over OUT + sync OUT" 'cp "$COPY" "$OUT" && sync "$OUT"'
pair "protect FILE 3 on" "$edit" '"$D88" protect "$COPY" 3 on' \
    "cp FILE over OUT + sync OUT" 'cp "$COPY" "$OUT" && sync "$OUT"'
pair "move FILE 3 4 --to 0" "$edit" '"$D88" move "$COPY" 3 4 --to 0' \
    "cp FILE over OUT + sync OUT" 'cp "$COPY" "$OUT" && sync "$OUT"'
pair "delete FILE 0" "$edit" '"$D88" delete "$COPY" 0' \
    "cp FILE over OUT + sync OUT" 'cp "$COPY" "$OUT" && sync "$OUT"'
# convert: the 2HD disk to each format and back, each beside cp of the
# file it reads (and sync of what it writes, as the one writer flushes).
if "$D88" convert --help >/dev/null 2>&1; then
    CONV=$DATA/conv
    export DISK CONV
    for fmt in hdm fdi imd hfe; do
        "$D88" convert --force "$DISK" "$CONV.$fmt" >/dev/null
        cp "$CONV.$fmt" "$CONV-in.$fmt"
        pair "convert 2HD D88 to .$fmt" "$clean; rm -f \"\$CONV.$fmt\"" \
            "\"\$D88\" convert \"\$DISK\" \"\$CONV.$fmt\"" \
            "cp FILE OUT + sync OUT" 'cp "$DISK" "$COPY" && sync "$COPY"'
        pair "convert .$fmt to D88" "$clean" \
            "\"\$D88\" convert \"\$CONV-in.$fmt\" \"\$OUT\"" \
            "cp FILE OUT + sync OUT" "cp \"\$CONV-in.$fmt\" \"\$COPY\" && sync \"\$COPY\""
    done
    rm -f "$CONV".* "$CONV"-in.*
else
    echo "bench-d88.sh: this d88 has no convert command: its rows are left out" >&2
fi
eval "$clean"

echo
echo "Medians of $RUNS runs each; $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo); $(date -u +%Y-%m-%d)."
echo
echo "| d88 command | d88 | yardstick | yardstick time | d88 / yardstick | d88 peak memory |"
echo "|---|---|---|---|---|---|"
printf '%s\n' "${ROWS[@]}"
