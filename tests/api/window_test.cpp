#include "chart_fixture.h"

namespace {

#if defined(_WIN32)
// The numbers a Linux host sends are User32's own.
static_assert(TALVEX_WM_PAINT == WM_PAINT && TALVEX_WM_MOUSEMOVE == WM_MOUSEMOVE &&
              TALVEX_WM_LBUTTONDOWN == WM_LBUTTONDOWN && TALVEX_WM_LBUTTONUP == WM_LBUTTONUP &&
              TALVEX_WM_RBUTTONDOWN == WM_RBUTTONDOWN && TALVEX_WM_RBUTTONUP == WM_RBUTTONUP &&
              TALVEX_WM_MBUTTONDOWN == WM_MBUTTONDOWN && TALVEX_WM_MBUTTONUP == WM_MBUTTONUP &&
              TALVEX_WM_MOUSEWHEEL == WM_MOUSEWHEEL);
static_assert(TALVEX_MK_LBUTTON == MK_LBUTTON && TALVEX_MK_RBUTTON == MK_RBUTTON && TALVEX_MK_MBUTTON == MK_MBUTTON);
static_assert(TALVEX_VK_LBUTTON == VK_LBUTTON && TALVEX_VK_RBUTTON == VK_RBUTTON && TALVEX_VK_MBUTTON == VK_MBUTTON);
#endif

TEST_F(Chart, InitMakesAHiddenZeroSizedChartWindow) {
    EXPECT_EQ(host.ClassName(child), "chart");
    EXPECT_EQ(host.Id(child), kId);
    EXPECT_FALSE(host.IsVisible(child));
    int32_t w = -1, h = -1;
    host.ClientSize(child, w, h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(TALVEX_ControlGetWidth(handle), 320);
    EXPECT_EQ(TALVEX_ControlGetHeight(handle), 240);
    EXPECT_EQ(TALVEX_ControlGetScale(handle), 37);
}

TEST_F(Chart, ShowMoveAndInvalidateReturnTheWindowCallsResults) {
    EXPECT_EQ(TALVEX_ControlShow(handle, 5), 0) << "was hidden";
    EXPECT_TRUE(host.IsVisible(child) || !host.IsVisible(host.handle())) << "shown within its parent";
    EXPECT_NE(TALVEX_ControlShow(handle, 0), 0) << "was visible";
    EXPECT_NE(TALVEX_ControlMove(handle, 5, 6, 300, 200, 1), 0);
    int32_t w = 0, h = 0;
    host.ClientSize(child, w, h);
    EXPECT_EQ(w, 300);
    EXPECT_EQ(h, 200);
    EXPECT_EQ(TALVEX_ControlGetWidth(handle), 320) << "Move leaves the width";
    EXPECT_NE(TALVEX_ControlInvalidate(handle, nullptr, 0), 0);
}

TEST_F(Chart, DragsTurnTheViewAndTheMiddleClickResetsIt) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    TALVEX_ControlShow(handle, 5);
    const BmpPicture before = Snapshot();
    host.Send(child, kLeftButtonDown, 0x0001, PointParam(100, 100));
    EXPECT_EQ(host.Capture(), child) << "the drag captures the mouse";
    host.Send(child, kMouseMove, 0x0001, PointParam(130, 110));
    host.Send(child, kLeftButtonUp, 0, PointParam(130, 110));
    EXPECT_NE(host.Capture(), child);
    const BmpPicture turned = Snapshot();
    EXPECT_NE(turned.pixels, before.pixels) << "the picture changes";
    host.Send(child, kMouseMove, 0, PointParam(10, 10));
    EXPECT_EQ(Snapshot().pixels, turned.pixels) << "moves without the capture change nothing";

    TALVEX_ControlSetScale(handle, 90);
    host.Send(child, kMiddleButtonDown, 0, PointParam(5, 5));
    EXPECT_EQ(TALVEX_ControlGetScale(handle), 90) << "the press does nothing";
    host.Send(child, kMiddleButtonUp, 0, PointParam(5, 5));
    EXPECT_EQ(TALVEX_ControlGetScale(handle), 37);
    const BmpPicture reset = Snapshot();
    TALVEX_ControlSetIsometricView(handle);
    EXPECT_EQ(Snapshot().pixels, reset.pixels) << "the isometric view";
    host.Send(child, kPaint, 0, 0);
    EXPECT_EQ(TALVEX_ControlGetScale(handle), 37) << "a paint leaves the view";
    EXPECT_EQ(Snapshot().pixels, reset.pixels);
}

TEST_F(Chart, SizesAndFiles) {
    EXPECT_EQ(Snapshot().fileSize, 230456) << "uncalculated: background, grid and axes";
    TALVEX_ControlShow(handle, 0);
    EXPECT_EQ(Snapshot().fileSize, 230456) << "hidden";
    EXPECT_EQ(TALVEX_ControlSize(handle, 641, 480), 0);
    const BmpPicture wide = Snapshot();
    EXPECT_EQ(wide.fileSize, 54 + 480 * 1924 + 2);
    EXPECT_EQ(wide.width, 641);
    EXPECT_EQ(wide.At(0, 0), 0xFFFFFFu);
    EXPECT_EQ(TALVEX_ControlSize(handle, -1, 5), 0);
    EXPECT_EQ(TALVEX_ControlGetWidth(handle), 641);
    EXPECT_EQ(TALVEX_SaveBMP(handle, nullptr), static_cast<int32_t>(0x8876086Cu)) << "D3DERR_INVALIDCALL";
    const std::string unwritable = ::testing::TempDir() + "no-such-folder/chart.bmp";
    EXPECT_EQ(TALVEX_SaveBMP(handle, unwritable.c_str()), static_cast<int32_t>(0x80070005u)) << "E_ACCESSDENIED";
    EXPECT_EQ(BmpPicture::Load(unwritable).fileSize, -1) << "no file";
    EXPECT_EQ(TALVEX_SaveBMP(handle, ::testing::TempDir().c_str()), TALVEX_E_NOT_A_FILE) << "a folder";
    EXPECT_EQ(Snapshot().width, 641) << "a picture over the last one";
    EXPECT_EQ(TALVEX_ControlDestroy(handle), 641) << "Destroy returns the width";
    handle = 0;
}

TEST_F(Chart, DestroyDestroysTheWindowAndLaterMessagesReachNothing) {
    ASSERT_EQ(TALVEX_ControlDestroy(handle), 320);
    handle = 0;
    EXPECT_EQ(host.FindChild(kId), nullptr) << "the window goes with its control";
    EXPECT_EQ(host.ClassName(child), "") << "the handle names no window";
    host.Send(child, kLeftButtonDown, 0, PointParam(1, 1));
    EXPECT_NE(host.Capture(), child) << "no control takes the capture";
    host.Send(child, kMouseMove, 0, PointParam(5, 5));
    host.Send(child, kMiddleButtonUp, 0, 0);
    host.Send(child, kPaint, 0, 0);
}

// Sizes past the largest side are refused and change nothing; the largest
// side itself is taken.
TEST_F(Chart, SizeLimit) {
    const int32_t kInvalidArgument = static_cast<int32_t>(0x80070057u);
    const struct {
        int32_t width, height, result;
    } cases[] = {{16385, 100, kInvalidArgument}, {100, 16385, kInvalidArgument}, {100000, 100000, kInvalidArgument},
                 {16384, 1, 0},                  {1, 16384, 0}};
    for (const auto& c : cases) {
        ASSERT_EQ(TALVEX_ControlSize(handle, 320, 240), 0);
        EXPECT_EQ(TALVEX_ControlSize(handle, c.width, c.height), c.result) << c.width << " x " << c.height;
        const bool taken = c.result == 0;
        EXPECT_EQ(TALVEX_ControlGetWidth(handle), taken ? c.width : 320) << c.width << " x " << c.height;
        EXPECT_EQ(TALVEX_ControlGetHeight(handle), taken ? c.height : 240) << c.width << " x " << c.height;
    }
    ASSERT_EQ(TALVEX_ControlSize(handle, 320, 240), 0);
    ASSERT_EQ(TALVEX_ControlSize(handle, 16385, 100), kInvalidArgument);
    const BmpPicture kept = Snapshot();
    EXPECT_EQ(kept.width, 320) << "a refused size leaves the picture as it was";
    EXPECT_EQ(kept.At(0, 0), 0xFFFFFFu);
}

TEST(ChartInit, DeadParentIsRefusedAndMakesNothing) {
    const int32_t kInvalidHandle = static_cast<int32_t>(0x80070006u);
    TalvexWindow dead = nullptr;
    {
        HostWindow gone;
        dead = gone.handle();
    }
    const int32_t handle = TALVEX_ControlCreate();
    ASSERT_NE(handle, 0);
    EXPECT_EQ(TALVEX_ControlInit(handle, dead, nullptr, 7), kInvalidHandle);
    EXPECT_EQ(TALVEX_SaveBMP(handle, "never.bmp"), static_cast<int32_t>(0x80004005u)) << "no device";
    EXPECT_EQ(TALVEX_ControlGetWidth(handle), 0) << "nothing of Init happened";
    EXPECT_EQ(TALVEX_ControlDestroy(handle), 0);
}

}  // namespace
