// The chart look's frame. Everything is placed on the processor: positions
// in the chart's box, a light level per vertex, the panes and the wide
// curves; the device is left to draw coloured and textured triangles and
// lines under one orthographic transform. A surface's colour and light
// travel as texture coordinates into a table of the colour map at every
// light level, so that the colour follows the value across each triangle.
#include "render/chart_frame.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "render/chart_labels.h"
#include "render/chart_vectors.h"
#include "render/color_map.h"
#include "render/ticks.h"

namespace talvex::render {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Colours of the panes behind the graph and of their grid lines.
constexpr Color kPaneColor = 0xF2F2F2;
constexpr Color kGridColor = 0xCFCFCF;
constexpr Color kEdgeColor = 0x4D4D4D;
constexpr Color kTextColor = 0x262626;

// The colour table: the colour map along u, the light level along v from
// dark at the top row to the brightest at the bottom (beyond 1 the colour
// goes part of the way to white: the highlight).
constexpr int32_t kTableWidth = 256;
constexpr int32_t kTableHeight = 64;
// Light level 1 (the map's own colour) falls exactly on row 48.
constexpr double kBrightest = 63.0 / 48.0;

// The shared buffer's vertices: enough for a curve of every sample as
// quads, and for the panes with their grid lines.
constexpr uint32_t kChartBufferVertices = 6 * kSlotVertexCapacity + 1024;
constexpr uint32_t kChartBufferBytes = kChartBufferVertices * sizeof(GraphVertex);

constexpr float kCurveHalfWidth = 1.0f;  // pixels
constexpr float kPointRadius = 3.5f;     // pixels
constexpr int kDiscTriangles = 16;

struct Range {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    void Add(double value) {
        if (!std::isfinite(value)) return;
        low = std::min(low, value);
        high = std::max(high, value);
    }
};

// A kept vertex's coordinate in the script's own terms: the box mapping
// undone.
double DataValue(const graph::BoxMapping& mapping, int axis, float boxValue) {
    double value = static_cast<double>(boxValue) * mapping.scale[axis] / 100.0;
    if (axis == 2 && mapping.zNegated) value = -value;
    return value + mapping.centre[axis];
}

float BoxValue(const graph::GraphVertex& vertex, int axis) {
    return axis == 0 ? vertex.x : axis == 1 ? vertex.y : vertex.z;
}

bool Drawn(const SlotDraw& draw) {
    return draw.scripted && draw.geometry != nullptr && draw.geometry->kind != graph::GraphKind::None;
}

// Locks a whole buffer for writing; null when it will not lock.
template <typename Record>
Record* LockWhole(VertexBuffer* buffer, uint32_t bytes) {
    uint8_t* data = nullptr;
    if (buffer == nullptr || buffer->Lock(0, bytes, &data, 0) != kOk) return nullptr;
    return reinterpret_cast<Record*>(data);
}

// The vertices written into the shared buffer for one draw: positions and,
// for what is textured, texture coordinates.
class ChartBatch {
public:
    explicit ChartBatch(VertexBuffer* buffer) : buffer_(buffer), vertices_(LockWhole<GraphVertex>(buffer, kChartBufferBytes)) {}
    ~ChartBatch() {
        if (vertices_ != nullptr) buffer_->Unlock();
    }
    ChartBatch(const ChartBatch&) = delete;
    ChartBatch& operator=(const ChartBatch&) = delete;

    bool Room(uint32_t count) const { return vertices_ != nullptr && count_ + count <= kChartBufferVertices; }
    void Add(const Vector3& p, float u = 0.0f, float v = 0.0f) {
        if (Room(1)) vertices_[count_++] = {p.x, p.y, p.z, 0.0f, 0.0f, 0.0f, u, v};
    }
    // Unlocks and draws what was written as primitives of one kind, in the
    // colour, times the texture's texels where there is one.
    void Draw(Device* device, uint32_t type, Color color, Texture* texture = nullptr) {
        if (vertices_ == nullptr) return;
        buffer_->Unlock();
        vertices_ = nullptr;
        const uint32_t perPrimitive = type == kTriangleList ? 3 : type == kLineList ? 2 : 1;
        const uint32_t primitives = count_ / perPrimitive;
        if (primitives == 0) return;
        device->SetRenderState(kRenderStateAmbient, color);
        device->SetVertexShader(kGraphVertexFormat);
        device->SetStreamSource(0, buffer_, sizeof(GraphVertex));
        device->SetTexture(0, texture);
        device->DrawPrimitive(type, 0, primitives);
        device->SetTexture(0, nullptr);
    }

private:
    VertexBuffer* buffer_;
    GraphVertex* vertices_;
    uint32_t count_ = 0;
};

// The table's texel for a colour of the map at a light level.
uint32_t LitTexel(uint32_t color, double level) {
    uint32_t texel = 0xFF000000u;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const double channel = static_cast<double>((color >> shift) & 0xFF);
        const double lit = level <= 1.0 ? channel * level : channel + (255.0 - channel) * (level - 1.0) * 1.5;
        texel |= static_cast<uint32_t>(std::lround(std::clamp(lit, 0.0, 255.0))) << shift;
    }
    return texel;
}

