"""Every failure raises, names what failed, and leaves nothing behind: no
temporary folder, no results file beside the raw files."""

import os

import pytest

import kelvara
from conftest import make_sample


@pytest.fixture
def untouched(day_file, private_tmp):
    """The raw folder and the temporaries' folder as they were."""
    folder = day_file.parent
    before = sorted(os.listdir(folder))
    yield
    assert sorted(os.listdir(folder)) == before
    assert os.listdir(private_tmp) == []


def test_a_missing_file_raises_file_not_found_naming_it(untouched, day_file, tmp_path):
    missing = tmp_path / "missing.dat"
    for call in (lambda: kelvara.process([day_file, missing]), lambda: kelvara.planefit(missing),
                 lambda: kelvara.read_raw(missing), lambda: kelvara.read_results(missing),
                 lambda: kelvara.process(day_file, range_file=missing), lambda: kelvara.process(day_file, site=missing)):
        with pytest.raises(FileNotFoundError) as raised:
            call()
        assert raised.value.filename == str(missing)


def test_a_folder_raises_an_os_error_naming_it(untouched, tmp_path):
    with pytest.raises(IsADirectoryError) as raised:
        kelvara.process(tmp_path, method="default")
    assert raised.value.filename == str(tmp_path)


@pytest.mark.skipif(os.geteuid() == 0, reason="root reads every file")
def test_an_unreadable_file_raises_permission_error(untouched, tmp_path):
    locked = tmp_path / "locked.dat"
    locked.write_text("x\n")
    locked.chmod(0)
    with pytest.raises(PermissionError):
        kelvara.process(locked)


@pytest.mark.parametrize("options, option", [
    ({"method": "fancy"}, "method"),
    ({"columns": "U=Ux"}, "columns"),
    ({"columns": 3}, "columns"),
    ({"good_status": "zero"}, "good_status"),
    ({"good_status": [0, "1"]}, "good_status"),
    ({"planar_fit": (0.1, 0.2)}, "planar_fit"),
    ({"planar_fit": "fitted"}, "planar_fit"),
    ({"jobs": 0}, "jobs"),
    ({"site": {"site": {"latitude": 52.1}}}, "site"),
    ({"site": {"site": {"measurement_height": 3, "latitude": 52.1, "height": 2}}}, "site"),
    ({"site": {"sonic": "fast"}}, "site"),
    ({"site": {"site": {"measurement_height": 3, "latitude": 52.1}}, "method": "default"}, "site"),
])
def test_an_option_that_does_not_read_raises_value_error_naming_it(untouched, day_file, options, option):
    with pytest.raises(ValueError, match=f"^{option}: "):
        kelvara.process(day_file, **options)


def test_a_site_dict_error_names_the_key_as_the_file_reader_does(day_file):
    with pytest.raises(ValueError) as raised:
        kelvara.process(day_file, site={"site": {"measurement_height": -1, "latitude": 52.1}})
    assert "measurement_height" in str(raised.value) and "line" not in str(raised.value)


def test_a_job_failure_raises_kelvara_error_with_the_programs_message(untouched, raw_dir):
    broken = raw_dir / "broken.dat"
    lines = open(make_sample(broken, "--hours", 1), "rb").read().split(b"\r\n")
    lines[100] = b'"2024-06-01 yesterday",1,2,3,4,5,6,7,0'
    broken.write_bytes(b"\r\n".join(lines))
    with pytest.raises(kelvara.Error, match="Can't Read Time Stamp!") as raised:
        kelvara.process(broken)
    assert str(broken) in str(raised.value) and "line 101" in str(raised.value)
    with pytest.raises(kelvara.Error, match="Can't Read Time Stamp!"):
        kelvara.read_raw(broken)
    broken.unlink()


def test_columns_the_header_lacks_raise_kelvara_error(untouched, day_file):
    with pytest.raises(kelvara.Error, match="Input Columns Don't Match!"):
        kelvara.process(day_file, columns={"U": "Ux", "V": "Uy", "W": "Uz", "CO2": "co2", "H2O": "h2o", "Ts": "Ts",
                                           "P": "press", "status": "diag_sonic"})


def test_a_file_that_is_no_results_file_raises_value_error(day_file):
    with pytest.raises(ValueError, match="no results file"):
        kelvara.read_results(day_file)


def test_a_plane_that_cannot_be_fitted_first_raises_plane_fit_refused(untouched, raw_dir):
    hour = make_sample(raw_dir / "hour.dat", "--hours", 1)
    with pytest.raises(kelvara.PlaneFitRefused, match="^planar fit refused: only 2 blocks kept"):
        kelvara.process(hour, planar_fit="auto")
    hour.unlink()
