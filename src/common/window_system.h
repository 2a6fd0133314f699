// The window system the chart lives in: the few operations of User32 (and
// two of Kernel32) that the chart uses, under their own names. The build links
// one implementation: User32 itself (platform/win32), or the in-process native
// window system (platform/soft). A platform interface, free of <windows.h>,
// kept below the control, render and the platforms so that all of them may
// name its handles.
#pragma once

#include <cstdint>

#include "talvex.h"
#include "talvex_messages.h"

#if defined(_WIN32)
#define TALVEX_WINDOW_CALLBACK __stdcall
#else
#define TALVEX_WINDOW_CALLBACK
#endif

namespace talvex::window {

using WindowHandle = TalvexWindow;
using InstanceHandle = TalvexInstance;
using WParam = TalvexWParam;
using LParam = TalvexLParam;
#if defined(_WIN32) && !defined(_WIN64)
using LResult = long;  // LRESULT of 32-bit Windows; pointer-sized everywhere else
#else
using LResult = intptr_t;
#endif

using WindowProcedure = LResult(TALVEX_WINDOW_CALLBACK*)(WindowHandle, uint32_t, WParam, LParam);

// Field for field the layout of WNDCLASSA.
struct WindowClass {
    uint32_t style;
    WindowProcedure procedure;
    int32_t classExtra;
    int32_t windowExtra;
    InstanceHandle instance;
    void* icon;
    void* cursor;
    void* background;
    const char* menuName;
    const char* className;
};

enum Message : uint32_t {
    kPaint = TALVEX_WM_PAINT,
    kMouseMove = TALVEX_WM_MOUSEMOVE,
    kLeftButtonDown = TALVEX_WM_LBUTTONDOWN,
    kLeftButtonUp = TALVEX_WM_LBUTTONUP,
    kRightButtonDown = TALVEX_WM_RBUTTONDOWN,
    kRightButtonUp = TALVEX_WM_RBUTTONUP,
    kMiddleButtonDown = TALVEX_WM_MBUTTONDOWN,
    kMiddleButtonUp = TALVEX_WM_MBUTTONUP,
    kMouseWheel = TALVEX_WM_MOUSEWHEEL,
};

constexpr uint32_t kStyleChild = 0x40000000u;  // WS_CHILD
constexpr int32_t kShowHide = 0;               // SW_HIDE
constexpr int32_t kKeyRightButton = TALVEX_VK_RBUTTON;

uint16_t RegisterClass(const WindowClass& windowClass);
WindowHandle CreateWindowEx(uint32_t exStyle, const char* className, const char* title, uint32_t style,
                            int32_t x, int32_t y, int32_t width, int32_t height, WindowHandle parent,
                            intptr_t menuOrId, InstanceHandle instance, void* parameter);
// The window's user-data slot (GWL_USERDATA); returns the previous value.
intptr_t SetUserData(WindowHandle window, intptr_t value);
intptr_t GetUserData(WindowHandle window);
// Nonzero when the window was visible before the call.
int32_t ShowWindow(WindowHandle window, int32_t command);
int32_t MoveWindow(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height,
                   int32_t repaint);
int32_t InvalidateRect(WindowHandle window, const TalvexRect* rect, int32_t erase);
int32_t ValidateRect(WindowHandle window, const TalvexRect* rect);
// Nonzero while the window exists.
int32_t IsWindow(WindowHandle window);
// Destroys the window and its children; nonzero when there was one.
int32_t DestroyWindow(WindowHandle window);
WindowHandle SetCapture(WindowHandle window);
int32_t ReleaseCapture();
WindowHandle GetCapture();
int16_t GetAsyncKeyState(int32_t key);
LResult DefWindowProc(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);

}  // namespace talvex::window
