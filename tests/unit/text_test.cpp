#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "render/font_atlas_data.h"
#include "render/text.h"

namespace {

using namespace talvex::render;

// Every built size, smallest first, as the data holds them.
std::vector<int32_t> BuiltSizes() {
    std::vector<int32_t> sizes;
    for (int32_t index = 0; index < font_data::kFontSizeCount; ++index)
        sizes.push_back(font_data::kFontSizes[index].pixelSize);
    return sizes;
}

const font_data::FontSize& SizeData(int32_t pixelSize) {
    for (int32_t index = 0; index < font_data::kFontSizeCount; ++index)
        if (font_data::kFontSizes[index].pixelSize == pixelSize) return font_data::kFontSizes[index];
    ADD_FAILURE() << "no built size " << pixelSize;
    return font_data::kFontSizes[0];
}

// The atlas texels a quad shows, in whole texels.
struct TexelRectangle {
    int32_t x, y, width, height;
};

TexelRectangle Texels(const GlyphQuad& quad) {
    const FontAtlas& atlas = BuiltInFontAtlas();
    return {static_cast<int32_t>(std::lround(quad.u0 * static_cast<float>(atlas.width))),
            static_cast<int32_t>(std::lround(quad.v0 * static_cast<float>(atlas.height))),
            static_cast<int32_t>(std::lround((quad.u1 - quad.u0) * static_cast<float>(atlas.width))),
            static_cast<int32_t>(std::lround((quad.v1 - quad.v0) * static_cast<float>(atlas.height)))};
}

int64_t Coverage(const TexelRectangle& texels) {
    const FontAtlas& atlas = BuiltInFontAtlas();
    int64_t sum = 0;
    for (int32_t row = texels.y; row < texels.y + texels.height; ++row)
        for (int32_t column = texels.x; column < texels.x + texels.width; ++column)
            sum += atlas.alpha[static_cast<size_t>(row) * static_cast<size_t>(atlas.width) + static_cast<size_t>(column)];
    return sum;
}

std::vector<GlyphQuad> Quads(std::string_view text, int32_t pixelSize, float x = 0.0f, float y = 0.0f) {
    std::vector<GlyphQuad> quads;
    LayoutText(text, pixelSize, x, y, quads);
    return quads;
}

bool IsWhole(float value) { return std::floor(value) == value; }

TEST(Utf8, ValidityOfByteSequences) {
    struct Case {
        const char* name;
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"empty", "", true},
        {"ASCII", "Axis 1.5", true},
        {"Latin-1 e acute", "caf\xC3\xA9", true},
        {"Latin-1 y diaeresis", "\xC3\xBF", true},
        {"Greek capital omega", "\xCE\xA9", true},
        {"Greek small alpha beta", "\xCE\xB1\xCE\xB2", true},
        {"minus sign", "\xE2\x88\x92" "1", true},
        {"replacement character itself", "\xEF\xBF\xBD", true},
        {"emoji, four bytes", "\xF0\x9F\x98\x80", true},
        {"largest code point", "\xF4\x8F\xBF\xBF", true},
        {"NUL inside", std::string("a\0b", 3), true},
        {"overlong slash in two bytes", "\xC0\xAF", false},
        {"overlong in two bytes, C1 lead", "\xC1\xBF", false},
        {"overlong in three bytes", "\xE0\x80\xAF", false},
        {"overlong in four bytes", "\xF0\x80\x80\xAF", false},
        {"first surrogate", "\xED\xA0\x80", false},
        {"last surrogate", "\xED\xBF\xBF", false},
        {"truncated two-byte", "\xC3", false},
        {"truncated three-byte", "\xE2\x88", false},
        {"truncated four-byte at the end", "A\xF0\x9F\x98", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"five-byte form", "\xF8\x88\x80\x80\x80", false},
        {"lone continuation byte", "\x80", false},
        {"lead without continuation", "\xC3(", false},
        {"byte FF", "\xFF", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.name;
}

TEST(Utf8, DecodingResumesOneByteAfterMalformedBytes) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<char32_t> codePoints;
    };
    const Case cases[] = {
        {"ASCII and Latin-1", "a\xC3\xA9", {U'a', 0xE9}},
        {"Greek and minus", "\xCE\xA9\xE2\x88\x92", {0x3A9, 0x2212}},
        {"four bytes then ASCII", "\xF0\x9F\x98\x80!", {0x1F600, U'!'}},
        {"lead without continuation", "\xC3(", {0xFFFD, U'('}},
        {"truncated three-byte", "\xE2\x88", {0xFFFD, 0xFFFD}},
        {"surrogate", "\xED\xA0\x80", {0xFFFD, 0xFFFD, 0xFFFD}},
        {"overlong", "\xC0\xAFx", {0xFFFD, 0xFFFD, U'x'}},
    };
    for (const Case& c : cases) {
        std::vector<char32_t> decoded;
        for (size_t at = 0; at < c.bytes.size();) decoded.push_back(DecodeUtf8(c.bytes, at));
        EXPECT_EQ(decoded, c.codePoints) << c.name;
    }
}

