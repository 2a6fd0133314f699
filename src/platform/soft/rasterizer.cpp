#include "platform/soft/rasterizer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace talvex::soft {

namespace {

// A vertex in screen space: pixel coordinates whose whole values are pixel
// centres, depth 0..1, and 1/w with the texture coordinates over w for
// perspective-correct interpolation.
struct ScreenVertex {
    double x, y, z;
    double inverseW, uOverW, vOverW;
};

// Every conversion of a coordinate to a whole number goes through here: a
// value beyond int (a huge zoom) or not a number (a point at NaN) would make
// the conversion undefined. Whole values are clamped far outside any target,
// where they still lie on the same side of it; NaN gives a value left of
// every target, which nothing draws.
constexpr double kFarOutside = 1 << 30;
int PixelIndex(double whole) {
    if (!(whole >= -kFarOutside)) return -(1 << 30);
    return static_cast<int>(std::min(whole, kFarOutside));
}

ClipVertex Lerp(const ClipVertex& a, const ClipVertex& b, float t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t,
            a.w + (b.w - a.w) * t, a.u + (b.u - a.u) * t, a.v + (b.v - a.v) * t};
}

// Signed distances to the near plane (z >= 0) and the far plane (z <= w).
float NearDistance(const ClipVertex& v) { return v.z; }
float FarDistance(const ClipVertex& v) { return v.w - v.z; }

ScreenVertex ToScreen(const Target& target, const ClipVertex& v) {
    const double inverseW = 1.0 / v.w;
    // Direct3D samples pixel i at the whole coordinate i of its viewport
    // mapping; shifted by one half so that pixel i is sampled at i + 0.5 here.
    return {(v.x * inverseW + 1.0) * 0.5 * target.width + 0.5, (1.0 - v.y * inverseW) * 0.5 * target.height + 0.5,
            v.z * inverseW, inverseW, v.u * inverseW, v.v * inverseW};
}

uint8_t Channel(float value) {
    if (!(value > 0.0f)) return 0;  // NaN included
    return static_cast<uint8_t>(std::lround(std::min(value, 1.0f) * 255.0f));
}

// The texel column (or row) of a texture coordinate: point sampling with
// wrap addressing, for coordinates of any size (NaN samples texel 0).
int TexelIndex(double coordinate) {
    double cell = std::fmod(std::floor(coordinate * 16.0), 16.0);
    if (std::isnan(cell)) return 0;
    if (cell < 0) cell += 16.0;
    return static_cast<int>(cell) & 15;
}

uint32_t Shade(const Shading& shading, double u, double v) {
    float r = shading.red, g = shading.green, b = shading.blue;
    uint32_t alpha = 0xFF;
    if (shading.texture != nullptr) {
        const uint32_t texel = shading.texture[TexelIndex(v) * 16 + TexelIndex(u)];
        r *= static_cast<float>((texel >> 16) & 0xFF) / 255.0f;
        g *= static_cast<float>((texel >> 8) & 0xFF) / 255.0f;
        b *= static_cast<float>(texel & 0xFF) / 255.0f;
        alpha = texel >> 24;
    }
    return (alpha << 24) | (static_cast<uint32_t>(Channel(r)) << 16) | (static_cast<uint32_t>(Channel(g)) << 8) |
           Channel(b);
}

void Plot(Target& target, int x, int y, double z, uint32_t color, bool depthTest) {
    if (x < 0 || y < 0 || x >= target.width || y >= target.height) return;
    if (!(z >= 0.0 && z <= 1.0)) return;
    const size_t at = static_cast<size_t>(y) * static_cast<size_t>(target.width) + static_cast<size_t>(x);
    const auto depth = static_cast<uint16_t>(std::lround(z * 65535.0));
    if (depthTest) {
        if (depth > target.depth[at]) return;  // less or equal passes
        target.depth[at] = depth;
    }
    target.color[at] = color;
}

// Clips the segment to the near and far planes; false when nothing is left.
bool ClipSegment(ClipVertex& a, ClipVertex& b) {
    for (auto distance : {NearDistance, FarDistance}) {
        const float da = distance(a), db = distance(b);
        if (da < 0 && db < 0) return false;
        if (da < 0) a = Lerp(a, b, da / (da - db));
        else if (db < 0) b = Lerp(b, a, db / (db - da));
    }
    return true;
}

void RasterLine(Target& target, const ScreenVertex& a, const ScreenVertex& b, const Shading& shading) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const uint32_t color = Shade(shading, 0, 0);
    const bool xMajor = std::fabs(dx) >= std::fabs(dy);
    const double length = xMajor ? dx : dy;
    if (length == 0.0) return;
    const double start = xMajor ? a.x : a.y, end = xMajor ? b.x : b.y;
    // Pixels whose centre lies in [start, end) along the major axis; the
    // last pixel of a line is not drawn, as Direct3D does not.
    const double low = std::min(start, end), high = std::max(start, end);
    const double first = std::ceil(low - 0.5), last = std::ceil(high - 0.5) - 1;
    const double limit = xMajor ? target.width : target.height;
    for (double major = std::max(first, 0.0); major <= std::min(last, limit - 1); ++major) {
        const double t = (major + 0.5 - start) / length;
        const double minor = xMajor ? a.y + t * dy : a.x + t * dx;
        const double z = a.z + t * (b.z - a.z);
        const int minorPixel = PixelIndex(std::floor(minor));
        const int majorPixel = static_cast<int>(major);
        if (xMajor) Plot(target, majorPixel, minorPixel, z, color, shading.depthTest);
        else Plot(target, minorPixel, majorPixel, z, color, shading.depthTest);
    }
}

