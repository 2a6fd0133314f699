// Creating the window and the device, following a new size, recovering a
// lost device at the start of a frame, and releasing it all again.
#include "common/trace.h"
#include "control/chart_control.h"
#include "control/window_procedure.h"
#include "render/device_setup.h"

namespace talvex {

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
    parentWindow_ = parent;

    windowClass_ = window::WindowClass{};
    windowClass_.procedure = ChartClassProcedure;
    windowClass_.instance = instance;
    windowClass_.className = "chart";
    window::RegisterClass(windowClass_);

    window_ = window::CreateWindowEx(0, "chart", nullptr, window::kStyleChild, 0, 0, 0, 0, parentWindow_, id,
                                     instance, nullptr);
    if (window_ != nullptr) window::SetUserData(window_, reinterpret_cast<intptr_t>(this));
    Show(window::kShowHide);

    width_ = 320;
    height_ = 240;
    view_.scale = 1.0f;

    const render::HResult result = render::CreateSceneDevice(scene_, window_, width_, height_, view_.style.samples);
    if (result != kOk) return result;
    Trace().Indent();
    // A buffer or texture the device refused is told, and the control goes
    // on with what it has: its frames draw whatever was made.
    const Result built = BuildDeviceResources();
    visible_ = true;
    Trace().Unindent();
    return built;
}

Result ChartControl::Size(int32_t newWidth, int32_t newHeight) {
    return Size(newWidth, newHeight, scene_.presentParams.multiSampleType);
}

Result ChartControl::Size(int32_t newWidth, int32_t newHeight, uint32_t multiSampleType) {
    Trace().Output("TALVEXCONTROL::Size(%d, %d)", newWidth, newHeight);
    if (newWidth < 0 || newHeight < 0) return kOk;
    // A side no device holds is refused before anything changes.
    if (newWidth > render::kMaximumSide || newHeight > render::kMaximumSide) return kInvalidArgument;
    if (scene_.device == nullptr || newWidth == 0 || newHeight == 0) {
        width_ = newWidth;
        height_ = newHeight;
        // Waits in the parameters for the next device or reset.
        scene_.presentParams.multiSampleType = multiSampleType;
        return kOk;
    }

    const render::PresentParameters previous = scene_.presentParams;
    std::array<bool, kSlotCount> filled{};
    for (size_t s = 0; s < filled.size(); ++s) filled[s] = scene_.slots[s].buffersFilled;
    const bool wasReady = ready_;
    ReleaseDeviceResources();
    scene_.presentParams.backBufferWidth = static_cast<uint32_t>(newWidth);
    scene_.presentParams.backBufferHeight = static_cast<uint32_t>(newHeight);
    scene_.presentParams.multiSampleType = multiSampleType;
    if (scene_.device->TestCooperativeLevel() == kDeviceLost) {
        // The size waits in the parameters for the reset that recovers the device.
        width_ = newWidth;
        height_ = newHeight;
        return kOk;
    }
    const render::HResult result = scene_.device->Reset(&scene_.presentParams);
    if (result != kOk) {
        RestoreAfterFailedReset(previous, filled, wasReady);
        return result;
    }
    width_ = newWidth;
    height_ = newHeight;
    const Result built = BuildDeviceResources();
    // What the scripts make of the new buffers is the calculation's to
    // report: a host learns a script's failure from its own Calculate, and a
    // chart without scripts sizes as well as any. The size itself succeeded
    // unless the device refused a buffer or texture.
    Calculate();
    return built;
}

void ChartControl::RestoreAfterFailedReset(const render::PresentParameters& previous,
                                           const std::array<bool, kSlotCount>& filled, bool wasReady) {
    // A refused reset leaves the device waiting for one: back to the old back
    // buffer, with the buffers made again and filled from the geometry the
    // slots kept, and without a calculation, whose trace would say otherwise.
    scene_.presentParams = previous;
    if (scene_.device->Reset(&scene_.presentParams) != kOk) {
        // A device that takes neither size is of no use: without it the
        // control paints nothing and its snapshots fail, rather than showing
        // an empty picture as the chart.
        render::ReleaseSceneDevice(scene_);
        return;
    }
    BuildDeviceResources();
    for (size_t s = 0; s < filled.size(); ++s) {
        render::SlotBuffers& buffers = scene_.slots[s];
        if (filled[s] && render::UploadSlotGeometry(scene_.device, buffers, slots_[s].geometry))
            buffers.buffersFilled = true;
    }
    ready_ = wasReady;
}

bool ChartControl::PrepareDeviceForFrame() {
    const render::HResult state = scene_.device->TestCooperativeLevel();
    // Raised here for the whole frame; FinishFrame lowers it, drawn or not.
    Trace().Indent();
    if (state == kDeviceLost) {
        Trace().Output("D3DERR_DEVICELOST");
        return false;
    }
    if (state == kDeviceNotReset) {
        Trace().Output("D3DERR_DEVICENOTRESET");
        ReleaseDeviceResources();
        const render::HResult reset = scene_.device->Reset(&scene_.presentParams);
        if (reset != kOk) {
            // Nothing can be drawn on a device that is still waiting for a
            // reset; the next frame tries again.
            Trace().Output("    Reset failed: %d", reset);
            return false;
        }
        BuildDeviceResources();
        Calculate();
    }
    return true;
}

void ChartControl::RebuildForHandedness() {
    if (!visible_ || scene_.device == nullptr) return;
    ReleaseDeviceResources();
    BuildDeviceResources();
}

void ChartControl::ReleaseDevice() {
    ready_ = false;
    render::ReleaseSceneDevice(scene_);
}

void ChartControl::ReleaseWindow(bool destroy) {
    if (window_ == nullptr) return;
    // A window the host destroyed first may have left its handle to another
    // control's window: only a window that still carries this control is
    // touched.
    if (window::GetUserData(window_) == reinterpret_cast<intptr_t>(this)) {
        // Detached, later messages (and those of its destruction) get the
        // default handling instead of reaching freed memory.
        window::SetUserData(window_, 0);
        if (destroy) window::DestroyWindow(window_);
    }
    window_ = nullptr;
}

Result ChartControl::BuildDeviceResources() {
    std::array<render::SlotColors, kSlotCount> colors{};
    for (size_t s = 0; s < colors.size(); ++s) colors[s] = slots_[s].colors;
    const Result result = render::BuildSceneResources(scene_, leftHanded_, colors);
    if (result != kOk) Trace().Output("    a buffer or texture was refused: %d", result);
    return result;
}

void ChartControl::ReleaseDeviceResources() {
    ready_ = false;
    render::ReleaseSceneResources(scene_);
}

}  // namespace talvex
