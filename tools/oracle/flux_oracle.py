#!/usr/bin/env python3
"""Independent reference of the corrected fluxes and quality flags.

Written from the published formulas (time lag by maximum covariance;
Moncrieff et al. 1997/2004 spectral factors; Foken & Wichura 1996 steady
state; Foken et al. 2004 and Thomas & Foken 2002 turbulence test; Mauder &
Foken 2004 flags; Finkelstein & Sims 2001 random error), not from Kelvara's
code. The reading is stream_oracle.py's (full time stamps, the files as one
stream, blocks keyed by the absolute half hour); range limits, Despike and
the standard-methods formulas come from standard_oracle.py (and through it
kelvara_oracle.py), so that the corrections start from the same screened
block.

Usage (kelvara-cli's command line; --jobs changes nothing):
  flux_oracle.py run [FILE...] [--list LIST] --output OUT --site SITE.ini [--jobs N]
                 [--planar-fit B0 B1 B2] [--columns default|auto] [--range-file PATH]

Writes OUT.flux.csv; a time stamp that does not read stops the run (exit 1)
before anything is written. Arithmetic is numpy double, two-pass with each
lagged covariance's own pair means: the results agree with Kelvara's to
rounding, not bit for bit.
"""

import configparser
import datetime
import math
import os
import sys

import numpy as np

# A dev tool run from the source tree: leave no __pycache__ beside it.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kelvara_oracle as ko  # noqa: E402
import standard_oracle as so  # noqa: E402
import stream_oracle as stream  # noqa: E402

U, V, W, CO2, H2O, TS, P = range(7)
G = 9.81
KELVIN = 273.15
MU = so.MU
SONIC_VAPOUR = 0.51
UMOL_PER_MG_CO2 = 1000.0 / 44.0095
NAN = float('nan')
MISSING = '-9999'

COLUMNS = ('TIMESTAMP_START,TIMESTAMP_END,N,TAU,H,LE,FC,USTAR,TAU_STD,H_STD,LE_STD,FC_STD,USTAR_STD,'
           'TAU_SCF,H_SCF,LE_SCF,FC_SCF,CO2_TLAG,H2O_TLAG,CO2_TLAG_ACTUAL,H2O_TLAG_ACTUAL,CO2_TLAG_DEF,'
           'H2O_TLAG_DEF,MO_LENGTH,ZL,ZL_SCF,TSTAR,WS,WD,U_SIGMA,W_SIGMA,T_SONIC_SIGMA,TAU_SS,H_SS,LE_SS,'
           'FC_SS,U_ITC,W_ITC,T_SONIC_ITC,TAU_SSITC_TEST,H_SSITC_TEST,LE_SSITC_TEST,FC_SSITC_TEST,'
           'TAU_RANDUNC,H_RANDUNC,LE_RANDUNC,FC_RANDUNC,TA,PA,T_SONIC,COVERAGE').split(',')
INTEGER_COLUMNS = {'N', 'CO2_TLAG_DEF', 'H2O_TLAG_DEF', 'TAU_SS', 'H_SS', 'LE_SS', 'FC_SS', 'U_ITC',
                   'W_ITC', 'T_SONIC_ITC', 'TAU_SSITC_TEST', 'H_SSITC_TEST', 'LE_SSITC_TEST',
                   'FC_SSITC_TEST'}

# ---------------------------------------------------------------------------
# The site file


SITE_DEFAULTS = {
    'site': {'measurement_height': None, 'displacement_height': None, 'canopy_height': '0',
             'latitude': None},
    'sonic': {'path_length': '0.115', 'time_constant': repr(1.0 / 60.0), 'azimuth': '0',
              'u_positive': 'from', 'declination': '0'},
    'irga': {'path_length': '0.127', 'time_constant': '0.1', 'sep_north': '0', 'sep_east': '0',
             'sep_vertical': '0'},
    'lag': {'method': 'maxcov_default', 'co2_min': 'auto', 'co2_max': 'auto', 'h2o_min': 'auto',
            'h2o_max': 'auto', 'co2_default': '0', 'h2o_default': '0'},
    'processing': {'fs': 'auto', 'spectral': 'moncrieff97', 'hp_transfer': 'single',
                   'correction_order': 'covariances', 'obukhov_flux': 'buoyancy',
                   'obukhov_temperature': 'actual', 'von_karman': '0.40', 'wind_direction': 'vector',
                   'ru_max_lag_s': '10', 'min_coverage': '90'},
}


