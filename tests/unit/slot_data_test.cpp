// A host's data made into a slot's geometry: what is refused and why, which
// cells, segments and points a hole takes out, and how the values map into
// the box.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "graph/slot_data.h"

namespace {

using talvex::graph::BuildDataGeometry;
using talvex::graph::DataFit;
using talvex::graph::DataRanges;
using talvex::graph::DataRefusal;
using talvex::graph::DataShape;
using talvex::graph::GraphKind;
using talvex::graph::SlotData;
using talvex::graph::SlotGeometry;

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

SlotData Grid(int32_t columns, int32_t rows, std::vector<double> z) {
    SlotData data;
    data.shape = DataShape::kGrid;
    data.columns = columns;
    data.rows = rows;
    data.z = std::move(z);
    return data;
}

SlotData Line(DataShape shape, std::vector<double> x, std::vector<double> y, std::vector<double> z) {
    SlotData data;
    data.shape = shape;
    data.columns = static_cast<int32_t>(z.size());
    data.x = std::move(x);
    data.y = std::move(y);
    data.z = std::move(z);
    return data;
}

// The data's geometry fitted as a slot of its own fits it: each axis its
// own range, or one scale with equal aspect.
SlotGeometry Build(const SlotData& data, bool leftHanded = true, bool equalAspect = false) {
    SlotGeometry geometry;
    DataFit fit;
    fit.ranges = DataRanges(data);
    fit.equalAspect = equalAspect;
    BuildDataGeometry(data, leftHanded, fit, geometry);
    return geometry;
}

// The cells a surface kept, each named by its first corner (the lowest index).
std::set<int> KeptCells(const SlotGeometry& geometry) {
    std::set<int> cells;
    for (size_t t = 0; t < geometry.indices.size(); t += 6) cells.insert(geometry.indices[t]);
    return cells;
}

TEST(SlotData, RefusalsNameWhatIsWrong) {
    const struct {
        SlotData data;
        const char* words;
    } cases[] = {
        {Grid(0, 3, {}), "a grid needs at least one column"},
        {Grid(3, 0, {}), "a grid needs at least one row"},
        {Grid(2, 2, {1, 2, 3}), "a grid needs 4 z values"},
        {Grid(5000, 4000, {}), "a grid of 20000000 values is more than a slot holds (at most 16777216"},
        {Grid(2, 1, {kNan, kInf}), "a grid without one point whose x, y and z are all finite numbers"},
        {Line(DataShape::kCurve, {}, {}, {}), "a curve needs at least one point"},
        {Line(DataShape::kCloud, {1}, {2, 3}, {4, 5}), "a cloud needs 2 x, y and z values each"},
        {Line(DataShape::kCloud, {kNan}, {0}, {0}), "a cloud without one point"},
    };
    for (const auto& c : cases) {
        const std::string why = DataRefusal(c.data);
        EXPECT_NE(why.find(c.words), std::string::npos) << why;
    }
    SlotData grid = Grid(3, 2, {1, 2, 3, 4, 5, 6});
    grid.x = {0, 1};
    EXPECT_EQ(DataRefusal(grid), "a grid needs one x for each of its 3 columns");
    grid.x.clear();
    EXPECT_EQ(DataRefusal(grid), "");
    EXPECT_EQ(DataRefusal(Grid(1, 1, {7})), "") << "one value is a grid";
}

// A 4 x 4 grid has 9 cells, numbered by their first corner 0, 1, 2, 4, 5, 6,
// 8, 9, 10. A value that is not finite takes out exactly the cells it is a
// corner of.
TEST(SlotData, HolesTakeOutTheCellsTheyTouchAndNothingElse) {
    const std::set<int> all = {0, 1, 2, 4, 5, 6, 8, 9, 10};
    const struct {
        std::vector<int> holes;
        std::set<int> kept;
    } cases[] = {
        {{}, all},
        {{0}, {1, 2, 4, 5, 6, 8, 9, 10}},             // a corner of the grid
        {{15}, {0, 1, 2, 4, 5, 6, 8, 9}},             // the opposite corner
        {{5}, {2, 6, 8, 9, 10}},                      // inside: its four cells
        {{4, 5, 6, 7}, {8, 9, 10}},                   // a whole row: the cells on both sides of it
        {{1, 14}, {2, 4, 5, 6, 8}},
    };
    for (const double bad : {kNan, kInf, -kInf}) {
        for (const auto& c : cases) {
            std::vector<double> z(16);
            for (size_t i = 0; i < z.size(); ++i) z[i] = std::sin(static_cast<double>(i));
            for (int hole : c.holes) z[static_cast<size_t>(hole)] = bad;
            const SlotGeometry geometry = Build(Grid(4, 4, z));
            EXPECT_EQ(geometry.kind, GraphKind::Surface);
            EXPECT_EQ(geometry.vertices.size(), 16u) << "every value keeps its vertex";
            EXPECT_EQ(KeptCells(geometry), c.kept) << "holes " << c.holes.size() << " of " << bad;
            for (int hole : c.holes) EXPECT_TRUE(std::isnan(geometry.vertices[static_cast<size_t>(hole)].x));
        }
    }
}

// A grid of one row, one column or one value has vertices but no cell: it
// is taken and drawn as nothing, not refused.
TEST(SlotData, GridsWithoutCellsKeepTheirValues) {
    const struct {
        int32_t columns, rows;
    } cases[] = {{5, 1}, {1, 5}, {1, 1}};
    for (const auto& c : cases) {
        const SlotData grid = Grid(c.columns, c.rows, std::vector<double>(static_cast<size_t>(c.columns * c.rows), 2.0));
        ASSERT_EQ(DataRefusal(grid), "");
        const SlotGeometry geometry = Build(grid);
        EXPECT_EQ(geometry.kind, GraphKind::Surface);
        EXPECT_EQ(geometry.vertices.size(), static_cast<size_t>(c.columns * c.rows));
        EXPECT_TRUE(geometry.indices.empty()) << c.columns << " x " << c.rows;
        for (const auto& v : geometry.vertices) EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.z));
    }
}

