#!/usr/bin/env python3
"""Independent reference of the planar-fit coefficients computed from data.

Written from the published method (Wilczak et al. 2001: ordinary least
squares of the block mean w on the block mean u and v), not from Kelvara's
code. Blocks are read and screened by kelvara_oracle.py, the reference of the
default mode: its reader (18000-record cap, no second file), the range limits
and Despike. Each file is read on its own, as the default batch reads it.

Usage:
  planefit_oracle.py FILE... [--list LIST] [--min-records N] [--u-min U]
                     [--w-max W] [--range-file PATH] [--json]

Exit status 0 with a fit, 1 when the fit is refused or an input is unusable.
"""

import argparse
import json
import math
import os
import re
import sys

# A dev tool run from the source tree: leave no __pycache__ beside it.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kelvara_oracle as ko  # noqa: E402
import standard_oracle as so  # noqa: E402
import stream_oracle as stream  # noqa: E402

DEFAULT_MIN_RECORDS = 9000
DEFAULT_U_MIN = 0.5
DEFAULT_W_MAX = 1.0
MIN_BLOCKS = 6
MIN_SECTORS = 3
SECTOR_DEGREES = 45.0
EIGEN_RATIO = 1e-6


class Refused(Exception):
    pass

# ---------------------------------------------------------------------------
# Blocks


_DATE = re.compile(rb'^([0-9]{4})-([0-9]{2})-([0-9]{2})$')


def next_day_text(date):
    """The day after a YYYY-MM-DD date text (proleptic Gregorian); a text
    that is not such a valid date is kept as it stands."""
    m = _DATE.match(date)
    if not m:
        return date
    year, month, day = (int(g) for g in m.groups())
    if not (1 <= month <= 12 and 1 <= day <= stream.days_in_month(year, month)):
        return date
    return ('%04d-%02d-%02d' % stream.civil_day(stream.day_number(year, month, day) + 1)).encode('ascii')


def label_time(date, label):
    """A block's time in the standard results' form (YYYY-MM-DD HH:MM, the
    end of the half hour, the 23:30 block on the next day), from the default
    reader's date text and label: the date advances by one day exactly when
    the end is 00:00."""
    hour_text, minute_text = label.split(b':')
    hour, minute = int(hour_text), int(minute_text)
    day = next_day_text(date) if hour == 0 and minute == 0 else date
    return day + (' %02d:%02d' % (hour, minute)).encode('ascii')


def read_block_means(datas, limits):
    """Per block with 5 or more samples: (time text, None or (u, v, w, N)).
    The means are unrotated, over the good records after Despike, each a
    plain double sum in record order divided by N. Blocks of fewer than 5
    samples are not blocks in the default mode (no line), so they are not
    reported here either."""
    blocks = []
    samples = ko.new_samples()
    for data in datas:
        reader = ko.Reader()
        reader.no_second = True
        reader.first = ko.RawStream(data)
        for _ in range(4):
            reader.first.skip_line()
        while not reader.end_of_first:
            n = reader.read_block(samples)
            if n < so.MIN_SAMPLES:
                continue
            time = label_time(reader.block_date, reader.block_label).decode('latin-1')
            screened = so.screened_block(samples, n, limits)
            if screened is None:
                blocks.append((time, None))
                continue
            x_all, good = screened
            means = []
            for k in (ko.U, ko.V, ko.W):
                s = 0.0
                for i in good:
                    s += x_all[k][i]
                means.append(s / len(good))
            blocks.append((time, (means[0], means[1], means[2], len(good))))
    return blocks


def exclusion(block_means, min_records, u_min, w_max):
    """None when the block is kept, else the reason, tested in this order."""
    if block_means is None:
        return 'rejected'
    u, v, w, n = block_means
    if n < min_records:
        return 'too few records (%d < %d)' % (n, min_records)
    speed = math.sqrt(u * u + v * v)
    if speed < u_min:
        return 'calm (speed %g < %g)' % (speed, u_min)
    if abs(w) > w_max:
        return 'vertical wind (|w| %g > %g)' % (abs(w), w_max)
    return None


