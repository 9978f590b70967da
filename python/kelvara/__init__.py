"""Kelvara's eddy-covariance flux processing from Python.

The functions run the same engine as the desktop program and kelvara-cli
and return pandas DataFrames: one row per half hour, the columns named as in
the matching results file, the numbers at full precision (the file's text is
their rounding), NaN for a rejected half hour.

    import kelvara
    df = kelvara.process("tower_20240601.dat")            # standard method
    df["LE"].plot()                                         # W m-2
    fit = kelvara.planefit(["day1.dat", "day2.dat"])      # fit.b = (b0, b1, b2)
    old = kelvara.read_results("tower_20240601.r1w")

Functions: process, planefit, read_results, read_raw. Exceptions: Error (a
job failed, with the programs' message), PlaneFitRefused (a subclass of
Error), and the OSError of a file that cannot be read. Warnings the jobs
give arrive as KelvaraWarning. Long calls release the GIL (other threads run
meanwhile) and stop on Ctrl+C with KeyboardInterrupt, leaving nothing
behind.
"""

import shutil
import tempfile
from dataclasses import dataclass

import pandas as pd

from . import _kelvara
from ._frames import frame_of_table, raw_frame
from ._options import (check_readable, columns_text, file_list, good_status_text, non_negative, optional_path,
                       plane_request, positive_int, site_request)
from ._progress import progress_for
from ._results import read_results as _read_results

Error = _kelvara.Error
PlaneFitRefused = _kelvara.PlaneFitRefused
KelvaraWarning = _kelvara.KelvaraWarning
__version__ = _kelvara.__version__
for _name in ("Error", "PlaneFitRefused", "KelvaraWarning"):
    getattr(_kelvara, _name).__module__ = __name__  # shown as kelvara.Error, not the compiled part's

__all__ = ["process", "planefit", "read_results", "read_raw", "PlaneFit", "Error", "PlaneFitRefused",
           "KelvaraWarning", "__version__"]

_METHODS = ("default", "standard")


def process(files, *, method="standard", site=None, planar_fit=None, columns=None, good_status=None, range_file=None,
            unit_check=True, jobs=1, progress=False):
    """process(files, *, method="standard", site=None, planar_fit=None, columns=None, good_status=None,
    range_file=None, unit_check=True, jobs=1, progress=False) -> pandas.DataFrame

    Raw data files into half-hourly fluxes, one row per half hour.

    files       a path or a list of paths (str or os.PathLike) of raw data files.
    method      "standard": the standard methods (double rotation or a planar fit with a yaw per half hour,
                Schotanus and WPL corrections), columns as in a .s1w/.sfw file; with several files, one stream
                read in time order, as `kelvara-cli run FILE... --standard` reads it.
                "default": the default results, as the desktop program writes them (.r1w/.rfw); with several
                files, each file on its own, as a batch reads them, the rows in the order given.
    site        a site-file path, or a dict of its sections and keys, e.g.
                {"site": {"measurement_height": 3.0, "latitude": 52.1}, "irga": {"sep_east": 0.15}}: the
                standard method's fluxes corrected and flagged, columns as in a .flux.csv file (H, LE in W m-2,
                FC in umol m-2 s-1, USTAR in m s-1, ...).
    planar_fit  None (2-axis or double rotation), "auto" (the plane fitted over the same files first, as
                planefit does) or (b0, b1, b2): b0 in m s-1, b1 and b2 dimensionless.
    columns     None (the raw format's own layout), "auto" (the names of the second header line, units of
                the third) or a dict such as {"U": "Ux", "V": "Uy", "W": "Uz", "CO2": "co2", "H2O": "h2o",
                "Ts": "Ts", "P": "press", "status": "diag"} of header names or 1-based column numbers ("time"
                names the time stamp; default the first column).
    good_status the status values that keep a record: a text such as "0-13" (the default) or "0,1,4-7", or a
                list of ints.
    range_file  the range limits file to screen with instead of range.ini of the Windows directory.
    unit_check  with columns="auto": check the units of the header and convert (False: take the values as
                they are).
    jobs        threads: with "standard", the stream's `--jobs` (the results are the same for any number);
                with "default", files processed at once.
    progress    show a progress bar (tqdm when installed, a plain line on stderr otherwise).

    Standard and corrected results are indexed by the end of each half hour (a DatetimeIndex named "time",
    the logger's clock); default results keep the "Time" text column as the file writes it. A rejected half
    hour is a row of NaN. Units are those of the results files: ustar and ave_U/V/W m s-1, tau kg m-1 s-2,
    ave_CO2 mg m-3, ave_H2O g m-3, ave_P kPa, ave_Ts and ave_Ta (ave_Tc) degrees C, H (Hs) and LE
    (LE_leuning) W m-2, Fc, Fc_wplE, Fc_wplT (Fc_leuning, co2wplLE, co2wplH) umol m-2 s-1, Records a count.

    df.attrs tells how the frame was made: method ("default", "standard" or "corrected"), rotation,
    planar_fit (the coefficients applied, each as a float), plane_fitted, site (every key, defaults filled
    in), sampling_frequency (Hz, corrected), columns, unit_check, good_status, files, range_file, jobs,
    version.

    Raises FileNotFoundError, PermissionError or OSError naming a file that cannot be read; ValueError
    naming an option that does not read; kelvara.Error with the programs' message when the job fails;
    kelvara.PlaneFitRefused when planar_fit="auto" and the data do not determine the plane. Nothing is left
    behind, also on Ctrl+C (KeyboardInterrupt).
    """
    names = file_list(files)
    if method not in _METHODS:
        raise ValueError(f"method: {method!r} is neither \"default\" nor \"standard\"")
    plane, fit_plane = plane_request(planar_fit)
    columns = columns_text(columns)
    good_status = good_status_text(good_status)
    range_name = optional_path(range_file, "range_file")
    jobs = positive_int(jobs, "jobs")
    site_file, site_text = site_request(site)
    for name in names + ([range_name] if range_name is not None else []):
        check_readable(name)
    shown = progress_for(progress, "kelvara")
    # The runs write their results files too: into a folder of this call's own, removed afterwards.
    output_dir = tempfile.mkdtemp(prefix="kelvara-")
    try:
        table = _kelvara.process(names, method, site_file, site_text, plane, fit_plane, columns, good_status,
                                 range_name, bool(unit_check), jobs, output_dir, shown)
    finally:
        shutil.rmtree(output_dir, ignore_errors=True)
    return frame_of_table(table, method)


