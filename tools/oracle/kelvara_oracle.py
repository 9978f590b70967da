#!/usr/bin/env python3
"""Independent reference implementation of the Kelvara single run and batch.

Written from the published processing rules alone, in plain Python, so that
its results files can be compared byte for byte with those of kelvara-cli.
Every stored value is an IEEE single; arithmetic is double (Python float),
evaluated left to right; running sums are rounded to single after every
addition, in record order.

Usage:
  kelvara_oracle.py run FIRST [--second FILE] --output OUT
                    [--planar-fit B0 B1 B2] [--range-file PATH]
  kelvara_oracle.py batch LIST [--planar-fit B0 B1 B2] [--range-file PATH]

Without --range-file the built-in default limits are used. Messages go to
stderr; the exit status is 0 after "Processing Finished!" (3 when no half
hour had fluxes), 1 otherwise.
"""

import argparse
import math
import os
import re
import struct
import sys

# ---------------------------------------------------------------------------
# Single precision

_F32 = struct.Struct('f')
INF = float('inf')
NAN = float('nan')
# The NaN an x86 FPU produces for 0/0, inf-inf, 0*inf: its sign bit is set.
DEFAULT_NAN = math.copysign(NAN, -1.0)


def f32(x):
    """Round a double to the nearest single (ties to even), as a C cast does:
    overflow gives a signed infinity, tiny values become denormals or zero,
    NaN stays NaN with its sign."""
    try:
        return _F32.unpack(_F32.pack(x))[0]
    except OverflowError:
        return math.copysign(INF, x)


def div(a, b):
    """IEEE double division (Python raises on a zero divisor)."""
    try:
        return a / b
    except ZeroDivisionError:
        if a != a:
            return a
        if a == 0:
            return DEFAULT_NAN
        return math.copysign(INF, a) * math.copysign(1.0, b)


def sqrt(x):
    if x != x:
        return x
    if x < 0:
        return DEFAULT_NAN
    return math.sqrt(x)


def atan_quotient(num, den):
    """Arctangent of num/den; an exact 0/0 gives the angle 0."""
    if num == 0 and den == 0:
        return 0.0
    return math.atan(div(num, den))


def c_sin(x):
    try:
        return math.sin(x)
    except ValueError:
        return DEFAULT_NAN


def c_cos(x):
    try:
        return math.cos(x)
    except ValueError:
        return DEFAULT_NAN


# Single-precision constants promoted to double.
CP_AIR = f32(1004.67)
LATENT = f32(2440.0)
ONE_F = f32(1.0)
THOUSAND_F = f32(1000.0)
FORTY_FOUR_F = f32(44.0)

# ---------------------------------------------------------------------------
# Number texts, as the C library's atof / atoi read them

_WS = b' \t\n\v\f\r'
_HEX = re.compile(rb'([+-]?)0[xX]((?:[0-9a-fA-F]+\.?[0-9a-fA-F]*|\.[0-9a-fA-F]+)'
                  rb'(?:[pP][+-]?[0-9]+)?)')
_DEC = re.compile(rb'[+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][+-]?[0-9]+)?')
_INF = re.compile(rb'([+-]?)inf(?:inity)?', re.IGNORECASE)
_NAN = re.compile(rb'([+-]?)nan(?:\([0-9A-Za-z_]*\))?', re.IGNORECASE)
_INT = re.compile(rb'[+-]?[0-9]+')


def c_string(b):
    """A field as a C string: it ends at the first NUL."""
    i = b.find(b'\0')
    return b if i < 0 else b[:i]


def atof(b):
    s = c_string(b).lstrip(_WS)
    if not s:
        return 0.0
    m = _HEX.match(s)
    if m:
        sign = -1.0 if m.group(1) == b'-' else 1.0
        try:
            v = float.fromhex('0x' + m.group(2).decode('ascii'))
        except OverflowError:
            v = INF
        return math.copysign(v, sign) if v == v else v
    m = _DEC.match(s)
    if m:
        return float(m.group(0))
    m = _INF.match(s)
    if m:
        return -INF if m.group(1) == b'-' else INF
    m = _NAN.match(s)
    if m:
        return DEFAULT_NAN if m.group(1) == b'-' else abs(NAN)
    return 0.0


