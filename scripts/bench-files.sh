#!/usr/bin/env bash
# Times `d88 files` over a folder of 300 2D disks (native Release build)
# beside `cat` of the same files, for docs/benchmarks.md: the listing reads
# the directory and FAT sectors of each disk (and the few sectors of its
# ASCII and machine-code files), never a disk whole.
#
#   bash scripts/bench-files.sh            # 5 runs of each
#   RUNS=9 bash scripts/bench-files.sh
#
# The disks, made in build/bench-files/data: 100 each of N88-BASIC,
# F-BASIC and Hu-BASIC, 348,848 bytes each, with eight files of each kind
# (tokenised BASIC, ASCII ended by 0x1A, machine code) spread over the
# disk. The file cache is warm: every disk is read once before the runs.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
RUNS=${RUNS:-5}
BUILD=build/bench-files
DATA=$BUILD/data

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANEL_SANITIZE=OFF \
    -DORVANEL_TESTS=OFF -DORVANEL_BENCH=OFF -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ >/dev/null
cmake --build "$BUILD" --target d88 >/dev/null
D88=$ROOT/$BUILD/cli/d88

mkdir -p "$DATA/disks"
if [ ! -f "$DATA/.made" ]; then
    echo "bench-files.sh: making the disks in $DATA/disks" >&2
    python3 - "$DATA/disks" <<'PY'
import os, struct, sys
out = sys.argv[1]

