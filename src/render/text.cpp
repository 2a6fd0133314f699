#include "render/text.h"

#include <algorithm>
#include <cmath>

#include "render/font_atlas_data.h"

namespace talvex::render {

namespace {

// The four forms of a UTF-8 sequence, told apart by the lead byte's high bits:
// the lead byte's pattern, the sequence's length and the smallest code point
// it may carry (anything smaller is an overlong form).
struct SequenceForm {
    uint8_t leadMask, leadPattern;
    size_t length;
    char32_t minimum;
};
constexpr SequenceForm kSequenceForms[] = {
    {0x80, 0x00, 1, 0x0000},
    {0xE0, 0xC0, 2, 0x0080},
    {0xF0, 0xE0, 3, 0x0800},
    {0xF8, 0xF0, 4, 0x10000},
};

constexpr char32_t kReplacementCharacter = 0xFFFD;

struct Decoded {
    char32_t codePoint;
    size_t length;  // 0 when the bytes at the start are malformed
};

Decoded DecodeAt(std::string_view text, size_t at) {
    const auto lead = static_cast<uint8_t>(text[at]);
    for (const SequenceForm& form : kSequenceForms) {
        if ((lead & form.leadMask) != form.leadPattern) continue;
        if (text.size() - at < form.length) return {kReplacementCharacter, 0};
        char32_t codePoint = lead & static_cast<uint8_t>(~form.leadMask);
        for (size_t next = 1; next < form.length; ++next) {
            const auto byte = static_cast<uint8_t>(text[at + next]);
            if ((byte & 0xC0) != 0x80) return {kReplacementCharacter, 0};
            codePoint = (codePoint << 6) | (byte & 0x3F);
        }
        const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
        if (codePoint < form.minimum || codePoint > 0x10FFFF || surrogate) return {kReplacementCharacter, 0};
        return {codePoint, form.length};
    }
    // A continuation byte without a lead, or a lead of five bytes or more.
    return {kReplacementCharacter, 0};
}

const font_data::FontSize& BuiltSize(int32_t pixelSize) {
    const int32_t nearest = FontPixelSize(pixelSize);
    const font_data::FontSize* end = font_data::kFontSizes + font_data::kFontSizeCount;
    return *std::find_if(font_data::kFontSizes, end,
                         [nearest](const font_data::FontSize& size) { return size.pixelSize == nearest; });
}

// The glyph of a code point, or the .notdef box (first in every table) where
// the font has none.
const font_data::Glyph& GlyphOf(const font_data::FontSize& size, char32_t codePoint) {
    const font_data::Glyph* end = size.glyphs + size.glyphCount;
    const font_data::Glyph* found = std::lower_bound(
        size.glyphs, end, codePoint,
        [](const font_data::Glyph& glyph, char32_t wanted) { return glyph.codePoint < wanted; });
    return found != end && found->codePoint == codePoint ? *found : size.glyphs[0];
}

// Whole pixels from 1/64 pixel, halves up.
float WholePixels(int64_t sixtyFourths) { return static_cast<float>((sixtyFourths + 32) >> 6); }

// LayoutText, with quads left out when there is nowhere to put them.
TextBox Layout(std::string_view utf8, int32_t pixelSize, float x, float y, std::vector<GlyphQuad>* quads) {
    const font_data::FontSize& size = BuiltSize(pixelSize);
    // The origin on a pixel corner puts every glyph's texels on whole pixels.
    const float originX = std::floor(x + 0.5f);
    const float baseline = std::floor(y + 0.5f);
    const float atlasWidth = static_cast<float>(font_data::kAtlasWidth);
    const float atlasHeight = static_cast<float>(font_data::kAtlasHeight);
    // The pen keeps 1/64 pixel so that rounding never adds up along a line.
    int64_t pen = 0;
    for (size_t at = 0; at < utf8.size();) {
        const font_data::Glyph& glyph = GlyphOf(size, DecodeUtf8(utf8, at));
        if (quads != nullptr && glyph.width > 0 && glyph.height > 0) {
            const float left = originX + WholePixels(pen) + static_cast<float>(glyph.bearingX);
            const float top = baseline - static_cast<float>(glyph.bearingY);
            quads->push_back({left, top, left + static_cast<float>(glyph.width), top + static_cast<float>(glyph.height),
                              static_cast<float>(glyph.atlasX) / atlasWidth,
                              static_cast<float>(glyph.atlasY) / atlasHeight,
                              static_cast<float>(glyph.atlasX + glyph.width) / atlasWidth,
                              static_cast<float>(glyph.atlasY + glyph.height) / atlasHeight});
        }
        pen += glyph.advance;
    }
    return {originX, baseline - static_cast<float>(size.ascender), originX + WholePixels(pen),
            baseline + static_cast<float>(size.descender)};
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    for (size_t at = 0; at < text.size();) {
        const size_t length = DecodeAt(text, at).length;
        if (length == 0) return false;
        at += length;
    }
    return true;
}

char32_t DecodeUtf8(std::string_view text, size_t& at) {
    const Decoded decoded = DecodeAt(text, at);
    at += std::max<size_t>(decoded.length, 1);
    return decoded.codePoint;
}

const FontAtlas& BuiltInFontAtlas() {
    static const FontAtlas atlas{font_data::kAtlasWidth, font_data::kAtlasHeight, font_data::kAtlasAlpha};
    return atlas;
}

int32_t FontPixelSize(double pixelSize) {
    const int32_t largest = font_data::kFontSizes[font_data::kFontSizeCount - 1].pixelSize;
    // Infinity is no nearer to one size than to another.
    if (pixelSize >= largest) return largest;
    // The sizes rise, so a strictly nearer one is needed to move on: ties and
    // not-a-number stay with the smaller.
    int32_t nearest = font_data::kFontSizes[0].pixelSize;
    for (int32_t index = 1; index < font_data::kFontSizeCount; ++index) {
        const int32_t candidate = font_data::kFontSizes[index].pixelSize;
        if (std::fabs(candidate - pixelSize) < std::fabs(nearest - pixelSize)) nearest = candidate;
    }
    return nearest;
}

TextBox LayoutText(std::string_view utf8, int32_t pixelSize, float x, float y, std::vector<GlyphQuad>& quads) {
    return Layout(utf8, pixelSize, x, y, &quads);
}

TextBox MeasureText(std::string_view utf8, int32_t pixelSize) { return Layout(utf8, pixelSize, 0.0f, 0.0f, nullptr); }

}  // namespace talvex::render
