#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <set>

#include "../temp_path.h"
#include "control_fixture.h"
#include "common/graphics_device.h"
#include "talvex_native.h"
#include "../../tools/common/chart_messages.h"
#include "../api/bmp_picture.h"

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
};

TEST_F(Picture, NoPaintBeforeCalculateOrWhileHidden) {
    TALVEX_ControlInvalidate(handle, nullptr, 0);
    talvex_window_run_paints();
    int32_t w = 0, h = 0;
    talvex_window_picture_size(Child(), &w, &h);
    EXPECT_EQ(w, 0) << "not ready";
    EXPECT_EQ(talvex_window_needs_paint(Child()), 0) << "the default handling validated the window";
    TALVEX_ControlCalculate(handle);
    TALVEX_ControlShow(handle, 0);
    talvex_window_send(Child(), kPaint, 0, 0);
    talvex_window_picture_size(Child(), &w, &h);
    EXPECT_EQ(w, 0) << "hidden";
}

class Mouse : public Picture {
protected:
    void Send(uint32_t message, int x, int y) { talvex_window_send(Child(), message, 0, PointParam(x, y)); }
    void TearDown() override {
        talvex_window_set_key_state(0x02, 0);
        Picture::TearDown();
    }
};

TEST_F(Mouse, LeftDragsTurnTheView) {
    const std::vector<uint32_t> before = Paint();
    Send(kLeftButtonDown, 100, 100);
    EXPECT_EQ(talvex_window_capture(), Child());
    Send(kMouseMove, 110, 100);
    EXPECT_EQ(control->View().angleY, static_cast<float>(10 * 3.14 / 360));
    EXPECT_EQ(control->View().angleX, 0.0f);
    EXPECT_EQ(control->View().angleZ, 0.0f);
    EXPECT_EQ(talvex_window_needs_paint(Child()), 1) << "invalidated";
    talvex_window_run_paints();
    EXPECT_NE(Read(), before) << "the picture changes";
    Send(kMouseMove, 110, 110);
    EXPECT_EQ(control->View().angleX, static_cast<float>(10 * 3.14 / 360)) << "a drag down";
    Send(kLeftButtonUp, 110, 110);
    EXPECT_EQ(talvex_window_capture(), nullptr);
    const float angleX = control->View().angleX;
    Send(kMouseMove, 150, 150);
    EXPECT_EQ(control->View().angleX, angleX) << "moves without the capture change nothing";
}

TEST_F(Mouse, RightDragsRollWithOppositeSignsOnEachHalf) {
    const std::vector<uint32_t> before = Paint();
    talvex_window_set_key_state(0x02, 1);
    Send(kRightButtonDown, 250, 100);
    Send(kMouseMove, 250, 110);
    const float rightHalf = control->View().angleZ;
    EXPECT_NEAR(rightHalf, -10 * 3.14 / 360, 1e-6);
    Send(kRightButtonUp, 250, 110);
    TALVEX_ControlSetDefaultView(handle);
    Send(kRightButtonDown, 50, 100);
    Send(kMouseMove, 50, 110);
    EXPECT_NEAR(control->View().angleZ, 10 * 3.14 / 360, 1e-6) << "left half: the other way";
    talvex_window_run_paints();
    EXPECT_EQ(Read(), before) << "angleZ is not drawn";
    EXPECT_EQ(control->View().angleX, 0.0f);
    EXPECT_EQ(control->View().angleY, 0.0f);
    Send(kMouseMove, -20, 120);
    EXPECT_NEAR(control->View().angleZ, 10 * 3.14 / 360 - 10 * 3.14 / 360, 1e-6) << "left of the window counts as the right half";
}

TEST_F(Mouse, MiddleClickResetsZoomAndView) {
    TALVEX_ControlSetScale(handle, 90);
    Send(kMiddleButtonDown, 10, 10);
    EXPECT_EQ(TALVEX_ControlGetScale(handle), 90) << "the press alone does nothing";
    Send(kMiddleButtonUp, 10, 10);
    EXPECT_EQ(TALVEX_ControlGetScale(handle), 37);
    EXPECT_EQ(control->View().angleX, 0.34906587f);
    EXPECT_EQ(control->View().angleY, -0.5235988f);
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
    talvex_window_send(child, kLeftButtonDown, 0, PointParam(1, 1));
    EXPECT_EQ(talvex_window_capture(), nullptr);
    talvex_window_send(child, kPaint, 0, 0);
    EXPECT_EQ(talvex_window_needs_paint(child), 0) << "the default paint validates";
    int32_t w = -1, h = -1;
    talvex_window_picture_size(child, &w, &h);
    EXPECT_EQ(w * h, 0) << "and presents nothing";
    talvex_window_send(child, kMiddleButtonUp, 0, 0);
    EXPECT_EQ(talvex_window_needs_paint(child), 0) << "no reset view to repaint";
}

