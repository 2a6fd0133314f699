// talvex-font-atlas FONT.ttf OUTPUT.cpp
//
// Rasterises the chart's font once, by hand, into a C++ source that the
// library compiles: the library itself never sees FreeType or the machine's
// fonts, so every build draws the same pixels. scripts/make-font-atlas runs
// it on DejaVu Sans and writes src/render/font_atlas_data.cpp.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

namespace {

// 12 px for tick numbers, 15 px for axis titles, 20 px for headings.
constexpr int32_t kPixelSizes[] = {12, 15, 20};

struct CodePointRange {
    char32_t first, last;
};

// What a chart's labels need: ASCII, Latin-1, Greek for parameter names, the
// true minus, the multiplication sign, the ellipsis, the middle dot and the
// superscripts of exponents. Code points the font lacks are left out.
constexpr CodePointRange kCodePointRanges[] = {
    {0x0020, 0x007E}, {0x00A0, 0x00FF}, {0x0370, 0x03FF}, {0x2026, 0x2026},
    {0x2070, 0x207B}, {0x2212, 0x2212},
};

// Light hinting snaps only vertical stems and heights to the pixel grid: small
// text stays crisp on its baseline and x-height while the shapes and advances
// keep the font's design. The auto-hinter is forced so that the result does
// not depend on which TrueType interpreter FreeType was built with.
constexpr FT_Int32 kLoadFlags = FT_LOAD_TARGET_LIGHT | FT_LOAD_FORCE_AUTOHINT;

// Empty texels between glyphs, so that a filtered sample at a glyph's edge
// never picks up its neighbour.
constexpr int32_t kGap = 1;

// Direct3D 8 hardware promises textures of 1024 texels a side at least.
constexpr int32_t kMaximumSide = 1024;

constexpr char32_t kNotdefCodePoint = 0;

struct RasterGlyph {
    int32_t sizeIndex = 0;
    char32_t codePoint = 0;
    int32_t width = 0, height = 0;
    int32_t bearingX = 0, bearingY = 0;
    int32_t advance = 0;  // 1/64 px
    std::vector<uint8_t> alpha;
    int32_t atlasX = 0, atlasY = 0;
};

struct SizeMetrics {
    int32_t ascender = 0, descender = 0, lineHeight = 0;
};

bool Fail(const std::string& message) {
    std::fprintf(stderr, "talvex-font-atlas: %s\n", message.c_str());
    return false;
}

int32_t CeilingPixels(FT_Pos value) { return static_cast<int32_t>((value + 63) >> 6); }

// Drops rows and columns without coverage at the bitmap's edges (the renderer
// pads some glyphs), moving the bearings along: the atlas holds ink only.
void TrimEmptyEdges(RasterGlyph& glyph) {
    auto at = [&glyph](int32_t column, int32_t row) {
        return glyph.alpha[static_cast<size_t>(row) * static_cast<size_t>(glyph.width) + static_cast<size_t>(column)];
    };
    int32_t left = glyph.width, right = -1, top = glyph.height, bottom = -1;
    for (int32_t row = 0; row < glyph.height; ++row)
        for (int32_t column = 0; column < glyph.width; ++column)
            if (at(column, row) != 0) {
                left = std::min(left, column);
                right = std::max(right, column);
                top = std::min(top, row);
                bottom = std::max(bottom, row);
            }
    std::vector<uint8_t> ink;
    for (int32_t row = top; row <= bottom; ++row)
        for (int32_t column = left; column <= right; ++column) ink.push_back(at(column, row));
    const bool empty = right < 0;
    glyph.bearingX = empty ? 0 : glyph.bearingX + left;
    glyph.bearingY = empty ? 0 : glyph.bearingY - top;
    glyph.width = empty ? 0 : right - left + 1;
    glyph.height = empty ? 0 : bottom - top + 1;
    glyph.alpha = std::move(ink);
}

// Renders one glyph of the face at its current size.
bool Rasterise(FT_Face face, FT_UInt glyphIndex, RasterGlyph& glyph) {
    if (FT_Load_Glyph(face, glyphIndex, kLoadFlags) != 0 || FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0)
        return Fail("cannot render glyph " + std::to_string(glyphIndex));
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.width = static_cast<int32_t>(bitmap.width);
    glyph.height = static_cast<int32_t>(bitmap.rows);
    glyph.bearingX = slot->bitmap_left;
    glyph.bearingY = slot->bitmap_top;
    glyph.advance = static_cast<int32_t>(slot->advance.x);
    if (glyph.width > 255 || glyph.height > 255 || glyph.bearingX < -128 || glyph.bearingX > 127 ||
        glyph.bearingY < -128 || glyph.bearingY > 127 || glyph.advance < 0 || glyph.advance > 32767)
        return Fail("glyph " + std::to_string(glyphIndex) + " does not fit the table's fields");
    glyph.alpha.resize(static_cast<size_t>(glyph.width) * static_cast<size_t>(glyph.height));
    for (int32_t row = 0; row < glyph.height; ++row)
        std::copy_n(bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch, glyph.width,
                    glyph.alpha.begin() + static_cast<std::ptrdiff_t>(row) * glyph.width);
    TrimEmptyEdges(glyph);
    return true;
}

// Shelves, tallest glyphs first, each glyph on the fullest shelf that still
// has room for it (short glyphs fill the ends of tall shelves); false when
// they do not fit width × height.
bool Pack(std::vector<RasterGlyph*>& order, int32_t width, int32_t height) {
    struct Shelf {
        int32_t y, height, x;
    };
    std::vector<Shelf> shelves;
    for (RasterGlyph* glyph : order) {
        if (glyph->width == 0 || glyph->height == 0) continue;
        if (glyph->width > width) return false;
        auto shelf = shelves.end();
        for (auto candidate = shelves.begin(); candidate != shelves.end(); ++candidate)
            if (candidate->x + glyph->width <= width && (shelf == shelves.end() || candidate->x > shelf->x))
                shelf = candidate;
        if (shelf == shelves.end()) {
            const int32_t y = shelves.empty() ? 0 : shelves.back().y + shelves.back().height + kGap;
            if (y + glyph->height > height) return false;
            // The order is by falling height, so the shelf's first glyph is its tallest.
            shelves.push_back({y, glyph->height, 0});
            shelf = shelves.end() - 1;
        }
        glyph->atlasX = shelf->x;
        glyph->atlasY = shelf->y;
        shelf->x += glyph->width + kGap;
    }
    return true;
}

// The smallest power-of-two atlas that holds every glyph, wider than tall
// where the two differ.
bool PackSmallest(std::vector<RasterGlyph>& glyphs, int32_t& width, int32_t& height) {
    std::vector<RasterGlyph*> order;
    for (RasterGlyph& glyph : glyphs) order.push_back(&glyph);
    // Every key is compared, so the layout never depends on the sort's stability.
    std::sort(order.begin(), order.end(), [](const RasterGlyph* a, const RasterGlyph* b) {
        return std::make_tuple(-a->height, -a->width, a->sizeIndex, a->codePoint) <
               std::make_tuple(-b->height, -b->width, b->sizeIndex, b->codePoint);
    });
    for (height = 64; height <= kMaximumSide; height *= 2)
        for (width = height; width <= std::min(2 * height, kMaximumSide); width *= 2)
            if (Pack(order, width, height)) return true;
    return Fail("the glyphs do not fit an atlas of " + std::to_string(kMaximumSide) + " texels a side");
}

std::string Hex(char32_t codePoint) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(codePoint));
    return text;
}

