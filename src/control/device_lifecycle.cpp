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
    // A parent that no longer exists could hold no chart window: refused
    // before anything is made or let go. A null parent makes a top-level
    // window, as it always did.
    if (parent != nullptr && window::IsWindow(parent) == 0) return kInvalidHandle;
    // A second Init starts afresh: the old device must not leak, and the old
    // window must no longer reach this control.
    ReleaseDevice();
    ReleaseWindow(false);
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
    // A side no device holds is refused before anything changes.
    if (newWidth > render::kMaximumSide || newHeight > render::kMaximumSide) return kInvalidArgument;
    if (scene.device == nullptr || newWidth == 0 || newHeight == 0) {
        TakeSize(newWidth, newHeight);
        return kOk;
    }

    const render::PresentParameters previous = scene.presentParams;
    std::array<bool, kSlotCount> filled{};
    for (size_t s = 0; s < filled.size(); ++s) filled[s] = scene.slots[s].buffersFilled;
    const bool wasReady = ready;
    ReleaseDeviceResources();
    scene.presentParams.backBufferWidth = static_cast<uint32_t>(newWidth);
    scene.presentParams.backBufferHeight = static_cast<uint32_t>(newHeight);
    if (scene.device->TestCooperativeLevel() == talvex::kDeviceLost) {
        // The size waits in the parameters for the reset that recovers the device.
        TakeSize(newWidth, newHeight);
        return kOk;
    }
    const render::HResult result = scene.device->Reset(&scene.presentParams);
    if (result != kOk) {
        RestoreAfterFailedReset(previous, filled, wasReady);
        return result;
    }
    TakeSize(newWidth, newHeight);
    BuildDeviceResources();
    Calculate();
    return kOk;
}

void ChartControl::TakeSize(int32_t newWidth, int32_t newHeight) {
    if (bitmapHeader != nullptr) {
        HeaderOf(bitmapHeader)->width = newWidth;
        HeaderOf(bitmapHeader)->height = newHeight;
    }
    width = newWidth;
    height = newHeight;
}

void ChartControl::RestoreAfterFailedReset(const render::PresentParameters& previous,
                                           const std::array<bool, kSlotCount>& filled, bool wasReady) {
    // A refused reset leaves the device waiting for one: back to the old back
    // buffer, with the buffers made again and filled from the geometry the
    // slots kept, and without a calculation, whose trace would say otherwise.
    scene.presentParams = previous;
    if (scene.device->Reset(&scene.presentParams) != kOk) {
        // A device that takes neither size is of no use: without it the
        // control paints nothing and its snapshots fail, rather than showing
        // an empty picture as the chart.
        render::ReleaseSceneDevice(scene);
        return;
    }
    BuildDeviceResources();
    for (size_t s = 0; s < filled.size(); ++s) {
        render::SlotBuffers& buffers = scene.slots[s];
        if (filled[s] && render::UploadSlotGeometry(buffers.vertexBuffer, buffers.indexBuffer, slots[s].geometry))
            buffers.buffersFilled = true;
    }
    ready = wasReady;
}

bool ChartControl::PrepareDeviceForFrame() {
    const render::HResult state = scene.device->TestCooperativeLevel();
    // Raised here for the whole frame; FinishFrame lowers it, drawn or not.
    Trace().Indent();
    if (state == talvex::kDeviceLost) {
        Trace().Output("D3DERR_DEVICELOST");
        return false;
    }
    if (state == talvex::kDeviceNotReset) {
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
}

void ChartControl::ReleaseWindow(bool destroy) {
    if (window == nullptr) return;
    // A window the host destroyed first may have left its handle to another
    // control's window: only a window that still carries this control is
    // touched.
    if (window::GetUserData(window) == reinterpret_cast<intptr_t>(this)) {
        // Detached, later messages (and those of its destruction) get the
        // default handling instead of reaching freed memory.
        window::SetUserData(window, 0);
        if (destroy) window::DestroyWindow(window);
    }
    window = nullptr;
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
