"""One chart control in a window of the native window system."""

import ctypes
import math
import numbers
import os
import tempfile
import warnings
from typing import Any, Callable, Dict, List, Optional, Sequence, Set, Tuple, Union

import numpy as np
import numpy.typing as npt

from . import _codes
from ._interactive import Interactive, interactive_html, slot_data
from ._arrays import Float64Array, as_values, same_shapes, vector_of
from ._library import Library, TalvexBoxMapping, TalvexSlotData, TalvexSlotGeometry, TalvexStyle, library
from ._pictures import png_bytes, read_bmp
from .style import Style, from_record, to_record

_CHART_ID = 1
_KINDS = {0: "none", 1: "point", 2: "curve", 3: "surface", 4: "cloud"}
_MAX_SIDE = 16384
_SLOTS = 3
_MAX_DRAG = 30000

#: A file name: str or an os.PathLike of str (pathlib.Path).
PathType = Union[str, "os.PathLike[str]"]
#: A (height, width, 3) uint8 RGB picture.
Picture = npt.NDArray[np.uint8]
#: (n, 3) vertices: float32 in the chart's box, float64 in a script's coordinates.
Vertices = Union[npt.NDArray[np.float32], npt.NDArray[np.float64]]


class TalvexError(Exception):
    """A failure of the library, with its result code."""

    def __init__(self, code: int, message: str) -> None:
        super().__init__(message)
        self.code = code


class SlotError(TalvexError, ValueError):
    """A script slot outside 0 ... 2: a ValueError, and a TalvexError with the library's code 21."""

    def __init__(self, slot: int) -> None:
        super().__init__(_codes.BAD_SLOT, "script slot %d is outside 0 ... %d" % (slot, _SLOTS - 1))
        self.slot = slot


class ScriptError(TalvexError):
    """A script that does not compile: .code, .slot, .line (from 1) and .sentence;
    the message reads "script N, line L: sentence" (N counted from 1, as the
    library's and talvex-plot's messages count)."""

    def __init__(self, code: int, line: int, slot: int) -> None:
        self.sentence = _codes.compile_sentence(code)
        super().__init__(code, "script %d, line %d: %s" % (slot + 1, line, self.sentence))
        self.line = line
        self.slot = slot


class CalculationError(TalvexError):
    """Slots whose scripts could not be calculated.

    .failures maps each failing slot to (code, sentence); .code is the first
    failing slot's code; the message holds every sentence ("script 1: 'k' is
    used but never defined"). The other slots were calculated and are drawn.
    """

    def __init__(self, code: int, failures: Optional[Dict[int, Tuple[int, str]]] = None) -> None:
        self.failures: Dict[int, Tuple[int, str]] = dict(failures or {})
        if self.failures:
            message = "; ".join(text for _, text in self.failures.values())
        else:
            message = _codes.describe(code, _codes.CALCULATION_SENTENCES)
        super().__init__(code, message)


def _address(array: Optional[Float64Array]) -> Optional[int]:
    """Where an array's values are, for the library; None for no array."""
    return None if array is None else int(array.ctypes.data)


def _axis(axis: Union[int, str]) -> int:
    """An axis named "x", "y", "z" or numbered 0, 1, 2, as its number."""
    number = {"x": 0, "y": 1, "z": 2}.get(axis, -1) if isinstance(axis, str) else axis
    if not isinstance(number, int) or isinstance(number, bool) or not 0 <= number <= 2:
        raise ValueError('an axis is "x", "y", "z", 0, 1 or 2, not %r' % (axis,))
    return number


def _check(code: int, what: str) -> None:
    if code != 0:
        raise TalvexError(code, "%s: %s" % (what, _codes.describe(code)))


# -- argument checks ------------------------------------------------------
# ctypes turns a wrong type into an ArgumentError far from the call, or
# silently truncates it; these say which argument is wrong and why.

def _integer(value: object, name: str) -> int:
    """An int (numpy's too), never a bool: True as slot 1 or zoom 1 is a slip."""
    if isinstance(value, (bool, np.bool_)) or not isinstance(value, numbers.Integral):
        raise TypeError("%s must be an int, not %s" % (name, type(value).__name__))
    return int(value)


