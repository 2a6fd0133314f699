// The BMP snapshot: two frames, the render target, the file.
#include "control/chart_control.h"

namespace talvex {

using namespace render;

Result ChartControl::SaveBMP(const char* path) {
    if (device == nullptr) return kFail;
    if (path == nullptr) return kPointer;
    Surface* surface = nullptr;
    RenderFrame();
    device->GetRenderTarget(&surface);
    RenderFrame();
    const HResult result = SaveSurfaceToFile(path, kImageFileBmp, surface, nullptr, nullptr);
    ReleaseAndClear(surface);
    return result;
}

}  // namespace talvex
