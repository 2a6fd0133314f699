#include <cmath>
#include <set>

#include "../temp_path.h"
#include "control_fixture.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// A shown, initialised control whose pictures are read from its window.
class Picture : public NativeControl {
protected:
    void SetUp() override {
        NativeControl::SetUp();
        ASSERT_EQ(Init(), 0);
        TALVEX_ControlShow(handle, 5);
    }

    // Calculates, paints and reads back the presented picture.
    std::vector<uint32_t> Paint() {
        TALVEX_ControlCalculate(handle);
        TALVEX_ControlInvalidate(handle, nullptr, 0);
        talvex_window_run_paints();
        return Read();
    }

    std::vector<uint32_t> Read() {
        int32_t w = 0, h = 0;
        talvex_window_picture_size(Child(), &w, &h);
        std::vector<uint32_t> pixels(static_cast<size_t>(w * h));
        talvex_window_read_picture(Child(), pixels.data(), w * h);
        for (uint32_t& p : pixels) p &= 0xFFFFFF;
        return pixels;
    }

    static uint32_t At(const std::vector<uint32_t>& p, int x, int y) { return p[static_cast<size_t>(y * 320 + x)]; }
    static int Count(const std::vector<uint32_t>& p, uint32_t color) {
        int n = 0;
        for (uint32_t c : p) n += c == color;
        return n;
    }
    // The columns holding black pixels on a row, leftmost and rightmost.
    static std::pair<int, int> BlackExtent(const std::vector<uint32_t>& p) {
        int left = 320, right = -1;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                if (At(p, x, y) == 0) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return {left, right};
    }
};

TEST_F(Picture, DefaultSceneShowsGridAndAxesOnWhite) {
    const std::vector<uint32_t> p = Paint();
    ASSERT_EQ(p.size(), 320u * 240u);
    for (auto corner : {std::pair{0, 0}, std::pair{319, 0}, std::pair{0, 239}, std::pair{319, 239}})
        EXPECT_EQ(At(p, corner.first, corner.second), kWhite) << "background at the corners";
    EXPECT_EQ(At(p, 160, 120), 0u) << "the axes cross at the centre";
    EXPECT_EQ(At(p, 160, 60), 0u) << "the y axis runs up";
    EXPECT_EQ(At(p, 100, 120), 0u) << "the x axis runs across";
    EXPECT_GT(Count(p, 0), 441) << "grid points and axes in the point colour";
    EXPECT_EQ(Count(p, 0) + Count(p, kWhite), 320 * 240) << "nothing else";
}

TEST_F(Picture, HiddenPointsAndAxesLeaveOnlyTheBackground) {
    TALVEX_ControlSetPointVisible(handle, 0);
    TALVEX_ControlSetAxisVisible(handle, 0);
    TALVEX_ControlSetBackgroundColor(handle, 0x204060);
    EXPECT_EQ(Count(Paint(), 0x204060), 320 * 240);
}

TEST_F(Picture, SolidSurfaceShowsTheBrightSideThenTheHalfBrightSideWhenLeftHanded) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    TALVEX_ControlSetPointVisible(handle, 0);
    TALVEX_ControlSetAxisVisible(handle, 0);
    std::vector<uint32_t> p = Paint();
    EXPECT_GT(Count(p, 0xFF0080), 1000);
    EXPECT_GT(Count(p, 0xFF80C0), 1000);
    EXPECT_EQ(Count(p, 0x7F0040), 0);
    TALVEX_ControlSetLeftHand(handle);
    p = Paint();
    EXPECT_GT(Count(p, 0x7F0040), 1000) << "each channel times 127/255";
    EXPECT_GT(Count(p, 0x7F4060), 1000);
    EXPECT_EQ(Count(p, 0xFF0080), 0);
}

