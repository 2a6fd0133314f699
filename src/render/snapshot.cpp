// The BMP snapshot: two frames, the render target, the file.
#include "render/snapshot.h"

namespace talvex::render {

HResult SaveSnapshot(Scene& scene, const char* path, FrameDrawer& frames) {
    Surface* surface = nullptr;
    frames.Finish(frames.Draw());
    // The back buffer is discarded by Present, so the second frame is saved
    // after it is drawn and before it is presented. The target is asked for
    // only then: a frame that recovers the device makes a new one, and no
    // reference to it may be held across the device's reset.
    const bool drawn = frames.Draw();
    HResult result = kDeviceLost;  // a frame the device could not draw is no picture of the chart
    if (drawn) result = scene.device->GetRenderTarget(&surface);
    if (drawn && result == kOk) result = surface != nullptr ? SaveSurfaceToFile(path, kImageFileBmp, surface, nullptr, nullptr) : kFail;
    frames.Finish(drawn);
    ReleaseAndClear(surface);
    return result;
}

}  // namespace talvex::render
