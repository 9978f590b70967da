"""kelvara.read_results reads every kind of results file into the frame
process gives for the same inputs, to the file's rounding."""

import numpy as np
import pandas as pd
import pytest

import kelvara
from conftest import SITE_DICT, assert_frame_is_file, run_cli

KINDS = {
    ".r1w": ({"method": "default"}, []),
    ".rfw": ({"method": "default", "planar_fit": (0.05, 0.02, -0.03)}, ["--planar-fit", "0.05", "0.02", "-0.03"]),
    ".s1w": ({}, ["--standard"]),
    ".sfw": ({"planar_fit": (0.05, 0.02, -0.03)}, ["--standard", "--planar-fit", "0.05", "0.02", "-0.03"]),
    ".flux.csv": ({"site": SITE_DICT}, ["--site", None]),
}


@pytest.mark.parametrize("suffix", list(KINDS))
def test_every_kind_reads_back_as_process_gives_it(tmp_path, day_file, site_file, suffix):
    options, arguments = KINDS[suffix]
    arguments = [site_file if argument is None else argument for argument in arguments]
    run_cli("run", day_file, "-o", tmp_path / "out", *arguments)
    path = tmp_path / ("out" + suffix)
    read = kelvara.read_results(path)
    processed = kelvara.process(day_file, **options)
    assert_frame_is_file(read, path)
    assert list(read.columns) == list(processed.columns)
    pd.testing.assert_index_equal(read.index, processed.index)
    if "Time" in read.columns:
        assert list(read["Time"]) == list(processed["Time"])
    values = processed.columns.drop("Time", errors="ignore")
    np.testing.assert_allclose(read[values].to_numpy(), processed[values].to_numpy(), rtol=1e-5, atol=1e-30)
    assert read.attrs["method"] == processed.attrs["method"]
    if suffix == ".flux.csv":
        assert "provenance" in read.attrs