TEST(BuiltInFont, AtlasAndTablesAreWellFormed) {
    const FontAtlas& atlas = BuiltInFontAtlas();
    ASSERT_NE(atlas.alpha, nullptr);
    // Powers of two, small enough for every Direct3D 8 device and a lean
    // WebAssembly build.
    EXPECT_EQ(atlas.width & (atlas.width - 1), 0) << atlas.width;
    EXPECT_EQ(atlas.height & (atlas.height - 1), 0) << atlas.height;
    EXPECT_LE(atlas.width, 512);
    EXPECT_LE(atlas.height, 512);
    EXPECT_EQ(BuiltSizes(), (std::vector<int32_t>{12, 15, 20})) << "docs/font.md names these sizes";
    for (const int32_t pixelSize : BuiltSizes()) {
        const font_data::FontSize& size = SizeData(pixelSize);
        ASSERT_GT(size.glyphCount, 300) << pixelSize;
        EXPECT_EQ(size.glyphs[0].codePoint, font_data::kNotdefCodePoint) << pixelSize;
        EXPECT_GT(size.ascender + size.descender, pixelSize) << pixelSize;
        EXPECT_GE(size.lineHeight, size.ascender + size.descender - 1) << pixelSize;
        for (int32_t index = 0; index < size.glyphCount; ++index) {
            const font_data::Glyph& glyph = size.glyphs[index];
            if (index > 0) {
                EXPECT_LT(size.glyphs[index - 1].codePoint, glyph.codePoint) << pixelSize << " " << index;
            }
            EXPECT_LE(glyph.atlasX + glyph.width, atlas.width) << pixelSize << " U+" << std::hex << glyph.codePoint;
            EXPECT_LE(glyph.atlasY + glyph.height, atlas.height) << pixelSize << " U+" << std::hex << glyph.codePoint;
        }
    }
}

TEST(BuiltInFont, NearestBuiltSizeTiesGoToTheSmaller) {
    const std::vector<int32_t> sizes = BuiltSizes();
    ASSERT_FALSE(sizes.empty());
    struct Case {
        double asked;
        int32_t expected;
    };
    std::vector<Case> cases = {
        {0.0, sizes.front()},
        {-5.0, sizes.front()},
        {std::numeric_limits<double>::quiet_NaN(), sizes.front()},
        {1000.0, sizes.back()},
        {std::numeric_limits<double>::infinity(), sizes.back()},
    };
    for (size_t index = 0; index < sizes.size(); ++index) {
        cases.push_back({static_cast<double>(sizes[index]), sizes[index]});
        if (index + 1 == sizes.size()) continue;
        const double middle = (sizes[index] + sizes[index + 1]) / 2.0;
        cases.push_back({middle, sizes[index]});
        cases.push_back({middle + 0.01, sizes[index + 1]});
        cases.push_back({middle - 0.01, sizes[index]});
    }
    for (const Case& c : cases) EXPECT_EQ(FontPixelSize(c.asked), c.expected) << "asked " << c.asked;
}

TEST(TextLayout, HelloAdvancesLeftToRightWithoutOverlap) {
    for (const int32_t pixelSize : BuiltSizes()) {
        const std::vector<GlyphQuad> quads = Quads("Hello", pixelSize, 40.0f, 30.0f);
        ASSERT_EQ(quads.size(), 5u) << pixelSize;
        EXPECT_GE(quads[0].left, 40.0f) << pixelSize;
        for (size_t index = 1; index < quads.size(); ++index)
            EXPECT_GE(quads[index].left, quads[index - 1].right) << pixelSize << " glyph " << index;
        const TextBox box = MeasureText("Hello", pixelSize);
        EXPECT_GE(box.right - box.left, quads.back().right - 40.0f - 1.0f) << pixelSize;
    }
}

