#!/usr/bin/env python3
"""Self-test of standard_oracle.py and planefit_oracle.py on generated raw files.

Checks physics that any correct implementation must show (double rotation
zeroes the mean cross and vertical wind from every direction; turning the
sonic by 180 degrees changes no flux; a planar fit recovers a known tilt and
screens out calm and faulty blocks) and the stream reading of the standard
mode. Plain Python; exits 1 on the first failed group.

Usage: test_new_oracles.py [--keep]
"""

import datetime
import json
import math
import os
import random
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
STANDARD = os.path.join(HERE, 'standard_oracle.py')
PLANEFIT = os.path.join(HERE, 'planefit_oracle.py')
HEADER = ('Time,ustar,tau,ave_CO2,ave_H2O,ave_P,ave_Ts,ave_Ta,ave_U,ave_V,ave_W,'
          'H,Fc_wplE,Fc_wplT,LE,Fc,Records')
COLUMNS = HEADER.split(',')

# A plane (b0, b1, b2) that the sonic is tilted by in the planar-fit tests.
PLANE = (0.03, 0.06, -0.04)

# ---------------------------------------------------------------------------
# Synthetic raw data


def turbulence(rng):
    """One record's flow-frame fluctuations: u'w' < 0, w'T' > 0, w'q' > 0,
    w'c' < 0, as over a growing canopy by day."""
    a, b, c, d, e, f = (rng.gauss(0.0, 1.0) for _ in range(6))
    up = 0.5 * a
    vp = 0.4 * b
    wp = 0.3 * (-0.4 * a + 0.9 * c)
    tp = 0.25 * (0.6 * c + 0.8 * d)
    qp = 0.2 * (0.5 * c + 0.87 * e)
    cp = 5.0 * (-0.5 * c + 0.87 * f)
    return up, vp, wp, tp, qp, cp


def block_records(rng, mean_u, mean_v, mean_w, count):
    """count records of a block whose mean wind in the sonic frame is
    (mean_u, mean_v, mean_w); the fluctuations follow the mean wind."""
    phi = math.atan2(mean_v, mean_u)
    c, s = math.cos(phi), math.sin(phi)
    for _ in range(count):
        up, vp, wp, tp, qp, cop = turbulence(rng)
        yield (mean_u + up * c - vp * s, mean_v + up * s + vp * c, mean_w + wp,
               700.0 + cop, 10.0 + qp, 20.0 + tp, 100.0)


def record_line(when, values, status=0):
    stamp = when.strftime('%Y-%m-%d %H:%M:') + '%05.2f' % (when.second + when.microsecond / 1e6)
    return '"%s",%.4f,%.4f,%.4f,%.3f,%.4f,%.4f,%.4f,%d' % ((stamp,) + tuple(values) + (status,))


def raw_lines(start, hz, blocks):
    """Lines for consecutive stretches: blocks is a list of (seconds,
    records) and each stretch starts where the previous one ended."""
    lines = []
    when = start
    step = datetime.timedelta(seconds=1.0 / hz)
    for _, records in blocks:
        for values in records:
            lines.append(record_line(when, values))
            when += step
    return lines


def write_raw(path, lines):
    with open(path, 'w', newline='') as f:
        f.write('TOA5,logger,header one\nTIMESTAMP,U,V,W,CO2,H2O,Ts,P,diag\n'
                'TS,m/s,m/s,m/s,mg/m3,g/m3,C,kPa,\n,Smp,Smp,Smp,Smp,Smp,Smp,Smp,Smp\n')
        for line in lines:
            f.write(line + '\n')


def half_hours(rng, hz, winds):
    """One 30-minute stretch per (u, v, w) mean wind."""
    n = int(1800 * hz)
    return [(1800, list(block_records(rng, u, v, w, n))) for u, v, w in winds]


def tilted_w(u, v):
    b0, b1, b2 = PLANE
    return b0 + b1 * u + b2 * v

# ---------------------------------------------------------------------------
# Running the oracles


def run(args, expect=0):
    done = subprocess.run([sys.executable] + args, capture_output=True, text=True)
    if done.returncode != expect:
        raise AssertionError('%s exited %d (expected %d): %s'
                             % (' '.join(args), done.returncode, expect, done.stderr))
    return done.stdout


