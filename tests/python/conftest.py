"""What the tests of the Python module share: the command line and the
sample generator of the build (named by the environment ctest sets), raw
files made once per session, and the comparison of a DataFrame with the
results file the command line writes for the same inputs."""

import datetime
import os
import subprocess
import tempfile

import numpy as np
import pytest

CLI = os.environ.get("KELVARA_CLI", "kelvara-cli")
SAMPLE = os.environ.get("KELVARA_SAMPLE", "kelvara-sample")

# A half hour whose Ts lies above every range limit (rejected), and three
# records of a half hour after the file's end (too few for a line).
REJECTED_HALF_HOUR = ("2024-06-01 11:00", "2024-06-01 11:30")
SHORT_HALF_HOUR_START = datetime.datetime(2024, 6, 1, 14, 0)


def run_cli(*arguments):
    return subprocess.run([CLI, "-q", *map(str, arguments)], check=True, capture_output=True, text=True)


def make_sample(path, *arguments):
    subprocess.run([SAMPLE, *map(str, arguments), str(path)], check=True, capture_output=True)
    return path


def _with_rejected_and_short(path):
    """Ts = 99 through one half hour; three records of a later half hour."""
    with open(path, "rb") as file:
        lines = file.read().split(b"\r\n")
    last = lines[-1] if lines[-1] else None
    start, end = (text.encode() for text in REJECTED_HALF_HOUR)
    out = []
    for line in lines[:-1] if last is None else lines:
        stamp = line[1:17]
        if line.startswith(b'"2024') and start <= stamp < end:
            fields = line.split(b",")
            fields[6] = b"99.0"
            line = b",".join(fields)
        out.append(line)
    record = out[-1].split(b",")
    for tenth in range(3):
        stamp = SHORT_HALF_HOUR_START + datetime.timedelta(milliseconds=100 * tenth)
        record[0] = b'"' + stamp.strftime("%Y-%m-%d %H:%M:%S.%f")[:21].encode() + b'"'
        out.append(b",".join(record))
    with open(path, "wb") as file:
        file.write(b"\r\n".join(out) + b"\r\n")
    return path


@pytest.fixture(scope="session")
def raw_dir(tmp_path_factory):
    return tmp_path_factory.mktemp("raw")


@pytest.fixture(scope="session")
def day_file(raw_dir):
    """Four hours from 09:50 with spikes and bad status values: a partial
    first half hour, a rejected one and a short one."""
    path = make_sample(raw_dir / "day.dat", "--start", "2024-06-01 09:50:00", "--hours", 4, "--spike-rate", 0.001,
                       "--bad-status-rate", 0.001)
    return _with_rejected_and_short(path)


@pytest.fixture(scope="session")
def stream_files(raw_dir):
    """Two files that follow each other, given in the wrong order."""
    first = make_sample(raw_dir / "stream_a.dat", "--start", "2024-06-02 00:00:00", "--hours", 2, "--seed", 2)
    second = make_sample(raw_dir / "stream_b.dat", "--start", "2024-06-02 02:00:00", "--hours", 2, "--seed", 3)
    return [str(second), str(first)]


@pytest.fixture(scope="session")
def table_file(raw_dir):
    """A logger table: header names and units, a record-number column, Ts in K."""
    return make_sample(raw_dir / "table.dat", "--table", "--ts-unit", "K", "--start", "2024-06-03 10:00:00", "--hours",
                       2)


@pytest.fixture(scope="session")
def shuffled_table_file(raw_dir):
    """A logger table in the programs' units, its columns in another order."""
    return make_sample(raw_dir / "shuffled.dat", "--table", "--column-order", "TIMESTAMP", "RECORD", "Ts", "Uz", "Ux",
                       "Uy", "diag_sonic", "press", "h2o", "co2", "--start", "2024-06-03 10:00:00", "--hours", 2)


@pytest.fixture(scope="session")
def site_file(raw_dir):
    path = raw_dir / "site.ini"
    path.write_text("[site]\nmeasurement_height = 3.5\nlatitude = 52.1\ncanopy_height = 0.4\n"
                    "[irga]\nsep_east = 0.15\n")
    return path


SITE_DICT = {"site": {"measurement_height": 3.5, "latitude": 52.1, "canopy_height": 0.4}, "irga": {"sep_east": 0.15}}


@pytest.fixture
def private_tmp(tmp_path, monkeypatch):
    """The folder the module's temporaries go to, to see that none stays."""
    folder = tmp_path / "tmp"
    folder.mkdir()
    monkeypatch.setattr(tempfile, "tempdir", str(folder))
    return folder


def _number_text(value, form):
    """A value as the programs write it; a NaN keeps its sign, as printf shows it."""
    if np.isnan(value):
        return "-nan" if np.signbit(value) else "nan"
    return form % value


def _line_of(time_fields, values, columns, corrected):
    if corrected:
        # Every number in %.9g, counts as integers; nothing computed is -9999.
        return ",".join([*time_fields, *("-9999" if np.isnan(v) else _number_text(v, "%.9g") for v in values)])
    if np.isnan(values).all():
        return time_fields[0] + "," * len(columns)  # a rejected half hour: its Time and empty fields
    texts = [_number_text(v, "%g") for v in values[:-1]]
    return ",".join([time_fields[0], *texts, "%d" % values[-1]])  # Records, an integer


def file_text_of(frame, corrected):
    """The results file the frame's rows make, header and line ends
    included: the frame's numbers rounded as the programs round them."""
    columns = [column for column in frame.columns if column != "Time"]
    values = frame[columns].to_numpy()
    if corrected:
        header = ["TIMESTAMP_START", "TIMESTAMP_END", *columns]
        ends = frame.index
        times = zip((ends - datetime.timedelta(minutes=30)).strftime("%Y%m%d%H%M"), ends.strftime("%Y%m%d%H%M"))
        line_end = "\n"
    else:
        header = ["Time", *columns]
        times = ([time] for time in (frame["Time"] if "Time" in frame.columns else
                                     frame.index.strftime("%Y-%m-%d %H:%M")))
        line_end = "\r\n"
    lines = [",".join(header)] + [_line_of(time, row, columns, corrected) for time, row in zip(times, values)]
    return "".join(line + line_end for line in lines)


def assert_frame_is_file(frame, path):
    """The results file, byte for byte, is the frame's rows written out:
    every column, each number the frame's rounded as the file rounds it,
    rejected half hours NaN throughout."""
    corrected = str(path).endswith(".flux.csv")
    if not corrected:
        assert ("Time" in frame.columns) != (frame.index.name == "time")
    with open(path, encoding="utf-8", newline="") as file:
        expected = file.read()
    written = file_text_of(frame, corrected)
    assert written.splitlines(keepends=True) == expected.splitlines(keepends=True)