def atoi(b):
    s = c_string(b).lstrip(_WS)
    m = _INT.match(s)
    if not m:
        return 0
    v = int(m.group(0))
    # strtol saturates at the long range, then the int keeps the low 32 bits.
    v = max(-(1 << 63), min((1 << 63) - 1, v))
    v &= 0xFFFFFFFF
    return v - (1 << 32) if v >= (1 << 31) else v


def fmt_g(x):
    if x != x:
        return '-nan' if math.copysign(1.0, x) < 0 else 'nan'
    if x == INF:
        return 'inf'
    if x == -INF:
        return '-inf'
    return '%g' % x

# ---------------------------------------------------------------------------
# Range limits

DEFAULT_LIMITS = [-50.0, 50.0, -50.0, 50.0, -50.0, 50.0, 0.0, 1500.0,
                  -20.0, 100.0, -50.0, 50.0, 30.0, 150.0]
FIELD_WIDTH = 19


def load_range_limits(path):
    """14 line pairs by position; a missing line keeps its default, a line
    without a TAB gives an empty value (0). None when unreadable."""
    try:
        with open(path, 'rb') as f:
            data = f.read()
    except OSError:
        return None
    limits = list(DEFAULT_LIMITS)
    lines = data.split(b'\n')
    if lines and lines[-1] == b'' and data.endswith(b'\n'):
        lines.pop()
    if data == b'':
        lines = []
    for i, line in enumerate(lines[:14]):
        tab = line.find(b'\t')
        if tab < 0:
            value = b''
        else:
            value = line[tab + 1:]
            if value.endswith(b'\r'):
                value = value[:-1]
        value = value[:FIELD_WIDTH]
        limits[i] = f32(atof(value))
    return limits

# ---------------------------------------------------------------------------
# Raw data reader

CAPACITY = 18000
DATE_WIDTH = 11
CLOCK_WIDTH = 2
REST_WIDTH = 9
VALUE_WIDTH = 19
STATUS_WIDTH = 9


class BadTime(Exception):
    """A time stamp whose date, hour or minute does not end within its field."""


class RawStream:
    """A whole raw file; at its end only once a read has met the end."""

    def __init__(self, data):
        self.d = data
        self.p = 0
        self.at_end = False

    def get(self):
        if self.p < len(self.d):
            self.p += 1
            return self.d[self.p - 1]
        self.at_end = True
        return -1

    def skip_line(self):
        i = self.d.find(b'\n', self.p)
        if i < 0:
            self.p = len(self.d)
            self.at_end = True
        else:
            self.p = i + 1

    def read_time_field(self, delim, width):
        """A field of the time stamp: as read_field, but a comma before the
        delimiter means the time stamp has no hour where the default layout
        reads it (BadTime)."""
        i = self.d.find(delim, self.p)
        c = self.d.find(b',', self.p)
        if c >= 0 and (i < 0 or c < i):
            raise BadTime()
        return self.read_field(delim, width)

    def read_field(self, delim, width, stop_at_end=False):
        """Characters up to delim (consumed), the first width kept. None when
        the end came before the delimiter (with stop_at_end: only when no
        character came before the end)."""
        i = self.d.find(delim, self.p)
        if i < 0:
            field = self.d[self.p:]
            self.p = len(self.d)
            self.at_end = True
            if stop_at_end and field:
                return field[:width]
            return None
        field = self.d[self.p:i][:width]
        self.p = i + 1
        return field


class RawRecord:
    __slots__ = ('date', 'hour', 'minute', 'values', 'status')

    def __init__(self):
        self.date = b''
        self.hour = b''
        self.minute = b''
        self.values = [0.0] * 7
        self.status = 0


