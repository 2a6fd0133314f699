#include "control/window_procedure.h"

#include "common/trace.h"

namespace talvex {

namespace {

int32_t LowWordUnsigned(window::LParam lParam) { return static_cast<int32_t>(static_cast<uint32_t>(lParam) & 0xFFFFu); }
int32_t HighWordUnsigned(window::LParam lParam) {
    return static_cast<int32_t>((static_cast<uint32_t>(lParam) >> 16) & 0xFFFFu);
}
int32_t LowWordSigned(window::LParam lParam) { return static_cast<int16_t>(LowWordUnsigned(lParam)); }
int32_t HighWordSigned(window::LParam lParam) { return static_cast<int16_t>(HighWordUnsigned(lParam)); }

}  // namespace

void ChartControl::PressAt(int32_t x, int32_t y) {
    lastX_ = x;
    lastY_ = y;
}

void ChartControl::DragTo(int32_t x, int32_t y, bool rolling, bool leftHalf) {
    const int32_t right = x - lastX_, down = y - lastY_;
    PressAt(x, y);
    if (!rolling) {
        Turn(down, right);
        return;
    }
    // A right drag rolls the view; dragging down on the left half rolls the
    // other way than on the right half.
    Roll(leftHalf ? down : -down);
}

window::LResult chartWindowProc(ChartControl* control, window::WindowHandle handle, uint32_t message,
                                window::WParam wParam, window::LParam lParam) {
    switch (message) {
    case window::kPaint:
        if (control->IsVisible() && control->IsReady()) {
            control->RenderFrame();
            window::ValidateRect(handle, nullptr);
        }
        break;
    case window::kMouseMove:
        if (window::GetCapture() == handle) {
            // The half test takes the position as unsigned, so a pointer
            // left of the window counts as right.
            const bool leftHalf = LowWordUnsigned(lParam) < (control->GetWidth() >> 1);
            control->DragTo(LowWordSigned(lParam), HighWordSigned(lParam),
                            window::GetAsyncKeyState(window::kKeyRightButton) != 0, leftHalf);
            window::InvalidateRect(handle, nullptr, 0);
        }
        break;
    case window::kLeftButtonDown:
    case window::kRightButtonDown:
        control->PressAt(LowWordUnsigned(lParam), HighWordUnsigned(lParam));
        window::SetCapture(handle);
        break;
    case window::kLeftButtonUp:
    case window::kRightButtonUp:
        window::ReleaseCapture();
        break;
    case window::kMiddleButtonUp:
        control->ResetZoomAndView();
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
    if (window_ == nullptr) return 0;
    return window::MoveWindow(window_, x, y, newWidth, newHeight, repaint ? 1 : 0);
}

Result ChartControl::Show(int32_t command) {
    Trace().Output("TALVEXCONTROL::Show");
    visible_ = command != 0;
    if (window_ == nullptr) return 0;
    return window::ShowWindow(window_, command);
}

Result ChartControl::Invalidate(const TalvexRect* rect, int32_t erase) {
    Trace().Output("TALVEXCONTROL::Invalidate");
    // A null window would mean every window on the desktop.
    if (window_ == nullptr) return 0;
    return window::InvalidateRect(window_, rect, erase);
}

}  // namespace talvex