// Fills the slot's colour table for the style's map (or its own colour);
// false when it could not be made.
bool PrepareColorTable(Scene& scene, SlotBuffers& slot, const ChartStyle& style, Color primaryColor) {
    const bool ownColor = style.colorMap == kSlotColorName;
    const std::string key = ownColor ? "slot " + std::to_string(primaryColor) : style.colorMap;
    if (slot.colorTable != nullptr && slot.colorTableKey == key) return true;
    if (slot.colorTable == nullptr &&
        scene.device->CreateTexture(kTableWidth, kTableHeight, 1, 0, kFormatA8R8G8B8, kPoolManaged, &slot.colorTable) != kOk)
        return false;
    LockedRect locked{};
    if (slot.colorTable->LockRect(0, &locked, nullptr, 0) != kOk) return false;
    ColorMapName map = ColorMapName::Viridis;
    ColorMapFromName(style.colorMap, map);
    for (int32_t row = 0; row < kTableHeight; ++row) {
        auto* texels = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + static_cast<ptrdiff_t>(row) * locked.pitch);
        const double level = kBrightest * row / (kTableHeight - 1);
        for (int32_t column = 0; column < kTableWidth; ++column) {
            const uint32_t color = ownColor ? primaryColor : MapColor(map, static_cast<double>(column) / (kTableWidth - 1));
            texels[column] = LitTexel(color, level);
        }
    }
    slot.colorTable->UnlockRect(0);
    slot.colorTableKey = key;
    return true;
}

// The texture coordinate of a table's texel centre for a fraction 0 .. 1.
float TexelCentre(double fraction, int32_t texels) {
    const double clamped = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
    return static_cast<float>((clamped * (texels - 1) + 0.5) / texels);
}

// The light one directional light from the viewer's upper left gives a
// surface of this normal: ambient, diffuse and a modest highlight. Both
// sides are lit: a normal facing away is turned toward the eye.
double LightLevel(Vector3 normal, const ChartCamera& camera, const Vector3& toLight, const Vector3& halfway) {
    if (!Finite(normal) || Dot(normal, normal) == 0.0f) normal = camera.toEye;
    if (Dot(normal, camera.toEye) < 0.0f) normal = Scale(normal, -1.0f);
    const double diffuse = std::max(0.0f, Dot(normal, toLight));
    // The highlight's power 24 by squaring: a call to pow for each of a
    // large data set's vertices costs more than the rest of the light.
    const double h = std::max(0.0f, Dot(normal, halfway));
    const double h2 = h * h, h4 = h2 * h2, h8 = h4 * h4, h16 = h8 * h8;
    const double highlight = h16 * h8;
    return 0.32 + 0.68 * diffuse + 0.25 * highlight;
}

// The world positions of a slot's kept vertices.
void PlaceVertices(const graph::SlotGeometry& geometry, const ChartBox& box, std::vector<Vector3>& positions) {
    positions.resize(geometry.vertices.size());
    for (size_t i = 0; i < geometry.vertices.size(); ++i) {
        Vector3& p = positions[i];
        // Held within the box: a graph may reach beyond a range the host set.
        for (int axis = 0; axis < 3; ++axis)
            SetComponent(p, axis, std::clamp(box.ToWorld(axis, DataValue(geometry.mapping, axis, BoxValue(geometry.vertices[i], axis))),
                                             -box.extent[static_cast<size_t>(axis)], box.extent[static_cast<size_t>(axis)]));
    }
}