std::string SourceText(const std::string& fontName, const std::vector<RasterGlyph>& glyphs,
                       const std::vector<SizeMetrics>& metrics, int32_t width, int32_t height) {
    std::vector<uint8_t> atlas(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    for (const RasterGlyph& glyph : glyphs)
        for (int32_t row = 0; row < glyph.height; ++row)
            std::copy_n(glyph.alpha.begin() + static_cast<std::ptrdiff_t>(row) * glyph.width, glyph.width,
                        atlas.begin() + static_cast<std::ptrdiff_t>(glyph.atlasY + row) * width + glyph.atlasX);

    std::string text;
    text += "// Generated by tools/font-atlas (scripts/make-font-atlas) from " + fontName + ",\n";
    text += "// rasterised by FreeType " + std::to_string(FREETYPE_MAJOR) + "." + std::to_string(FREETYPE_MINOR) +
            "." + std::to_string(FREETYPE_PATCH) + "; the font's licence is third_party/dejavu/LICENSE.\n";
    text += "// Do not edit: run the script again.\n\n";
    text += "#include \"render/font_atlas_data.h\"\n\nnamespace talvex::render::font_data {\n\nnamespace {\n";
    for (size_t size = 0; size < metrics.size(); ++size) {
        text += "\n// code point, atlas x, y, width, height, bearing x, y, advance (1/64 px)\n";
        text += "const Glyph kGlyphs" + std::to_string(kPixelSizes[size]) + "[] = {\n";
        for (const RasterGlyph& glyph : glyphs) {
            if (glyph.sizeIndex != static_cast<int32_t>(size)) continue;
            text += "    {" + Hex(glyph.codePoint) + ", " + std::to_string(glyph.atlasX) + ", " +
                    std::to_string(glyph.atlasY) + ", " + std::to_string(glyph.width) + ", " +
                    std::to_string(glyph.height) + ", " + std::to_string(glyph.bearingX) + ", " +
                    std::to_string(glyph.bearingY) + ", " + std::to_string(glyph.advance) + "},\n";
        }
        text += "};\n";
    }
    text += "\n}  // namespace\n\n";
    text += "const int32_t kAtlasWidth = " + std::to_string(width) + ";\n";
    text += "const int32_t kAtlasHeight = " + std::to_string(height) + ";\n\n";
    text += "const FontSize kFontSizes[] = {\n";
    for (size_t size = 0; size < metrics.size(); ++size) {
        const std::string pixels = std::to_string(kPixelSizes[size]);
        text += "    {" + pixels + ", " + std::to_string(metrics[size].ascender) + ", " +
                std::to_string(metrics[size].descender) + ", " + std::to_string(metrics[size].lineHeight) +
                ", kGlyphs" + pixels + ", static_cast<int32_t>(sizeof kGlyphs" + pixels + " / sizeof(Glyph))},\n";
    }
    text += "};\nconst int32_t kFontSizeCount = " + std::to_string(metrics.size()) + ";\n\n";
    text += "const uint8_t kAtlasAlpha[" + std::to_string(atlas.size()) + "] = {\n";
    // One atlas row per line keeps a change to one glyph a change of few lines.
    for (int32_t row = 0; row < height; ++row) {
        std::string line;
        for (int32_t column = 0; column < width; ++column)
            line += std::to_string(atlas[static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(column)]) + ",";
        text += line + "\n";
    }
    text += "};\n\n}  // namespace talvex::render::font_data\n";
    return text;
}

// Writes beside the old file and renames over it only once complete, so that
// a failure leaves the committed source whole.
bool WriteReplacing(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".new";
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (out == nullptr) return Fail("cannot write " + temporary);
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return Fail("cannot write " + path);
    }
    return true;
}