TEST_F(Picture, WireframeShowsOnlyEdgesInThePrimaryColour) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    TALVEX_ControlSetPointVisible(handle, 0);
    TALVEX_ControlSetAxisVisible(handle, 0);
    TALVEX_ControlSetSolid(handle, 0);
    const std::vector<uint32_t> p = Paint();
    EXPECT_GT(Count(p, 0xFF0080), 500);
    EXPECT_EQ(Count(p, 0xFF0080) + Count(p, kWhite), 320 * 240) << "edges and background only";
    EXPECT_GT(Count(p, kWhite), 320 * 240 / 2) << "cells stay empty";
}

TEST_F(Picture, CurveAndPointInTheirColoursUntintedAfterASurface) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    ASSERT_EQ(SetScript(1, "x = 4*cos(t)\ny = 4*sin(t)\nz = 3"), 0);
    ASSERT_EQ(SetScript(2, "x = 0-4\ny = 4\nz = 4"), 0);
    const std::vector<uint32_t> p = Paint();
    EXPECT_GT(Count(p, 0x0080FF), 100) << "the curve in slot 1's colour";
    EXPECT_EQ(Count(p, 0xD0D080), 1) << "the point in slot 2's colour";
    EXPECT_GT(Count(p, 0), 50) << "grid and axes of the next frame untinted";
}

TEST_F(Picture, ZoomTwoDoublesTheGridsExtent) {
    TALVEX_ControlSetAxisVisible(handle, 0);
    const auto normal = BlackExtent(Paint());
    TALVEX_ControlSetScale(handle, 100);
    const auto zoomed = BlackExtent(Paint());
    EXPECT_NEAR(zoomed.second - zoomed.first, 2 * (normal.second - normal.first), 3);
}

TEST_F(Picture, NoPaintBeforeCalculateOrWhileHidden) {
    TALVEX_ControlInvalidate(handle, nullptr, 0);
    talvex_window_run_paints();
    int32_t w = 0, h = 0;
    talvex_window_picture_size(Child(), &w, &h);
    EXPECT_EQ(w, 0) << "not ready";
    EXPECT_EQ(talvex_window_needs_paint(Child()), 0) << "the default handling validated the window";
    TALVEX_ControlCalculate(handle);
    TALVEX_ControlShow(handle, 0);
    talvex_window_send(Child(), 0x000F, 0, 0);
    talvex_window_picture_size(Child(), &w, &h);
    EXPECT_EQ(w, 0) << "hidden";
}

TEST_F(Picture, RebuiltSlotIsNotDrawnUntilCalculated) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    TALVEX_ControlSetPointVisible(handle, 0);
    TALVEX_ControlSetAxisVisible(handle, 0);
    Paint();
    TALVEX_ControlSetLeftHand(handle);
    const std::string path = UniqueTempPath("rebuilt.bmp");
    ASSERT_EQ(TALVEX_SaveBMP(handle, path.c_str()), 0);
    EXPECT_EQ(Count(Read(), kWhite), 320 * 240) << "the snapshot draws no stale geometry";
    std::remove(path.c_str());
}

class Mouse : public Picture {
protected:
    static TalvexLParam Point(int x, int y) {
        return static_cast<TalvexLParam>((static_cast<uint32_t>(y & 0xFFFF) << 16) | static_cast<uint32_t>(x & 0xFFFF));
    }
    void Send(uint32_t message, int x, int y) { talvex_window_send(Child(), message, 0, Point(x, y)); }
    void TearDown() override {
        talvex_window_set_key_state(0x02, 0);
        Picture::TearDown();
    }
};

TEST_F(Mouse, LeftDragsTurnTheView) {
    const std::vector<uint32_t> before = Paint();
    Send(0x0201, 100, 100);
    EXPECT_EQ(talvex_window_capture(), Child());
    Send(0x0200, 110, 100);
    EXPECT_EQ(control->angleY, static_cast<float>(10 * 3.14 / 360));
    EXPECT_EQ(control->angleX, 0.0f);
    EXPECT_EQ(control->angleZ, 0.0f);
    EXPECT_EQ(talvex_window_needs_paint(Child()), 1) << "invalidated";
    talvex_window_run_paints();
    EXPECT_NE(Read(), before) << "the picture changes";
    Send(0x0200, 110, 110);
    EXPECT_EQ(control->angleX, static_cast<float>(10 * 3.14 / 360)) << "a drag down";
    Send(0x0202, 110, 110);
    EXPECT_EQ(talvex_window_capture(), nullptr);
    const float angleX = control->angleX;
    Send(0x0200, 150, 150);
    EXPECT_EQ(control->angleX, angleX) << "moves without the capture change nothing";
}

