// Creating the window and the device, following a new size, recovering a
// lost device at the start of a frame, and releasing it all again.
#include <cstring>

#include "common/trace.h"
#include "control/chart_control.h"
#include "control/window_procedure.h"
#include "render/device_setup.h"

namespace talvex {

namespace {

constexpr uint32_t kBitmapHeaderBytes = 44;

// BITMAPINFOHEADER fields inside the header block.
struct BitmapInfoHeader {
    uint32_t size;
    int32_t width;
    int32_t height;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
};

BitmapInfoHeader* HeaderOf(void* block) { return static_cast<BitmapInfoHeader*>(block); }

}  // namespace

Result ChartControl::Init(window::WindowHandle parent, window::InstanceHandle instance, int32_t id) {
    Trace().Output("TALVEXCONTROL::Init");
    // A second Init starts afresh: the old device must not leak, and the old
    // window must no longer reach this control.
    ReleaseDevice();
    parentWindow = parent;

    windowClass = window::WindowClass{};
    windowClass.procedure = ChartClassProcedure;
    windowClass.instance = instance;
    windowClass.className = "chart";
    window::RegisterClass(windowClass);

    window = window::CreateWindowEx(0, "chart", nullptr, window::kStyleChild, 0, 0, 0, 0, parentWindow, id,
                                    instance, nullptr);
    if (window != nullptr) window::SetUserData(window, reinterpret_cast<intptr_t>(this));
    Show(window::kShowHide);

    bitmapHeader = window::AllocateZeroed(kBitmapHeaderBytes);
    if (bitmapHeader != nullptr) {
        HeaderOf(bitmapHeader)->size = 40;
        HeaderOf(bitmapHeader)->planes = 1;
        HeaderOf(bitmapHeader)->bitCount = 32;
    }

    width = 320;
    height = 240;
    scale = 1.0f;

    const render::HResult result = render::CreateSceneDevice(scene, window, width, height);
    if (result != kOk) return result;
    Trace().Indent();
    BuildDeviceResources();
    visible = true;
    Trace().Unindent();
    return kOk;
}

Result ChartControl::Size(int32_t newWidth, int32_t newHeight) {
    Trace().Output("TALVEXCONTROL::Size(%d, %d)", newWidth, newHeight);
    if (newWidth < 0 || newHeight < 0) return kOk;
    if (bitmapHeader != nullptr) {
        HeaderOf(bitmapHeader)->width = newWidth;
        HeaderOf(bitmapHeader)->height = newHeight;
    }
    width = newWidth;
    height = newHeight;
    if (scene.device == nullptr || newWidth == 0 || newHeight == 0) return kOk;

    ReleaseDeviceResources();
    scene.presentParams.backBufferWidth = static_cast<uint32_t>(newWidth);
    scene.presentParams.backBufferHeight = static_cast<uint32_t>(newHeight);
    if (scene.device->TestCooperativeLevel() == render::kDeviceLost) return kOk;
    scene.device->Reset(&scene.presentParams);
    BuildDeviceResources();
    Calculate();
    return kOk;
}

bool ChartControl::PrepareDeviceForFrame() {
    const render::HResult state = scene.device->TestCooperativeLevel();
    Trace().Indent();
    if (state == render::kDeviceLost) {
        Trace().Output("D3DERR_DEVICELOST");
        Trace().Unindent();
        return false;
    }
    if (state == render::kDeviceNotReset) {
        Trace().Output("D3DERR_DEVICENOTRESET");
        ReleaseDeviceResources();
        scene.device->Reset(&scene.presentParams);
        BuildDeviceResources();
        Calculate();
    }
    return true;
}

void ChartControl::RebuildForHandedness() {
    if (!visible || scene.device == nullptr) return;
    ReleaseDeviceResources();
    BuildDeviceResources();
}

void ChartControl::ReleaseDevice() {
    if (bitmapHeader != nullptr) {
        window::FreeBlock(bitmapHeader);
        bitmapHeader = nullptr;
    }
    ready = false;
    render::ReleaseSceneDevice(scene);
    // The window outlives the control: detach it so that later messages go
    // straight to the default handling instead of reaching freed memory.
    if (window != nullptr) {
        window::SetUserData(window, 0);
        window = nullptr;
    }
}

void ChartControl::BuildDeviceResources() {
    std::array<render::SlotColors, kSlotCount> colors{};
    for (size_t s = 0; s < colors.size(); ++s) colors[s] = {slots[s].primaryColor, slots[s].secondaryColor};
    render::BuildSceneResources(scene, leftHanded, colors);
}

Result ChartControl::ReleaseDeviceResources() {
    ready = false;
    render::ReleaseSceneResources(scene);
    return kOk;
}

}  // namespace talvex
