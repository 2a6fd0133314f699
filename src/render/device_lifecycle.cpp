// Creating the window and the device, following a new size, recovering a
// lost device at the start of a frame, and releasing it all again.
#include <cstring>

#include "common/trace.h"
#include "control/chart_control.h"
#include "control/window_procedure.h"

namespace talvex {

using namespace render;

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

    direct3d = CreateDirect3D(kSdkVersion);
    if (direct3d == nullptr) return kNoDirect3D;

    DisplayMode mode{};
    HResult result = direct3d->GetAdapterDisplayMode(0, &mode);
    if (result != kOk) return result;

    presentParams = PresentParameters{};
    presentParams.backBufferWidth = static_cast<uint32_t>(width);
    presentParams.backBufferHeight = static_cast<uint32_t>(height);
    presentParams.backBufferFormat = mode.format;
    presentParams.backBufferCount = 1;
    presentParams.swapEffect = kSwapEffectDiscard;
    presentParams.deviceWindow = window;
    presentParams.windowed = 1;
    presentParams.enableAutoDepthStencil = 1;
    presentParams.autoDepthStencilFormat = kFormatD16;

    DeviceCaps caps{};
    uint32_t vertexProcessing = kCreateSoftwareVertexProcessing;
    if (direct3d->GetDeviceCaps(0, kDeviceTypeHal, &caps) == kOk &&
        (caps.devCaps & kDevCapsHardwareTransformAndLight) != 0)
        vertexProcessing = kCreateHardwareVertexProcessing;

    result = direct3d->CreateDevice(0, kDeviceTypeHal, window, vertexProcessing, &presentParams, &device);
    if (result != kOk || device == nullptr) {
        if (result == kOk) result = kFail;
        device = nullptr;
        // The description is the message itself; '%' in it must not be read
        // as a conversion.
        Trace().Output("%s", DescribeError(result));
        return result;
    }
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
    if (device == nullptr || newWidth == 0 || newHeight == 0) return kOk;

    ReleaseDeviceResources();
    presentParams.backBufferWidth = static_cast<uint32_t>(newWidth);
    presentParams.backBufferHeight = static_cast<uint32_t>(newHeight);
    if (device->TestCooperativeLevel() == kDeviceLost) return kOk;
    device->Reset(&presentParams);
    BuildDeviceResources();
    Calculate();
    return kOk;
}

bool ChartControl::PrepareDeviceForFrame() {
    const HResult state = device->TestCooperativeLevel();
    Trace().Indent();
    if (state == kDeviceLost) {
        Trace().Output("D3DERR_DEVICELOST");
        Trace().Unindent();
        return false;
    }
    if (state == kDeviceNotReset) {
        Trace().Output("D3DERR_DEVICENOTRESET");
        ReleaseDeviceResources();
        device->Reset(&presentParams);
        BuildDeviceResources();
        Calculate();
    }
    return true;
}

void ChartControl::RebuildForHandedness() {
    if (!visible || device == nullptr) return;
    ReleaseDeviceResources();
    BuildDeviceResources();
}

void ChartControl::ReleaseDevice() {
    if (bitmapHeader != nullptr) {
        window::FreeBlock(bitmapHeader);
        bitmapHeader = nullptr;
    }
    ReleaseDeviceResources();
    ReleaseAndClear(device);
    ReleaseAndClear(direct3d);
    // The window outlives the control: detach it so that later messages go
    // straight to the default handling instead of reaching freed memory.
    if (window != nullptr) {
        window::SetUserData(window, 0);
        window = nullptr;
    }
}

}  // namespace talvex