class Site:
    """The site file's values, each default filled in; numbers as floats,
    `auto` as None, choices as their lower-case words."""

    def __init__(self, path):
        parser = configparser.ConfigParser(inline_comment_prefixes=('#', ';'))
        with open(path, encoding='utf-8-sig') as f:
            parser.read_file(f)
        values = {}
        for section, keys in SITE_DEFAULTS.items():
            for key, default in keys.items():
                text = parser.get(section, key, fallback=default)
                values[(section, key)] = None if text is None else text.strip().lower()
        for section in parser.sections():
            for key in parser[section]:
                if (section, key) not in values:
                    raise SystemExit('unknown key %s.%s' % (section, key))

        def number(section, key):
            text = values[(section, key)]
            return None if text in (None, 'auto') else float(text)

        self.z = number('site', 'measurement_height')
        self.latitude = number('site', 'latitude')
        if self.z is None or self.latitude is None:
            raise SystemExit('measurement_height and latitude are required')
        d = number('site', 'displacement_height')
        self.d = 0.67 * number('site', 'canopy_height') if d is None else d
        self.sonic_path = number('sonic', 'path_length')
        self.sonic_tau = number('sonic', 'time_constant')
        self.azimuth = number('sonic', 'azimuth') + number('sonic', 'declination')
        self.u_positive = values[('sonic', 'u_positive')]
        self.irga_path = number('irga', 'path_length')
        self.irga_tau = number('irga', 'time_constant')
        self.sep = (number('irga', 'sep_north'), number('irga', 'sep_east'), number('irga', 'sep_vertical'))
        self.lag_method = values[('lag', 'method')]
        self.lag_bounds = {gas: (number('lag', gas + '_min'), number('lag', gas + '_max'),
                                 number('lag', gas + '_default')) for gas in ('co2', 'h2o')}
        self.fs = number('processing', 'fs')
        self.spectral = values[('processing', 'spectral')]
        self.hp = values[('processing', 'hp_transfer')]
        self.order = values[('processing', 'correction_order')]
        self.obukhov_flux = values[('processing', 'obukhov_flux')]
        self.obukhov_temperature = values[('processing', 'obukhov_temperature')]
        self.kappa = number('processing', 'von_karman')
        self.wind_direction = values[('processing', 'wind_direction')]
        self.ru_max_lag = number('processing', 'ru_max_lag_s')
        self.min_coverage = number('processing', 'min_coverage')

    @property
    def height(self):
        return self.z - self.d

# ---------------------------------------------------------------------------
# Reading: stream_oracle's (full time stamps, the files as one stream)


FS_RECORDS = 200


def sampling_frequency(files):
    """1 / the median step between the stream's first records' time stamps,
    whole Hz."""
    stamps = []
    for raw in files:
        for _, _, (seconds, fraction) in raw.records():
            stamps.append(seconds + float(b'0.' + fraction))
            if len(stamps) == FS_RECORDS:
                break
        if len(stamps) == FS_RECORDS:
            break
    steps = np.diff(np.array(stamps))
    steps = steps[steps != 0]
    if len(steps) == 0:
        raise SystemExit('fs cannot be found')
    return float(round(1.0 / np.median(steps)))

# ---------------------------------------------------------------------------
# Lagged covariances


def lagged(a, pa, b, pb, lag):
    """(covariance, pairs) of a(i) and b(i + lag) over the pairs where both
    are present, with the pairs' means, divided by their count; NaN
    without pairs."""
    n = len(a)
    if abs(lag) >= n:
        return NAN, 0
    if lag >= 0:
        ia, ib = slice(0, n - lag), slice(lag, n)
    else:
        ia, ib = slice(-lag, n), slice(0, n + lag)
    both = pa[ia] & pb[ib]
    count = int(both.sum())
    if count == 0:
        return NAN, 0
    x = a[ia][both]
    y = b[ib][both]
    return float(np.mean((x - x.mean()) * (y - y.mean()))), count


