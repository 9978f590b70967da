#!/usr/bin/env python3
"""Compares two corrected results files (OUT.flux.csv): the reference's and
Kelvara's.

Usage: flux_diff.py REFERENCE ENGINE [--stats JSONL]

The header and the number of lines must be equal; the time stamps, N, the
lags (found, used, default) and the flags equal as text; -9999 equal as
text in any column; every other number within 1e-6 relative. Prints each
difference (at most 20) and exits 1 when there is one. --stats appends a
line of counts and the largest relative difference per column.
"""

import json
import sys

EXACT = {'TIMESTAMP_START', 'TIMESTAMP_END', 'N', 'CO2_TLAG', 'H2O_TLAG', 'CO2_TLAG_ACTUAL',
         'H2O_TLAG_ACTUAL', 'CO2_TLAG_DEF', 'H2O_TLAG_DEF', 'TAU_SSITC_TEST', 'H_SSITC_TEST',
         'LE_SSITC_TEST', 'FC_SSITC_TEST'}
FLAGS = ('TAU_SSITC_TEST', 'H_SSITC_TEST', 'LE_SSITC_TEST', 'FC_SSITC_TEST')
MISSING = '-9999'
TOLERANCE = 1e-6


def read(path):
    with open(path, 'rb') as f:
        data = f.read()
    if b'\r' in data:
        raise SystemExit('%s: a CR in the file (LF line ends expected)' % path)
    lines = data.decode('ascii').split('\n')
    if lines[-1] != '':
        raise SystemExit('%s: the last line has no line end' % path)
    return [line.split(',') for line in lines[:-1]]


def main(argv):
    stats_path = None
    if '--stats' in argv:
        i = argv.index('--stats')
        stats_path = argv[i + 1]
        del argv[i:i + 2]
    ref, eng = read(argv[0]), read(argv[1])
    problems = []
    if ref[0] != eng[0]:
        problems.append('headers differ')
    if len(ref) != len(eng):
        problems.append('%d lines in the reference, %d in the engine' % (len(ref), len(eng)))
    header = ref[0]
    worst = {}
    counts = {'lines': 0, 'fields': 0, 'same_text': 0, 'flags': {'0': 0, '1': 0, '2': 0, MISSING: 0},
              'lag_default': 0, 'lag_nonzero': 0, 'rejected': 0}
    for number, (a, b) in enumerate(zip(ref[1:], eng[1:]), start=2):
        counts['lines'] += 1
        if len(a) != len(header) or len(b) != len(header):
            problems.append('line %d: %d and %d fields, the header has %d' % (number, len(a), len(b), len(header)))
            continue
        if a[2] == MISSING:
            counts['rejected'] += 1
        for name, x, y in zip(header, a, b):
            counts['fields'] += 1
            if x == y:
                counts['same_text'] += 1
            if name in FLAGS:
                counts['flags'][x] = counts['flags'].get(x, 0) + 1
            if name in ('CO2_TLAG_DEF', 'H2O_TLAG_DEF') and x == '1':
                counts['lag_default'] += 1
            if name in ('CO2_TLAG_ACTUAL', 'H2O_TLAG_ACTUAL') and x not in ('0', MISSING):
                counts['lag_nonzero'] += 1
            if x == y:
                continue
            if name in EXACT or MISSING in (x, y):
                problems.append('line %d %s: reference %s, engine %s' % (number, name, x, y))
                continue
            fx, fy = float(x), float(y)
            scale = max(abs(fx), abs(fy))
            rel = abs(fx - fy) / scale if scale > 0 else 0.0
            worst[name] = max(worst.get(name, 0.0), rel)
            if rel > TOLERANCE:
                problems.append('line %d %s: reference %s, engine %s (relative %.2g)' % (number, name, x, y, rel))
    for p in problems[:20]:
        print('   ' + p)
    if len(problems) > 20:
        print('   ... %d more' % (len(problems) - 20))
    if stats_path:
        counts['max_rel'] = worst
        with open(stats_path, 'a') as f:
            f.write(json.dumps(counts) + '\n')
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
