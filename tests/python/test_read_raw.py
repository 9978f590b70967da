"""kelvara.read_raw gives the records as the reader sees them."""

import numpy as np
import pandas as pd

import kelvara


def test_the_records_of_a_raw_file(day_file):
    frame = kelvara.read_raw(day_file)
    lines = open(day_file, encoding="ascii", newline="").read().split("\r\n")[4:-1]
    assert len(frame) == len(lines)
    first = lines[0].split(",")
    assert frame.index[0] == pd.Timestamp(first[0].strip('"'))
    assert list(frame.columns) == ["U", "V", "W", "CO2", "H2O", "Ts", "P", "status"]
    assert frame.iloc[0, :7].tolist() == [float(np.float32(text)) for text in first[1:8]]
    assert frame["status"].dtype == np.int32 and frame["U"].dtype == np.float32
    assert (frame.loc["2024-06-01 11:00":"2024-06-01 11:29:59.9", "Ts"] == np.float32(99.0)).all()


def test_a_logger_table_converts_its_units(table_file):
    frame = kelvara.read_raw(table_file, columns="auto")
    kelvin = kelvara.read_raw(table_file, columns="auto", unit_check=False)
    np.testing.assert_allclose(kelvin["Ts"] - frame["Ts"], 273.15, rtol=1e-5)
