"""Finding libtalvex.so and declaring its functions for ctypes.

The library is looked for, in this order:
  1. the path in the environment variable TALVEX_LIBRARY;
  2. beside this package, where `pip install ./python` puts the library it
     builds (libtalvex.so, and libtalvex_window.so.1 that it needs);
  3. the lib directory of the prefix the package is installed in (a venv,
     /usr/local, /opt/talvex), including Debian's lib/<triplet>;
  4. wherever the system's loader finds "talvex" (ctypes.util.find_library).
The native window system libtalvex_window.so is loaded first from the same
directory, so that the chart and this package share its one instance.
"""

import ctypes
import ctypes.util
import os
import sys
import sysconfig
from typing import Any, Dict, List, Optional, Sequence, Tuple, Type

# A ctypes result or argument type; None for void.
_CType = Optional[Type[Any]]

_NAMES = ("libtalvex.so", "libtalvex.so.1")
_WINDOW_NAMES = ("libtalvex_window.so", "libtalvex_window.so.1")


class TalvexVertex(ctypes.Structure):
    """One corner as the library keeps it: position, normal, texture coordinates."""

    _fields_ = [(name, ctypes.c_float) for name in ("x", "y", "z", "nx", "ny", "nz", "tu", "tv")]


class TalvexBoxMapping(ctypes.Structure):
    _fields_ = [
        ("scale", ctypes.c_double),
        ("centre", ctypes.c_double * 3),
        ("zNegated", ctypes.c_int32),
        ("trianglesReversed", ctypes.c_int32),
    ]


class TalvexSlotData(ctypes.Structure):
    """What talvex_get_slot_data fills in: pointers to the slot's own copy of its data."""
    _fields_ = [
        ("shape", ctypes.c_int32),
        ("columns", ctypes.c_int32),
        ("rows", ctypes.c_int32),
        ("x", ctypes.POINTER(ctypes.c_double)),
        ("y", ctypes.POINTER(ctypes.c_double)),
        ("z", ctypes.POINTER(ctypes.c_double)),
    ]


class TalvexSlotGeometry(ctypes.Structure):
    """What talvex_get_slot_geometry fills in: pointers into the chart's own buffers."""

    _fields_ = [
        ("kind", ctypes.c_int32),
        ("samplesU", ctypes.c_int32),
        ("samplesV", ctypes.c_int32),
        ("vertexCount", ctypes.c_int32),
        ("vertices", ctypes.POINTER(TalvexVertex)),
        ("indexCount", ctypes.c_int32),
        ("indices", ctypes.POINTER(ctypes.c_uint16)),
    ]


class TalvexStyle(ctypes.Structure):
    """The look of a chart, field for field as talvex_native.h declares it."""

    _fields_ = [
        ("size", ctypes.c_uint32),
        ("look", ctypes.c_int32),
        ("colorMap", ctypes.c_char * 16),
        ("colorBy", ctypes.c_int32),
        ("lighting", ctypes.c_int32),
        ("samples", ctypes.c_int32),
        ("axes", ctypes.c_int32),
        ("colorBar", ctypes.c_int32),
        ("equalAspect", ctypes.c_int32),
        ("textSize", ctypes.c_double),
        ("title", ctypes.c_char * 256),
        ("axisNames", (ctypes.c_char * 64) * 3),
    ]


_i32 = ctypes.c_int32
_u32 = ctypes.c_uint32
_window = ctypes.c_void_p
_double_out = ctypes.POINTER(ctypes.c_double)

