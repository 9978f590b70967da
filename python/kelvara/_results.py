"""Results files read back into the DataFrame that process returns: the
default results (.r1w, .rfw), the standard ones (.s1w, .sfw) and the
corrected fluxes (.flux.csv). The kind is told by the header line."""

import json
import os

import numpy as np
import pandas as pd

from . import _kelvara
from ._frames import results_frame
from ._options import check_readable, optional_path

_ROTATIONS = {".r1w": "2-axis", ".s1w": "2-axis", ".rfw": "planar fit", ".sfw": "planar fit"}
_PROVENANCE_SUFFIX = ".json"  # OUT.flux.csv has OUT.flux.json beside it


def _kind_of(name):
    with open(name, "rb") as file:
        header = file.readline().decode("utf-8", "replace").rstrip("\r\n")
    for kind, expected in _kelvara.RESULTS_HEADERS.items():
        if header == expected:
            return kind
    raise ValueError(f"path: {name} is no results file of the programs (its first line is {header[:80]!r})")


def _values(frame, columns):
    # A value column holds numbers, and "nan" where a computation gave none;
    # float() reads each text to the nearest double.
    return np.column_stack([frame[column].astype(np.float64).to_numpy() for column in columns]) \
        if len(frame) else np.empty((0, len(columns)))


def _attrs(name, kind):
    attrs = {"method": kind, "file": name, "version": _kelvara.__version__}
    suffix = os.path.splitext(name)[1].lower()
    if suffix in _ROTATIONS:
        attrs["rotation"] = _ROTATIONS[suffix]
    provenance = os.path.splitext(name)[0] + _PROVENANCE_SUFFIX
    if kind == "corrected" and os.path.isfile(provenance):
        with open(provenance, encoding="utf-8") as file:
            attrs["provenance"] = json.load(file)
    return attrs


def read_results(path):
    name = optional_path(path, "path")
    check_readable(name)
    kind = _kind_of(name)
    if kind == "corrected":
        times = ["TIMESTAMP_START", "TIMESTAMP_END"]
        frame = pd.read_csv(name, dtype=dict.fromkeys(times, str), na_values=[_kelvara.FLUX_MISSING],
                            keep_default_na=False, float_precision="round_trip")
        columns = [column for column in frame.columns if column not in times]
        ends = pd.DatetimeIndex(pd.to_datetime(frame["TIMESTAMP_END"], format="%Y%m%d%H%M"), name="time")
        return results_frame(kind, columns, _values(frame, columns), ends=ends, attrs=_attrs(name, kind))
    # A rejected half hour is its Time and empty fields.
    frame = pd.read_csv(name, dtype={"Time": str}, na_values=[""], keep_default_na=False,
                        float_precision="round_trip")
    columns = [column for column in frame.columns if column != "Time"]
    values = _values(frame, columns)
    if kind == "default":
        return results_frame(kind, columns, values, times=frame["Time"].tolist(), attrs=_attrs(name, kind))
    ends = pd.DatetimeIndex(pd.to_datetime(frame["Time"], format="%Y-%m-%d %H:%M"), name="time")
    return results_frame(kind, columns, values, ends=ends, attrs=_attrs(name, kind))
