// Draws every cross-check scene with the library it is linked to and saves
// each as DIRECTORY/NAME.bmp.
#include <cstdio>
#include <string>

#include "../api/host_window.h"
#include "scenes.h"
#include "talvex.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_scenes DIRECTORY\n");
        return 2;
    }
    HostWindow host;
    int failures = 0;
    for (const Scene& scene : kScenes) {
        const int32_t chart = TALVEX_ControlCreate();
        int32_t result = TALVEX_ControlInit(chart, host.handle(), host.instance(), 9);
        TALVEX_ControlSize(chart, scene.width, scene.height);
        for (int slot = 0; slot < 3 && result == 0; ++slot) {
            if (scene.scripts[slot] == nullptr) continue;
            std::string text = scene.scripts[slot];
            result = TALVEX_ControlSetScript(chart, slot, &text[0]);
        }
        if (scene.isometric) TALVEX_ControlSetIsometricView(chart);
        if (scene.zoom >= 0) TALVEX_ControlSetScale(chart, scene.zoom);
        if (scene.hidePointsAndAxes) {
            TALVEX_ControlSetPointVisible(chart, 0);
            TALVEX_ControlSetAxisVisible(chart, 0);
        }
        if (scene.leftHanded) TALVEX_ControlSetLeftHand(chart);
        if (scene.wireframe) TALVEX_ControlSetSolid(chart, 0);
        TALVEX_ControlCalculate(chart);
        const std::string path = std::string(argv[1]) + "/" + scene.name + ".bmp";
        if (result == 0) result = TALVEX_SaveBMP(chart, path.c_str());
        if (result != 0) {
            std::fprintf(stderr, "%s: 0x%08X\n", scene.name, static_cast<unsigned>(result));
            ++failures;
        }
        TALVEX_ControlDestroy(chart);
    }
    return failures == 0 ? 0 : 1;
}
