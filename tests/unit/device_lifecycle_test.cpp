#include <cmath>
#include <cstdio>
#include <deque>
#include <utility>

#include "control_fixture.h"
#include "common/graphics_device.h"
#include "../../tools/common/chart_messages.h"

namespace {

using talvex::kDeviceLost;
using talvex::kDeviceNotReset;

TEST_F(NativeControl, InitMakesAHiddenChartWindowAndTheDevice) {
    EXPECT_EQ(Init(), 0);
    TalvexWindow child = Child();
    ASSERT_NE(child, nullptr) << "a child window carrying the identifier";
    EXPECT_STREQ(talvex_window_class_name(child), "chart");
    int32_t x = -1, y = -1, w = -1, h = -1;
    talvex_window_rect(child, &x, &y, &w, &h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    EXPECT_FALSE(talvex_window_is_visible(child));
    EXPECT_TRUE(control->IsVisible()) << "visible although the window stays hidden";
    EXPECT_FALSE(control->IsReady());
    EXPECT_EQ(TALVEX_ControlGetWidth(handle), 320);
    EXPECT_EQ(TALVEX_ControlGetHeight(handle), 240);
    EXPECT_EQ(TALVEX_ControlGetScale(handle), 37);
    EXPECT_EQ(control->Scene().presentParams.backBufferWidth, 320u);
    EXPECT_EQ(control->Scene().presentParams.backBufferHeight, 240u);
    EXPECT_EQ(control->Scene().presentParams.swapEffect, 1u);
    EXPECT_EQ(control->Scene().presentParams.autoDepthStencilFormat, 80u);
    EXPECT_EQ(TALVEX_ControlDestroy(handle), 320) << "Destroy returns the width";
}

TEST_F(NativeControl, InitTraceAndIndentation) {
    ASSERT_EQ(Init(), 0);
    const std::vector<std::string> expected = {"TALVEXCONTROL::Init", "TALVEXCONTROL::Show"};
    EXPECT_EQ(trace, expected);
    EXPECT_EQ(talvex::Trace().Indentation(), 0) << "raised around the build and lowered again";
}

TEST_F(NativeControl, SizeAndCalculateTrace) {
    ASSERT_EQ(Init(), 0);
    ASSERT_EQ(SetScript(0, "z = x*y"), 0);
    ASSERT_EQ(SetScript(2, "x = cos(t)\ny = sin(t)\nz = t"), 0);
    trace.clear();
    EXPECT_EQ(TALVEX_ControlSize(handle, 640, 480), 0);
    const std::vector<std::string> expected = {
        "TALVEXCONTROL::Size(640, 480)", "TALVEXCONTROL::Calculate", "i=0", "--------------", "i=2",
        "--------------", "    done"};
    EXPECT_EQ(trace, expected);
    EXPECT_TRUE(control->IsReady()) << "Size calculates again at once";
    EXPECT_EQ(control->Scene().presentParams.backBufferWidth, 640u);
    EXPECT_NEAR(control->Scene().projectionMatrix.m[0][0], 1.8106602f, 1e-6f) << "aspect 4:3";
}

TEST_F(NativeControl, FailuresOfTheObjectAndTheDevice) {
    talvex::soft::InjectedFaults().objectCreationFails = true;
    EXPECT_EQ(Init(), 22);
    EXPECT_NE(Child(), nullptr) << "the window exists";
    EXPECT_FALSE(talvex_window_is_visible(Child()));
    EXPECT_EQ(control->Scene().direct3d, nullptr);
    EXPECT_EQ(control->Scene().device, nullptr);
    EXPECT_EQ(TALVEX_SaveBMP(handle, "never.bmp"), TALVEX_E_FAIL);

    talvex::soft::InjectedFaults() = talvex::soft::Faults{};
    talvex::soft::InjectedFaults().displayModeResult = static_cast<int32_t>(0x8876086Cu);
    EXPECT_EQ(Init(), static_cast<int32_t>(0x8876086Cu));
    EXPECT_NE(control->Scene().direct3d, nullptr) << "the object remains";
    EXPECT_EQ(control->Scene().device, nullptr);

    talvex::soft::InjectedFaults() = talvex::soft::Faults{};
    talvex::soft::InjectedFaults().createDeviceResult = static_cast<int32_t>(0x8876017Cu);
    trace.clear();
    EXPECT_EQ(Init(), static_cast<int32_t>(0x8876017Cu));
    EXPECT_EQ(trace.back(), "Direct3D does not have enough display memory to perform the operation");
    EXPECT_EQ(control->Scene().device, nullptr);
    EXPECT_FALSE(control->IsVisible());
}

TEST_F(NativeControl, PaintingAControlWithoutDeviceDrawsNothing) {
    talvex::soft::InjectedFaults().createDeviceResult = static_cast<int32_t>(0x8876086Au);
    ASSERT_NE(Init(), 0);
    ASSERT_EQ(SetScript(0, "z = x"), 0);
    TALVEX_ControlShow(handle, 5);
    EXPECT_EQ(TALVEX_ControlCalculate(handle), TALVEX_E_FAIL);
    EXPECT_TRUE(control->IsVisible() && control->IsReady()) << "both flags allow painting";
    talvex_window_send(Child(), kPaint, 0, 0);
    int32_t w = -1, h = -1;
    talvex_window_picture_size(Child(), &w, &h);
    EXPECT_EQ(w, 0) << "no device, no picture";
    EXPECT_EQ(TALVEX_ControlSetLeftHand(handle), 0) << "no device: nothing to rebuild";
    EXPECT_EQ(talvex::Trace().Indentation(), 0);
}

TEST_F(NativeControl, SoftwareVertexProcessingWithoutHardwareTransform) {
    EXPECT_EQ(Init(), 0);
    EXPECT_EQ(talvex::soft::LastBehaviorFlags(), talvex::render::kCreateHardwareVertexProcessing)
        << "caps with hardware transform and lighting";
    talvex::soft::InjectedFaults().hardwareTransformAndLight = false;
    EXPECT_EQ(Init(), 0);
    EXPECT_NE(control->Scene().device, nullptr);
    EXPECT_EQ(talvex::soft::LastBehaviorFlags(), talvex::render::kCreateSoftwareVertexProcessing) << "caps without";
    talvex::soft::InjectedFaults() = talvex::soft::Faults{};
    talvex::soft::InjectedFaults().capsResult = talvex::kInvalidCall;
    EXPECT_EQ(Init(), 0);
    EXPECT_EQ(talvex::soft::LastBehaviorFlags(), talvex::render::kCreateSoftwareVertexProcessing) << "caps unknown";
}

TEST_F(NativeControl, SizeEdgeCases) {
    ASSERT_EQ(Init(), 0);
    EXPECT_EQ(TALVEX_ControlSize(handle, -1, 100), 0);
    EXPECT_EQ(TALVEX_ControlGetWidth(handle), 320) << "a negative size changes nothing";
    talvex::render::VertexBuffer* grid = control->Scene().gridBuffer;
    EXPECT_EQ(TALVEX_ControlSize(handle, 0, 100), 0);
    EXPECT_EQ(TALVEX_ControlGetWidth(handle), 0);
    EXPECT_EQ(TALVEX_ControlGetHeight(handle), 100);
    EXPECT_EQ(control->Scene().gridBuffer, grid) << "the device and its resources are untouched";
    EXPECT_EQ(control->Scene().presentParams.backBufferWidth, 320u);
}

TEST_F(NativeControl, SizeOnALostDeviceReleasesTheResources) {
    ASSERT_EQ(Init(), 0);
    ASSERT_EQ(SetScript(0, "z = x"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    talvex::soft::InjectedFaults().cooperativeLevels = {talvex::kDeviceLost};
    EXPECT_EQ(TALVEX_ControlSize(handle, 400, 300), 0);
    EXPECT_FALSE(control->IsReady());
    EXPECT_EQ(control->Scene().gridBuffer, nullptr);
    EXPECT_EQ(control->Scene().slots[0].vertexBuffer, nullptr);
    EXPECT_EQ(TALVEX_ControlCalculate(handle), TALVEX_E_FAIL) << "no buffers: nothing written, nothing crashes";
    EXPECT_EQ(control->Slot(0).geometry.kind, talvex::GraphKind::Surface) << "the slot keeps what it held";
}

TEST_F(NativeControl, FrameOnALostDeviceDrawsNothingAndANotResetDeviceRecovers) {
    ASSERT_EQ(Init(), 0);
    ASSERT_EQ(SetScript(0, "z = x"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    ASSERT_NE(TALVEX_ControlShow(handle, 5), -1);
    talvex::soft::InjectedFaults().cooperativeLevels = {talvex::kDeviceLost};
    trace.clear();
    control->RenderFrame();
    int32_t w = 0, h = 0;
    talvex_window_picture_size(Child(), &w, &h);
    EXPECT_EQ(w, 0) << "nothing presented";
    EXPECT_EQ(trace, std::vector<std::string>{"  D3DERR_DEVICELOST"});
    EXPECT_EQ(talvex::Trace().Indentation(), 0);

    talvex::soft::InjectedFaults().cooperativeLevels = {talvex::kDeviceNotReset};
    trace.clear();
    control->RenderFrame();
    talvex_window_picture_size(Child(), &w, &h);
    EXPECT_EQ(w, 320) << "recovered and drawn";
    EXPECT_TRUE(control->IsReady());
    ASSERT_GE(trace.size(), 2u);
    EXPECT_EQ(trace[0], "  D3DERR_DEVICENOTRESET");
    EXPECT_EQ(trace[1], "  TALVEXCONTROL::Calculate");
    EXPECT_EQ(talvex::Trace().Indentation(), 0);

    // From a start above 0, where lowering it once too often would show,
    // every frame leaves the indentation where it found it.
    talvex::Trace().Indent();
    for (const int32_t state : {talvex::kDeviceLost, talvex::kDeviceNotReset, 0}) {
        talvex::soft::InjectedFaults().cooperativeLevels = {state};
        control->RenderFrame();
        EXPECT_EQ(talvex::Trace().Indentation(), 1) << "after a frame whose device said 0x" << std::hex << state;
    }
    talvex::Trace().Unindent();
}

TEST_F(NativeControl, HandednessRebuildOnAVisibleControl) {
    ASSERT_EQ(Init(), 0);
    ASSERT_EQ(SetScript(0, "z = x"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    EXPECT_EQ(TALVEX_ControlSetLeftHand(handle), 0);
    EXPECT_FALSE(control->IsReady()) << "nothing is painted until Calculate";
    EXPECT_FALSE(control->Scene().slots[0].buffersFilled);
    EXPECT_NEAR(SceneVertices(control->Scene().axisBuffer, 28)[15].z, 66.5f, 1e-5f);
    TALVEX_ControlShow(handle, 0);
    EXPECT_EQ(TALVEX_ControlSetRightHand(handle), 0);
    EXPECT_NEAR(SceneVertices(control->Scene().axisBuffer, 28)[15].z, 66.5f, 1e-5f) << "hidden: only the flag changes";
    EXPECT_FALSE(control->IsLeftHanded());
}

TEST_F(NativeControl, SecondInitReleasesTheOldDeviceAndDetachesTheOldWindow) {
    ASSERT_EQ(Init(), 0);
    TalvexWindow first = Child();
    ASSERT_EQ(Init(), 0);
    TalvexWindow second = Child();
    EXPECT_NE(first, second);
    EXPECT_EQ(talvex_window_send(first, kLeftButtonDown, 0, 0), 0) << "the old window gets the default handling";
    EXPECT_EQ(talvex_window_capture(), nullptr) << "and takes no capture for the control";
    EXPECT_NE(control->Scene().device, nullptr);
}

TEST_F(NativeControl, SceneBuffers) {
    ASSERT_EQ(Init(), 0);
    const auto grid = SceneVertices(control->Scene().gridBuffer, 441);
    ASSERT_EQ(grid.size(), 441u);
    const struct {
        int index;
        float x, y;
    } points[] = {{0, -50, -50}, {20, 50, -50}, {440, 50, 50}, {220, 0, 0}};
    for (const auto& p : points) {
        EXPECT_EQ(grid[static_cast<size_t>(p.index)].x, p.x) << p.index;
        EXPECT_EQ(grid[static_cast<size_t>(p.index)].y, p.y) << p.index;
        EXPECT_EQ(grid[static_cast<size_t>(p.index)].z, 0.0f) << p.index;
        EXPECT_EQ(grid[static_cast<size_t>(p.index)].color, 0xFFFFFFFFu);
    }
    auto axes = SceneVertices(control->Scene().axisBuffer, 28);
    EXPECT_NEAR(axes[15].y, 3.5f, 1e-6f);
    EXPECT_NEAR(axes[15].z, -66.5f, 1e-5f);
    EXPECT_NEAR(axes[17].y, -3.5f, 1e-6f);
    EXPECT_NEAR(axes[17].z, -66.5f, 1e-5f);
    EXPECT_EQ(axes[14].z, -70.0f);
    EXPECT_EQ(axes[0].color, 0x00FFFFFFu);
    TALVEX_ControlSetLeftHand(handle);
    axes = SceneVertices(control->Scene().axisBuffer, 28);
    EXPECT_NEAR(axes[15].z, 66.5f, 1e-5f);
    EXPECT_NEAR(axes[17].z, 66.5f, 1e-5f);
    EXPECT_EQ(axes[14].z, 70.0f) << "the arrow tip";

    talvex::render::LockedRect locked{};
    ASSERT_EQ(control->Scene().slots[0].texture->LockRect(0, &locked, nullptr, 0), 0);
    const auto* texels = static_cast<const uint32_t*>(locked.bits);
    EXPECT_EQ(texels[0], 0x7FFF0080u);
    EXPECT_EQ(texels[8], 0x7FFF80C0u);
    EXPECT_EQ(texels[15 * 16 + 15], 0x7FFF0080u);
    control->Scene().slots[0].texture->UnlockRect(0);

    const talvex::Matrix& p = control->Scene().projectionMatrix;
    EXPECT_NEAR(p.m[1][1], 2.4142136f, 1e-6f);
    EXPECT_NEAR(p.m[0][0], 2.4142136f / (320.0f / 240.0f), 1e-6f);
    EXPECT_NEAR(p.m[2][2], 1.001001f, 1e-6f);
    EXPECT_EQ(p.m[2][3], 1.0f);
    EXPECT_NEAR(p.m[3][2], -0.5005005f, 1e-6f);
    EXPECT_EQ(p.m[3][3], 0.0f);
}

TEST_F(NativeControl, ReleaseEmptiesEverythingOnce) {
    ASSERT_EQ(Init(), 0);
    control->ReleaseDeviceResources();
    control->ReleaseDeviceResources();
    EXPECT_EQ(control->Scene().gridBuffer, nullptr);
    EXPECT_EQ(control->Scene().axisBuffer, nullptr);
    for (const auto& slot : control->Scene().slots) {
        EXPECT_EQ(slot.vertexBuffer, nullptr);
        EXPECT_EQ(slot.indexBuffer, nullptr);
        EXPECT_EQ(slot.texture, nullptr);
    }
    EXPECT_FALSE(control->IsReady());
}

TEST_F(NativeControl, FailedBufferCreationsAreSurvived) {
    talvex::soft::InjectedFaults().failingBufferCreations = 100;
    talvex::soft::InjectedFaults().failingTextureCreations = 100;
    // Told, and survived: the control goes on with the device it has.
    ASSERT_EQ(Init(), talvex::kOutOfVideoMemory);
    ASSERT_EQ(SetScript(0, "z = x"), 0);
    EXPECT_EQ(TALVEX_ControlCalculate(handle), TALVEX_E_FAIL);
    control->RenderFrame();
    EXPECT_EQ(TALVEX_ControlSize(handle, 100, 100), talvex::kOutOfVideoMemory);
    talvex::soft::InjectedFaults() = {};
    EXPECT_EQ(TALVEX_ControlSize(handle, 120, 100), 0) << "a device that gives the buffers again";
    EXPECT_EQ(TALVEX_ControlCalculate(handle), 0);
}

TEST_F(NativeControl, TextureRefusedAloneIsTold) {
    talvex::soft::InjectedFaults().failingTextureCreations = 1;
    EXPECT_EQ(Init(), talvex::kOutOfVideoMemory);
    EXPECT_NE(control->Scene().gridBuffer, nullptr) << "everything else is built";
    EXPECT_EQ(control->Scene().slots[0].texture, nullptr);
    EXPECT_NE(control->Scene().slots[1].texture, nullptr);
}

}  // namespace

// A shown, calculated control with a picture presented, for sizes that fail.
class SizedControl : public NativeControl {
protected:
    void SetUp() override {
        NativeControl::SetUp();
        ASSERT_EQ(Init(), 0);
        ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
        TALVEX_ControlShow(handle, 5);
        ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
        before = Paint();
        ASSERT_EQ(before.size(), 320u * 240u);
    }

    std::vector<uint32_t> Picture() {
        int32_t w = 0, h = 0;
        talvex_window_picture_size(Child(), &w, &h);
        std::vector<uint32_t> pixels(static_cast<size_t>(w * h));
        talvex_window_read_picture(Child(), pixels.data(), w * h);
        return pixels;
    }
    std::vector<uint32_t> Paint() {
        TALVEX_ControlInvalidate(handle, nullptr, 0);
        talvex_window_run_paints();
        return Picture();
    }

    // Everything Size could have changed is as SetUp left it, and the control
    // still draws the same picture and saves it.
    void ExpectUnchanged(const std::string& which) {
        EXPECT_EQ(TALVEX_ControlGetWidth(handle), 320) << which;
        EXPECT_EQ(TALVEX_ControlGetHeight(handle), 240) << which;
        EXPECT_EQ(control->Scene().device, device) << which;
        EXPECT_EQ(control->Scene().presentParams.backBufferWidth, 320u) << which;
        EXPECT_EQ(control->Scene().presentParams.backBufferHeight, 240u) << which;
        EXPECT_NE(control->Scene().gridBuffer, nullptr) << which;
        EXPECT_TRUE(control->Scene().slots[0].buffersFilled) << which;
        EXPECT_TRUE(control->IsReady()) << which;
        EXPECT_EQ(Picture(), before) << which << ": nothing presented";
        EXPECT_EQ(Paint(), before) << which << ": the same chart is painted";
        const std::string path = ::testing::TempDir() + "talvex_sized_control.bmp";
        EXPECT_EQ(TALVEX_SaveBMP(handle, path.c_str()), 0) << which;
        std::remove(path.c_str());
        EXPECT_EQ(talvex::Trace().Indentation(), 0) << which;
    }

    std::vector<uint32_t> before;
    talvex::render::Device* device = nullptr;
};

TEST_F(SizedControl, SizePastTheLimitOrARefusedResetChangesNothing) {
    device = control->Scene().device;
    const int32_t kOutOfMemory = static_cast<int32_t>(0x8007000Eu);
    const struct {
        int32_t width, height;
        std::deque<int32_t> resets;
        int32_t result;
    } cases[] = {
        {16385, 240, {}, static_cast<int32_t>(0x80070057u)},
        {320, 16385, {}, static_cast<int32_t>(0x80070057u)},
        {100000, 100000, {}, static_cast<int32_t>(0x80070057u)},
        {640, 480, {kOutOfMemory}, kOutOfMemory},
        {640, 480, {talvex::kInvalidCall}, talvex::kInvalidCall},
    };
    for (const auto& c : cases) {
        const std::string which = std::to_string(c.width) + " x " + std::to_string(c.height);
        talvex::soft::InjectedFaults().resetResults = c.resets;
        trace.clear();
        EXPECT_EQ(TALVEX_ControlSize(handle, c.width, c.height), c.result) << which;
        EXPECT_EQ(trace, std::vector<std::string>{"TALVEXCONTROL::Size(" + which.substr(0, which.find(' ')) + ", " +
                                                  std::to_string(c.height) + ")"})
            << which << ": no calculation";
        ExpectUnchanged(which);
    }
}

TEST_F(SizedControl, TheLargestSideIsTaken) {
    for (auto size : {std::pair{16384, 1}, std::pair{1, 16384}}) {
        EXPECT_EQ(TALVEX_ControlSize(handle, size.first, size.second), 0) << size.first << " x " << size.second;
        EXPECT_EQ(TALVEX_ControlGetWidth(handle), size.first);
        EXPECT_EQ(control->Scene().presentParams.backBufferHeight, static_cast<uint32_t>(size.second));
        EXPECT_TRUE(control->Scene().slots[0].buffersFilled);
    }
}

TEST_F(SizedControl, ADeviceThatTakesNeitherSizeIsLetGo) {
    const int32_t kOutOfMemory = static_cast<int32_t>(0x8007000Eu);
    talvex::soft::InjectedFaults().resetResults = {kOutOfMemory, kOutOfMemory};
    EXPECT_EQ(TALVEX_ControlSize(handle, 640, 480), kOutOfMemory);
    EXPECT_EQ(TALVEX_ControlGetWidth(handle), 320);
    EXPECT_EQ(control->Scene().device, nullptr);
    EXPECT_EQ(TALVEX_SaveBMP(handle, "never.bmp"), TALVEX_E_FAIL) << "no success for a picture never drawn";
    EXPECT_EQ(TALVEX_ControlCalculate(handle), TALVEX_E_FAIL);
    EXPECT_EQ(Paint(), before) << "paints draw nothing";
}

TEST_F(SizedControl, SnapshotOfAFrameTheLostDeviceDidNotDrawFails) {
    const std::string path = ::testing::TempDir() + "talvex_lost_snapshot.bmp";
    std::remove(path.c_str());
    // The first frame is drawn and presented, the saved second one is lost.
    talvex::soft::InjectedFaults().cooperativeLevels = {0, talvex::kDeviceLost};
    EXPECT_EQ(TALVEX_SaveBMP(handle, path.c_str()), talvex::kDeviceLost);
    EXPECT_EQ(std::fopen(path.c_str(), "rb"), nullptr) << "no file";
    EXPECT_EQ(talvex::Trace().Indentation(), 0);
}

TEST_F(NativeControl, InitOnADestroyedParentIsRefusedAndMakesNothing) {
    const int32_t kInvalidHandle = static_cast<int32_t>(0x80070006u);
    // Made dead just before each use: a later window may take its address.
    const auto deadWindow = [] {
        TalvexWindow window = talvex_window_create(100, 100);
        talvex_window_destroy(window);
        return window;
    };
    EXPECT_EQ(TALVEX_ControlInit(handle, deadWindow(), nullptr, kChildId), kInvalidHandle);
    EXPECT_EQ(control->Window(), nullptr) << "no window";
    EXPECT_EQ(control->Scene().direct3d, nullptr) << "no object";
    EXPECT_EQ(control->Scene().device, nullptr) << "no device";

    ASSERT_EQ(Init(), 0);
    TalvexWindow child = Child();
    talvex::render::Device* device = control->Scene().device;
    EXPECT_EQ(TALVEX_ControlInit(handle, deadWindow(), nullptr, kChildId), kInvalidHandle);
    EXPECT_EQ(control->Scene().device, device) << "a refused Init lets nothing go";
    EXPECT_EQ(Child(), child);
    EXPECT_EQ(talvex_window_send(child, kLeftButtonDown, 0, 0), 0);
    EXPECT_EQ(talvex_window_capture(), child) << "the window still reaches the control";
}

TEST_F(NativeControl, DestroyDestroysTheWindow) {
    ASSERT_EQ(Init(), 0);
    ASSERT_NE(Child(), nullptr);
    ASSERT_EQ(TALVEX_ControlDestroy(handle), 320);
    EXPECT_EQ(Child(), nullptr);
}

// The host destroys a control's window itself; the next control's window
// takes the freed address (as the allocator hands it out again at once). The
// first control's Destroy must leave the second control's window alone.
TEST_F(NativeControl, DestroyAfterTheHostDestroyedTheWindowLeavesAReusingWindowAlone) {
    ASSERT_EQ(Init(), 0);
    TalvexWindow old = Child();
    talvex_window_destroy(old);

    const int32_t second = TALVEX_ControlCreate();
    ASSERT_NE(second, 0);
    ASSERT_EQ(TALVEX_ControlInit(second, host, nullptr, kChildId + 1), 0);
    TalvexWindow reusing = talvex_window_find_child(host, kChildId + 1);
    ASSERT_NE(reusing, nullptr);
    if (reusing != old) std::printf("the second window did not reuse the freed address\n");
    TALVEX_ControlShow(second, 5);
    TALVEX_ControlCalculate(second);

    ASSERT_EQ(TALVEX_ControlDestroy(handle), 320);
    EXPECT_EQ(talvex_window_find_child(host, kChildId + 1), reusing) << "the second window stays";
    TALVEX_ControlSetBackgroundColor(second, 0x204060);
    TALVEX_ControlInvalidate(second, nullptr, 0);
    EXPECT_EQ(talvex_window_run_paints(), 1);
    uint32_t corner = 0;
    ASSERT_EQ(talvex_window_read_picture(reusing, &corner, 1), 1);
    EXPECT_EQ(corner & 0xFFFFFFu, 0x204060u) << "the second control still paints";
    EXPECT_EQ(TALVEX_ControlDestroy(second), 320);
    EXPECT_EQ(talvex_window_find_child(host, kChildId + 1), nullptr);
}
