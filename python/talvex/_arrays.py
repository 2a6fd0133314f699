"""Array-likes into the float64 arrays the library reads, with errors that
name the argument and its shape."""

from typing import Optional, Sequence, Tuple

import numpy as np
import numpy.typing as npt

Float64Array = npt.NDArray[np.float64]

#: The most values one slot's data holds (a 4096 x 4096 grid).
MAX_VALUES = 4096 * 4096


def as_values(value: object, name: str, dimensions: int) -> Float64Array:
    """value as a C-ordered float64 array of that many dimensions.

    Lists, tuples and numpy arrays of any real dtype are taken; a masked
    array's masked values become NaN (holes); a contiguous float64 array is
    returned as it is, without a copy.
    """
    if isinstance(value, (str, bytes)):
        raise TypeError("%s must be an array of numbers, not %s" % (name, type(value).__name__))
    if isinstance(value, np.ma.MaskedArray):
        if not (np.issubdtype(value.dtype, np.number) or value.dtype == np.bool_) or np.iscomplexobj(value):
            raise TypeError("%s must hold real numbers, not %s" % (name, value.dtype))
        mask = np.broadcast_to(np.asarray(value.mask, dtype=bool), value.shape)
        array = np.where(mask, np.nan, np.asarray(value.data, dtype=np.float64))
    else:
        try:
            array = np.asarray(value)
        except (TypeError, ValueError) as error:
            raise TypeError("%s must be an array of numbers: %s" % (name, error)) from None
        if array.dtype == object or not (np.issubdtype(array.dtype, np.number) or array.dtype == np.bool_):
            raise TypeError("%s must hold real numbers, not %s" % (name, array.dtype))
        if np.iscomplexobj(array):
            raise TypeError("%s must hold real numbers, not %s" % (name, array.dtype))
    if array.ndim != dimensions:
        raise ValueError("%s must be %d-dimensional, not of shape %s" % (name, dimensions, array.shape))
    if array.size == 0:
        raise ValueError("%s is empty (shape %s)" % (name, array.shape))
    if array.size > MAX_VALUES:
        raise ValueError("%s has %d values, more than a slot holds (at most %d, a grid of 4096 x 4096)"
                         % (name, array.size, MAX_VALUES))
    return np.ascontiguousarray(array, dtype=np.float64)


def same_shapes(arrays: Sequence[Tuple[str, Float64Array]]) -> None:
    """ValueError naming the arrays when their shapes differ."""
    shapes = {array.shape for _, array in arrays}
    if len(shapes) > 1:
        raise ValueError("%s must have one shape, not %s" % (
            ", ".join(name for name, _ in arrays), ", ".join(str(array.shape) for _, array in arrays)))


def vector_of(value: Optional[object], name: str, length: int) -> Optional[Float64Array]:
    """An optional coordinate vector of the given length."""
    if value is None:
        return None
    vector = as_values(value, name, 1)
    if vector.shape[0] != length:
        raise ValueError("%s must have %d values, one for each %s, not %d"
                         % (name, length, "column of z" if name == "x" else "row of z", vector.shape[0]))
    return vector
