// Data a host gives a slot in place of a script: heights over a grid, a
// surface of three arrays, the points of a curve or of a cloud. The slot
// keeps its own copy, in double precision; its geometry is made from it as a
// calculation makes a script's.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "graph/slot_geometry.h"

namespace talvex::graph {

enum class DataShape : int32_t {
    kGrid,     // z over columns x rows, x and y one vector each (empty: 0, 1, 2, ...)
    kSurface,  // x, y and z all columns x rows
    kCurve,    // columns points joined in order
    kCloud,    // columns points, each drawn on its own
};

struct SlotData {
    DataShape shape = DataShape::kGrid;
    int32_t columns = 0;  // along x (grid), the first index (surface), the points (curve, cloud)
    int32_t rows = 1;     // along y (grid), the second index (surface); 1 otherwise
    // Row by row, the column index varying fastest.
    std::vector<double> x, y, z;
};

// The most values a slot's data holds: a grid of 4096 x 4096 (about 3 GB
// between the copy, the geometry and the device's buffers); a vertex's
// number still fits the 32-bit indices with room to spare.
constexpr int64_t kDataGridSideCapacity = 4096;
constexpr int64_t kDataValueCapacity = kDataGridSideCapacity * kDataGridSideCapacity;

// The vertices of the data's geometry (one a value) and the most indices it
// can have (every cell, segment or point kept).
size_t DataVertexCount(const SlotData& data);
size_t MostDataIndices(const SlotData& data);

// Why the data cannot be a slot's ("a grid needs at least one column"), or
// "" when it can: the shape's sizes, the arrays' lengths, the capacity, and
// at least one point whose three coordinates are finite numbers.
std::string DataRefusal(const SlotData& data);

// A range on each axis: the finite range of some data, or the one a box
// fits. Empty (low above high) where there is none.
struct AxisRanges {
    double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    double high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    void Add(const AxisRanges& other);
};

// The finite range of each axis over the data's points whose three
// coordinates are all finite.
AxisRanges DataRanges(const SlotData& data);

// How a data slot fills the box: the range each axis maps onto it, and
// whether one scale (the widest range's) serves all three axes.
struct DataFit {
    AxisRanges ranges;
    bool equalAspect = false;
};

// The geometry of data that DataRefusal accepts, replacing what geometry
// held: every value a vertex in box coordinates, each axis centred on its
// range in the fit and its half-width filling the box (the widest one's for
// all three with equal aspect; a range of one value, or none, any scale),
// values beyond the range clamped to it, z negated on a right-handed chart;
// with the indices of the cells, segments and points whose corners, ends or
// coordinates are all finite: a value that is not a finite number leaves a
// hole and takes nothing else with it. A grid's first parameter is its
// column index and its second the row index, both stepping up; the cells
// wind as a script surface's over such parameters.
void BuildDataGeometry(const SlotData& data, bool leftHanded, const DataFit& fit, SlotGeometry& geometry);

}  // namespace talvex::graph
