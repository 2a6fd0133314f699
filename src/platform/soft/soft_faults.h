// Faults the software device produces on request, so that tests reach every
// failure path of the control. Test-only and process-wide: devices on any
// thread read and use them up under one lock; tests set them while no other
// thread uses a control.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

#include "platform/soft/rasterizer.h"
#include "common/graphics_device.h"

namespace talvex::soft {

// What a draw asks the device for, as it reaches the rasteriser: handed to
// an observer (a benchmark that has another renderer draw the very same
// triangles) before the device draws it.
struct DrawObservation {
    uint32_t type;                   // kTriangleList, kLineList or kPointList
    const ClipVertex* vertices;      // the draw's vertices in order, in clip space
    size_t vertexCount;
    const uint32_t* texels;          // the texture's, row by row; null without one
    int32_t textureWidth, textureHeight;
    uint32_t color;                  // the lit colour, 0xAARRGGBB
    bool blended, depthTest, wireframe;
    Cull cull;
};

struct Faults {
    bool objectCreationFails = false;
    render::HResult displayModeResult = 0;
    render::HResult createDeviceResult = 0;
    render::HResult capsResult = 0;
    bool hardwareTransformAndLight = true;
    // TestCooperativeLevel answers these, one per call, then 0.
    std::deque<render::HResult> cooperativeLevels;
    // Reset answers these, one per call and without changing anything, then
    // resets for real.
    std::deque<render::HResult> resetResults;
    int failingBufferCreations = 0;
    int failingTextureCreations = 0;
    // Not a fault: a test's own way of filling triangles (the reference
    // rasteriser) in place of the device's, on one thread.
    void (*triangleFiller)(Target&, const TriangleSetup&, const Shading&) = nullptr;
    // Not a fault either: told of every draw before it is drawn.
    void (*drawObserver)(const DrawObservation&) = nullptr;
};

// The faults in force; tests reset them with Faults{}.
Faults& InjectedFaults();

// The vertex processing (behaviour flags) the last device was created with,
// so that tests see what the control asked for.
uint32_t LastBehaviorFlags();

}  // namespace talvex::soft