// The normal at a surface's sample from its neighbours along both
// parameters, each difference taken across the sample where both
// neighbours are finite and to the one finite neighbour otherwise, so that
// a hole or a pole leaves no dark vertex.
Vector3 GridNormal(const std::vector<Vector3>& positions, int32_t columns, int32_t rows, int32_t column, int32_t row) {
    const auto at = [&](int32_t c, int32_t r) -> const Vector3* {
        if (c < 0 || c >= columns || r < 0 || r >= rows) return nullptr;
        const Vector3& p = positions[static_cast<size_t>(r) * static_cast<size_t>(columns) + static_cast<size_t>(c)];
        return Finite(p) ? &p : nullptr;
    };
    const Vector3* centre = at(column, row);
    if (centre == nullptr) return {0.0f, 0.0f, 0.0f};
    const auto difference = [&](const Vector3* before, const Vector3* after) {
        if (before == nullptr) before = centre;
        if (after == nullptr) after = centre;
        return Subtract(*after, *before);
    };
    const Vector3 alongU = difference(at(column - 1, row), at(column + 1, row));
    const Vector3 alongV = difference(at(column, row - 1), at(column, row + 1));
    return Normalized(Cross(alongU, alongV));
}

// Writes the surface's vertices into its chart buffer: positions in the
// world, the colour coordinate's value and the light level as texture
// coordinates; false when the buffer could not be had.
bool FillSurfaceVertices(Scene& scene, SlotBuffers& slot, const graph::SlotGeometry& geometry, const ChartBox& box,
                         const ChartCamera& camera, const ChartStyle& style, std::vector<Vector3>& positions) {
    // Room for the slot's vertices: the fixed buffers' size, or a large
    // data set's own.
    const size_t needed = std::max(geometry.vertices.size(), static_cast<size_t>(kSlotVertexCapacity));
    if (slot.chartVertices == nullptr || slot.chartVertexCapacity < needed) {
        const uint64_t bytes = static_cast<uint64_t>(needed) * sizeof(GraphVertex);
        VertexBuffer* buffer = nullptr;
        if (bytes > UINT32_MAX || scene.device->CreateVertexBuffer(static_cast<uint32_t>(bytes), kUsageWriteOnly,
                                                                   kGraphVertexFormat, kPoolDefault, &buffer) != kOk)
            return false;
        ReleaseAndClear(slot.chartVertices);
        slot.chartVertices = buffer;
        slot.chartVertexCapacity = needed;
    }
    auto* out = LockWhole<GraphVertex>(slot.chartVertices, static_cast<uint32_t>(slot.chartVertexCapacity * sizeof(GraphVertex)));
    if (out == nullptr) return false;
    PlaceVertices(geometry, box, positions);
    const Vector3 toLight =
        Normalized(Add(Add(Scale(camera.right, -0.45f), Scale(camera.up, 0.6f)), Scale(camera.toEye, 0.66f)));
    const Vector3 halfway = Normalized(Add(toLight, camera.toEye));
    const int colorAxis = static_cast<int>(style.colorBy);
    const double colorLow = box.low[static_cast<size_t>(colorAxis)];
    const double colorSpan = box.high[static_cast<size_t>(colorAxis)] - colorLow;
    const int32_t columns = geometry.samplesU, rows = geometry.samplesV;
    const size_t count = std::min(positions.size(), slot.chartVertexCapacity);
    for (size_t i = 0; i < count; ++i) {
        const double value = DataValue(geometry.mapping, colorAxis, BoxValue(geometry.vertices[i], colorAxis));
        double level = 1.0;
        if (style.lighting && columns > 0) {
            const auto column = static_cast<int32_t>(i % static_cast<size_t>(columns));
            const auto row = static_cast<int32_t>(i / static_cast<size_t>(columns));
            level = LightLevel(GridNormal(positions, columns, rows, column, row), camera, toLight, halfway);
        }
        const Vector3& p = positions[i];
        out[i] = {p.x, p.y, p.z, 0.0f, 0.0f, 0.0f, TexelCentre((value - colorLow) / colorSpan, kTableWidth),
                  TexelCentre(level / kBrightest, kTableHeight)};
    }
    slot.chartVertices->Unlock();
    return true;
}

