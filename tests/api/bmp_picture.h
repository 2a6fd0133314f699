// A saved BMP file read back as 0x00RRGGBB pixels, top row first.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct BmpPicture {
    int32_t width = 0, height = 0;
    long fileSize = -1;
    std::vector<uint32_t> pixels;

    static BmpPicture Load(const std::string& path) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (f == nullptr) return BmpPicture{};
        std::vector<unsigned char> bytes;
        unsigned char buffer[65536];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
        std::fclose(f);
        return Decode(bytes);
    }

    // The bytes of a whole file; fileSize is their count.
    static BmpPicture Decode(const std::vector<unsigned char>& bytes) {
        BmpPicture picture;
        picture.fileSize = static_cast<long>(bytes.size());
        if (bytes.size() < 54) return picture;
        auto read32 = [&](size_t at) {
            return static_cast<int32_t>(bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
                                        (static_cast<uint32_t>(bytes[at + 3]) << 24));
        };
        picture.width = read32(18);
        picture.height = read32(22);
        const size_t row = (3 * static_cast<size_t>(picture.width) + 3) & ~static_cast<size_t>(3);
        if (bytes.size() < 54 + row * static_cast<size_t>(picture.height)) return picture;
        picture.pixels.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
        for (int32_t y = 0; y < picture.height; ++y)
            for (int32_t x = 0; x < picture.width; ++x) {
                const unsigned char* p = &bytes[54 + static_cast<size_t>(picture.height - 1 - y) * row + 3 * static_cast<size_t>(x)];
                picture.pixels[static_cast<size_t>(y) * static_cast<size_t>(picture.width) + static_cast<size_t>(x)] =
                    (static_cast<uint32_t>(p[2]) << 16) | (p[1] << 8) | p[0];
            }
        return picture;
    }

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    int Count(uint32_t color) const {
        int n = 0;
        for (uint32_t p : pixels) n += p == color;
        return n;
    }
};