def read_results(path):
    with open(path, 'rb') as f:
        data = f.read()
    text = data.decode('ascii')
    lines = text.split('\r\n')
    check(lines[-1] == '' and '\n' not in text.replace('\r\n', ''), path + ': CR LF line ends')
    check(lines[0] == HEADER, path + ': header line')
    rows = []
    for line in lines[1:-1]:
        fields = line.split(',')
        check(len(fields) == 17, path + ': 17 fields in ' + line)
        if fields[1] == '':
            rows.append({'Time': fields[0], 'rejected': True})
            continue
        row = {name: float(v) for name, v in zip(COLUMNS[1:], fields[1:])}
        row['Time'] = fields[0]
        rows.append(row)
    return rows


def standard(files, out, planar=None):
    args = [STANDARD, 'run'] + files + ['--output', out]
    if planar is not None:
        args += ['--planar-fit'] + ['%.9g' % b for b in planar]
    run(args)
    return read_results(out + ('.s1w' if planar is None else '.sfw'))


def check(condition, what):
    if not condition:
        raise AssertionError(what)


def close(a, b, rel):
    return abs(a - b) <= rel * max(abs(a), abs(b))

# ---------------------------------------------------------------------------
# Tests

DIRECTIONS = [0, 45, 90, 135, 180, 225, 270, 315, 170, 260]


def test_double_rotation_zeroes_cross_and_vertical_wind(tmp):
    rng = random.Random(11)
    winds = []
    for i, deg in enumerate(DIRECTIONS):
        speed = 2.0 + 0.4 * i
        u, v = speed * math.cos(math.radians(deg)), speed * math.sin(math.radians(deg))
        winds.append((u, v, 0.05 - 0.01 * i))
    path = os.path.join(tmp, 'directions.dat')
    write_raw(path, raw_lines(datetime.datetime(2024, 6, 1, 8, 0), 5, half_hours(rng, 5, winds)))
    rows = standard([path], os.path.join(tmp, 'directions'))
    check(len(rows) == len(winds), 'one line per half hour')
    for row, (u, v, w), deg in zip(rows, winds, DIRECTIONS):
        where = 'wind towards %d deg: ' % deg
        check(abs(row['ave_V']) <= 1e-6 and abs(row['ave_W']) <= 1e-6,
              where + 'ave_V %g, ave_W %g not 0' % (row['ave_V'], row['ave_W']))
        speed = math.sqrt(u * u + v * v + w * w)
        check(row['ave_U'] > 0 and close(row['ave_U'], speed, 0.02),
              where + 'ave_U %g, not the mean speed %g' % (row['ave_U'], speed))
        # The generator's flow-frame fluxes, the same in every block: u'w' =
        # -0.06 m2 s-2, w'Ts' = 0.0405 K m s-1, w'q' = 0.027 g m-2 s-1, w'c' =
        # -0.675 mg m-2 s-1 (-15.3 umol): H a little below rho cp w'Ts' (the
        # vapour part of Ts), LE a little above lambda w'q' and Fc above
        # w'c' (both by the density terms).
        check(close(row['ustar'], math.sqrt(0.06), 0.1), where + 'ustar %g' % row['ustar'])
        check(38 < row['H'] < 50 and 62 < row['LE'] < 80 and -15 < row['Fc'] < -10,
              where + 'H %g, LE %g, Fc %g' % (row['H'], row['LE'], row['Fc']))
    print('ok: double rotation, ave_V = ave_W = 0 for %d wind directions' % len(rows))