TEST_F(Picture, SnapshotHoldsTheFrameNotThePresentedBuffer) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    TALVEX_ControlCalculate(handle);
    const std::string path = UniqueTempPath("frame.bmp");
    ASSERT_EQ(TALVEX_SaveBMP(handle, path.c_str()), 0);
    EXPECT_EQ(BmpPicture::Load(path).At(0, 0), kWhite) << "the background, not what a present leaves behind";
    const uint32_t inside = BmpPicture::Load(path).At(140, 100);
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
    EXPECT_EQ(TALVEX_SaveBMP(handle, nullptr), static_cast<int32_t>(0x8876086Cu)) << "D3DERR_INVALIDCALL";
    const std::string unwritable = ::testing::TempDir() + "missing-folder/x.bmp";
    EXPECT_EQ(TALVEX_SaveBMP(handle, unwritable.c_str()), static_cast<int32_t>(0x80070005u)) << "E_ACCESSDENIED";
}

}  // namespace

namespace {

// Where the device puts box points and which pixels a kept triangle or
// segment covers in the frame just drawn.
class PaintedGeometry : public Picture {
protected:
    struct Screen {
        double x, y;
    };

    Screen Project(const TalvexVertex& v) const {
        const talvex::render::Scene& scene = control->Scene();
        const talvex::Matrix m = scene.worldMatrix * scene.viewMatrix * scene.projectionMatrix;
        double clip[4];
        for (int j = 0; j < 4; ++j) clip[j] = v.x * m.m[0][j] + v.y * m.m[1][j] + v.z * m.m[2][j] + m.m[3][j];
        return {(clip[0] / clip[3] + 1) * 0.5 * 320, (1 - clip[1] / clip[3]) * 0.5 * 240};
    }

    // The distances of p from the triangle's edges, positive inside.
    static std::array<double, 3> EdgeDistances(const Screen (&t)[3], Screen p) {
        const double area = (t[1].x - t[0].x) * (t[2].y - t[0].y) - (t[1].y - t[0].y) * (t[2].x - t[0].x);
        std::array<double, 3> d{};
        for (int e = 0; e < 3; ++e) {
            const Screen a = t[e], b = t[(e + 1) % 3];
            const double length = std::hypot(b.x - a.x, b.y - a.y);
            const double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
            d[static_cast<size_t>(e)] = length > 0 ? (area >= 0 ? cross : -cross) / length : -1e9;
        }
        return d;
    }

    static double SegmentDistance(Screen a, Screen b, Screen p) {
        const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
        const double t = length2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
        return std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
    }

    static Screen Centre(int x, int y) { return {x + 0.5, y + 0.5}; }
};

// What a paint draws of a slot is the geometry the slot keeps: the buffers
// hold it record for record, every pixel in the slot's colours lies on one of
// its projected triangles or segments, and each triangle and segment shows in
// the slot's colours where it lies.
TEST_F(PaintedGeometry, PaintedSlotsAreTheGeometryTheSlotsKeep) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    // A curve in front of the surface, so that every segment is seen.
    ASSERT_EQ(SetScript(1, "x = 4*cos(t)\ny = 4*sin(t)\nz = 5\ntgrid = 50"), 0);
    TALVEX_ControlSetPointVisible(handle, 0);
    TALVEX_ControlSetAxisVisible(handle, 0);
    const std::vector<uint32_t> p = Paint();

    TalvexSlotGeometry surface, curve;
    ASSERT_EQ(talvex_get_slot_geometry(handle, 0, &surface), 0);
    ASSERT_EQ(talvex_get_slot_geometry(handle, 1, &curve), 0);
    ASSERT_EQ(surface.kind, TALVEX_GRAPH_SURFACE);
    ASSERT_EQ(surface.vertexCount, 441);
    ASSERT_EQ(surface.indexCount, 2400);
    ASSERT_EQ(curve.kind, TALVEX_GRAPH_CURVE);
    ASSERT_EQ(curve.vertexCount, 51);
    ASSERT_EQ(curve.indexCount, 100);
    for (const auto& [slot, g] : {std::pair{0, surface}, std::pair{1, curve}}) {
        const auto vertices = Vertices(slot, g.vertexCount);
        const auto indices = Indices(slot, g.indexCount);
        EXPECT_EQ(std::memcmp(vertices.data(), g.vertices, vertices.size() * sizeof(TalvexVertex)), 0) << slot;
        EXPECT_EQ(std::memcmp(indices.data(), g.indices, indices.size() * sizeof(uint16_t)), 0) << slot;
    }

