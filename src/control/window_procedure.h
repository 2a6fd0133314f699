// The window procedure of class "chart".
#pragma once

#include "control/chart_control.h"
#include "common/window_system.h"

namespace talvex {

// Acts on paint, mouse and button messages for the control, then passes every
// message to the default window procedure and returns its result.
window::LResult chartWindowProc(ChartControl* control, window::WindowHandle handle, uint32_t message,
                                window::WParam wParam, window::LParam lParam);

// The procedure registered with the class: finds the control through the
// window's user data. A window without a control (while it is being created,
// or after its control was destroyed) gets the default handling alone.
window::LResult TALVEX_WINDOW_CALLBACK ChartClassProcedure(window::WindowHandle handle, uint32_t message,
                                                           window::WParam wParam, window::LParam lParam);

}  // namespace talvex
