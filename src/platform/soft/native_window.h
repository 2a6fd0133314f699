// The native window system's side for the software device: where a presented
// picture goes.
#pragma once

#include <cstdint>

#include "platform/window_system.h"

namespace talvex::window {

// Keeps a copy of the picture (0x00RRGGBB, top row first) as the window's
// last presented one.
__attribute__((visibility("default"))) void PresentPicture(WindowHandle window, const uint32_t* pixels,
                                                           int32_t width, int32_t height);

}  // namespace talvex::window
