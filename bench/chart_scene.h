// The scene the renderer benchmark draws: a chart control of a given size
// with three 100 x 100 surfaces in the isometric view, made through the
// public interface of libtalvex.so, and the camera the chart draws it with.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "common/matrix.h"
#include "talvex.h"
#include "talvex_native.h"
#include "talvex_window.h"

constexpr int kSceneSlots = 3;
using SceneSlots = std::array<TalvexSlotGeometry, kSceneSlots>;

// The colours a new control gives its slots' chessboards, primary and
// secondary: llvmpipe paints the same textures.
constexpr uint32_t kSlotColors[kSceneSlots][2] = {
    {0xFF0080, 0xFF80C0},
    {0x0080FF, 0x80C0FF},
    {0xD0D080, 0xF0F0A0},
};

class ChartScene {
public:
    // dataSide 0: the three script surfaces; otherwise one grid of data of
    // dataSide x dataSide heights in slot 0 (MakeDataHeights), the others
    // empty.
    ChartScene(int width, int height, int dataSide = 0);
    ~ChartScene();
    ChartScene(const ChartScene&) = delete;
    ChartScene& operator=(const ChartScene&) = delete;

    // Whether the control was made and every slot it fills made a surface.
    bool ok() const { return ok_; }
    int32_t handle() const { return handle_; }
    // Each slot's geometry from the calculation; valid while the scene lives.
    const SceneSlots& slots() const { return slots_; }
    // The triangles one frame draws: every surface twice, once for each side.
    int64_t TrianglesPerFrame() const;

private:
    TalvexWindow host_;
    int32_t handle_;
    SceneSlots slots_{};
    bool ok_ = false;
};

// Heights over a side x side grid for data scenes: smooth hills with a few
// holes (values that are not numbers), row by row.
std::vector<double> MakeDataHeights(int side);

// World x view x projection of the chart at this size in the isometric view:
// row vectors, Direct3D's clip space (depth 0..w).
talvex::Matrix ChartTransform(int width, int height);
