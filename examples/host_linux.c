/* A complete small TALVEX host on Linux: one chart in a window of the native
 * window system, a surface and a curve, a turned view, a snapshot.
 * Usage: host_linux [picture.bmp] */
#include <stdio.h>
#include <string.h>

#include "talvex.h"
#include "talvex_window.h"

int main(int argc, char **argv) {
    const char *path = argc > 1 ? argv[1] : "host_linux.bmp";
    char surface[] = "z = sin(x)*cos(y)";
    char curve[] = "x = 4*cos(t)\r\ny = 4*sin(t)\r\nz = 2";
    TalvexWindow window = talvex_window_create(400, 300);
    int32_t chart = TALVEX_ControlCreate();
    int32_t result;

    if (chart == 0) return 1;
    result = TALVEX_ControlInit(chart, window, NULL, 1);
    if (result != 0) {
        fprintf(stderr, "Init failed: 0x%08X\n", (unsigned)result);
        return 1;
    }
    TALVEX_ControlSize(chart, 400, 300);
    result = TALVEX_ControlSetScript(chart, 0, surface);
    if (result == 0) result = TALVEX_ControlSetScript(chart, 1, curve);
    if (result != 0) {
        fprintf(stderr, "line %d: compile code %d\n", TALVEX_ControlScriptGetErrorLine(chart, 0) + 1, (int)result);
        return 1;
    }
    TALVEX_ControlSetIsometricView(chart);
    TALVEX_ControlSetBackgroundColor(chart, 0xF0F0F0);
    TALVEX_ControlCalculate(chart);
    TALVEX_ControlShow(chart, 5);
    result = TALVEX_SaveBMP(chart, path);
    printf("%s: %s\n", path, result == 0 ? "written" : "failed");
    TALVEX_ControlDestroy(chart);
    talvex_window_destroy(window);
    return result == 0 ? 0 : 1;
}