# name: (result, arguments)
_FUNCTIONS: Dict[str, Tuple[_CType, List[_CType]]] = {
    "TALVEX_ControlCreate": (_i32, []),
    "TALVEX_ControlDestroy": (_i32, [_i32]),
    "TALVEX_ControlInit": (_i32, [_i32, _window, ctypes.c_void_p, _i32]),
    "TALVEX_ControlSize": (_i32, [_i32, _i32, _i32]),
    "TALVEX_ControlMove": (_i32, [_i32, _i32, _i32, _i32, _i32, _i32]),
    "TALVEX_ControlShow": (_i32, [_i32, _i32]),
    "TALVEX_ControlInvalidate": (_i32, [_i32, ctypes.c_void_p, _i32]),
    "TALVEX_ControlMouseWheel": (_i32, [_i32, ctypes.c_size_t, ctypes.c_ssize_t]),
    "TALVEX_ControlCalculate": (_i32, [_i32]),
    "TALVEX_ControlSetScript": (_i32, [_i32, _i32, ctypes.c_char_p]),
    "TALVEX_ControlDelScript": (_i32, [_i32, _i32]),
    "TALVEX_ControlScriptGetErrorLine": (_i32, [_i32, _i32]),
    "TALVEX_ControlSetDefaultView": (_i32, [_i32]),
    "TALVEX_ControlSetIsometricView": (_i32, [_i32]),
    "TALVEX_ControlGetWidth": (_i32, [_i32]),
    "TALVEX_ControlGetHeight": (_i32, [_i32]),
    "TALVEX_ControlGetScale": (_i32, [_i32]),
    "TALVEX_ControlSetScale": (_i32, [_i32, _i32]),
    "TALVEX_ControlGetBackgroundColor": (_u32, [_i32]),
    "TALVEX_ControlSetBackgroundColor": (_i32, [_i32, _u32]),
    "TALVEX_ControlGetPointColor": (_u32, [_i32]),
    "TALVEX_ControlSetPointColor": (_i32, [_i32, _u32]),
    "TALVEX_ControlIsPointVisible": (ctypes.c_ubyte, [_i32]),
    "TALVEX_ControlSetPointVisible": (_i32, [_i32, _i32]),
    "TALVEX_ControlIsAxisVisible": (ctypes.c_ubyte, [_i32]),
    "TALVEX_ControlSetAxisVisible": (_i32, [_i32, _i32]),
    "TALVEX_ControlIsSolid": (ctypes.c_ubyte, [_i32]),
    "TALVEX_ControlSetSolid": (_i32, [_i32, _i32]),
    "TALVEX_ControlGetZDistance": (ctypes.c_float, [_i32]),
    "TALVEX_ControlSetZDistance": (_i32, [_i32, ctypes.c_float]),
    "TALVEX_ControlSetLeftHand": (_i32, [_i32]),
    "TALVEX_ControlSetRightHand": (_i32, [_i32]),
    "TALVEX_SaveBMP": (_i32, [_i32, ctypes.c_char_p]),
}

# The native interface: pictures and geometry without a file in between.
_NATIVE_FUNCTIONS: Dict[str, Tuple[_CType, List[_CType]]] = {
    "talvex_get_slot_geometry": (_i32, [_i32, _i32, ctypes.POINTER(TalvexSlotGeometry)]),
    "talvex_get_slot_indices": (_i32, [_i32, _i32, ctypes.POINTER(ctypes.POINTER(ctypes.c_uint32)),
                                       ctypes.POINTER(_i32)]),
    "talvex_get_slot_note": (_i32, [_i32, _i32, ctypes.c_char_p, _i32]),
    "talvex_get_slot_mapping": (_i32, [_i32, _i32, ctypes.POINTER(TalvexBoxMapping)]),
    "talvex_set_axis_range": (_i32, [_i32, _i32, ctypes.c_double, ctypes.c_double, ctypes.c_char_p, _i32]),
    "talvex_get_axis_range": (_i32, [_i32, _i32, _double_out, _double_out]),
    "talvex_set_shared_box": (_i32, [_i32, _i32]),
    "talvex_get_shared_box": (_i32, [_i32, ctypes.POINTER(_i32)]),
    "talvex_get_slot_error": (_i32, [_i32, _i32, ctypes.POINTER(_i32), ctypes.c_char_p, _i32]),
    "talvex_render_picture": (_i32, [_i32, ctypes.c_void_p, _i32, _i32]),
    "talvex_get_view_angles": (_i32, [_i32, _double_out, _double_out, _double_out]),
    "talvex_set_view_angles": (_i32, [_i32, ctypes.c_double, ctypes.c_double, ctypes.c_double]),
    "talvex_turn_view": (_i32, [_i32, _i32, _i32]),
    "talvex_get_left_handed": (_i32, [_i32, ctypes.POINTER(_i32)]),
    "talvex_error_text": (ctypes.c_char_p, [_i32]),
    "talvex_get_style": (_i32, [_i32, ctypes.POINTER(TalvexStyle)]),
    "talvex_set_style": (_i32, [_i32, ctypes.POINTER(TalvexStyle), ctypes.c_char_p, _i32]),
    "talvex_default_style": (None, [ctypes.POINTER(TalvexStyle)]),
    "talvex_version": (ctypes.c_char_p, []),
    "talvex_set_grid": (_i32, [_i32, _i32, _i32, _i32, ctypes.c_void_p, ctypes.c_void_p, ctypes.c_void_p,
                               ctypes.c_char_p, _i32]),
    "talvex_set_surface": (_i32, [_i32, _i32, _i32, _i32, ctypes.c_void_p, ctypes.c_void_p, ctypes.c_void_p,
                                  ctypes.c_char_p, _i32]),
    "talvex_set_curve": (_i32, [_i32, _i32, _i32, ctypes.c_void_p, ctypes.c_void_p, ctypes.c_void_p,
                                ctypes.c_char_p, _i32]),
    "talvex_get_slot_data": (_i32, [_i32, _i32, ctypes.POINTER(TalvexSlotData)]),
    "talvex_set_points": (_i32, [_i32, _i32, _i32, ctypes.c_void_p, ctypes.c_void_p, ctypes.c_void_p,
                                 ctypes.c_char_p, _i32]),
}

