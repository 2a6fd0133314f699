// Data in place of scripts through the real libtalvex.so: what each function
// takes and refuses, what the slot keeps, and the picture in both looks.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "chart_fixture.h"
#include "talvex_native.h"

namespace {

constexpr int32_t kFail = static_cast<int32_t>(0x80004005u);
constexpr int32_t kPointer = static_cast<int32_t>(0x80004003u);
constexpr int32_t kInvalidArgument = static_cast<int32_t>(0x80070057u);
constexpr int32_t kBadSlot = 21;
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr int32_t kWidth = 200, kHeight = 150;

class NativeData : public Chart {
protected:
    void SetUp() override {
        Chart::SetUp();
        ASSERT_EQ(TALVEX_ControlSize(handle, kWidth, kHeight), 0);
    }

    TalvexSlotGeometry Geometry(int slot) {
        TalvexSlotGeometry geometry{};
        EXPECT_EQ(talvex_get_slot_geometry(handle, slot, &geometry), 0);
        return geometry;
    }

    std::vector<uint32_t> Picture() {
        std::vector<uint32_t> pixels(static_cast<size_t>(kWidth * kHeight));
        EXPECT_EQ(talvex_render_picture(handle, pixels.data(), kWidth, kHeight), 0);
        return pixels;
    }

    static int Count(const std::vector<uint32_t>& pixels, uint32_t colour) {
        int n = 0;
        for (uint32_t p : pixels) n += p == colour;
        return n;
    }

