// The BMP snapshot: two frames, the render target, the file.
#include "render/snapshot.h"

namespace talvex::render {

HResult SaveSnapshot(Scene& scene, const char* path, FrameDrawer& frames) {
    Surface* surface = nullptr;
    frames.Finish(frames.Draw());
    scene.device->GetRenderTarget(&surface);
    // The back buffer is discarded by Present, so the second frame is saved
    // after it is drawn and before it is presented.
    const bool drawn = frames.Draw();
    // A frame the device could not draw is no picture of the chart.
    const HResult result = drawn ? SaveSurfaceToFile(path, kImageFileBmp, surface, nullptr, nullptr) : kDeviceLost;
    frames.Finish(drawn);
    ReleaseAndClear(surface);
    return result;
}

}  // namespace talvex::render
