"""TALVEX 3D charts from Python.

    import numpy as np, talvex
    x = np.linspace(-3, 3, 60)
    talvex.surface(np.sin(x)[None, :] * np.cos(x)[:, None], x=x, y=x)   # a chart of data
    talvex.plot("z = sin(x)*cos(y)")                                     # or of a script
    chart = talvex.Chart(400, 300)
    chart.set_script(0, "z = sin(x)*cos(y)")
    chart.calculate()
    chart.isometric_view()
    chart            # in Jupyter: the picture
    chart.save("surface.png")

Scripts are the TALVEX script language (docs/scripts.md); the library is
libtalvex.so, found as described in talvex._library.
"""

from ._library import LibraryNotFound, find_library, library
from ._interactive import Interactive
from .chart import CalculationError, Chart, ScriptError, SlotError, TalvexError
from .plotting import curve, plot, scatter, surface
from .style import COLORMAPS, Style

__version__ = "1.0.0"
__all__ = ["Chart", "Interactive", "Style", "COLORMAPS", "surface", "curve", "scatter", "plot", "TalvexError", "ScriptError", "SlotError", "CalculationError", "LibraryNotFound", "find_library",
           "library_version"]


def library_version() -> str:
    """The version of the libtalvex.so in use ("1.0.0"), as the library itself tells it."""
    lib = library()
    if not lib.has("talvex_version"):
        return "unknown (this libtalvex.so has no talvex_version)"
    version: bytes = lib.talvex_version()
    return version.decode("ascii", "replace")
