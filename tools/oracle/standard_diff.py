#!/usr/bin/env python3
"""Compares two standard-methods results files field by field.

Usage: standard_diff.py EXPECTED ACTUAL [--stats FILE]

The header, the line count, the line ends, every Time and Records field and
every empty field must be equal as text. A NaN matches a NaN of either sign:
which operand's NaN an addition passes on is the compiler's choice, and
either means "no value". A number may differ by a relative
2e-6 (ave_V and ave_W, rounding noise around 0, by an absolute 1e-6): the
printed 6 digits of two correct implementations part only where a 1-ulp
difference of atan2, sin or cos flips a rounding tie. Prints the differences
and exits 1 when any is beyond the tolerance. With --stats, appends one JSON
line of counts and the largest relative difference per column to FILE.
"""

import json
import math
import sys

RELATIVE = 2e-6
ABSOLUTE = 1e-6
NEAR_ZERO = ('ave_V', 'ave_W')


def number(text):
    try:
        return float(text)
    except ValueError:
        return None


def compare(expected_path, actual_path):
    with open(expected_path, 'rb') as f:
        expected = f.read()
    with open(actual_path, 'rb') as f:
        actual = f.read()
    problems = []
    stats = {'lines': 0, 'fields': 0, 'same_text': 0, 'max_rel': {}, 'max_abs': {}}
    if expected == actual:
        lines = expected.split(b'\r\n')
        stats['lines'] = max(len(lines) - 2, 0)
        fields = sum(len(line.split(b',')) - 1 for line in lines[1:-1])
        stats['fields'] = fields
        stats['same_text'] = fields
        return problems, stats
    exp_lines = expected.split(b'\r\n')
    act_lines = actual.split(b'\r\n')
    if exp_lines[-1] != b'' or act_lines[-1] != b'':
        problems.append('the last line has no CR LF')
    if len(exp_lines) != len(act_lines):
        problems.append('%d lines expected, %d found' % (len(exp_lines) - 1, len(act_lines) - 1))
    if exp_lines[0] != act_lines[0]:
        problems.append('headers differ')
        return problems, stats
    columns = exp_lines[0].decode('ascii').split(',')
    for n, (e_line, a_line) in enumerate(zip(exp_lines[1:-1], act_lines[1:-1]), start=2):
        stats['lines'] += 1
        e_fields = e_line.split(b',')
        a_fields = a_line.split(b',')
        if len(e_fields) != len(a_fields):
            problems.append('line %d: %d fields expected, %d found' % (n, len(e_fields), len(a_fields)))
            continue
        for name, e, a in zip(columns, e_fields, a_fields):
            if name == 'Time':
                if e != a:
                    problems.append('line %d: Time %r expected, %r found' % (n, e, a))
                continue
            stats['fields'] += 1
            if e == a:
                stats['same_text'] += 1
                continue
            x, y = number(e.decode('latin-1')), number(a.decode('latin-1'))
            if x is not None and y is not None and math.isnan(x) and math.isnan(y):
                stats['nan_sign'] = stats.get('nan_sign', 0) + 1
                continue
            if name == 'Records' or x is None or y is None or math.isnan(x) or math.isnan(y) \
                    or math.isinf(x) or math.isinf(y):
                problems.append('line %d: %s %r expected, %r found' % (n, name, e, a))
                continue
            diff = abs(x - y)
            scale = max(abs(x), abs(y))
            rel = diff / scale if scale > 0 else 0.0
            stats['max_rel'][name] = max(stats['max_rel'].get(name, 0.0), rel)
            stats['max_abs'][name] = max(stats['max_abs'].get(name, 0.0), diff)
            ok = diff <= ABSOLUTE if name in NEAR_ZERO else rel <= RELATIVE
            if ok:
                stats['within'] = stats.get('within', 0) + 1
            else:
                problems.append('line %d: %s %s expected, %s found (relative %.3g)'
                                % (n, name, e.decode(), a.decode(), rel))
    return problems, stats


def main(argv):
    stats_file = None
    if '--stats' in argv:
        i = argv.index('--stats')
        stats_file = argv[i + 1]
        del argv[i:i + 2]
    if len(argv) != 2:
        raise SystemExit(__doc__)
    problems, stats = compare(argv[0], argv[1])
    for problem in problems[:20]:
        print('   ' + problem)
    if len(problems) > 20:
        print('   ... %d more' % (len(problems) - 20))
    if stats_file:
        with open(stats_file, 'a') as f:
            f.write(json.dumps(stats) + '\n')
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
