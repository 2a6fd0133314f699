// The chart look's command-line options, which talvex-plot and talvex-view
// share: read from the command line, then given to a chart.
#pragma once

#include <cstdint>
#include <string>

struct StyleOptions {
    std::string style, colorMap, title, labels;  // style "" is the chart look
    int samples = 0;  // 0: the look's default (4 for the chart look, 1 for classic)
    bool noAxes = false;
    bool equalAspect = false;
    bool azimuth = false, elevation = false;
    double azimuthValue = 0.0, elevationValue = 0.0;
};

// The options that take a value: --style, --colormap, --samples, --title,
// --labels, --azimuth, --elevation.
bool IsStyleOption(const std::string& option);

// Reads --equal-aspect, the flag among them; false for any other option.
bool ReadStyleFlag(const std::string& option, StyleOptions& options);

// Reads one of them; "" or why its value is wrong.
std::string ReadStyleOption(const std::string& option, const char* value, StyleOptions& options);

// Gives the chart the look the options ask for, then the chart look's eye;
// "" or what the chart refused, in its words.
std::string ApplyStyleOptions(int32_t chart, const StyleOptions& options);

// The options' lines of a --help text.
extern const char* const kStyleUsage;
