/* Initialises one chart and checks Init's result against EXPECTED; where
 * that is 0, it also draws a surface, saves it as PICTURE and checks that
 * something was drawn on the background. The test command runs it with one
 * of wine's Direct3D DLLs disabled, so a picture proves that the other one
 * drew it. Exit code 0 when all holds. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "talvex.h"

/* Whether the 24-bit BMP at path holds a pixel other than its first. */
static int drawnOn(const char *path) {
    unsigned char header[54];
    unsigned char pixel[3], first[3];
    long count = 0, differing = 0;
    FILE *file = fopen(path, "rb");
    if (file == NULL) return 0;
    if (fread(header, 1, sizeof header, file) == sizeof header && header[0] == 'B' && header[1] == 'M' &&
        header[28] == 24 && fread(first, 1, 3, file) == 3) {
        while (fread(pixel, 1, 3, file) == 3) {
            ++count;
            if (pixel[0] != first[0] || pixel[1] != first[1] || pixel[2] != first[2]) ++differing;
        }
    }
    fclose(file);
    /* Row padding reads as a few odd pixels at most; a drawn chart has many. */
    return count > 0 && differing > count / 100;
}

int main(int argc, char **argv) {
    char script[] = "z = sin(x)*cos(y)";
    HINSTANCE instance = GetModuleHandleA(NULL);
    WNDCLASSA windowClass;
    HWND window;
    int32_t chart, expected, result;

    if (argc != 3) {
        fprintf(stderr, "usage: direct3d_choice EXPECTED PICTURE\n");
        return 2;
    }
    expected = atoi(argv[1]);
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "talvex-direct3d-choice";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, "talvex-direct3d-choice", "TALVEX", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, NULL, NULL,
                             instance, NULL);

    chart = TALVEX_ControlCreate();
    result = TALVEX_ControlInit(chart, window, instance, 1);
    if (result != expected) {
        fprintf(stderr, "Init gave 0x%08lX, not %ld\n", (unsigned long)result, (long)expected);
        return 1;
    }
    if (result == 0) {
        TALVEX_ControlSetScript(chart, 0, script);
        TALVEX_ControlCalculate(chart);
        TALVEX_ControlShow(chart, SW_SHOW);
        result = TALVEX_SaveBMP(chart, argv[2]);
        if (result != 0 || !drawnOn(argv[2])) {
            fprintf(stderr, "no picture: SaveBMP gave 0x%08lX\n", (unsigned long)result);
            return 1;
        }
    } else if (TALVEX_SaveBMP(chart, argv[2]) != TALVEX_E_FAIL) {
        fprintf(stderr, "SaveBMP without a device did not give E_FAIL\n");
        return 1;
    }
    printf("Init gave %ld as expected%s\n", (long)expected, expected == 0 ? "; the chart was drawn" : "");
    TALVEX_ControlDestroy(chart);
    DestroyWindow(window);
    return 0;
}
