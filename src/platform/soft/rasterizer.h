// The software device's fixed-function back end: clipping against the near
// and far planes, the viewport, and Direct3D's rules for which pixels a
// point, a line and a triangle light (pixel centres at whole coordinates, the
// top-left fill convention), with a 16-bit depth test (less or equal).
#pragma once

#include <cstdint>
#include <vector>

namespace talvex::soft {

// A vertex after world, view and projection: clip coordinates and texture
// coordinates.
struct ClipVertex {
    float x, y, z, w;
    float u, v;
};

struct Target {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> color;  // 0xAARRGGBB, top row first
    std::vector<uint16_t> depth;
};

// What a draw paints with: a flat colour (channels 0..1), optionally times a
// 16 x 16 texture sampled at points with wrapping.
struct Shading {
    float red = 1, green = 1, blue = 1;
    const uint32_t* texture = nullptr;  // 16 x 16 texels, or null
    bool depthTest = true;
};

enum class Cull { None, Clockwise, CounterClockwise };

void DrawPoint(Target& target, const ClipVertex& p, const Shading& shading);
void DrawLine(Target& target, const ClipVertex& a, const ClipVertex& b, const Shading& shading);
void DrawTriangle(Target& target, const ClipVertex& a, const ClipVertex& b, const ClipVertex& c, Cull cull,
                  bool wireframe, const Shading& shading);

}  // namespace talvex::soft
