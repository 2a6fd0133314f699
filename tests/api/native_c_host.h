#ifndef TALVEX_TESTS_NATIVE_C_HOST_H
#define TALVEX_TESTS_NATIVE_C_HOST_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A plain C host of talvex_native.h: calculates "z = x/5" with a 2 x 2
 * grid in a fresh control and reports the slot's kind, counts, the last
 * vertex's box x and the third index, and the picture's first pixel. Returns
 * 1 when every call succeeded. */
int NativeCHostReads(int32_t *kind, int32_t *vertexCount, int32_t *indexCount, float *lastX,
                     int32_t *thirdIndex, uint32_t *firstPixel);

#ifdef __cplusplus
}
#endif

#endif
