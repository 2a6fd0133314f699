// The picture of a scene in memory: the frame its owner draws, read from the
// render target before it is presented. The native platform's alone (it
// reads the software device's surface).
#pragma once

#include <cstdint>

#include "render/scene.h"
#include "render/snapshot.h"

namespace talvex::render {

// Draws one frame with frames, copies it into pixels (width * height values
// 0x00RRGGBB, top row first), then finishes the frame (presents it). Needs the
// scene's device. kDeviceLost when the frame is not drawn; kInvalidCall when
// the render target is not width x height; pixels is then untouched.
HResult DrawPicture(Scene& scene, FrameDrawer& frames, uint32_t* pixels, int32_t width, int32_t height);

}  // namespace talvex::render