def d88(name, sector):  # sector(c, h, r) -> 256 bytes, 40 x 2 x 16
    head = bytearray(688)
    head[:len(name)] = name
    body = bytearray()
    for t in range(80):
        struct.pack_into('<I', head, 32 + 4 * t, 688 + len(body))
        for r in range(1, 17):
            body += struct.pack('<4BH3B5xH', t // 2, t % 2, r, 1, 16, 0, 0, 0, 256)
            body += sector(t // 2, t % 2, r)
    struct.pack_into('<I', head, 28, 688 + len(body))
    return bytes(head) + bytes(body)

def contents(k):  # eight files: (kind, bytes)
    files = []
    for i in range(8):
        kind = ('basic', 'ascii', 'code')[i % 3]
        if kind == 'ascii':
            data = b''.join(b'%d PRINT "LINE %d"\r\n' % (10 * j, j) for j in range(1, 40)) + b'\x1a'
        elif kind == 'code':
            data = bytes([(k + j) & 0xFF for j in range(3000)])
        else:
            data = bytes([0x91, 0x20]) * 1500
        files.append((kind, data))
    return files

def n88(k):
    sectors, fat = {}, bytearray([0xFF]) * 256
    fat[74] = fat[75] = 0xFE
    directory = bytearray([0xFF]) * (12 * 256)
    cluster = 0
    for i, (kind, data) in enumerate(contents(k)):
        if kind == 'code':
            data = struct.pack('<HH', 0x9000, 0x9000 + len(data) - 1) + data
        attr = {'basic': 0x80, 'ascii': 0x00, 'code': 0x01}[kind]
        directory[16 * i:16 * i + 11] = b'FILE%02dBAS' % i + bytes([attr, cluster])
        n = (len(data) + 2047) // 2048
        for j in range(n):
            c = cluster + j
            chunk = data[j * 2048:(j + 1) * 2048]
            for s in range(8):
                sectors[(c // 4, c // 2 % 2, 1 + 8 * (c % 2) + s)] = chunk[256 * s:256 * s + 256].ljust(256, b'\0')
            used = (len(chunk) + 255) // 256
            fat[c] = c + 1 if j + 1 < n else 0xC0 + used
        cluster += n + 3  # spread over the disk
    for r in range(1, 13):
        sectors[(18, 1, r)] = bytes(directory[256 * (r - 1):256 * r])
    for r in (14, 15, 16):
        sectors[(18, 1, r)] = bytes(fat)
    return d88(b'N88 %03d' % k, lambda c, h, r: sectors.get((c, h, r), b'\xff' * 256))

def fbasic(k):
    sectors, fat = {(0, 0, 3): b'SYS'.ljust(256, b'\0')}, bytearray([0xFF]) * 256
    fat[0] = 0
    entries = bytearray([0xFF]) * (13 * 256)
    cluster = 0
    for i, (kind, data) in enumerate(contents(k)):
        if kind == 'code':
            data = bytes([0]) + struct.pack('>HH', len(data), 0x1800) + data + b'\xff\x00\x00\x18\x00\x1a'
        e = bytearray(32)
        e[0:8] = b'FILE%02d  ' % i
        e[11] = {'basic': 0, 'ascii': 0, 'code': 2}[kind]
        e[12] = 0xFF if kind == 'ascii' else 0
        e[14] = cluster
        entries[32 * i:32 * i + 32] = e
        n = (len(data) + 2047) // 2048
        for j in range(n):
            x = cluster + j
            chunk = data[j * 2048:(j + 1) * 2048]
            for s in range(8):
                sectors[(2 + x // 4, x // 2 % 2, 1 + 8 * (x % 2) + s)] = chunk[256 * s:256 * s + 256].ljust(256, b'\0')
            fat[5 + x] = x + 1 if j + 1 < n else 0xC0 + (len(chunk) + 255) // 256 - 1
        cluster += n + 3
    sectors[(1, 0, 1)] = bytes(fat)
    for r in range(4, 17):
        sectors[(1, 0, r)] = bytes(entries[256 * (r - 4):256 * (r - 3)])
    return d88(b'FBASIC %03d' % k, lambda c, h, r: sectors.get((c, h, r), b'\xff' * 256))

def hubasic(k):
    fat = bytearray(256)
    fat[0], fat[1] = 1, 0x8F
    sectors, directory = {}, bytearray([0xFF]) * (16 * 256)
    cluster = 2
    for i, (kind, data) in enumerate(contents(k)):
        mode = {'basic': 0x02, 'ascii': 0x04, 'code': 0x01}[kind]
        directory[32 * i:32 * i + 32] = (bytes([mode]) + b'file%02d       bin' % i + b' ' +
                                        struct.pack('<HHH', len(data), 0x3000, 0x3000) + bytes(5) +
                                        bytes([0, cluster, 0]))
        n = (len(data) + 4095) // 4096
        for j in range(n):
            x = cluster + j
            chunk = data[j * 4096:(j + 1) * 4096]
            for s in range(16):
                sectors[(x // 2, x % 2, 1 + s)] = chunk[256 * s:256 * s + 256].ljust(256, b'\0')
            fat[x] = x + 1 if j + 1 < n else 0x80 + (len(chunk) + 255) // 256 - 1
        cluster += n + 3
    sectors[(0, 0, 15)] = bytes(fat)
    for r in range(1, 17):
        sectors[(0, 1, r)] = bytes(directory[256 * (r - 1):256 * r])
    return d88(b'HUBASIC %03d' % k, lambda c, h, r: sectors.get((c, h, r), b'\x00' * 256))

for k in range(100):
    for name, make in (('n88', n88), ('fbasic', fbasic), ('hubasic', hubasic)):
        with open(os.path.join(out, '%s%03d.d88' % (name, k)), 'wb') as f:
            f.write(make(k))
PY
    touch "$DATA/.made"
fi
if ! "$D88" files --help >/dev/null 2>&1; then
    echo "bench-files.sh: this d88 has no files command; the disks are in $DATA/disks" >&2
    exit 1
fi
cat "$DATA"/disks/*.d88 >/dev/null

# run_timed CMD...: the wall time in milliseconds to MS, the peak memory to KIB.
run_timed() {
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f %M -o "$DATA/.mem" "$@" >/dev/null
    end=$(date +%s%N)
    MS=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", (b - a) / 1e6 }')
    KIB=$(cat "$DATA/.mem")
}
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
dt=() ct=() mem=()
for ((r = 0; r < RUNS; r++)); do
    run_timed "$D88" files "$DATA/disks"
    dt+=("$MS"); mem+=("$KIB")
    run_timed bash -c 'cat "$0"/*.d88 > /dev/null' "$DATA/disks"
    ct+=("$MS")
done
dm=$(printf '%s\n' "${dt[@]}" | median)
cm=$(printf '%s\n' "${ct[@]}" | median)
km=$(printf '%s\n' "${mem[@]}" | sort -g | tail -1)
echo "| files DIR (300 2D disks, 100 MiB) | $dm ms | cat DIR/* > /dev/null | $cm ms |" \
     "$(awk -v a="$dm" -v b="$cm" 'BEGIN { printf "%.2f", a / b }') |" \
     "$(awk -v k="$km" 'BEGIN { printf "%.1f", k / 1024 }') MiB |"
