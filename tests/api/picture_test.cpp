// What a chart shows, whichever device drew it, read from each place a host
// finds its picture: the snapshot file, and on Linux the window's presented
// frame as well.
#include <algorithm>
#include <clocale>
#include <string>

#include "chart_fixture.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

enum class Source { kSnapshotFile, kWindow };

class Pictures : public Chart, public ::testing::WithParamInterface<Source> {
protected:
    void SetUp() override {
        Chart::SetUp();
        TALVEX_ControlShow(handle, 5);
    }

    // Calculates, then draws the picture where the test's source takes it.
    BmpPicture Snapshot() {
        TALVEX_ControlCalculate(handle);
        return Draw();
    }

    // Draws the picture as the chart stands, without calculating.
    BmpPicture Draw() {
        if (GetParam() == Source::kSnapshotFile) {
            EXPECT_EQ(TALVEX_SaveBMP(handle, Path().c_str()), 0);
            return BmpPicture::Load(Path());
        }
        BmpPicture picture;
#if !defined(_WIN32)
        TALVEX_ControlInvalidate(handle, nullptr, 0);
        talvex_window_run_paints();
        talvex_window_picture_size(child, &picture.width, &picture.height);
        picture.pixels.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
        talvex_window_read_picture(child, picture.pixels.data(), picture.width * picture.height);
        for (uint32_t& pixel : picture.pixels) pixel &= 0xFFFFFF;
#endif
        return picture;
    }

    void HideGridAndAxes() {
        TALVEX_ControlSetPointVisible(handle, 0);
        TALVEX_ControlSetAxisVisible(handle, 0);
    }
    // Leftmost and rightmost columns holding black pixels.
    static std::pair<int, int> BlackColumns(const BmpPicture& p) {
        int left = p.width, right = -1;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                if (p.At(x, y) == 0) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return {left, right};
    }
};

TEST_P(Pictures, DefaultSceneShowsGridAndAxesOnWhite) {
    const BmpPicture p = Snapshot();
    ASSERT_EQ(p.width, 320);
    for (auto corner : {std::pair{0, 0}, std::pair{319, 0}, std::pair{0, 239}, std::pair{319, 239}})
        EXPECT_EQ(p.At(corner.first, corner.second), kWhite) << "background at the corners";
    EXPECT_EQ(p.At(160, 120), 0u) << "the axes cross at the centre";
    EXPECT_EQ(p.At(160, 60), 0u) << "the y axis runs up";
    EXPECT_EQ(p.At(100, 120), 0u) << "the x axis runs across";
    EXPECT_GT(p.Count(0), 441) << "grid points and axes in the point colour";
    EXPECT_EQ(p.Count(0) + p.Count(kWhite), 320 * 240) << "only background and point colour";
}

TEST_P(Pictures, HiddenPointsAndAxesLeaveOnlyTheBackground) {
    HideGridAndAxes();
    TALVEX_ControlSetBackgroundColor(handle, 0x204060);
    EXPECT_EQ(Snapshot().Count(0x204060), 320 * 240);
}

TEST_P(Pictures, SolidSurfaceBrightFromTheFrontHalfBrightWhenLeftHanded) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    HideGridAndAxes();
    BmpPicture p = Snapshot();
    EXPECT_GT(p.Count(0xFF0080), 1000);
    EXPECT_GT(p.Count(0xFF80C0), 1000);
    EXPECT_EQ(p.Count(0x7F0040), 0);
    TALVEX_ControlSetLeftHand(handle);
    p = Snapshot();
    EXPECT_GT(p.Count(0x7F0040), 1000) << "each channel times 127/255";
    EXPECT_GT(p.Count(0x7F4060), 1000);
    EXPECT_EQ(p.Count(0xFF0080), 0);
}

TEST_P(Pictures, WireframeShowsOnlyEdges) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    HideGridAndAxes();
    TALVEX_ControlSetSolid(handle, 0);
    const BmpPicture p = Snapshot();
    EXPECT_GT(p.Count(0xFF0080), 500);
    EXPECT_EQ(p.Count(0xFF0080) + p.Count(kWhite), 320 * 240);
    EXPECT_GT(p.Count(kWhite), 320 * 240 / 2);
}

TEST_P(Pictures, CurveAndPointInTheirSlotColours) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    ASSERT_EQ(SetScript(1, "x = 4*cos(t)\ny = 4*sin(t)\nz = 3"), 0);
    ASSERT_EQ(SetScript(2, "x = 0-4\ny = 4\nz = 4"), 0);
    const BmpPicture p = Snapshot();
    EXPECT_GT(p.Count(0x0080FF), 100) << "the curve, untinted after the surface";
    EXPECT_EQ(p.Count(0xD0D080), 1) << "the point";
    EXPECT_GT(p.Count(0), 50) << "grid and axes untinted";
}

