#include "chart_scene.h"

#include <cmath>
#include <string>

#include "control/chart_control.h"
#include "render/frame.h"

namespace {

// 100 steps along x and along y: 101 x 101 samples, 100 x 100 cells,
// 20,000 triangles a surface. Lines end as a Windows host ends them.
const char* const kSurfaces[kSceneSlots] = {
    "z = sin(x)*cos(y)\r\nxgrid = 100\r\nygrid = 100",
    "z = sqrt(x^2 + y^2)\r\nxgrid = 100\r\nygrid = 100",
    "z = exp((x*x + y*y)/(0-8))*cos(x*y)*3\r\nxgrid = 100\r\nygrid = 100",
};

}  // namespace

ChartScene::ChartScene(int width, int height, int dataSide)
    : host_(talvex_window_create(width, height)), handle_(TALVEX_ControlCreate()) {
    if (TALVEX_ControlInit(handle_, host_, nullptr, 1) != 0) return;
    TALVEX_ControlSize(handle_, width, height);
    const int filled = dataSide > 0 ? 1 : kSceneSlots;
    if (dataSide > 0) {
        const std::vector<double> z = MakeDataHeights(dataSide);
        if (talvex_set_grid(handle_, 0, dataSide, dataSide, z.data(), nullptr, nullptr, nullptr, 0) != 0) return;
    } else {
        for (int s = 0; s < kSceneSlots; ++s) {
            // SetScript lower-cases the text in place: it gets a copy.
            std::string text = kSurfaces[s];
            if (TALVEX_ControlSetScript(handle_, s, text.data()) != 0) return;
        }
        if (TALVEX_ControlCalculate(handle_) != 0) return;
    }
    TALVEX_ControlSetIsometricView(handle_);
    // The comparison is about triangles: the grid points and the axes, a few
    // hundred pixels, are left out of both pictures.
    TALVEX_ControlSetPointVisible(handle_, 0);
    TALVEX_ControlSetAxisVisible(handle_, 0);
    for (int s = 0; s < kSceneSlots; ++s)
        if (talvex_get_slot_geometry(handle_, s, &slots_[static_cast<size_t>(s)]) != 0 ||
            (s < filled && slots_[static_cast<size_t>(s)].kind != TALVEX_GRAPH_SURFACE)) return;
    ok_ = true;
}

std::vector<double> MakeDataHeights(int side) {
    std::vector<double> z(static_cast<size_t>(side) * static_cast<size_t>(side));
    for (int row = 0; row < side; ++row)
        for (int column = 0; column < side; ++column) {
            const double x = 6.0 * column / side - 3.0, y = 6.0 * row / side - 3.0;
            z[static_cast<size_t>(row) * static_cast<size_t>(side) + static_cast<size_t>(column)] =
                std::sin(2 * x) * std::cos(2 * y) * std::exp(-(x * x + y * y) / 8);
        }
    // A few holes, as measured data has.
    for (int k = 1; k <= 16; ++k) z[static_cast<size_t>(k) * z.size() / 17] = std::nan("");
    return z;
}

ChartScene::~ChartScene() {
    TALVEX_ControlDestroy(handle_);
    talvex_window_destroy(host_);
}

int64_t ChartScene::TrianglesPerFrame() const {
    int64_t triangles = 0;
    for (const TalvexSlotGeometry& slot : slots_) triangles += 2 * (slot.indexCount / 3);
    return triangles;
}

// The chart's own arithmetic: SetupCamera's world and view for the view of
// a new control turned to the isometric angles, and the projection
// BuildSceneResources makes for the back buffer's aspect.
talvex::Matrix ChartTransform(int width, int height) {
    using talvex::Matrix;
    talvex::render::View view;
    view.angleX = talvex::kIsometricAngleX;
    view.angleY = talvex::kIsometricAngleY;
    const Matrix world = Matrix::Scaling(view.scale, view.scale, view.scale);
    const Matrix turn = Matrix::RotationX(view.angleX) * Matrix::RotationY(view.angleY);
    const Matrix camera =
        Matrix::LookAtLH(TransformCoord(view.eye, turn), view.lookAt, TransformCoord(view.up, turn));
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    const Matrix projection = Matrix::PerspectiveFovLH(0.7853982f, aspect, 0.5f, 500.0f);
    return world * camera * projection;
}
