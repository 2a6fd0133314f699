// What a calculation makes of one slot's script: the kind of graph, its
// sample counts, its vertices in box coordinates and its index list. The
// control keeps it; drawing uploads it into the device's buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace talvex::graph {

// What a calculation left in a slot; selects how the frame draws it.
// A cloud is a host's data only: points drawn each as a point slot's is.
enum class GraphKind : int32_t { None = 0, Point = 1, Curve = 2, Surface = 3, Cloud = 4 };

// Vertex of a slot: position, normal, texture coordinates (32 bytes, the
// layout the device draws from).
struct GraphVertex {
    float x, y, z;
    float nx, ny, nz;
    float tu, tv;
};
static_assert(sizeof(GraphVertex) == 32, "GraphVertex is 32 bytes");

// A slot's fixed buffers hold a 101 x 101 grid and 10000 cells of two
// triangles: all a script can make. A host's data larger than that is
// drawn from buffers made to its size, with 32-bit indices.
constexpr int kSlotVertexCapacity = 101 * 101;
constexpr int kSlotIndexCapacity = 60000;
// The most vertices whose numbers fit a 16-bit index.
constexpr size_t kNarrowVertexLimit = 65536;

// How the calculation mapped the script's coordinates into the box, so that
// a host can have them back: box = (value - centre) * 100 / scale on each
// axis, z negated on a right-handed chart (values beyond the box were clamped
// to its faces first). A script has one scale on all three axes; a host's
// data one per axis unless it asks for one. Identity until a calculation
// sets it.
struct BoxMapping {
    double scale[3] = {100.0, 100.0, 100.0};
    double centre[3] = {0.0, 0.0, 0.0};
    bool zNegated = false;
    // The surface's triangles wind clockwise about the parameters' cross
    // product (d/du x d/dv) in the script's coordinates: the handedness and
    // the directions of the parameters' steps decide it.
    bool trianglesReversed = false;

    bool OneScale() const { return scale[0] == scale[1] && scale[1] == scale[2]; }
};

struct SlotGeometry {
    GraphKind kind = GraphKind::None;
    BoxMapping mapping;
    int32_t samplesU = 0;
    int32_t samplesV = 0;
    // Surface: samplesU * samplesV vertices, row by row along the second
    // parameter; curve and cloud: samplesU; point: one.
    std::vector<GraphVertex> vertices;
    // Three per kept triangle (surface), two per kept segment (curve), one
    // per kept point (cloud).
    std::vector<uint32_t> indices;
    // The same as 16-bit numbers, when every vertex has one (at most 65536
    // vertices; a host's data may have more): what the fixed buffers take
    // and what the geometry read-back hands a host. Empty otherwise.
    std::vector<uint16_t> indices16;
    // What the calculation drew otherwise than the script asked ("its grid
    // of 1000 x 1000 cells was reduced to 71 x 140 ..."), or "".
    std::string note;

    // Whether the fixed buffers take it.
    bool FitsFixedBuffers() const {
        return vertices.size() <= static_cast<size_t>(kSlotVertexCapacity) &&
               indices.size() <= static_cast<size_t>(kSlotIndexCapacity);
    }
    // Makes indices16 from indices, or empties it when a vertex number
    // would not fit; called once the indices are final.
    void NarrowIndices() {
        indices16.clear();
        if (vertices.size() > kNarrowVertexLimit) return;
        indices16.resize(indices.size());
        for (size_t i = 0; i < indices.size(); ++i) indices16[i] = static_cast<uint16_t>(indices[i]);
    }

    int32_t VertexCount() const { return static_cast<int32_t>(vertices.size()); }
    int32_t PrimitiveCount() const {
        const auto perPrimitive = kind == GraphKind::Surface ? 3u : kind == GraphKind::Cloud ? 1u : 2u;
        return kind == GraphKind::Point ? 0 : static_cast<int32_t>(indices.size() / perPrimitive);
    }
};

}  // namespace talvex::graph
