// talvex-demo: a Windows program hosting one TALVEX chart control in a
// resizable window. Script files on the command line go into slots 0, 1, 2;
// without them a built-in set is shown.
//
// Mouse: left drag turns the view, right drag rolls it, middle click resets;
// the wheel zooms. Keys: W solid/wireframe, P points, A axes, H handedness,
// D default view, I isometric view, S save chart.bmp, Esc quit.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../common/line_ends.h"
#include "talvex.h"

namespace {

const int kChartId = 100;
// A line of help below the chart.
const int kStatusHeight = 22;
const char* const kHelp = "drag: turn  wheel: zoom  W wireframe  P points  A axes  H handedness  D/I views  S save";

const char* const kBuiltInScripts[] = {
    "# a surface\r\nz = sin(x)*cos(y)\r\n",
    "# a helix around it\r\nx = 4*cos(3*t)\r\ny = 4*sin(3*t)\r\nz = t - 3\r\n",
    "# a point above\r\nx = 0\r\ny = 0\r\nz = 4\r\n",
};

int32_t chart = 0;
bool leftHanded = false;

void Redraw() { TALVEX_ControlInvalidate(chart, nullptr, 0); }

void OnKey(HWND window, WPARAM key) {
    switch (key) {
    case 'W':
        TALVEX_ControlSetSolid(chart, !TALVEX_ControlIsSolid(chart));
        break;
    case 'P':
        TALVEX_ControlSetPointVisible(chart, !TALVEX_ControlIsPointVisible(chart));
        break;
    case 'A':
        TALVEX_ControlSetAxisVisible(chart, !TALVEX_ControlIsAxisVisible(chart));
        break;
    case 'H':
        leftHanded = !leftHanded;
        if (leftHanded) TALVEX_ControlSetLeftHand(chart);
        else TALVEX_ControlSetRightHand(chart);
        TALVEX_ControlCalculate(chart);  // the rebuilt buffers wait for a calculation
        break;
    case 'D':
        TALVEX_ControlSetDefaultView(chart);
        break;
    case 'I':
        TALVEX_ControlSetIsometricView(chart);
        break;
    case 'S': {
        const int32_t result = TALVEX_SaveBMP(chart, "chart.bmp");
        SetWindowTextA(window, result == 0 ? "TALVEX demo - saved chart.bmp" : "TALVEX demo - could not save");
        break;
    }
    case VK_ESCAPE:
        DestroyWindow(window);
        return;
    default:
        return;
    }
    Redraw();
}

LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE: {
        const int width = LOWORD(lParam), height = HIWORD(lParam) - kStatusHeight;
        if (chart != 0 && width > 0 && height > 0) {
            TALVEX_ControlMove(chart, 0, 0, width, height, 1);
            TALVEX_ControlSize(chart, width, height);
            Redraw();
        }
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        SetBkMode(dc, TRANSPARENT);
        TextOutA(dc, 6, client.bottom - kStatusHeight + 4, kHelp, static_cast<int>(std::strlen(kHelp)));
        EndPaint(window, &paint);
        return 0;
    }
    case WM_MOUSEWHEEL:
        TALVEX_ControlMouseWheel(chart, static_cast<TalvexWParam>(wParam), static_cast<TalvexLParam>(lParam));
        Redraw();
        return 0;
    case WM_KEYDOWN:
        OnKey(window, wParam);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    std::vector<std::string> scripts;
    for (int i = 1; i < __argc && scripts.size() < 3; ++i) {
        std::ifstream in(__argv[i], std::ios::binary);
        if (!in) {
            MessageBoxA(nullptr, __argv[i], "TALVEX demo: cannot read", MB_OK);
            return 1;
        }
        std::ostringstream text;
        text << in.rdbuf();
        scripts.push_back(WithCrLf(text.str()));
    }
    if (scripts.empty())
        for (const char* builtIn : kBuiltInScripts) scripts.push_back(builtIn);

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = HostProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "talvex-demo";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "talvex-demo", "TALVEX demo", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                                  656, 519, nullptr, nullptr, instance, nullptr);

    chart = TALVEX_ControlCreate();
    const int32_t result = TALVEX_ControlInit(chart, window, instance, kChartId);
    if (result != 0) {
        char message[64];
        std::snprintf(message, sizeof message, "The chart could not start: 0x%08lX", static_cast<unsigned long>(result));
        MessageBoxA(window, message, "TALVEX demo", MB_OK);
        return 1;
    }
    for (size_t slot = 0; slot < scripts.size(); ++slot) {
        std::string& text = scripts[slot];
        const int32_t code = TALVEX_ControlSetScript(chart, static_cast<int32_t>(slot), &text[0]);
        if (code != 0) {
            char message[96];
            std::snprintf(message, sizeof message, "Script %d, line %d: compile code %d", static_cast<int>(slot + 1),
                          TALVEX_ControlScriptGetErrorLine(chart, static_cast<int32_t>(slot)) + 1, static_cast<int>(code));
            MessageBoxA(window, message, "TALVEX demo", MB_OK);
        }
    }
    TALVEX_ControlSetIsometricView(chart);
    TALVEX_ControlCalculate(chart);
    TALVEX_ControlShow(chart, SW_SHOW);
    ShowWindow(window, show);
    RECT client{};
    GetClientRect(window, &client);
    TALVEX_ControlMove(chart, 0, 0, client.right, client.bottom - kStatusHeight, 1);
    TALVEX_ControlSize(chart, client.right, client.bottom - kStatusHeight);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    TALVEX_ControlDestroy(chart);
    return 0;
}
