"""kelvara.planefit reports what `kelvara-cli planefit --json` reports."""

import json
import subprocess

import pytest

import kelvara
from conftest import CLI, make_sample


@pytest.fixture(scope="module")
def tilted_file(raw_dir):
    return make_sample(raw_dir / "tilted.dat", "--tilted-plane", 0.04, -0.03, 0.02, "--seed", 7)


def cli_fit(*arguments):
    done = subprocess.run([CLI, "planefit", "--json", *map(str, arguments)], capture_output=True, text=True)
    return json.loads(done.stdout)


def test_the_fit_is_the_command_lines(tilted_file):
    fit = kelvara.planefit(tilted_file, min_records=900)
    expected = cli_fit(tilted_file, "--min-records", 900)
    assert expected["ok"]
    assert fit.b == (expected["b0"], expected["b1"], expected["b2"])
    assert fit.stderr == (expected["se_b0"], expected["se_b1"], expected["se_b2"])
    assert (fit.alpha, fit.beta) == (expected["alpha_deg"], expected["beta_deg"])
    assert (fit.r2, fit.rms, fit.max_residual) == (expected["r2"], expected["rms_residual"],
                                                   expected["max_abs_residual"])
    assert fit.sectors == expected["sectors"] and fit.used == expected["blocks_used"]
    assert fit.excluded.to_dict("records") == expected["excluded"]
    assert list(fit.excluded.columns) == ["time", "reason"] and len(fit.excluded) > 0


def test_a_plane_the_data_do_not_determine_is_refused_with_the_reason(day_file):
    # No half hour holds more than 18000 records: every one is left out.
    expected = cli_fit(day_file, "--min-records", 18001)
    assert not expected["ok"]
    with pytest.raises(kelvara.PlaneFitRefused) as refused:
        kelvara.planefit(day_file, min_records=18001)
    assert str(refused.value) == expected["reason"]
    assert isinstance(refused.value, kelvara.Error)


def test_the_screen_is_checked(tilted_file):
    with pytest.raises(ValueError, match="u_min"):
        kelvara.planefit(tilted_file, u_min=-1)
    with pytest.raises(ValueError, match="min_records"):
        kelvara.planefit(tilted_file, min_records=1.5)
