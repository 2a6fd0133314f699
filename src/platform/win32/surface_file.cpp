// The snapshot's file: a Direct3D surface of either version written as BMP.
#include "platform/win32/direct3d_adapter.h"
#include "common/bmp_file.h"

namespace talvex::render {

namespace {

// Back-buffer formats, numbered alike in Direct3D 8 and 9.
enum BackBufferFormat : uint32_t {
    kA8R8G8B8 = 21,
    kX8R8G8B8 = 22,
    kR5G6B5 = 23,
    kX1R5G5B5 = 24,
    kA1R5G5B5 = 25,
};

int BytesPerPixel(uint32_t format) {
    switch (format) {
    case kX8R8G8B8:
    case kA8R8G8B8:
        return 4;
    case kR5G6B5:
    case kX1R5G5B5:
    case kA1R5G5B5:
        return 2;
    default:
        return 0;
    }
}

// One pixel of a back-buffer format as 0x00RRGGBB.
uint32_t ToRgb(const uint8_t* pixel, uint32_t format) {
    switch (format) {
    case kX8R8G8B8:
    case kA8R8G8B8:
        return *reinterpret_cast<const uint32_t*>(pixel) & 0xFFFFFFu;
    case kR5G6B5: {
        const uint32_t p = *reinterpret_cast<const uint16_t*>(pixel);
        const uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
        return ((r * 255 + 15) / 31) << 16 | ((g * 255 + 31) / 63) << 8 | ((b * 255 + 15) / 31);
    }
    default: {  // X1R5G5B5, A1R5G5B5
        const uint32_t p = *reinterpret_cast<const uint16_t*>(pixel);
        const uint32_t r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
        return ((r * 255 + 15) / 31) << 16 | ((g * 255 + 15) / 31) << 8 | ((b * 255 + 15) / 31);
    }
    }
}

}  // namespace

HResult ConvertPixels(const void* bits, int32_t pitch, uint32_t format, int32_t width, int32_t height,
                      std::vector<uint32_t>& pixels) {
    const int bytes = BytesPerPixel(format);
    if (bytes == 0) return kInvalidCall;
    pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y) {
        const auto* row = static_cast<const uint8_t*>(bits) + static_cast<ptrdiff_t>(y) * pitch;
        for (int32_t x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                ToRgb(row + x * bytes, format);
    }
    return kOk;
}

HResult SaveSurfaceToFile(const char* path, uint32_t format, Surface* surface, const void* palette,
                          const Rect* sourceRect) {
    if (surface == nullptr || format != kImageFileBmp || palette != nullptr || sourceRect != nullptr)
        return kInvalidCall;
    if (path == nullptr) return kInvalidCall;
    std::vector<uint32_t> pixels;
    int32_t width = 0, height = 0;
    // Every surface the Windows devices hand out can read itself.
    const HResult result = static_cast<ReadableSurface*>(surface)->ReadPixels(pixels, width, height);
    if (result != kOk) return result;
    return WriteBmpFile(path, width, height, pixels.data(), width);
}

}  // namespace talvex::render