void DrawSurface(Scene& scene, SlotBuffers& slot, const SlotDraw& draw, const View& view, const ChartBox& box,
                 const ChartCamera& camera, std::vector<Vector3>& positions) {
    Device* device = scene.device;
    if (draw.primitiveCount <= 0 || slot.Indices() == nullptr) return;
    if (!FillSurfaceVertices(scene, slot, *draw.geometry, box, camera, view.style, positions)) return;
    device->SetVertexShader(kGraphVertexFormat);
    device->SetStreamSource(0, slot.chartVertices, sizeof(GraphVertex));
    device->SetIndices(slot.Indices(), 0);
    const auto vertices = static_cast<uint32_t>(draw.vertexCount);
    const auto primitives = static_cast<uint32_t>(draw.primitiveCount);
    if (!view.solid) {
        device->SetTexture(0, nullptr);
        device->SetRenderState(kRenderStateAmbient, draw.primaryColor);
        device->SetRenderState(kRenderStateFillMode, kFillWireframe);
        device->DrawIndexedPrimitive(kTriangleList, 0, vertices, 0, primitives);
        device->SetRenderState(kRenderStateFillMode, kFillSolid);
        return;
    }
    if (!PrepareColorTable(scene, slot, view.style, draw.primaryColor)) return;
    device->SetTexture(0, slot.colorTable);
    device->SetRenderState(kRenderStateAmbient, 0xFFFFFF);
    device->DrawIndexedPrimitive(kTriangleList, 0, vertices, 0, primitives);
    device->SetTexture(0, nullptr);
}

// A curve as quads of twice kCurveHalfWidth pixels across, in the picture's
// plane (the view is orthographic, so they keep their width everywhere).
void DrawCurve(Scene& scene, const SlotDraw& draw, const ChartBox& box, const ChartCamera& camera,
               std::vector<Vector3>& positions) {
    const graph::SlotGeometry& geometry = *draw.geometry;
    PlaceVertices(geometry, box, positions);
    const float halfWidth = kCurveHalfWidth / camera.pixelsPerUnit;
    size_t s = 0;
    while (s + 1 < geometry.indices.size()) {
        // As many segments a batch as the shared buffer holds.
        ChartBatch batch(scene.chartBuffer);
        if (!batch.Room(6)) return;  // the buffer would not lock
        for (; s + 1 < geometry.indices.size() && batch.Room(6); s += 2) {
            const size_t first = geometry.indices[s], second = geometry.indices[s + 1];
            if (first >= positions.size() || second >= positions.size()) continue;
            const Vector3& a = positions[first];
            const Vector3& b = positions[second];
            const Vector3 along = Subtract(b, a);
            // Across the segment as the picture shows it.
            const float x = Dot(along, camera.right), y = Dot(along, camera.up);
            const float length = std::sqrt(x * x + y * y);
            const Vector3 across = length > 0.0f
                                       ? Scale(Add(Scale(camera.right, -y / length), Scale(camera.up, x / length)), halfWidth)
                                       : Scale(camera.up, halfWidth);
            const Vector3 corners[4] = {Subtract(a, across), Add(a, across), Add(b, across), Subtract(b, across)};
            for (int corner : {0, 1, 2, 0, 2, 3}) batch.Add(corners[corner]);
        }
        batch.Draw(scene.device, kTriangleList, draw.primaryColor);
    }
}

// A point as a disc of kPointRadius pixels facing the eye; a cloud's kept
// points each as one, as many a batch as the buffer holds.
void DrawPointDiscs(Scene& scene, const SlotDraw& draw, const ChartBox& box, const ChartCamera& camera,
                    std::vector<Vector3>& positions) {
    const graph::SlotGeometry& geometry = *draw.geometry;
    PlaceVertices(geometry, box, positions);
    const float radius = kPointRadius / camera.pixelsPerUnit;
    // The rim's offsets from the centre, once for every disc.
    Vector3 rim[kDiscTriangles + 1];
    for (int k = 0; k <= kDiscTriangles; ++k) {
        const double angle = 2.0 * kPi * k / kDiscTriangles;
        rim[k] = Add(Scale(camera.right, radius * static_cast<float>(std::cos(angle))),
                     Scale(camera.up, radius * static_cast<float>(std::sin(angle))));
    }
    const bool cloud = geometry.kind == graph::GraphKind::Cloud;
    const size_t count = cloud ? geometry.indices.size() : std::min<size_t>(positions.size(), 1);
    size_t next = 0;
    while (next < count) {
        ChartBatch batch(scene.chartBuffer);
        if (!batch.Room(3 * kDiscTriangles)) return;  // the buffer would not lock
        for (; next < count && batch.Room(3 * kDiscTriangles); ++next) {
            const size_t index = cloud ? geometry.indices[next] : 0;
            if (index >= positions.size() || !Finite(positions[index])) continue;
            const Vector3 centre = positions[index];
            for (int k = 0; k < kDiscTriangles; ++k) {
                batch.Add(centre);
                batch.Add(Add(centre, rim[k]));
                batch.Add(Add(centre, rim[k + 1]));
            }
        }
        batch.Draw(scene.device, kTriangleList, draw.primaryColor);
    }
}

