// The chart's triangles drawn by Mesa's llvmpipe through OSMesa with OpenGL
// 1.x fixed function, pass for pass as the chart's frame draws them: each
// surface once with clockwise triangles culled at full brightness and once
// with counter-clockwise ones culled at half, textured with the slot's
// 16 x 16 chessboard, depth-tested against a 16-bit buffer.
#pragma once

#include <GL/osmesa.h>

#include <cstdint>
#include <vector>

#include "chart_scene.h"

// A context drawing into pixels (RGBA, width x height, top row first) made
// current on this thread; null when OSMesa could not make one.
OSMesaContext MakeMemoryContext(std::vector<uint8_t>& pixels, int width, int height);

class LlvmpipeCanvas {
public:
    // A context drawing into memory of this size, with the slots' geometry
    // and textures uploaded.
    LlvmpipeCanvas(int width, int height, const SceneSlots& slots);
    ~LlvmpipeCanvas();
    LlvmpipeCanvas(const LlvmpipeCanvas&) = delete;
    LlvmpipeCanvas& operator=(const LlvmpipeCanvas&) = delete;

    bool ok() const { return context_ != nullptr; }
    // Draws one frame and waits until it is in pixels(). The context is made
    // current when the canvas is made: one canvas a thread at a time.
    void Draw();
    // RGBA bytes, top row first.
    const std::vector<uint8_t>& pixels() const { return pixels_; }

private:
    struct Slot {
        GLuint vertices = 0, indices = 0, texture = 0;
        GLsizei indexCount = 0;
    };
    OSMesaContext context_ = nullptr;
    std::vector<uint8_t> pixels_;
    Slot slots_[kSceneSlots];
};
