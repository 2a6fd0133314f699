/*
 * talvex.h - the public interface of the TALVEX 3D chart control.
 *
 * A host creates chart controls and addresses each one by an integer handle
 * (1 .. 65535). Every function except TALVEX_ControlCreate takes that handle
 * first; an invalid handle (0, negative, 65536 or more, or a destroyed control)
 * does nothing and returns the value named "invalid" below.
 *
 * Conventions:
 *  - Results are signed 32-bit codes, 0 for success, unless stated otherwise.
 *  - Booleans are one byte (TalvexBool). A setter that takes a bool looks only
 *    at the low byte of its 32-bit argument: 256 counts as false.
 *  - Colours are 32-bit values laid out as 0x00RRGGBB.
 *  - The z distance travels as a single-precision float, its 32 bits.
 *  - Nothing is ever thrown across this interface; every failure is a result.
 *
 * Threads: any number of threads may each use their own controls at the same
 * time. One control is used by one thread at a time; on Windows that is the
 * thread that owns its window (the thread of TALVEX_ControlInit's parent).
 * The handle table (Create from any thread, Destroy by the thread using the
 * control), the trace log and the native window system (talvex_window.h) are
 * shared and safe for concurrent use; nothing else is shared between controls.
 * On Linux the software device draws a large picture with a few threads of
 * the library's own, within the call that draws it (talvex_native.h).
 */
#ifndef TALVEX_H
#define TALVEX_H

#include <stdint.h>

/* The version of this interface and of the library built with it. The build
 * reads its version from these lines (CMake project version, library file
 * names, pkg-config and CMake package versions, the DLL's version resource).
 * TALVEX_VERSION_NUMBER orders versions for #if: 10203 is 1.2.3. */
#define TALVEX_VERSION_MAJOR 1
#define TALVEX_VERSION_MINOR 0
#define TALVEX_VERSION_PATCH 0
#define TALVEX_VERSION "1.0.0"
#define TALVEX_VERSION_NUMBER \
    (TALVEX_VERSION_MAJOR * 10000 + TALVEX_VERSION_MINOR * 100 + TALVEX_VERSION_PATCH)

#if defined(_WIN32)
/* The Win32 handle types, declared exactly as <windows.h> declares them, so
 * that this header does not need <windows.h> and agrees with it when a host
 * includes both. */
struct HWND__;
struct HINSTANCE__;
struct tagRECT;
typedef struct HWND__ *TalvexWindow;          /* HWND */
typedef struct HINSTANCE__ *TalvexInstance;   /* HINSTANCE */
#if defined(_WIN64)
/* Pointer-sized on 64-bit Windows, as WPARAM and LPARAM are there. */
typedef unsigned long long TalvexWParam;      /* WPARAM */
typedef long long TalvexLParam;               /* LPARAM */
#else
typedef unsigned int TalvexWParam;            /* WPARAM */
typedef long TalvexLParam;                    /* LPARAM */
#endif
typedef struct tagRECT TalvexRect;            /* RECT */
#define TALVEX_CALL __cdecl
#if defined(TALVEX_BUILDING_LIBRARY)
#define TALVEX_API __declspec(dllexport)
#else
#define TALVEX_API __declspec(dllimport)
#endif
#else
/* On Linux the handles are those of TALVEX's in-process window system
 * (talvex_window.h): the same roles under the header's own names. */
struct TalvexNativeWindow;
struct TalvexNativeInstance;
typedef struct TalvexNativeWindow *TalvexWindow;
typedef struct TalvexNativeInstance *TalvexInstance;
typedef uintptr_t TalvexWParam;
typedef intptr_t TalvexLParam;
typedef struct TalvexRect {
    int32_t left, top, right, bottom;
} TalvexRect;
#define TALVEX_CALL
#define TALVEX_API __attribute__((visibility("default")))
#endif

/* One-byte boolean of the results of the Is... functions. */
typedef unsigned char TalvexBool;

/* Result codes. */
#define TALVEX_OK 0
#define TALVEX_E_FAIL ((int32_t)0x80004005)       /* invalid handle; snapshot without device */
#define TALVEX_E_POINTER ((int32_t)0x80004003)    /* a required pointer was null */
#define TALVEX_E_BAD_SLOT 21                      /* script slot outside 0..2 */
#define TALVEX_E_NO_DIRECT3D 22                   /* the graphics object cannot be created */
#define TALVEX_E_NOT_A_FILE ((int32_t)0x800700A1) /* SaveBMP: the path names a directory or a device */
/* Script compile codes (TALVEX_ControlSetScript): 2 invalid character, malformed
 * number or over-long name; 6 name not followed by "="; 7 misplaced ")"; 8 "("
 * right after ")"; 9 unclosed "("; 10 unknown function; 11 "=" inside an
 * expression; 12 operator without an operand before it; 13 misplaced operand,
 * comma or empty expression; 20 wrong number of arguments.
 * Calculation codes (TALVEX_ControlCalculate): 2 failed evaluation; 15 unknown
 * symbol; 16 evaluation too deep; 17 undefined name; 18 more than two free
 * variables; 19 circular definition. */

