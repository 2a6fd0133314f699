/* A plain C host: the header compiles as C, and the one-byte bool and the
 * float come back as a C caller reads them. */
#include "c_host.h"

#include "talvex.h"

int CHostReadsBoolAndFloat(unsigned char *pointVisible, unsigned char *invalidSolid, float *zDistance,
                           float *invalidZDistance) {
    int32_t handle = TALVEX_ControlCreate();
    if (handle == 0) return 0;
    TALVEX_ControlSetPointVisible(handle, 256);
    TALVEX_ControlSetZDistance(handle, 2.25f);
    *pointVisible = TALVEX_ControlIsPointVisible(handle);
    *zDistance = TALVEX_ControlGetZDistance(handle);
    *invalidSolid = TALVEX_ControlIsSolid(0);
    *invalidZDistance = TALVEX_ControlGetZDistance(-1);
    TALVEX_ControlDestroy(handle);
    return 1;
}