# What the sectors are measured in, as the program's JSON says it.
SECTOR_CONVENTION = {'axes': 'sonic',
                     'direction': 'atan2(v, u), where the air moves toward, from +u toward +v',
                     'width_deg': int(SECTOR_DEGREES)}


def sector(u, v):
    """The 45-degree sector of the block's mean wind: its direction is
    atan2(v, u) in degrees, the way the sonic's axes point (not the
    meteorological "from" direction), brought into [0, 360) with C fmod;
    sector k holds [45k, 45k + 45)."""
    deg = math.degrees(math.atan2(v, u))
    deg = math.fmod(math.fmod(deg, 360.0) + 360.0, 360.0)
    return int(math.floor(deg / SECTOR_DEGREES))

# ---------------------------------------------------------------------------
# Fit


def fit(kept):
    """Ordinary least squares of w = b0 + b1 u + b2 v over the kept blocks,
    with centred sums in double, block order."""
    k = len(kept)
    if k < MIN_BLOCKS:
        raise Refused('only %d blocks kept, at least %d are needed: fit over a longer period'
                      % (k, MIN_BLOCKS))
    su = sv = sw = 0.0
    for u, v, w in kept:
        su += u
        sv += v
        sw += w
    mu, mv, mw = su / k, sv / k, sw / k
    s_uu = s_uv = s_vv = s_uw = s_vw = s_ww = 0.0
    for u, v, w in kept:
        du, dv, dw = u - mu, v - mv, w - mw
        s_uu += du * du
        s_uv += du * dv
        s_vv += dv * dv
        s_uw += du * dw
        s_vw += dv * dw
        s_ww += dw * dw
    d = s_uu * s_vv - s_uv * s_uv
    # Eigenvalues of [[S_uu, S_uv], [S_uv, S_vv]]: the larger from the trace
    # and the discriminant, the smaller as D over the larger (no cancellation).
    half_trace = (s_uu + s_vv) / 2.0
    half_diff = (s_uu - s_vv) / 2.0
    larger = half_trace + math.sqrt(half_diff * half_diff + s_uv * s_uv)
    smaller = d / larger if larger > 0 else 0.0
    if d <= 0 or smaller <= EIGEN_RATIO * larger:
        raise Refused('the block winds do not span two directions: fit over a period '
                      'with winds from several sides')
    sectors = sorted({sector(u, v) for u, v, _ in kept})
    if len(sectors) < MIN_SECTORS:
        raise Refused('the winds come from %d of the eight 45-degree sectors, at least %d '
                      'are needed: fit over a period with winds from more sides'
                      % (len(sectors), MIN_SECTORS))
    b1 = (s_vv * s_uw - s_uv * s_vw) / d
    b2 = (s_uu * s_vw - s_uv * s_uw) / d
    b0 = mw - b1 * mu - b2 * mv
    ss_res = 0.0
    max_res = 0.0
    for u, v, w in kept:
        res = w - (b0 + b1 * u + b2 * v)
        ss_res += res * res
        max_res = max(max_res, abs(res))
    s2 = ss_res / (k - 3)
    tilt = math.sqrt(1.0 + b1 * b1 + b2 * b2)
    return {
        'b0': b0, 'b1': b1, 'b2': b2,
        'se_b0': math.sqrt(s2 * (1.0 / k + (mu * mu * s_vv - 2.0 * mu * mv * s_uv
                                            + mv * mv * s_uu) / d)),
        'se_b1': math.sqrt(s2 * s_vv / d),
        'se_b2': math.sqrt(s2 * s_uu / d),
        'alpha_deg': math.degrees(math.asin(-b1 / tilt)),
        'beta_deg': math.degrees(math.asin(b2 / math.sqrt(1.0 + b2 * b2))),
        'r2': 1.0 - ss_res / s_ww if s_ww != 0 else None,
        'rms_residual': math.sqrt(s2),
        'max_abs_residual': max_res,
        'sectors': sectors,
    }


