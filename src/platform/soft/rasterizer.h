// The software device's fixed-function back end: clipping against the near
// and far planes (and a guard band), the viewport, and Direct3D's rules for
// which pixels a point, a line and a triangle light (pixel centres at whole
// coordinates, the top-left fill convention), with a 16-bit depth test (less
// or equal).
//
// A triangle is drawn in two steps. Its set-up snaps the corners to 1/256 of
// a pixel, as GPU rasterisers do, and turns the three edges into integer
// edge functions and depth and texture coordinates into plane equations.
// Filling then decides each pixel exactly by those integers, so a pixel's
// fate does not depend on the order in which pixels are visited: the filler
// decides 8 x 8 blocks whole where it can, bands of rows can be filled by
// different threads, and a plain pixel-by-pixel walk (the tests' reference)
// gives the same picture.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace talvex::soft {

// A vertex after world, view and projection: clip coordinates and texture
// coordinates.
struct ClipVertex {
    float x, y, z, w;
    float u, v;
};

// The samples a device draws into. With 4 samples per pixel each pixel of
// the picture is 2 x 2 samples, drawn as pixels of a target twice as wide
// and high (every rule of this file holds per sample) and averaged when the
// picture is read: supersampling.
struct Target {
    int32_t width = 0;   // in samples
    int32_t height = 0;
    int32_t samplesPerSide = 1;  // 1, or 2 for 4 samples per pixel
    std::vector<uint32_t> color;  // 0xAARRGGBB, top row first
    std::vector<uint16_t> depth;
    // Set by Present: the colours are undefined until the next clear, and
    // are filled with a poison colour only when something reads or draws on
    // them first (a frame that starts with a clear never pays for it).
    bool poisoned = false;
    // With 4 samples: the picture, averaged from the samples, and whether it
    // is still theirs (whatever draws on the samples or clears them says not).
    std::vector<uint32_t> resolved;
    bool resolvedCurrent = false;
};

// What a draw paints with: a flat colour (channels 0..1), optionally times a
// texture sampled at points with wrapping. A 16 x 16 texture (the slots'
// chessboards) has the colour of each texel worked out once per draw; a
// larger one (sides powers of two) is read where it lies, and modulated per
// pixel unless the colour is white.
struct Shading {
    Shading(float red, float green, float blue, const uint32_t* texture, bool depthTest, int32_t textureWidth = 16,
            int32_t textureHeight = 16, bool blended = false);
    uint32_t flat;                    // the colour without a texture
    bool textured;
    bool depthTest;
    std::array<uint32_t, 256> texels;  // the shaded texels, row by row, of a 16 x 16 texture
    const uint32_t* largeTexture = nullptr;  // a larger texture's own texels, row by row
    int32_t largeWidth = 0, largeHeight = 0;
    bool modulated = false;  // the larger texture's texels are multiplied by the colour
    // The larger texture's texels laid over the picture by their alpha
    // (text); a 16 x 16 texture's alpha is never blended.
    bool blended = false;
    float red = 1.0f, green = 1.0f, blue = 1.0f;
};

enum class Cull { None, Clockwise, CounterClockwise };

// A vertex in screen space: its position snapped to 1/256 pixel (pixel i
// covers [256 i, 256 i + 256) and is sampled at 256 i + 128), depth 0..1,
// 1/w for perspective-correct interpolation, and the texture coordinates.
// Kept small: set-up reads three of them for every triangle.
struct ScreenVertex {
    int32_t x, y;
    float z, inverseW, u, v;
};

// A clip-space vertex in double precision: the clipper's, so that a corner
// far outside (a huge zoom) still cuts the guard band where it should.
struct ClipPoint {
    double x, y, z, w;
    double u, v;
};

inline ClipPoint Widen(const ClipVertex& v) { return {v.x, v.y, v.z, v.w, v.u, v.v}; }

// Whether a clip-space vertex needs no clipping: in front of the eye, between
// the near and far planes and inside the guard band, where snapped positions
// keep the edge functions within 64 bits.
bool InsideClipVolume(const Target& target, const ClipPoint& v);
ScreenVertex ToScreen(const Target& target, const ClipPoint& v);

// A plane equation over pixels: value(i, j) = (base + dy (j - j0)) + dx (i - i0),
// evaluated in this order wherever it is evaluated.
struct Plane {
    double base, dx, dy;
};

// Everything filling needs of one triangle. Edge k is inside at pixel (i, j)
// when a[k] i + b[k] j + c[k] >= 0; the top-left rule is folded into c.
//
// Texture coordinates are interpolated perspective-correct, u = (u/w) / (1/w),
// where that matters. Where 1/w is so nearly the same at the three corners
// that the two interpolations cannot part by a 64th of a texel, u and v are
// interpolated directly, with no division per pixel.
struct TriangleSetup {
    int64_t a[3], b[3], c[3];
    int32_t minX, minY, maxX, maxY;  // the pixels whose centres the corners bound, within the target
    int32_t i0, j0;                  // the pixel the planes are measured from
    bool perspective;
    Plane depth;
    Plane u, v;      // u/w and v/w where perspective, else u and v
    Plane inverseW;  // where perspective
};

// Sets up the triangle; false when it lights no pixel of the target (no
// area, or outside). Either winding is accepted.
bool SetupTriangle(const Target& target, const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                   TriangleSetup& setup);

// Twice the signed area of the snapped triangle on screen: positive when it
// runs clockwise (y points down).
inline int64_t Winding(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
    return static_cast<int64_t>(b.x - a.x) * (c.y - a.y) - static_cast<int64_t>(b.y - a.y) * (c.x - a.x);
}

inline bool CullsAway(Cull cull, int64_t winding) {
    const bool clockwise = winding > 0;
    return (cull == Cull::Clockwise && clockwise) || (cull == Cull::CounterClockwise && !clockwise);
}

// Whether the triangle covers pixel (i, j): inside all three edges.
inline bool Covers(const TriangleSetup& s, int32_t i, int32_t j) {
    for (int k = 0; k < 3; ++k)
        if (s.a[k] * i + s.b[k] * j + s.c[k] < 0) return false;
    return true;
}

// Depth-tests and paints pixel (i, j) of a triangle that covers it.
void PaintTrianglePixel(Target& target, const TriangleSetup& setup, const Shading& shading, int32_t i, int32_t j);

// Fills the pixels of rows rowBegin .. rowEnd - 1 that the triangle covers.
void FillTriangle(Target& target, const TriangleSetup& setup, const Shading& shading, int32_t rowBegin,
                  int32_t rowEnd);

// A triangle clipped against the near and far planes and the guard band:
// a convex polygon of at most 3 + 6 corners (one more for each plane).
struct Polygon {
    ClipPoint corners[12];
    int count = 0;
};
Polygon ClipTriangle(const Target& target, const ClipVertex& a, const ClipVertex& b, const ClipVertex& c);

void DrawPoint(Target& target, const ClipVertex& p, const Shading& shading);
void DrawLine(Target& target, const ClipVertex& a, const ClipVertex& b, const Shading& shading);
// The edges of a triangle, as Direct3D's wireframe fill draws them.
void DrawTriangleEdges(Target& target, const ClipVertex& a, const ClipVertex& b, const ClipVertex& c, Cull cull,
                       const Shading& shading);

}  // namespace talvex::soft
