#!/usr/bin/env python3
"""Independent reference of the standard-methods mode.

Written from the published formulas (double rotation or a planar fit with one
yaw per block, Schotanus and Webb-Pearman-Leuning corrections, an iterated air
state), not from Kelvara's code. The reading (full time stamps, the files of
a run as one stream, absolute half hours) is stream_oracle.py's; the range
limits and Despike are taken from kelvara_oracle.py, the reference of the
default mode, so that both modes screen a block identically.

Usage (kelvara-cli's command line; --jobs changes nothing):
  standard_oracle.py run [FILE...] [--list LIST] --output OUT [--standard] [--jobs N]
                     [--planar-fit B0 B1 B2] [--range-file PATH] [--columns auto]
  standard_oracle.py batch LIST [--standard] [--jobs N] [--planar-fit B0 B1 B2]
                     [--range-file PATH] [--columns auto]

Results go to OUT.s1w (double rotation) or OUT.sfw (planar fit); in batch, to
each listed raw file's name plus that suffix. A run stopped by a time stamp
leaves no results file; the exit status is 3 when no half hour has fluxes. Everything after Despike is
IEEE double arithmetic on the block's single values, evaluated in the order
the formulas are written, with plain left-to-right sums in record order (no
compensated or pairwise summation: never Python's sum() or numpy); every
output value is rounded to single once.
"""

import math
import os
import sys

# A dev tool run from the source tree: leave no __pycache__ beside it.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kelvara_oracle as ko  # noqa: E402
import stream_oracle as stream  # noqa: E402

f32 = ko.f32
div = ko.div
sqrt = ko.sqrt

U, V, W, CO2, H2O, TS, P = range(7)
WIND = (U, V, W)
SCALARS = (TS, CO2, H2O)

# Constants (SI); the gas constants are derived in double once.
R_GAS = 8.31446
M_DRY = 0.0289645
M_VAPOUR = 0.01801528
R_DRY = R_GAS / M_DRY
R_VAPOUR = R_GAS / M_VAPOUR
MU = M_DRY / M_VAPOUR
KELVIN = 273.15
CP_DRY = 1004.67
SONIC_VAPOUR = 0.51
UMOL_PER_MG_CO2 = 1000.0 / 44.0095

HEADER = (b'Time,ustar,tau,ave_CO2,ave_H2O,ave_P,ave_Ts,ave_Ta,ave_U,ave_V,ave_W,'
          b'H,Fc_wplE,Fc_wplT,LE,Fc,Records')
SUFFIX_DOUBLE = '.s1w'
SUFFIX_PLANAR = '.sfw'
MIN_SAMPLES = 5

# ---------------------------------------------------------------------------
# Block moments, rotation and fluxes


def moments(x_all, good):
    """Means of the seven variables and the covariances (two-pass, divided
    by N) of every pair the rotation needs, in double over the good records."""
    n = len(good)
    means = []
    dev = []
    for k in range(7):
        xs = x_all[k]
        s = 0.0
        for i in good:
            s += xs[i]
        m = s / n
        means.append(m)
        dev.append([xs[i] - m for i in good])
    cov = {}
    for a in WIND:
        for b in list(WIND) + list(SCALARS):
            if (b, a) in cov:
                cov[(a, b)] = cov[(b, a)]
                continue
            da, db = dev[a], dev[b]
            s = 0.0
            for j in range(n):
                s += da[j] * db[j]
            cov[(a, b)] = s / n
    return means, cov


def matrix_product(a, b):
    out = [[0.0] * 3 for _ in range(3)]
    for r in range(3):
        for c in range(3):
            s = 0.0
            for k in range(3):
                s += a[r][k] * b[k][c]
            out[r][c] = s
    return out


def double_rotation(means):
    mu, mv, mw = means[U], means[V], means[W]
    h = sqrt(mu * mu + mv * mv)
    eta = 0.0 if h == 0 else math.atan2(mv, mu)
    theta = math.atan2(mw, h)
    ce, se = ko.c_cos(eta), ko.c_sin(eta)
    ct, st = ko.c_cos(theta), ko.c_sin(theta)
    r = [[ct * ce, ct * se, st],
         [-se, ce, 0.0],
         [-st * ce, -st * se, ct]]
    return r, (0.0, 0.0, 0.0)


