#include "platform/soft/rasterizer.h"

#include <algorithm>
#include <cmath>

namespace talvex::soft {

namespace {

// Points and lines keep unsnapped screen positions: pixel coordinates whose
// whole values are pixel edges (pixel i is sampled at i + 0.5), and depth.
struct ScreenPoint {
    double x, y, z;
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

template <typename Vertex, typename Real>
Vertex Lerp(const Vertex& a, const Vertex& b, Real t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t,
            a.w + (b.w - a.w) * t, a.u + (b.u - a.u) * t, a.v + (b.v - a.v) * t};
}

// Signed distances to the near plane (z >= 0) and the far plane (z <= w).
template <typename Vertex>
auto NearDistance(const Vertex& v) { return v.z; }
template <typename Vertex>
auto FarDistance(const Vertex& v) { return v.w - v.z; }

template <typename Vertex>
ScreenPoint ToScreenPoint(const Target& target, const Vertex& v) {
    const double inverseW = 1.0 / v.w;
    // Direct3D samples pixel i at the whole coordinate i of its viewport
    // mapping; shifted by one half so that pixel i is sampled at i + 0.5 here.
    return {(v.x * inverseW + 1.0) * 0.5 * target.width + 0.5, (1.0 - v.y * inverseW) * 0.5 * target.height + 0.5,
            v.z * inverseW};
}

uint8_t Channel(float value) {
    if (!(value > 0.0f)) return 0;  // NaN included
    return static_cast<uint8_t>(std::lround(std::min(value, 1.0f) * 255.0f));
}

uint32_t Shade(float r, float g, float b, uint32_t alpha) {
    return (alpha << 24) | (static_cast<uint32_t>(Channel(r)) << 16) | (static_cast<uint32_t>(Channel(g)) << 8) |
           Channel(b);
}

// A texel times the shading's colour; the texel's alpha is kept.
uint32_t Modulate(const Shading& shading, uint32_t texel) {
    return Shade(shading.red * (static_cast<float>((texel >> 16) & 0xFF) / 255.0f),
                 shading.green * (static_cast<float>((texel >> 8) & 0xFF) / 255.0f),
                 shading.blue * (static_cast<float>(texel & 0xFF) / 255.0f), texel >> 24);
}

// The source over the destination by the source's alpha, rounded.
uint32_t Blend(uint32_t source, uint32_t destination) {
    const uint32_t alpha = source >> 24;
    if (alpha == 0xFF) return source;
    uint32_t out = destination & 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t mixed = ((source >> shift) & 0xFF) * alpha + ((destination >> shift) & 0xFF) * (255 - alpha);
        out |= ((mixed + 127) / 255) << shift;
    }
    return out;
}

// The 16-bit depth of a depth 0..1.
uint16_t DepthUnits(double z) { return static_cast<uint16_t>(z * 65535.0 + 0.5); }

void Plot(Target& target, int x, int y, double z, uint32_t color, bool depthTest) {
    if (x < 0 || y < 0 || x >= target.width || y >= target.height) return;
    if (!(z >= 0.0 && z <= 1.0)) return;
    const size_t at = static_cast<size_t>(y) * static_cast<size_t>(target.width) + static_cast<size_t>(x);
    const uint16_t depth = DepthUnits(z);
    if (depthTest) {
        if (depth > target.depth[at]) return;  // less or equal passes
        target.depth[at] = depth;
    }
    target.color[at] = color;
}

// Clips the segment to the near and far planes; false when nothing is left.
bool ClipSegment(ClipVertex& a, ClipVertex& b) {
    for (auto distance : {NearDistance<ClipVertex>, FarDistance<ClipVertex>}) {
        const float da = distance(a), db = distance(b);
        if (da < 0 && db < 0) return false;
        if (da < 0) a = Lerp(a, b, da / (da - db));
        else if (db < 0) b = Lerp(b, a, db / (db - da));
    }
    return true;
}

void RasterLine(Target& target, const ScreenPoint& a, const ScreenPoint& b, const Shading& shading) {
    const double dx = b.x - a.x, dy = b.y - a.y;
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
        if (xMajor) Plot(target, majorPixel, minorPixel, z, shading.flat, shading.depthTest);
        else Plot(target, minorPixel, majorPixel, z, shading.flat, shading.depthTest);
    }
}

