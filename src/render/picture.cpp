// The picture of a scene in memory: one frame, read between drawing and
// presenting it, as the snapshot reads its saved frame.
#include "render/picture.h"

namespace talvex::render {

HResult DrawPicture(Scene& scene, FrameDrawer& frames, uint32_t* pixels, int32_t width, int32_t height) {
    const bool drawn = frames.Draw();
    HResult result = kDeviceLost;
    if (drawn) {
        // Asked for after the frame is drawn: a frame that recovered the
        // device may have replaced the render target.
        Surface* surface = nullptr;
        result = scene.device->GetRenderTarget(&surface);
        if (result == kOk) result = ReadSurfacePixels(surface, pixels, width, height);
        ReleaseAndClear(surface);
    }
    frames.Finish(drawn);
    return result;
}

}  // namespace talvex::render
