// The window system on User32 and Kernel32, call for call.
#include <windows.h>
// The A/W macros of <windows.h> would rename our own functions.
#undef RegisterClass
#undef CreateWindowEx
#undef DefWindowProc

#include "common/window_system.h"

namespace talvex::window {

static_assert(sizeof(WindowClass) == sizeof(WNDCLASSA), "WindowClass mirrors WNDCLASSA");

uint16_t RegisterClass(const WindowClass& windowClass) {
    return ::RegisterClassA(reinterpret_cast<const WNDCLASSA*>(&windowClass));
}

WindowHandle CreateWindowEx(uint32_t exStyle, const char* className, const char* title, uint32_t style,
                            int32_t x, int32_t y, int32_t width, int32_t height, WindowHandle parent,
                            intptr_t menuOrId, InstanceHandle instance, void* parameter) {
    return ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent,
                             reinterpret_cast<HMENU>(menuOrId), instance, parameter);
}

// The Ptr forms hold a whole pointer on 64-bit Windows; on 32-bit Windows
// they are SetWindowLongA and GetWindowLongA with GWL_USERDATA themselves.
intptr_t SetUserData(WindowHandle window, intptr_t value) {
    return ::SetWindowLongPtrA(window, GWLP_USERDATA, static_cast<LONG_PTR>(value));
}

intptr_t GetUserData(WindowHandle window) { return ::GetWindowLongPtrA(window, GWLP_USERDATA); }

int32_t ShowWindow(WindowHandle window, int32_t command) { return ::ShowWindow(window, command); }

int32_t MoveWindow(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height, int32_t repaint) {
    return ::MoveWindow(window, x, y, width, height, repaint);
}

int32_t InvalidateRect(WindowHandle window, const TalvexRect* rect, int32_t erase) {
    return ::InvalidateRect(window, reinterpret_cast<const RECT*>(rect), erase);
}

int32_t ValidateRect(WindowHandle window, const TalvexRect* rect) {
    return ::ValidateRect(window, reinterpret_cast<const RECT*>(rect));
}

int32_t IsWindow(WindowHandle window) { return ::IsWindow(window); }

int32_t DestroyWindow(WindowHandle window) { return ::DestroyWindow(window); }

WindowHandle SetCapture(WindowHandle window) { return ::SetCapture(window); }

int32_t ReleaseCapture() { return ::ReleaseCapture(); }

WindowHandle GetCapture() { return ::GetCapture(); }

int16_t GetAsyncKeyState(int32_t key) { return ::GetAsyncKeyState(key); }

LResult DefWindowProc(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace talvex::window