def planar_fit_rotation(means, b0, b1, b2):
    """Wilczak et al. (2001): the tilt of the plane, then one yaw per block
    onto the block's mean wind in the plane."""
    s = sqrt(b1 * b1 + b2 * b2 + 1.0)
    k1 = div(-b1, s)
    k2 = div(-b2, s)
    k3 = div(1.0, s)
    sin_a = k1
    cos_a = sqrt(k2 * k2 + k3 * k3)
    sin_b = div(-k2, cos_a)
    cos_b = div(k3, cos_a)
    p = [[cos_a, sin_a * sin_b, -sin_a * cos_b],
         [0.0, cos_b, sin_b],
         [sin_a, -cos_a * sin_b, cos_a * cos_b]]
    m = (means[U], means[V], means[W] - b0)
    up = 0.0
    vp = 0.0
    for k in range(3):
        up += p[0][k] * m[k]
        vp += p[1][k] * m[k]
    gamma = 0.0 if up == 0 and vp == 0 else math.atan2(vp, up)
    cg, sg = ko.c_cos(gamma), ko.c_sin(gamma)
    yaw = [[cg, sg, 0.0], [-sg, cg, 0.0], [0.0, 0.0, 1.0]]
    return matrix_product(yaw, p), (0.0, 0.0, b0)


def rotated_moments(r, d, means, cov):
    """Rotated mean wind, the rotated (U,W) and (V,W) covariances and the
    rotated W covariances with Ts, CO2 and H2O. Every sum starts from 0 and
    runs over k, then l, ascending."""
    mean_rot = []
    for a in range(3):
        s = 0.0
        for k in range(3):
            s += r[a][k] * (means[WIND[k]] - d[k])
        mean_rot.append(s)

    def wind_pair(a, b):
        s = 0.0
        for k in range(3):
            for ll in range(3):
                s += r[a][k] * cov[(WIND[k], WIND[ll])] * r[b][ll]
        return s

    def w_scalar(sc):
        s = 0.0
        for k in range(3):
            s += r[2][k] * cov[(WIND[k], sc)]
        return s

    return (mean_rot, wind_pair(0, 2), wind_pair(1, 2),
            {sc: w_scalar(sc) for sc in SCALARS})


def air_state(means):
    p = 1000.0 * means[P]
    rho_v = means[H2O] / 1000.0
    t_sonic = means[TS] + KELVIN
    t = t_sonic
    for _ in range(3):
        e = rho_v * R_VAPOUR * t
        rho_d = div(p - e, R_DRY * t)
        rho = rho_d + rho_v
        t = div(t_sonic, 1.0 + div(SONIC_VAPOUR * rho_v, rho))
    e = rho_v * R_VAPOUR * t
    rho_d = div(p - e, R_DRY * t)
    rho = rho_d + rho_v
    return t, rho_v, rho_d, rho


def rotation_of(means, rotation):
    """The rotation matrix and offset: double rotation (rotation None) or
    the planar fit with (b0, b1, b2)."""
    if rotation is None:
        return double_rotation(means)
    return planar_fit_rotation(means, *rotation)


def flux_values(uw, vw, w_s, mean_co2, air):
    """The standard formulas from the rotated covariances u'w', v'w' and
    w's' (s = TS, CO2, H2O), the mean CO2 density and the air state
    (t, rho_v, rho_d, rho): a dict of ustar, tau, wt, evap, h, le, wpl_e,
    wpl_t, fc and the air terms q, sigma, a, cp, latent."""
    t, rho_v, rho_d, rho = air
    q = div(rho_v, rho)
    sigma = div(rho_v, rho_d)
    a = 1.0 + MU * sigma
    cp = CP_DRY * (1.0 + 0.84 * q)
    ratio = div(t, t - 33.91)
    latent = 1.91846e6 * (ratio * ratio)

    s = sqrt(uw * uw + vw * vw)
    flux_q = w_s[H2O] / 1000.0
    flux_ts = w_s[TS]
    flux_c = w_s[CO2]
    wt = div(flux_ts - div(SONIC_VAPOUR * t * a * flux_q, rho),
             1.0 + div(SONIC_VAPOUR * a * rho_v, rho))
    evap = a * (flux_q + div(rho_v * wt, t))
    wpl_e = MU * div(mean_co2, rho_d) * flux_q * UMOL_PER_MG_CO2
    wpl_t = a * div(mean_co2, t) * wt * UMOL_PER_MG_CO2
    return {'ustar': sqrt(s), 'tau': rho * s, 'wt': wt, 'evap': evap,
            'h': rho * cp * wt, 'le': latent * evap, 'wpl_e': wpl_e, 'wpl_t': wpl_t,
            'fc': flux_c * UMOL_PER_MG_CO2 + wpl_e + wpl_t,
            'q': q, 'sigma': sigma, 'a': a, 'cp': cp, 'latent': latent}