def half_hour(minute):
    if 0 <= minute <= 29:
        return 0
    if 30 <= minute <= 59:
        return 30
    return minute


class Reader:
    def __init__(self):
        self.record = RawRecord()
        self.block_date = b''
        self.block_label = b''
        self.carry = False
        self.end_of_first = False
        self.no_second = False
        self.first = None
        self.second = None

    @staticmethod
    def read_timestamp(stream, rec):
        if stream.get() < 0:
            return False
        date = stream.read_time_field(b' ', DATE_WIDTH)
        if date is None:
            return False
        rec.date = date
        hour = stream.read_time_field(b':', CLOCK_WIDTH)
        if hour is None:
            return False
        rec.hour = hour
        minute = stream.read_time_field(b':', CLOCK_WIDTH)
        if minute is None:
            return False
        rec.minute = minute
        if stream.read_field(b',', REST_WIDTH) is None:
            return False
        return True

    @staticmethod
    def read_values(stream, rec):
        values = rec.values
        for k in range(7):
            field = stream.read_field(b',', VALUE_WIDTH)
            if field is None:
                return False
            values[k] = f32(atof(field))
        status = stream.read_field(b'\n', STATUS_WIDTH, stop_at_end=True)
        if status is None:
            return False
        rec.status = atoi(status)
        return True

    def read_block(self, samples):
        first = self.first
        rec = self.record
        if first.at_end:
            self.end_of_first = True
            return 1
        stamp_read = False
        if not self.carry:
            if not self.read_timestamp(first, rec):
                self.end_of_first = True
                return 1
            stamp_read = True
        block_hour = atoi(rec.hour)
        block_minute = half_hour(atoi(rec.minute))
        self.block_date = c_string(rec.date)
        count = 0
        for _ in range(CAPACITY):
            if first.at_end:
                self.end_of_first = True
                break
            if not self.carry:
                ok = True
                if not stamp_read:
                    ok = self.read_timestamp(first, rec)
                if ok:
                    ok = self.read_values(first, rec)
                if not ok:
                    self.end_of_first = True
                    break
            self.carry = False
            stamp_read = False
            if rec.status < 0 or rec.status > 13:
                continue
            if atoi(rec.hour) != block_hour or half_hour(atoi(rec.minute)) != block_minute:
                self.carry = True
                break
            for k in range(7):
                samples[k][count] = rec.values[k]
            count += 1
        if first.at_end and not self.no_second:
            second = self.second
            for _ in range(count, CAPACITY):
                if not (self.read_timestamp(second, rec) and self.read_values(second, rec)):
                    break
                if rec.status < 0 or rec.status > 13:
                    continue
                if atoi(rec.hour) != block_hour or half_hour(atoi(rec.minute)) != block_minute:
                    break
                for k in range(7):
                    samples[k][count] = rec.values[k]
                count += 1
        minute = block_minute + 30
        hour = block_hour
        if minute == 60:
            minute = 0
            hour += 1
        if hour > 23:
            hour -= 24
        self.block_label = ('%d:%d' % (hour, minute)).encode('ascii')
        return count

# ---------------------------------------------------------------------------
# Block statistics and fluxes

U, V, W, CO2, H2O, TS, P = range(7)