double Edge(const ScreenVertex& a, const ScreenVertex& b, double px, double py) {
    return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

// Top-left rule: with the triangle wound so that the edge function is
// positive inside, an edge owns the pixels exactly on it when it is a top
// edge (horizontal, running right) or a left edge (running up).
bool IsTopLeft(const ScreenVertex& a, const ScreenVertex& b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    return (dy == 0 && dx > 0) || dy < 0;
}

void RasterTriangle(Target& target, ScreenVertex a, ScreenVertex b, ScreenVertex c, const Shading& shading) {
    double area = Edge(a, b, c.x, c.y);
    if (area == 0.0 || std::isnan(area)) return;
    if (area < 0) {
        std::swap(b, c);
        area = -area;
    }
    const int minX = std::max(0, PixelIndex(std::ceil(std::min({a.x, b.x, c.x}) - 0.5)));
    const int maxX = std::min(target.width - 1, PixelIndex(std::floor(std::max({a.x, b.x, c.x}) - 0.5)));
    const int minY = std::max(0, PixelIndex(std::ceil(std::min({a.y, b.y, c.y}) - 0.5)));
    const int maxY = std::min(target.height - 1, PixelIndex(std::floor(std::max({a.y, b.y, c.y}) - 0.5)));
    const bool ownBC = IsTopLeft(b, c), ownCA = IsTopLeft(c, a), ownAB = IsTopLeft(a, b);
    const uint32_t flat = Shade(shading, 0, 0);  // the colour of every pixel when untextured
    for (int y = minY; y <= maxY; ++y) {
        const double py = y + 0.5;
        for (int x = minX; x <= maxX; ++x) {
            const double px = x + 0.5;
            const double w0 = Edge(b, c, px, py), w1 = Edge(c, a, px, py), w2 = Edge(a, b, px, py);
            if (w0 < 0 || w1 < 0 || w2 < 0) continue;
            if ((w0 == 0 && !ownBC) || (w1 == 0 && !ownCA) || (w2 == 0 && !ownAB)) continue;
            const double l0 = w0 / area, l1 = w1 / area, l2 = w2 / area;
            const double z = l0 * a.z + l1 * b.z + l2 * c.z;
            uint32_t color = flat;
            if (shading.texture != nullptr) {
                const double inverseW = l0 * a.inverseW + l1 * b.inverseW + l2 * c.inverseW;
                const double u = (l0 * a.uOverW + l1 * b.uOverW + l2 * c.uOverW) / inverseW;
                const double v = (l0 * a.vOverW + l1 * b.vOverW + l2 * c.vOverW) / inverseW;
                color = Shade(shading, u, v);
            }
            Plot(target, x, y, z, color, shading.depthTest);
        }
    }
}

// A triangle clipped against two planes has at most five corners; eight
// leave room and keep the per-triangle work free of allocation.
struct Polygon {
    ClipVertex corners[8];
    size_t count = 0;
};

// Clips a convex polygon against one plane (Sutherland-Hodgman).
Polygon ClipPolygon(const Polygon& in, float (*distance)(const ClipVertex&)) {
    Polygon out;
    for (size_t i = 0; i < in.count; ++i) {
        const ClipVertex& current = in.corners[i];
        const ClipVertex& next = in.corners[(i + 1) % in.count];
        const float dc = distance(current), dn = distance(next);
        if (dc >= 0) out.corners[out.count++] = current;
        if ((dc >= 0) != (dn >= 0)) out.corners[out.count++] = Lerp(current, next, dc / (dc - dn));
    }
    return out;
}

}  // namespace

// Pixel (i, j) covers [i, i+1) x [j, j+1) of the shifted screen coordinates
// and is sampled at its middle.
void DrawPoint(Target& target, const ClipVertex& p, const Shading& shading) {
    if (NearDistance(p) < 0 || FarDistance(p) < 0 || p.w <= 0) return;
    const ScreenVertex s = ToScreen(target, p);
    Plot(target, PixelIndex(std::floor(s.x)), PixelIndex(std::floor(s.y)), s.z, Shade(shading, 0, 0),
         shading.depthTest);
}

void DrawLine(Target& target, const ClipVertex& a, const ClipVertex& b, const Shading& shading) {
    ClipVertex from = a, to = b;
    if (!ClipSegment(from, to) || from.w <= 0 || to.w <= 0) return;
    RasterLine(target, ToScreen(target, from), ToScreen(target, to), shading);
}

void DrawTriangle(Target& target, const ClipVertex& a, const ClipVertex& b, const ClipVertex& c, Cull cull,
                  bool wireframe, const Shading& shading) {
    Polygon polygon;
    polygon.corners[0] = a;
    polygon.corners[1] = b;
    polygon.corners[2] = c;
    polygon.count = 3;
    polygon = ClipPolygon(ClipPolygon(polygon, NearDistance), FarDistance);
    if (polygon.count < 3) return;
    ScreenVertex screen[8];
    const size_t corners = polygon.count;
    for (size_t i = 0; i < corners; ++i) {
        if (polygon.corners[i].w <= 0) return;
        screen[i] = ToScreen(target, polygon.corners[i]);
    }
    // Winding on screen (y down): a positive edge value is clockwise.
    const double winding = Edge(screen[0], screen[1], screen[2].x, screen[2].y);
    const bool clockwise = winding > 0;
    if ((cull == Cull::Clockwise && clockwise) || (cull == Cull::CounterClockwise && !clockwise)) return;
    if (wireframe) {
        for (size_t i = 0; i < corners; ++i) RasterLine(target, screen[i], screen[(i + 1) % corners], shading);
        return;
    }
    for (size_t i = 1; i + 1 < corners; ++i) RasterTriangle(target, screen[0], screen[i], screen[i + 1], shading);
}

}  // namespace talvex::soft
