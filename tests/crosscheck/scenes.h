// The scenes both devices draw for the cross-check: the classic look's,
// drawn through the 33 functions, and the chart look's.
#pragma once

#include <cstdint>

struct Scene {
    const char* name;
    int32_t width, height;
    const char* scripts[3];
    bool isometric;
    int32_t zoom;  // -1 keeps 1.0
    bool hidePointsAndAxes;
    bool leftHanded;
    bool wireframe;
};

constexpr Scene kScenes[] = {
    {"default", 320, 240, {nullptr, nullptr, nullptr}, false, -1, false, false, false},
    {"isometric", 320, 240, {nullptr, nullptr, nullptr}, true, -1, false, false, false},
    {"zoom-2", 320, 240, {"z = sin(x)*cos(y)", nullptr, nullptr}, true, 100, false, false, false},
    {"hidden-points-and-axes", 320, 240, {"z = sin(x)*cos(y)", nullptr, nullptr}, true, -1, true, false, false},
    {"solid-surface", 320, 240, {"z = sin(x)*cos(y)", nullptr, nullptr}, true, -1, false, false, false},
    {"left-handed", 320, 240, {"z = sin(x)*cos(y)", nullptr, nullptr}, true, -1, false, true, false},
    {"wireframe", 320, 240, {"z = sin(x)*cos(y)", nullptr, nullptr}, true, -1, false, false, true},
    {"curve-and-point", 320, 240, {"x = 4*cos(t)\r\ny = 4*sin(t)\r\nz = t/2", "x = 0-3\r\ny = 3\r\nz = 2", nullptr},
     true, -1, false, false, false},
    {"641x480", 641, 480, {"z = sqrt(x^2 + y^2)", "x = 5*cos(t)\r\ny = 5*sin(t)\r\nz = 0", nullptr}, true, -1,
     false, false, false},
};

// The chart look: numbered axes, panes, a colour bar, glyphs blended over
// the picture, colour tables as textures. minimumPercent: the share of pixels
// that must agree. With 4 samples per pixel the devices smooth edges each
// their own way (the software device averages a 2 x 2 grid; Direct3D has
// its own pattern, and wine on Xvfb's software OpenGL takes the
// multisampled back buffer but draws one sample a pixel), so the edges of
// that scene part by more than the 2 per channel the check allows; its
// minimum holds the rest of the picture (colours, panes, text) to the other.
struct ChartScene {
    const char* name;
    int32_t width, height;
    const char* scripts[3];
    int32_t samples;
    const char* colorMap;
    bool lighting;
    const char* title;
    double minimumPercent;
    // A host's grid of dataSide x dataSide heights in slot 2, or none: more
    // vertices than 16-bit indices name, drawn from buffers of 32-bit ones.
    int32_t dataSide = 0;
};

constexpr ChartScene kChartScenes[] = {
    {"chart-surface", 320, 240, {"z = sin(x)*cos(y)", nullptr, nullptr}, 1, "viridis", true, "Waves", 99.5},
    {"chart-unlit-magma", 320, 240, {"z = x*y/9", nullptr, nullptr}, 1, "magma", false, "", 99.5},
    {"chart-curve-and-point", 320, 240, {"x = 4*cos(t)\r\ny = 4*sin(t)\r\nz = t/2", "x = 0-3\r\ny = 3\r\nz = 2", nullptr},
     1, "viridis", true, "", 99.5},
    {"chart-4-samples", 400, 300, {"z = sqrt(x^2 + y^2)", nullptr, nullptr}, 4, "cividis", true, "Cone", 95.0},
    {"chart-large-data", 320, 240, {nullptr, nullptr, nullptr}, 1, "viridis", true, "Data", 99.5, 300},
};
