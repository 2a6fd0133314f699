// The device side of one chart: the device and everything built on it, the
// vertex records of the scene buffers and their fixed sizes, and the
// operations that build, fill and release them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/color.h"
#include "common/matrix.h"
#include "graph/slot_geometry.h"
#include "common/graphics_device.h"

namespace talvex::render {

// Vertex of the grid and axis buffers: position and colour (16 bytes).
struct ColorVertex {
    float x, y, z;
    uint32_t color;
};
static_assert(sizeof(ColorVertex) == 16, "ColorVertex is 16 bytes");

using graph::GraphVertex;

constexpr uint32_t kColorVertexFormat = kFvfXyz | kFvfDiffuse;             // 0x042
constexpr uint32_t kGraphVertexFormat = kFvfXyz | kFvfNormal | kFvfTex1;  // 0x112

constexpr int kGridSide = 21;
constexpr int kGridPointCount = kGridSide * kGridSide;  // 441
constexpr int kAxisVertexCount = 28;
constexpr int kAxisLineCount = kAxisVertexCount / 2;
constexpr uint32_t kSceneBufferBytes = kGridPointCount * sizeof(ColorVertex);  // 7056

using graph::kSlotIndexCapacity;
using graph::kSlotVertexCapacity;
constexpr uint32_t kSlotVertexBytes = kSlotVertexCapacity * sizeof(GraphVertex);  // 326432
constexpr uint32_t kSlotIndexBytes = kSlotIndexCapacity * sizeof(uint16_t);       // 120000

constexpr int kTextureSide = 16;

constexpr int kSlotCount = 3;

// The device buffers and the texture of one script slot.
struct SlotBuffers {
    VertexBuffer* vertexBuffer = nullptr;
    IndexBuffer* indexBuffer = nullptr;
    Texture* texture = nullptr;
    // Set when a calculation wrote geometry into the current buffers, cleared
    // when the buffers are re-created: a rebuilt slot still carries the old
    // kind and counts, and its new buffers must not be drawn from.
    bool buffersFilled = false;
    // A host's data too large for the fixed buffers goes into buffers made
    // to its size (32-bit indices), drawn from in their place while large
    // is set; kept for the next data of at most their size.
    VertexBuffer* largeVertexBuffer = nullptr;
    IndexBuffer* largeIndexBuffer = nullptr;
    size_t largeVertexCapacity = 0;  // records
    size_t largeIndexCapacity = 0;
    bool large = false;
    VertexBuffer* Vertices() const { return large ? largeVertexBuffer : vertexBuffer; }
    IndexBuffer* Indices() const { return large ? largeIndexBuffer : indexBuffer; }
    // The chart look's copy of the slot's vertices (positions in the chart's
    // box, colour and light as texture coordinates) and its colour table,
    // made at the first chart frame.
    VertexBuffer* chartVertices = nullptr;
    size_t chartVertexCapacity = 0;  // records
    Texture* colorTable = nullptr;
    // What the colour table holds: the colour map's name or the slot's
    // colour; empty when it must be filled.
    std::string colorTableKey;
};

// The device-side state of one chart. The control owns it and hands it the
// geometry and the view to draw; nothing in it knows the control.
struct Scene {
    Direct3D* direct3d = nullptr;
    Device* device = nullptr;
    PresentParameters presentParams{};
    VertexBuffer* gridBuffer = nullptr;
    VertexBuffer* axisBuffer = nullptr;
    // The chart look's panes, grid lines, wide curves and point discs, filled
    // afresh for each of its draws; made at the first chart frame.
    VertexBuffer* chartBuffer = nullptr;
    // The built-in font's glyphs as alpha over white, made at the first
    // chart frame that writes.
    Texture* fontTexture = nullptr;
    // The chart look's room for one slot's vertices in the world, kept
    // between frames so that a frame does not allocate it again.
    std::vector<Vector3> chartPositions;
    std::array<SlotBuffers, kSlotCount> slots;
    Matrix worldMatrix = Matrix::Identity();
    Matrix viewMatrix = Matrix::Identity();
    Matrix projectionMatrix = Matrix::Identity();
    Material material{};
};

// The two colours of a slot's chessboard texture.
struct SlotColors {
    Color primary;
    Color secondary;
};

// Builds on the scene's device (nothing without one): the projection for the
// back buffer's aspect, the material, the grid and axis buffers, and each
// slot's empty buffers and texture. A buffer or texture the device refuses
// stays null and the rest is still built, so that frames draw what there is;
// the result is the first refusal's code, or 0.
HResult BuildSceneResources(Scene& scene, bool leftHanded, const std::array<SlotColors, kSlotCount>& colors);

// Makes the slot's 16 x 16 texture afresh: a 2 x 2 chessboard of its colours
// at half alpha.
HResult BuildSlotTexture(Scene& scene, int slot, SlotColors colors);

// Releases the grid, axis and slot buffers and the textures; the device stays.
void ReleaseSceneResources(Scene& scene);

// The 28 axis vertices: the axes, their arrowheads and the letters X and Y.
// A left-handed control puts the z arrowhead at the positive end.
void MakeAxisVertices(bool leftHanded, ColorVertex (&vertices)[kAxisVertexCount]);

// The buffers a slot's geometry of so many vertices and indices goes into,
// locked whole for writing, both or neither: the fixed buffers, or for data
// larger than they hold, the large ones (made, or made larger, first).
// Locked before a calculation, so that one whose geometry could not be
// stored changes nothing, and written after it. Unlocked when it ends.
class SlotBufferLock {
public:
    SlotBufferLock(Device* device, SlotBuffers& slot, size_t vertexCount, size_t indexCount);
    ~SlotBufferLock();
    SlotBufferLock(const SlotBufferLock&) = delete;
    SlotBufferLock& operator=(const SlotBufferLock&) = delete;

    bool Locked() const { return vertices_ != nullptr && indices_ != nullptr; }
    // Copies the geometry in, at most the counts the lock was made for, and
    // makes these buffers the ones the slot is drawn from; only while Locked.
    void Write(const graph::SlotGeometry& geometry);

private:
    SlotBuffers& slot_;
    bool large_;
    VertexBuffer* vertexBuffer_ = nullptr;
    IndexBuffer* indexBuffer_ = nullptr;
    uint8_t* vertices_ = nullptr;
    uint8_t* indices_ = nullptr;
};

// Copies a slot's geometry into its device buffers: false when a buffer is
// missing, cannot be made or will not lock, and then nothing changed.
bool UploadSlotGeometry(Device* device, SlotBuffers& slot, const graph::SlotGeometry& geometry);

// Lets go of a slot's large buffers, as when it holds a script again.
void ReleaseLargeBuffers(SlotBuffers& slot);

}  // namespace talvex::render
