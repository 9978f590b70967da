"""Ctrl+C stops a long call within a second with KeyboardInterrupt, and
leaves nothing behind."""

import os
import signal
import time

import pytest

import kelvara
from conftest import make_sample


@pytest.fixture(scope="module")
def long_files(raw_dir):
    """Two days that follow each other: one stream of 48 hours."""
    return [make_sample(raw_dir / f"interrupted_{day}.dat", "--hours", 24, "--seed", 21 + day, "--start",
                        f"2024-06-{day + 1:02d} 00:00:00") for day in (1, 2)]


@pytest.fixture(scope="module")
def same_day_files(long_files, tmp_path_factory):
    """One day under four names (hard links): four files to fit over."""
    folder = tmp_path_factory.mktemp("links")
    names = [folder / f"day_{number}.dat" for number in range(4)]
    for name in names:
        os.link(long_files[0], name)
    return names


@pytest.fixture
def ctrl_c_once_running(monkeypatch):
    """Presses Ctrl+C at the call's first progress tick, when the engine is
    surely at work; the time it was pressed is kept."""
    pressed = []

    class CtrlC:
        def __call__(self, done, total):
            if not pressed:
                pressed.append(time.perf_counter())
                os.kill(os.getpid(), signal.SIGINT)

        def close(self, finished):
            assert not finished

    monkeypatch.setattr(kelvara, "progress_for", lambda wanted, description: CtrlC())
    return pressed


@pytest.mark.parametrize("call", [
    lambda days, links: kelvara.process(days * 10, method="default", progress=True),
    lambda days, links: kelvara.process(days, jobs=1, progress=True),
    lambda days, links: kelvara.process(days, jobs=2, progress=True),
    lambda days, links: kelvara.planefit(links, progress=True),
    lambda days, links: kelvara.read_raw(days[0], progress=True),
], ids=["default", "standard", "standard-two-threads", "planefit", "read_raw"])
def test_ctrl_c_raises_keyboard_interrupt_within_a_second(long_files, same_day_files, private_tmp,
                                                          ctrl_c_once_running, call):
    raw_files = sorted(os.listdir(long_files[0].parent))
    with pytest.raises(KeyboardInterrupt):
        call(long_files, same_day_files)
    stopped = time.perf_counter()
    assert ctrl_c_once_running and stopped - ctrl_c_once_running[0] < 1.0
    assert os.listdir(private_tmp) == []
    assert sorted(os.listdir(long_files[0].parent)) == raw_files
