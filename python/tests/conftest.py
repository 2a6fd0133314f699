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


@pytest.fixture
def chart():
    with talvex.Chart(200, 150) as made:
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
