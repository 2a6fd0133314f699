// A recorded chart frame replayed by Mesa's llvmpipe through OSMesa with
// OpenGL's fixed function: the same triangles, lines, textures, colours,
// blending and depth tests as the software device was given, into a
// multisampled framebuffer (4 samples where llvmpipe offers it) resolved
// into memory.
#pragma once

#include <GL/osmesa.h>

#include <cstdint>
#include <vector>

#include "chart_recording.h"

class LlvmpipeChartCanvas {
public:
    // samples: 4 asks for multisampling, 1 for none.
    LlvmpipeChartCanvas(const ChartRecording& recording, int samples);
    ~LlvmpipeChartCanvas();
    LlvmpipeChartCanvas(const LlvmpipeChartCanvas&) = delete;
    LlvmpipeChartCanvas& operator=(const LlvmpipeChartCanvas&) = delete;

    bool ok() const { return context_ != nullptr; }
    // The samples per pixel the framebuffer has: 1 where multisampling was
    // not to be had.
    int samples() const { return samples_; }
    // Draws one frame and waits until it is in pixels(); the context is made
    // current when the canvas is made.
    void Draw();
    // RGBA bytes, top row first.
    const std::vector<uint8_t>& pixels() const { return pixels_; }

private:
    OSMesaContext context_ = nullptr;
    std::vector<uint8_t> pixels_;
    ChartRecording recording_;
    std::vector<unsigned> textures_;
    unsigned vertices_ = 0;
    unsigned framebuffer_ = 0, colorBuffer_ = 0, depthBuffer_ = 0;
    int samples_ = 1;
};
