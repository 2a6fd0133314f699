/* A complete small TALVEX host on Windows: a resizable window with one chart,
 * the wheel zooming, a snapshot on F2. With the argument --snapshot FILE it
 * draws once, saves the picture and quits (the test command runs it so). */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "talvex.h"

static int32_t chart;

static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (chart != 0 && LOWORD(lParam) > 0 && HIWORD(lParam) > 0) {
            TALVEX_ControlMove(chart, 0, 0, LOWORD(lParam), HIWORD(lParam), 1);
            TALVEX_ControlSize(chart, LOWORD(lParam), HIWORD(lParam));
        }
        return 0;
    case WM_MOUSEWHEEL:
        TALVEX_ControlMouseWheel(chart, (TalvexWParam)wParam, (TalvexLParam)lParam);
        TALVEX_ControlInvalidate(chart, NULL, 0);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_F2) TALVEX_SaveBMP(chart, "chart.bmp");
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int main(int argc, char **argv) {
    char surface[] = "z = sin(x)*cos(y)";
    HINSTANCE instance = GetModuleHandleA(NULL);
    WNDCLASSA windowClass;
    HWND window;
    MSG message;
    int32_t result;

    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "talvex-example-host";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, "talvex-example-host", "TALVEX example", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                             CW_USEDEFAULT, CW_USEDEFAULT, 500, 400, NULL, NULL, instance, NULL);

    chart = TALVEX_ControlCreate();
    result = TALVEX_ControlInit(chart, window, instance, 1);
    if (result != 0) {
        fprintf(stderr, "Init failed: 0x%08lX\n", (unsigned long)result);
        return 1;
    }
    TALVEX_ControlSetScript(chart, 0, surface);
    TALVEX_ControlSetIsometricView(chart);
    TALVEX_ControlCalculate(chart);
    TALVEX_ControlShow(chart, SW_SHOW);

    if (argc == 3 && strcmp(argv[1], "--snapshot") == 0) {
        result = TALVEX_SaveBMP(chart, argv[2]);
        printf("%s: %s\n", argv[2], result == 0 ? "written" : "failed");
        TALVEX_ControlDestroy(chart);
        DestroyWindow(window);
        return result == 0 ? 0 : 1;
    }

    ShowWindow(window, SW_SHOW);
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    TALVEX_ControlDestroy(chart);
    return 0;
}
