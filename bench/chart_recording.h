// One frame of a chart as the software device was asked to draw it: every
// draw's vertices in clip space, its state, and the textures it used. What
// llvmpipe replays to draw the very same triangles as the chart look.
#pragma once

#include <cstdint>
#include <vector>

struct RecordedVertex {
    float x, y, z, w;  // clip space, Direct3D's depth 0..w
    float u, v;
};

struct RecordedTexture {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> texels;  // 0xAARRGGBB, row by row
};

struct RecordedDraw {
    uint32_t type = 0;  // 4 triangles, 2 lines, 1 points (Direct3D's numbers)
    uint32_t firstVertex = 0, vertexCount = 0;
    int32_t texture = -1;  // into the recording's textures, or none
    uint32_t color = 0;    // 0xAARRGGBB the texels are multiplied by
    uint8_t blended = 0, depthTest = 0;
    int8_t cull = 0;  // 0 none, 1 clockwise triangles, 2 counter-clockwise ones
};

struct ChartRecording {
    int32_t width = 0, height = 0;
    uint32_t background = 0xFFFFFF;
    std::vector<RecordedDraw> draws;
    std::vector<RecordedVertex> vertices;
    std::vector<RecordedTexture> textures;
};

// Draws one picture of the chart (handle) and records what reached the
// software device; false when the picture failed.
bool RecordChartFrame(int32_t handle, int32_t width, int32_t height, ChartRecording& recording);