TEST_F(Mouse, RightDragsRollWithOppositeSignsOnEachHalf) {
    const std::vector<uint32_t> before = Paint();
    talvex_window_set_key_state(0x02, 1);
    Send(0x0204, 250, 100);
    Send(0x0200, 250, 110);
    const float rightHalf = control->angleZ;
    EXPECT_NEAR(rightHalf, -10 * 3.14 / 360, 1e-6);
    Send(0x0205, 250, 110);
    TALVEX_ControlSetDefaultView(handle);
    Send(0x0204, 50, 100);
    Send(0x0200, 50, 110);
    EXPECT_NEAR(control->angleZ, 10 * 3.14 / 360, 1e-6) << "left half: the other way";
    talvex_window_run_paints();
    EXPECT_EQ(Read(), before) << "angleZ is not drawn";
    EXPECT_EQ(control->angleX, 0.0f);
    EXPECT_EQ(control->angleY, 0.0f);
    Send(0x0200, -20, 120);
    EXPECT_NEAR(control->angleZ, 10 * 3.14 / 360 - 10 * 3.14 / 360, 1e-6) << "left of the window counts as the right half";
}

TEST_F(Mouse, MiddleClickResetsZoomAndView) {
    TALVEX_ControlSetScale(handle, 90);
    Send(0x0207, 10, 10);
    EXPECT_EQ(TALVEX_ControlGetScale(handle), 90) << "the press alone does nothing";
    Send(0x0208, 10, 10);
    EXPECT_EQ(TALVEX_ControlGetScale(handle), 37);
    EXPECT_EQ(control->angleX, 0.34906587f);
    EXPECT_EQ(control->angleY, -0.5235988f);
}

TEST_F(Mouse, ShowMoveAndInvalidatePassTheWindowSystemsResults) {
    EXPECT_EQ(TALVEX_ControlShow(handle, 5), 1) << "was visible";
    EXPECT_EQ(TALVEX_ControlShow(handle, 0), 1);
    EXPECT_EQ(TALVEX_ControlShow(handle, 0), 0) << "was hidden";
    EXPECT_EQ(TALVEX_ControlMove(handle, 10, 20, 300, 200, 1), 1);
    int32_t x, y, w, h;
    talvex_window_rect(Child(), &x, &y, &w, &h);
    EXPECT_EQ(w, 300);
    EXPECT_EQ(TALVEX_ControlGetWidth(handle), 320) << "Move leaves the width";
    EXPECT_EQ(TALVEX_ControlInvalidate(handle, nullptr, 1), 1);
}

TEST_F(Mouse, MessagesAfterDestroyGetTheDefaultHandling) {
    TalvexWindow child = Child();
    TALVEX_ControlDestroy(handle);
    talvex_window_send(child, 0x0201, 0, Point(1, 1));
    EXPECT_EQ(talvex_window_capture(), nullptr);
    talvex_window_send(child, 0x000F, 0, 0);
    EXPECT_EQ(talvex_window_needs_paint(child), 0) << "the default paint validates";
    int32_t w = -1, h = -1;
    talvex_window_picture_size(child, &w, &h);
    EXPECT_EQ(w * h, 0) << "and presents nothing";
    talvex_window_send(child, 0x0208, 0, 0);
    EXPECT_EQ(talvex_window_needs_paint(child), 0) << "no reset view to repaint";
}

