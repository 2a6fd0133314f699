#ifndef TALVEX_TESTS_C_HOST_H
#define TALVEX_TESTS_C_HOST_H

#ifdef __cplusplus
extern "C" {
#endif

/* Returns 1 after reading the values through the C interface. */
int CHostReadsBoolAndFloat(unsigned char *pointVisible, unsigned char *invalidSolid, float *zDistance,
                           float *invalidZDistance);

#ifdef __cplusplus
}
#endif

#endif
