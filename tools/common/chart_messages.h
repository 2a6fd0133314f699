// The window messages a host sends to the chart's own window by name, and
// the packing of a mouse position into lParam.
#pragma once

#include <cstdint>

#include "talvex.h"
#include "talvex_messages.h"

enum ChartMessage : uint32_t {
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

// The button flags of wParam (MK_) and the key codes of the buttons (VK_).
constexpr TalvexWParam kLeftButtonFlag = TALVEX_MK_LBUTTON, kRightButtonFlag = TALVEX_MK_RBUTTON,
                       kMiddleButtonFlag = TALVEX_MK_MBUTTON;
constexpr int32_t kLeftButtonKey = TALVEX_VK_LBUTTON, kRightButtonKey = TALVEX_VK_RBUTTON,
                  kMiddleButtonKey = TALVEX_VK_MBUTTON;

// x in the low word, y in the high word, each as 16 bits.
inline TalvexLParam PointParam(int x, int y) {
    return static_cast<TalvexLParam>((static_cast<uint32_t>(y & 0xFFFF) << 16) | static_cast<uint32_t>(x & 0xFFFF));
}

// A WM_MOUSEWHEEL wParam: the signed delta (120 a notch) in the high word.
inline TalvexWParam WheelParam(int delta) {
    return static_cast<TalvexWParam>(static_cast<uint32_t>(delta & 0xFFFF) << 16);
}