// The pixel at (x, y) of a saved 320 x 240 BMP file.
uint32_t FilePixel(const std::string& path, int x, int y) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return 0xDEADBEEF;
    std::fseek(f, 54 + (239 - y) * 960 + 3 * x, SEEK_SET);
    unsigned char bgr[3] = {};
    const size_t got = std::fread(bgr, 1, 3, f);
    std::fclose(f);
    return got == 3 ? (bgr[2] << 16) | (bgr[1] << 8) | bgr[0] : 0xDEADBEEF;
}

TEST_F(Picture, SnapshotHoldsTheFrameNotThePresentedBuffer) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    TALVEX_ControlCalculate(handle);
    const std::string path = UniqueTempPath("frame.bmp");
    ASSERT_EQ(TALVEX_SaveBMP(handle, path.c_str()), 0);
    EXPECT_EQ(FilePixel(path, 0, 0), kWhite) << "the background, not what a present leaves behind";
    const uint32_t inside = FilePixel(path, 140, 100);
    EXPECT_TRUE(inside == 0xFF0080u || inside == 0xFF80C0u) << "a cell of the surface: " << std::hex << inside;
    EXPECT_EQ(inside, At(Read(), 140, 100)) << "the window shows the same frame";
    std::remove(path.c_str());
}

TEST_F(Picture, SnapshotFiles) {
    const std::string path = UniqueTempPath("snapshot.bmp");
    auto size = [&]() {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (f == nullptr) return -1L;
        std::fseek(f, 0, SEEK_END);
        const long n = std::ftell(f);
        std::fclose(f);
        return n;
    };
    EXPECT_EQ(TALVEX_SaveBMP(handle, path.c_str()), 0) << "uncalculated control";
    EXPECT_EQ(size(), 230456);
    TALVEX_ControlShow(handle, 0);
    EXPECT_EQ(TALVEX_SaveBMP(handle, path.c_str()), 0) << "hidden control";
    EXPECT_EQ(TALVEX_ControlSize(handle, 641, 480), 0);
    EXPECT_EQ(TALVEX_SaveBMP(handle, path.c_str()), 0);
    EXPECT_EQ(size(), 54 + 480 * 1924 + 2);
    std::remove(path.c_str());
    EXPECT_NE(TALVEX_SaveBMP(handle, nullptr), 0);
    const std::string unwritable = ::testing::TempDir() + "missing-folder/x.bmp";
    EXPECT_NE(TALVEX_SaveBMP(handle, unwritable.c_str()), 0);
}

}  // namespace

namespace {

TEST_F(Picture, PresentedMeshIsWhatTheCalculationWrote) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    ASSERT_EQ(SetScript(1, "x = cos(t)\ny = sin(t)\nz = t/5\ntgrid = 50"), 0);
    Paint();
    ASSERT_EQ(talvex_window_mesh_draw_count(Child()), 3) << "two passes of the surface and the curve";
    TalvexMeshDraw draw;
    ASSERT_TRUE(talvex_window_mesh_draw(Child(), 0, &draw));
    EXPECT_EQ(draw.primitive, 4u);
    EXPECT_TRUE(draw.textured);
    EXPECT_EQ(draw.color, 0xFF0080u);
    ASSERT_EQ(draw.vertexCount, 441);
    ASSERT_EQ(draw.indexCount, 2400);
    const auto vertices = Vertices(0, 441);
    for (int v = 0; v < 441; ++v) {
        ASSERT_EQ(draw.vertices[3 * v], vertices[static_cast<size_t>(v)].x) << v;
        ASSERT_EQ(draw.vertices[3 * v + 2], vertices[static_cast<size_t>(v)].z) << v;
    }
    const auto indices = Indices(0, 2400);
    for (int i = 0; i < 2400; ++i) ASSERT_EQ(draw.indices[i], indices[static_cast<size_t>(i)]) << i;
    ASSERT_TRUE(talvex_window_mesh_draw(Child(), 2, &draw));
    EXPECT_EQ(draw.primitive, 2u);
    EXPECT_EQ(draw.color, 0x0080FFu);
    EXPECT_EQ(draw.indexCount, 100);
}

}  // namespace