def despike(x_all, n, limits):
    """Returns the flags per variable (lists of 0/1), or None when some
    variable has no sample strictly inside its limits."""
    screened = []
    for k in range(7):
        lo = limits[2 * k]
        hi = limits[2 * k + 1]
        xs = x_all[k]
        s = 0.0
        cnt = 0
        for i in range(n):
            x = xs[i]
            if lo < x < hi:
                s = f32(s + x)
                cnt += 1
        if cnt == 0:
            return None
        screened.append((s, cnt))
    flags = []
    for k in range(7):
        lo = limits[2 * k]
        hi = limits[2 * k + 1]
        xs = x_all[k]
        s, cnt = screened[k]
        m1 = f32(div(s, cnt))
        ss = 0.0
        for i in range(n):
            x = xs[i]
            if lo < x < hi:
                d = x - m1
                ss = f32(ss + d * d)
        th = f32(6.0 * sqrt(div(ss, cnt)))
        band_lo = m1 - th
        band_hi = m1 + th
        fl = [1] * n
        s2 = 0.0
        n2 = 0
        for i in range(n):
            x = xs[i]
            if band_lo <= x <= band_hi:
                s2 = f32(s2 + x)
                n2 += 1
            else:
                fl[i] = 0
        m2 = f32(div(s2, n2))
        r_hi = m2 + th
        r_lo = m2 - th
        for i in range(n):
            x = xs[i]
            if x > r_hi or x < r_lo:
                xs[i] = m2
        flags.append(fl)
    return flags


def good_records(flags, n):
    f = flags
    return [i for i in range(n)
            if f[0][i] and f[1][i] and f[2][i] and f[3][i] and f[4][i] and f[5][i] and f[6][i]]


def air_properties(x_all, good, tc):
    ts = x_all[TS]
    h2o = x_all[H2O]
    p = x_all[P]
    s_na = s_chi = s_rhod = s_rho = 0.0
    for i in good:
        tk = f32(ts[i] + 273.16)
        a = f32(h2o[i] / 0.018)
        n_a = f32(div(p[i], tk * 0.0083143))
        s_na = f32(s_na + n_a)
        r = f32(div(a / 1000.0, n_a - a / 1000.0))
        t = f32(div(tk, r * 0.32 + 1.0))
        tc[i] = t
        chi = f32(div(t * 0.0083143 * h2o[i], p[i] * 18.0))
        s_chi = f32(s_chi + chi)
        e = f32(h2o[i] * 0.0083143 * tk / 18.0)
        rho_d = f32(div(p[i] - e, tk * 0.28704))
        s_rhod = f32(s_rhod + rho_d)
        rho = f32(rho_d + h2o[i] / 1000.0)
        s_rho = f32(s_rho + rho)
    ng = len(good)
    return {'n_a': f32(div(s_na, ng)), 'chi_v': f32(div(s_chi, ng)),
            'rho_d': f32(div(s_rhod, ng)), 'rho': f32(div(s_rho, ng))}


def compute_means(x_all, tc, good):
    ng = len(good)
    means = []
    for arr in list(x_all) + [tc]:
        s = 0.0
        for i in good:
            s = f32(s + arr[i])
        means.append(f32(div(s, ng)))
    return means


def rotate_two_axis(x_all, n, means):
    mu, mv, mw = means[U], means[V], means[W]
    h = f32(sqrt(mu * mu + mv * mv))
    theta = f32(atan_quotient(mw, h))
    eta = f32(atan_quotient(mv, mu))
    ct, st = c_cos(theta), c_sin(theta)
    ce, se = c_cos(eta), c_sin(eta)
    us, vs, ws = x_all[U], x_all[V], x_all[W]
    for i in range(n):
        u, v, w = us[i], vs[i], ws[i]
        us[i] = f32(u * ct * ce + v * ct * se + w * st)
        vs[i] = f32(v * ce - u * se)
        ws[i] = f32(w * ct - u * st * ce - v * st * se)


def rotate_planar_fit(x_all, n, b0, b1, b2):
    s = sqrt(b1 * b1 + b2 * b2 + 1.0)
    k1 = f32(div(-b1, s))
    k2 = f32(div(-b2, s))
    k3 = f32(div(1.0, s))
    q = sqrt(k2 * k2 + k3 * k3)
    sin_a = f32(k1)
    cos_a = f32(q)
    sin_b = f32(div(-k2, q))
    cos_b = f32(div(k3, q))
    us, vs, ws = x_all[U], x_all[V], x_all[W]
    for i in range(n):
        u, v, w = us[i], vs[i], ws[i]
        d = w - b0
        up = f32(u * cos_a - d * sin_a)
        vp = f32(u * sin_a * sin_b + v * cos_b + d * cos_a * sin_b)
        wp = f32(u * sin_a * cos_b - v * sin_b + d * cos_a * cos_b)
        g = f32(atan_quotient(vp, up))
        cg, sg = c_cos(g), c_sin(g)
        us[i] = f32(cg * up + sg * vp)
        vs[i] = f32(cg * vp - sg * up)
        ws[i] = wp


