// Pictures as files: reading the BMP files the chart writes, and writing PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// Reads a 24-bit bottom-up BMP file; false when it is not one.
bool ReadBmp(const std::string& path, Picture& picture);

// Writes an 8-bit RGB PNG file through libpng; false on failure, and then no
// file is left behind.
bool WritePng(const std::string& path, const Picture& picture);
