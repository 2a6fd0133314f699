"""Charts in one call, as a numpy user reaches for them first: each returns a
talvex.Chart (in the chart look) that shows itself in a notebook."""

from typing import Literal, Optional, Union, overload

from ._interactive import Interactive
from .chart import Chart
from .style import Style

_WIDTH, _HEIGHT = 640, 480


def _chart(width: int, height: int, style: Union[str, Style], title: str) -> Chart:
    chart = Chart(width, height, style=style)
    if title:
        look = chart.style
        look.title = title
        chart.style = look
    return chart


@overload
def surface(z: object, /, *, x: Optional[object] = None, y: Optional[object] = None, title: str = "",
            width: int = _WIDTH, height: int = _HEIGHT, style: Union[str, Style] = "chart") -> Chart: ...


@overload
def surface(x: object, y: object, z: object, /, *, title: str = "", width: int = _WIDTH, height: int = _HEIGHT,
            style: Union[str, Style] = "chart") -> Chart: ...


def surface(*arrays: object, x: Optional[object] = None, y: Optional[object] = None, title: str = "",
            width: int = _WIDTH, height: int = _HEIGHT, style: Union[str, Style] = "chart") -> Chart:
    """A surface: surface(Z) or surface(Z, x=..., y=...) for heights Z[row, column]
    over a grid (x along the columns, y along the rows), or surface(X, Y, Z) for
    any surface of three arrays of one 2-D shape. NaN makes holes."""
    if len(arrays) == 1:
        chart = _chart(width, height, style, title)
        chart.set_grid(0, arrays[0], x=x, y=y)
        return chart
    if len(arrays) == 3:
        if x is not None or y is not None:
            raise TypeError("surface(X, Y, Z) takes no x= or y=")
        chart = _chart(width, height, style, title)
        chart.set_surface(0, arrays[0], arrays[1], arrays[2])
        return chart
    raise TypeError("surface takes Z, or X, Y and Z, not %d arrays" % len(arrays))


def curve(x: object, y: object, z: object, *, title: str = "", width: int = _WIDTH, height: int = _HEIGHT,
          style: Union[str, Style] = "chart") -> Chart:
    """A curve through the points (x[i], y[i], z[i]) in order."""
    chart = _chart(width, height, style, title)
    chart.set_curve(0, x, y, z)
    return chart


def scatter(x: object, y: object, z: object, *, title: str = "", width: int = _WIDTH, height: int = _HEIGHT,
            style: Union[str, Style] = "chart") -> Chart:
    """A cloud of the points (x[i], y[i], z[i])."""
    chart = _chart(width, height, style, title)
    chart.set_points(0, x, y, z)
    return chart


@overload
def plot(*scripts: str, title: str = ..., width: int = ..., height: int = ..., style: Union[str, Style] = ...,
         interactive: Literal[False] = ...) -> Chart: ...


@overload
def plot(*scripts: str, title: str = ..., width: int = ..., height: int = ..., style: Union[str, Style] = ...,
         interactive: Literal[True]) -> Interactive: ...


def plot(*scripts: str, title: str = "", width: int = _WIDTH, height: int = _HEIGHT,
         style: Union[str, Style] = "chart", interactive: bool = False) -> Union[Chart, Interactive]:
    """Up to three scripts ("z = sin(x)*cos(y)"), calculated; with interactive=True the live
    chart for a notebook's output (Chart.interactive())."""
    if not 1 <= len(scripts) <= 3:
        raise TypeError("plot takes one to three scripts, not %d" % len(scripts))
    chart = _chart(width, height, style, title)
    for slot, text in enumerate(scripts):
        chart.set_script(slot, text)
    chart.calculate()
    if interactive:
        live = chart.interactive()
        chart.close()
        return live
    return chart
