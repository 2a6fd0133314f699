// The 24-bit bottom-up Windows bitmap file that snapshots are saved as.
#pragma once

#include <cstdint>
#include <vector>

#include "render/device.h"

namespace talvex::render {

// The whole file for a picture of 0x??RRGGBB pixels, top row first, rows
// pitch pixels apart: 54-byte header, rows bottom-up padded to 4 bytes, the
// file padded to a multiple of 4, 2834 pixels per metre.
std::vector<uint8_t> EncodeBmp(int32_t width, int32_t height, const uint32_t* pixels, int32_t pitch);

// Writes the encoded file in one piece. A null path gives kInvalidCall; a file
// that cannot be written gives kCannotWriteFile and is not left behind.
HResult WriteBmpFile(const char* path, int32_t width, int32_t height, const uint32_t* pixels, int32_t pitch);

constexpr HResult kCannotWriteFile = static_cast<HResult>(0x80070005u);  // E_ACCESSDENIED

}  // namespace talvex::render