    const auto isSurface = [](uint32_t c) { return c == 0xFF0080u || c == 0xFF80C0u; };
    constexpr uint32_t kCurve = 0x0080FF;
    constexpr double kTolerance = 1.5;  // pixel centres against the device's rounding

    // Pixels each projected triangle covers, give or take the tolerance.
    std::vector<bool> covered(320 * 240, false);
    int seen = 0, bright = 0, checker = 0;
    for (int i = 0; i < surface.indexCount; i += 3) {
        Screen t[3];
        for (int k = 0; k < 3; ++k) t[k] = Project(surface.vertices[surface.indices[i + k]]);
        const int left = std::max(0, static_cast<int>(std::min({t[0].x, t[1].x, t[2].x}) - 2));
        const int right = std::min(319, static_cast<int>(std::max({t[0].x, t[1].x, t[2].x}) + 2));
        const int top = std::max(0, static_cast<int>(std::min({t[0].y, t[1].y, t[2].y}) - 2));
        const int bottom = std::min(239, static_cast<int>(std::max({t[0].y, t[1].y, t[2].y}) + 2));
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x) {
                const auto d = EdgeDistances(t, Centre(x, y));
                if (d[0] >= -kTolerance && d[1] >= -kTolerance && d[2] >= -kTolerance)
                    covered[static_cast<size_t>(y * 320 + x)] = true;
            }
        // The triangle's centroid, where it lies well inside, shows the surface.
        const Screen centroid{(t[0].x + t[1].x + t[2].x) / 3, (t[0].y + t[1].y + t[2].y) / 3};
        const int cx = static_cast<int>(centroid.x), cy = static_cast<int>(centroid.y);
        const auto d = EdgeDistances(t, Centre(cx, cy));
        if (d[0] < 1 || d[1] < 1 || d[2] < 1) continue;
        ++seen;
        const uint32_t c = At(p, cx, cy);
        EXPECT_TRUE(isSurface(c) || c == kCurve) << "triangle " << i / 3 << ": " << std::hex << c;
        bright += c == 0xFF0080u;
        checker += c == 0xFF80C0u;
    }
    EXPECT_GT(seen, 200) << "most triangles are large enough to look at";
    EXPECT_GT(bright, 20) << "the chessboard's first colour";
    EXPECT_GT(checker, 20) << "and its second: the surface is textured";
    int stray = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) stray += isSurface(At(p, x, y)) && !covered[static_cast<size_t>(y * 320 + x)];
    EXPECT_EQ(stray, 0) << "surface pixels off every kept triangle";
    EXPECT_GT(Count(p, 0xFF0080) + Count(p, 0xFF80C0), 10000);

    for (int i = 0; i < curve.indexCount; i += 2) {
        const Screen a = Project(curve.vertices[curve.indices[i]]), b = Project(curve.vertices[curve.indices[i + 1]]);
        const Screen middle{(a.x + b.x) / 2, (a.y + b.y) / 2};
        bool shown = false;
        for (int y = static_cast<int>(middle.y) - 1; y <= static_cast<int>(middle.y) + 1; ++y)
            for (int x = static_cast<int>(middle.x) - 1; x <= static_cast<int>(middle.x) + 1; ++x)
                shown = shown || (At(p, x, y) == kCurve && SegmentDistance(a, b, Centre(x, y)) < kTolerance);
        EXPECT_TRUE(shown) << "segment " << i / 2;
    }
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            if (At(p, x, y) != kCurve) continue;
            double nearest = 1e9;
            for (int i = 0; i < curve.indexCount; i += 2)
                nearest = std::min(nearest, SegmentDistance(Project(curve.vertices[curve.indices[i]]),
                                                            Project(curve.vertices[curve.indices[i + 1]]), Centre(x, y)));
            ASSERT_LT(nearest, kTolerance) << "curve pixel off every kept segment at " << x << ", " << y;
        }
}