def test_sonic_turned_by_half_a_turn_changes_no_flux(tmp):
    rng = random.Random(12)
    winds = [(3.0, 0.5, 0.2), (-2.5, 1.0, -0.1), (0.3, -4.0, 0.05), (-1.0, -1.5, 0.3)]
    lines = raw_lines(datetime.datetime(2024, 6, 2, 12, 0), 5, half_hours(rng, 5, winds))
    turned = []
    for line in lines:
        fields = line.split(',')
        fields[1] = '%.4f' % -float(fields[1])
        fields[2] = '%.4f' % -float(fields[2])
        turned.append(','.join(fields))
    a = os.path.join(tmp, 'facing.dat')
    b = os.path.join(tmp, 'turned.dat')
    write_raw(a, lines)
    write_raw(b, turned)
    b0, b1, b2 = PLANE
    cases = [('double rotation', None, None),
             ('planar fit', PLANE, (b0, -b1, -b2))]
    for name, plane_a, plane_b in cases:
        rows_a = standard([a], os.path.join(tmp, 'facing'), plane_a)
        rows_b = standard([b], os.path.join(tmp, 'turned'), plane_b)
        check(len(rows_a) == len(winds) == len(rows_b), name + ': one line per half hour')
        for ra, rb in zip(rows_a, rows_b):
            for col in ('ustar', 'tau', 'H', 'LE', 'Fc', 'Fc_wplE', 'Fc_wplT', 'ave_U'):
                check(close(ra[col], rb[col], 1e-5),
                      '%s, %s %s: %g facing, %g turned' % (name, ra['Time'], col, ra[col], rb[col]))
    print('ok: turning the sonic by 180 degrees leaves ustar, H, LE and Fc unchanged')


def planefit_json(args, expect):
    return json.loads(run([PLANEFIT] + args + ['--json'], expect))


def test_planar_fit_recovers_a_known_tilt(tmp):
    rng = random.Random(13)
    hz = 5
    winds = []
    for j in range(16):
        deg = 22.5 * j + rng.uniform(-8.0, 8.0)
        speed = rng.uniform(1.5, 5.0)
        u, v = speed * math.cos(math.radians(deg)), speed * math.sin(math.radians(deg))
        winds.append((u, v, tilted_w(u, v) + rng.gauss(0.0, 0.02)))
    calm = (0.15, -0.1, tilted_w(0.15, -0.1))
    fault = (2.0, 2.0, tilted_w(2.0, 2.0) + 1.5)
    stretches = half_hours(rng, hz, winds[:5] + [calm] + winds[5:11] + [fault] + winds[11:])
    gap = list(block_records(rng, -3.0, 1.0, tilted_w(-3.0, 1.0), 2000))
    stretches.append((400, gap))
    path = os.path.join(tmp, 'tilted.dat')
    write_raw(path, raw_lines(datetime.datetime(2024, 6, 3, 22, 0), hz, stretches))

    result = planefit_json([path, '--min-records', '4500'], 0)
    check(result['ok'] and result['blocks_used'] == 16, 'fit over the 16 good blocks: %s' % result)
    for name, true in zip(('b0', 'b1', 'b2'), PLANE):
        check(abs(result[name] - true) <= 3 * result['se_' + name],
              '%s = %g +- %g, true %g' % (name, result[name], result['se_' + name], true))
    check(result['sectors'] == list(range(8)), 'all eight sectors: %s' % result['sectors'])
    check(0.01 < result['rms_residual'] < 0.04, 'rms residual %g' % result['rms_residual'])
    excluded = [(e['time'], e['reason'].split(' ')[0]) for e in result['excluded']]
    # 22:00 start: the calm block is the 6th half hour, the fault the 13th,
    # the gap the 19th.
    check(excluded == [('2024-06-04 01:00', 'calm'), ('2024-06-04 04:30', 'vertical'),
                       ('2024-06-04 07:30', 'too')],
          'excluded blocks: %s' % result['excluded'])
    check(result['excluded'][2]['reason'] == 'too few records (2000 < 4500)',
          'reason text: %s' % result['excluded'][2]['reason'])

    # The fitted plane flattens the mean wind: what is left of mean W after
    # the planar-fit rotation is the block's fit residual.
    rows = standard([path], os.path.join(tmp, 'tilted'),
                    (result['b0'], result['b1'], result['b2']))
    tilt = math.sqrt(1 + result['b1'] ** 2 + result['b2'] ** 2)
    kept = [r for r in rows if r['Time'] not in ('2024-06-04 01:00', '2024-06-04 04:30',
                                                 '2024-06-04 07:30')]
    check(len(kept) == 16, 'planar-fit run: 16 kept blocks')
    for r in kept:
        check(abs(r['ave_W']) <= result['max_abs_residual'] / tilt + 1e-5,
              '%s: ave_W %g beyond the largest residual' % (r['Time'], r['ave_W']))
    print('ok: planar fit recovers b = %.4f %.4f %.4f and excludes calm, fault and gap'
          % (result['b0'], result['b1'], result['b2']))