def compute_fluxes(x_all, tc, good, means, air):
    mu, mv, mw, mc, mq = means[U], means[V], means[W], means[CO2], means[H2O]
    mtc = means[7]
    us, vs, ws, cs, qs = x_all[U], x_all[V], x_all[W], x_all[CO2], x_all[H2O]
    s_vw = s_wt = s_uw = s_wc = s_wq = 0.0
    for i in good:
        dw = ws[i] - mw
        s_vw = f32(s_vw + (vs[i] - mv) * dw)
        s_wt = f32(s_wt + dw * (tc[i] - mtc))
        s_uw = f32(s_uw + (us[i] - mu) * dw)
        s_wc = f32(s_wc + dw * (cs[i] - mc))
        s_wq = f32(s_wq + dw * (qs[i] - mq))
    ng = len(good)
    cov_vw = f32(div(s_vw, ng))
    cov_wt = f32(div(s_wt, ng))
    cov_uw = f32(div(s_uw, ng))
    cov_wc = f32(div(s_wc, ng))
    cov_wq = f32(div(s_wq, ng))
    s = sqrt(cov_uw * cov_uw + cov_vw * cov_vw)
    ustar = f32(sqrt(s))
    tau = f32(f32(s) * air['rho'])
    big_l = f32(cov_wq * LATENT)
    hs = f32(cov_wt * air['rho'] * CP_AIR)
    le = f32((ONE_F + air['chi_v']) * (div(cov_wt * mq, mtc) + big_l))
    wpl_le = f32(div(div(le * mc, air['n_a'] * mtc * CP_AIR) * THOUSAND_F, FORTY_FOUR_F))
    wpl_h = f32(div(div(hs * mc, CP_AIR * air['rho_d'] * mtc) * THOUSAND_F, FORTY_FOUR_F))
    fc = f32(cov_wc * 1000.0 / 44.0 + wpl_le + wpl_h)
    ave_tc = f32(mtc - 273.16)
    return [ustar, tau, mc, mq, means[P], means[TS], ave_tc, mu, mv, mw,
            hs, wpl_le, wpl_h, le, fc], ng


def process_block(samples, n, limits, rotation):
    """None when rejected (screening failed or no good record), else the
    block line's 15 values and the record count."""
    x_all = [samples[k][:n] for k in range(7)]
    flags = despike(x_all, n, limits)
    if flags is None:
        return None
    good = good_records(flags, n)
    if not good:
        return None
    tc = [0.0] * n
    air = air_properties(x_all, good, tc)
    means = compute_means(x_all, tc, good)
    if rotation[0] == 1:
        rotate_planar_fit(x_all, n, rotation[1], rotation[2], rotation[3])
    else:
        rotate_two_axis(x_all, n, means)
    means = compute_means(x_all, tc, good)
    return compute_fluxes(x_all, tc, good, means, air)

# ---------------------------------------------------------------------------
# Results file

HEADER = (b'Time,ustar,tau,ave_CO2,ave_H2O,ave_P,ave_Ts,ave_Tc,ave_U,ave_V,ave_W,'
          b'Hs,co2wplLE,co2wplH,LE_leuning,Fc_leuning,Records')
CRLF = b'\r\n'