_WINDOW_FUNCTIONS: Dict[str, Tuple[_CType, List[_CType]]] = {
    "talvex_window_create": (_window, [_i32, _i32]),
    "talvex_window_destroy": (None, [_window]),
    "talvex_window_find_child": (_window, [_window, _i32]),
    "talvex_window_send": (ctypes.c_ssize_t, [_window, _u32, ctypes.c_size_t, ctypes.c_ssize_t]),
    "talvex_window_set_key_state": (None, [_i32, _i32]),
}


class LibraryNotFound(OSError):
    """No libtalvex.so where the package looks; the message says where to point it."""


def _declare(library: ctypes.CDLL, functions: Dict[str, Tuple[_CType, List[_CType]]],
             required: bool = True) -> None:
    for name, (result, arguments) in functions.items():
        try:
            function = getattr(library, name)
        except AttributeError:
            if required:
                raise
            continue
        function.restype = result
        function.argtypes = arguments


def _in_directory(directory: str, names: Sequence[str]) -> Optional[str]:
    for name in names:
        path = os.path.join(directory, name)
        if os.path.exists(path):
            return path
    return None


def _prefix_directories() -> List[str]:
    """The lib directories of the prefix this package is installed under."""
    here = os.path.dirname(os.path.abspath(__file__))
    prefixes = []
    # <prefix>/lib/pythonX.Y/site-packages/talvex or <prefix>/lib/python3/dist-packages/talvex
    parts = here.split(os.sep)
    for marker in ("site-packages", "dist-packages"):
        if marker in parts:
            index = len(parts) - 1 - parts[::-1].index(marker)
            prefixes.append(os.sep.join(parts[: index - 2]) or os.sep)
    prefixes += [sys.prefix, sysconfig.get_config_var("prefix") or sys.prefix]
    directories = []
    triplet = sysconfig.get_config_var("MULTIARCH")
    for prefix in prefixes:
        for lib in ("lib", os.path.join("lib", triplet) if triplet else None, "lib64"):
            if lib is not None:
                directory = os.path.join(prefix, lib)
                if directory not in directories:
                    directories.append(directory)
    return directories


def find_library() -> str:
    """The path of libtalvex.so, by the order above; LibraryNotFound otherwise."""
    explicit = os.environ.get("TALVEX_LIBRARY")
    if explicit:
        if not os.path.exists(explicit):
            raise LibraryNotFound("TALVEX_LIBRARY names %s, which does not exist" % explicit)
        return explicit
    here = os.path.dirname(os.path.abspath(__file__))
    for directory in [here] + _prefix_directories():
        path = _in_directory(directory, _NAMES)
        if path is not None:
            return path
    found = ctypes.util.find_library("talvex")
    if found:
        return found
    raise LibraryNotFound(
        "libtalvex.so not found: set TALVEX_LIBRARY to its path, or install TALVEX into this prefix"
    )


class Library:
    """The loaded chart and window libraries with their functions declared."""

    def __init__(self, path: str) -> None:
        self.path = path
        directory = os.path.dirname(path)
        window_path = _in_directory(directory, _WINDOW_NAMES) if directory else None
        # Loaded globally first, so that the chart library's dependency on it
        # resolves to this very instance.
        self.window = ctypes.CDLL(window_path or "libtalvex_window.so.1", mode=ctypes.RTLD_GLOBAL)
        self.chart = ctypes.CDLL(path)
        _declare(self.chart, _FUNCTIONS)
        _declare(self.chart, _NATIVE_FUNCTIONS, required=False)
        _declare(self.window, _WINDOW_FUNCTIONS)

    def has(self, name: str) -> bool:
        return hasattr(self.chart, name)

    def __getattr__(self, name: str) -> Any:
        if name.startswith("talvex_window_"):
            return getattr(self.window, name)
        return getattr(self.chart, name)


_loaded: Optional[Library] = None


def library() -> Library:
    """The library, loaded on first use."""
    global _loaded
    if _loaded is None:
        _loaded = Library(find_library())
    return _loaded
