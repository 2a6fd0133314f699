"""One chart control in a window of the native window system."""

import ctypes
import os
import tempfile

import numpy as np

from . import _codes
from ._library import TalvexSlotGeometry, library
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
    """A script that does not compile: .code, .line (from 1), the sentence as message."""

    def __init__(self, code, line, slot=None):
        super().__init__(code, _codes.compile_sentence(code))
        self.line = line
        self.slot = slot


class CalculationError(TalvexError):
    """No script could be calculated: .code tells why."""

    def __init__(self, code):
        super().__init__(code, _codes.describe(code, _codes.CALCULATION_SENTENCES))


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
        if isinstance(text, str):
            text = text.encode("utf-8")
        text = text.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
        # The library lower-cases the text in place: it gets a buffer of its own.
        buffer = ctypes.create_string_buffer(text)
        code = self._lib.TALVEX_ControlSetScript(self.handle, slot, buffer)
        if code == _codes.BAD_SLOT:
            raise TalvexError(code, "script slot %d is outside 0 ... 2" % slot)
        if code != 0:
            line = self._lib.TALVEX_ControlScriptGetErrorLine(self.handle, slot) + 1
            raise ScriptError(code, line, slot)

    def del_script(self, slot):
        code = self._lib.TALVEX_ControlDelScript(self.handle, slot)
        if code == _codes.BAD_SLOT:
            raise TalvexError(code, "script slot %d is outside 0 ... 2" % slot)

    def calculate(self):
        """Samples the scripts into geometry; CalculationError when no slot could be."""
        code = self._lib.TALVEX_ControlCalculate(self.handle)
        self._calculated = code == 0
        if code != 0:
            raise CalculationError(code)

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
        if not 0 <= value <= 100:
            raise ValueError("zoom takes 0 ... 100, not %r" % (value,))
        self._lib.TALVEX_ControlSetScale(self.handle, int(value))

    @property
    def background(self):
        """The background colour, 0xRRGGBB."""
        return self._lib.TALVEX_ControlGetBackgroundColor(self.handle)

    @background.setter
    def background(self, color):
        self._lib.TALVEX_ControlSetBackgroundColor(self.handle, int(color) & 0xFFFFFF)

    @property
    def point_color(self):
        """The colour of the grid points and the axes, 0xRRGGBB."""
        return self._lib.TALVEX_ControlGetPointColor(self.handle)

    @point_color.setter
    def point_color(self, color):
        self._lib.TALVEX_ControlSetPointColor(self.handle, int(color) & 0xFFFFFF)

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
        if not (0 < width <= _MAX_SIDE and 0 < height <= _MAX_SIDE):
            raise ValueError("each side from 1 to %d pixels, not %r x %r" % (_MAX_SIDE, width, height))

    def resize(self, width, height):
        """Resizes the picture (and recalculates)."""
        self._check_size(width, height)
        self._lib.TALVEX_ControlMove(self.handle, 0, 0, width, height, 0)
        _check(self._lib.TALVEX_ControlSize(self.handle, width, height), "resize")

    # -- pictures ---------------------------------------------------------

    def picture(self):
        """The chart's current picture: a (height, width, 3) uint8 RGB array."""
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
        extension = os.path.splitext(os.fspath(path))[1].lower()
        if extension == ".png":
            with open(path, "wb") as file:
                file.write(self.png())
        elif extension == ".bmp":
            self._save_bmp(path)
        else:
            raise ValueError("save writes .png or .bmp files, not %r" % os.fspath(path))

    def _repr_png_(self):
        return self.png()

    # -- geometry ---------------------------------------------------------

    def geometry(self, slot):
        """The calculated geometry of a slot: (kind, vertices, indices).

        kind is "surface", "curve", "point" or "none"; vertices a float32
        array of shape (n, 3) in box coordinates; indices a 1-D int32 array,
        three per triangle or two per segment. Both are copies.
        """
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
        return _KINDS.get(out.kind, "none"), vertices, indices