TEST(TextLayout, LayoutAppendsToTheQuadsItIsGiven) {
    std::vector<GlyphQuad> quads;
    LayoutText("ab", 12, 0.0f, 0.0f, quads);
    LayoutText("cde", 12, 0.0f, 20.0f, quads);
    ASSERT_EQ(quads.size(), 5u);
    EXPECT_LT(quads[1].top, quads[2].top) << "the second line keeps its own baseline";
}

TEST(TextLayout, SpaceWidensTheBoxWithoutAQuad) {
    for (const int32_t pixelSize : BuiltSizes()) {
        EXPECT_TRUE(Quads(" ", pixelSize).empty()) << pixelSize;
        EXPECT_GT(MeasureText(" ", pixelSize).right, 0.0f) << pixelSize;
        const TextBox joined = MeasureText("ab", pixelSize);
        const TextBox spaced = MeasureText("a b", pixelSize);
        EXPECT_EQ(spaced.right - joined.right, MeasureText(" ", pixelSize).right) << pixelSize;
        const std::vector<GlyphQuad> quads = Quads("a b", pixelSize);
        ASSERT_EQ(quads.size(), 2u) << pixelSize;
        EXPECT_EQ(quads[1].left - Quads("ab", pixelSize)[1].left, MeasureText(" ", pixelSize).right) << pixelSize;
    }
}

TEST(TextLayout, LettersOfEachScriptHaveInk) {
    for (const int32_t pixelSize : BuiltSizes()) {
        const font_data::Glyph& notdef = SizeData(pixelSize).glyphs[0];
        for (const char* letter : {"A", "\xCE\xA9", "\xC3\xA9", "\xE2\x88\x92", "\xC2\xB7", "\xE2\x81\xB9"}) {
            const std::vector<GlyphQuad> quads = Quads(letter, pixelSize);
            ASSERT_EQ(quads.size(), 1u) << pixelSize << " " << letter;
            const TexelRectangle texels = Texels(quads[0]);
            EXPECT_GT(Coverage(texels), 0) << pixelSize << " " << letter;
            EXPECT_FALSE(texels.x == notdef.atlasX && texels.y == notdef.atlasY)
                << pixelSize << " " << letter << " is not the .notdef box";
        }
    }
}

TEST(TextLayout, MissingCharactersAndMalformedBytesShowTheNotdefBox) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"CJK U+4E2D", "\xE4\xB8\xAD"},
        {"emoji U+1F600", "\xF0\x9F\x98\x80"},
        {"byte FF", "\xFF"},
        {"lone continuation byte", "\x80"},
        {"tab, a control character", "\t"},
    };
    for (const int32_t pixelSize : BuiltSizes()) {
        const font_data::Glyph& notdef = SizeData(pixelSize).glyphs[0];
        for (const Case& c : cases) {
            const std::vector<GlyphQuad> quads = Quads(c.bytes, pixelSize);
            ASSERT_EQ(quads.size(), 1u) << pixelSize << " " << c.name;
            const TexelRectangle texels = Texels(quads[0]);
            EXPECT_EQ(texels.x, notdef.atlasX) << pixelSize << " " << c.name;
            EXPECT_EQ(texels.y, notdef.atlasY) << pixelSize << " " << c.name;
            EXPECT_EQ(texels.width, notdef.width) << pixelSize << " " << c.name;
            EXPECT_EQ(texels.height, notdef.height) << pixelSize << " " << c.name;
            EXPECT_GT(Coverage(texels), 0) << pixelSize << " " << c.name;
            EXPECT_EQ(MeasureText(c.bytes, pixelSize).right, static_cast<float>((notdef.advance + 32) / 64))
                << pixelSize << " " << c.name;
        }
        // The byte after a malformed one is read again as the start of a character.
        const std::vector<GlyphQuad> quads = Quads("\xC3" "A", pixelSize);
        ASSERT_EQ(quads.size(), 2u) << pixelSize;
        EXPECT_EQ(Texels(quads[0]).x, notdef.atlasX) << pixelSize;
        EXPECT_EQ(Texels(quads[1]).x, Texels(Quads("A", pixelSize)[0]).x) << pixelSize;
    }
}

