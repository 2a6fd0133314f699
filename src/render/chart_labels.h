// Where the chart look's words go: the numbers along three edges of the box,
// the axes' names, the title and the colour bar with its numbers, placed on
// the picture so that none covers the graph or another.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/chart_frame.h"
#include "render/text.h"

namespace talvex::render {

// One line of text: its baseline's left end and the box it covers, in
// picture pixels, at a built font size.
struct PlacedText {
    std::string text;
    float x = 0.0f, y = 0.0f;
    TextBox box{};
    int32_t pixelSize = 0;
    bool number = false;  // a tick's number (names and the title are not)
};

// A straight line on the picture, in pixels.
struct PictureLine {
    float x0, y0, x1, y1;
};

struct ChartLabels {
    std::vector<PlacedText> texts;
    std::vector<PictureLine> edges;  // the three numbered edges of the box
    std::vector<PictureLine> marks;  // a short mark at each numbered tick
    // The colour bar's rectangle (empty when there is none) and the colour
    // axis's range from its bottom to its top.
    bool colorBar = false;
    float barLeft = 0.0f, barTop = 0.0f, barRight = 0.0f, barBottom = 0.0f;
};

// Which of the box's edges carry each axis's numbers: x and y along the
// floor's two edges nearest the eye, z up the vertical edge at the left of
// the outline. Each edge lies on the outline of the box as the picture shows
// it, between a face behind the graph and one in front, so that numbers
// pushed outward from it, perpendicular to it, never cover the box.
// Returns the edge's two ends in the world.
void NumberedEdge(const ChartBox& box, const ChartCamera& camera, int axis, Vector3& from, Vector3& to);

// Every word of the chart look and where it goes (the edges' only when the
// style shows axes, the colour bar's only when asked). Along each edge as many
// nice ticks as its length on the picture holds with their numbers apart;
// a number that would leave the picture or meet another is left out.
ChartLabels PlaceChartLabels(const ChartStyle& style, const ChartBox& box, const ChartCamera& camera, int32_t width,
                             int32_t height, bool colorBar);

// Whether two boxes share any pixel.
bool Overlap(const TextBox& a, const TextBox& b);

}  // namespace talvex::render
