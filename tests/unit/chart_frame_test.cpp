// The chart look's box: the graphs' finite ranges per axis, or the host's
// range where it set one.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "render/chart_frame.h"

namespace talvex::render {
namespace {

// A slot of two vertices at the given values (box units equal to values).
graph::SlotGeometry TwoPoints(float low, float high) {
    graph::SlotGeometry geometry;
    geometry.kind = graph::GraphKind::Curve;
    geometry.mapping.scale[0] = geometry.mapping.scale[1] = geometry.mapping.scale[2] = 100.0;
    geometry.vertices = {{low, low, low, 0, 0, 0, 0, 0}, {high, high, high, 0, 0, 0, 0, 0}};
    geometry.indices = {0, 1};
    return geometry;
}

TEST(ChartBox, SpansTheGraphsOrTheHostsRange) {
    const graph::SlotGeometry geometry = TwoPoints(-3.0f, 5.0f);
    std::array<SlotDraw, kSlotCount> slots{};
    slots[0].scripted = true;
    slots[0].kind = geometry.kind;
    slots[0].geometry = &geometry;
    View view;
    const ChartBox own = MeasureChartBox(view, slots);
    EXPECT_DOUBLE_EQ(own.low[2], -3.0);
    EXPECT_DOUBLE_EQ(own.high[2], 5.0);

    view.rangeLow[2] = 0.0;
    view.rangeHigh[2] = 2.0;
    const ChartBox ranged = MeasureChartBox(view, slots);
    EXPECT_DOUBLE_EQ(ranged.low[2], 0.0) << "the host's range, though the graph goes beyond it";
    EXPECT_DOUBLE_EQ(ranged.high[2], 2.0);
    EXPECT_DOUBLE_EQ(ranged.low[0], -3.0) << "the other axes keep the graph's";
}

}  // namespace
}  // namespace talvex::render