// The guard band: how far beyond the target, in normalised device
// coordinates, a corner may lie unclipped. Snapped corners then stay within
// 2^15 pixels of the target, so that edge functions keep within 64 bits.
double GuardBand(int32_t side) { return 32768.0 / std::max(side, 1); }

// The planes a triangle is clipped against: near, far, and the four sides of
// the guard band; each distance is positive inside.
using Distance = double (*)(const ClipPoint&, double guardX, double guardY);
constexpr Distance kClipPlanes[] = {
    [](const ClipPoint& v, double, double) { return NearDistance(v); },
    [](const ClipPoint& v, double, double) { return FarDistance(v); },
    [](const ClipPoint& v, double guardX, double) { return guardX * v.w - v.x; },
    [](const ClipPoint& v, double guardX, double) { return guardX * v.w + v.x; },
    [](const ClipPoint& v, double, double guardY) { return guardY * v.w - v.y; },
    [](const ClipPoint& v, double, double guardY) { return guardY * v.w + v.y; },
};

// Clips a convex polygon against one plane (Sutherland-Hodgman).
Polygon ClipPolygon(const Polygon& in, Distance distance, double guardX, double guardY) {
    Polygon out;
    for (int i = 0; i < in.count; ++i) {
        const ClipPoint& current = in.corners[i];
        const ClipPoint& next = in.corners[(i + 1) % in.count];
        const double dc = distance(current, guardX, guardY), dn = distance(next, guardX, guardY);
        if (dc >= 0) out.corners[out.count++] = current;
        if ((dc >= 0) != (dn >= 0)) out.corners[out.count++] = Lerp(current, next, dc / (dc - dn));
    }
    return out;
}

// Rounds down a / 256 for any sign.
int64_t FloorDiv256(int64_t a) { return a >= 0 ? a / 256 : -((-a + 255) / 256); }

// Plane equations over one triangle's pixels: the gradients of the values at
// its corners, in pixel units, measured from the centre of pixel (i0, j0).
class PlaneFitter {
public:
    PlaneFitter(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, int32_t i0, int32_t j0)
        : xa_(a.x / 256.0), ya_(a.y / 256.0), xb_(b.x / 256.0 - xa_), yb_(b.y / 256.0 - ya_),
          xc_(c.x / 256.0 - xa_), yc_(c.y / 256.0 - ya_), inverse_(1.0 / (xb_ * yc_ - xc_ * yb_)),
          toCentreX_(i0 + 0.5 - xa_), toCentreY_(j0 + 0.5 - ya_) {}

    Plane Through(double fa, double fb, double fc) const {
        const double dx = ((fb - fa) * yc_ - (fc - fa) * yb_) * inverse_;
        const double dy = ((fc - fa) * xb_ - (fb - fa) * xc_) * inverse_;
        return {fa + dx * toCentreX_ + dy * toCentreY_, dx, dy};
    }

private:
    double xa_, ya_, xb_, yb_, xc_, yc_, inverse_, toCentreX_, toCentreY_;
};

// Whether perspective-correct and direct interpolation of the texture
// coordinates could part by a 64th of a texel in this triangle: the relative
// spread of 1/w over its corners times the texels its coordinates span.
bool NeedsPerspective(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
    const double lowW = std::min({a.inverseW, b.inverseW, c.inverseW});
    const double highW = std::max({a.inverseW, b.inverseW, c.inverseW});
    const double span = std::max(std::max({a.u, b.u, c.u}) - std::min({a.u, b.u, c.u}),
                                 std::max({a.v, b.v, c.v}) - std::min({a.v, b.v, c.v}));
    // (highW - lowW) / lowW * span * 16 texels < 1/64, without the division
    // (1/w is positive in front of the eye); NaN needs it too.
    return !((highW - lowW) * span * 1024.0 < lowW);
}

// Point sampling with wrap addressing: the texel column (or row) of a
// texture coordinate. Moved up by 2^30 texels, a multiple of 16, every
// coordinate within a billion texels is positive, where truncation rounds
// down; beyond that (and NaN) texel 0 is sampled.
int TexelIndex(double coordinate, int32_t side = 16) {
    const double scaled = coordinate * side;
    if (!(scaled > -1e9 && scaled < 1e9)) return 0;
    return static_cast<int>(static_cast<int64_t>(scaled + 1073741824.0) & (side - 1));
}

// The values of the triangle's planes along one row, from which each pixel
// adds its column's share.
struct RowPlanes {
    double depth, u, v, inverseW;
};

