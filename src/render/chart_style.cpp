// The checks a style passes before a chart takes it.
#include "render/chart_style.h"

#include <cmath>

#include "render/color_map.h"
#include "render/text.h"

namespace talvex::render {

namespace {

const char* const kCoordinateNames[3] = {"x", "y", "z"};

}  // namespace

std::string StyleRefusal(const ChartStyle& style) {
    if (style.look != Look::Classic && style.look != Look::Chart) return "the look is neither classic (0) nor chart (1)";
    ColorMapName map;
    if (style.colorMap != kSlotColorName && !ColorMapFromName(style.colorMap, map))
        return "unknown colour map '" + (IsValidUtf8(style.colorMap) ? style.colorMap : std::string("?")) +
               "': viridis, magma, cividis, grey or slot";
    const auto coordinate = static_cast<int32_t>(style.colorBy);
    if (coordinate < 0 || coordinate > 2) return "the colouring coordinate is not x (0), y (1) or z (2)";
    if (style.samples != 1 && style.samples != 4) return "samples per pixel must be 1 or 4";
    if (!(style.textSize >= 6.0 && style.textSize <= 96.0)) return "the text size is not between 6 and 96 pixels";
    if (style.title.size() > kStyleTitleBytes) return "the title is longer than 255 bytes";
    if (!IsValidUtf8(style.title)) return "the title is not UTF-8 text";
    for (size_t axis = 0; axis < style.axisNames.size(); ++axis) {
        const std::string& name = style.axisNames[axis];
        if (name.size() > kStyleAxisNameBytes)
            return std::string("the name of axis ") + kCoordinateNames[axis] + " is longer than 63 bytes";
        if (!IsValidUtf8(name)) return std::string("the name of axis ") + kCoordinateNames[axis] + " is not UTF-8 text";
    }
    return "";
}

}  // namespace talvex::render