// A frame that recovers the device calculates again: what a host was handed
// stays where it was, and says the same.
TEST_F(Picture, KeptGeometryStaysThroughADeviceRecovery) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    ASSERT_EQ(SetScript(1, "x = cos(t)\ny = sin(t)\nz = t/5"), 0);
    Paint();
    TalvexSlotGeometry before[2];
    std::vector<TalvexVertex> vertices[2];
    std::vector<uint16_t> indices[2];
    for (int slot = 0; slot < 2; ++slot) {
        ASSERT_EQ(talvex_get_slot_geometry(handle, slot, &before[slot]), 0);
        vertices[slot].assign(before[slot].vertices, before[slot].vertices + before[slot].vertexCount);
        indices[slot].assign(before[slot].indices, before[slot].indices + before[slot].indexCount);
    }
    talvex::soft::InjectedFaults().cooperativeLevels = {talvex::kDeviceNotReset};
    trace.clear();
    TALVEX_ControlInvalidate(handle, nullptr, 0);
    talvex_window_run_paints();
    ASSERT_NE(std::find(trace.begin(), trace.end(), "  TALVEXCONTROL::Calculate"), trace.end())
        << "the recovery calculated";
    for (int slot = 0; slot < 2; ++slot) {
        TalvexSlotGeometry after;
        ASSERT_EQ(talvex_get_slot_geometry(handle, slot, &after), 0);
        EXPECT_EQ(after.vertices, before[slot].vertices) << slot;
        EXPECT_EQ(after.indices, before[slot].indices) << slot;
        EXPECT_EQ(std::memcmp(before[slot].vertices, vertices[slot].data(), vertices[slot].size() * sizeof(TalvexVertex)), 0);
        EXPECT_EQ(std::memcmp(before[slot].indices, indices[slot].data(), indices[slot].size() * sizeof(uint16_t)), 0);
    }
}

// A device that waits for a reset and refuses it: the frame is not drawn, and
// the next one recovers.
TEST_F(Picture, PictureOfADeviceThatRefusesItsReset) {
    std::vector<uint32_t> pixels(320 * 240, 0xDEADBEEF);
    talvex::soft::InjectedFaults().cooperativeLevels = {talvex::kDeviceNotReset};
    talvex::soft::InjectedFaults().resetResults = {talvex::kOutOfVideoMemory};
    talvex::Trace().Indent();
    EXPECT_EQ(talvex_render_picture(handle, pixels.data(), 320, 240), talvex::kDeviceLost);
    EXPECT_EQ(talvex::Trace().Indentation(), 1);
    talvex::Trace().Unindent();
    EXPECT_EQ(Count(pixels, 0xDEADBEEF), 320 * 240) << "nothing drawn on a device without its reset";
    talvex::soft::InjectedFaults().cooperativeLevels = {talvex::kDeviceNotReset};
    EXPECT_EQ(talvex_render_picture(handle, pixels.data(), 320, 240), 0) << "the reset goes through";
    EXPECT_GT(Count(pixels, kWhite), 0);
}

// The picture of a frame the device could not draw, and of a device whose
// back buffer did not follow the size.
TEST_F(Picture, PictureOfALostDevice) {
    std::vector<uint32_t> pixels(320 * 240, 0xDEADBEEF);
    talvex::soft::InjectedFaults().cooperativeLevels = {talvex::kDeviceLost};
    EXPECT_EQ(talvex_render_picture(handle, pixels.data(), 320, 240), talvex::kDeviceLost);
    EXPECT_EQ(talvex::Trace().Indentation(), 0);
    EXPECT_EQ(Count(pixels, 0xDEADBEEF), 320 * 240);
    EXPECT_EQ(talvex_render_picture(handle, pixels.data(), 320, 240), 0) << "the device is back";
    EXPECT_EQ(Count(pixels, kWhite) + Count(pixels, 0), 320 * 240) << "background, grid and axes";

    talvex::soft::InjectedFaults().cooperativeLevels = {talvex::kDeviceLost};
    ASSERT_EQ(TALVEX_ControlSize(handle, 200, 100), 0) << "the size waits for the reset";
    std::vector<uint32_t> small(200 * 100, 0xDEADBEEF);
    EXPECT_EQ(talvex_render_picture(handle, small.data(), 200, 100), talvex::kInvalidCall);
    EXPECT_EQ(Count(small, 0xDEADBEEF), 200 * 100);
    EXPECT_EQ(talvex::Trace().Indentation(), 0);
}

}  // namespace
