// The native window system's side for the software device: where a presented
// picture goes.
#pragma once

#include <cstdint>
#include <vector>

#include "common/window_system.h"

namespace talvex::window {

// Takes the picture (width * height values 0x00RRGGBB, top row first) as the
// window's last presented one. Where the window's former picture has the
// same size the two trade places instead of being copied: picture is left
// holding width * height values of no meaning either way.
__attribute__((visibility("default"))) void PresentPicture(WindowHandle window, std::vector<uint32_t>& picture,
                                                           int32_t width, int32_t height);

}  // namespace talvex::window