// How many ticks an axis shows: one per so many pixels of its length on the
// picture, so that a foreshortened axis gets fewer.
int TickCountFor(const ChartCamera& camera, const ChartBox& box, int axis) {
    const double across = std::hypot(Component(camera.right, axis), Component(camera.up, axis));
    const double pixels = 2.0 * box.extent[static_cast<size_t>(axis)] * across * camera.pixelsPerUnit;
    // A length that is no number (a box no double can span) gets the fewest.
    return std::isfinite(pixels) ? static_cast<int>(std::clamp(pixels / 60.0, 2.0, 10.0)) : 2;
}

// The three panes behind the graph, then their grid lines at the ticks of
// the two axes along each; neither hides the graph drawn after them.
void DrawPanes(Scene& scene, const ChartBox& box, const ChartCamera& camera) {
    Device* device = scene.device;
    device->SetRenderState(kRenderStateZEnable, kZBufferFalse);
    {
        ChartBatch panes(scene.chartBuffer);
        for (int axis = 0; axis < 3; ++axis) {
            const int first = (axis + 1) % 3, second = (axis + 2) % 3;
            Vector3 corners[4]{};
            for (int k = 0; k < 4; ++k) {
                SetComponent(corners[k], axis, BackSide(box, camera, axis));
                SetComponent(corners[k], first, (k == 1 || k == 2 ? 1.0f : -1.0f) * box.extent[static_cast<size_t>(first)]);
                SetComponent(corners[k], second, (k >= 2 ? 1.0f : -1.0f) * box.extent[static_cast<size_t>(second)]);
            }
            for (int corner : {0, 1, 2, 0, 2, 3}) panes.Add(corners[corner]);
        }
        panes.Draw(device, kTriangleList, kPaneColor);
    }
    ChartBatch grid(scene.chartBuffer);
    for (int axis = 0; axis < 3; ++axis) {
        const AxisTicks ticks = MakeTicks(box.low[static_cast<size_t>(axis)], box.high[static_cast<size_t>(axis)],
                                          TickCountFor(camera, box, axis));
        // A line across each of the two panes this axis runs along.
        for (int pane = 0; pane < 3; ++pane) {
            if (pane == axis) continue;
            const int across = 3 - axis - pane;
            for (double value : ticks.values) {
                Vector3 ends[2]{};
                for (int end = 0; end < 2; ++end) {
                    SetComponent(ends[end], pane, BackSide(box, camera, pane));
                    SetComponent(ends[end], axis, box.ToWorld(axis, value));
                    SetComponent(ends[end], across, (end == 0 ? -1.0f : 1.0f) * box.extent[static_cast<size_t>(across)]);
                }
                grid.Add(ends[0]);
                grid.Add(ends[1]);
            }
        }
    }
    grid.Draw(device, kLineList, kGridColor);
    device->SetRenderState(kRenderStateZEnable, kZBufferTrue);
}

// The font's atlas as a texture: white, its coverage in the alpha.
bool PrepareFontTexture(Scene& scene) {
    if (scene.fontTexture != nullptr) return true;
    const FontAtlas& atlas = BuiltInFontAtlas();
    Texture* texture = nullptr;
    if (scene.device->CreateTexture(static_cast<uint32_t>(atlas.width), static_cast<uint32_t>(atlas.height), 1, 0,
                                    kFormatA8R8G8B8, kPoolManaged, &texture) != kOk)
        return false;
    LockedRect locked{};
    if (texture->LockRect(0, &locked, nullptr, 0) != kOk) {
        texture->Release();
        return false;
    }
    for (int32_t row = 0; row < atlas.height; ++row) {
        auto* texels = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + static_cast<ptrdiff_t>(row) * locked.pitch);
        const uint8_t* alpha = atlas.alpha + static_cast<size_t>(row) * static_cast<size_t>(atlas.width);
        for (int32_t column = 0; column < atlas.width; ++column)
            texels[column] = (static_cast<uint32_t>(alpha[column]) << 24) | 0xFFFFFFu;
    }
    texture->UnlockRect(0);
    scene.fontTexture = texture;
    return true;
}

