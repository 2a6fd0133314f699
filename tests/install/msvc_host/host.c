/* A host built as Visual Studio builds one: compiled for the MSVC ABI and
 * linked against talvex.lib, so that it calls the DLL through the names an
 * MSVC compiler gives the functions (32-bit: _TALVEX_..., __imp__TALVEX_...
 * for cdecl; 64-bit: TALVEX_..., __imp_TALVEX_...).
 * No C runtime or Windows SDK is at hand where it is built: it declares the
 * few Win32 functions it calls and starts at hostMain.
 *
 * It checks the version resource of talvex.dll against talvex.h, draws one
 * chart and saves it as msvc_host.bmp in the current directory. The exit code
 * is 0, or the number of the step that failed (also printed). */
#include <stdint.h>

#include "talvex.h"

#define WINAPI __stdcall
#define SYSTEM_API __declspec(dllimport)

typedef intptr_t(WINAPI *WindowProcedure)(TalvexWindow, uint32_t, TalvexWParam, TalvexLParam);
typedef struct WindowClass { /* WNDCLASSA */
    uint32_t style;
    WindowProcedure procedure;
    int32_t classExtra;
    int32_t windowExtra;
    TalvexInstance instance;
    void *icon;
    void *cursor;
    void *background;
    const char *menuName;
    const char *className;
} WindowClass;
typedef struct FixedFileInfo { /* VS_FIXEDFILEINFO, as far as it is read */
    uint32_t signature;
    uint32_t structureVersion;
    uint32_t fileVersionHigh;
    uint32_t fileVersionLow;
    uint32_t productVersionHigh;
    uint32_t productVersionLow;
} FixedFileInfo;

SYSTEM_API void WINAPI ExitProcess(uint32_t code);
SYSTEM_API TalvexInstance WINAPI GetModuleHandleA(const char *name);
SYSTEM_API void *WINAPI GetStdHandle(uint32_t which);
SYSTEM_API int WINAPI WriteFile(void *file, const void *data, uint32_t size, uint32_t *written, void *overlapped);
SYSTEM_API TalvexWindow WINAPI CreateWindowExA(uint32_t extendedStyle, const char *className, const char *title,
                                               uint32_t style, int32_t x, int32_t y, int32_t width, int32_t height,
                                               TalvexWindow parent, void *menu, TalvexInstance instance,
                                               void *parameter);
SYSTEM_API intptr_t WINAPI DefWindowProcA(TalvexWindow window, uint32_t message, TalvexWParam wParam,
                                          TalvexLParam lParam);
SYSTEM_API int WINAPI DestroyWindow(TalvexWindow window);
SYSTEM_API uint16_t WINAPI RegisterClassA(const WindowClass *windowClass);
SYSTEM_API int WINAPI GetFileVersionInfoA(const char *file, uint32_t ignored, uint32_t size, void *data);
SYSTEM_API uint32_t WINAPI GetFileVersionInfoSizeA(const char *file, uint32_t *ignored);
SYSTEM_API int WINAPI VerQueryValueA(const void *block, const char *path, void **value, uint32_t *size);

#define STD_OUTPUT_HANDLE ((uint32_t)-11)
#define WS_OVERLAPPEDWINDOW 0x00CF0000u
#define WS_CLIPCHILDREN 0x02000000u
#define SW_SHOW 5
#define CHART_WIDTH 300
#define CHART_HEIGHT 200
/* The DLL says which kind of process can load it. */
#if defined(_WIN64)
#define DESCRIPTION "TALVEX 3D chart control (64-bit)"
#else
#define DESCRIPTION "TALVEX 3D chart control (32-bit)"
#endif

static void print(const char *text) {
    uint32_t length = 0, written;
    while (text[length] != '\0') length++;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, length, &written, 0);
}

static int sameText(const char *a, const char *b) {
    while (*a != '\0' && *a == *b) a++, b++;
    return *a == *b;
}

static uint32_t fail(uint32_t step, const char *what) {
    print("msvc_host: ");
    print(what);
    print("\n");
    return step;
}

