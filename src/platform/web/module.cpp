// What a page needs of the WebAssembly module beyond the library's own
// functions: the chart's picture as the bytes a canvas takes (red, green,
// blue, alpha), converted here rather than pixel by pixel in JavaScript.
#include <emscripten/emscripten.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "talvex_native.h"

// web/talvex-chart.js writes a style's fields at these places.
static_assert(sizeof(TalvexStyle) == 504 && offsetof(TalvexStyle, look) == 4 && offsetof(TalvexStyle, colorMap) == 8 &&
                  offsetof(TalvexStyle, colorBy) == 24 && offsetof(TalvexStyle, lighting) == 28 &&
                  offsetof(TalvexStyle, samples) == 32 && offsetof(TalvexStyle, axes) == 36 &&
                  offsetof(TalvexStyle, colorBar) == 40 && offsetof(TalvexStyle, equalAspect) == 44 &&
                  offsetof(TalvexStyle, textSize) == 48 && offsetof(TalvexStyle, title) == 56 &&
                  offsetof(TalvexStyle, axisNames) == 312,
              "the style's layout talvex-chart.js knows");

extern "C" {

// Draws the control's current view (as talvex_render_picture does) into
// width * height * 4 bytes at rgba, top row first, alpha 255. Returns
// talvex_render_picture's code; rgba is written only on success.
EMSCRIPTEN_KEEPALIVE int32_t talvex_web_picture(int32_t handle, uint8_t* rgba, int32_t width, int32_t height) {
    if (rgba == nullptr || width <= 0 || height <= 0) return talvex_render_picture(handle, nullptr, width, height);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    const int32_t result = talvex_render_picture(handle, pixels.data(), width, height);
    if (result != 0) return result;
    for (size_t i = 0; i < pixels.size(); ++i) {
        rgba[4 * i] = static_cast<uint8_t>(pixels[i] >> 16);
        rgba[4 * i + 1] = static_cast<uint8_t>(pixels[i] >> 8);
        rgba[4 * i + 2] = static_cast<uint8_t>(pixels[i]);
        rgba[4 * i + 3] = 255;
    }
    return 0;
}

}  // extern "C"
