// The vertex records of the scene buffers and their fixed sizes.
#pragma once

#include <cstdint>

#include "graph/slot_geometry.h"
#include "render/device.h"

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

// The 28 axis vertices: the axes, their arrowheads and the letters X and Y.
// A left-handed control puts the z arrowhead at the positive end.
void MakeAxisVertices(bool leftHanded, ColorVertex (&vertices)[kAxisVertexCount]);

// Copies a slot's geometry into its device buffers: false when a buffer is
// missing or will not lock.
bool UploadSlotGeometry(VertexBuffer* vertexBuffer, IndexBuffer* indexBuffer, const graph::SlotGeometry& geometry);

}  // namespace talvex::render
