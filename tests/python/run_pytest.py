"""Runs one file of the Python module's tests with pytest, or tells ctest
that they are skipped (exit status 77) when the interpreter lacks what
they need, naming the Debian packages that bring it."""

import importlib.util
import sys

SKIPPED = 77
NEEDED = {"pytest": "python3-pytest", "numpy": "python3-numpy", "pandas": "python3-pandas"}


def main(arguments):
    missing = [module for module in NEEDED if importlib.util.find_spec(module) is None]
    if missing:
        packages = " ".join(NEEDED[module] for module in missing)
        print(f"skipped: {sys.executable} cannot import {', '.join(missing)} (Debian: {packages})")
        return SKIPPED
    import pytest

    return pytest.main(["-q", "-p", "no:cacheprovider", *arguments])


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
