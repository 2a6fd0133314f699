// Drawing a table of cross-check scenes, one chart each: made in a host
// window at the scene's size, set up, given the scene's scripts, calculated
// and saved as DIRECTORY/NAME.bmp.
#pragma once

#include <cstdio>
#include <string>

#include "../api/host_window.h"
#include "talvex.h"

// setUp(chart, scene) gives the chart what the scene asks beyond its
// scripts; a result other than 0 is the scene's failure. Returns the
// program's exit status: 0 when every scene was saved.
template <typename SceneKind, size_t Count, typename SetUp>
int DrawScenes(int argc, char** argv, const SceneKind (&scenes)[Count], SetUp setUp) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    HostWindow host;
    int failures = 0;
    for (const SceneKind& scene : scenes) {
        const int32_t chart = TALVEX_ControlCreate();
        int32_t result = TALVEX_ControlInit(chart, host.handle(), host.instance(), 9);
        if (result == 0) result = TALVEX_ControlSize(chart, scene.width, scene.height);
        if (result == 0) result = setUp(chart, scene);
        for (int slot = 0; slot < 3 && result == 0; ++slot) {
            if (scene.scripts[slot] == nullptr) continue;
            std::string text = scene.scripts[slot];
            result = TALVEX_ControlSetScript(chart, slot, &text[0]);
        }
        // A chart without scripts has nothing to calculate (and says so):
        // it is drawn as it is.
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
