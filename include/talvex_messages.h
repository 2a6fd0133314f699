/*
 * talvex_messages.h - the window messages a host sends to a chart's window,
 * with their Win32 numbers, and the flags and key codes that go with them.
 * On Windows they are User32's own (WM_PAINT is TALVEX_WM_PAINT); on Linux a
 * host sends them with talvex_window_send (talvex_window.h includes this).
 *
 * A mouse message's lParam holds x in its low 16 bits and y in its high 16
 * bits, each a signed 16-bit number; a wheel message's wParam holds the
 * signed delta (120 a notch) in its high 16 bits.
 */
#ifndef TALVEX_MESSAGES_H
#define TALVEX_MESSAGES_H

#define TALVEX_WM_PAINT 0x000Fu
#define TALVEX_WM_MOUSEMOVE 0x0200u
#define TALVEX_WM_LBUTTONDOWN 0x0201u
#define TALVEX_WM_LBUTTONUP 0x0202u
#define TALVEX_WM_RBUTTONDOWN 0x0204u
#define TALVEX_WM_RBUTTONUP 0x0205u
#define TALVEX_WM_MBUTTONDOWN 0x0207u
#define TALVEX_WM_MBUTTONUP 0x0208u
#define TALVEX_WM_MOUSEWHEEL 0x020Au

/* The buttons held during a mouse message, in its wParam (MK_). */
#define TALVEX_MK_LBUTTON 0x0001u
#define TALVEX_MK_RBUTTON 0x0002u
#define TALVEX_MK_MBUTTON 0x0010u

/* The key codes of the mouse buttons, for talvex_window_set_key_state (VK_). */
#define TALVEX_VK_LBUTTON 0x01
#define TALVEX_VK_RBUTTON 0x02
#define TALVEX_VK_MBUTTON 0x04

#endif