TEST_P(Pictures, ZoomTwoDoublesTheGrid) {
    TALVEX_ControlSetAxisVisible(handle, 0);
    const auto normal = BlackColumns(Snapshot());
    TALVEX_ControlSetScale(handle, 100);
    const auto zoomed = BlackColumns(Snapshot());
    EXPECT_NEAR(zoomed.second - zoomed.first, 2 * (normal.second - normal.first), 3);
}

TEST_P(Pictures, RebuiltSlotsAreNotDrawnUntilCalculated) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    HideGridAndAxes();
    const BmpPicture before = Snapshot();
    TALVEX_ControlSetLeftHand(handle);
    const BmpPicture after = Draw();
    if (GetParam() == Source::kWindow)
        EXPECT_EQ(after.pixels, before.pixels) << "a control waiting for its calculation does not paint";
    else
        EXPECT_EQ(after.Count(kWhite), 320 * 240) << "the snapshot draws no stale geometry";
    EXPECT_GT(Snapshot().Count(0x7F0040), 1000) << "calculated, the left-handed surface";
}


// Geometry at NaN or zoomed beyond any pixel coordinate draws nothing or
// fills the picture, but never makes the drawing undefined (the asan preset
// checks the conversions to int).
TEST_P(Pictures, PointsAtNotANumberDrawNothing) {
    HideGridAndAxes();
    ASSERT_EQ(SetScript(2, "x = exp(1000)*0\ny = 0\nz = 0"), 0);
    EXPECT_EQ(Snapshot().Count(kWhite), 320 * 240);
    ASSERT_EQ(SetScript(2, "x = 1\ny = 2\nz = 3\nscale = 0"), 0);
    EXPECT_EQ(Snapshot().Count(kWhite), 320 * 240) << "a box of scale 0";
}

TEST_P(Pictures, ZoomBeyondEveryPixelCoordinate) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    TALVEX_ControlSetScale(handle, 127000000);
    BmpPicture p = Snapshot();
    ASSERT_EQ(p.width, 320);
    EXPECT_EQ(p.Count(kWhite) + p.Count(0) + p.Count(0xFF0080) + p.Count(0xFF80C0), 320 * 240);
    TALVEX_ControlDelScript(handle, 0);
    TALVEX_ControlSetScale(handle, 2147483647);
    p = Snapshot();
    ASSERT_EQ(p.width, 320);
    EXPECT_EQ(p.Count(kWhite) + p.Count(0), 320 * 240) << "axes and grid only";
}

// A host that switched its locale to a decimal comma gets the same numbers:
// «1.5» is one and a half, not one.
TEST_P(Pictures, NumbersDoNotFollowTheHostsLocale) {
    HideGridAndAxes();
    ASSERT_EQ(SetScript(2, "x = 1.5\ny = 0\nz = 0"), 0);
    const BmpPicture calm = Snapshot();
    ASSERT_EQ(SetScript(2, "x = 1\ny = 0\nz = 0"), 0);
    ASSERT_NE(Snapshot().pixels, calm.pixels) << "1.5 and 1 are told apart";

    const std::string previous = std::setlocale(LC_ALL, nullptr);
    bool decimalComma = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252", "de-DE"})
        if (std::setlocale(LC_ALL, name) != nullptr && std::localeconv()->decimal_point[0] == ',') {
            decimalComma = true;
            break;
        }
    if (!decimalComma) {
        std::setlocale(LC_ALL, previous.c_str());
        GTEST_SKIP() << "no decimal-comma locale here (scripts/install-deps generates de_DE.UTF-8)";
    }
    ASSERT_EQ(SetScript(2, "x = 1.5\ny = 0\nz = 0"), 0);
    const BmpPicture comma = Snapshot();
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(comma.pixels, calm.pixels);
}

std::string SourceName(const ::testing::TestParamInfo<Source>& info) {
    return info.param == Source::kSnapshotFile ? "SnapshotFile" : "Window";
}

#if defined(_WIN32)
INSTANTIATE_TEST_SUITE_P(From, Pictures, ::testing::Values(Source::kSnapshotFile), SourceName);
#else
INSTANTIATE_TEST_SUITE_P(From, Pictures, ::testing::Values(Source::kSnapshotFile, Source::kWindow), SourceName);
#endif

}  // namespace
