#include "render/device_setup.h"

#include "common/trace.h"

namespace talvex::render {

HResult CreateSceneDevice(Scene& scene, window::WindowHandle window, int32_t width, int32_t height, int32_t samples) {
    scene.direct3d = CreateDirect3D(kSdkVersion);
    if (scene.direct3d == nullptr) return kNoDirect3D;

    DisplayMode mode{};
    HResult result = scene.direct3d->GetAdapterDisplayMode(0, &mode);
    if (result != kOk) return result;

    PresentParameters& present = scene.presentParams;
    present = PresentParameters{};
    present.backBufferWidth = static_cast<uint32_t>(width);
    present.backBufferHeight = static_cast<uint32_t>(height);
    present.backBufferFormat = mode.format;
    present.backBufferCount = 1;
    present.swapEffect = kSwapEffectDiscard;
    present.multiSampleType = MultiSampleType(samples);
    present.deviceWindow = window;
    present.windowed = 1;
    present.enableAutoDepthStencil = 1;
    present.autoDepthStencilFormat = kFormatD16;

    DeviceCaps caps{};
    uint32_t vertexProcessing = kCreateSoftwareVertexProcessing;
    if (scene.direct3d->GetDeviceCaps(0, kDeviceTypeHal, &caps) == kOk &&
        (caps.devCaps & kDevCapsHardwareTransformAndLight) != 0)
        vertexProcessing = kCreateHardwareVertexProcessing;

    result = scene.direct3d->CreateDevice(0, kDeviceTypeHal, window, vertexProcessing, &present, &scene.device);
    if (result != kOk || scene.device == nullptr) {
        if (result == kOk) result = kFail;
        scene.device = nullptr;
        // The description is the message itself; '%' in it must not be read
        // as a conversion.
        Trace().Output("%s", DescribeError(result));
        return result;
    }
    return kOk;
}

uint32_t MultiSampleType(int32_t samples) { return samples == 4 ? kMultiSample4 : kMultiSampleNone; }

void ReleaseSceneDevice(Scene& scene) {
    ReleaseSceneResources(scene);
    ReleaseAndClear(scene.device);
    ReleaseAndClear(scene.direct3d);
}

}  // namespace talvex::render