// A rectangle of the picture as two triangles, with the texture
// coordinates of its corners: top left, top right, bottom right, bottom left.
void AddPictureQuad(ChartBatch& batch, const ChartCamera& camera, float left, float top, float right, float bottom,
                    const float (&us)[4], const float (&vs)[4]) {
    if (!batch.Room(6)) return;
    const Vector3 corners[4] = {camera.FromPicture(left, top), camera.FromPicture(right, top),
                                camera.FromPicture(right, bottom), camera.FromPicture(left, bottom)};
    for (int corner : {0, 1, 2, 0, 2, 3}) batch.Add(corners[corner], us[corner], vs[corner]);
}

// The numbered edges, the ticks' marks, the colour bar and every word, over
// the graph.
void DrawLabels(Scene& scene, const ChartLabels& labels, const ChartCamera& camera, Texture* colorTable) {
    Device* device = scene.device;
    device->SetRenderState(kRenderStateZEnable, kZBufferFalse);
    {
        ChartBatch lines(scene.chartBuffer);
        for (const auto* group : {&labels.edges, &labels.marks})
            for (const PictureLine& line : *group) {
                lines.Add(camera.FromPicture(line.x0, line.y0));
                lines.Add(camera.FromPicture(line.x1, line.y1));
            }
        lines.Draw(device, kLineList, kEdgeColor);
    }
    if (labels.colorBar && colorTable != nullptr) {
        // Along u the map from its top value down to its bottom one, at the
        // table's unlit row.
        ChartBatch bar(scene.chartBuffer);
        const float unlit = TexelCentre(1.0 / kBrightest, kTableHeight);
        const float top = TexelCentre(1.0, kTableWidth), bottom = TexelCentre(0.0, kTableWidth);
        AddPictureQuad(bar, camera, labels.barLeft, labels.barTop, labels.barRight, labels.barBottom,
                       {top, top, bottom, bottom}, {unlit, unlit, unlit, unlit});
        bar.Draw(device, kTriangleList, 0xFFFFFF, colorTable);
    }
    if (!labels.texts.empty() && PrepareFontTexture(scene)) {
        ChartBatch glyphs(scene.chartBuffer);
        std::vector<GlyphQuad> quads;
        for (const PlacedText& text : labels.texts) {
            quads.clear();
            LayoutText(text.text, text.pixelSize, text.x, text.y, quads);
            // Moved up and left by half a pixel: the glyphs lie on whole
            // pixels, and a pixel is sampled at its whole coordinate, which
            // so falls on the middle of a texel rather than on the edge
            // between two, where devices may round to either.
            for (const GlyphQuad& q : quads)
                AddPictureQuad(glyphs, camera, q.left - 0.5f, q.top - 0.5f, q.right - 0.5f, q.bottom - 0.5f,
                               {q.u0, q.u1, q.u1, q.u0}, {q.v0, q.v0, q.v1, q.v1});
        }
        device->SetRenderState(kRenderStateAlphaBlendEnable, 1);
        device->SetRenderState(kRenderStateSourceBlend, kBlendSourceAlpha);
        device->SetRenderState(kRenderStateDestinationBlend, kBlendInverseSourceAlpha);
        glyphs.Draw(device, kTriangleList, kTextColor, scene.fontTexture);
        device->SetRenderState(kRenderStateAlphaBlendEnable, 0);
    }
    device->SetRenderState(kRenderStateZEnable, kZBufferTrue);
}

}  // namespace

float ChartBox::ToWorld(int axis, double value) const {
    const auto a = static_cast<size_t>(axis);
    return static_cast<float>(((value - low[a]) / (high[a] - low[a]) * 2.0 - 1.0) * extent[a]);
}