def cov0(a, pa, b, pb, lo=0, hi=None):
    """The covariance of a(i), b(i) over positions lo..hi-1 where both are present."""
    hi = len(a) if hi is None else hi
    return lagged(a[lo:hi], pa[lo:hi], b[lo:hi], pb[lo:hi], 0)[0]


def shifted(x, present, lag):
    """Position i holds record i + lag (nothing outside the block)."""
    n = len(x)
    out = np.zeros(n)
    mask = np.zeros(n, dtype=bool)
    for i in range(max(0, -lag), min(n, n - lag)):
        out[i] = x[i + lag]
        mask[i] = present[i + lag]
    return out, mask

# ---------------------------------------------------------------------------
# The steps


def record_lags(seconds, fs):
    """Seconds to records, halves away from zero."""
    x = seconds * fs
    return int(math.floor(abs(x) + 0.5)) * (1 if x >= 0 else -1)


def choose_lag(site, gas, w, present, c, fs):
    """(used, found, default used) in records."""
    lo, hi, default = site.lag_bounds[gas]
    reach = 2.0 * math.sqrt(sum(s * s for s in site.sep)) + 0.3
    lmin = record_lags(-reach if lo is None else lo, fs)
    lmax = record_lags(reach if hi is None else hi, fs)
    ldef = record_lags(default, fs)
    method = site.lag_method
    if method == 'none':
        return 0, 0, 0
    if method == 'constant':
        return ldef, ldef, 1
    if lmin == 0 and lmax == 0:
        return 0, 0, 0
    best, largest = 0, 0.0
    n = len(w)
    for lag in range(max(lmin, -(n - 1)), min(lmax, n - 1) + 1):
        c_l = lagged(w, present, c, present, lag)[0]
        if abs(c_l) > largest:
            best, largest = lag, abs(c_l)
    if method == 'maxcov_default' and best in (lmin, lmax):
        return ldef, best, 1
    return best, best, 0


def steady_state(series, present_of, width):
    """SS percentages of (tau, H, LE, FC)."""
    if width == 0:
        return [NAN] * 4

    def pair(a, b):
        subs = [cov0(series[a], present_of[a], series[b], present_of[b], l * width, (l + 1) * width)
                for l in range(6)]
        whole = cov0(series[a], present_of[a], series[b], present_of[b])
        return whole, sum(subs) / 6.0

    def percent(whole, mean):
        with np.errstate(all='ignore'):
            value = abs((whole - mean) / whole) * 100.0 if whole != 0 else NAN
        return value if math.isfinite(value) else NAN

    uw, uw_s = pair('u', 'w')
    vw, vw_s = pair('v', 'w')
    ustar_w = (uw * uw + vw * vw) ** 0.25
    ustar_s = (uw_s * uw_s + vw_s * vw_s) ** 0.25
    tau = percent(ustar_w, ustar_s) if ustar_w == ustar_w else NAN
    return [tau, percent(*pair('w', 'ts')), percent(*pair('w', 'h2o')), percent(*pair('w', 'co2'))]


# Model cospectra (Moncrieff et al. 1997): (knee, gain, rate, power below
# the knee, the same above it, stable scale and slope).
SCALAR = (0.54, (12.92, 26.7, 1.375), (4.378, 3.8, 2.4), (0.284, 6.4))
MOMENTUM = (0.24, (20.78, 31.0, 1.575), (12.66, 9.6, 2.4), (0.124, 7.9))


def cospectrum(model, n, f, zl):
    knee, low, high, (scale, slope) = model
    if zl == zl and zl > 0:
        a = scale * (1.0 + slope * zl) ** 0.75
        b = 2.34 * a ** -1.1
        return f / (n * (a + b * f ** 2.1))
    return np.where(f < knee, low[0] * f / (n * (1.0 + low[1] * f) ** low[2]),
                    high[0] * f / (n * (1.0 + high[1] * f) ** high[2]))


