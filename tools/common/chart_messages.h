// The window messages a host sends to the chart's own window, with their
// Win32 numbers, and the packing of a mouse position into lParam.
#pragma once

#include <cstdint>

#include "talvex.h"

enum ChartMessage : uint32_t {
    kPaint = 0x000F,
    kMouseMove = 0x0200,
    kLeftButtonDown = 0x0201,
    kLeftButtonUp = 0x0202,
    kRightButtonDown = 0x0204,
    kRightButtonUp = 0x0205,
    kMiddleButtonDown = 0x0207,
    kMiddleButtonUp = 0x0208,
    kMouseWheel = 0x020A,
};

// The button flags of wParam (MK_) and the key codes of the buttons (VK_).
constexpr TalvexWParam kLeftButtonFlag = 0x0001, kRightButtonFlag = 0x0002, kMiddleButtonFlag = 0x0010;
constexpr int32_t kLeftButtonKey = 0x01, kRightButtonKey = 0x02, kMiddleButtonKey = 0x04;

// x in the low word, y in the high word, each as 16 bits.
inline TalvexLParam PointParam(int x, int y) {
    return static_cast<TalvexLParam>((static_cast<uint32_t>(y & 0xFFFF) << 16) | static_cast<uint32_t>(x & 0xFFFF));
}

// A WM_MOUSEWHEEL wParam: the signed delta (120 a notch) in the high word.
inline TalvexWParam WheelParam(int delta) {
    return static_cast<TalvexWParam>(static_cast<uint32_t>(delta & 0xFFFF) << 16);
}