def _in_range(value: object, name: str, low: int, high: int, how: str = "") -> int:
    number = _integer(value, name)
    if not low <= number <= high:
        raise ValueError("%s takes %s, not %d" % (name, how or "%d ... %d" % (low, high), number))
    return number


def _slot(value: object) -> int:
    slot = _integer(value, "slot")
    if not 0 <= slot < _SLOTS:
        raise SlotError(slot)
    return slot


def _colour(value: object, name: str) -> int:
    return _in_range(value, name, 0, 0xFFFFFF, "0x000000 ... 0xFFFFFF (0xRRGGBB)")


def _boolean(value: object, name: str) -> bool:
    if not isinstance(value, (bool, np.bool_)):
        raise TypeError("%s must be True or False, not %r" % (name, value))
    return bool(value)


def _real(value: object, name: str) -> float:
    if isinstance(value, (bool, np.bool_)) or not isinstance(value, numbers.Real):
        raise TypeError("%s must be a number, not %s" % (name, type(value).__name__))
    return float(value)


def _path(value: object) -> str:
    if not isinstance(value, (str, os.PathLike)):
        raise TypeError("path must be a str or os.PathLike, not %s" % type(value).__name__)
    path = os.fspath(value)
    if not isinstance(path, str):
        raise TypeError("path must name a file with a str, not %s" % type(path).__name__)
    return path


def _size(width: object, height: object) -> Tuple[int, int]:
    how = "1 ... %d pixels" % _MAX_SIDE
    return _in_range(width, "width", 1, _MAX_SIDE, how), _in_range(height, "height", 1, _MAX_SIDE, how)