def spectral_factors(site, speed, zl):
    """(CF_tau, CF_H, CF_c) of Moncrieff et al. (1997), block average after
    Moncrieff et al. (2004)."""
    if site.spectral == 'none':
        return 1.0, 1.0, 1.0
    if not speed > 0:
        return NAN, NAN, NAN
    n1 = 1.0 / 7200.0
    i = np.arange(1, 501, dtype=float)
    grid = np.exp(math.log(n1) + (math.log(10.0) - math.log(n1)) * i / 500.0)
    grid[0] = n1
    n = grid[:-1]
    dn = grid[1:] - grid[:-1]
    keep = n > 1.0 / 5000.0
    n, dn = n[keep], dn[keep]
    u = speed

    def first_order(tc):
        return np.ones_like(n) if tc == 0 else 1.0 / np.sqrt(1.0 + (2 * math.pi * n * tc) ** 2)

    def w_line(p):
        if p == 0:
            return np.ones_like(n)
        x = 2 * math.pi * n * p / u
        return (2.0 / (math.pi * n * p / u)) * (1.0 + np.exp(-x) / 2.0 - 3.0 * (1.0 - np.exp(-x)) / (2.0 * x))

    def scalar_line(p):
        if p == 0:
            return np.ones_like(n)
        x = 2 * math.pi * n * p / u
        return np.sqrt((3.0 + np.exp(-x) - 4.0 * (1.0 - np.exp(-x)) / x) / x)

    def separation(s):
        return np.exp(-9.9 * (n * s / u) ** 1.5)

    x = math.pi * n * 1800.0
    block = 1.0 - np.sin(x) ** 2 / x ** 2
    hp = block * block if site.hp == 'product' else block
    sonic = first_order(site.sonic_tau) * w_line(site.sonic_path)
    tf_sonic = sonic ** 2 * hp
    tf_gas = (sonic * first_order(site.irga_tau) * scalar_line(site.irga_path)
              * separation(math.hypot(site.sep[0], site.sep[1])) * separation(abs(site.sep[2])) * hp)
    f = n * site.height / u
    co_m = cospectrum(MOMENTUM, n, f, zl)
    co_s = cospectrum(SCALAR, n, f, zl)

    def factor(co, tf):
        return float(np.sum(co * dn) / np.sum(tf * co * dn))

    return factor(co_m, tf_sonic), factor(co_s, tf_sonic), factor(co_s, tf_gas)


def obukhov(site, ustar, h, evap, air, p_pa, f):
    """(L, z/L, T*) from the corrected u*, H and E."""
    t, rho_v, rho_d, rho = air
    rho_cp = rho * f['cp']
    q = rho_v / rho
    wt = h / rho_cp
    if site.obukhov_flux == 'buoyancy':
        flux = wt * (1 + 0.61 * q) + 0.61 * t * evap / rho
    else:
        flux = wt
    if site.obukhov_temperature == 'potential':
        theta = t * (1e5 / p_pa) ** 0.286
    elif site.obukhov_flux == 'buoyancy':
        theta = t * (1 + 0.61 * q)
    else:
        theta = t
    L = zl = tstar = NAN
    if flux != 0:
        L = -theta * ustar ** 3 / (site.kappa * G * flux)
        zl = site.height / L if L != 0 else NAN
        if not math.isfinite(zl):
            zl = NAN
    if ustar != 0:
        tstar = -h / (rho_cp * ustar)
    return L, zl, tstar


def wind_direction(site, u, v, present, mean_u, mean_v):
    if site.wind_direction == 'unit':
        angles = np.arctan2(v[present], u[present])
        east, north = float(np.sum(np.cos(angles))), float(np.sum(np.sin(angles)))
    else:
        east, north = mean_u, mean_v
    angle = math.degrees(math.atan2(north, east))
    wd = site.azimuth - angle if site.u_positive == 'from' else site.azimuth + 180.0 - angle
    wd = wd % 360.0
    return 0.0 if wd >= 360.0 else wd


