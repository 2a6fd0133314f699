// Drawing one frame of a scene from what the control hands over: the view
// and, per slot, what its buffers hold.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

#include "common/color.h"
#include "common/matrix.h"
#include "graph/slot_geometry.h"
#include "render/chart_style.h"
#include "render/scene.h"

namespace talvex::render {

// How the chart is looked at and what of it is shown: the control's view
// settings, which it keeps in this one value and draws from as they are.
// The chart look's first view: matplotlib's, so that a chart turns up as its
// users know it.
constexpr float kChartAzimuth = -60.0f;
constexpr float kChartElevation = 30.0f;

struct View {
    // Turned about x first and about y second, in radians.
    float angleX = 0.0f;
    float angleY = 0.0f;
    // Turned by the right mouse button and the presets, kept for the host to
    // read, and not drawn: the chart has always ignored it.
    float angleZ = 0.0f;
    float scale = 1.0f;
    // Kept for the host like angleZ; no matrix uses it.
    float zDistance = 1.5f;
    Vector3 eye{0.0f, 0.0f, -240.0f};
    Vector3 lookAt{0.0f, 0.0f, 0.0f};
    Vector3 up{0.0f, 1.0f, 0.0f};
    Color backgroundColor = 0xFFFFFF;
    Color pointColor = 0x000000;
    bool pointsVisible = true;
    bool axesVisible = true;
    // Surfaces solid (a chessboard) or as the edges of their triangles.
    bool solid = true;
    // The chart look's eye, in degrees: its azimuth about z from x toward y
    // and its elevation above the x-y plane (within -90 .. 90).
    float azimuth = kChartAzimuth;
    float elevation = kChartElevation;
    ChartStyle style;
    // A host's range on each axis, or not-a-number at both ends for the
    // graphs' own: what a data slot maps onto the box, and what the chart
    // look's box spans (graphs beyond it are held at its faces).
    double rangeLow[3] = {NAN, NAN, NAN};
    double rangeHigh[3] = {NAN, NAN, NAN};
    bool HasRange(int axis) const { return !std::isnan(rangeLow[axis]); }
};

// What one slot's buffers hold, as the last calculation described it.
struct SlotDraw {
    // A slot without a script is not drawn at all.
    bool scripted = false;
    graph::GraphKind kind = graph::GraphKind::None;
    int32_t vertexCount = 0;
    int32_t primitiveCount = 0;
    Color primaryColor = 0;
    // The geometry the buffers were filled from, in the slot's own storage;
    // the chart look draws from it. Null when the slot has none.
    const graph::SlotGeometry* geometry = nullptr;
};

// The world and view matrices from the view, and the fixed render states.
void SetupCamera(Scene& scene, const View& view);

// The camera, then the frame up to EndScene: the background, the grid points
// and axes in the point colour, and every scripted slot whose buffers were
// filled. Needs the scene's device.
void DrawScene(Scene& scene, const View& view, const std::array<SlotDraw, kSlotCount>& slots);

// Shows the drawn frame in the device's window.
void PresentScene(Scene& scene);

}  // namespace talvex::render