    // A flat 5 x 5 grid of heights in the chart look, seen from above.
    void ChartLookFromAbove() {
        TalvexStyle style;
        talvex_default_style(&style);
        style.look = TALVEX_LOOK_CHART;
        style.axes = 0;
        style.colorBar = 0;
        std::strcpy(style.colorMap, "slot");
        style.lighting = 0;
        ASSERT_EQ(talvex_set_style(handle, &style, nullptr, 0), 0);
        ASSERT_EQ(talvex_set_view_angles(handle, 90.0, -90.0, 0.0), 0);
    }
};

TEST_F(NativeData, EachShapeIsTakenAndKept) {
    const double z[6] = {1, 2, 3, 4, 5, 6}, xs[3] = {0, 10, 20}, ys[2] = {-1, 1};
    ASSERT_EQ(talvex_set_grid(handle, 0, 3, 2, z, xs, ys, nullptr, 0), 0);
    TalvexSlotGeometry grid = Geometry(0);
    EXPECT_EQ(grid.kind, TALVEX_GRAPH_SURFACE);
    EXPECT_EQ(grid.samplesU, 3);
    EXPECT_EQ(grid.samplesV, 2);
    EXPECT_EQ(grid.vertexCount, 6);
    EXPECT_EQ(grid.indexCount, 12) << "two cells of two triangles";
    TalvexAxisMapping mapping{};
    ASSERT_EQ(talvex_get_slot_axis_mapping(handle, 0, &mapping), 0);
    EXPECT_DOUBLE_EQ(mapping.scale[0], 10.0) << "each axis its own range: x's 0 .. 20";
    EXPECT_DOUBLE_EQ(mapping.scale[1], 1.0);
    EXPECT_DOUBLE_EQ(mapping.scale[2], 2.5);
    EXPECT_DOUBLE_EQ(mapping.centre[0], 10.0);
    EXPECT_DOUBLE_EQ(mapping.centre[2], 3.5);
    TalvexBoxMapping one{};
    ASSERT_EQ(talvex_get_slot_mapping(handle, 0, &one), 0);
    EXPECT_TRUE(std::isnan(one.scale)) << "no one scale to tell";
    EXPECT_DOUBLE_EQ(one.centre[2], 3.5);

    const double x[4] = {0, 1, 2, 3}, y[4] = {3, 2, 1, 0};
    ASSERT_EQ(talvex_set_curve(handle, 1, 4, x, y, z, nullptr, 0), 0);
    EXPECT_EQ(Geometry(1).kind, TALVEX_GRAPH_CURVE);
    EXPECT_EQ(Geometry(1).indexCount, 6);
    ASSERT_EQ(talvex_set_points(handle, 2, 4, x, y, z, nullptr, 0), 0);
    EXPECT_EQ(Geometry(2).kind, TALVEX_GRAPH_CLOUD);
    EXPECT_EQ(Geometry(2).indexCount, 4);
    ASSERT_EQ(talvex_set_surface(handle, 2, 2, 2, x, y, z, nullptr, 0), 0);
    EXPECT_EQ(Geometry(2).kind, TALVEX_GRAPH_SURFACE);

    // The slot's data reads back as given.
    TalvexSlotData data{};
    ASSERT_EQ(talvex_get_slot_data(handle, 0, &data), 0);
    EXPECT_EQ(data.shape, TALVEX_DATA_GRID);
    EXPECT_EQ(data.columns, 3);
    EXPECT_EQ(data.rows, 2);
    EXPECT_EQ(std::vector<double>(data.z, data.z + 6), std::vector<double>(z, z + 6));
    EXPECT_EQ(std::vector<double>(data.x, data.x + 3), std::vector<double>(xs, xs + 3));
    ASSERT_EQ(talvex_get_slot_data(handle, 2, &data), 0);
    EXPECT_EQ(data.shape, TALVEX_DATA_SURFACE);
    EXPECT_EQ(talvex_get_slot_data(handle, 3, &data), kBadSlot);
    EXPECT_EQ(talvex_get_slot_data(handle, 0, nullptr), kPointer);

    // A script in the slot replaces its data, and data replaces a script.
    ASSERT_EQ(SetScript(1, "z = x"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    EXPECT_EQ(Geometry(1).samplesU, 21) << "the script's grid, not the curve";
    ASSERT_EQ(talvex_set_points(handle, 1, 4, x, y, z, nullptr, 0), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    EXPECT_EQ(Geometry(1).kind, TALVEX_GRAPH_CLOUD) << "the script is gone: a Calculate makes the data again";
    ASSERT_EQ(TALVEX_ControlDelScript(handle, 1), 0);
    ASSERT_EQ(talvex_get_slot_data(handle, 1, &data), 0);
    EXPECT_EQ(data.shape, TALVEX_DATA_NONE);
    EXPECT_EQ(data.z, nullptr);
}

TEST_F(NativeData, RefusalsSayWhyAndKeepTheSlot) {
    const double z[4] = {1, 2, 3, 4};
    ASSERT_EQ(talvex_set_grid(handle, 0, 2, 2, z, nullptr, nullptr, nullptr, 0), 0);
    const struct {
        int32_t (*call)(int32_t handle, char* why, int32_t size);
        const char* words;
    } cases[] = {
        {[](int32_t h, char* why, int32_t size) {
             const double values[4] = {1, 2, 3, 4};
             return talvex_set_grid(h, 0, 0, 2, values, nullptr, nullptr, why, size);
         },
         "a grid needs at least one column"},
        {[](int32_t h, char* why, int32_t size) {
             const double values[4] = {1, 2, 3, 4};
             return talvex_set_grid(h, 0, 2, -5, values, nullptr, nullptr, why, size);
         },
         "a grid needs at least one row"},
        {[](int32_t h, char* why, int32_t size) {
             const double values[4] = {1, 2, 3, 4};  // not read: the sizes alone refuse it
             return talvex_set_grid(h, 0, 5000, 5000, values, nullptr, nullptr, why, size);
         },
         "a grid of 25000000 values is more than a slot holds (at most 16777216, a grid of 4096 x 4096)"},
        {[](int32_t h, char* why, int32_t size) {
             const double values[2] = {kNan, kNan};
             return talvex_set_grid(h, 0, 2, 1, values, nullptr, nullptr, why, size);
         },
         "nothing to draw"},
        {[](int32_t h, char* why, int32_t size) {
             const double xs[2] = {kNan, 1}, ys[2] = {1, kNan}, zs[2] = {1, 1};
             return talvex_set_curve(h, 0, 2, xs, ys, zs, why, size);
         },
         "a curve without one point whose x, y and z are all finite numbers has nothing to draw"},
    };
    for (const auto& c : cases) {
        char why[128];
        std::memset(why, 'X', sizeof why);
        EXPECT_EQ(c.call(handle, why, sizeof why), kInvalidArgument) << c.words;
        EXPECT_NE(std::string(why).find(c.words), std::string::npos) << why;
    }
    EXPECT_EQ(talvex_set_grid(handle, 3, 2, 2, z, nullptr, nullptr, nullptr, 0), kBadSlot);
    EXPECT_EQ(talvex_set_grid(handle, 0, 2, 2, nullptr, nullptr, nullptr, nullptr, 0), kPointer);
    EXPECT_EQ(talvex_set_points(handle, 0, 2, nullptr, z, z, nullptr, 0), kPointer);
    char why[8];
    EXPECT_EQ(talvex_set_grid(handle, 0, 2, 2, z, nullptr, nullptr, why, 0), kInvalidArgument);
    EXPECT_EQ(talvex_set_grid(handle + 1000, 0, 2, 2, z, nullptr, nullptr, nullptr, 0), kFail);
    EXPECT_EQ(Geometry(0).vertexCount, 4) << "every refusal left the grid as it was";
    char note[64];
    std::memset(note, 'X', sizeof note);
    EXPECT_EQ(talvex_get_slot_note(handle, 0, note, sizeof note), 0);
    EXPECT_STREQ(note, "") << "data is drawn as given";
    EXPECT_EQ(talvex_get_slot_note(handle, 3, note, sizeof note), kBadSlot);
    EXPECT_EQ(talvex_get_slot_note(handle, 0, nullptr, 8), kPointer);
    EXPECT_EQ(talvex_get_slot_note(handle, 0, note, 0), kInvalidArgument);
}

// Seen from above in one colour, a grid with a hole in its middle shows the
// background through it in both looks, and all of it without the hole.
TEST_F(NativeData, AHoleShowsTheBackgroundThrough) {
    std::vector<double> z(25, 1.0);
    for (const bool chartLook : {false, true}) {
        if (chartLook) ChartLookFromAbove();
        else ASSERT_EQ(TALVEX_ControlSetPointVisible(handle, 0), 0);
        ASSERT_EQ(TALVEX_ControlSetAxisVisible(handle, 0), 0);
        z[12] = 1.0;
        ASSERT_EQ(talvex_set_grid(handle, 0, 5, 5, z.data(), nullptr, nullptr, nullptr, 0), 0);
        const std::vector<uint32_t> whole = Picture();
        const uint32_t middle = whole[static_cast<size_t>(kHeight / 2 * kWidth + kWidth / 2)];
        EXPECT_NE(middle, 0xFFFFFFu) << (chartLook ? "chart" : "classic") << ": the surface covers the middle";
        z[12] = kNan;
        ASSERT_EQ(talvex_set_grid(handle, 0, 5, 5, z.data(), nullptr, nullptr, nullptr, 0), 0);
        const std::vector<uint32_t> holed = Picture();
        EXPECT_EQ(holed[static_cast<size_t>(kHeight / 2 * kWidth + kWidth / 2)], 0xFFFFFFu)
            << (chartLook ? "chart" : "classic") << ": the background through the hole";
        EXPECT_GT(Count(holed, 0xFFFFFF), Count(whole, 0xFFFFFF));
    }
}

// Each of a cloud's points is drawn as a point slot's: a pixel of the slot's
// colour in the classic look, a disc in the chart look; the point that is
// not a number is not drawn.
TEST_F(NativeData, ACloudDrawsEachFinitePoint) {
    // With one scale on all axes z spans the most, so the three points lie
    // near the middle of the picture, which looks down z.
    const double x[4] = {-0.5, 0.5, 0, kNan}, y[4] = {0, 0, 0.5, 0}, z[4] = {-2, 2, 0, 0};
    TalvexStyle style;
    talvex_default_style(&style);
    style.equalAspect = 1;
    ASSERT_EQ(talvex_set_style(handle, &style, nullptr, 0), 0);
    ASSERT_EQ(TALVEX_ControlSetPointVisible(handle, 0), 0);
    ASSERT_EQ(TALVEX_ControlSetAxisVisible(handle, 0), 0);
    ASSERT_EQ(talvex_set_points(handle, 2, 4, x, y, z, nullptr, 0), 0);
    const uint32_t colour = 0xD0D080;  // slot 2's own
    EXPECT_EQ(Count(Picture(), colour), 3);
    ChartLookFromAbove();
    EXPECT_GT(Count(Picture(), colour), 3 * 20) << "three discs";
}

// Data larger than a script's geometry (here 90,000 vertices, more than a
// 16-bit index names) is drawn whole from buffers of its own size: seen from
// above in one colour, a flat 300 x 300 grid covers what a 5 x 5 grid of the
// same extent covers, with the background through its hole; through a
// device reset and after a smaller set again. The indices come back as
// 32-bit numbers only.
TEST_F(NativeData, LargeDataIsDrawnWhole) {
    ChartLookFromAbove();
    const std::vector<double> small(25, 1.0);
    ASSERT_EQ(talvex_set_grid(handle, 0, 5, 5, small.data(), nullptr, nullptr, nullptr, 0), 0);
    const int covered = kWidth * kHeight - Count(Picture(), 0xFFFFFF);
    ASSERT_GT(covered, 2000);

    constexpr int kSide = 300;
    std::vector<double> z(kSide * kSide, 1.0);
    // A hole of 30 x 30 values in the middle: the 31 x 31 cells round them go.
    for (int row = 135; row < 165; ++row)
        for (int column = 135; column < 165; ++column) z[static_cast<size_t>(row * kSide + column)] = kNan;
    ASSERT_EQ(talvex_set_grid(handle, 0, kSide, kSide, z.data(), nullptr, nullptr, nullptr, 0), 0);
    const TalvexSlotGeometry geometry = Geometry(0);
    EXPECT_EQ(geometry.vertexCount, kSide * kSide);
    EXPECT_EQ(geometry.indexCount, ((kSide - 1) * (kSide - 1) - 31 * 31) * 6);
    EXPECT_EQ(geometry.indices, nullptr) << "a vertex number beyond 16 bits";
    const uint32_t* indices = nullptr;
    int32_t count = 0;
    ASSERT_EQ(talvex_get_slot_indices(handle, 0, &indices, &count), 0);
    ASSERT_EQ(count, geometry.indexCount);
    EXPECT_EQ(*std::max_element(indices, indices + count), static_cast<uint32_t>(kSide * kSide - 1));
    EXPECT_EQ(talvex_get_slot_indices(handle, 0, nullptr, &count), kPointer);
    EXPECT_EQ(talvex_get_slot_indices(handle, 3, &indices, &count), kBadSlot);

    const auto expectWhole = [&](const char* when) {
        const std::vector<uint32_t> pixels = Picture();
        const int drawn = kWidth * kHeight - Count(pixels, 0xFFFFFF);
        EXPECT_NEAR(drawn, covered * 0.99, covered / 20) << when << ": the whole grid, up to its edge pixels";
        // The background within the grid's bounds: the hole, some 5 x 5 pixels.
        int left = kWidth, right = -1, top = kHeight, bottom = -1;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (pixels[static_cast<size_t>(y * kWidth + x)] != 0xFFFFFFu) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
        int inside = 0;
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x) inside += pixels[static_cast<size_t>(y * kWidth + x)] == 0xFFFFFFu;
        EXPECT_GE(inside, 9) << when << ": the hole";
    };
    expectWhole("set");
    ASSERT_EQ(TALVEX_ControlSetSolid(handle, 1), 0);
    ASSERT_EQ(TALVEX_ControlSize(handle, kWidth, kHeight + 2), 0);
    ASSERT_EQ(TALVEX_ControlSize(handle, kWidth, kHeight), 0);
    expectWhole("after the device's reset");

    ASSERT_EQ(talvex_set_grid(handle, 0, 5, 5, small.data(), nullptr, nullptr, nullptr, 0), 0);
    EXPECT_NE(Geometry(0).indices, nullptr);
    EXPECT_EQ(kWidth * kHeight - Count(Picture(), 0xFFFFFF), covered) << "back in the fixed buffers";
    ASSERT_EQ(talvex_set_grid(handle, 0, kSide, kSide, z.data(), nullptr, nullptr, nullptr, 0), 0);
    ASSERT_EQ(TALVEX_ControlDelScript(handle, 0), 0);
    EXPECT_EQ(Count(Picture(), 0xFFFFFF), kWidth * kHeight) << "a deleted slot draws nothing";
}

// Each data slot's axes fill the box by their own ranges; a shared box
// gives both slots the union; equal aspect one scale; a host's range maps
// onto the box whatever the data, holding what lies beyond at its faces.
TEST_F(NativeData, TheBoxFitsEachAxisOrAsAsked) {
    const double low[4] = {0, 0, 0, 1}, high[4] = {0, 0, 0, 10};  // z over a 2 x 2 grid
    ASSERT_EQ(talvex_set_grid(handle, 0, 2, 2, low, nullptr, nullptr, nullptr, 0), 0);
    ASSERT_EQ(talvex_set_grid(handle, 1, 2, 2, high, nullptr, nullptr, nullptr, 0), 0);
    const auto zScale = [&](int slot) {
        TalvexAxisMapping m{};
        EXPECT_EQ(talvex_get_slot_axis_mapping(handle, slot, &m), 0);
        return m.scale[2];
    };
    // The box z of the slot's highest value, as a left-handed chart has it.
    const auto topZ = [&](int slot) { return -Geometry(slot).vertices[3].z; };
    EXPECT_DOUBLE_EQ(zScale(0), 0.5) << "its own 0 .. 1";
    EXPECT_DOUBLE_EQ(zScale(1), 5.0) << "its own 0 .. 10";
    EXPECT_NEAR(topZ(0), 100.0f, 1e-3f);

    ASSERT_EQ(talvex_set_shared_box(handle, 1), 0);
    int32_t shared = 0;
    ASSERT_EQ(talvex_get_shared_box(handle, &shared), 0);
    EXPECT_EQ(shared, 1);
    EXPECT_DOUBLE_EQ(zScale(0), 5.0) << "the union, 0 .. 10";
    EXPECT_NEAR(topZ(0), -80.0f, 1e-3f) << "1 in 0 .. 10";
    ASSERT_EQ(talvex_set_shared_box(handle, 0), 0);
    EXPECT_DOUBLE_EQ(zScale(0), 0.5);

    TalvexStyle style;
    talvex_default_style(&style);
    style.equalAspect = 1;
    ASSERT_EQ(talvex_set_style(handle, &style, nullptr, 0), 0);
    TalvexAxisMapping m{};
    ASSERT_EQ(talvex_get_slot_axis_mapping(handle, 1, &m), 0);
    EXPECT_DOUBLE_EQ(m.scale[0], 5.0) << "z's range, the widest, on every axis";
    EXPECT_DOUBLE_EQ(m.scale[1], 5.0);
    style.equalAspect = 0;
    ASSERT_EQ(talvex_set_style(handle, &style, nullptr, 0), 0);

    char why[160] = "";
    ASSERT_EQ(talvex_set_axis_range(handle, 2, 0.0, 2.0, why, sizeof why), 0);
    EXPECT_STREQ(why, "");
    EXPECT_DOUBLE_EQ(zScale(1), 1.0) << "the host's 0 .. 2";
    EXPECT_NEAR(topZ(1), 100.0f, 1e-3f) << "10 held at the face";
    double a = 0, b = 0;
    ASSERT_EQ(talvex_get_axis_range(handle, 2, &a, &b), 0);
    EXPECT_EQ(a, 0.0);
    EXPECT_EQ(b, 2.0);
    ASSERT_EQ(talvex_set_axis_range(handle, 2, kNan, kNan, nullptr, 0), 0);
    ASSERT_EQ(talvex_get_axis_range(handle, 2, &a, &b), 0);
    EXPECT_TRUE(std::isnan(a) && std::isnan(b));
    EXPECT_DOUBLE_EQ(zScale(1), 5.0) << "its own again";

    const struct {
        int axis;
        double low, high;
    } refused[] = {{3, 0, 1}, {-1, 0, 1}, {0, 1, 1}, {0, 2, 1}, {0, kNan, 1}, {0, 0, HUGE_VAL}};
    for (const auto& r : refused) {
        std::memset(why, 0, sizeof why);
        EXPECT_EQ(talvex_set_axis_range(handle, r.axis, r.low, r.high, why, sizeof why), kInvalidArgument) << r.axis;
        EXPECT_GT(std::strlen(why), 20u) << "a sentence says why";
        ASSERT_EQ(talvex_get_axis_range(handle, 0, &a, &b), 0);
        EXPECT_TRUE(std::isnan(a)) << "nothing changed";
    }
    EXPECT_EQ(talvex_get_axis_range(handle, 3, &a, &b), kInvalidArgument);
    EXPECT_EQ(talvex_get_axis_range(handle, 0, nullptr, &b), kPointer);
    EXPECT_EQ(talvex_get_shared_box(handle, nullptr), kPointer);
    EXPECT_EQ(talvex_set_shared_box(-5, 1), kFail);
}

}  // namespace
