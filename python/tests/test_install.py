"""How the package finds libtalvex.so, and `pip install ./python`, which builds
and bundles it, into a fresh venv. Each case runs a fresh interpreter, as the
library is loaded once a process."""
import glob
import os
import shutil
import subprocess
import sys

import pytest

from conftest import REPOSITORY

BUILT = os.environ["TALVEX_LIBRARY"]

DRAW = """
import talvex
print(talvex.find_library())
with talvex.Chart(64, 48, style="classic") as chart:
    chart.set_script(0, "z = sin(x)*cos(y)")
    picture = chart.picture()
    print(int(((picture[:, :, 0] > 150) & (picture[:, :, 1] < 100)).sum()))
"""


def run(python, code, cwd, **environment):
    env = {k: v for k, v in os.environ.items() if k not in ("TALVEX_LIBRARY", "PYTHONPATH")}
    env.update(environment)
    return subprocess.run([python, "-c", code], cwd=cwd, env=env, capture_output=True, text=True, timeout=120)


def copy_libraries(directory):
    os.makedirs(directory, exist_ok=True)
    for path in glob.glob(os.path.join(os.path.dirname(BUILT), "libtalvex*.so*")):
        shutil.copy2(path, directory, follow_symlinks=False)


def assert_drew_with(result, library_directory):
    assert result.returncode == 0, result.stderr
    found, pink = result.stdout.split()
    assert os.path.dirname(os.path.realpath(found)) == os.path.realpath(library_directory)
    assert int(pink) > 50


def test_talvex_library_names_the_library(tmp_path):
    result = run(sys.executable, DRAW, tmp_path, PYTHONPATH=os.path.join(REPOSITORY, "python"),
                 TALVEX_LIBRARY=BUILT)
    assert_drew_with(result, os.path.dirname(BUILT))
    missing = str(tmp_path / "nowhere" / "libtalvex.so")
    result = run(sys.executable, DRAW, tmp_path, PYTHONPATH=os.path.join(REPOSITORY, "python"),
                 TALVEX_LIBRARY=missing)
    assert result.returncode != 0 and "LibraryNotFound" in result.stderr and missing in result.stderr


def test_a_library_beside_the_package_is_found(tmp_path):
    shutil.copytree(os.path.join(REPOSITORY, "python", "talvex"), tmp_path / "talvex")
    copy_libraries(tmp_path / "talvex")
    assert_drew_with(run(sys.executable, DRAW, tmp_path, PYTHONPATH=str(tmp_path)), tmp_path / "talvex")


def test_a_library_in_the_packages_prefix_is_found(tmp_path):
    # <prefix>/lib/python3/dist-packages/talvex with the library in <prefix>/lib.
    packages = tmp_path / "prefix" / "lib" / "python3" / "dist-packages"
    shutil.copytree(os.path.join(REPOSITORY, "python", "talvex"), packages / "talvex")
    copy_libraries(tmp_path / "prefix" / "lib")
    assert_drew_with(run(sys.executable, DRAW, tmp_path, PYTHONPATH=str(packages)), tmp_path / "prefix" / "lib")


def test_pip_install_bundles_the_library_it_builds(installed_venv, tmp_path):
    python, site = installed_venv
    package = os.path.join(site, "talvex")
    for name in ("libtalvex.so", "libtalvex_window.so.1", "py.typed"):
        assert os.path.isfile(os.path.join(package, name)), name
    # Nothing in the environment points at the build tree.
    assert_drew_with(run(python, DRAW, tmp_path), package)
    # TALVEX_LIBRARY still wins over the bundled copy.
    assert_drew_with(run(python, DRAW, tmp_path, TALVEX_LIBRARY=BUILT), os.path.dirname(BUILT))


def test_pip_install_without_the_c_sources_says_so(installed_venv, tmp_path):
    # python/ alone, as a source archive of the package would be. The venv's
    # pip: the system's Python need not have one.
    python, _ = installed_venv
    source = tmp_path / "python"
    shutil.copytree(os.path.join(REPOSITORY, "python"), source,
                    ignore=shutil.ignore_patterns("tests", "build", "*.egg-info", "__pycache__"))
    installed = subprocess.run(
        [python, "-m", "pip", "wheel", "--no-deps", "--no-index", "--no-build-isolation",
         "--wheel-dir", str(tmp_path / "wheels"), str(source)],
        capture_output=True, text=True, timeout=300, cwd=tmp_path)
    assert installed.returncode != 0
    assert "the C sources are not in %s" % tmp_path in installed.stdout + installed.stderr
