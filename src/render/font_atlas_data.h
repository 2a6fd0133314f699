// The built-in font as tools/font-atlas wrote it into font_atlas_data.cpp:
// one alpha atlas and, per pixel size, its glyphs sorted by code point.
// Nothing here is computed at run time, so every machine draws the same text.
#pragma once

#include <cstdint>

namespace talvex::render::font_data {

// The .notdef box is filed under this code point: the font has no glyph for
// U+0000, so it cannot collide with a real character.
constexpr char32_t kNotdefCodePoint = 0;

struct Glyph {
    char32_t codePoint;
    // The glyph's rectangle in the atlas, in texels; an empty one (a space)
    // draws nothing.
    uint16_t atlasX, atlasY;
    uint8_t width, height;
    // From the pen position on the baseline to the rectangle's top-left
    // corner: x to the right, y upwards, in whole pixels.
    int8_t bearingX, bearingY;
    // How far the pen moves on, in 1/64 pixel.
    int16_t advance;
};

struct FontSize {
    int32_t pixelSize;
    // Whole pixels above and below the baseline (both positive) and from one
    // baseline to the next.
    int32_t ascender, descender, lineHeight;
    const Glyph* glyphs;
    int32_t glyphCount;
};

// Alpha row by row, top row first; the sides are powers of two.
extern const int32_t kAtlasWidth;
extern const int32_t kAtlasHeight;
extern const uint8_t kAtlasAlpha[];

// Sorted by pixel size, smallest first.
extern const FontSize kFontSizes[];
extern const int32_t kFontSizeCount;

}  // namespace talvex::render::font_data