def block_text(reader, result):
    time = reader.block_date + b' ' + reader.block_label
    if result is None:
        return time + b',' * 16 + CRLF
    values, ng = result
    return (time + b',' + ','.join(fmt_g(v) for v in values).encode('ascii')
            + b',' + str(ng).encode('ascii') + CRLF)


def message(text, title):
    sys.stderr.write('%s: %s\n' % (title, text))


def read_file(path):
    try:
        with open(path, 'rb') as f:
            return f.read()
    except OSError:
        return None


def same_file(a, b):
    try:
        return os.path.exists(a) and os.path.exists(b) and os.path.samefile(a, b)
    except OSError:
        return False


def new_samples():
    return [[0.0] * CAPACITY for _ in range(7)]


# Half hours with fluxes in this process's runs: a run that finishes without
# any exits with 3, as kelvara-cli does.
COMPUTED = [0]


def finished_status():
    return 0 if COMPUTED[0] > 0 else 3


def run_block(reader, samples, n, limits, rotation, out):
    result = process_block(samples, n, limits, rotation)
    if result is not None:
        COMPUTED[0] += 1
    out.write(block_text(reader, result))


def load_limits(range_file):
    if range_file is None:
        return list(DEFAULT_LIMITS)
    limits = load_range_limits(range_file)
    if limits is None:
        message("Can't read the range file " + range_file, 'Range file')
    return limits


def single_run(first, second, output, planar, range_file):
    limits = load_limits(range_file)
    if limits is None:
        return 1
    choice = 1 if planar is not None else 0
    texts = planar if planar is not None else ['', '', '']
    b = [f32(atof(os.fsencode(t))) for t in texts]
    if choice == 1 and any(t == '' for t in texts):
        message('No b0, b1 and b2 values', 'Please Input b0, b1,and b2 values!')
        return 1
    if first == '':
        message('No First File', 'Please Input the First File!')
        return 1
    no_second = second is None or second == ''
    if output == '':
        message('No Output File', 'Please Input the Output File!')
        return 1
    results = output + ('.rfw' if choice == 1 else '.r1w')
    if same_file(results, first) or (not no_second and same_file(results, second)):
        message('Output File Is An Input File', 'Please choose another output file!')
        return 1
    # A raw file that cannot be read gets no results file.
    data1 = read_file(first)
    if data1 is None:
        message("Can't Open The First Raw Data File!", "Raw Data File Doesn't Exit!")
        return 1
    data2 = None if no_second else read_file(second)
    if not no_second and data2 is None:
        message("Can't Open The Second Raw Data File!", "Raw Data File Doesn't Exit!")
        return 1
    try:
        out = open(results, 'wb')
    except OSError:
        message("Can't Open Output File", "Can't Open Output file!")
        return 1
    with out:
        out.write(HEADER + CRLF)
        reader = Reader()
        reader.no_second = no_second
        if not no_second:
            reader.second = RawStream(data2)
            for _ in range(4):
                reader.second.skip_line()
        reader.first = RawStream(data1)
        for _ in range(4):
            reader.first.skip_line()
        rotation = (choice, b[0], b[1], b[2])
        samples = new_samples()
        try:
            while True:
                n = reader.read_block(samples)
                if n < 5:
                    # A short half hour gets no line; only one at the first
                    # file's end ends the run.
                    if reader.end_of_first:
                        break
                    continue
                run_block(reader, samples, n, limits, rotation, out)
                if reader.end_of_first:
                    break
        except BadTime:
            bad_time = True
        else:
            bad_time = False
    if bad_time:
        # Nothing is written: the results file goes.
        os.remove(results)
        message("Can't Read Time Stamp!", 'A time stamp of the raw data file does not read!')
        return 1
    message('Processing Finished!', 'Status')
    return finished_status()


class ListReader:
    def __init__(self, data):
        self.d = data
        self.p = 0

    def read_line(self):
        """The next name, or None when the read met the end before any
        character."""
        if self.p >= len(self.d):
            return None
        i = self.d.find(b'\n', self.p)
        if i < 0:
            line = self.d[self.p:]
            self.p = len(self.d)
        else:
            line = self.d[self.p:i]
            self.p = i + 1
            if line.endswith(b'\r'):
                line = line[:-1]
        return line