def standard_values(x_all, good, rotation):
    """The 15 values of a block line (ustar ... Fc), in double."""
    means, cov = moments(x_all, good)
    r, d = rotation_of(means, rotation)
    mean_rot, uw, vw, w_s = rotated_moments(r, d, means, cov)
    air = air_state(means)
    f = flux_values(uw, vw, w_s, means[CO2], air)
    return [f['ustar'], f['tau'], means[CO2], means[H2O], means[P], means[TS], air[0] - KELVIN,
            mean_rot[0], mean_rot[1], mean_rot[2], f['h'], f['wpl_e'], f['wpl_t'], f['le'], f['fc']]


def screened_block(samples, n, limits):
    """Despike as the default mode does it: (values after Despike, good
    record indices), or None when the block is rejected."""
    x_all = [list(samples[k][:n]) for k in range(7)]
    flags = ko.despike(x_all, n, limits)
    if flags is None:
        return None
    good = ko.good_records(flags, n)
    if not good:
        return None
    return x_all, good


def block_line(time, samples, n, limits, rotation):
    screened = screened_block(samples, n, limits)
    if screened is None:
        return time + b',' * 16 + ko.CRLF
    x_all, good = screened
    values = standard_values(x_all, good, rotation)
    text = ','.join(ko.fmt_g(f32(v)) for v in values) + ',' + str(len(good))
    return time + b',' + text.encode('ascii') + ko.CRLF


def stream_lines(run, limits, rotation, half_hours=None):
    """The results lines of a stream's half hours of at least MIN_SAMPLES
    good records, and how many of them have fluxes; every half hour with a
    good record goes into the set half_hours when one is given."""
    lines = []
    computed = 0
    for half_hour, samples in run.blocks():
        n = len(samples[0])
        if half_hours is not None and n > 0:
            half_hours.add(half_hour)
        if n < MIN_SAMPLES:
            continue
        time = results_time(half_hour)
        line = block_line(time, samples, n, limits, rotation)
        computed += not line.startswith(time + b',,')
        lines.append(line)
    return lines, computed


def results_time(half_hour):
    return stream.half_hour_end_text(half_hour).encode('ascii')

# ---------------------------------------------------------------------------
# Jobs


def plane_coefficients(planar):
    """None for double rotation, else (b0, b1, b2) as the job holds them;
    False when a text is empty."""
    if planar is None:
        return None
    if any(t == '' for t in planar):
        ko.message('No b0, b1 and b2 values', 'Please Input b0, b1,and b2 values!')
        return False
    return tuple(f32(ko.atof(os.fsencode(t))) for t in planar)


def list_names(list_file):
    """The names a list file gives, one a line; None when it cannot be read."""
    data = ko.read_file(list_file)
    if data is None:
        return None
    reader = ko.ListReader(data)
    names = []
    while True:
        name = reader.read_line()
        if name is None:
            return names
        names.append(name)


def write_results(path, lines):
    try:
        with open(path, 'wb') as out:
            out.write(HEADER + ko.CRLF)
            out.writelines(lines)
    except OSError:
        ko.message("Can't Open Output File", "Can't Open Output file!")
        return False
    return True


def single_run(names, output, planar, range_file, table):
    limits = ko.load_limits(range_file)
    if limits is None:
        return 1
    rotation = plane_coefficients(planar)
    if rotation is False:
        return 1
    if not names or names[0] == b'':
        ko.message('No First File', 'Please Input the First File!')
        return 1
    if output == '':
        ko.message('No Output File', 'Please Input the Output File!')
        return 1
    results = output + (SUFFIX_DOUBLE if rotation is None else SUFFIX_PLANAR)
    if any(ko.same_file(os.fsencode(results), f) for f in names):
        ko.message('Output File Is An Input File', 'Please choose another output file!')
        return 1
    files = []
    for name in names:
        data = ko.read_file(name)
        if data is None:
            ko.message("Can't Open Raw Data File " + os.fsdecode(name), "Raw Data File Doesn't Exit!")
            return 1
        files.append(stream.RawFile(name, data, table))
    run = None
    try:
        run = stream.Stream(stream.order_files(files, ko.same_file, stream.warn))
        lines, computed = stream_lines(run, limits, rotation)
    except stream.BadTimeStamp as error:
        # What was read before the stop is still told.
        if run is not None:
            run.report_dropped(stream.warn)
        stream.time_stamp_failure(error)
        return 1
    if not write_results(results, lines):
        return 1
    run.report_dropped(stream.warn)
    ko.message('Processing Finished!', 'Status')
    return 0 if computed else 3


