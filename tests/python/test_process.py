"""kelvara.process gives the half hours of the command line's results file,
for each method, rotation, layout and spread of the work."""

import sys

import numpy as np
import pandas as pd
import pytest

import kelvara
from conftest import SITE_DICT, assert_frame_is_file, run_cli

PLANE = (0.05, 0.02, -0.03)
SUFFIXES = {("default", None): ".r1w", ("default", PLANE): ".rfw", ("standard", None): ".s1w",
            ("standard", PLANE): ".sfw"}


def cli_results(tmp_path, files, *options, suffix):
    out = tmp_path / "cli"
    run_cli("run", *files, "-o", out, *options)
    return tmp_path / ("cli" + suffix)


def plane_options(plane):
    return [] if plane is None else ["--planar-fit", *map(repr, plane)]


@pytest.mark.parametrize("plane", [None, PLANE], ids=["two-axis", "planar-fit"])
@pytest.mark.parametrize("method", ["default", "standard"])
def test_each_method_and_rotation_is_the_command_lines(tmp_path, day_file, method, plane):
    frame = kelvara.process(day_file, method=method, planar_fit=plane)
    options = plane_options(plane) + (["--standard", "-j", 1] if method == "standard" else [])
    assert_frame_is_file(frame, cli_results(tmp_path, [day_file], *options, suffix=SUFFIXES[method, plane]))
    rejected = frame.drop(columns="Time", errors="ignore").isna().all(axis=1)
    assert rejected.sum() == 1
    assert frame.attrs["rotation"] == ("2-axis" if plane is None else "planar fit")
    if plane is not None:
        assert frame.attrs["planar_fit"] == tuple(float(np.float32(b)) for b in plane)


def test_default_results_keep_their_time_text_and_standard_ones_end_each_half_hour(day_file):
    default = kelvara.process(day_file, method="default")
    standard = kelvara.process(day_file)
    assert default["Time"].iloc[0] == "2024-06-01 10:0"
    assert isinstance(standard.index, pd.DatetimeIndex) and standard.index.name == "time"
    assert standard.index[0] == pd.Timestamp("2024-06-01 10:00")
    assert standard.loc["2024-06-01 11:30"].isna().all()  # the half hour 11:00 to 11:30, rejected
    assert "2024-06-01 14:30" not in standard.index  # three records: no half hour


def test_corrected_fluxes_from_a_site_file_or_a_dict_are_the_command_lines(tmp_path, day_file, site_file):
    expected = cli_results(tmp_path, [day_file], "--site", site_file, "-j", 1, suffix=".flux.csv")
    from_file = kelvara.process(day_file, site=site_file)
    from_dict = kelvara.process(day_file, site=SITE_DICT)
    assert_frame_is_file(from_file, expected)
    pd.testing.assert_frame_equal(from_file, from_dict, check_like=False)
    site = from_dict.attrs["site"]
    assert site["site"]["measurement_height"] == 3.5 and site["irga"]["sep_east"] == 0.15
    assert site["sonic"]["path_length"] == 0.115  # a default, filled in
    assert from_dict.attrs["method"] == "corrected" and from_dict.attrs["sampling_frequency"] == 10.0


def test_a_logger_table_read_by_its_header_is_the_command_lines(tmp_path, table_file):
    frame = kelvara.process(table_file, columns="auto")
    assert_frame_is_file(frame, cli_results(tmp_path, [table_file], "--standard", "--columns", "auto", "-j", 1,
                                            suffix=".s1w"))
    assert frame.attrs["columns"] == "auto"


def test_a_column_map_is_the_command_lines(tmp_path, shuffled_table_file):
    columns = {"time": 1, "U": "Ux", "V": "Uy", "W": "Uz", "CO2": "co2", "H2O": "h2o", "Ts": "Ts", "P": "press",
               "status": "diag_sonic"}
    frame = kelvara.process(shuffled_table_file, columns=columns)
    map_text = ",".join(f"{target}={column}" for target, column in columns.items())
    assert_frame_is_file(frame, cli_results(tmp_path, [shuffled_table_file], "--standard", "--columns", map_text,
                                            "-j", 1, suffix=".s1w"))
    assert frame.attrs["columns"] == map_text and not frame.isna().all().all()


def test_a_stream_of_files_on_two_threads_is_the_command_lines(tmp_path, stream_files):
    with pytest.warns(kelvara.KelvaraWarning, match="order of their first time stamps"):
        frame = kelvara.process(stream_files, jobs=2)
    assert_frame_is_file(frame, cli_results(tmp_path, stream_files, "--standard", "-j", 2, suffix=".s1w"))
    with pytest.warns(kelvara.KelvaraWarning):
        one_thread = kelvara.process(stream_files, jobs=1)
    pd.testing.assert_frame_equal(frame, one_thread, check_exact=True)
    assert len(frame) == 8 and frame.index.is_monotonic_increasing


def test_default_method_takes_each_file_on_its_own_in_the_order_given(tmp_path, stream_files):
    frame = kelvara.process(stream_files, method="default", jobs=2)
    parts = []
    for number, file in enumerate(stream_files):
        folder = tmp_path / str(number)
        folder.mkdir()
        parts.append(kelvara.process(file, method="default"))
        assert_frame_is_file(parts[-1], cli_results(folder, [file], suffix=".r1w"))
    pd.testing.assert_frame_equal(frame, pd.concat(parts, ignore_index=True), check_exact=True)
    assert frame["Time"].iloc[0].startswith("2024-06-02 2:")  # the second file, given first


def test_planar_fit_auto_fits_the_plane_over_the_same_files_first(tmp_path, stream_files):
    with pytest.warns(kelvara.KelvaraWarning):
        frame = kelvara.process(stream_files, planar_fit="auto", jobs=2)
    assert_frame_is_file(frame, cli_results(tmp_path, stream_files, "--standard", "--planar-fit", "auto", "-j", 2,
                                            suffix=".sfw"))
    assert frame.attrs["plane_fitted"] and frame.attrs["rotation"] == "planar fit"


def test_attrs_tell_how_the_frame_was_made(day_file):
    frame = kelvara.process(day_file, method="default", good_status=[0, 1, 2, 3], jobs=1)
    attrs = frame.attrs
    assert attrs["method"] == "default" and attrs["rotation"] == "2-axis" and attrs["planar_fit"] is None
    assert attrs["good_status"] == "0,1,2,3" and attrs["columns"] == "default" and attrs["site"] is None
    assert attrs["files"] == [str(day_file)] and attrs["version"] == kelvara.__version__


def test_a_status_rule_that_keeps_nothing_warns_that_no_fluxes_were_computed(day_file):
    with pytest.warns(kelvara.KelvaraWarning, match="no fluxes computed"):
        frame = kelvara.process(day_file, good_status="200")
    assert frame.isna().all().all() and list(frame.columns)[-1] == "Records"


def test_progress_shows_on_stderr_to_the_end(day_file, capsys, monkeypatch):
    kelvara.process(day_file, progress=True)
    assert "kelvara" in capsys.readouterr().err
    monkeypatch.setitem(sys.modules, "tqdm", None)  # not installed: a plain line
    kelvara.process(day_file, progress=True)
    line = f"\rkelvara: 100% of {day_file.stat().st_size / 1e6:.1f} MB\n"
    shown = capsys.readouterr().err
    # The line is ended before a warning is written below it.
    assert shown.startswith(line) or shown.endswith(line)