def batch(list_file, planar, range_file):
    choice = 1 if planar is not None else 0
    b = [0.0, 0.0, 0.0]
    if choice == 1:
        if any(t == '' for t in planar):
            message('No b0, b1 and b2 values', 'Please Input b0, b1,and b2 values!')
            return 1
        b = [f32(atof(os.fsencode(t))) for t in planar]
    if list_file == '':
        message('No Input File', 'Please Input the File!')
        return 1
    data = read_file(list_file)
    if data is None:
        message("Can't Open File!", "File Doesn't Exit!")
        return 1
    names = ListReader(data)
    suffix = b'.rfw' if choice == 1 else b'.r1w'
    list_path = os.fsencode(list_file)

    def open_pair(name):
        results = name + suffix
        if same_file(results, name) or same_file(results, list_path):
            message('Output File Is An Input File', 'Please choose another output file!')
            return None, None
        # A raw file that cannot be read gets no results file.
        raw = read_file(name) if name else None
        if raw is None:
            message("Can't Open Raw Data File!", "Raw Data File Doesn't Exit!")
            return None, None
        try:
            out = open(results, 'wb')
        except OSError:
            message("Can't Open Output File!", 'Open Output File Failed!')
            return None, None
        out.write(HEADER + CRLF)
        stream = RawStream(raw)
        for _ in range(4):
            stream.skip_line()
        return out, stream

    name = names.read_line()
    if name is None:
        name = b''
    out, stream = open_pair(name)
    if out is None:
        return 1
    limits = load_limits(range_file)
    if limits is None:
        out.close()
        return 1
    reader = Reader()
    reader.no_second = True
    reader.first = stream
    rotation = (choice, b[0], b[1], b[2])
    samples = new_samples()
    while True:
        if reader.end_of_first:
            name = names.read_line()
            if name is None:
                break
            out.close()
            out, stream = open_pair(name)
            if out is None:
                return 1
            reader.first = stream
            reader.end_of_first = False
            reader.carry = False
        try:
            n = reader.read_block(samples)
        except BadTime:
            # That file gets no results file, and the batch stops.
            out.close()
            os.remove(out.name)
            message("Can't Read Time Stamp!", 'A time stamp of the raw data file does not read!')
            return 1
        if n < 5:
            continue
        run_block(reader, samples, n, limits, rotation, out)
    out.close()
    message('Processing Finished!', 'Status')
    return finished_status()


def main(argv):
    parser = argparse.ArgumentParser(prog='kelvara_oracle.py')
    sub = parser.add_subparsers(dest='command', required=True)
    p_run = sub.add_parser('run')
    p_run.add_argument('first')
    p_run.add_argument('--second')
    p_run.add_argument('--output', required=True)
    p_run.add_argument('--planar-fit', nargs=3, metavar=('B0', 'B1', 'B2'))
    p_run.add_argument('--range-file')
    p_batch = sub.add_parser('batch')
    p_batch.add_argument('list')
    p_batch.add_argument('--planar-fit', nargs=3, metavar=('B0', 'B1', 'B2'))
    p_batch.add_argument('--range-file')
    # The three plane coefficients are taken verbatim, even when a text
    # starts with a minus sign that argparse would read as an option.
    planar = None
    argv = list(argv)
    if '--planar-fit' in argv:
        i = argv.index('--planar-fit')
        planar = argv[i + 1:i + 4]
        if len(planar) < 3:
            parser.error('--planar-fit needs three values')
        del argv[i:i + 4]
    args = parser.parse_args(argv)
    args.planar_fit = planar
    if args.command == 'run':
        return single_run(args.first, args.second, args.output, args.planar_fit, args.range_file)
    return batch(args.list, args.planar_fit, args.range_file)


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
