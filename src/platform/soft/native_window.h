// The native window system's side for the software device: where a presented
// picture goes.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/window_system.h"

namespace talvex::window {

// Keeps a copy of the picture (0x00RRGGBB, top row first) as the window's
// last presented one.
__attribute__((visibility("default"))) void PresentPicture(WindowHandle window, const uint32_t* pixels,
                                                           int32_t width, int32_t height);

// One draw of slot geometry, owned by the frame that made it.
struct MeshDraw {
    uint32_t primitive = 0;
    uint32_t color = 0;
    bool textured = false;
    bool wireframe = false;
    uint32_t cull = 0;
    std::vector<float> vertices;
    std::vector<uint32_t> indices;
};

// Keeps the slot geometry drawn in the frame just presented.
__attribute__((visibility("default"))) void PresentMesh(WindowHandle window, std::vector<MeshDraw> draws);

}  // namespace talvex::window