def shared_half_hours(names, half_hours):
    """The warning for listed files that share a half hour (each gives a
    partial line for it): the pair whose shared half hour comes first,
    and how many pairs share any."""
    pairs = []
    for i in range(len(names)):
        for j in range(i + 1, len(names)):
            shared = half_hours[i] & half_hours[j]
            if shared:
                pairs.append((min(shared), i, j))
    if not pairs:
        return
    first, i, j = min(pairs)
    text = b'kelvara-cli: warning: %s and %s share the half hour ending %s' % (
        names[i], names[j], stream.half_hour_end_text(first).encode('ascii'))
    if len(pairs) > 1:
        text += b' (%d pairs of files share half hours)' % len(pairs)
    stream.warn(text + b": each file gives a line of part of its records, a partial half hour; "
                b"'kelvara-cli run --standard --list LIST' reads the files as one stream and joins them")


def batch(list_file, planar, range_file, table):
    """One results file per listed raw file, each file a stream of its own."""
    rotation = plane_coefficients(planar)
    if rotation is False:
        return 1
    if list_file == '':
        ko.message('No Input File', 'Please Input the File!')
        return 1
    names = list_names(list_file)
    if names is None:
        ko.message("Can't Open File!", "File Doesn't Exit!")
        return 1
    limits = ko.load_limits(range_file)
    if limits is None:
        return 1
    suffix = os.fsencode(SUFFIX_DOUBLE if rotation is None else SUFFIX_PLANAR)
    list_path = os.fsencode(list_file)
    computed = 0
    half_hours = []
    runs = []
    for name in names:
        results = name + suffix
        if ko.same_file(results, name) or ko.same_file(results, list_path):
            ko.message('Output File Is An Input File', 'Please choose another output file!')
            return 1
        raw = ko.read_file(name) if name else None
        if raw is None:
            ko.message("Can't Open Raw Data File!", "Raw Data File Doesn't Exit!")
            return 1
        run = stream.Stream([stream.RawFile(name, raw, table)])
        keys = set()
        try:
            lines, count = stream_lines(run, limits, rotation, keys)
        except stream.BadTimeStamp as error:
            for read in runs + [run]:
                read.report_dropped(stream.warn)
            stream.time_stamp_failure(error)
            return 1
        if not write_results(results, lines):
            return 1
        computed += count
        half_hours.append(keys)
        runs.append(run)
    for run in runs:
        run.report_dropped(stream.warn)
    shared_half_hours(names, half_hours)
    ko.message('Processing Finished!', 'Status')
    return 0 if computed else 3


def take_planar_fit(argv):
    """Removes `--planar-fit B0 B1 B2` from argv and returns the three texts
    verbatim (a text may start with a minus sign), or None."""
    if '--planar-fit' not in argv:
        return None
    i = argv.index('--planar-fit')
    texts = argv[i + 1:i + 4]
    if len(texts) < 3:
        raise SystemExit('--planar-fit needs three values')
    del argv[i:i + 4]
    return texts


def main(argv):
    """The command line of `kelvara-cli run|batch --standard`; --jobs is
    taken and left alone (the results are those of one thread)."""
    import argparse
    argv = list(argv)
    planar = take_planar_fit(argv)
    parser = argparse.ArgumentParser(prog='standard_oracle.py')
    sub = parser.add_subparsers(dest='command', required=True)
    p_run = sub.add_parser('run')
    p_run.add_argument('files', nargs='*')
    p_run.add_argument('-o', '--output', required=True)
    p_run.add_argument('--list')
    p_batch = sub.add_parser('batch')
    p_batch.add_argument('list')
    for p in (p_run, p_batch):
        p.add_argument('--standard', action='store_true')
        p.add_argument('-j', '--jobs', type=int)
        p.add_argument('--range-file')
        p.add_argument('--columns', default='default', choices=('default', 'auto'))
    args = parser.parse_args(argv)
    table = args.columns == 'auto'
    if args.command == 'run':
        names = [os.fsencode(f) for f in args.files]
        if args.list is not None:
            listed = list_names(args.list)
            if listed is None:
                ko.message("Can't Open File!", "File Doesn't Exit!")
                return 1
            names += listed
        return single_run(names, args.output, planar, args.range_file, table)
    return batch(args.list, planar, args.range_file, table)


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
