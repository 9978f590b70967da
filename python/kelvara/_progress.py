"""The progress of a long call: a tqdm bar when tqdm is installed, a plain
line on standard error otherwise. The compiled part calls it about ten
times a second, from the calling thread, with the bytes of raw data read,
and closes it when the work has ended."""

import sys


class _PlainLine:
    """ "kelvara: 42% of 120.3 MB", redrawn in place."""

    def __init__(self, description):
        self._description = description
        self._shown = None
        self._total = 0

    def __call__(self, done, total):
        self._total = total
        percent = min(100, done * 100 // total) if total > 0 else 100
        if percent == self._shown:
            return
        self._shown = percent
        sys.stderr.write(f"\r{self._description}: {percent:3d}% of {total / 1e6:.1f} MB")
        sys.stderr.flush()

    def close(self, finished):
        if finished and self._shown is not None:
            self(self._total, self._total)
        if self._shown is not None:
            sys.stderr.write("\n")
            sys.stderr.flush()


class _TqdmBar:
    def __init__(self, tqdm, description):
        self._tqdm = tqdm
        self._description = description
        self._bar = None

    def __call__(self, done, total):
        if self._bar is None:
            self._bar = self._tqdm(total=total, desc=self._description, unit="B", unit_scale=True,
                                   unit_divisor=1024, leave=True)
        self._bar.update(max(0, min(done, total) - self._bar.n))

    def close(self, finished):
        if self._bar is None:
            return
        if finished:
            self._bar.update(self._bar.total - self._bar.n)
        self._bar.close()


def progress_for(wanted, description):
    """What the compiled part draws the progress with, None when none is
    wanted: called with (bytes done, bytes total) about ten times a second
    and at the end, then closed (close(finished)) before any warning or
    error is shown."""
    if not wanted:
        return None
    try:
        from tqdm import tqdm
    except ImportError:
        return _PlainLine(description)
    return _TqdmBar(tqdm, description)
