// Draws every classic cross-check scene with the library it is linked to
// and saves each as DIRECTORY/NAME.bmp.
#include "scene_drawing.h"
#include "scenes.h"

int main(int argc, char** argv) {
    return DrawScenes(argc, argv, kScenes, [](int32_t chart, const Scene& scene) {
        // The calculation comes after: the view's settings do not need it.
        if (scene.isometric) TALVEX_ControlSetIsometricView(chart);
        if (scene.zoom >= 0) TALVEX_ControlSetScale(chart, scene.zoom);
        if (scene.hidePointsAndAxes) {
            TALVEX_ControlSetPointVisible(chart, 0);
            TALVEX_ControlSetAxisVisible(chart, 0);
        }
        if (scene.leftHanded) TALVEX_ControlSetLeftHand(chart);
        if (scene.wireframe) TALVEX_ControlSetSolid(chart, 0);
        return 0;
    });
}
