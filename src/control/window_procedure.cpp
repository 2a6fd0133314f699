#include "control/window_procedure.h"

#include "common/trace.h"

namespace talvex {

namespace {

// One pixel of dragging turns the view by about half a degree.
constexpr double kRadiansPerPixel = 3.14 / 360.0;

int32_t LowWordUnsigned(window::LParam lParam) { return static_cast<int32_t>(static_cast<uint32_t>(lParam) & 0xFFFFu); }
int32_t HighWordUnsigned(window::LParam lParam) {
    return static_cast<int32_t>((static_cast<uint32_t>(lParam) >> 16) & 0xFFFFu);
}
int32_t LowWordSigned(window::LParam lParam) { return static_cast<int16_t>(LowWordUnsigned(lParam)); }
int32_t HighWordSigned(window::LParam lParam) { return static_cast<int16_t>(HighWordUnsigned(lParam)); }

float Turned(float angle, int32_t pixels) {
    return static_cast<float>(static_cast<double>(angle) + pixels * kRadiansPerPixel);
}

void TurnView(ChartControl& control, window::LParam lParam) {
    const int32_t x = LowWordSigned(lParam);
    control.deltaX = x - control.lastX;
    control.lastX = x;
    const int32_t y = HighWordSigned(lParam);
    control.deltaY = y - control.lastY;
    control.lastY = y;
    if (window::GetAsyncKeyState(window::kKeyRightButton) != 0) {
        // A right drag rolls the view; dragging down on the left half rolls
        // the other way than on the right half. The half test takes the
        // position as unsigned, so a pointer left of the window counts as right.
        if (LowWordUnsigned(lParam) < (control.width >> 1)) control.deltaY = -control.deltaY;
        control.angleZ = Turned(control.angleZ, -control.deltaY);
    } else {
        control.angleX = Turned(control.angleX, control.deltaY);
        control.angleY = Turned(control.angleY, control.deltaX);
    }
}

}  // namespace

window::LResult chartWindowProc(ChartControl* control, window::WindowHandle handle, uint32_t message,
                                window::WParam wParam, window::LParam lParam) {
    switch (message) {
    case window::kPaint:
        if (control->visible && control->ready) {
            control->RenderFrame();
            window::ValidateRect(handle, nullptr);
        }
        break;
    case window::kMouseMove:
        if (window::GetCapture() == handle) {
            TurnView(*control, lParam);
            window::InvalidateRect(handle, nullptr, 0);
        }
        break;
    case window::kLeftButtonDown:
    case window::kRightButtonDown:
        control->lastX = LowWordUnsigned(lParam);
        control->lastY = HighWordUnsigned(lParam);
        window::SetCapture(handle);
        break;
    case window::kLeftButtonUp:
    case window::kRightButtonUp:
        window::ReleaseCapture();
        break;
    case window::kMiddleButtonUp:
        control->scale = 1.0f;
        control->SetIsometricView();
        window::InvalidateRect(handle, nullptr, 0);
        break;
    default:
        break;
    }
    return window::DefWindowProc(handle, message, wParam, lParam);
}

window::LResult TALVEX_WINDOW_CALLBACK ChartClassProcedure(window::WindowHandle handle, uint32_t message,
                                                           window::WParam wParam, window::LParam lParam) {
    auto* control = reinterpret_cast<ChartControl*>(window::GetUserData(handle));
    if (control == nullptr) return window::DefWindowProc(handle, message, wParam, lParam);
    try {
        return chartWindowProc(control, handle, message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the window system's dispatcher.
        return window::DefWindowProc(handle, message, wParam, lParam);
    }
}

Result ChartControl::Move(int32_t x, int32_t y, int32_t newWidth, int32_t newHeight, bool repaint) {
    Trace().Output("TALVEXCONTROL::Move(%d, %d, %d, %d)", x, y, newWidth, newHeight);
    if (window == nullptr) return 0;
    return window::MoveWindow(window, x, y, newWidth, newHeight, repaint ? 1 : 0);
}

Result ChartControl::Show(int32_t command) {
    Trace().Output("TALVEXCONTROL::Show");
    visible = command != 0;
    if (window == nullptr) return 0;
    return window::ShowWindow(window, command);
}

Result ChartControl::Invalidate(const TalvexRect* rect, int32_t erase) {
    Trace().Output("TALVEXCONTROL::Invalidate");
    // A null window would mean every window on the desktop.
    if (window == nullptr) return 0;
    return window::InvalidateRect(window, rect, erase);
}

}  // namespace talvex
