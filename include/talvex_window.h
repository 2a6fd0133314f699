/*
 * talvex_window.h - the host side of TALVEX's in-process window system on
 * Linux (libtalvex_window.so). A native host makes a top-level window, hands
 * it to TALVEX_ControlInit, and then drives the chart's child window with
 * messages, as a Win32 host would with SendMessage; the pictures the control
 * presents can be read back.
 *
 * Threads: every function here may be called from several threads at once.
 * As in User32, a window belongs to the thread that created it: only that
 * thread gets its paint messages from talvex_window_run_paints, and each
 * thread has its own mouse capture. The key state is shared by all threads.
 */
#ifndef TALVEX_WINDOW_H
#define TALVEX_WINDOW_H

#include <stdint.h>

#include "talvex.h"
#include "talvex_messages.h"

#define TALVEX_WINDOW_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* A new top-level window of the given client size. */
TALVEX_WINDOW_API TalvexWindow talvex_window_create(int32_t width, int32_t height);
/* Destroys a window and its children. */
TALVEX_WINDOW_API void talvex_window_destroy(TalvexWindow window);
/* The child of parent with the given identifier, or null. */
TALVEX_WINDOW_API TalvexWindow talvex_window_find_child(TalvexWindow parent, int32_t id);
/* Delivers a message to the window's procedure and returns its result. */
TALVEX_WINDOW_API intptr_t talvex_window_send(TalvexWindow window, uint32_t message, TalvexWParam wParam,
                                              TalvexLParam lParam);
/* Sends a paint message to every visible window of the calling thread that
 * needs painting; returns how many were sent. */
TALVEX_WINDOW_API int32_t talvex_window_run_paints(void);
/* Sets the asynchronous state of a key or mouse button (VK_ codes). */
TALVEX_WINDOW_API void talvex_window_set_key_state(int32_t key, int32_t down);
/* The size of the last picture presented to the window (0 x 0 for none). */
TALVEX_WINDOW_API void talvex_window_picture_size(TalvexWindow window, int32_t *width, int32_t *height);
/* Copies the last presented picture (0x00RRGGBB, top row first) into pixels,
 * which holds width * height values; returns the number of pixels copied. */
TALVEX_WINDOW_API int32_t talvex_window_read_picture(TalvexWindow window, uint32_t *pixels, int32_t count);
/* Whether the window is shown, and its class name, identifier and size. */
TALVEX_WINDOW_API int32_t talvex_window_is_visible(TalvexWindow window);
/* The class name stays valid while the window lives: ask on the thread that owns it. */
TALVEX_WINDOW_API const char *talvex_window_class_name(TalvexWindow window);
TALVEX_WINDOW_API int32_t talvex_window_id(TalvexWindow window);
TALVEX_WINDOW_API void talvex_window_rect(TalvexWindow window, int32_t *x, int32_t *y, int32_t *width,
                                          int32_t *height);
/* Whether the window waits for a paint. */
TALVEX_WINDOW_API int32_t talvex_window_needs_paint(TalvexWindow window);
/* The window holding the calling thread's mouse capture, or null. */
TALVEX_WINDOW_API TalvexWindow talvex_window_capture(void);

#ifdef __cplusplus
}
#endif

#endif /* TALVEX_WINDOW_H */
