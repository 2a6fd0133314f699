// The BMP snapshot of a scene: its render target saved between drawing a
// frame and presenting it.
#pragma once

#include "render/scene.h"

namespace talvex::render {

// The two halves of a frame as its owner draws them: Draw up to EndScene
// (false when nothing was drawn), then Finish with what Draw answered.
class FrameDrawer {
public:
    virtual bool Draw() = 0;
    virtual void Finish(bool drawn) = 0;

protected:
    virtual ~FrameDrawer() = default;
};

// Draws and presents one frame, then draws a second and writes it to path
// before presenting it. Needs the scene's device. When the second frame is not
// drawn (the device is lost) nothing is written and the result is
// kDeviceLost.
HResult SaveSnapshot(Scene& scene, const char* path, FrameDrawer& frames);

}  // namespace talvex::render
