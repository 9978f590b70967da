"""Processing releases the GIL: other Python threads run meanwhile, and
calls in two threads at once give what each gives alone."""

import threading
import time

import pandas as pd
import pytest

import kelvara
from conftest import make_sample


@pytest.fixture(scope="module")
def long_files(raw_dir):
    return [make_sample(raw_dir / f"long_{seed}.dat", "--hours", 12, "--seed", seed) for seed in (11, 12)]


class Heartbeat:
    """A Python thread that notes the time every 5 ms: a long gap means
    that something held the GIL."""

    def __init__(self):
        self.beats = []
        self._running = True
        self._thread = threading.Thread(target=self._beat)

    def _beat(self):
        while self._running:
            self.beats.append(time.perf_counter())
            time.sleep(0.005)

    def __enter__(self):
        self._thread.start()
        return self

    def __exit__(self, *exception):
        self._running = False
        self._thread.join()

    def longest_gap(self, start, end):
        inside = [beat for beat in self.beats if start <= beat <= end]
        return max(b - a for a, b in zip([start, *inside], [*inside, end]))


def test_python_threads_run_while_files_are_processed(long_files):
    with Heartbeat() as heart:
        start = time.perf_counter()
        frame = kelvara.process(long_files * 2, method="default")
        end = time.perf_counter()
    # Held through the call, the GIL would stop the heart for all of it;
    # the waiting thread takes it only for a moment every 100 ms.
    assert heart.longest_gap(start, end) < (end - start) / 3, f"the call took {end - start:.2f} s"
    assert len(frame) == 4 * 24


def test_two_threads_processing_at_once_each_get_their_files_frame(long_files):
    frames = {}

    def process(file):
        frames[file] = kelvara.process(file, method="standard", jobs=2)

    threads = [threading.Thread(target=process, args=(file,)) for file in long_files]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for file in long_files:
        pd.testing.assert_frame_equal(frames[file], kelvara.process(file), check_exact=True)
