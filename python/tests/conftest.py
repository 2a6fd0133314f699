import os
import sys

import pytest

# The package from this source tree, unless a test installs it elsewhere.
sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))

import talvex  # noqa: E402

REPOSITORY = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SURFACE = "z = sin(x)*cos(y)"
# The native interface (pictures and geometry without files) comes with
# include/talvex_native.h: where the header is, the library must have it.
NATIVE_HEADER = os.path.exists(os.path.join(REPOSITORY, "include", "talvex_native.h"))
PINK = (0xFF, 0x00, 0x80)


# The classic look, the picture of the 33 functions: most tests look for its
# chessboard and its turns.
@pytest.fixture
def chart():
    with talvex.Chart(200, 150, style="classic") as made:
        yield made


@pytest.fixture
def surface(chart):
    chart.set_script(0, SURFACE)
    chart.calculate()
    chart.isometric_view()
    return chart


def count_pink(rgb):
    """Pixels of slot 0's colours: red well above green, blue between."""
    r, g, b = (rgb[:, :, i].astype(int) for i in range(3))
    return int(((r > 150) & (r > g + 60) & (b > g)).sum())


@pytest.fixture(scope="session")
def installed_venv(tmp_path_factory):
    """A fresh venv (numpy from the system) with `pip install ./python` done as
    a user does it offline: (its python, its site-packages)."""
    import subprocess
    directory = tmp_path_factory.mktemp("installed")
    venv = directory / "venv"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(venv)], check=True, timeout=300)
    python = str(venv / "bin" / "python")
    env = {k: v for k, v in os.environ.items() if k not in ("TALVEX_LIBRARY", "PYTHONPATH")}
    # Where setup.py builds by default, as for a user: pip builds in python/
    # itself, so its build/temp.*/cmake is kept and the next run compiles
    # only what changed.
    env.pop("TALVEX_BUILD_DIR", None)
    installed = subprocess.run(
        [python, "-m", "pip", "install", "--no-index", "--no-build-isolation", "--no-cache-dir",
         os.path.join(REPOSITORY, "python")],
        capture_output=True, text=True, timeout=900, cwd=directory, env=env)
    assert installed.returncode == 0, installed.stdout + installed.stderr
    site = subprocess.run([python, "-c", "import sysconfig; print(sysconfig.get_paths()['purelib'])"],
                          capture_output=True, text=True, check=True).stdout.strip()
    assert site.startswith(str(venv))
    return python, site
