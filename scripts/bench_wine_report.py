#!/usr/bin/env python3
"""Markdown of the Wine benchmark: the raw lines of bench_win.exe and the
yardsticks that scripts/bench-wine.sh wrote to OUT, for the shapes named.

    python3 scripts/bench_wine_report.py OUT "1m 64m 512m 1k 10k"
"""
import re
import os, platform, subprocess, sys
out, shapes = sys.argv[1], sys.argv[2].split()

def sh(cmd):
    try:
        return subprocess.run(cmd, shell=True, capture_output=True, text=True).stdout.strip()
    except Exception:
        return ''

def decode(note):
    """The note's \\xNN escapes are CP932 bytes (the program's message texts)."""
    raw = re.sub(r'\\x([0-9A-F]{2})', lambda m: chr(int(m.group(1), 16)), note)
    return raw.encode('latin-1').decode('cp932', errors='replace')


yard = {}
for line in open(os.path.join(out, 'yardsticks.tsv')):
    f = line.rstrip('\n').split('\t')
    s, count, size, cat, cp, cps = f[:6]
    split = float(f[6]) if len(f) > 6 else float(cps)
    yard[s] = dict(count=int(count), size=int(size), cat=float(cat), cp=float(cp), cps=float(cps),
                   split=split)

results = {}
for s in shapes:
    path = os.path.join(out, 'raw-%s.txt' % s)
    if not os.path.exists(path):
        continue
    for line in open(path, encoding='ascii', errors='replace'):
        f = line.rstrip('\n').split('\t')
        if f[0] != 'RESULT' or len(f) < 9:
            continue
        results.setdefault(s, {})[f[2]] = dict(min=float(f[3]), median=float(f[4]), ok=f[5] == 'ok',
                                               items=int(f[6]), changed=int(f[7]), note=decode(f[8]))

# The yardstick each operation is set against: the plain copy of the same
# bytes, or a copy that is flushed for the operations that flush their files.
# Extraction writes one flushed file per image: split into such files.
yardstick = {'open': 'cp', 'open-icon': 'cp', 'read': 'cp', 'add': 'cp', 'addgrow': 'cp', 'save': 'cps',
             'extract': 'split', 'extract-floor': 'split'}
yardname = {'cp': 'cp', 'cps': 'cp+fsync', 'split': 'split+fsync'}
ops = ['open', 'open-icon', 'read', 'fitcolumns', 'add', 'addgrow', 'save', 'selectall', 'selectall-nobar',
       'extract', 'extract-floor', 'extract-lookups', 'lookup-full', 'lookup-empty', 'select4', 'reorder', 'reorder-icon', 'insert-redraw',
       'insert-noredraw', 'lockpair']
# Rows whose time is per call already, not per container.
per_call = {'lookup-full', 'lookup-empty', 'lockpair', 'extract-lookups'}
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
             'container on the same machine, "cp+fsync" the same followed by `sync FILE`, '
             '"split+fsync" the container cut into one file per image (`split -b`), each flushed; '
             'the ratio is against cp+fsync for save, split+fsync for extract (the program flushes '
             'every file it writes) and against cp otherwise (for operations that move no bytes the ratio only sets '
             'the scale). lookup-* and lockpair are per call. "changes" counts LVN_ITEMCHANGED notifications (each one '
             'recomposes the status text).')
for s in shapes:
    if s not in yard:
        continue
    y = yard[s]
    lines.append('')
    lines.append('## %s (%s bytes)' % (label.get(s, s), '{:,}'.format(y['count'] * y['size'])))
    lines.append('')
    lines.append('Yardsticks: cat > /dev/null %s ms, cp %s ms, cp+fsync %s ms, split+fsync %s ms.' % (
        ms(y['cat']), ms(y['cp']), ms(y['cps']), ms(y['split'])))
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
        per_text = '-' if op in per_call else '{:,.0f} µs'.format(per)
        note = r['note'] if r['ok'] else ('FAILED: ' + r['note'])
        lines.append('| %s | %s | %s | %s | %s (%s) | %s | %d | %d | %s |' % (
            op, ms(r['min']), ms(r['median']), per_text, ms(ys),
            yardname[key], '%.1f' % (r['min'] / ys) if ys > 0 else '-',
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
    if op in per_call:
        continue
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