class Chart:
    """A TALVEX chart of width x height pixels.

    Use it as a context manager or call close(); in Jupyter a chart shows as
    its picture. picture(), save() and the notebook's display calculate first
    when a script changed since the last calculate().
    """

    def __init__(self, width: int = 320, height: int = 240, style: Union[str, Style] = "chart") -> None:
        self._lib: Library = library()
        self._handle = 0
        self._window: Optional[int] = None
        self._calculated = False
        # The slots that hold a compiled script, and whether one changed
        # since the last calculation.
        self._scripts: Dict[int, str] = {}
        # The slots that hold a host's data (set_grid, set_points ...).
        self._data: Set[int] = set()
        self._changed = False
        width, height = _size(width, height)
        self._window = self._lib.talvex_window_create(width, height)
        handle = int(self._lib.TALVEX_ControlCreate())
        if handle == 0:
            self.close()
            raise TalvexError(0, "no free chart handle")
        self._handle = handle
        result = int(self._lib.TALVEX_ControlInit(handle, self._window, None, _CHART_ID))
        if result != 0:
            self.close()
            raise TalvexError(result, "the chart could not start: %s" % _codes.describe(result))
        self.resize(width, height)
        self.set_style(style)

    # -- life cycle -------------------------------------------------------

    def close(self) -> None:
        """Destroys the chart and its window; later calls raise TalvexError."""
        if self._handle:
            self._lib.TALVEX_ControlDestroy(self._handle)
            self._handle = 0
        if self._window:
            self._lib.talvex_window_destroy(self._window)
            self._window = None

    def __enter__(self) -> "Chart":
        return self

    def __exit__(self, *exception: object) -> None:
        self.close()

    def __del__(self) -> None:
        try:
            self.close()
        except Exception:
            pass

    def __repr__(self) -> str:
        if not getattr(self, "_handle", 0):
            return "<talvex.Chart, closed>"
        slots = sorted(self._scripts)
        if not slots:
            scripts = "no scripts"
        else:
            if not self._calculated or self._changed:
                state = "not calculated yet"
            else:
                failing = sorted(self.failures())
                state = "calculated" if not failing else "slot%s %s failed" % (
                    "s" if len(failing) > 1 else "", ", ".join(map(str, failing)))
            scripts = "script%s in slot%s %s (%s)" % (
                "s" if len(slots) > 1 else "", "s" if len(slots) > 1 else "",
                ", ".join(map(str, slots)), state)
        if self._data:
            data = "data in slot%s %s" % ("s" if len(self._data) > 1 else "", ", ".join(map(str, sorted(self._data))))
            scripts = data if not slots else scripts + ", " + data
        first, second, _ = self.view_angles
        if self.style.look == "chart":
            view = "chart look seen from azimuth %g deg, elevation %g" % (second, first)
        else:
            view = "view turned %g deg about x, %g about y" % (first, second)
        return "<talvex.Chart %dx%d, %s, zoom %d, %s-handed, %s>" % (
            self.width, self.height, scripts, self.zoom, "left" if self.left_handed else "right", view)

    @property
    def handle(self) -> int:
        """The control's handle for the C functions; raises on a closed chart."""
        if not self._handle:
            raise TalvexError(_codes.E_FAIL, "the chart is closed")
        return self._handle

    # -- scripts ----------------------------------------------------------

    def set_script(self, slot: int, text: str) -> None:
        """Compiles text (LF or CR LF line ends) into slot 0, 1 or 2.

        Raises ScriptError (.code, .slot, .line from 1) when it does not
        compile, which leaves the slot empty; an empty text clears the slot.
        """
        slot = _slot(slot)
        if not isinstance(text, str):
            raise TypeError("a script is a str, not %s" % type(text).__name__)
        encoded = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")
        # The library lower-cases the text in place: it gets a buffer of its own.
        buffer = ctypes.create_string_buffer(encoded)
        handle = self.handle
        self._changed = True
        self._scripts.pop(slot, None)
        code = int(self._lib.TALVEX_ControlSetScript(handle, slot, buffer))
        self._data.discard(slot)
        if code != 0:
            line = int(self._lib.TALVEX_ControlScriptGetErrorLine(handle, slot)) + 1
            raise ScriptError(code, line, slot)
        if text:
            self._scripts[slot] = text

    def del_script(self, slot: int) -> None:
        """Empties slot 0, 1 or 2 (of its script or its data)."""
        slot = _slot(slot)
        _check(self._lib.TALVEX_ControlDelScript(self.handle, slot), "delete script %d" % slot)
        self._changed = True
        self._scripts.pop(slot, None)
        self._data.discard(slot)

    # -- data ---------------------------------------------------------------

    def set_grid(self, slot: int, z: object, x: Optional[object] = None, y: Optional[object] = None) -> None:
        """Heights z (rows, columns) over a grid into slot 0, 1 or 2, in place of its script.

        z[row, column] is the height at x[column], y[row] (x and y default
        to 0, 1, 2 ...), as matplotlib's Z[y, x]. Any array-like of real
        numbers; NaN, infinities and a masked array's masked values make
        holes. The chart draws it at once, without calculate().
        """
        heights = as_values(z, "z", 2)
        rows, columns = heights.shape
        xs = vector_of(x, "x", columns)
        ys = vector_of(y, "y", rows)
        self._set_data(slot, lambda why: int(self._lib.talvex_set_grid(
            self.handle, slot, columns, rows, heights.ctypes.data, _address(xs), _address(ys), why, len(why))))

    def set_surface(self, slot: int, x: object, y: object, z: object) -> None:
        """Any surface as three arrays of one (rows, columns) shape into slot 0, 1 or 2."""
        arrays = [(name, as_values(value, name, 2)) for name, value in (("x", x), ("y", y), ("z", z))]
        same_shapes(arrays)
        xs, ys, zs = (array for _, array in arrays)
        rows, columns = zs.shape
        self._set_data(slot, lambda why: int(self._lib.talvex_set_surface(
            self.handle, slot, columns, rows, xs.ctypes.data, ys.ctypes.data, zs.ctypes.data, why, len(why))))

    def set_curve(self, slot: int, x: object, y: object, z: object) -> None:
        """A curve through the points (x[i], y[i], z[i]), joined in order, into slot 0, 1 or 2."""
        self._set_points(slot, x, y, z, "talvex_set_curve")

    def set_points(self, slot: int, x: object, y: object, z: object) -> None:
        """A cloud of the points (x[i], y[i], z[i]) into slot 0, 1 or 2."""
        self._set_points(slot, x, y, z, "talvex_set_points")

    def _set_points(self, slot: int, x: object, y: object, z: object, function: str) -> None:
        arrays = [(name, as_values(value, name, 1)) for name, value in (("x", x), ("y", y), ("z", z))]
        same_shapes(arrays)
        xs, ys, zs = (array for _, array in arrays)
        call = getattr(self._lib, function)
        self._set_data(slot, lambda why: int(call(
            self.handle, slot, len(zs), xs.ctypes.data, ys.ctypes.data, zs.ctypes.data, why, len(why))))

    def _set_data(self, slot: int, call: Callable[[ctypes.Array[ctypes.c_char]], int]) -> None:
        # call holds the arrays it passes alive through the call; the library copies them.
        slot = _slot(slot)
        why = ctypes.create_string_buffer(256)
        code = int(call(why))
        if code == _codes.E_INVALIDARG:
            raise ValueError(why.value.decode("utf-8", "replace"))
        _check(code, "set slot %d's data" % slot)
        self._scripts.pop(slot, None)
        self._data.add(slot)

    def set_range(self, axis: Union[int, str], low: Optional[float] = None, high: Optional[float] = None) -> None:
        """The range axis "x", "y" or "z" (or 0, 1, 2) maps onto the box, in place of the data's own.

        Data beyond it is held at the box's faces; the chart style's box spans it. Without low and
        high the axis takes the data's own range again. ValueError, changing nothing, for a range
        whose ends are not finite or not in order.
        """
        number = _axis(axis)
        if (low is None) != (high is None):
            raise ValueError("a range needs both ends, or neither for the data's own")
        ends = (float("nan"), float("nan")) if low is None or high is None else (float(low), float(high))
        why = ctypes.create_string_buffer(256)
        code = int(self._lib.talvex_set_axis_range(self.handle, number, ends[0], ends[1], why, len(why)))
        if code == _codes.E_INVALIDARG:
            raise ValueError(why.value.decode("utf-8", "replace"))
        _check(code, "set a range")

    def get_range(self, axis: Union[int, str]) -> Optional[Tuple[float, float]]:
        """The range set on an axis, or None when it takes the data's own."""
        low, high = ctypes.c_double(), ctypes.c_double()
        _check(self._lib.talvex_get_axis_range(self.handle, _axis(axis), ctypes.byref(low), ctypes.byref(high)),
               "get a range")
        return None if math.isnan(low.value) else (low.value, high.value)

    @property
    def shared_box(self) -> bool:
        """Whether every data slot shares one box, the union of their ranges, so that they compare."""
        shared = ctypes.c_int32()
        _check(self._lib.talvex_get_shared_box(self.handle, ctypes.byref(shared)), "shared_box")
        return bool(shared.value)

    @shared_box.setter
    def shared_box(self, value: bool) -> None:
        _check(self._lib.talvex_set_shared_box(self.handle, 1 if value else 0), "shared_box")

    def script(self, slot: int) -> Optional[str]:
        """The text slot 0, 1 or 2 holds, as given to set_script; None when empty."""
        return self._scripts.get(_slot(slot))

    def calculate(self) -> None:
        """Samples the scripts into geometry.

        Raises CalculationError when any slot's script could not be
        calculated (the others are, and are drawn), or when there is none.
        A grid coarser than a script asked for (a slot holds at most 10,000
        cells) is told as a UserWarning naming the slot and both grids.
        """
        code = int(self._lib.TALVEX_ControlCalculate(self.handle))
        self._calculated = True
        self._changed = False
        self._warn_of_notes()
        failures = self.failures()
        if failures:
            raise CalculationError(failures[min(failures)][0], failures)
        if code != 0:
            raise CalculationError(code)

    def _warn_of_notes(self) -> None:
        # A grid coarser than the script asked for is never drawn silently.
        if not self._lib.has("talvex_get_slot_note"):
            return
        text = ctypes.create_string_buffer(512)
        for slot in sorted(self._scripts):
            if int(self._lib.talvex_get_slot_note(self.handle, slot, text, len(text))) == 0 and text.value:
                warnings.warn("slot %d: %s" % (slot, text.value.decode("utf-8", "replace")), stacklevel=4)

    def failures(self) -> Dict[int, Tuple[int, str]]:
        """What the last calculation failed on, by slot: {slot: (code, sentence)}."""
        failures: Dict[int, Tuple[int, str]] = {}
        text = ctypes.create_string_buffer(512)
        for slot in range(_SLOTS):
            code = ctypes.c_int32()
            _check(self._lib.talvex_get_slot_error(self.handle, slot, ctypes.byref(code), text, len(text)),
                   "read slot %d" % slot)
            if code.value != 0:
                failures[slot] = (code.value, text.value.decode("utf-8", "replace"))
        return failures

    def _calculate_if_changed(self) -> None:
        # A picture after set_script shows the new script, not the axes
        # alone; with every slot empty there is nothing to calculate. A slot
        # that fails is told as a warning: the picture shows the rest.
        if not (self._changed and self._scripts):
            return
        try:
            self.calculate()
        except CalculationError as error:
            warnings.warn(str(error), stacklevel=3)

    # -- view and settings ------------------------------------------------

    @property
    def width(self) -> int:
        return int(self._lib.TALVEX_ControlGetWidth(self.handle))

    @property
    def height(self) -> int:
        return int(self._lib.TALVEX_ControlGetHeight(self.handle))

    @property
    def zoom(self) -> int:
        """0 ... 100 for the zoom factors 0.4 ... 2.0 (37 is 1.0).

        The library keeps the factor and reads it back truncated: some values
        come back one lower (62 reads 61).
        """
        return int(self._lib.TALVEX_ControlGetScale(self.handle))

    @zoom.setter
    def zoom(self, value: int) -> None:
        self._lib.TALVEX_ControlSetScale(self.handle, _in_range(value, "zoom", 0, 100))

    @property
    def background(self) -> int:
        """The background colour, 0xRRGGBB."""
        return int(self._lib.TALVEX_ControlGetBackgroundColor(self.handle))

    @background.setter
    def background(self, color: int) -> None:
        self._lib.TALVEX_ControlSetBackgroundColor(self.handle, _colour(color, "background"))

    @property
    def point_color(self) -> int:
        """The colour of the grid points and the axes, 0xRRGGBB."""
        return int(self._lib.TALVEX_ControlGetPointColor(self.handle))

    @point_color.setter
    def point_color(self, color: int) -> None:
        self._lib.TALVEX_ControlSetPointColor(self.handle, _colour(color, "point_color"))

    @property
    def solid(self) -> bool:
        """Surfaces as chessboards (True) or as triangle edges (False)."""
        return bool(self._lib.TALVEX_ControlIsSolid(self.handle))

    @solid.setter
    def solid(self, value: bool) -> None:
        self._lib.TALVEX_ControlSetSolid(self.handle, int(_boolean(value, "solid")))

    @property
    def points(self) -> bool:
        """Whether the point grid is drawn."""
        return bool(self._lib.TALVEX_ControlIsPointVisible(self.handle))

    @points.setter
    def points(self, value: bool) -> None:
        self._lib.TALVEX_ControlSetPointVisible(self.handle, int(_boolean(value, "points")))

    @property
    def axes(self) -> bool:
        """Whether the axes are drawn."""
        return bool(self._lib.TALVEX_ControlIsAxisVisible(self.handle))

    @axes.setter
    def axes(self, value: bool) -> None:
        self._lib.TALVEX_ControlSetAxisVisible(self.handle, int(_boolean(value, "axes")))

    @property
    def left_handed(self) -> bool:
        """Left-handed axes (z grows away from the viewer)."""
        left = ctypes.c_int32()
        _check(self._lib.talvex_get_left_handed(self.handle, ctypes.byref(left)), "read the handedness")
        return bool(left.value)

    @left_handed.setter
    def left_handed(self, value: bool) -> None:
        left = _boolean(value, "left_handed")
        handle = self.handle  # a closed chart raises before anything changes
        if left:
            self._lib.TALVEX_ControlSetLeftHand(handle)
        else:
            self._lib.TALVEX_ControlSetRightHand(handle)
        # The chart rebuilds its buffers empty for the new direction of z;
        # a chart that was calculated is calculated again to fill them.
        if self._calculated:
            self.calculate()

    @property
    def z_distance(self) -> float:
        """A stored value (single precision) with no effect on drawing."""
        return float(self._lib.TALVEX_ControlGetZDistance(self.handle))

    @z_distance.setter
    def z_distance(self, value: float) -> None:
        self._lib.TALVEX_ControlSetZDistance(self.handle, _real(value, "z_distance"))

    def default_view(self) -> None:
        """Looking straight at the x-y plane."""
        self._lib.TALVEX_ControlSetDefaultView(self.handle)

    def isometric_view(self) -> None:
        """Turned 20 degrees about x and -30 degrees about y."""
        self._lib.TALVEX_ControlSetIsometricView(self.handle)

    def turn(self, dx: int, dy: int) -> None:
        """Turns the view as a left-button drag of dx, dy pixels on the chart."""
        how = "-%d ... %d pixels" % (_MAX_DRAG, _MAX_DRAG)
        dx = _in_range(dx, "dx", -_MAX_DRAG, _MAX_DRAG, how)
        dy = _in_range(dy, "dy", -_MAX_DRAG, _MAX_DRAG, how)
        _check(self._lib.talvex_turn_view(self.handle, dx, dy), "turn the view")

    @property
    def style(self) -> Style:
        """The look, a talvex.Style; setting it is set_style()."""
        record = TalvexStyle()
        record.size = ctypes.sizeof(TalvexStyle)
        _check(self._lib.talvex_get_style(self.handle, ctypes.byref(record)), "read the style")
        return from_record(record)

    @style.setter
    def style(self, value: Style) -> None:
        self.set_style(value)

    def set_style(self, value: Union[str, Style]) -> None:
        """Takes a talvex.Style, or "chart" or "classic" for that look's defaults
        (4 samples per pixel in the chart look where the picture allows, 1 in the classic look).

        A value the library refuses raises ValueError with its reason, and the chart keeps its style.
        """
        named = isinstance(value, str)
        if isinstance(value, str):
            if value not in ("chart", "classic"):
                raise ValueError("a style is 'chart', 'classic' or a talvex.Style, not %r" % (value,))
            value = Style(look=value, samples=4 if value == "chart" else 1)
        record = to_record(value)
        why = ctypes.create_string_buffer(256)
        code = int(self._lib.talvex_set_style(self.handle, ctypes.byref(record), why, len(why)))
        if code != 0 and named and value.samples == 4:
            # A picture too large for 4 samples per pixel: the look's
            # defaults with one.
            record.samples = 1
            code = int(self._lib.talvex_set_style(self.handle, ctypes.byref(record), why, len(why)))
        reason = why.value.decode("utf-8", "replace")
        if code == _codes.E_INVALIDARG:
            raise ValueError(reason)
        if code != 0 and reason:
            raise TalvexError(code, "set the style: %s" % reason)
        _check(code, "set the style")

    @property
    def view_angles(self) -> Tuple[float, float, float]:
        """The view's angles in degrees.

        In the classic look: turned about x, y and z (z is kept, not drawn). In the chart look:
        the eye's elevation (-90 .. 90), its azimuth about z and the kept roll.
        """
        x, y, z = ctypes.c_double(), ctypes.c_double(), ctypes.c_double()
        _check(self._lib.talvex_get_view_angles(self.handle, ctypes.byref(x), ctypes.byref(y), ctypes.byref(z)),
               "read the view angles")
        return x.value, y.value, z.value

    @view_angles.setter
    def view_angles(self, angles: Sequence[float]) -> None:
        if isinstance(angles, (str, bytes)) or not isinstance(angles, Sequence) or len(angles) != 3:
            raise TypeError("view_angles takes three numbers (about x, y, z), not %r" % (angles,))
        about_x, about_y, about_z = (_real(a, "a view angle") for a in angles)
        _check(self._lib.talvex_set_view_angles(self.handle, about_x, about_y, about_z), "set the view angles")

    def resize(self, width: int, height: int) -> None:
        """Resizes the picture (and recalculates)."""
        width, height = _size(width, height)
        self._lib.TALVEX_ControlMove(self.handle, 0, 0, width, height, 0)
        _check(self._lib.TALVEX_ControlSize(self.handle, width, height), "resize")

    # -- pictures ---------------------------------------------------------

    def picture(self) -> Picture:
        """The chart's picture: a (height, width, 3) uint8 RGB array.

        Calculates first when a script changed since the last calculate() (a
        slot that fails is told as a warning; the picture shows the rest)."""
        self._calculate_if_changed()
        width, height = self.width, self.height
        if self._lib.has("talvex_render_picture"):
            pixels = np.zeros((height, width), dtype=np.uint32)
            code = int(self._lib.talvex_render_picture(self.handle, pixels.ctypes.data, width, height))
            _check(code, "render")
            rgb = np.empty((height, width, 3), dtype=np.uint8)
            rgb[:, :, 0] = (pixels >> 16) & 0xFF
            rgb[:, :, 1] = (pixels >> 8) & 0xFF
            rgb[:, :, 2] = pixels & 0xFF
            return rgb
        # A library without the native interface: through its BMP snapshot.
        with tempfile.TemporaryDirectory() as directory:
            path = os.path.join(directory, "picture.bmp")
            self._save_bmp(path)
            return read_bmp(path)

    def _save_bmp(self, path: str) -> None:
        _check(self._lib.TALVEX_SaveBMP(self.handle, os.fsencode(path)), "save %s" % path)

    def png(self) -> bytes:
        """The picture as the bytes of a PNG file (calculating first, as picture())."""
        return png_bytes(self.picture())

    def save(self, path: PathType) -> None:
        """Writes the picture as PNG or BMP, by the file name's extension
        (calculating first, as picture())."""
        name = _path(path)
        extension = os.path.splitext(name)[1].lower()
        if extension == ".png":
            data = self.png()
            with open(name, "wb") as file:
                file.write(data)
        elif extension == ".bmp":
            self._calculate_if_changed()
            self._save_bmp(name)
        else:
            raise ValueError("save writes .png or .bmp files, not %r" % name)

    def _repr_png_(self) -> bytes:
        return self.png()

    # -- geometry ---------------------------------------------------------

    def geometry(self, slot: int, coordinates: str = "box") -> Tuple[str, Vertices, npt.NDArray[np.int32]]:
        """The calculated geometry of a slot: (kind, vertices, indices).

        kind is "surface", "curve", "point", "cloud" (a host's points) or "none"; indices a 1-D int32
        array, three per triangle or two per segment. vertices has shape
        (n, 3): with coordinates="box" (the default) float32 in the chart's
        box, -100 ... 100 on each axis, z negated on a right-handed chart;
        with coordinates="script" float64 x, y, z as the script computed them
        (clamped to the box's faces) or a data slot's values as given, and then each triangle winds
        counter-clockwise about the parameters' cross product d/du x d/dv.
        Both are copies.
        """
        slot = _slot(slot)
        if coordinates not in ("box", "script"):
            raise ValueError('coordinates is "box" or "script", not %r' % (coordinates,))
        if not self._lib.has("talvex_get_slot_geometry"):
            raise TalvexError(_codes.E_FAIL, "this libtalvex.so has no talvex_get_slot_geometry")
        out = TalvexSlotGeometry()
        _check(self._lib.talvex_get_slot_geometry(self.handle, slot, ctypes.byref(out)), "geometry")
        vertices: Vertices = np.zeros((0, 3), dtype=np.float32)
        indices: npt.NDArray[np.int32] = np.zeros(0, dtype=np.int32)
        if out.vertexCount > 0 and out.vertices:
            raw = np.ctypeslib.as_array(ctypes.cast(out.vertices, ctypes.POINTER(ctypes.c_float)),
                                        shape=(out.vertexCount, 8))
            vertices = raw[:, :3].astype(np.float32)
        if out.indexCount > 0 and self._lib.has("talvex_get_slot_indices"):
            # As 32-bit numbers: a large data set's vertices go beyond 16 bits.
            wide = ctypes.POINTER(ctypes.c_uint32)()
            count = ctypes.c_int32(0)
            _check(self._lib.talvex_get_slot_indices(self.handle, slot, ctypes.byref(wide), ctypes.byref(count)),
                   "geometry")
            if count.value > 0 and wide:
                indices = np.ctypeslib.as_array(wide, shape=(count.value,)).astype(np.int32)
        elif out.indexCount > 0 and out.indices:
            indices = np.ctypeslib.as_array(out.indices, shape=(out.indexCount,)).astype(np.int32)
        kind = _KINDS.get(out.kind, "none")
        if coordinates == "script":
            mapping = TalvexBoxMapping()
            _check(self._lib.talvex_get_slot_mapping(self.handle, slot, ctypes.byref(mapping)), "geometry")
            script = vertices.astype(np.float64)
            if mapping.zNegated:
                script[:, 2] = -script[:, 2]
            vertices = script * mapping.scale / 100 + np.array(list(mapping.centre))
            exact = self._data_values(slot)
            if exact is not None:
                vertices = exact
            if kind == "surface" and mapping.trianglesReversed:
                indices = indices.reshape(-1, 3)[:, [0, 2, 1]].reshape(-1).copy()
        return kind, vertices, indices

    def interactive(self) -> Interactive:
        """The chart as a live canvas for a notebook's output (or a page: .save(path)).

        The scripts, data, style and view go along into the HTML with the
        library built for the browser, which computes and draws the chart
        there: a drag turns it, the wheel zooms, a double click resets, with
        no kernel behind it, so it still turns in an HTML export of the
        notebook. Its pictures are this chart's to the bit.
        """
        data: Dict[int, Dict[str, Any]] = {}
        for slot in sorted(self._data):
            out = TalvexSlotData()
            _check(self._lib.talvex_get_slot_data(self.handle, slot, ctypes.byref(out)), "read slot %d's data" % slot)
            if out.shape == 0:
                continue
            count = out.columns * out.rows

            def values(pointer: Any, length: int) -> Optional[List[float]]:
                return np.ctypeslib.as_array(pointer, shape=(length,)).tolist() if pointer else None

            along = out.columns if out.shape == 1 else count
            down = out.rows if out.shape == 1 else count
            data[slot] = slot_data(out.shape, out.columns, out.rows, values(out.x, along), values(out.y, down),
                                   values(out.z, count) or [])
        return Interactive(interactive_html(self, data))

    def _data_values(self, slot: int) -> Optional[npt.NDArray[np.float64]]:
        """A data slot's own values as (n, 3) float64, as the host gave them; None for a script's slot."""
        if slot not in self._data or not self._lib.has("talvex_get_slot_data"):
            return None
        out = TalvexSlotData()
        _check(self._lib.talvex_get_slot_data(self.handle, slot, ctypes.byref(out)), "read slot %d's data" % slot)
        if out.shape == 0:
            return None
        count = out.columns * out.rows
        z = np.ctypeslib.as_array(out.z, shape=(count,))
        if out.shape == 1:  # a grid: x along each row, y down the rows
            x = (np.ctypeslib.as_array(out.x, shape=(out.columns,)) if out.x
                 else np.arange(out.columns, dtype=np.float64))
            y = (np.ctypeslib.as_array(out.y, shape=(out.rows,)) if out.y
                 else np.arange(out.rows, dtype=np.float64))
            grid: npt.NDArray[np.float64] = np.stack([np.tile(x, out.rows), np.repeat(y, out.columns), z], axis=1)
            return grid.astype(np.float64)
        points: npt.NDArray[np.float64] = np.stack(
            [np.ctypeslib.as_array(out.x, shape=(count,)), np.ctypeslib.as_array(out.y, shape=(count,)), z], axis=1)
        return points.astype(np.float64)

    def save_mesh(self, path: PathType) -> None:
        """Writes every calculated slot as a Wavefront OBJ file in the scripts' own coordinates."""
        name = _path(path)
        if os.path.splitext(name)[1].lower() != ".obj":
            raise ValueError("save_mesh writes .obj files, not %r" % name)
        self._calculate_if_changed()
        lines = ["# TALVEX chart geometry in the scripts' own coordinates"]
        base = 1
        for slot in range(_SLOTS):
            kind, vertices, indices = self.geometry(slot, coordinates="script")
            if kind == "none":
                continue
            lines.append("o slot%d" % slot)
            # A data slot's values to the digit (repr is the shortest text
            # that reads back as the same double), its holes left out.
            data = slot in self._data
            kept = np.isfinite(vertices).all(axis=1) if data else np.ones(len(vertices), dtype=bool)
            number = np.cumsum(kept) - 1 + base
            for vertex in vertices[kept]:
                lines.append("v " + " ".join(repr(float(c)) if data else "%.9g" % c for c in vertex))
            if kind == "point":
                lines.append("p %d" % base)
            elif kind == "cloud":
                lines.extend("p %d" % number[i] for i in indices)
            else:
                per, element = (3, "f") if kind == "surface" else (2, "l")
                for group in number[indices].reshape(-1, per):
                    lines.append(element + "".join(" %d" % i for i in group))
            base += int(kept.sum())
        with open(name, "w") as file:
            file.write("\n".join(lines) + "\n")