inline RowPlanes PlanesOfRow(const TriangleSetup& s, int32_t j) {
    const double dj = j - s.j0;
    return {s.depth.base + s.depth.dy * dj, s.u.base + s.u.dy * dj, s.v.base + s.v.dy * dj,
            s.inverseW.base + s.inverseW.dy * dj};
}

// What a draw's pixels are coloured with, decided once a triangle so that
// the loop over its pixels does not ask again for each.
enum class Texturing {
    kNone,   // the flat colour
    kSmall,  // the shaded texels of a 16 x 16 texture
    kLarge,  // a larger texture's texels as they are
    kLargeModulatedOrBlended,
};

inline Texturing TexturingOf(const Shading& shading) {
    if (!shading.textured) return Texturing::kNone;
    if (shading.largeTexture == nullptr) return Texturing::kSmall;
    return shading.modulated || shading.blended ? Texturing::kLargeModulatedOrBlended : Texturing::kLarge;
}

template <Texturing kTexturing>
inline void PaintPixel(Target& target, const TriangleSetup& s, const Shading& shading, const RowPlanes& row,
                       int32_t i, size_t at) {
    const double di = i - s.i0;
    const double z = row.depth + s.depth.dx * di;
    if (!(z >= 0.0 && z <= 1.0)) return;
    const uint16_t depth = DepthUnits(z);
    if (shading.depthTest) {
        if (depth > target.depth[at]) return;  // less or equal passes
        target.depth[at] = depth;
    }
    if constexpr (kTexturing == Texturing::kNone) {
        target.color[at] = shading.flat;
        return;
    } else {
        double u = row.u + s.u.dx * di, v = row.v + s.v.dx * di;
        if (s.perspective) {
            const double reciprocal = 1.0 / (row.inverseW + s.inverseW.dx * di);
            u *= reciprocal;
            v *= reciprocal;
        }
        if constexpr (kTexturing == Texturing::kSmall) {
            target.color[at] = shading.texels[static_cast<size_t>(TexelIndex(v) * 16 + TexelIndex(u))];
        } else {
            const uint32_t texel =
                shading.largeTexture[static_cast<size_t>(TexelIndex(v, shading.largeHeight)) *
                                         static_cast<size_t>(shading.largeWidth) +
                                     static_cast<size_t>(TexelIndex(u, shading.largeWidth))];
            if constexpr (kTexturing == Texturing::kLarge) {
                target.color[at] = texel;
            } else {
                const uint32_t color = shading.modulated ? Modulate(shading, texel) : texel;
                target.color[at] = shading.blended ? Blend(color, target.color[at]) : color;
            }
        }
    }
}

}  // namespace

Shading::Shading(float redPart, float greenPart, float bluePart, const uint32_t* texture, bool depthTestOn,
                 int32_t textureWidth, int32_t textureHeight, bool blendedOn)
    : flat(Shade(redPart, greenPart, bluePart, 0xFF)), textured(texture != nullptr), depthTest(depthTestOn), texels{},
      red(redPart), green(greenPart), blue(bluePart) {
    if (texture == nullptr) return;
    if (textureWidth != 16 || textureHeight != 16) {
        // Too many texels to shade them all for every draw.
        largeTexture = texture;
        largeWidth = textureWidth;
        largeHeight = textureHeight;
        modulated = flat != 0xFFFFFFFFu;
        blended = blendedOn;
        return;
    }
    for (size_t i = 0; i < texels.size(); ++i) texels[i] = Modulate(*this, texture[i]);
}

bool InsideClipVolume(const Target& target, const ClipPoint& v) {
    const double guardX = GuardBand(target.width), guardY = GuardBand(target.height);
    // The distances to the clip planes, written out: this runs for every vertex.
    return v.z >= 0 && v.w - v.z >= 0 && guardX * v.w - v.x >= 0 && guardX * v.w + v.x >= 0 &&
           guardY * v.w - v.y >= 0 && guardY * v.w + v.y >= 0 && v.w > 0;
}

// Rounds half away from zero, as llround does, for values within 2^62.
int64_t Round(double value) {
    const auto whole = static_cast<int64_t>(value);  // towards zero
    const double rest = value - static_cast<double>(whole);
    return whole + (rest >= 0.5) - (rest <= -0.5);
}

