// The reference the device's triangle filling is held to: the plain way of
// filling a triangle, every pixel of its bounding box decided on its own by
// evaluating the three edge functions there.
#pragma once

#include "platform/soft/rasterizer.h"

namespace talvex::soft {

inline void ReferenceFillTriangle(Target& target, const TriangleSetup& setup, const Shading& shading) {
    for (int32_t j = setup.minY; j <= setup.maxY; ++j)
        for (int32_t i = setup.minX; i <= setup.maxX; ++i)
            if (Covers(setup, i, j)) PaintTrianglePixel(target, setup, shading, i, j);
}

}  // namespace talvex::soft
