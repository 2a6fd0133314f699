// Reading the chart look's options and setting them on a chart.
#include "style_options.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "talvex_native.h"

const char* const kStyleUsage =
    "  --style chart|classic the look (default chart): chart draws z up, coloured\n"
    "                        by height through a colour map, lit, numbered axes,\n"
    "                        the panes behind the graph, a colour bar; classic\n"
    "                        the chessboard, point grid and arrows of the control\n"
    "  --colormap NAME       the chart look's colour map: viridis (default),\n"
    "                        magma, cividis, grey, or slot (each slot's colour)\n"
    "  --samples 1|4         samples per pixel: 4 (the chart look's default)\n"
    "                        smooths edges\n"
    "  --title TEXT          a title above the chart (UTF-8)\n"
    "  --labels X,Y,Z        the names of the axes (default x,y,z)\n"
    "  --equal-aspect        one scale on all three axes (a torus stays round)\n"
    "  --azimuth DEG         the chart look's eye about z (default -60)\n"
    "  --elevation DEG       the chart look's eye above the x-y plane (default 30)\n";

namespace {

// A number of degrees within +-360000; false for anything else.
bool ParseDegrees(const char* text, double& degrees) {
    char* end = nullptr;
    degrees = std::strtod(text, &end);
    return *text != '\0' && *end == '\0' && std::isfinite(degrees) && std::abs(degrees) <= 360000.0;
}

// Text into a record's array with its closing 0; false when it does not fit.
template <size_t Size>
bool CopyInto(const std::string& text, char (&out)[Size]) {
    if (text.size() >= Size) return false;
    std::memcpy(out, text.c_str(), text.size() + 1);
    return true;
}

}  // namespace

bool IsStyleOption(const std::string& option) {
    return option == "--style" || option == "--colormap" || option == "--samples" || option == "--title" ||
           option == "--labels" || option == "--azimuth" || option == "--elevation";
}

bool ReadStyleFlag(const std::string& option, StyleOptions& options) {
    if (option != "--equal-aspect") return false;
    options.equalAspect = true;
    return true;
}

std::string ReadStyleOption(const std::string& option, const char* value, StyleOptions& options) {
    const std::string text = value;
    if (option == "--style") {
        if (text != "classic" && text != "chart") return "--style takes classic or chart";
        options.style = text;
    } else if (option == "--colormap") {
        options.colorMap = text;
    } else if (option == "--samples") {
        if (text != "1" && text != "4") return "--samples takes 1 or 4";
        options.samples = text == "1" ? 1 : 4;
    } else if (option == "--title") {
        options.title = text;
    } else if (option == "--labels") {
        if (std::count(text.begin(), text.end(), ',') != 2) return "--labels takes three names: X,Y,Z";
        options.labels = text;
    } else if (option == "--azimuth") {
        if (!ParseDegrees(value, options.azimuthValue)) return "--azimuth takes a number of degrees";
        options.azimuth = true;
    } else if (option == "--elevation") {
        if (!ParseDegrees(value, options.elevationValue)) return "--elevation takes a number of degrees";
        options.elevation = true;
    }
    return "";
}

std::string ApplyStyleOptions(int32_t chart, const StyleOptions& options) {
    TalvexStyle style;
    talvex_default_style(&style);
    // The chart look unless classic is asked for, its edges smoothed unless
    // told otherwise; classic keeps the control's own pictures.
    if (options.style != "classic") {
        style.look = TALVEX_LOOK_CHART;
        style.samples = 4;
    }
    if (!options.colorMap.empty() && !CopyInto(options.colorMap, style.colorMap))
        return "unknown colour map '" + options.colorMap + "'";
    if (options.samples != 0) style.samples = options.samples;
    // The chart look's axes are its panes, grid lines and numbers.
    if (options.noAxes) style.axes = 0;
    if (options.equalAspect) style.equalAspect = 1;
    if (!CopyInto(options.title, style.title)) return "the title is longer than 255 bytes";
    if (!options.labels.empty()) {
        size_t start = 0;
        for (auto& name : style.axisNames) {
            const size_t comma = std::min(options.labels.find(',', start), options.labels.size());
            if (!CopyInto(options.labels.substr(start, comma - start), name)) return "an axis name is longer than 63 bytes";
            start = comma + 1;
        }
    }
    char why[256];
    if (talvex_set_style(chart, &style, why, sizeof why) != 0) {
        // A picture too large for 4 samples per pixel is drawn with one
        // when the samples were not asked for.
        if (options.samples != 0 || style.samples == 1) return why;
        style.samples = 1;
        if (talvex_set_style(chart, &style, why, sizeof why) != 0) return why;
    }
    if (options.azimuth || options.elevation) {
        if (style.look != TALVEX_LOOK_CHART) return "--azimuth and --elevation are the chart look's (--style chart)";
        double elevation = 0.0, azimuth = 0.0, roll = 0.0;
        talvex_get_view_angles(chart, &elevation, &azimuth, &roll);
        talvex_set_view_angles(chart, options.elevation ? options.elevationValue : elevation,
                               options.azimuth ? options.azimuthValue : azimuth, roll);
    }
    return "";
}