ScreenVertex ToScreen(const Target& target, const ClipPoint& v) {
    const ScreenPoint point = ToScreenPoint(target, v);
    // Within the guard band the snapped position fits 32 bits.
    return {static_cast<int32_t>(Round(point.x * 256.0)), static_cast<int32_t>(Round(point.y * 256.0)),
            static_cast<float>(point.z), static_cast<float>(1.0 / v.w), static_cast<float>(v.u),
            static_cast<float>(v.v)};
}

Polygon ClipTriangle(const Target& target, const ClipVertex& a, const ClipVertex& b, const ClipVertex& c) {
    const double guardX = GuardBand(target.width), guardY = GuardBand(target.height);
    Polygon polygon;
    polygon.corners[0] = Widen(a);
    polygon.corners[1] = Widen(b);
    polygon.corners[2] = Widen(c);
    polygon.count = 3;
    for (Distance distance : kClipPlanes) {
        polygon = ClipPolygon(polygon, distance, guardX, guardY);
        if (polygon.count < 3) return Polygon{};
    }
    // A corner that is not a finite number (an infinite vertex, or one the
    // clipping turned into one) has no place on the screen: the triangle is
    // dropped before its position is converted to integers.
    for (int i = 0; i < polygon.count; ++i) {
        const ClipPoint& corner = polygon.corners[i];
        if (!(corner.w > 0) || !std::isfinite(corner.x) || !std::isfinite(corner.y) || !std::isfinite(corner.z) ||
            !std::isfinite(corner.w))
            return Polygon{};
    }
    return polygon;
}

bool SetupTriangle(const Target& target, const ScreenVertex& a, const ScreenVertex& first, const ScreenVertex& second,
                   TriangleSetup& s) {
    const int64_t area = Winding(a, first, second);
    if (area == 0) return false;
    // Wound so that every edge function is positive inside.
    const ScreenVertex& b = area > 0 ? first : second;
    const ScreenVertex& c = area > 0 ? second : first;

    const int64_t lowX = std::min({a.x, b.x, c.x}), highX = std::max({a.x, b.x, c.x});
    const int64_t lowY = std::min({a.y, b.y, c.y}), highY = std::max({a.y, b.y, c.y});
    // The pixels whose centres (256 i + 128) lie between the corners.
    s.minX = static_cast<int32_t>(std::max<int64_t>(0, -FloorDiv256(128 - lowX)));
    s.maxX = static_cast<int32_t>(std::min<int64_t>(target.width - 1, FloorDiv256(highX - 128)));
    s.minY = static_cast<int32_t>(std::max<int64_t>(0, -FloorDiv256(128 - lowY)));
    s.maxY = static_cast<int32_t>(std::min<int64_t>(target.height - 1, FloorDiv256(highY - 128)));
    if (s.minX > s.maxX || s.minY > s.maxY) return false;

    // Edge k runs from corner p to corner q, the one opposite corner k.
    const ScreenVertex* corners[3] = {&a, &b, &c};
    for (int k = 0; k < 3; ++k) {
        const ScreenVertex& p = *corners[(k + 1) % 3];
        const ScreenVertex& q = *corners[(k + 2) % 3];
        const int64_t dx = static_cast<int64_t>(q.x) - p.x, dy = static_cast<int64_t>(q.y) - p.y;
        // (q - p) x (centre - p) over the centre 256 i + 128, 256 j + 128.
        s.a[k] = -dy * 256;
        s.b[k] = dx * 256;
        s.c[k] = dx * (128 - p.y) - dy * (128 - p.x);
        // Top-left rule: an edge owns the pixels exactly on it when it is a
        // top edge (horizontal, running right) or a left edge (running up).
        const bool topLeft = (dy == 0 && dx > 0) || dy < 0;
        if (!topLeft) s.c[k] -= 1;
    }

    s.i0 = static_cast<int32_t>(std::clamp<int64_t>(FloorDiv256(a.x), -65536, 65536));
    s.j0 = static_cast<int32_t>(std::clamp<int64_t>(FloorDiv256(a.y), -65536, 65536));
    const PlaneFitter planes(a, b, c, s.i0, s.j0);
    s.depth = planes.Through(a.z, b.z, c.z);
    s.perspective = NeedsPerspective(a, b, c);
    if (s.perspective) {
        const double wa = a.inverseW, wb = b.inverseW, wc = c.inverseW;
        s.u = planes.Through(a.u * wa, b.u * wb, c.u * wc);
        s.v = planes.Through(a.v * wa, b.v * wb, c.v * wc);
        s.inverseW = planes.Through(wa, wb, wc);
    } else {
        s.u = planes.Through(a.u, b.u, c.u);
        s.v = planes.Through(a.v, b.v, c.v);
        s.inverseW = {};
    }
    return true;
}

