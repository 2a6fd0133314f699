"""The look of a chart: the classic picture or a chart a person reads."""

import ctypes
import numbers
from dataclasses import dataclass, field
from typing import Tuple

from ._library import TalvexStyle

_LOOKS = ("classic", "chart")
_COORDINATES = ("x", "y", "z")
#: The colour maps the library draws, and "slot" for each slot's own colour.
COLORMAPS = ("viridis", "magma", "cividis", "grey", "slot")


@dataclass
class Style:
    """What a chart shows beyond its view.

    look: "classic" (the 33-function picture: a chessboard, a point grid,
    arrows) or "chart" (z up, coloured by a coordinate through a colour map,
    lit, numbered axes, a colour bar and a title). colormap: one of COLORMAPS
    ("gray" is taken for "grey"); color_by: "x", "y" or "z"; samples: per
    pixel, 1 or 4 (smooth edges); text_size: pixels, 6 .. 96; labels: the names of x, y and z.
    The library checks every value and says why it refuses one.
    """

    look: str = "chart"
    colormap: str = "viridis"
    color_by: str = "z"
    lighting: bool = True
    samples: int = 4
    axes: bool = True
    colorbar: bool = True
    equal_aspect: bool = False
    text_size: float = 15.0
    title: str = ""
    labels: Tuple[str, str, str] = field(default_factory=lambda: ("x", "y", "z"))


def _text(value: object, name: str) -> bytes:
    if not isinstance(value, str):
        raise TypeError("%s must be a str, not %s" % (name, type(value).__name__))
    return value.encode("utf-8")


def _flag(value: object, name: str) -> int:
    if not isinstance(value, (bool, numbers.Integral)):
        raise TypeError("%s must be a bool, not %s" % (name, type(value).__name__))
    return 1 if value else 0


def to_record(style: Style) -> TalvexStyle:
    """The library's record of a style; TypeError and ValueError for what no record can hold."""
    if not isinstance(style, Style):
        raise TypeError("a style is a talvex.Style or 'chart' or 'classic', not %r" % (style,))
    if style.look not in _LOOKS:
        raise ValueError("look must be 'classic' or 'chart', not %r" % (style.look,))
    if style.color_by not in _COORDINATES:
        raise ValueError("color_by must be 'x', 'y' or 'z', not %r" % (style.color_by,))
    record = TalvexStyle()
    record.size = ctypes.sizeof(TalvexStyle)
    record.look = _LOOKS.index(style.look)
    colormap = _text(style.colormap, "colormap")
    if len(colormap) >= 16 or b"\0" in colormap:
        raise ValueError("unknown colour map %r: %s" % (style.colormap, ", ".join(COLORMAPS)))
    record.colorMap = colormap
    record.colorBy = _COORDINATES.index(style.color_by)
    record.lighting = _flag(style.lighting, "lighting")
    if not isinstance(style.samples, numbers.Integral) or isinstance(style.samples, bool):
        raise TypeError("samples must be an int, not %s" % type(style.samples).__name__)
    if not -2**31 <= int(style.samples) < 2**31:
        raise ValueError("samples per pixel must be 1 or 4")
    record.samples = int(style.samples)
    record.axes = _flag(style.axes, "axes")
    record.colorBar = _flag(style.colorbar, "colorbar")
    record.equalAspect = _flag(style.equal_aspect, "equal_aspect")
    if not isinstance(style.text_size, numbers.Real) or isinstance(style.text_size, bool):
        raise TypeError("text_size must be a number, not %s" % type(style.text_size).__name__)
    record.textSize = float(style.text_size)
    title = _text(style.title, "title")
    if len(title) > 255 or b"\0" in title:
        raise ValueError("the title is longer than 255 bytes of UTF-8 or holds a NUL")
    record.title = title
    labels = style.labels
    if isinstance(labels, (str, bytes)) or len(labels) != 3:
        raise TypeError("labels takes three names (x, y, z), not %r" % (labels,))
    for axis, label in enumerate(labels):
        name = _text(label, "a label")
        if len(name) > 63 or b"\0" in name:
            raise ValueError("the name of axis %s is longer than 63 bytes of UTF-8 or holds a NUL" % "xyz"[axis])
        record.axisNames[axis].value = name
    return record


def from_record(record: TalvexStyle) -> Style:
    """The style a record holds."""
    return Style(
        look=_LOOKS[record.look] if 0 <= record.look < len(_LOOKS) else str(record.look),
        colormap=record.colorMap.decode("utf-8", "replace"),
        color_by=_COORDINATES[record.colorBy] if 0 <= record.colorBy < 3 else str(record.colorBy),
        lighting=bool(record.lighting), samples=int(record.samples), axes=bool(record.axes),
        colorbar=bool(record.colorBar), equal_aspect=bool(record.equalAspect), text_size=float(record.textSize),
        title=record.title.decode("utf-8", "replace"),
        labels=(record.axisNames[0].value.decode("utf-8", "replace"), record.axisNames[1].value.decode("utf-8", "replace"),
                record.axisNames[2].value.decode("utf-8", "replace")))
