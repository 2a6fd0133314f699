"""One chart control in a window of the native window system."""

import ctypes
import os
import tempfile
import warnings

import numpy as np

from . import _codes
from ._library import TalvexBoxMapping, TalvexSlotGeometry, library
from ._pictures import png_bytes, read_bmp

_CHART_ID = 1
_KINDS = {0: "none", 1: "point", 2: "curve", 3: "surface"}
_MAX_SIDE = 16384


class TalvexError(Exception):
    """A failure of the library, with its result code."""

    def __init__(self, code, message):
        super().__init__(message)
        self.code = code


class ScriptError(TalvexError):
    """A script that does not compile: .code, .slot, .line (from 1) and .sentence;
    the message reads "script N, line L: sentence" (N counted from 1)."""

    def __init__(self, code, line, slot):
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

    def __init__(self, code, failures=None):
        self.failures = dict(failures or {})
        if self.failures:
            message = "; ".join(text for _, text in self.failures.values())
        else:
            message = _codes.describe(code, _codes.CALCULATION_SENTENCES)
        super().__init__(code, message)


class SlotError(TalvexError, ValueError):
    """A script slot outside 0 ... 2 (the library's code 21)."""

    def __init__(self, slot):
        super().__init__(_codes.BAD_SLOT, "script slot %d is outside 0 ... 2" % slot)


def _slot(slot):
    """A script slot: an int 0, 1 or 2."""
    if isinstance(slot, bool) or not isinstance(slot, int):
        raise TypeError("a script slot is an int 0, 1 or 2, not %r" % (slot,))
    if not 0 <= slot <= 2:
        raise SlotError(slot)
    return slot


def _whole(value, low, high, what):
    """An int within low ... high (a bool is not taken for one)."""
    if isinstance(value, bool) or not isinstance(value, int):
        raise TypeError("%s takes an int %d ... %d, not %r" % (what, low, high, value))
    if not low <= value <= high:
        raise ValueError("%s takes %d ... %d, not %r" % (what, low, high, value))
    return value


def _check(code, what):
    if code != 0:
        raise TalvexError(code, "%s: %s" % (what, _codes.describe(code)))