@dataclass(frozen=True)
class PlaneFit:
    """The planar-fit plane w = b0 + b1 u + b2 v over the half-hour mean winds (Wilczak et al. 2001).

    b             (b0, b1, b2): b0 in m s-1, b1 and b2 dimensionless, for planar_fit=
    stderr        their standard errors, in the same units
    alpha, beta   the plane's tilt angles, degrees
    r2            the fit's R2, None when every half hour has the same mean w
    rms           rms residual of the mean w, m s-1
    max_residual  largest |residual|, m s-1
    sectors       the 45-degree wind sectors of the half hours used (0 to 7: direction atan2(v, u) in the
                  sonic's own axes, from 45 k to 45 k + 45 degrees)
    used          half hours used
    excluded      the half hours left out: a DataFrame of time ("YYYY-MM-DD HH:MM", the half hour's end) and
                  reason
    """

    b: tuple
    stderr: tuple
    alpha: float
    beta: float
    r2: object
    rms: float
    max_residual: float
    sectors: list
    used: int
    excluded: pd.DataFrame


def planefit(files, *, min_records=9000, u_min=0.5, w_max=1.0, columns=None, good_status=None, range_file=None,
             unit_check=True, progress=False):
    """planefit(files, *, min_records=9000, u_min=0.5, w_max=1.0, columns=None, good_status=None,
    range_file=None, unit_check=True, progress=False) -> kelvara.PlaneFit

    Fits the planar-fit coefficients to the half-hour mean winds of raw data files, each file read on its
    own (as `kelvara-cli planefit` does).

    files        a path or a list of paths (str or os.PathLike).
    min_records  leave out half hours with fewer good records (partial half hours at gaps and file ends).
    u_min        leave out half hours whose horizontal mean wind is slower, m s-1 (calm air shows no tilt).
    w_max        leave out half hours whose |mean w| is larger, m s-1 (a fault).
    columns, good_status, range_file, unit_check, progress: as for process.

    Raises kelvara.PlaneFitRefused (a kelvara.Error) with the reason when the data do not determine the
    plane; otherwise as process.
    """
    names = file_list(files)
    min_records = non_negative(min_records, "min_records", int)
    u_min = non_negative(u_min, "u_min")
    w_max = non_negative(w_max, "w_max")
    columns = columns_text(columns)
    good_status = good_status_text(good_status)
    range_name = optional_path(range_file, "range_file")
    for name in names + ([range_name] if range_name is not None else []):
        check_readable(name)
    fit = _kelvara.planefit(names, min_records, u_min, w_max, columns, good_status, range_name, bool(unit_check),
                            progress_for(progress, "kelvara planefit"))
    excluded = pd.DataFrame({"time": pd.Series(fit.pop("excluded_time"), dtype=object),
                             "reason": pd.Series(fit.pop("excluded_reason"), dtype=object)})
    return PlaneFit(excluded=excluded, **fit)


def read_results(path):
    """read_results(path) -> pandas.DataFrame

    A results file the programs write, read into the frame process returns: the default results (.r1w,
    .rfw; a "Time" text column), the standard results (.s1w, .sfw) and the corrected fluxes (.flux.csv),
    both indexed by the end of each half hour (a DatetimeIndex named "time"). Empty fields and the
    corrected file's -9999 become NaN. The kind is told by the header line.

    df.attrs: method, file, version, rotation (from the suffix) and, for .flux.csv, provenance (the
    .flux.json beside it, when there).

    Raises FileNotFoundError, PermissionError or OSError naming the file; ValueError when it is no results
    file.
    """
    return _read_results(path)


def read_raw(path, *, columns=None, unit_check=True, progress=False):
    """read_raw(path, *, columns=None, unit_check=True, progress=False) -> pandas.DataFrame

    The records of a raw data file as the standard methods' reader sees them, to look at the data behind a
    half hour: indexed by each record's time stamp (a DatetimeIndex named "time", the logger's clock, to the
    nanosecond), columns U, V, W (m s-1), CO2, H2O (as in the file), Ts (degrees C), P (kPa), each a float32
    as read (with columns="auto", converted from the header's units), and status (int32; the status rule is
    not applied). Lines with too few fields are passed over, as the reader does.

    columns, unit_check, progress: as for process. Raises the OSError of a file that cannot be read, and
    kelvara.Error when the columns do not fit the header or a time stamp does not read.
    """
    name = optional_path(path, "path")
    check_readable(name)
    shown = progress_for(progress, "kelvara read_raw")
    arrays = _kelvara.read_raw(name, columns_text(columns), bool(unit_check), shown)
    return raw_frame(arrays)
