"""Pictures as files: PNG written with zlib and struct, and reading the
24-bit BMP files the library writes."""

import struct
import zlib

import os
from typing import Union

import numpy as np
import numpy.typing as npt

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def _chunk(kind: bytes, data: bytes) -> bytes:
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png_bytes(rgb: npt.ArrayLike) -> bytes:
    """An 8-bit RGB PNG of a (height, width, 3) uint8 array."""
    pixels = np.ascontiguousarray(rgb, dtype=np.uint8)
    height, width, _ = pixels.shape
    # Each row starts with its filter type, 0 (none).
    rows = np.zeros((height, 1 + 3 * width), dtype=np.uint8)
    rows[:, 1:] = pixels.reshape(height, 3 * width)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (
        PNG_SIGNATURE
        + _chunk(b"IHDR", header)
        + _chunk(b"IDAT", zlib.compress(rows.tobytes(), 6))
        + _chunk(b"IEND", b"")
    )


def read_bmp(path: Union[str, "os.PathLike[str]"]) -> npt.NDArray[np.uint8]:
    """The pixels of a 24-bit bottom-up BMP file as a (height, width, 3) RGB array."""
    with open(path, "rb") as file:
        data = file.read()
    if data[:2] != b"BM" or struct.unpack_from("<H", data, 28)[0] != 24:
        raise ValueError("%s is not a 24-bit BMP file" % path)
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (3 * width + 3) & ~3
    rows = np.frombuffer(data, dtype=np.uint8, count=stride * height, offset=offset).reshape(height, stride)
    bgr = rows[::-1, : 3 * width].reshape(height, width, 3)
    return np.ascontiguousarray(bgr[:, :, ::-1])
