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
/* One draw of slot geometry in the last frame presented to a window, as the
 * chart's buffers held it: vertices in box coordinates (x, y, z each), and the
 * vertex numbers of each primitive in drawing order. */
typedef struct TalvexMeshDraw {
    uint32_t primitive;       /* 1 points, 2 lines, 4 triangles */
    uint32_t color;           /* 0x00RRGGBB: the slot's colour (the texture's first texel when textured) */
    int32_t textured;         /* drawn with the chessboard texture (a solid surface) */
    int32_t wireframe;        /* triangles drawn as edges */
    int32_t cull;             /* 1 none, 2 clockwise, 3 counter-clockwise */
    int32_t vertexCount;
    const float *vertices;    /* 3 * vertexCount floats */
    int32_t indexCount;
    const uint32_t *indices;  /* indexCount vertex numbers */
} TalvexMeshDraw;
/* The number of slot-geometry draws in the last presented frame, and draw i.
 * The pointers stay valid until the window's next present. */
TALVEX_WINDOW_API int32_t talvex_window_mesh_draw_count(TalvexWindow window);
TALVEX_WINDOW_API int32_t talvex_window_mesh_draw(TalvexWindow window, int32_t i, TalvexMeshDraw *draw);
/* Whether the window is shown, and its class name, identifier and size. */
TALVEX_WINDOW_API int32_t talvex_window_is_visible(TalvexWindow window);
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
