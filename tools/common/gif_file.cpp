#include "gif_file.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

int Channel(uint32_t color, int channel) { return static_cast<int>((color >> (16 - 8 * channel)) & 0xFF); }

// A box of the colour space, over the histogram's cells (5 bits a channel).
struct Box {
    std::vector<uint32_t> cells;  // cell numbers r << 10 | g << 5 | b, with pixels in them
    int widest = 0;               // the channel the box spans most
    int span = 0;
};

void Measure(Box& box) {
    int low[3] = {31, 31, 31}, high[3] = {0, 0, 0};
    for (uint32_t cell : box.cells)
        for (int c = 0; c < 3; ++c) {
            const int value = static_cast<int>((cell >> (10 - 5 * c)) & 31);
            low[c] = std::min(low[c], value);
            high[c] = std::max(high[c], value);
        }
    box.span = -1;
    for (int c = 0; c < 3; ++c)
        if (high[c] - low[c] > box.span) {
            box.span = high[c] - low[c];
            box.widest = c;
        }
}

}  // namespace

std::vector<uint32_t> ChoosePalette(const std::vector<Picture>& frames) {
    std::vector<uint64_t> count(32768, 0);
    std::vector<std::array<uint64_t, 3>> sum(32768, {0, 0, 0});
    for (const Picture& frame : frames)
        for (uint32_t pixel : frame.pixels) {
            const uint32_t cell = ((pixel >> 9) & 0x7C00) | ((pixel >> 6) & 0x3E0) | ((pixel >> 3) & 0x1F);
            ++count[cell];
            for (int c = 0; c < 3; ++c) sum[cell][static_cast<size_t>(c)] += static_cast<uint64_t>(Channel(pixel, c));
        }
    std::vector<Box> boxes(1);
    for (uint32_t cell = 0; cell < 32768; ++cell)
        if (count[cell] > 0) boxes[0].cells.push_back(cell);
    Measure(boxes[0]);
    // Cut the box of the widest span at the median of its pixels along it.
    while (boxes.size() < 256) {
        auto widest = std::max_element(boxes.begin(), boxes.end(),
                                       [](const Box& a, const Box& b) { return a.span < b.span; });
        if (widest->span <= 0 || widest->cells.size() < 2) break;
        const int shift = 10 - 5 * widest->widest;
        std::sort(widest->cells.begin(), widest->cells.end(),
                  [shift](uint32_t a, uint32_t b) { return ((a >> shift) & 31) < ((b >> shift) & 31); });
        uint64_t total = 0, half = 0;
        for (uint32_t cell : widest->cells) total += count[cell];
        size_t cut = 0;
        while (cut + 1 < widest->cells.size() && half + count[widest->cells[cut]] <= total / 2)
            half += count[widest->cells[cut++]];
        cut = std::max<size_t>(cut, 1);
        Box upper;
        upper.cells.assign(widest->cells.begin() + static_cast<std::ptrdiff_t>(cut), widest->cells.end());
        widest->cells.resize(cut);
        Measure(*widest);
        Measure(upper);
        boxes.push_back(std::move(upper));
    }
    std::vector<uint32_t> palette;
    for (const Box& box : boxes) {
        uint64_t pixels = 0, channels[3] = {0, 0, 0};
        for (uint32_t cell : box.cells) {
            pixels += count[cell];
            for (int c = 0; c < 3; ++c) channels[c] += sum[cell][static_cast<size_t>(c)];
        }
        uint32_t color = 0;
        for (int c = 0; c < 3; ++c)
            color |= static_cast<uint32_t>((channels[c] + pixels / 2) / std::max<uint64_t>(pixels, 1)) << (16 - 8 * c);
        palette.push_back(color);
    }
    palette.resize(256, 0);
    return palette;
}

