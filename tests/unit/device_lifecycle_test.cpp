#include <cmath>

#include "control_fixture.h"
#include "render/device.h"

namespace {

using talvex::render::kDeviceLost;
using talvex::render::kDeviceNotReset;

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
    EXPECT_TRUE(control->visible) << "visible although the window stays hidden";
    EXPECT_FALSE(control->ready);
    EXPECT_EQ(TALVEX_ControlGetWidth(handle), 320);
    EXPECT_EQ(TALVEX_ControlGetHeight(handle), 240);
    EXPECT_EQ(TALVEX_ControlGetScale(handle), 37);
    EXPECT_EQ(control->presentParams.backBufferWidth, 320u);
    EXPECT_EQ(control->presentParams.backBufferHeight, 240u);
    EXPECT_EQ(control->presentParams.swapEffect, 1u);
    EXPECT_EQ(control->presentParams.autoDepthStencilFormat, 80u);
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
    EXPECT_TRUE(control->ready) << "Size calculates again at once";
    EXPECT_EQ(control->presentParams.backBufferWidth, 640u);
    EXPECT_NEAR(control->projectionMatrix.m[0][0], 1.8106602f, 1e-6f) << "aspect 4:3";
}

TEST_F(NativeControl, FailuresOfTheObjectAndTheDevice) {
    talvex::soft::InjectedFaults().objectCreationFails = true;
    EXPECT_EQ(Init(), 22);
    EXPECT_NE(Child(), nullptr) << "the window exists";
    EXPECT_FALSE(talvex_window_is_visible(Child()));
    EXPECT_EQ(control->direct3d, nullptr);
    EXPECT_EQ(control->device, nullptr);
    EXPECT_EQ(TALVEX_SaveBMP(handle, "never.bmp"), TALVEX_E_FAIL);

    talvex::soft::InjectedFaults() = talvex::soft::Faults{};
    talvex::soft::InjectedFaults().displayModeResult = static_cast<int32_t>(0x8876086Cu);
    EXPECT_EQ(Init(), static_cast<int32_t>(0x8876086Cu));
    EXPECT_NE(control->direct3d, nullptr) << "the object remains";
    EXPECT_EQ(control->device, nullptr);

    talvex::soft::InjectedFaults() = talvex::soft::Faults{};
    talvex::soft::InjectedFaults().createDeviceResult = static_cast<int32_t>(0x8876017Cu);
    trace.clear();
    EXPECT_EQ(Init(), static_cast<int32_t>(0x8876017Cu));
    EXPECT_EQ(trace.back(), "Direct3D does not have enough display memory to perform the operation");
    EXPECT_EQ(control->device, nullptr);
    EXPECT_FALSE(control->visible);
}

TEST_F(NativeControl, PaintingAControlWithoutDeviceDrawsNothing) {
    talvex::soft::InjectedFaults().createDeviceResult = static_cast<int32_t>(0x8876086Au);
    ASSERT_NE(Init(), 0);
    ASSERT_EQ(SetScript(0, "z = x"), 0);
    TALVEX_ControlShow(handle, 5);
    EXPECT_EQ(TALVEX_ControlCalculate(handle), TALVEX_E_FAIL);
    EXPECT_TRUE(control->visible && control->ready) << "both flags allow painting";
    talvex_window_send(Child(), 0x000F, 0, 0);
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
    EXPECT_NE(control->device, nullptr);
    EXPECT_EQ(talvex::soft::LastBehaviorFlags(), talvex::render::kCreateSoftwareVertexProcessing) << "caps without";
    talvex::soft::InjectedFaults() = talvex::soft::Faults{};
    talvex::soft::InjectedFaults().capsResult = talvex::render::kInvalidCall;
    EXPECT_EQ(Init(), 0);
    EXPECT_EQ(talvex::soft::LastBehaviorFlags(), talvex::render::kCreateSoftwareVertexProcessing) << "caps unknown";
}

TEST_F(NativeControl, SizeEdgeCases) {
    ASSERT_EQ(Init(), 0);
    EXPECT_EQ(TALVEX_ControlSize(handle, -1, 100), 0);
    EXPECT_EQ(TALVEX_ControlGetWidth(handle), 320) << "a negative size changes nothing";
    talvex::render::VertexBuffer* grid = control->gridBuffer;
    EXPECT_EQ(TALVEX_ControlSize(handle, 0, 100), 0);
    EXPECT_EQ(TALVEX_ControlGetWidth(handle), 0);
    EXPECT_EQ(TALVEX_ControlGetHeight(handle), 100);
    EXPECT_EQ(control->gridBuffer, grid) << "the device and its resources are untouched";
    EXPECT_EQ(control->presentParams.backBufferWidth, 320u);
}

