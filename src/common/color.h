// Colours: 0x00RRGGBB in every setting, 0xAARRGGBB inside the device.
#pragma once
#include <cstdint>

namespace talvex {

using Color = uint32_t;

constexpr uint32_t RedOf(Color c) { return (c >> 16) & 0xFFu; }
constexpr uint32_t GreenOf(Color c) { return (c >> 8) & 0xFFu; }
constexpr uint32_t BlueOf(Color c) { return c & 0xFFu; }
constexpr uint32_t AlphaOf(Color c) { return c >> 24; }
constexpr Color MakeColor(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace talvex