std::vector<uint8_t> DitherFrame(const Picture& frame, const std::vector<uint32_t>& palette) {
    // The nearest colour of each histogram cell, found once.
    std::vector<int16_t> nearest(32768, -1);
    const auto closest = [&](int r, int g, int b) {
        const uint32_t cell = static_cast<uint32_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
        if (nearest[cell] < 0) {
            int best = 0, bestDistance = 1 << 30;
            for (size_t i = 0; i < palette.size(); ++i) {
                const int dr = Channel(palette[i], 0) - ((r >> 3) * 8 + 4), dg = Channel(palette[i], 1) - ((g >> 3) * 8 + 4),
                          db = Channel(palette[i], 2) - ((b >> 3) * 8 + 4);
                const int distance = dr * dr + dg * dg + db * db;
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = static_cast<int>(i);
                }
            }
            nearest[cell] = static_cast<int16_t>(best);
        }
        return nearest[cell];
    };
    const int width = frame.width, height = frame.height;
    std::vector<uint8_t> indices(static_cast<size_t>(width) * static_cast<size_t>(height));
    // The error carried to this row and the next, in sixteenths, per channel.
    std::vector<std::array<int, 3>> here(static_cast<size_t>(width) + 2), next(static_cast<size_t>(width) + 2);
    for (int y = 0; y < height; ++y) {
        std::fill(next.begin(), next.end(), std::array<int, 3>{0, 0, 0});
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = frame.pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            int wanted[3];
            for (int c = 0; c < 3; ++c)
                wanted[c] = std::clamp(Channel(pixel, c) + here[static_cast<size_t>(x) + 1][static_cast<size_t>(c)] / 16, 0, 255);
            const int16_t index = closest(wanted[0], wanted[1], wanted[2]);
            indices[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = static_cast<uint8_t>(index);
            for (int c = 0; c < 3; ++c) {
                const int error = wanted[c] - Channel(palette[static_cast<size_t>(index)], c);
                here[static_cast<size_t>(x) + 2][static_cast<size_t>(c)] += error * 7;
                next[static_cast<size_t>(x)][static_cast<size_t>(c)] += error * 3;
                next[static_cast<size_t>(x) + 1][static_cast<size_t>(c)] += error * 5;
                next[static_cast<size_t>(x) + 2][static_cast<size_t>(c)] += error;
            }
        }
        std::swap(here, next);
    }
    return indices;
}

bool WriteAnimatedGif(const std::string& path, const std::vector<Picture>& frames, int delayHundredths,
                      std::string* reason) {
    const auto fail = [&](const std::string& why, GifFileType* gif) {
        if (gif != nullptr) {
            int ignored = 0;
            EGifCloseFile(gif, &ignored);
        }
        std::remove(path.c_str());
        if (reason != nullptr) *reason = why;
        return false;
    };
    if (frames.empty()) return fail("no frame to write", nullptr);
    const std::vector<uint32_t> palette = ChoosePalette(frames);
    int error = 0;
    // Made as any other file the tools write (the umask decides), not
    // readable by its owner alone as giflib's own open makes it.
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (descriptor < 0) return fail(std::strerror(errno), nullptr);
    GifFileType* gif = EGifOpenFileHandle(descriptor, &error);
    if (gif == nullptr) {
        close(descriptor);
        return fail(GifErrorString(error), nullptr);
    }
    EGifSetGifVersion(gif, true);
    GifColorType colors[256];
    for (size_t i = 0; i < 256; ++i)
        colors[i] = {static_cast<GifByteType>(Channel(palette[i], 0)), static_cast<GifByteType>(Channel(palette[i], 1)),
                     static_cast<GifByteType>(Channel(palette[i], 2))};
    ColorMapObject* map = GifMakeMapObject(256, colors);
    const int width = frames[0].width, height = frames[0].height;
    const bool screen = EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    if (!screen) return fail(GifErrorString(gif->Error), gif);
    // NETSCAPE2.0: loop forever.
    const GifByteType loop[3] = {1, 0, 0};
    if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
        EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") != GIF_OK || EGifPutExtensionBlock(gif, 3, loop) != GIF_OK ||
        EGifPutExtensionTrailer(gif) != GIF_OK)
        return fail(GifErrorString(gif->Error), gif);
    for (const Picture& frame : frames) {
        if (frame.width != width || frame.height != height) return fail("frames of different sizes", gif);
        GraphicsControlBlock control{};
        control.DelayTime = delayHundredths;
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        std::vector<uint8_t> indices = DitherFrame(frame, palette);
        if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) != GIF_OK ||
            EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) != GIF_OK)
            return fail(GifErrorString(gif->Error), gif);
        for (int y = 0; y < height; ++y)
            if (EGifPutLine(gif, indices.data() + static_cast<size_t>(y) * static_cast<size_t>(width), width) != GIF_OK)
                return fail(GifErrorString(gif->Error), gif);
    }
    if (EGifCloseFile(gif, &error) != GIF_OK) {
        std::remove(path.c_str());
        if (reason != nullptr) *reason = GifErrorString(error);
        return false;
    }
    return true;
}