void PaintTrianglePixel(Target& target, const TriangleSetup& setup, const Shading& shading, int32_t i, int32_t j) {
    const size_t at = static_cast<size_t>(j) * static_cast<size_t>(target.width) + static_cast<size_t>(i);
    const RowPlanes row = PlanesOfRow(setup, j);
    switch (TexturingOf(shading)) {
    case Texturing::kNone: PaintPixel<Texturing::kNone>(target, setup, shading, row, i, at); break;
    case Texturing::kSmall: PaintPixel<Texturing::kSmall>(target, setup, shading, row, i, at); break;
    case Texturing::kLarge: PaintPixel<Texturing::kLarge>(target, setup, shading, row, i, at); break;
    case Texturing::kLargeModulatedOrBlended:
        PaintPixel<Texturing::kLargeModulatedOrBlended>(target, setup, shading, row, i, at);
        break;
    }
}

// Paints pixels begin .. end - 1 of row j, all of which the triangle covers.
template <Texturing kTexturing>
inline void PaintRun(Target& target, const TriangleSetup& s, const Shading& shading, int32_t j, int32_t begin,
                     int32_t end) {
    const RowPlanes row = PlanesOfRow(s, j);
    const size_t rowStart = static_cast<size_t>(j) * static_cast<size_t>(target.width);
    for (int32_t i = begin; i < end; ++i) PaintPixel<kTexturing>(target, s, shading, row, i, rowStart + static_cast<size_t>(i));
}

// Walks the covered part of the rows in 8 x 8 blocks: a block whose corners
// all lie inside every edge is painted without testing its pixels, one whose
// corners all lie outside one edge is skipped, the others are tested pixel by
// pixel with edge values stepped along the row (exact: they are integers).
// Paints the covered run of each row from top to bottom within columns left
// .. right: the covered pixels of a row are one run (each edge keeps one
// side of a line), so the walk skips to it, paints it and leaves the row.
template <Texturing kTexturing>
inline void FillRows(Target& target, const TriangleSetup& s, const Shading& shading, int32_t left, int32_t right,
                     int32_t top, int32_t bottom) {
    int64_t start0 = s.a[0] * left + s.b[0] * top + s.c[0];
    int64_t start1 = s.a[1] * left + s.b[1] * top + s.c[1];
    int64_t start2 = s.a[2] * left + s.b[2] * top + s.c[2];
    for (int32_t j = top; j <= bottom; ++j, start0 += s.b[0], start1 += s.b[1], start2 += s.b[2]) {
        int64_t e0 = start0, e1 = start1, e2 = start2;
        int32_t i = left;
        for (; i <= right && (e0 | e1 | e2) < 0; ++i, e0 += s.a[0], e1 += s.a[1], e2 += s.a[2]) {
        }
        if (i > right) continue;
        const RowPlanes row = PlanesOfRow(s, j);
        const size_t rowStart = static_cast<size_t>(j) * static_cast<size_t>(target.width);
        for (; i <= right && (e0 | e1 | e2) >= 0; ++i, e0 += s.a[0], e1 += s.a[1], e2 += s.a[2])
            PaintPixel<kTexturing>(target, s, shading, row, i, rowStart + static_cast<size_t>(i));
    }
}