FIT_KEYS = ('b0', 'b1', 'b2', 'se_b0', 'se_b1', 'se_b2', 'alpha_deg', 'beta_deg',
            'r2', 'rms_residual', 'max_abs_residual')


def plane_fit(blocks, min_records, u_min, w_max):
    """The JSON object: every key always present; the fit values are null
    when the fit is refused (sectors then lists the kept blocks' sectors)."""
    excluded = []
    kept = []
    for time, means in blocks:
        reason = exclusion(means, min_records, u_min, w_max)
        if reason is None:
            kept.append(means[:3])
        else:
            excluded.append({'time': time, 'reason': reason})
    result = {'ok': True}
    try:
        result.update(fit(kept))
    except Refused as refusal:
        result = {'ok': False}
        result.update({key: None for key in FIT_KEYS})
        result['sectors'] = sorted({sector(u, v) for u, v, _ in kept})
        result['reason'] = str(refusal)
    ordered = {'ok': result['ok']}
    for key in FIT_KEYS + ('sectors',):
        value = result[key]
        ordered[key] = None if isinstance(value, float) and not math.isfinite(value) else value
    ordered['sector_convention'] = SECTOR_CONVENTION
    ordered['blocks_used'] = len(kept)
    ordered['excluded'] = excluded
    if not result['ok']:
        ordered['reason'] = result['reason']
    return ordered


def text_report(result):
    lines = []
    if result['ok']:
        for name in ('b0', 'b1', 'b2'):
            lines.append('%s = %.7g +- %.3g' % (name, result[name], result['se_' + name]))
        lines.append('--planar-fit %.7g %.7g %.7g' % (result['b0'], result['b1'], result['b2']))
        lines.append('alpha = %.4g deg, beta = %.4g deg' % (result['alpha_deg'], result['beta_deg']))
        lines.append('R2 = %s, rms residual = %.3g, largest |residual| = %.3g'
                     % (result['r2'], result['rms_residual'], result['max_abs_residual']))
    else:
        lines.append('Refused: ' + result['reason'])
    lines.append('blocks used: %d, sectors: %s' % (result['blocks_used'], result['sectors']))
    for e in result['excluded']:
        lines.append('excluded %s: %s' % (e['time'], e['reason']))
    return '\n'.join(lines)


def main(argv):
    parser = argparse.ArgumentParser(prog='planefit_oracle.py')
    parser.add_argument('files', nargs='*')
    parser.add_argument('--list', help='a list file of raw files, read after FILE...')
    parser.add_argument('--min-records', type=int, default=DEFAULT_MIN_RECORDS)
    parser.add_argument('--u-min', type=float, default=DEFAULT_U_MIN)
    parser.add_argument('--w-max', type=float, default=DEFAULT_W_MAX)
    parser.add_argument('--range-file')
    parser.add_argument('--json', action='store_true')
    args = parser.parse_args(argv)
    names = [os.fsencode(f) for f in args.files]
    if args.list is not None:
        data = ko.read_file(args.list)
        if data is None:
            ko.message("Can't Open File!", "File Doesn't Exit!")
            return 1
        reader = ko.ListReader(data)
        while True:
            name = reader.read_line()
            if name is None:
                break
            names.append(name)
    if not names:
        ko.message('No Input File', 'Please Input the File!')
        return 1
    # A file named twice is one file: its half hours count once.
    seen = set()
    once = []
    for name in names:
        key = os.path.realpath(name) if name else name
        if key in seen:
            continue
        seen.add(key)
        once.append(name)
    names = once
    limits = ko.load_limits(args.range_file)
    if limits is None:
        return 1
    datas = []
    for name in names:
        data = ko.read_file(name) if name else None
        if data is None:
            ko.message("Can't Open Raw Data File %s" % os.fsdecode(name),
                       "Raw Data File Doesn't Exit!")
            return 1
        datas.append(data)
    result = plane_fit(read_block_means(datas, limits), args.min_records, args.u_min, args.w_max)
    if args.json:
        print(json.dumps(result))
    else:
        print(text_report(result))
    return 0 if result['ok'] else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
