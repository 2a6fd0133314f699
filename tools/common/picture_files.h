// Pictures as PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// Writes an 8-bit RGB PNG file through libpng; false on failure, and then no
// file is left behind and reason (when given) says why, in the system's words.
bool WritePng(const std::string& path, const Picture& picture, std::string* reason = nullptr);