def test_planar_fit_refuses_one_sided_winds(tmp):
    rng = random.Random(14)
    winds = []
    for deg in (5, 15, 30, 40, 50, 60, 80, 85):
        u, v = 3.0 * math.cos(math.radians(deg)), 3.0 * math.sin(math.radians(deg))
        winds.append((u, v, tilted_w(u, v)))
    path = os.path.join(tmp, 'one_side.dat')
    write_raw(path, raw_lines(datetime.datetime(2024, 6, 5, 0, 0), 1, half_hours(rng, 1, winds)))
    result = planefit_json([path, '--min-records', '1000'], 1)
    check(not result['ok'] and result['b1'] is None and 'sectors' in result['reason']
          and result['sectors'] == [0, 1], 'two sectors refused: %s' % result)
    result = planefit_json([path, '--min-records', '1801'], 1)
    check(not result['ok'] and result['blocks_used'] == 0 and len(result['excluded']) == 8,
          'no block kept refused: %s' % result)
    print('ok: planar fit refuses winds from two sectors and too few blocks')


def test_stream_of_files_and_midnight(tmp):
    """20 Hz from 23:20 to 00:05 in two files split at 23:47:30, then three
    lone records and a later stretch: one block per half hour over the file
    boundary, no record cap, the midnight block dated the next day, a short
    half hour skipped without ending the run."""
    rng = random.Random(15)
    hz = 20
    start = datetime.datetime(2024, 6, 30, 23, 20)
    lines = raw_lines(start, hz, [(2700, list(block_records(rng, -2.0, 2.0, 0.1, 2700 * hz)))])
    split = 27 * 60 * hz + 30 * hz
    lone = [record_line(datetime.datetime(2024, 7, 1, 0, 40, 0) + datetime.timedelta(seconds=i), values)
            for i, values in enumerate(block_records(rng, 1.0, 1.0, 0.0, 3))]
    later = raw_lines(datetime.datetime(2024, 7, 1, 1, 10), hz,
                      [(60, list(block_records(rng, 1.0, 1.0, 0.0, 60 * hz)))])
    first = os.path.join(tmp, 'night1.dat')
    second = os.path.join(tmp, 'night2.dat')
    whole = os.path.join(tmp, 'night.dat')
    write_raw(first, lines[:split])
    write_raw(second, lines[split:] + lone + later)
    write_raw(whole, lines + lone + later)
    rows = standard([first, second], os.path.join(tmp, 'two_files'))
    times = [(r['Time'], int(r['Records'])) for r in rows]
    check(times == [('2024-06-30 23:30', 12000), ('2024-07-01 00:00', 36000),
                    ('2024-07-01 00:30', 6000), ('2024-07-01 01:30', 1200)],
          'blocks of the two-file stream: %s' % times)
    with open(os.path.join(tmp, 'two_files.s1w'), 'rb') as a:
        two = a.read()
    standard([whole], os.path.join(tmp, 'one_file'))
    with open(os.path.join(tmp, 'one_file.s1w'), 'rb') as b:
        check(two == b.read(), 'two files give the same results as their concatenation')

    listing = os.path.join(tmp, 'list.txt')
    with open(listing, 'w') as f:
        f.write(first + '\n' + second + '\n')
    run([STANDARD, 'batch', listing])
    check(len(read_results(first + '.s1w')) == 2 and len(read_results(second + '.s1w')) == 3,
          'batch: each listed file is a stream of its own')
    print('ok: a stream of two files, 20 Hz without cap, midnight dated the next day')


def main(argv):
    keep = '--keep' in argv
    tmp = tempfile.mkdtemp(prefix='kelvara-oracles.')
    tests = [test_double_rotation_zeroes_cross_and_vertical_wind,
             test_sonic_turned_by_half_a_turn_changes_no_flux,
             test_planar_fit_recovers_a_known_tilt,
             test_planar_fit_refuses_one_sided_winds,
             test_stream_of_files_and_midnight]
    failed = 0
    for test in tests:
        try:
            test(tmp)
        except AssertionError as e:
            failed += 1
            print('FAILED %s: %s' % (test.__name__, e))
    if keep:
        print('files kept in ' + tmp)
    else:
        import shutil
        shutil.rmtree(tmp)
    print('%d of %d test groups failed' % (failed, len(tests)) if failed else 'all passed')
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