ChartBox MeasureChartBox(const View& view, const std::array<SlotDraw, kSlotCount>& slots) {
    const ChartStyle& style = view.style;
    std::array<Range, 3> ranges;
    for (const SlotDraw& draw : slots) {
        if (!Drawn(draw)) continue;
        const graph::SlotGeometry& geometry = *draw.geometry;
        for (const graph::GraphVertex& vertex : geometry.vertices)
            for (int axis = 0; axis < 3; ++axis)
                ranges[static_cast<size_t>(axis)].Add(DataValue(geometry.mapping, axis, BoxValue(vertex, axis)));
    }
    ChartBox box;
    for (size_t axis = 0; axis < 3; ++axis) {
        Range range = ranges[axis];
        // The host's range, where it set one: the graphs are held within.
        if (view.HasRange(static_cast<int>(axis))) range = {view.rangeLow[axis], view.rangeHigh[axis]};
        if (!(range.low <= range.high)) range = {-1.0, 1.0};
        if (range.low == range.high) {
            // One value: a span around it that its neighbours' ticks can name.
            const double half = range.low == 0.0 ? 1.0 : std::abs(range.low) * 0.1;
            range = {range.low - half, range.high + half};
        }
        box.low[axis] = range.low;
        box.high[axis] = range.high;
    }
    if (style.equalAspect) {
        double widest = 0.0;
        for (size_t axis = 0; axis < 3; ++axis) widest = std::max(widest, box.high[axis] - box.low[axis]);
        for (size_t axis = 0; axis < 3; ++axis)
            box.extent[axis] = static_cast<float>((box.high[axis] - box.low[axis]) / widest);
    }
    return box;
}

float BackSide(const ChartBox& box, const ChartCamera& camera, int axis) {
    const float extent = box.extent[static_cast<size_t>(axis)];
    return Component(camera.toEye, axis) > 0.0f ? -extent : extent;
}

Vector3 ChartCamera::FromPicture(float x, float y) const {
    return Add(Scale(right, (x - centreX) / pixelsPerUnit), Scale(up, (centreY - y) / pixelsPerUnit));
}

void ChartCamera::ToPicture(const Vector3& point, float& x, float& y) const {
    x = centreX + pixelsPerUnit * Dot(point, right);
    y = centreY - pixelsPerUnit * Dot(point, up);
}

ChartCamera MakeChartCamera(const View& view, const ChartBox& box, int32_t width, int32_t height) {
    ChartCamera camera;
    const double azimuth = view.azimuth * kPi / 180.0;
    const double elevation = std::clamp(static_cast<double>(view.elevation), -90.0, 90.0) * kPi / 180.0;
    camera.toEye = {static_cast<float>(std::cos(elevation) * std::cos(azimuth)),
                    static_cast<float>(std::cos(elevation) * std::sin(azimuth)), static_cast<float>(std::sin(elevation))};
    camera.forward = Scale(camera.toEye, -1.0f);
    // Right is level whatever the elevation, so that looking straight down
    // still knows which way is up on the picture.
    camera.right = {static_cast<float>(-std::sin(azimuth)), static_cast<float>(std::cos(azimuth)), 0.0f};
    camera.up = Cross(camera.right, camera.forward);

    // Room around the box for the numbers and the axes' names, above it for
    // a title, and at the right for the colour bar.
    const ChartStyle& style = view.style;
    const double text = style.textSize;
    double left = 4.0 * text, right = 4.0 * text + (style.colorBar ? 5.0 * text : 0.0);
    double top = (style.title.empty() ? 1.5 : 3.5) * text, bottom = 3.0 * text;
    // A picture too small for that room keeps half of each side for the
    // box: the words may crowd, the graph still shows.
    const double shareX = std::min(1.0, 0.5 * width / (left + right));
    const double shareY = std::min(1.0, 0.5 * height / (top + bottom));
    left *= shareX;
    right *= shareX;
    top *= shareY;
    bottom *= shareY;
    const double areaWidth = std::max(1.0, width - left - right), areaHeight = std::max(1.0, height - top - bottom);
    // From every direction the box stays within its half-diagonal of the
    // centre, and across the picture (whose right is level) within the
    // diagonal of its floor: so turning never moves it out of the area.
    const Vector3 corner{box.extent[0], box.extent[1], box.extent[2]};
    const float radius = std::sqrt(Dot(corner, corner));
    const double across = std::hypot(box.extent[0], box.extent[1]);
    camera.pixelsPerUnit =
        static_cast<float>(std::min(areaWidth / (2.0 * across), areaHeight / (2.0 * radius)) * view.scale);
    camera.halfWidth = static_cast<float>(across) * camera.pixelsPerUnit;
    camera.centreX = static_cast<float>(left + areaWidth / 2.0);
    camera.centreY = static_cast<float>(top + areaHeight / 2.0);
    camera.areaLeft = static_cast<float>(left);
    camera.areaTop = static_cast<float>(top);
    camera.areaRight = static_cast<float>(left + areaWidth);
    camera.areaBottom = static_cast<float>(top + areaHeight);

    // clip x = (2 / width) * picture x - 1, clip y = 1 - (2 / height) * picture y,
    // depth = (distance along the view + radius) / (2 radius).
    const float toClipX = 2.0f * camera.pixelsPerUnit / static_cast<float>(width);
    const float toClipY = 2.0f * camera.pixelsPerUnit / static_cast<float>(height);
    const float depthScale = 1.0f / (2.0f * radius * 1.0001f);
    Matrix& m = camera.transform;
    m = Matrix::Zero();
    for (int axis = 0; axis < 3; ++axis) {
        m.m[axis][0] = Component(camera.right, axis) * toClipX;
        m.m[axis][1] = Component(camera.up, axis) * toClipY;
        m.m[axis][2] = Component(camera.forward, axis) * depthScale;
    }
    m.m[3][0] = 2.0f * camera.centreX / static_cast<float>(width) - 1.0f;
    m.m[3][1] = 1.0f - 2.0f * camera.centreY / static_cast<float>(height);
    m.m[3][2] = 0.5f;
    m.m[3][3] = 1.0f;
    return camera;
}

