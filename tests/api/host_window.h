// The host's side of a test: a top-level window to put charts in, and the
// chart's child window reached as a host reaches it, through User32 on
// Windows and through the native window system on Linux.
#pragma once

#include <cstdint>
#include <string>

#include "talvex.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include "talvex_window.h"
#endif

class HostWindow {
public:
    HostWindow();
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    TalvexWindow handle() const { return window_; }
    TalvexInstance instance() const;
    TalvexWindow FindChild(int32_t id) const;
    intptr_t Send(TalvexWindow window, uint32_t message, uint32_t wParam, int32_t lParam) const;
    bool IsVisible(TalvexWindow window) const;
    std::string ClassName(TalvexWindow window) const;
    void ClientSize(TalvexWindow window, int32_t& width, int32_t& height) const;
    int32_t Id(TalvexWindow window) const;
    TalvexWindow Capture() const;

private:
    TalvexWindow window_;
};

#if defined(_WIN32)

inline HostWindow::HostWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "talvex-test-host";
    RegisterClassA(&windowClass);  // already registered after the first test
    window_ = CreateWindowExA(0, "talvex-test-host", "TALVEX tests", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
}
inline HostWindow::~HostWindow() { DestroyWindow(window_); }
inline TalvexInstance HostWindow::instance() const { return GetModuleHandleA(nullptr); }
inline TalvexWindow HostWindow::FindChild(int32_t id) const { return GetDlgItem(window_, id); }
inline intptr_t HostWindow::Send(TalvexWindow window, uint32_t message, uint32_t wParam, int32_t lParam) const {
    return SendMessageA(window, message, wParam, lParam);
}
inline bool HostWindow::IsVisible(TalvexWindow window) const { return IsWindowVisible(window) != 0; }
inline std::string HostWindow::ClassName(TalvexWindow window) const {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}
inline void HostWindow::ClientSize(TalvexWindow window, int32_t& width, int32_t& height) const {
    RECT rect{};
    GetClientRect(window, &rect);
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
}
inline int32_t HostWindow::Id(TalvexWindow window) const { return GetDlgCtrlID(window); }
inline TalvexWindow HostWindow::Capture() const { return GetCapture(); }

#else

inline HostWindow::HostWindow() : window_(talvex_window_create(800, 600)) {}
inline HostWindow::~HostWindow() { talvex_window_destroy(window_); }
inline TalvexInstance HostWindow::instance() const { return nullptr; }
inline TalvexWindow HostWindow::FindChild(int32_t id) const { return talvex_window_find_child(window_, id); }
inline intptr_t HostWindow::Send(TalvexWindow window, uint32_t message, uint32_t wParam, int32_t lParam) const {
    return talvex_window_send(window, message, wParam, lParam);
}
inline bool HostWindow::IsVisible(TalvexWindow window) const { return talvex_window_is_visible(window) != 0; }
inline std::string HostWindow::ClassName(TalvexWindow window) const { return talvex_window_class_name(window); }
inline void HostWindow::ClientSize(TalvexWindow window, int32_t& width, int32_t& height) const {
    talvex_window_rect(window, nullptr, nullptr, &width, &height);
}
inline int32_t HostWindow::Id(TalvexWindow window) const { return talvex_window_id(window); }
inline TalvexWindow HostWindow::Capture() const { return talvex_window_capture(); }

#endif
