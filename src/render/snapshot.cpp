// The BMP snapshot: two frames, the render target, the file.
#include "control/chart_control.h"

namespace talvex {

using namespace render;

Result ChartControl::SaveBMP(const char* path) {
    if (device == nullptr) return kFail;
    Surface* surface = nullptr;
    RenderFrame();
    device->GetRenderTarget(&surface);
    // The back buffer is discarded by Present, so the second frame is saved
    // after it is drawn and before it is presented.
    const bool drawn = DrawFrame();
    const HResult result = SaveSurfaceToFile(path, kImageFileBmp, surface, nullptr, nullptr);
    FinishFrame(drawn);
    ReleaseAndClear(surface);
    return result;
}

}  // namespace talvex
