#include "graph/slot_data.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

namespace {

// Calls visit(i, column, row, x, y, z) for every value, row by row: a grid's
// x and y from its vectors (or the column and row numbers), everything else
// as given. Made for each kind of layout, so that the loop holds no test of
// it.
template <bool kGridLayout, typename Visit>
void VisitValues(const SlotData& data, Visit visit) {
    const auto columns = static_cast<size_t>(data.columns), rows = static_cast<size_t>(data.rows);
    for (size_t row = 0, i = 0; row < rows; ++row) {
        const double rowY = kGridLayout ? (data.y.empty() ? static_cast<double>(row) : data.y[row]) : 0.0;
        for (size_t column = 0; column < columns; ++column, ++i) {
            if constexpr (kGridLayout)
                visit(i, column, row, data.x.empty() ? static_cast<double>(column) : data.x[column], rowY, data.z[i]);
            else
                visit(i, column, row, data.x[i], data.y[i], data.z[i]);
        }
    }
}

template <typename Visit>
void ForEachValue(const SlotData& data, Visit visit) {
    if (data.shape == DataShape::kGrid) VisitValues<true>(data, visit);
    else VisitValues<false>(data, visit);
}

}  // namespace

void AxisRanges::Add(const AxisRanges& other) {
    for (int axis = 0; axis < 3; ++axis) {
        low[axis] = std::min(low[axis], other.low[axis]);
        high[axis] = std::max(high[axis], other.high[axis]);
    }
}

AxisRanges DataRanges(const SlotData& data) {
    AxisRanges ranges;
    double* low = ranges.low;
    double* high = ranges.high;
    ForEachValue(data, [&](size_t, size_t, size_t, double x, double y, double z) {
        if (!Finite(x, y, z)) return;
        low[0] = std::min(low[0], x), high[0] = std::max(high[0], x);
        low[1] = std::min(low[1], y), high[1] = std::max(high[1], y);
        low[2] = std::min(low[2], z), high[2] = std::max(high[2], z);
    });
    return ranges;
}

void BuildDataGeometry(const SlotData& data, bool leftHanded, const DataFit& fit, SlotGeometry& geometry) {
    const size_t count = DataVertexCount(data);
    const double* low = fit.ranges.low;
    const double* high = fit.ranges.high;
    BoxMapping mapping;
    double widest = 0;
    for (int axis = 0; axis < 3; ++axis) {
        if (!(low[axis] <= high[axis])) {
            mapping.centre[axis] = 0;
            mapping.scale[axis] = 1;
            continue;
        }
        // Halves first: the range of values near the largest doubles would
        // not fit a double.
        mapping.centre[axis] = low[axis] / 2 + high[axis] / 2;
        const double half = high[axis] / 2 - low[axis] / 2;
        // One value on the axis: any scale puts it in the middle.
        mapping.scale[axis] = half > 0 ? half : 1.0;
        widest = std::max(widest, half);
    }
    if (fit.equalAspect)
        for (double& scale : mapping.scale) scale = widest > 0 ? widest : 1.0;
    mapping.zNegated = !leftHanded;
    mapping.trianglesReversed = leftHanded;
    // (value - centre) / scale is within -1 .. 1 for every value clamped to
    // the range; taken in halves for the same reason as above.
    const double toBox[3] = {200 / mapping.scale[0], 200 / mapping.scale[1], 200 / mapping.scale[2]};
    const double halfCentre[3] = {mapping.centre[0] / 2, mapping.centre[1] / 2, mapping.centre[2] / 2};
    // The range's ends, or none: an axis without a range has no finite value to clamp.
    double lowest[3], highest[3];
    for (int axis = 0; axis < 3; ++axis) {
        const bool ranged = low[axis] <= high[axis];
        lowest[axis] = ranged ? low[axis] : -HUGE_VAL;
        highest[axis] = ranged ? high[axis] : HUGE_VAL;
    }
    const auto clamp = [&](double value, int axis) { return std::min(std::max(value, lowest[axis]), highest[axis]); };
    const double zSign = leftHanded ? 1.0 : -1.0;
    geometry.mapping = mapping;
    geometry.note.clear();
    geometry.vertices.resize(count);
    // Which values are points: read again by the cells and segments.
    std::vector<uint8_t> finite(count);
    const bool surface = data.shape == DataShape::kGrid || data.shape == DataShape::kSurface;
    GraphVertex* vertices = geometry.vertices.data();
    ForEachValue(data, [&](size_t i, size_t column, size_t row, double x, double y, double z) {
        GraphVertex& v = vertices[i];
        finite[i] = Finite(x, y, z);
        if (!finite[i]) {
            v = {NAN, NAN, NAN, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
            return;
        }
        // The chessboard's squares two cells on a side, as a script's.
        v = {static_cast<float>((clamp(x, 0) / 2 - halfCentre[0]) * toBox[0]),
             static_cast<float>((clamp(y, 1) / 2 - halfCentre[1]) * toBox[1]),
             static_cast<float>((clamp(z, 2) / 2 - halfCentre[2]) * toBox[2] * zSign), 0.0f, 0.0f, 0.0f,
             surface ? 0.5f * static_cast<float>(row) : 0.0f, surface ? 0.5f * static_cast<float>(column) : 0.0f};
    });
    // Room for every cell, segment or point, written in place and cut to
    // those kept.
    std::vector<uint32_t>& indices = geometry.indices;
    indices.resize(MostDataIndices(data));
    uint32_t* out = indices.data();
    switch (data.shape) {
    case DataShape::kGrid:
    case DataShape::kSurface: {
        const auto columns = static_cast<size_t>(data.columns);
        for (size_t row = 0; row + 1 < static_cast<size_t>(data.rows); ++row)
            for (size_t column = 0; column + 1 < columns; ++column) {
                const auto a = static_cast<uint32_t>(row * columns + column), b = a + 1,
                           d = a + static_cast<uint32_t>(columns), c = d + 1;
                // The winding of a script's cells: it flips with z's sign.
                const uint32_t cell[6] = {a, leftHanded ? d : b, leftHanded ? b : d, b, leftHanded ? d : c,
                                          leftHanded ? c : d};
                std::memcpy(out, cell, sizeof cell);
                out += (finite[a] & finite[b] & finite[c] & finite[d]) != 0 ? 6 : 0;
            }
        geometry.kind = GraphKind::Surface;
        break;
    }
    case DataShape::kCurve:
        for (size_t i = 1; i < count; ++i) {
            out[0] = static_cast<uint32_t>(i - 1);
            out[1] = static_cast<uint32_t>(i);
            out += (finite[i - 1] & finite[i]) != 0 ? 2 : 0;
        }
        geometry.kind = GraphKind::Curve;
        break;
    case DataShape::kCloud:
        for (size_t i = 0; i < count; ++i) {
            *out = static_cast<uint32_t>(i);
            out += finite[i];
        }
        geometry.kind = GraphKind::Cloud;
        break;
    }
    indices.resize(static_cast<size_t>(out - indices.data()));
    geometry.samplesU = data.columns;
    geometry.samplesV = data.rows;
    geometry.NarrowIndices();
}

}  // namespace talvex::graph
