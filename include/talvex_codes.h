/*
 * talvex_codes.h - every code the library returns, each with its name and the
 * sentence a host can show its user, in lists of
 *   X(name, value, sentence)
 * The compile codes come from TALVEX_ControlSetScript, the calculation codes
 * from TALVEX_ControlCalculate; the result codes from the other functions.
 * Code 2 is in both of the first two lists: what it means follows from the
 * call that returned it. On Linux talvex_error_text (talvex_native.h) gives
 * the sentence of any of them at run time.
 */
#ifndef TALVEX_CODES_H
#define TALVEX_CODES_H

#include <stdint.h>

#define TALVEX_COMPILE_CODES(X)                                                                 \
    X(kCompileOk, 0, "accepted")                                                                 \
    X(kCompileLexical, 2, "an invalid character, a malformed number or a name longer than 32 characters") \
    X(kCompileNoAssign, 6, "the name is not followed by '='")                                    \
    X(kCompileMisplacedClose, 7, "')' after '(' or an operator, or without an open '('")         \
    X(kCompileOpenAfterClose, 8, "'(' directly after ')'")                                       \
    X(kCompileUnclosed, 9, "more '(' than ')'")                                                  \
    X(kCompileUnknownFunction, 10, "an unknown function, or a statement that starts with a call") \
    X(kCompileAssignInExpression, 11, "'=' inside an expression")                                \
    X(kCompileMissingOperand, 12, "an operator without an operand or ')' before it")             \
    X(kCompileMisplaced, 13, "a misplaced operand or comma, an empty expression, or a statement that does not start with a name") \
    X(kCompileArgumentCount, 20, "the wrong number of arguments in a function call")

#define TALVEX_CALCULATION_CODES(X)                                                              \
    X(kCalculationFailedName, 2, "a name that a setting uses cannot be evaluated")               \
    X(kCalculationUnknownSymbol, 15, "a setting has no symbol")                                  \
    X(kCalculationTooDeep, 16, "more than 1000 values at once, or names nested more than 1000 levels deep") \
    X(kCalculationUndefinedName, 17, "a name is used but never defined")                         \
    X(kCalculationTooManyFreeVariables, 18, "more than two free variables")                      \
    X(kCalculationCircular, 19, "names defined in terms of each other")

#define TALVEX_RESULT_CODES(X)                                                                   \
    X(kOk, 0, "success")                                                                         \
    X(kBadSlot, 21, "the script slot is outside 0 .. 2")                                         \
    X(kNoDirect3D, 22, "the graphics object cannot be created")                                  \
    X(kFail, (int32_t)0x80004005, "E_FAIL: an invalid handle, no device yet, or no slot could be calculated") \
    X(kPointer, (int32_t)0x80004003, "E_POINTER: a required pointer is null")                    \
    X(kInvalidArgument, (int32_t)0x80070057, "E_INVALIDARG: a value outside what the call accepts") \
    X(kInvalidHandle, (int32_t)0x80070006, "E_HANDLE: the parent window does not exist")         \
    X(kOutOfMemory, (int32_t)0x8007000E, "E_OUTOFMEMORY: not enough memory")                     \
    X(kCannotWriteFile, (int32_t)0x80070005, "E_ACCESSDENIED: the file cannot be written (missing folder, no permission, full disk)") \
    X(kNotAFile, (int32_t)0x800700A1, "the path names a folder or a device, not a file")         \
    X(kDeviceLost, (int32_t)0x88760868, "D3DERR_DEVICELOST: the graphics device is lost")        \
    X(kDeviceNotReset, (int32_t)0x88760869, "D3DERR_DEVICENOTRESET: the graphics device waits to be reset") \
    X(kNotAvailable, (int32_t)0x8876086A, "D3DERR_NOTAVAILABLE: the graphics device cannot do this") \
    X(kInvalidCall, (int32_t)0x8876086C, "D3DERR_INVALIDCALL: the graphics device refused the call") \
    X(kOutOfVideoMemory, (int32_t)0x8876017C, "D3DERR_OUTOFVIDEOMEMORY: not enough video memory")

#endif /* TALVEX_CODES_H */