TEST(SlotData, CurvesAndCloudsLeaveOutWhatIsNotFinite) {
    const SlotGeometry curve =
        Build(Line(DataShape::kCurve, {0, 1, 2, 3, 4}, {0, 0, kNan, 0, 0}, {0, 1, 2, 3, 4}));
    EXPECT_EQ(curve.kind, GraphKind::Curve);
    EXPECT_EQ(curve.indices, (std::vector<uint32_t>{0, 1, 3, 4})) << "the segments into and out of the hole go";
    const SlotGeometry cloud = Build(Line(DataShape::kCloud, {0, 1, kInf, 3}, {0, 1, 2, 3}, {3, 2, 1, kNan}));
    EXPECT_EQ(cloud.kind, GraphKind::Cloud);
    EXPECT_EQ(cloud.indices, (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(cloud.vertices.size(), 4u);
}

// Each axis's finite range fills the box, or with equal aspect the widest
// one's scale serves all three; a range the host gives holds the values
// beyond it at the box's faces. Each axis is centred, and the mapping gives
// the data's own values back; z is negated on a right-handed chart, where
// the cells also wind the other way round.
TEST(SlotData, TheBoxFitsTheFiniteRangeAndTheMappingUndoesIt) {
    enum Fit { kOwn, kEqualAspect, kHostZ };
    const struct {
        Fit fit;
        double scale[3];  // in units of the magnitude
        float top[3];     // the box coordinates of the last value (z as on a left-handed chart)
    } cases[] = {
        {kOwn, {1, 0.5, 1}, {100, 100, 100}},
        {kEqualAspect, {1, 1, 1}, {100, 50, 100}},
        {kHostZ, {1, 0.5, 0.5}, {100, 100, 100}},  // z 0 .. m: the last value's 2 m held at m
    };
    for (const double magnitude : {1e-300, 1e-6, 1.0, 1e6, 1e300})
        for (const auto& c : cases)
            for (const bool leftHanded : {true, false}) {
                SlotData grid = Grid(2, 2, {0, magnitude, kNan, 2 * magnitude});
                grid.x = {-magnitude, magnitude};
                grid.y = {10 * magnitude, 11 * magnitude};
                DataFit fit;
                fit.ranges = DataRanges(grid);
                fit.equalAspect = c.fit == kEqualAspect;
                if (c.fit == kHostZ) fit.ranges.high[2] = magnitude;
                SlotGeometry geometry;
                BuildDataGeometry(grid, leftHanded, fit, geometry);
                const auto& m = geometry.mapping;
                for (int axis = 0; axis < 3; ++axis)
                    EXPECT_DOUBLE_EQ(m.scale[axis], c.scale[axis] * magnitude) << c.fit << " axis " << axis;
                EXPECT_DOUBLE_EQ(m.centre[1], 10.5 * magnitude);
                EXPECT_EQ(m.zNegated, !leftHanded);
                const auto& top = geometry.vertices[3];
                EXPECT_NEAR(top.x, c.top[0], 1e-3f) << c.fit;
                EXPECT_NEAR(top.y, c.top[1], 1e-3f) << c.fit;
                EXPECT_NEAR(top.z, leftHanded ? c.top[2] : -c.top[2], 1e-3f) << c.fit;
                EXPECT_NEAR(geometry.vertices[0].z, leftHanded ? -100.0f : 100.0f, 1e-3f) << c.fit << ": z's low end";
                EXPECT_TRUE(geometry.indices.empty()) << "the only cell has a hole at a corner";
            }
    const SlotGeometry lone = Build(Line(DataShape::kCloud, {5}, {6}, {7}));
    EXPECT_EQ(lone.vertices[0].x, 0.0f);
    EXPECT_EQ(lone.mapping.centre[2], 7.0);
    EXPECT_GT(lone.mapping.scale[2], 0.0);
    // Values near the largest doubles stay finite in the box.
    const SlotGeometry huge = Build(Line(DataShape::kCurve, {-1.7e308, 1.7e308}, {0, 0}, {0, 0}));
    EXPECT_NEAR(huge.vertices[0].x, -100.0f, 1e-3f);
    EXPECT_NEAR(huge.vertices[1].x, 100.0f, 1e-3f);
}

TEST(SlotData, CellsWindAsAScriptSurfacesDo) {
    const SlotData grid = Grid(2, 2, {0, 1, 2, 3});
    EXPECT_EQ(Build(grid, true).indices, (std::vector<uint32_t>{0, 2, 1, 1, 2, 3}));
    EXPECT_EQ(Build(grid, false).indices, (std::vector<uint32_t>{0, 1, 2, 1, 3, 2}));
    EXPECT_TRUE(Build(grid, true).mapping.trianglesReversed);
    EXPECT_FALSE(Build(grid, false).mapping.trianglesReversed);
}

}  // namespace
