#include "graph/slot_data.h"

#include <algorithm>
#include <cmath>

namespace talvex::graph {

namespace {

const char* ShapeName(DataShape shape) {
    switch (shape) {
    case DataShape::kGrid: return "a grid";
    case DataShape::kSurface: return "a surface";
    case DataShape::kCurve: return "a curve";
    case DataShape::kCloud: return "a cloud";
    }
    return "data";
}

bool Finite(double x, double y, double z) { return std::isfinite(x) && std::isfinite(y) && std::isfinite(z); }

// The coordinates of value i of the data: a grid's x and y from its vectors
// (or the column and row numbers), everything else as given.
struct Coordinates {
    const SlotData& data;
    double X(size_t i) const {
        if (data.shape != DataShape::kGrid) return data.x[i];
        const size_t column = i % static_cast<size_t>(data.columns);
        return data.x.empty() ? static_cast<double>(column) : data.x[column];
    }
    double Y(size_t i) const {
        if (data.shape != DataShape::kGrid) return data.y[i];
        const size_t row = i / static_cast<size_t>(data.columns);
        return data.y.empty() ? static_cast<double>(row) : data.y[row];
    }
    double Z(size_t i) const { return data.z[i]; }
    bool FiniteAt(size_t i) const { return Finite(X(i), Y(i), Z(i)); }
};

}  // namespace

size_t DataVertexCount(const SlotData& data) {
    return static_cast<size_t>(std::max(data.columns, 0)) * static_cast<size_t>(std::max(data.rows, 0));
}

size_t MostDataIndices(const SlotData& data) {
    const auto columns = static_cast<size_t>(std::max(data.columns, 0)), rows = static_cast<size_t>(std::max(data.rows, 0));
    switch (data.shape) {
    case DataShape::kGrid:
    case DataShape::kSurface: return columns > 0 && rows > 0 ? (columns - 1) * (rows - 1) * 6 : 0;
    case DataShape::kCurve: return columns > 0 ? 2 * (columns - 1) : 0;
    case DataShape::kCloud: return columns;
    }
    return 0;
}

std::string DataRefusal(const SlotData& data) {
    const std::string shape = ShapeName(data.shape);
    const bool grid = data.shape == DataShape::kGrid || data.shape == DataShape::kSurface;
    if (data.columns < 1) return shape + (grid ? " needs at least one column" : " needs at least one point");
    if (grid && data.rows < 1) return shape + " needs at least one row";
    if (!grid && data.rows != 1) return shape + " has one row of points";
    const int64_t count = static_cast<int64_t>(data.columns) * data.rows;
    if (count > kDataValueCapacity)
        return shape + " of " + std::to_string(count) + " values is more than a slot holds (at most " +
               std::to_string(kDataValueCapacity) + ", a grid of " + std::to_string(kDataGridSideCapacity) + " x " +
               std::to_string(kDataGridSideCapacity) + ")";
    const auto length = static_cast<size_t>(count);
    if (data.z.size() != length) return shape + " needs " + std::to_string(length) + " z values";
    if (data.shape == DataShape::kGrid) {
        if (!data.x.empty() && data.x.size() != static_cast<size_t>(data.columns))
            return "a grid needs one x for each of its " + std::to_string(data.columns) + " columns";
        if (!data.y.empty() && data.y.size() != static_cast<size_t>(data.rows))
            return "a grid needs one y for each of its " + std::to_string(data.rows) + " rows";
    } else if (data.x.size() != length || data.y.size() != length) {
        return shape + " needs " + std::to_string(length) + " x, y and z values each";
    }
    const Coordinates at{data};
    for (size_t i = 0; i < length; ++i)
        if (at.FiniteAt(i)) return "";
    return shape + " without one point whose x, y and z are all finite numbers has nothing to draw";
}

void BuildDataGeometry(const SlotData& data, bool leftHanded, SlotGeometry& geometry) {
    const Coordinates at{data};
    const size_t count = static_cast<size_t>(data.columns) * static_cast<size_t>(data.rows);
    // Each axis's finite range; the largest fills the box.
    double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (size_t i = 0; i < count; ++i) {
        if (!at.FiniteAt(i)) continue;
        const double value[3] = {at.X(i), at.Y(i), at.Z(i)};
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = std::min(low[axis], value[axis]);
            high[axis] = std::max(high[axis], value[axis]);
        }
    }
    BoxMapping mapping;
    double half = 0;
    for (int axis = 0; axis < 3; ++axis) {
        // Halves first: the range of values near the largest doubles would
        // not fit a double.
        mapping.centre[axis] = low[axis] / 2 + high[axis] / 2;
        half = std::max(half, high[axis] / 2 - low[axis] / 2);
    }
    // One point, or all at one place: any scale puts it in the middle.
    mapping.scale = half > 0 ? half : 1.0;
    mapping.zNegated = !leftHanded;
    mapping.trianglesReversed = leftHanded;
    // (value - centre) / scale is within -1 .. 1 for every finite value;
    // taken in halves for the same reason as above.
    const auto box = [&mapping](double value, int axis) {
        return static_cast<float>((value / 2 - mapping.centre[axis] / 2) / mapping.scale * 200);
    };
    geometry.mapping = mapping;
    geometry.note.clear();
    geometry.vertices.resize(count);
    for (size_t i = 0; i < count; ++i) {
        GraphVertex& v = geometry.vertices[i];
        v = {};
        if (!at.FiniteAt(i)) {
            v.x = v.y = v.z = NAN;
            continue;
        }
        v.x = box(at.X(i), 0);
        v.y = box(at.Y(i), 1);
        v.z = box(at.Z(i), 2) * (leftHanded ? 1.0f : -1.0f);
        if (data.shape == DataShape::kGrid || data.shape == DataShape::kSurface) {
            // The chessboard's squares two cells on a side, as a script's.
            v.tu = 0.5f * static_cast<float>(i / static_cast<size_t>(data.columns));
            v.tv = 0.5f * static_cast<float>(i % static_cast<size_t>(data.columns));
        }
    }
    std::vector<uint32_t>& indices = geometry.indices;
    indices.clear();
    const auto finite = [&geometry](size_t i) { return !std::isnan(geometry.vertices[i].x); };
    switch (data.shape) {
    case DataShape::kGrid:
    case DataShape::kSurface: {
        const size_t columns = static_cast<size_t>(data.columns);
        for (size_t row = 0; row + 1 < static_cast<size_t>(data.rows); ++row)
            for (size_t column = 0; column + 1 < columns; ++column) {
                const size_t a = row * columns + column, b = a + 1, d = a + columns, c = d + 1;
                if (!finite(a) || !finite(b) || !finite(c) || !finite(d)) continue;
                // The winding of a script's cells: it flips with z's sign.
                const size_t cell[6] = {a, leftHanded ? d : b, leftHanded ? b : d, b, leftHanded ? d : c,
                                        leftHanded ? c : d};
                for (size_t corner : cell) indices.push_back(static_cast<uint32_t>(corner));
            }
        geometry.kind = GraphKind::Surface;
        break;
    }
    case DataShape::kCurve:
        for (size_t i = 1; i < count; ++i)
            if (finite(i - 1) && finite(i)) {
                indices.push_back(static_cast<uint32_t>(i - 1));
                indices.push_back(static_cast<uint32_t>(i));
            }
        geometry.kind = GraphKind::Curve;
        break;
    case DataShape::kCloud:
        for (size_t i = 0; i < count; ++i)
            if (finite(i)) indices.push_back(static_cast<uint32_t>(i));
        geometry.kind = GraphKind::Cloud;
        break;
    }
    geometry.samplesU = data.columns;
    geometry.samplesV = data.rows;
    geometry.NarrowIndices();
}

}  // namespace talvex::graph