TEST(TextLayout, QuadsMapTexelsToPixelsOneToOne) {
    const std::string text = "\xCE\xA9 = 2\xCF\x80 \xC3\x97 10\xE2\x81\xBB\xC2\xB3 \xE2\x80\xA6 \xC3\x89t\xC3\xA9";
    const FontAtlas& atlas = BuiltInFontAtlas();
    for (const int32_t pixelSize : BuiltSizes()) {
        const std::vector<GlyphQuad> quads = Quads(text, pixelSize, 10.3f, 20.7f);
        ASSERT_FALSE(quads.empty()) << pixelSize;
        for (size_t index = 0; index < quads.size(); ++index) {
            const GlyphQuad& quad = quads[index];
            for (const float edge : {quad.left, quad.top, quad.right, quad.bottom})
                EXPECT_TRUE(IsWhole(edge)) << pixelSize << " glyph " << index << " edge " << edge;
            for (const float texel : {quad.u0 * static_cast<float>(atlas.width), quad.u1 * static_cast<float>(atlas.width),
                                      quad.v0 * static_cast<float>(atlas.height), quad.v1 * static_cast<float>(atlas.height)})
                EXPECT_TRUE(IsWhole(texel)) << pixelSize << " glyph " << index << " texel edge " << texel;
            const TexelRectangle texels = Texels(quad);
            EXPECT_EQ(static_cast<float>(texels.width), quad.right - quad.left) << pixelSize << " glyph " << index;
            EXPECT_EQ(static_cast<float>(texels.height), quad.bottom - quad.top) << pixelSize << " glyph " << index;
        }
        // A fractional origin snaps to the nearest pixel, and so does every glyph.
        const std::vector<GlyphQuad> snapped = Quads(text, pixelSize, 10.0f, 21.0f);
        ASSERT_EQ(snapped.size(), quads.size()) << pixelSize;
        for (size_t index = 0; index < quads.size(); ++index) {
            EXPECT_EQ(snapped[index].left, quads[index].left) << pixelSize << " glyph " << index;
            EXPECT_EQ(snapped[index].top, quads[index].top) << pixelSize << " glyph " << index;
        }
    }
}

TEST(TextLayout, LargerSizesMeasureLarger) {
    const std::vector<int32_t> sizes = BuiltSizes();
    for (const char* text : {"Hello", "-1.25", "\xCE\xB1\xCE\xB2\xCE\xB3"}) {
        for (size_t index = 1; index < sizes.size(); ++index) {
            const TextBox smaller = MeasureText(text, sizes[index - 1]);
            const TextBox larger = MeasureText(text, sizes[index]);
            EXPECT_LT(smaller.right - smaller.left, larger.right - larger.left) << text << " at " << sizes[index];
            EXPECT_LT(smaller.bottom - smaller.top, larger.bottom - larger.top) << text << " at " << sizes[index];
        }
    }
}

TEST(TextLayout, MeasureEqualsTheBoxOfTheLayout) {
    for (const int32_t pixelSize : BuiltSizes()) {
        const font_data::FontSize& size = SizeData(pixelSize);
        for (const char* text : {"", "Hello", " x ", "\xE2\x88\x92" "3.5\xC3\x97" "10\xC2\xB2", "\xE4\xB8\xAD\xFF"}) {
            std::vector<GlyphQuad> quads;
            const TextBox measured = MeasureText(text, pixelSize);
            const TextBox atOrigin = LayoutText(text, pixelSize, 0.0f, 0.0f, quads);
            EXPECT_EQ(measured.left, atOrigin.left) << pixelSize << " '" << text << "'";
            EXPECT_EQ(measured.top, atOrigin.top) << pixelSize << " '" << text << "'";
            EXPECT_EQ(measured.right, atOrigin.right) << pixelSize << " '" << text << "'";
            EXPECT_EQ(measured.bottom, atOrigin.bottom) << pixelSize << " '" << text << "'";
            EXPECT_EQ(measured.top, static_cast<float>(-size.ascender)) << pixelSize << " '" << text << "'";
            EXPECT_EQ(measured.bottom, static_cast<float>(size.descender)) << pixelSize << " '" << text << "'";
            // Elsewhere the box moves with the rounded origin and keeps its size.
            const TextBox moved = LayoutText(text, pixelSize, 99.6f, 50.2f, quads);
            EXPECT_EQ(moved.left, measured.left + 100.0f) << pixelSize << " '" << text << "'";
            EXPECT_EQ(moved.right, measured.right + 100.0f) << pixelSize << " '" << text << "'";
            EXPECT_EQ(moved.top, measured.top + 50.0f) << pixelSize << " '" << text << "'";
            EXPECT_EQ(moved.bottom, measured.bottom + 50.0f) << pixelSize << " '" << text << "'";
        }
    }
}

}  // namespace
