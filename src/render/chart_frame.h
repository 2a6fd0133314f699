// The chart look's frame: z up, the eye at an azimuth and an elevation,
// each axis of the box spanning what the slots computed, surfaces coloured
// by a coordinate's value through a colour map and lit, the panes behind the
// graph shaded with grid lines at nice values.
#pragma once

#include <array>
#include <cstdint>

#include "common/matrix.h"
#include "render/frame.h"

namespace talvex::render {

// The box the chart look draws in: each axis's range of values in the
// scripts' coordinates and the half-side it gets in the world, where the box
// is centred at the origin and z is up.
struct ChartBox {
    std::array<double, 3> low{-1.0, -1.0, -1.0};
    std::array<double, 3> high{1.0, 1.0, 1.0};
    std::array<float, 3> extent{1.0f, 1.0f, 0.75f};

    // Where a value of the axis lies in the world.
    float ToWorld(int axis, double value) const;
};

// The finite range of every vertex of the slots that are drawn, per axis
// (a range of one value widened around it, none at all giving -1 .. 1; the
// host's range where it set one), and
// the box's sides: 4 : 4 : 3 as matplotlib's, or in proportion to the ranges
// when the style asks for one scale on all axes.
ChartBox MeasureChartBox(const View& view, const std::array<SlotDraw, kSlotCount>& slots);

// Where the eye looks from and how the world lands on the picture: an
// orthographic view whose scale keeps the whole box inside the picture's
// plot area from every direction, so that turning never resizes it.
struct ChartCamera {
    Vector3 right, up, forward;  // the picture's axes and the view direction, in the world
    Vector3 toEye;               // from the box toward the eye
    float pixelsPerUnit = 1.0f;
    float centreX = 0.0f, centreY = 0.0f;  // the box's centre in the picture, in pixels
    // The part of the picture the box is fitted into; around it the room
    // for the numbers, the names, the title and the colour bar.
    float areaLeft = 0.0f, areaTop = 0.0f, areaRight = 0.0f, areaBottom = 0.0f;
    // How far the box can reach left and right of its centre, in pixels,
    // from any azimuth.
    float halfWidth = 0.0f;
    // The world to clip space (row vectors, as the device multiplies).
    Matrix transform = Matrix::Identity();

    // A world point in picture pixels.
    void ToPicture(const Vector3& point, float& x, float& y) const;
    // The world point in the box's middle depth that lands on a picture
    // position.
    Vector3 FromPicture(float x, float y) const;
};

// The side of the box along an axis that lies behind the graph: the one
// away from the eye.
float BackSide(const ChartBox& box, const ChartCamera& camera, int axis);

ChartCamera MakeChartCamera(const View& view, const ChartBox& box, int32_t width, int32_t height);

// The chart look's frame up to EndScene. Needs the scene's device; the
// buffers and tables it draws with are made on its first call.
void DrawChartScene(Scene& scene, const View& view, const std::array<SlotDraw, kSlotCount>& slots);

}  // namespace talvex::render