namespace {

template <Texturing kTexturing>
void FillTriangleAs(Target& target, const TriangleSetup& s, const Shading& shading, int32_t rowBegin,
                    int32_t rowEnd) {
    constexpr int32_t kBlock = 8;
    const int32_t top = std::max(s.minY, rowBegin), bottom = std::min(s.maxY, rowEnd - 1);
    // A small triangle (most of a chart's) gains nothing from blocks: its
    // rows are walked straight away.
    if (s.maxX - s.minX < 2 * kBlock && bottom - top < 2 * kBlock) {
        FillRows<kTexturing>(target, s, shading, s.minX, s.maxX, top, bottom);
        return;
    }
    for (int32_t blockTop = top; blockTop <= bottom; blockTop = (blockTop / kBlock + 1) * kBlock) {
        const int32_t blockBottom = std::min(bottom, (blockTop / kBlock + 1) * kBlock - 1);
        for (int32_t blockLeft = s.minX; blockLeft <= s.maxX; blockLeft = (blockLeft / kBlock + 1) * kBlock) {
            const int32_t blockRight = std::min(s.maxX, (blockLeft / kBlock + 1) * kBlock - 1);
            bool outside = false, inside = true;
            for (int k = 0; k < 3 && !outside; ++k) {
                const int64_t topLeft = s.a[k] * blockLeft + s.b[k] * blockTop + s.c[k];
                const int64_t across = s.a[k] * (blockRight - blockLeft), down = s.b[k] * (blockBottom - blockTop);
                const int64_t corners[4] = {topLeft, topLeft + across, topLeft + down, topLeft + across + down};
                const int64_t low = std::min({corners[0], corners[1], corners[2], corners[3]});
                const int64_t high = std::max({corners[0], corners[1], corners[2], corners[3]});
                outside = high < 0;
                inside = inside && low >= 0;
            }
            if (outside) continue;
            if (!inside) {
                FillRows<kTexturing>(target, s, shading, blockLeft, blockRight, blockTop, blockBottom);
                continue;
            }
            for (int32_t j = blockTop; j <= blockBottom; ++j)
                PaintRun<kTexturing>(target, s, shading, j, blockLeft, blockRight + 1);
        }
    }
}

}  // namespace

void FillTriangle(Target& target, const TriangleSetup& s, const Shading& shading, int32_t rowBegin,
                  int32_t rowEnd) {
    switch (TexturingOf(shading)) {
    case Texturing::kNone: FillTriangleAs<Texturing::kNone>(target, s, shading, rowBegin, rowEnd); break;
    case Texturing::kSmall: FillTriangleAs<Texturing::kSmall>(target, s, shading, rowBegin, rowEnd); break;
    case Texturing::kLarge: FillTriangleAs<Texturing::kLarge>(target, s, shading, rowBegin, rowEnd); break;
    case Texturing::kLargeModulatedOrBlended:
        FillTriangleAs<Texturing::kLargeModulatedOrBlended>(target, s, shading, rowBegin, rowEnd);
        break;
    }
}

// Pixel (i, j) covers [i, i+1) x [j, j+1) of the shifted screen coordinates
// and is sampled at its middle.
void DrawPoint(Target& target, const ClipVertex& p, const Shading& shading) {
    if (p.z < 0 || p.w - p.z < 0 || p.w <= 0) return;
    const ScreenPoint s = ToScreenPoint(target, p);
    Plot(target, PixelIndex(std::floor(s.x)), PixelIndex(std::floor(s.y)), s.z, shading.flat, shading.depthTest);
}

void DrawLine(Target& target, const ClipVertex& a, const ClipVertex& b, const Shading& shading) {
    ClipVertex from = a, to = b;
    if (!ClipSegment(from, to) || from.w <= 0 || to.w <= 0) return;
    RasterLine(target, ToScreenPoint(target, from), ToScreenPoint(target, to), shading);
}

void DrawTriangleEdges(Target& target, const ClipVertex& a, const ClipVertex& b, const ClipVertex& c, Cull cull,
                       const Shading& shading) {
    Polygon polygon;
    polygon.corners[0] = Widen(a);
    polygon.corners[1] = Widen(b);
    polygon.corners[2] = Widen(c);
    polygon.count = 3;
    // The near and far planes: the first two of the clip planes.
    for (int plane = 0; plane < 2 && polygon.count >= 3; ++plane)
        polygon = ClipPolygon(polygon, kClipPlanes[plane], 0, 0);
    if (polygon.count < 3) return;
    ScreenPoint screen[12];
    for (int i = 0; i < polygon.count; ++i) {
        if (polygon.corners[i].w <= 0) return;
        screen[i] = ToScreenPoint(target, polygon.corners[i]);
    }
    // Winding on screen (y down): a positive value is clockwise.
    const double winding = (screen[1].x - screen[0].x) * (screen[2].y - screen[0].y) -
                           (screen[1].y - screen[0].y) * (screen[2].x - screen[0].x);
    const bool clockwise = winding > 0;
    if ((cull == Cull::Clockwise && clockwise) || (cull == Cull::CounterClockwise && !clockwise)) return;
    for (int i = 0; i < polygon.count; ++i)
        RasterLine(target, screen[i], screen[(i + 1) % polygon.count], shading);
}

}  // namespace talvex::soft