/* The numbers and texts of the DLL's version resource are those of talvex.h. */
static uint32_t checkVersionResource(void) {
    static unsigned char block[8192];
    FixedFileInfo *fixed;
    char *text;
    uint32_t size = GetFileVersionInfoSizeA("talvex.dll", 0);
    uint32_t high = (uint32_t)TALVEX_VERSION_MAJOR << 16 | TALVEX_VERSION_MINOR;
    uint32_t low = (uint32_t)TALVEX_VERSION_PATCH << 16;

    if (size == 0 || size > sizeof block || !GetFileVersionInfoA("talvex.dll", 0, sizeof block, block))
        return fail(1, "talvex.dll has no version resource");
    if (!VerQueryValueA(block, "\\", (void **)&fixed, &size) || fixed->signature != 0xFEEF04BDu ||
        fixed->fileVersionHigh != high || fixed->fileVersionLow != low || fixed->productVersionHigh != high ||
        fixed->productVersionLow != low)
        return fail(2, "the version numbers of talvex.dll are not those of talvex.h");
    if (!VerQueryValueA(block, "\\StringFileInfo\\040904B0\\ProductVersion", (void **)&text, &size) ||
        !sameText(text, TALVEX_VERSION))
        return fail(3, "the product version text of talvex.dll is not TALVEX_VERSION");
    if (!VerQueryValueA(block, "\\StringFileInfo\\040904B0\\ProductName", (void **)&text, &size) ||
        !sameText(text, "TALVEX"))
        return fail(4, "the product name of talvex.dll is not TALVEX");
    if (!VerQueryValueA(block, "\\StringFileInfo\\040904B0\\FileDescription", (void **)&text, &size) ||
        !sameText(text, DESCRIPTION))
        return fail(5, "the file description of talvex.dll is not " DESCRIPTION);
    return 0;
}

static uint32_t drawChart(void) {
    static char script[] = "z = sin(x)*cos(y)";
    static WindowClass windowClass;
    TalvexInstance instance = GetModuleHandleA(0);
    TalvexWindow window;
    int32_t chart;

    windowClass.procedure = DefWindowProcA;
    windowClass.instance = instance;
    windowClass.className = "talvex-msvc-host";
    if (RegisterClassA(&windowClass) == 0) return fail(10, "RegisterClassA failed");
    window = CreateWindowExA(0, "talvex-msvc-host", "TALVEX MSVC host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                             400, 300, 0, 0, instance, 0);
    if (window == 0) return fail(11, "CreateWindowExA failed");

    chart = TALVEX_ControlCreate();
    if (chart == 0) return fail(12, "TALVEX_ControlCreate gave no handle");
    if (TALVEX_ControlInit(chart, window, instance, 1) != TALVEX_OK) return fail(13, "TALVEX_ControlInit failed");
    TALVEX_ControlMove(chart, 0, 0, CHART_WIDTH, CHART_HEIGHT, 1);
    if (TALVEX_ControlSize(chart, CHART_WIDTH, CHART_HEIGHT) != TALVEX_OK)
        return fail(14, "TALVEX_ControlSize failed");
    if (TALVEX_ControlSetScript(chart, 0, script) != TALVEX_OK) return fail(15, "TALVEX_ControlSetScript failed");
    TALVEX_ControlSetIsometricView(chart);
    TALVEX_ControlSetBackgroundColor(chart, 0x203040);
    if (TALVEX_ControlGetBackgroundColor(chart) != 0x203040)
        return fail(16, "TALVEX_ControlGetBackgroundColor does not give the colour set");
    if (TALVEX_ControlCalculate(chart) != TALVEX_OK) return fail(17, "TALVEX_ControlCalculate failed");
    TALVEX_ControlShow(chart, SW_SHOW);
    if (TALVEX_SaveBMP(chart, "msvc_host.bmp") != TALVEX_OK) return fail(18, "TALVEX_SaveBMP failed");
    if (TALVEX_ControlDestroy(chart) != CHART_WIDTH) return fail(19, "TALVEX_ControlDestroy gave another width");
    DestroyWindow(window);
    return 0;
}

void hostMain(void) {
    uint32_t result = checkVersionResource();
    if (result == 0) result = drawChart();
    if (result == 0) print("msvc_host: version resource checked, msvc_host.bmp written\n");
    ExitProcess(result);
}
