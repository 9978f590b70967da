"""`cmake --install` puts the module where Debian's Python finds it: under
/usr (the package) and under /usr/local (an installation by hand)."""

import os
import site
import subprocess
import sys

import pytest

INSTALL_SCRIPT = os.environ.get("KELVARA_PYTHON_INSTALL_SCRIPT")


@pytest.mark.skipif(not INSTALL_SCRIPT, reason="KELVARA_PYTHON_INSTALL_SCRIPT names no build's install script")
@pytest.mark.parametrize("prefix", ["/usr", "/usr/local"])
def test_the_installed_module_is_where_the_interpreter_looks(tmp_path, prefix):
    subprocess.run(["cmake", f"-DCMAKE_INSTALL_PREFIX={prefix}", "-P", INSTALL_SCRIPT], check=True,
                   capture_output=True, env={**os.environ, "DESTDIR": str(tmp_path)})
    found = [folder for folder in site.getsitepackages() if os.path.isfile(f"{tmp_path}{folder}/kelvara/__init__.py")]
    assert len(found) == 1, f"not installed into one of {site.getsitepackages()}"
    folder = f"{tmp_path}{found[0]}"
    shown = subprocess.run([sys.executable, "-c", "import kelvara; print(kelvara.__file__, kelvara.__version__)"],
                           check=True, capture_output=True, text=True, cwd=tmp_path,
                           env={**os.environ, "PYTHONPATH": folder}).stdout.split()
    assert shown == [f"{folder}/kelvara/__init__.py", __import__("kelvara").__version__]