void DrawChartScene(Scene& scene, const View& view, const std::array<SlotDraw, kSlotCount>& slots) {
    Device* device = scene.device;
    const auto width = static_cast<int32_t>(scene.presentParams.backBufferWidth);
    const auto height = static_cast<int32_t>(scene.presentParams.backBufferHeight);
    const ChartBox box = MeasureChartBox(view, slots);
    const ChartCamera camera = MakeChartCamera(view, box, std::max(width, 1), std::max(height, 1));
    const Matrix identity = Matrix::Identity();
    device->SetTransform(kTransformWorld, &identity);
    device->SetTransform(kTransformView, &identity);
    device->SetTransform(kTransformProjection, &camera.transform);
    device->SetRenderState(kRenderStateCullMode, kCullNone);
    device->SetRenderState(kRenderStateZEnable, kZBufferTrue);
    device->SetRenderState(kRenderStateAlphaBlendEnable, 0);
    device->SetRenderState(kRenderStateFillMode, kFillSolid);
    device->SetMaterial(&scene.material);
    device->SetTexture(0, nullptr);
    device->Clear(0, nullptr, kClearTarget | kClearZBuffer, view.backgroundColor, 1.0f, 0);
    device->BeginScene();
    if (scene.chartBuffer == nullptr)
        device->CreateVertexBuffer(kChartBufferBytes, kUsageWriteOnly, kGraphVertexFormat, kPoolDefault, &scene.chartBuffer);
    if (view.style.axes) DrawPanes(scene, box, camera);
    std::vector<Vector3>& positions = scene.chartPositions;
    // The colour bar shows the colour map of the first surface it colours.
    Texture* colorBarTable = nullptr;
    for (size_t s = 0; s < slots.size(); ++s) {
        const SlotDraw& draw = slots[s];
        SlotBuffers& slot = scene.slots[s];
        if (!Drawn(draw) || !slot.buffersFilled) continue;
        switch (draw.kind) {
        case graph::GraphKind::Surface:
            DrawSurface(scene, slot, draw, view, box, camera, positions);
            if (colorBarTable == nullptr && view.solid && view.style.colorMap != kSlotColorName) colorBarTable = slot.colorTable;
            break;
        case graph::GraphKind::Curve: DrawCurve(scene, draw, box, camera, positions); break;
        case graph::GraphKind::Point:
        case graph::GraphKind::Cloud: DrawPointDiscs(scene, draw, box, camera, positions); break;
        default: break;
        }
    }
    const ChartStyle& style = view.style;
    const bool colorBar = style.colorBar && colorBarTable != nullptr;
    if (style.axes || colorBar || !style.title.empty())
        DrawLabels(scene, PlaceChartLabels(style, box, camera, width, height, colorBar), camera, colorBarTable);
    device->EndScene();
    // The classic look sets its world and view for every frame but its
    // projection only when the scene is built.
    device->SetTransform(kTransformProjection, &scene.projectionMatrix);
}

}  // namespace talvex::render
