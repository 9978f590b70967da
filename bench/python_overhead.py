"""The Python module's cost over the command line: kelvara.process on a
generated day of 10 Hz data against `kelvara-cli run` on the same file,
taking turns so that a busy moment of the machine falls on both alike.
The call is timed inside one interpreter (numpy and pandas already
loaded); the command line's time is a whole program run.

Usage: PYTHONPATH=build/python /usr/bin/python3 bench/python_overhead.py [BUILD_DIR]
  RUNS=N turns (default 7), HOURS=H of data (default 24).
"""

import os
import statistics
import subprocess
import sys
import tempfile
import time
import warnings

import kelvara


def seconds(call):
    start = time.perf_counter()
    call()
    return time.perf_counter() - start


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    cli = os.path.join(build, "cli", "kelvara-cli")
    sample = os.path.join(build, "tools", "sample_generator", "kelvara-sample")
    runs = int(os.environ.get("RUNS", 7))
    hours = os.environ.get("HOURS", "24")
    warnings.simplefilter("ignore", kelvara.KelvaraWarning)
    with tempfile.TemporaryDirectory(prefix="kelvara-python-bench-") as work:
        raw = os.path.join(work, "day.dat")
        subprocess.run([sample, "--hours", hours, raw], check=True)
        # An empty Windows directory: both run on the built-in range limits.
        os.environ["WINDIR"] = work
        megabytes = os.path.getsize(raw) / 1e6
        print(f"{hours} h of 10 Hz data, {megabytes:.1f} MB, {runs} turns")
        for method, options in (("default", []), ("standard", ["--standard"])):
            command = [cli, "-q", "run", raw, "-o", os.path.join(work, "out"), *options]
            cli_times, python_times = [], []
            for _ in range(runs):
                cli_times.append(seconds(lambda: subprocess.run(command, check=False)))
                python_times.append(seconds(lambda: kelvara.process(raw, method=method)))
            cli_median, python_median = statistics.median(cli_times), statistics.median(python_times)
            print(f"{method:9s} kelvara-cli {cli_median:.3f} s ({megabytes / cli_median:.0f} MB/s), "
                  f"kelvara.process {python_median:.3f} s ({megabytes / python_median:.0f} MB/s), "
                  f"ratio {python_median / cli_median:.3f}")


if __name__ == "__main__":
    main()
