/* A plain C host of talvex_native.h: the header compiles as C, and the
 * records come back as a C caller reads them. */
#include "native_c_host.h"

#include <stdlib.h>

#include "talvex.h"
#include "talvex_native.h"
#include "talvex_window.h"

int NativeCHostReads(int32_t *kind, int32_t *vertexCount, int32_t *indexCount, float *lastX,
                     int32_t *thirdIndex, uint32_t *firstPixel) {
    char script[] = "z = x/5\r\nxgrid = 2\r\nygrid = 2\r\n";
    TalvexSlotGeometry geometry;
    uint32_t *pixels;
    int ok = 0;
    TalvexWindow host = talvex_window_create(320, 240);
    int32_t handle = TALVEX_ControlCreate();
    if (handle != 0 && TALVEX_ControlInit(handle, host, NULL, 1) == 0 &&
        TALVEX_ControlSetScript(handle, 0, script) == 0 && TALVEX_ControlCalculate(handle) == 0 &&
        talvex_get_slot_geometry(handle, 0, &geometry) == 0 && geometry.indexCount >= 3) {
        *kind = geometry.kind;
        *vertexCount = geometry.vertexCount;
        *indexCount = geometry.indexCount;
        *lastX = geometry.vertices[geometry.vertexCount - 1].x;
        *thirdIndex = geometry.indices[2];
        pixels = (uint32_t *)malloc(320 * 240 * sizeof *pixels);
        if (pixels != NULL && talvex_render_picture(handle, pixels, 320, 240) == 0) {
            *firstPixel = pixels[0];
            ok = 1;
        }
        free(pixels);
    }
    if (handle != 0) TALVEX_ControlDestroy(handle);
    talvex_window_destroy(host);
    return ok;
}
