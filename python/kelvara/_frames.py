"""The half hours of a call, or of a results file, as a pandas DataFrame:
one row per half hour, the results file's columns, NaN where the file has
nothing. Standard and corrected results are indexed by the end of their
half hour (a DatetimeIndex named "time"); default results keep their Time
text as the first column."""

import numpy as np
import pandas as pd

SECONDS_PER_HALF_HOUR = 1800


def half_hour_ends(half_hours):
    """The ends of half hours counted from 1970 (a half hour ends at
    (half_hour + 1) x 30 min), as the logger's clock tells them."""
    seconds = (np.asarray(half_hours, dtype=np.int64) + 1) * SECONDS_PER_HALF_HOUR
    return pd.DatetimeIndex(seconds.astype("datetime64[s]").astype("datetime64[ns]"), name="time")


def results_frame(method, columns, values, times=None, ends=None, attrs=None):
    """method "default": times are the Time texts; otherwise ends is the
    DatetimeIndex of the half hours' ends."""
    values = np.asarray(values, dtype=np.float64).reshape(len(times if ends is None else ends), len(columns))
    if method == "default":
        frame = pd.DataFrame(values, columns=list(columns))
        frame.insert(0, "Time", pd.Series(list(times), dtype=object))
    else:
        frame = pd.DataFrame(values, columns=list(columns), index=ends)
    frame.attrs.update(attrs or {})
    return frame


def frame_of_table(table, method):
    """The compiled part's table ({"columns", "times", "half_hours",
    "values", "attrs"})."""
    ends = None if method == "default" else half_hour_ends(table["half_hours"])
    return results_frame(method, table["columns"], table["values"], times=table["times"], ends=ends,
                         attrs=table["attrs"])


def raw_frame(arrays):
    """read_raw's columns, indexed by each record's time stamp."""
    index = pd.DatetimeIndex(np.asarray(arrays["time"]).astype("datetime64[ns]"), name="time")
    data = {name: arrays[name] for name in ("U", "V", "W", "CO2", "H2O", "Ts", "P", "status")}
    return pd.DataFrame(data, index=index)
