// The scenes both devices draw for the cross-check, one table.
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