bool Generate(const char* fontPath, const char* outputPath) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return Fail("cannot start FreeType");
    FT_Face face = nullptr;
    bool done = false;
    if (FT_New_Face(library, fontPath, 0, &face) != 0) {
        Fail(std::string("cannot open ") + fontPath);
    } else {
        std::vector<RasterGlyph> glyphs;
        std::vector<SizeMetrics> metrics;
        bool rendered = true;
        for (int32_t size = 0; rendered && size < static_cast<int32_t>(std::size(kPixelSizes)); ++size) {
            if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(kPixelSizes[size])) != 0) {
                rendered = Fail("cannot set " + std::to_string(kPixelSizes[size]) + " px");
                break;
            }
            const FT_Size_Metrics& sizeMetrics = face->size->metrics;
            metrics.push_back({CeilingPixels(sizeMetrics.ascender), CeilingPixels(-sizeMetrics.descender),
                               CeilingPixels(sizeMetrics.height)});
            // Glyph 0 is the font's .notdef box.
            RasterGlyph notdef;
            notdef.sizeIndex = size;
            notdef.codePoint = kNotdefCodePoint;
            rendered = Rasterise(face, 0, notdef);
            glyphs.push_back(std::move(notdef));
            for (const CodePointRange& range : kCodePointRanges)
                for (char32_t codePoint = range.first; rendered && codePoint <= range.last; ++codePoint) {
                    const FT_UInt index = FT_Get_Char_Index(face, codePoint);
                    if (index == 0) continue;
                    RasterGlyph glyph;
                    glyph.sizeIndex = size;
                    glyph.codePoint = codePoint;
                    rendered = Rasterise(face, index, glyph);
                    glyphs.push_back(std::move(glyph));
                }
        }
        int32_t width = 0, height = 0;
        if (rendered && PackSmallest(glyphs, width, height)) {
            std::string fontName = std::string(face->family_name) + " " + face->style_name;
            if (const auto* head = static_cast<const TT_Header*>(FT_Get_Sfnt_Table(face, FT_SFNT_HEAD))) {
                char version[32];
                std::snprintf(version, sizeof version, " %.2f", head->Font_Revision / 65536.0);
                fontName += version;
            }
            done = WriteReplacing(outputPath, SourceText(fontName, glyphs, metrics, width, height));
            if (done)
                std::printf("%s: %zu glyphs in %d x %d texels\n", outputPath, glyphs.size(), width, height);
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return done;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: talvex-font-atlas FONT.ttf OUTPUT.cpp\n");
        return 2;
    }
    return Generate(argv[1], argv[2]) ? 0 : 1;
}
