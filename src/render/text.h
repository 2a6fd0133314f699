// The chart's text: UTF-8 read into code points and laid out, one line at a
// time, in the font built into the library (DejaVu Sans at 12, 15 and 20 px,
// see docs/font.md), so that every machine and build draws the same pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace talvex::render {

// Whether the bytes are well-formed UTF-8 (no overlongs, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// The code point that starts at byte `at`, moving `at` past it. A malformed
// or truncated sequence gives U+FFFD and moves on by one byte, so that the
// bytes after it are read again. `at` must be before the end.
char32_t DecodeUtf8(std::string_view text, size_t& at);

struct FontAtlas {
    int32_t width, height;
    const uint8_t* alpha;  // row by row, top row first
};

// The glyphs of every built size in one 8-bit coverage texture whose sides
// are powers of two, no more than 1024.
const FontAtlas& BuiltInFontAtlas();

// The built size nearest to pixelSize (ties go to the smaller; not-a-number
// gives the smallest).
int32_t FontPixelSize(double pixelSize);

struct GlyphQuad {
    float left, top, right, bottom;  // the glyph's pixels in the picture (whole pixels)
    float u0, v0, u1, v1;            // its texels in the atlas, 0..1 at texel edges
};

struct TextBox {
    float left, top, right, bottom;  // the laid-out text's extent in picture pixels
};

// Lays out one line of UTF-8 text at the built size nearest pixelSize with
// its baseline's left end at (x, y), y growing downwards. The origin is
// rounded to whole pixels so that each glyph's pixels fall on the picture's
// pixels one to one. A code point the font lacks (and any malformed byte)
// shows as the .notdef box, never as nothing. Appends the quads (spaces make
// none) and returns the box: ascender to descender, x from the origin to the
// last advance.
TextBox LayoutText(std::string_view utf8, int32_t pixelSize, float x, float y, std::vector<GlyphQuad>& quads);

// The box LayoutText would give at the origin (0, 0), without making quads.
TextBox MeasureText(std::string_view utf8, int32_t pixelSize);

}  // namespace talvex::render
