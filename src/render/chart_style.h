// The look of a chart beyond its view: the classic look (a chessboard, a
// point grid, arrows) or the chart look (z up, coloured by value, lit,
// panes behind the graph with grid lines), and what the chart look shows.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace talvex::render {

enum class Look : int32_t { Classic = 0, Chart = 1 };

// The coordinate whose value colours a vertex.
enum class ColorCoordinate : int32_t { X = 0, Y = 1, Z = 2 };

// The name that colours every slot in its own primary colour instead of a
// colour map.
constexpr const char* kSlotColorName = "slot";

struct ChartStyle {
    Look look = Look::Classic;
    std::string colorMap = "viridis";  // a colour map's name, or "slot"
    ColorCoordinate colorBy = ColorCoordinate::Z;
    bool lighting = true;
    int32_t samples = 1;  // per pixel
    bool axes = true;     // the panes behind the graph and their grid lines
    bool colorBar = true;
    bool equalAspect = false;  // one scale on all three axes
    double textSize = 15.0;    // pixels
    std::string title;
    std::array<std::string, 3> axisNames{"x", "y", "z"};
};

// The longest title and axis name a style takes, in bytes.
constexpr size_t kStyleTitleBytes = 255;
constexpr size_t kStyleAxisNameBytes = 63;

// Why the style cannot be drawn ("unknown colour map 'jet'"), or "" when it
// can.
std::string StyleRefusal(const ChartStyle& style);

}  // namespace talvex::render
