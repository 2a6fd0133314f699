// The vertex records of the scene buffers and their fixed sizes.
#pragma once

#include <cstdint>

#include "render/device.h"

namespace talvex::render {

// Vertex of the grid and axis buffers: position and colour (16 bytes).
struct ColorVertex {
    float x, y, z;
    uint32_t color;
};
static_assert(sizeof(ColorVertex) == 16, "ColorVertex is 16 bytes");

// Vertex of the slot buffers: position, normal, texture coordinates (32 bytes).
struct GraphVertex {
    float x, y, z;
    float nx, ny, nz;
    float tu, tv;
};
static_assert(sizeof(GraphVertex) == 32, "GraphVertex is 32 bytes");

constexpr uint32_t kColorVertexFormat = kFvfXyz | kFvfDiffuse;             // 0x042
constexpr uint32_t kGraphVertexFormat = kFvfXyz | kFvfNormal | kFvfTex1;  // 0x112

constexpr int kGridSide = 21;
constexpr int kGridPointCount = kGridSide * kGridSide;  // 441
constexpr int kAxisVertexCount = 28;
constexpr int kAxisLineCount = kAxisVertexCount / 2;
constexpr uint32_t kSceneBufferBytes = kGridPointCount * sizeof(ColorVertex);  // 7056

// A slot holds at most a 101 x 101 grid and 10000 cells of two triangles.
constexpr int kSlotVertexCapacity = 101 * 101;
constexpr int kSlotIndexCapacity = 60000;
constexpr uint32_t kSlotVertexBytes = kSlotVertexCapacity * sizeof(GraphVertex);  // 326432
constexpr uint32_t kSlotIndexBytes = kSlotIndexCapacity * sizeof(uint16_t);       // 120000

constexpr int kTextureSide = 16;

// The 28 axis vertices: the axes, their arrowheads and the letters X and Y.
// A left-handed control puts the z arrowhead at the positive end.
void MakeAxisVertices(bool leftHanded, ColorVertex (&vertices)[kAxisVertexCount]);

}  // namespace talvex::render
