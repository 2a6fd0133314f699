#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>

#include "render/color_map.h"

namespace {

using talvex::render::ColorMapFromName;
using talvex::render::ColorMapName;
using talvex::render::ColorMapNameText;
using talvex::render::MapColor;

constexpr ColorMapName kAllMaps[] = {ColorMapName::Viridis, ColorMapName::Magma, ColorMapName::Cividis,
                                     ColorMapName::Grey};

std::string Hex(uint32_t color) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", color);
    return text;
}

// Each map's first and last entries, as matplotlib's to_hex gives them.
const struct {
    ColorMapName map;
    uint32_t first, last;
} kEnds[] = {
    {ColorMapName::Viridis, 0x440154, 0xFDE725},
    {ColorMapName::Magma, 0x000004, 0xFCFDBF},
    {ColorMapName::Cividis, 0x00224E, 0xFEE838},
    {ColorMapName::Grey, 0x000000, 0xFFFFFF},
};

TEST(ColorMap, KnownEntriesAndTheInterpolationBetweenThem) {
    const struct {
        ColorMapName map;
        double t;
        uint32_t expected;
    } cases[] = {
        // Entries 64 and 128 as matplotlib's to_hex gives them.
        {ColorMapName::Viridis, 64 / 255.0, 0x3B528B},
        {ColorMapName::Viridis, 128 / 255.0, 0x21918C},
        {ColorMapName::Magma, 64 / 255.0, 0x51127C},
        {ColorMapName::Magma, 128 / 255.0, 0xB73779},
        {ColorMapName::Cividis, 64 / 255.0, 0x434E6C},
        {ColorMapName::Cividis, 128 / 255.0, 0x7D7C78},
        // Halfway between entries 0 (44 01 54) and 1 (44 02 56): 1.5 rounds up.
        {ColorMapName::Viridis, 0.5 / 255, 0x440255},
        // A quarter of the way from magma's 0 (00 00 04) to 1 (01 00 05).
        {ColorMapName::Magma, 0.25 / 255, 0x000004},
        {ColorMapName::Magma, 0.75 / 255, 0x010005},
        {ColorMapName::Grey, 0.25, 0x404040},  // 63.75
        {ColorMapName::Grey, 0.5, 0x808080},   // 127.5
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Hex(MapColor(c.map, c.t)), Hex(c.expected)) << ColorMapNameText(c.map) << " at " << c.t;
    }
}

TEST(ColorMap, EndsClampingAndNotANumber) {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    for (const auto& c : kEnds) {
        const char* name = ColorMapNameText(c.map);
        for (const double t : {0.0, -0.001, -5.0, -kInfinity, std::numeric_limits<double>::quiet_NaN()}) {
            EXPECT_EQ(Hex(MapColor(c.map, t)), Hex(c.first)) << name << " at " << t;
        }
        for (const double t : {1.0, 1.001, 7.0, kInfinity}) {
            EXPECT_EQ(Hex(MapColor(c.map, t)), Hex(c.last)) << name << " at " << t;
        }
    }
}

TEST(ColorMap, GreyIsAnEvenRampOfLightness) {
    uint32_t previous = 0;
    for (int step = 0; step <= 1000; ++step) {
        const double t = step / 1000.0;
        const uint32_t color = MapColor(ColorMapName::Grey, t);
        const uint32_t red = color >> 16, green = (color >> 8) & 0xFF, blue = color & 0xFF;
        EXPECT_TRUE(red == green && green == blue) << Hex(color) << " at " << t;
        EXPECT_GE(blue, previous & 0xFF) << "lightness falls at " << t;
        // Interpolating the 0 … 255 ramp is the ramp itself.
        EXPECT_EQ(static_cast<int>(blue), static_cast<int>(t * 255 + 0.5)) << t;
        previous = color;
    }
}

TEST(ColorMap, NamesRoundTripAndUnknownNamesAreRefused) {
    const struct {
        std::string_view name;
        ColorMapName map;
    } accepted[] = {
        {"viridis", ColorMapName::Viridis}, {"magma", ColorMapName::Magma}, {"cividis", ColorMapName::Cividis},
        {"grey", ColorMapName::Grey},       {"gray", ColorMapName::Grey},   {"Viridis", ColorMapName::Viridis},
        {"GREY", ColorMapName::Grey},
    };
    for (const auto& c : accepted) {
        ColorMapName map = ColorMapName::Magma == c.map ? ColorMapName::Grey : ColorMapName::Magma;
        EXPECT_TRUE(ColorMapFromName(c.name, map)) << c.name;
        EXPECT_EQ(map, c.map) << c.name;
    }
    for (const ColorMapName map : kAllMaps) {
        ColorMapName read = ColorMapName::Viridis == map ? ColorMapName::Grey : ColorMapName::Viridis;
        EXPECT_TRUE(ColorMapFromName(ColorMapNameText(map), read)) << ColorMapNameText(map);
        EXPECT_EQ(read, map) << ColorMapNameText(map);
    }
    EXPECT_STREQ(ColorMapNameText(ColorMapName::Grey), "grey");
    EXPECT_STREQ(ColorMapNameText(static_cast<ColorMapName>(4)), "");
    EXPECT_STREQ(ColorMapNameText(static_cast<ColorMapName>(-1)), "");

    using namespace std::string_literals;
    for (const std::string& name : {""s, "jet"s, "viridi"s, "viridis "s, " magma"s, "grey\0"s, "greys"s}) {
        ColorMapName map = ColorMapName::Cividis;
        EXPECT_FALSE(ColorMapFromName(name, map)) << '"' << name << '"';
        EXPECT_EQ(map, ColorMapName::Cividis) << "a refused name changed the map: " << name;
    }
}

}  // namespace
