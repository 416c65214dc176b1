#!/usr/bin/env bash
# The benchmark of the real program under Wine: bash scripts/bench-wine.sh
#
# Builds bench_win.exe (build/win32, target bench_win; not part of the
# default build), starts an Xvfb display and a Wine prefix of its own
# (build/wineprefix-bench), generates the containers in build/bench-wine/,
# measures cat, cp and cp with an fsync of the same bytes, runs the
# benchmark on each container under Wine and writes the results as Markdown
# to build/bench-wine/results.md (raw lines in build/bench-wine/raw-*.txt).
#
# Containers: 1 MiB (one 1 MiB image), 64 MiB (64 images of 1 MiB),
# 512 MiB (512 images of 1 MiB), and 1,000 and 10,000 images of 1 KiB.
# BENCH_SHAPES="1m 64m" picks some of them (names: 1m 64m 512m 1k 10k).
set -uo pipefail
exec </dev/null

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
OUT="$ROOT/build/bench-wine"
mkdir -p "$OUT" build/logs
SHAPES="${BENCH_SHAPES:-1m 64m 512m 1k 10k}"

export WINEPREFIX="$ROOT/build/wineprefix-bench"
. scripts/wine-env.sh

cleanup() {
    orvanel_wineserver_stop
    orvanel_display_stop
    rm -rf "$OUT/work" "$OUT/copy.d88"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

echo "bench-wine: building bench_win"
if [ ! -f build/win32/build.ninja ]; then
    cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_CROSSCOMPILING_EMULATOR="$ROOT/scripts/wine-run.sh" \
        >build/logs/bench-wine-build.log 2>&1 || { tail -n 30 build/logs/bench-wine-build.log; exit 1; }
fi
cmake --build build/win32 -j 2 --target bench_win >>build/logs/bench-wine-build.log 2>&1 ||
    { tail -n 30 build/logs/bench-wine-build.log; exit 1; }
EXE="$ROOT/build/win32/tests/bench/bench_win.exe"

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
    rm -f "$OUT/copy.d88"
    printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$shape" "$count" "$size" "$cat_ms" "$cp_ms" "$cps_ms" >>"$OUT/yardsticks.tsv"
    rm -rf "$OUT/work"
    mkdir -p "$OUT/work"
    start=$SECONDS
    timeout 3600 wine "$EXE" "$shape" "$(winpath "$file")" "$(winpath "$OUT/work")" "$repeat" \
        >"$OUT/raw-$shape.txt" 2>"$OUT/raw-$shape.err"
    rc=$?
    echo "bench-wine: $shape done in $((SECONDS - start)) s (exit $rc)"
    grep -c RESULT "$OUT/raw-$shape.txt" >/dev/null || echo "bench-wine: no results for $shape" >&2
done

python3 - "$OUT" "$SHAPES" <<'EOF'
import os, platform, subprocess, sys
out, shapes = sys.argv[1], sys.argv[2].split()

def sh(cmd):
    try:
        return subprocess.run(cmd, shell=True, capture_output=True, text=True).stdout.strip()
    except Exception:
        return ''

yard = {}
for line in open(os.path.join(out, 'yardsticks.tsv')):
    s, count, size, cat, cp, cps = line.rstrip('\n').split('\t')
    yard[s] = dict(count=int(count), size=int(size), cat=float(cat), cp=float(cp), cps=float(cps))

results = {}
for s in shapes:
    path = os.path.join(out, 'raw-%s.txt' % s)
    if not os.path.exists(path):
        continue
    for line in open(path, encoding='latin-1'):
        f = line.rstrip('\n').split('\t')
        if f[0] != 'RESULT' or len(f) < 9:
            continue
        results.setdefault(s, {})[f[2]] = dict(min=float(f[3]), median=float(f[4]), ok=f[5] == 'ok',
                                               items=int(f[6]), changed=int(f[7]), note=f[8])

# The yardstick each operation is set against: the plain copy of the same
# bytes, or a copy that is flushed for the operations that flush their files.
yardstick = {'open': 'cp', 'open-icon': 'cp', 'add': 'cp', 'addgrow': 'cp', 'save': 'cps',
             'extract': 'cps'}
ops = ['open', 'open-icon', 'fitcolumns', 'add', 'addgrow', 'save', 'selectall', 'extract', 'select4',
       'reorder', 'reorder-icon', 'insert-redraw', 'insert-noredraw', 'lockpair']
label = {'1m': '1 MiB, 1 image', '64m': '64 MiB, 64 images', '512m': '512 MiB, 512 images',
         '1k': '1,000 images of 1 KiB', '10k': '10,000 images of 1 KiB'}

def ms(v):
    return '%.1f' % v if v < 100 else '{:,.0f}'.format(v)

lines = []
lines.append('# Orvanel under Wine: measured commands')
lines.append('')
lines.append('Command: `bash scripts/bench-wine.sh` (%s)' % sh('date -u "+%Y-%m-%d %H:%M UTC"'))
lines.append('')
cpu = sh("grep -m1 'model name' /proc/cpuinfo | cut -d: -f2").strip()
lines.append('Machine: %s, %s CPUs, %s RAM, %s, %s; file system of build/: %s.' % (
    cpu, sh('nproc'), sh("free -h | awk '/Mem:/{print $2}'"), platform.platform(),
    sh('wine --version'), sh("df -T %s | awk 'NR==2{print $2}'" % out)))
lines.append('')
lines.append('Times in milliseconds, the least of the runs (median beside it). "cp" is `cp` of the '
             'container on the same machine, "cp+fsync" the same followed by `sync FILE`; the ratio '
             'is against cp+fsync for save and extract (the program flushes every file it writes) '
             'and against cp otherwise. "changes" counts LVN_ITEMCHANGED notifications (each one '
             'recomposes the status text).')
for s in shapes:
    if s not in yard:
        continue
    y = yard[s]
    lines.append('')
    lines.append('## %s (%s bytes)' % (label.get(s, s), '{:,}'.format(y['count'] * y['size'])))
    lines.append('')
    lines.append('Yardsticks: cat > /dev/null %s ms, cp %s ms, cp+fsync %s ms.' % (ms(y['cat']), ms(y['cp']), ms(y['cps'])))
    lines.append('')
    lines.append('| operation | min ms | median ms | per image | yardstick ms | ratio | items | changes | note |')
    lines.append('|---|---|---|---|---|---|---|---|---|')
    for op in ops:
        r = results.get(s, {}).get(op)
        if not r:
            continue
        key = yardstick.get(op, 'cp')
        ys = y[key]
        per = r['min'] / y['count'] * 1000.0
        note = r['note'] if r['ok'] else ('FAILED: ' + r['note'])
        lines.append('| %s | %s | %s | %s µs | %s (%s) | %s | %d | %d | %s |' % (
            op, ms(r['min']), ms(r['median']), '{:,.0f}'.format(per), ms(ys),
            'cp+fsync' if key == 'cps' else 'cp', '%.1f' % (r['min'] / ys) if ys > 0 else '-',
            r['items'], r['changed'], note))

# Growth: 1 -> 64 -> 512 MiB, and per image at 1,000 and 10,000 images.
lines.append('')
lines.append('## Growth')
lines.append('')
lines.append('| operation | 1 MiB | 64 MiB | 512 MiB | 64→512 factor (bytes ×8) | per image, 1,000 | per image, 10,000 | 1k→10k factor (×10) |')
lines.append('|---|---|---|---|---|---|---|---|')
def get(s, op):
    r = results.get(s, {}).get(op)
    return r['min'] if r and r['ok'] else None
for op in ops:
    a, b, c, d, e = (get(s, op) for s in ('1m', '64m', '512m', '1k', '10k'))
    def cell(v):
        return ms(v) if v is not None else '-'
    f1 = '%.1f' % (c / b) if b and c else '-'
    f2 = '%.1f' % (e / d) if d and e else '-'
    pd = '{:,.0f} µs'.format(d / 1000 * 1000) if d is not None else '-'
    pe = '{:,.0f} µs'.format(e / 10000 * 1000) if e is not None else '-'
    lines.append('| %s | %s | %s | %s | %s | %s | %s | %s |' % (op, cell(a), cell(b), cell(c), f1, pd, pe, f2))

open(os.path.join(out, 'results.md'), 'w').write('\n'.join(lines) + '\n')
print('\n'.join(lines))
EOF
echo "bench-wine: results in $OUT/results.md"