def itc(site, zl, ustar, tstar, sigma_u, sigma_w, sigma_ts):
    """ITC percentages of sigma_u, sigma_w, sigma_Ts."""
    if zl != zl:
        return NAN, NAN, NAN
    f = abs(2.0 * (2.0 * math.pi / 86400.0) * math.sin(math.radians(site.latitude)))

    def ln_term():
        return math.log(1.0 * f / ustar) if f > 0 and ustar > 0 else NAN

    if zl < -0.2:
        model_w = 1.3 * (1 - 2 * zl) ** (1.0 / 3.0)
        model_u = 4.15 * abs(zl) ** 0.125
    else:
        model_w = 0.21 * ln_term() + 3.1
        model_u = 0.44 * ln_term() + 6.3
    a = abs(zl)
    if zl < -1:
        model_t = a ** (-1.0 / 3.0)
    elif zl < -0.0625:
        model_t = a ** -0.25
    elif zl < 0.02:
        model_t = 0.5 * a ** -0.5 if a > 0 else NAN
    else:
        model_t = 1.4 * a ** -0.25

    def percent(model, measured):
        try:
            value = abs((model - measured) / model) * 100.0
        except ZeroDivisionError:
            return NAN
        return value if math.isfinite(value) else NAN

    with np.errstate(all='ignore'):
        ratio_u = sigma_u / ustar if ustar != 0 else NAN
        ratio_w = sigma_w / ustar if ustar != 0 else NAN
        ratio_t = sigma_ts / abs(tstar) if tstar == tstar and tstar != 0 else NAN
    return percent(model_u, ratio_u), percent(model_w, ratio_w), percent(model_t, ratio_t)


def truncated(percent):
    if percent != percent:
        return None
    return min(int(percent), 2147483647)


def test_class(percent):
    for cls, bound in enumerate((15, 30, 50, 75, 100, 250, 500, 1000), start=1):
        if percent <= bound:
            return cls
    return 9


def flag(ss, itc_class):
    if ss is None or itc_class is None:
        return 2
    worst = max(test_class(ss), itc_class)
    return 0 if worst <= 2 else (1 if worst <= 5 else 2)


def random_error(w, pw, x, px, fs, site, mean_u):
    """Finkelstein & Sims (2001): the standard deviation of cov(w, x)."""
    n = len(w)
    g0, pairs = lagged(w, pw, x, px, 0)
    if pairs == 0:
        return NAN
    search = min(record_lags(site.ru_max_lag, fs), n - 1)
    its = NAN
    if g0 != 0:
        total = 0.0
        for p in range(search + 1):
            rho = lagged(w, pw, x, px, p)[0] / g0
            if rho < 0:
                break
            if rho == rho:
                total += abs(rho)
        its = total / fs
    if not its <= 2.0 * site.ru_max_lag:
        if not mean_u > 0:
            return NAN
        its = site.height / mean_u
    m = min(record_lags(its, fs), n - 1)

    def g(a, pa, b, pb, p):
        value = lagged(a, pa, b, pb, p)[0]
        return 0.0 if value != value else value

    total = g(w, pw, w, pw, 0) * g(x, px, x, px, 0) + g0 * g0
    inner = 0.0
    for p in range(1, m + 1):
        inner += g(w, pw, w, pw, p) * g(x, px, x, px, p) + g(w, pw, x, px, p) * g(x, px, w, pw, p)
    return math.sqrt(abs(total + 2.0 * inner) / pairs)


