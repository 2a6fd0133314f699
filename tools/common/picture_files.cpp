#include "picture_files.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

bool WritePng(const std::string& path, const Picture& picture, std::string* reason) {
    auto fail = [reason](int error) {
        if (reason != nullptr) *reason = error != 0 ? std::strerror(error) : "the picture could not be encoded";
        return false;
    };
    errno = 0;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return fail(errno);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    std::vector<unsigned char> row(3 * static_cast<size_t>(picture.width));
    bool written = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, out);
        png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png, 3);
        png_set_filter(png, 0, PNG_FILTER_UP);
        png_write_info(png, info);
        for (int32_t y = 0; y < picture.height; ++y) {
            for (int32_t x = 0; x < picture.width; ++x) {
                const uint32_t p = picture.pixels[static_cast<size_t>(y) * static_cast<size_t>(picture.width) + static_cast<size_t>(x)];
                row[3 * static_cast<size_t>(x)] = static_cast<unsigned char>(p >> 16);
                row[3 * static_cast<size_t>(x) + 1] = static_cast<unsigned char>(p >> 8);
                row[3 * static_cast<size_t>(x) + 2] = static_cast<unsigned char>(p);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    const int writeError = std::ferror(out) != 0 ? errno : 0;
    const bool closed = std::fclose(out) == 0;
    const int error = writeError != 0 ? writeError : closed ? 0 : errno;
    if (!written || !closed || writeError != 0) {
        std::remove(path.c_str());
        return fail(error);
    }
    return true;
}
