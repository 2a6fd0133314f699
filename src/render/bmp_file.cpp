#include "render/bmp_file.h"

#include <cstdio>

namespace talvex::render {

namespace {

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    out[at] = static_cast<uint8_t>(value);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

size_t RoundUpTo4(size_t n) { return (n + 3) & ~static_cast<size_t>(3); }

}  // namespace

std::vector<uint8_t> EncodeBmp(int32_t width, int32_t height, const uint32_t* pixels, int32_t pitch) {
    const size_t w = width > 0 ? static_cast<size_t>(width) : 0;
    const size_t h = height > 0 ? static_cast<size_t>(height) : 0;
    const size_t rowBytes = RoundUpTo4(3 * w);
    const size_t fileSize = RoundUpTo4(54 + h * rowBytes);
    std::vector<uint8_t> out(fileSize, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<uint32_t>(fileSize));
    Put32(out, 10, 54);
    Put32(out, 14, 40);
    Put32(out, 18, static_cast<uint32_t>(w));
    Put32(out, 22, static_cast<uint32_t>(h));
    Put16(out, 26, 1);
    Put16(out, 28, 24);
    Put32(out, 38, 2834);
    Put32(out, 42, 2834);
    for (size_t row = 0; row < h; ++row) {
        // Bottom row of the picture first.
        const uint32_t* source = pixels + (h - 1 - row) * static_cast<size_t>(pitch);
        uint8_t* target = out.data() + 54 + row * rowBytes;
        for (size_t x = 0; x < w; ++x) {
            target[3 * x] = static_cast<uint8_t>(source[x]);
            target[3 * x + 1] = static_cast<uint8_t>(source[x] >> 8);
            target[3 * x + 2] = static_cast<uint8_t>(source[x] >> 16);
        }
    }
    return out;
}

HResult WriteBmpFile(const char* path, int32_t width, int32_t height, const uint32_t* pixels, int32_t pitch) {
    if (path == nullptr || pixels == nullptr) return kInvalidCall;
    const std::vector<uint8_t> file = EncodeBmp(width, height, pixels, pitch);
    std::FILE* out = std::fopen(path, "wb");
    if (out == nullptr) return kCannotWriteFile;
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        std::remove(path);  // no partial file is left behind
        return kCannotWriteFile;
    }
    return kOk;
}

}  // namespace talvex::render