def block_values(x_all, good, n, rotation, site, fs):
    """The values of one half hour's line after the time stamps, by column."""
    present = np.zeros(n, dtype=bool)
    present[good] = True
    means, cov = so.moments(x_all, good)
    r, d = so.rotation_of(means, rotation)
    air = so.air_state(means)
    t_air, rho_v, rho_d, rho = air
    p_pa = 1000.0 * means[P]
    raw = {k: np.where(present, np.array(x_all[k], dtype=float) - means[k], 0.0) for k in range(7)}

    # The records rotated like the moments.
    rot = [sum(r[a][k] * raw[k] for k in range(3)) for a in range(3)]
    ur, vr, wr = (np.where(present, s, 0.0) for s in rot)

    # Time lags: the gases' covariances with u, v, w at their lag.
    lags = {}
    shifted_gas = {}
    for gas, var in (('co2', CO2), ('h2o', H2O)):
        used, found, default = choose_lag(site, gas, wr, present, raw[var], fs)
        lags[gas] = (used, found, default)
        shifted_gas[gas] = shifted(raw[var], present, used)
        if used != 0:
            xs, ps = shifted_gas[gas]
            for k in range(3):
                cov[(k, var)] = lagged(raw[k], present, xs, ps, 0)[0]
    mean_rot, uw, vw, w_s = so.rotated_moments(r, d, means, cov)
    std = so.flux_values(uw, vw, w_s, means[CO2], air)

    # Steady state.
    series = {'u': ur, 'v': vr, 'w': wr, 'ts': raw[TS], 'co2': shifted_gas['co2'][0],
              'h2o': shifted_gas['h2o'][0]}
    present_of = {'u': present, 'v': present, 'w': present, 'ts': present,
                  'co2': shifted_gas['co2'][1], 'h2o': shifted_gas['h2o'][1]}
    ss = steady_state(series, present_of, n // 6)

    # z/L of the uncorrected fluxes, for the cospectra.
    ts_k = means[TS] + KELVIN
    if site.obukhov_temperature == 'potential':
        ts_k *= (1e5 / p_pa) ** 0.286
    zl0 = NAN
    if w_s[TS] != 0 and std['ustar'] != 0:
        l0 = -ts_k * std['ustar'] ** 3 / (site.kappa * G * w_s[TS])
        zl0 = site.height / l0
        if not math.isfinite(zl0):
            zl0 = NAN

    # Spectral factors.
    speed = math.sqrt(mean_rot[0] ** 2 + mean_rot[1] ** 2 + mean_rot[2] ** 2)
    cf_tau, cf_h, cf_c = spectral_factors(site, speed, zl0)

    # Corrected fluxes.
    w_corr = {TS: cf_h * w_s[TS], CO2: cf_c * w_s[CO2], H2O: cf_c * w_s[H2O]}
    corr = so.flux_values(cf_tau * uw, cf_tau * vw, w_corr, means[CO2], air)
    tau, ustar = corr['tau'], corr['ustar']
    if site.order == 'peer':
        rho_cp = rho * std['cp']
        h1 = rho_cp * w_s[TS]
        e0 = w_s[H2O] / 1000.0
        h2 = h1 - rho_cp * SONIC_VAPOUR * (means[TS] + KELVIN) * e0 / rho - SONIC_VAPOUR * (rho_v / rho) * h1
        h = cf_h * h2
        a = 1.0 + MU * (rho_v / rho_d)
        evap = a * cf_c * e0 + a * h * rho_v / (rho_cp * t_air)
        le = std['latent'] * evap
        fc = (cf_c * w_s[CO2] + MU * evap * means[CO2] / (a * rho_d)
              + h * means[CO2] / (rho_cp * t_air)) * UMOL_PER_MG_CO2
    else:
        h, le, fc, evap = corr['h'], corr['le'], corr['fc'], corr['evap']

    # Stability and wind.
    L, zl, tstar = obukhov(site, ustar, h, evap, air, p_pa, std)
    wd = wind_direction(site, np.array(x_all[U], dtype=float), np.array(x_all[V], dtype=float), present,
                        means[U], means[V])

    def rotated_variance(a):
        return sum(r[a][k] * cov[(k, l)] * r[a][l] for k in range(3) for l in range(3))

    sigma_u = math.sqrt(rotated_variance(0))
    sigma_w = math.sqrt(rotated_variance(2))
    sigma_ts = math.sqrt(float(np.mean(raw[TS][present] ** 2)))

    # Turbulence test, flags, coverage.
    itc_u, itc_w, itc_t = itc(site, zl, ustar, tstar, sigma_u, sigma_w, sigma_ts)
    ss_t = [truncated(x) for x in ss]
    u_t, w_t, t_t = truncated(itc_u), truncated(itc_w), truncated(itc_t)
    w_class = None if w_t is None else test_class(w_t)
    tau_class = None if u_t is None or w_t is None else max(test_class(u_t), w_class)
    flags = [flag(ss_t[0], tau_class), flag(ss_t[1], w_class), flag(ss_t[2], w_class), flag(ss_t[3], w_class)]
    coverage = 100.0 * len(good) / (fs * 1800.0)
    if coverage < site.min_coverage:
        flags = [2, 2, 2, 2]

    # Random errors.
    ru = [random_error(wr, present, x, px, fs, site, mean_rot[0])
          for x, px in ((ur, present), (raw[TS], present), (series['h2o'], present_of['h2o']),
                        (series['co2'], present_of['co2']))]

    return [len(good), tau, h, le, fc, ustar, std['tau'], std['h'], std['le'], std['fc'], std['ustar'],
            cf_tau, cf_h, cf_c, cf_c, lags['co2'][0] / fs, lags['h2o'][0] / fs, lags['co2'][1] / fs,
            lags['h2o'][1] / fs, lags['co2'][2], lags['h2o'][2], L, zl, zl0, tstar, speed, wd,
            sigma_u, sigma_w, sigma_ts] + ss_t + [u_t, w_t, t_t] + flags + [
        rho * ru[0], rho * std['cp'] * ru[1], std['latent'] / 1000.0 * ru[2], UMOL_PER_MG_CO2 * ru[3],
        t_air - KELVIN, means[P], means[TS], coverage]

# ---------------------------------------------------------------------------
# Output


def text_of(column, value):
    if value is None:
        return MISSING
    if column in INTEGER_COLUMNS:
        return str(int(value))
    if not math.isfinite(value):
        return MISSING
    return '%.9g' % value


def stamp(t):
    return t.strftime('%Y%m%d%H%M')


def line_of(start, values):
    end = start + datetime.timedelta(minutes=30)
    fields = [stamp(start), stamp(end)]
    if values is None:
        fields += [MISSING] * (len(COLUMNS) - 2)
    else:
        fields += [text_of(c, v) for c, v in zip(COLUMNS[2:], values)]
    return ','.join(fields) + '\n'


def run(names, output, site_path, planar, columns, range_file):
    site = Site(site_path)
    limits = ko.load_limits(range_file)
    rotation = so.plane_coefficients(planar)
    table = columns == 'auto'
    files = []
    for name in names:
        data = ko.read_file(name)
        if data is None:
            raise SystemExit('cannot read a raw file')
        files.append(stream.RawFile(name, data, table))
    run = None
    try:
        ordered = stream.order_files(files, ko.same_file, stream.warn)
        fs = site.fs if site.fs is not None else sampling_frequency(ordered)
        run = stream.Stream(ordered)
        lines = []
        for half_hour, samples in run.blocks():
            n = len(samples[0])
            if n < so.MIN_SAMPLES:
                continue
            start = datetime.datetime(*stream.half_hour_start(half_hour))
            screened = so.screened_block(samples, n, limits)
            if screened is None:
                lines.append(line_of(start, None))
                continue
            x_all, good = screened
            lines.append(line_of(start, block_values(x_all, good, n, rotation, site, fs)))
    except stream.BadTimeStamp as error:
        # What was read before the stop is still told.
        if run is not None:
            run.report_dropped(stream.warn)
        stream.time_stamp_failure(error)
        return 1
    with open(output + '.flux.csv', 'w', newline='\n') as out:
        out.write(','.join(COLUMNS) + '\n')
        out.writelines(lines)
    run.report_dropped(stream.warn)
    return 0


def main(argv):
    import argparse
    argv = list(argv)
    planar = so.take_planar_fit(argv)
    parser = argparse.ArgumentParser(prog='flux_oracle.py')
    sub = parser.add_subparsers(dest='command', required=True)
    p_run = sub.add_parser('run')
    p_run.add_argument('files', nargs='*')
    p_run.add_argument('-o', '--output', required=True)
    p_run.add_argument('--site', required=True)
    p_run.add_argument('--list')
    p_run.add_argument('-j', '--jobs', type=int)
    p_run.add_argument('--columns', default='default', choices=('default', 'auto'))
    p_run.add_argument('--range-file')
    args = parser.parse_args(argv)
    names = [os.fsencode(f) for f in args.files]
    if args.list is not None:
        listed = so.list_names(args.list)
        if listed is None:
            raise SystemExit('cannot read the list')
        names += listed
    return run(names, args.output, args.site, planar, args.columns, args.range_file)


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
