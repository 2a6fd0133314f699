// The 24-bit bottom-up Windows bitmap file that snapshots are saved as: the
// render layer encodes pictures with it, and the devices save surfaces with it.
#pragma once

#include <cstdint>
#include <vector>

#include "common/graphics_device.h"

namespace talvex::render {

// The whole file for a picture of 0x??RRGGBB pixels, top row first, rows
// pitch pixels apart: 54-byte header, rows bottom-up padded to 4 bytes, the
// file padded to a multiple of 4, 2834 pixels per metre.
std::vector<uint8_t> EncodeBmp(int32_t width, int32_t height, const uint32_t* pixels, int32_t pitch);

// Writes the encoded file so that the target is either replaced whole or
// left exactly as it was: the bytes go into a new file beside it, which is
// flushed and then renamed over the target; on any failure the new file is
// removed. A null path gives kInvalidCall; a target that exists and is not a
// regular file (a directory, a device) gives kNotAFile and is not touched; a
// file that cannot be written gives kCannotWriteFile.
HResult WriteBmpFile(const char* path, int32_t width, int32_t height, const uint32_t* pixels, int32_t pitch);


// For tests: the next n picture writes fail after their file was created, as
// on a full disk.
void FailNextPictureWrites(int count);

}  // namespace talvex::render
