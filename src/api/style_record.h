// The native interface's style record (TalvexStyle) and the chart's style
// value, each made from the other.
#pragma once

#include <string>

#include "render/chart_style.h"
#include "talvex_native.h"

namespace talvex::api {

// The record of a style, of the size this library knows.
TalvexStyle StyleRecord(const render::ChartStyle& style);

// The style a record asks for; false, with the reason in why, when the
// record itself is malformed (a size this library does not know, a string
// with no closing 0 in its array). Whether the style can be drawn is the
// chart's own check.
bool StyleFromRecord(const TalvexStyle& record, render::ChartStyle& style, std::string& why);

}  // namespace talvex::api