#ifdef __cplusplus
extern "C" {
#endif

/* A new control in the lowest free handle; 0 when all 65535 are in use. */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlCreate(void);
/* Releases the control's device and scripts and frees the handle. Result: the
 * control's width (0 if never initialised); invalid: E_FAIL. The child window
 * stays; later messages to it get the default handling. */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlDestroy(int32_t handle);
/* Creates the hidden child window of class "chart" (id passed as its menu
 * handle) and the graphics device. 0, 22, or the device's HRESULT. */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlInit(int32_t handle, TalvexWindow parent,
                                                  TalvexInstance instance, int32_t id);
/* Resizes the back buffer and recalculates. Always 0; invalid: E_FAIL. */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSize(int32_t handle, int32_t width, int32_t height);
/* Moves the child window; MoveWindow's result (0 before Init). */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlMove(int32_t handle, int32_t x, int32_t y,
                                                  int32_t width, int32_t height, int32_t repaint);
/* Shows (command nonzero) or hides the window; ShowWindow's result. */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlShow(int32_t handle, int32_t command);
/* Asks for a repaint of rect (null: all); InvalidateRect's result. */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlInvalidate(int32_t handle, const TalvexRect *rect,
                                                        int32_t erase);
/* Zooms by 0.1 in (wheel delta >= 0) or out, within 0.4 .. 2.0. 0. */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlMouseWheel(int32_t handle, TalvexWParam wParam,
                                                        TalvexLParam lParam);
/* Samples the scripts into geometry. 0 when at least one slot was computed. */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlCalculate(int32_t handle);
/* Compiles text into slot 0..2; the buffer is lower-cased in place. An empty
 * text clears the slot. 0, 21, a compile code, or E_POINTER for a null text. */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetScript(int32_t handle, int32_t slot, char *text);
/* Clears slot 0..2. 0 or 21. */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlDelScript(int32_t handle, int32_t slot);
/* 0-based line of the last compile of the slot (0 for an empty text, a deleted
 * script or a slot outside 0..2); invalid: E_FAIL. */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlScriptGetErrorLine(int32_t handle, int32_t slot);
/* View angles all 0. 0. */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetDefaultView(int32_t handle);
/* View angles 20 degrees about x and -30 degrees about y; zoom unchanged. 0. */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetIsometricView(int32_t handle);
/* Client width and height in pixels; invalid: 0. */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlGetWidth(int32_t handle);
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlGetHeight(int32_t handle);
/* Zoom 0.4 .. 2.0 seen as 0 .. 100 (truncated); invalid: 0. */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlGetScale(int32_t handle);
/* Zoom n / 100 * 1.6 + 0.4, not clamped. 0. */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetScale(int32_t handle, int32_t zoom);
/* Background (clear) colour, default 0xFFFFFF; invalid: 0. */
TALVEX_API uint32_t TALVEX_CALL TALVEX_ControlGetBackgroundColor(int32_t handle);
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetBackgroundColor(int32_t handle, uint32_t color);
/* Colour of the point grid and the axes, default 0x000000; invalid: 0. */
TALVEX_API uint32_t TALVEX_CALL TALVEX_ControlGetPointColor(int32_t handle);
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetPointColor(int32_t handle, uint32_t color);
/* Point grid drawn (default true); invalid: false. */
TALVEX_API TalvexBool TALVEX_CALL TALVEX_ControlIsPointVisible(int32_t handle);
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetPointVisible(int32_t handle, int32_t visible);
/* Axes drawn (default true); invalid: false. */
TALVEX_API TalvexBool TALVEX_CALL TALVEX_ControlIsAxisVisible(int32_t handle);
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetAxisVisible(int32_t handle, int32_t visible);
/* Surfaces drawn solid (default) or as wireframe; invalid: false. */
TALVEX_API TalvexBool TALVEX_CALL TALVEX_ControlIsSolid(int32_t handle);
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetSolid(int32_t handle, int32_t solid);
/* A stored value (default 1.5) with no effect on drawing; invalid: 0.0. */
TALVEX_API float TALVEX_CALL TALVEX_ControlGetZDistance(int32_t handle);
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetZDistance(int32_t handle, float distance);
/* Handedness; a visible control draws nothing more until the next Calculate. 0. */
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetLeftHand(int32_t handle);
TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetRightHand(int32_t handle);
/* Draws the current picture and writes it as a 24-bit BMP file. The file is
 * written beside the target under a temporary name and renamed over it only
 * when complete: on failure an existing file is left exactly as it was and
 * nothing new remains. 0; TALVEX_E_NOT_A_FILE for a path that exists and is
 * not a regular file (left untouched); 0x80070005 (E_ACCESSDENIED) when the
 * file cannot be written (missing folder, full disk); E_FAIL without a
 * device. */
TALVEX_API int32_t TALVEX_CALL TALVEX_SaveBMP(int32_t handle, const char *path);

#ifdef __cplusplus
}
#endif

#endif /* TALVEX_H */