TEST_F(NativeControl, SizeOnALostDeviceReleasesTheResources) {
    ASSERT_EQ(Init(), 0);
    ASSERT_EQ(SetScript(0, "z = x"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    talvex::soft::InjectedFaults().cooperativeLevels = {kDeviceLost};
    EXPECT_EQ(TALVEX_ControlSize(handle, 400, 300), 0);
    EXPECT_FALSE(control->ready);
    EXPECT_EQ(control->gridBuffer, nullptr);
    EXPECT_EQ(control->slots[0].vertexBuffer, nullptr);
    EXPECT_EQ(TALVEX_ControlCalculate(handle), TALVEX_E_FAIL) << "no buffers: nothing written, nothing crashes";
    EXPECT_EQ(control->slots[0].kind, talvex::GraphKind::Surface) << "the slot keeps what it held";
}

TEST_F(NativeControl, FrameOnALostDeviceDrawsNothingAndANotResetDeviceRecovers) {
    ASSERT_EQ(Init(), 0);
    ASSERT_EQ(SetScript(0, "z = x"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    ASSERT_NE(TALVEX_ControlShow(handle, 5), -1);
    talvex::soft::InjectedFaults().cooperativeLevels = {kDeviceLost};
    trace.clear();
    control->RenderFrame();
    int32_t w = 0, h = 0;
    talvex_window_picture_size(Child(), &w, &h);
    EXPECT_EQ(w, 0) << "nothing presented";
    EXPECT_EQ(trace, std::vector<std::string>{"  D3DERR_DEVICELOST"});
    EXPECT_EQ(talvex::Trace().Indentation(), 0);

    talvex::soft::InjectedFaults().cooperativeLevels = {kDeviceNotReset};
    trace.clear();
    control->RenderFrame();
    talvex_window_picture_size(Child(), &w, &h);
    EXPECT_EQ(w, 320) << "recovered and drawn";
    EXPECT_TRUE(control->ready);
    ASSERT_GE(trace.size(), 2u);
    EXPECT_EQ(trace[0], "  D3DERR_DEVICENOTRESET");
    EXPECT_EQ(trace[1], "  TALVEXCONTROL::Calculate");
    EXPECT_EQ(talvex::Trace().Indentation(), 0);
}

TEST_F(NativeControl, HandednessRebuildOnAVisibleControl) {
    ASSERT_EQ(Init(), 0);
    ASSERT_EQ(SetScript(0, "z = x"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    EXPECT_EQ(TALVEX_ControlSetLeftHand(handle), 0);
    EXPECT_FALSE(control->ready) << "nothing is painted until Calculate";
    EXPECT_FALSE(control->slots[0].buffersFilled);
    EXPECT_NEAR(SceneVertices(control->axisBuffer, 28)[15].z, 66.5f, 1e-5f);
    TALVEX_ControlShow(handle, 0);
    EXPECT_EQ(TALVEX_ControlSetRightHand(handle), 0);
    EXPECT_NEAR(SceneVertices(control->axisBuffer, 28)[15].z, 66.5f, 1e-5f) << "hidden: only the flag changes";
    EXPECT_FALSE(control->leftHanded);
}

TEST_F(NativeControl, SecondInitReleasesTheOldDeviceAndDetachesTheOldWindow) {
    ASSERT_EQ(Init(), 0);
    TalvexWindow first = Child();
    ASSERT_EQ(Init(), 0);
    TalvexWindow second = Child();
    EXPECT_NE(first, second);
    EXPECT_EQ(talvex_window_send(first, 0x0201, 0, 0), 0) << "the old window gets the default handling";
    EXPECT_EQ(talvex_window_capture(), nullptr) << "and takes no capture for the control";
    EXPECT_NE(control->device, nullptr);
}

TEST_F(NativeControl, SceneBuffers) {
    ASSERT_EQ(Init(), 0);
    const auto grid = SceneVertices(control->gridBuffer, 441);
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
    auto axes = SceneVertices(control->axisBuffer, 28);
    EXPECT_NEAR(axes[15].y, 3.5f, 1e-6f);
    EXPECT_NEAR(axes[15].z, -66.5f, 1e-5f);
    EXPECT_NEAR(axes[17].y, -3.5f, 1e-6f);
    EXPECT_NEAR(axes[17].z, -66.5f, 1e-5f);
    EXPECT_EQ(axes[14].z, -70.0f);
    EXPECT_EQ(axes[0].color, 0x00FFFFFFu);
    TALVEX_ControlSetLeftHand(handle);
    axes = SceneVertices(control->axisBuffer, 28);
    EXPECT_NEAR(axes[15].z, 66.5f, 1e-5f);
    EXPECT_NEAR(axes[17].z, 66.5f, 1e-5f);
    EXPECT_EQ(axes[14].z, 70.0f) << "the arrow tip";

    talvex::render::LockedRect locked{};
    ASSERT_EQ(control->slots[0].texture->LockRect(0, &locked, nullptr, 0), 0);
    const auto* texels = static_cast<const uint32_t*>(locked.bits);
    EXPECT_EQ(texels[0], 0x7FFF0080u);
    EXPECT_EQ(texels[8], 0x7FFF80C0u);
    EXPECT_EQ(texels[15 * 16 + 15], 0x7FFF0080u);
    control->slots[0].texture->UnlockRect(0);

    const talvex::Matrix& p = control->projectionMatrix;
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
    EXPECT_EQ(control->gridBuffer, nullptr);
    EXPECT_EQ(control->axisBuffer, nullptr);
    for (const auto& slot : control->slots) {
        EXPECT_EQ(slot.vertexBuffer, nullptr);
        EXPECT_EQ(slot.indexBuffer, nullptr);
        EXPECT_EQ(slot.texture, nullptr);
    }
    EXPECT_FALSE(control->ready);
}

TEST_F(NativeControl, FailedBufferCreationsAreSurvived) {
    talvex::soft::InjectedFaults().failingBufferCreations = 100;
    talvex::soft::InjectedFaults().failingTextureCreations = 100;
    ASSERT_EQ(Init(), 0);
    ASSERT_EQ(SetScript(0, "z = x"), 0);
    EXPECT_EQ(TALVEX_ControlCalculate(handle), TALVEX_E_FAIL);
    control->RenderFrame();
    EXPECT_EQ(TALVEX_ControlSize(handle, 100, 100), 0);
}

}  // namespace