class Chart:
    """A TALVEX chart of width x height pixels.

    Use it as a context manager or call close(); in Jupyter a chart shows as
    its picture.
    """

    def __init__(self, width=320, height=240):
        self._lib = library()
        self._handle = 0
        self._window = None
        self._calculated = False
        self._changed = False
        self._check_size(width, height)
        self._window = self._lib.talvex_window_create(width, height)
        handle = self._lib.TALVEX_ControlCreate()
        if handle == 0:
            self.close()
            raise TalvexError(0, "no free chart handle")
        self._handle = handle
        result = self._lib.TALVEX_ControlInit(handle, self._window, None, _CHART_ID)
        if result != 0:
            self.close()
            raise TalvexError(result, "the chart could not start: %s" % _codes.describe(result))
        self.resize(width, height)

    # -- life cycle -------------------------------------------------------

    def close(self):
        """Destroys the chart and its window; later calls raise TalvexError."""
        if self._handle:
            self._lib.TALVEX_ControlDestroy(self._handle)
            self._handle = 0
        if self._window:
            self._lib.talvex_window_destroy(self._window)
            self._window = None

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()

    def __del__(self):
        try:
            self.close()
        except Exception:
            pass

    @property
    def handle(self):
        """The control's handle for the C functions; raises on a closed chart."""
        if not self._handle:
            raise TalvexError(_codes.E_FAIL, "the chart is closed")
        return self._handle

    # -- scripts ----------------------------------------------------------

    def set_script(self, slot, text):
        """Compiles text (LF or CR LF line ends) into slot 0, 1 or 2.

        Raises ScriptError (.code, .line from 1) when it does not compile; an
        empty text clears the slot.
        """
        _slot(slot)
        if isinstance(text, str):
            text = text.encode("utf-8")
        elif not isinstance(text, bytes):
            raise TypeError("a script is a str, not %r" % (text,))
        text = text.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
        # The library lower-cases the text in place: it gets a buffer of its own.
        buffer = ctypes.create_string_buffer(text)
        code = self._lib.TALVEX_ControlSetScript(self.handle, slot, buffer)
        if code == _codes.BAD_SLOT:
            raise TalvexError(code, "script slot %d is outside 0 ... 2" % slot)
        if code != 0:
            line = self._lib.TALVEX_ControlScriptGetErrorLine(self.handle, slot) + 1
            self._changed = True
            raise ScriptError(code, line, slot)
        self._changed = True

    def del_script(self, slot):
        _slot(slot)
        self._changed = True
        code = self._lib.TALVEX_ControlDelScript(self.handle, slot)
        if code == _codes.BAD_SLOT:
            raise TalvexError(code, "script slot %d is outside 0 ... 2" % slot)

    def calculate(self):
        """Samples the scripts into geometry.

        Raises CalculationError when any slot's script could not be
        calculated (the others are, and are drawn), or when there is none.
        """
        code = self._lib.TALVEX_ControlCalculate(self.handle)
        self._calculated = True
        self._changed = False
        failures = self.failures()
        if failures:
            first = failures[min(failures)][0]
            raise CalculationError(first, failures)
        if code != 0:
            raise CalculationError(code)

    def failures(self):
        """What the last calculation failed on, by slot: {slot: (code, sentence)}."""
        failures = {}
        text = ctypes.create_string_buffer(512)
        for slot in range(3):
            code = ctypes.c_int32()
            _check(self._lib.talvex_get_slot_error(self.handle, slot, ctypes.byref(code), text, len(text)),
                   "read slot %d" % slot)
            if code.value != 0:
                failures[slot] = (code.value, text.value.decode("utf-8", "replace"))
        return failures

    def _calculate_if_changed(self):
        """Before a picture: the scripts as they stand now, the failures told."""
        if not self._changed:
            return
        try:
            self.calculate()
        except CalculationError as error:
            warnings.warn(str(error), stacklevel=3)

    # -- view and settings ------------------------------------------------

    @property
    def width(self):
        return self._lib.TALVEX_ControlGetWidth(self.handle)

    @property
    def height(self):
        return self._lib.TALVEX_ControlGetHeight(self.handle)

    @property
    def zoom(self):
        """0 ... 100 for the zoom factors 0.4 ... 2.0 (37 is 1.0).

        The library keeps the factor and reads it back truncated: some values
        come back one lower (62 reads 61).
        """
        return self._lib.TALVEX_ControlGetScale(self.handle)

    @zoom.setter
    def zoom(self, value):
        self._lib.TALVEX_ControlSetScale(self.handle, _whole(value, 0, 100, "zoom"))

    @property
    def background(self):
        """The background colour, 0xRRGGBB."""
        return self._lib.TALVEX_ControlGetBackgroundColor(self.handle)

    @background.setter
    def background(self, color):
        self._lib.TALVEX_ControlSetBackgroundColor(self.handle, _whole(color, 0, 0xFFFFFF, "background"))

    @property
    def point_color(self):
        """The colour of the grid points and the axes, 0xRRGGBB."""
        return self._lib.TALVEX_ControlGetPointColor(self.handle)

    @point_color.setter
    def point_color(self, color):
        self._lib.TALVEX_ControlSetPointColor(self.handle, _whole(color, 0, 0xFFFFFF, "point_color"))

    @property
    def solid(self):
        """Surfaces as chessboards (True) or as triangle edges (False)."""
        return bool(self._lib.TALVEX_ControlIsSolid(self.handle))

    @solid.setter
    def solid(self, value):
        self._lib.TALVEX_ControlSetSolid(self.handle, 1 if value else 0)

    @property
    def points(self):
        """Whether the point grid is drawn."""
        return bool(self._lib.TALVEX_ControlIsPointVisible(self.handle))

    @points.setter
    def points(self, value):
        self._lib.TALVEX_ControlSetPointVisible(self.handle, 1 if value else 0)

    @property
    def axes(self):
        """Whether the axes are drawn."""
        return bool(self._lib.TALVEX_ControlIsAxisVisible(self.handle))

    @axes.setter
    def axes(self, value):
        self._lib.TALVEX_ControlSetAxisVisible(self.handle, 1 if value else 0)

    @property
    def left_handed(self):
        """Left-handed axes (z grows away from the viewer)."""
        left = ctypes.c_int32()
        _check(self._lib.talvex_get_left_handed(self.handle, ctypes.byref(left)), "read the handedness")
        return bool(left.value)

    @left_handed.setter
    def left_handed(self, value):
        self.handle  # a closed chart raises before anything changes
        if value:
            self._lib.TALVEX_ControlSetLeftHand(self._handle)
        else:
            self._lib.TALVEX_ControlSetRightHand(self._handle)
        # The chart rebuilds its buffers empty for the new direction of z;
        # a chart that was calculated is calculated again to fill them.
        if self._calculated:
            self.calculate()

    @property
    def z_distance(self):
        """A stored value (single precision) with no effect on drawing."""
        return self._lib.TALVEX_ControlGetZDistance(self.handle)

    @z_distance.setter
    def z_distance(self, value):
        self._lib.TALVEX_ControlSetZDistance(self.handle, float(value))

    def default_view(self):
        """Looking straight at the x-y plane."""
        self._lib.TALVEX_ControlSetDefaultView(self.handle)

    def isometric_view(self):
        """Turned 20 degrees about x and -30 degrees about y."""
        self._lib.TALVEX_ControlSetIsometricView(self.handle)

    def turn(self, dx, dy):
        """Turns the view as a left-button drag of dx, dy pixels on the chart."""
        if abs(dx) > 30000 or abs(dy) > 30000:
            raise ValueError("a drag of at most 30000 pixels each way")
        _check(self._lib.talvex_turn_view(self.handle, int(dx), int(dy)), "turn the view")

    @property
    def view_angles(self):
        """The view's turn angles in degrees about x, y and z (z is kept, not drawn)."""
        angles = [ctypes.c_double() for _ in range(3)]
        _check(self._lib.talvex_get_view_angles(self.handle, *(ctypes.byref(a) for a in angles)),
               "read the view angles")
        return tuple(a.value for a in angles)

    @view_angles.setter
    def view_angles(self, angles):
        about_x, about_y, about_z = (float(a) for a in angles)
        _check(self._lib.talvex_set_view_angles(self.handle, about_x, about_y, about_z), "set the view angles")

    @staticmethod
    def _check_size(width, height):
        for side in (width, height):
            if isinstance(side, bool) or not isinstance(side, int):
                raise TypeError("a side is an int number of pixels, not %r" % (side,))
        if not (0 < width <= _MAX_SIDE and 0 < height <= _MAX_SIDE):
            raise ValueError("each side from 1 to %d pixels, not %r x %r" % (_MAX_SIDE, width, height))

    def resize(self, width, height):
        """Resizes the picture (and recalculates)."""
        self._check_size(width, height)
        self._lib.TALVEX_ControlMove(self.handle, 0, 0, width, height, 0)
        _check(self._lib.TALVEX_ControlSize(self.handle, width, height), "resize")

    # -- pictures ---------------------------------------------------------

    def picture(self):
        """The chart's current picture: a (height, width, 3) uint8 RGB array.

        Scripts set since the last calculation are calculated first (a slot
        that fails is told as a warning; the picture shows the rest).
        """
        self._calculate_if_changed()
        width, height = self.width, self.height
        if self._lib.has("talvex_render_picture"):
            pixels = np.zeros((height, width), dtype=np.uint32)
            code = self._lib.talvex_render_picture(self.handle, pixels.ctypes.data, width, height)
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

    def _save_bmp(self, path):
        _check(self._lib.TALVEX_SaveBMP(self.handle, os.fsencode(path)), "save %s" % path)

    def png(self):
        """The picture as the bytes of a PNG file."""
        return png_bytes(self.picture())

    def save(self, path):
        """Writes the picture as PNG or BMP, by the file name's extension."""
        if not isinstance(path, (str, bytes, os.PathLike)):
            raise TypeError("save takes a path, not %r" % (path,))
        extension = os.path.splitext(os.fsdecode(path))[1].lower()
        if extension == ".png":
            with open(path, "wb") as file:
                file.write(self.png())
        elif extension == ".bmp":
            self._calculate_if_changed()
            self._save_bmp(path)
        else:
            raise ValueError("save writes .png or .bmp files, not %r" % os.fspath(path))

    def _repr_png_(self):
        return self.png()

    def __repr__(self):
        if not self._handle:
            return "<talvex.Chart closed>"
        failures = self.failures()
        slots = [slot for slot in range(3) if self._kind(slot) != "none" or slot in failures]
        return "<talvex.Chart %dx%d, slots %s, zoom %d, %s-handed, view %.1f/%.1f degrees>" % (
            self.width, self.height, slots or "none calculated", self.zoom,
            "left" if self.left_handed else "right", *self.view_angles[:2])

    # -- geometry ---------------------------------------------------------

    def geometry(self, slot, coordinates="box"):
        """The calculated geometry of a slot: (kind, vertices, indices).

        kind is "surface", "curve", "point" or "none"; indices a 1-D int32
        array, three per triangle or two per segment. vertices has shape
        (n, 3): with coordinates="box" (the default) float32 in the chart's
        box, -100 ... 100 on each axis, z negated on a right-handed chart;
        with coordinates="script" float64 x, y, z as the script computed them
        (clamped to the box's faces), and then each triangle winds
        counter-clockwise about the parameters' cross product d/du x d/dv.
        Both are copies.
        """
        _slot(slot)
        if coordinates not in ("box", "script"):
            raise ValueError('coordinates is "box" or "script", not %r' % (coordinates,))
        if not self._lib.has("talvex_get_slot_geometry"):
            raise TalvexError(_codes.E_FAIL, "this libtalvex.so has no talvex_get_slot_geometry")
        out = TalvexSlotGeometry()
        code = self._lib.talvex_get_slot_geometry(self.handle, slot, ctypes.byref(out))
        if code == _codes.BAD_SLOT:
            raise TalvexError(code, "script slot %d is outside 0 ... 2" % slot)
        _check(code, "geometry")
        vertices = np.zeros((0, 3), dtype=np.float32)
        indices = np.zeros(0, dtype=np.int32)
        if out.vertexCount > 0 and out.vertices:
            raw = np.ctypeslib.as_array(ctypes.cast(out.vertices, ctypes.POINTER(ctypes.c_float)),
                                        shape=(out.vertexCount, 8))
            vertices = raw[:, :3].copy()
        if out.indexCount > 0 and out.indices:
            indices = np.ctypeslib.as_array(out.indices, shape=(out.indexCount,)).astype(np.int32)
        kind = _KINDS.get(out.kind, "none")
        if coordinates == "script":
            mapping = TalvexBoxMapping()
            _check(self._lib.talvex_get_slot_mapping(self.handle, slot, ctypes.byref(mapping)), "geometry")
            vertices = vertices.astype(np.float64)
            if mapping.zNegated:
                vertices[:, 2] = -vertices[:, 2]
            vertices = vertices * mapping.scale / 100 + np.array(list(mapping.centre))
            if kind == "surface" and mapping.trianglesReversed:
                triangles = indices.reshape(-1, 3)
                indices = triangles[:, [0, 2, 1]].reshape(-1).copy()
        return kind, vertices, indices

    def _kind(self, slot):
        """The kind of a slot's kept geometry, without copying its arrays."""
        out = TalvexSlotGeometry()
        _check(self._lib.talvex_get_slot_geometry(self.handle, slot, ctypes.byref(out)), "geometry")
        return _KINDS.get(out.kind, "none")

    def save_mesh(self, path):
        """Writes every calculated slot as a Wavefront OBJ file in the scripts' own coordinates."""
        if not isinstance(path, (str, os.PathLike)):
            raise TypeError("save_mesh takes a path, not %r" % (path,))
        if os.path.splitext(os.fspath(path))[1].lower() != ".obj":
            raise ValueError("save_mesh writes .obj files, not %r" % os.fspath(path))
        self._calculate_if_changed()
        lines = ["# TALVEX chart geometry in the scripts' own coordinates"]
        base = 1
        for slot in range(3):
            kind, vertices, indices = self.geometry(slot, coordinates="script")
            if kind == "none":
                continue
            lines.append("o slot%d" % slot)
            lines.extend("v %.9g %.9g %.9g" % tuple(v) for v in vertices)
            if kind == "point":
                lines.append("p %d" % base)
            else:
                per, element = (3, "f") if kind == "surface" else (2, "l")
                for group in (indices.reshape(-1, per) + base):
                    lines.append(element + "".join(" %d" % i for i in group))
            base += len(vertices)
        with open(path, "w") as file:
            file.write("\n".join(lines) + "\n")
