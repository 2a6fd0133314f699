// The table of the 23 built-in functions, in lookup order.
#pragma once

#include <cstdint>

namespace talvex::script {

using UnaryFunction = double (*)(double);
using BinaryFunction = double (*)(double, double);
// First argument, the number of further arguments, and those arguments.
using VariadicFunction = double (*)(double, int32_t, const double*);

enum BuiltinKind : int32_t { kBuiltinUnary = 1, kBuiltinBinary = 2, kBuiltinVariadic = 3 };

struct BuiltinFunction {
    const char* name;
    int32_t kind;
    // The number of arguments; for variadic functions the least accepted.
    int32_t argumentCount;
    UnaryFunction unary;
    BinaryFunction binary;
    VariadicFunction variadic;
};

constexpr int kBuiltinCount = 23;

// The rows of the table, in its lookup order.
enum BuiltinRow : int32_t {
    kRowCos, kRowSin, kRowTan, kRowArcCos, kRowArcSin, kRowArcTan, kRowCosh, kRowSinh,
    kRowTanh, kRowExp, kRowAbs, kRowDeg, kRowRad, kRowLn, kRowSqrt, kRowFloor,
    kRowCeil, kRowRound, kRowMin, kRowMax, kRowInterpolation, kRowBSpline, kRowBetaSpline,
};

extern const BuiltinFunction kBuiltins[kBuiltinCount];

// The row index of a built-in by exact name, or -1.
int FindBuiltin(const char* name);

// Truncation toward zero to a signed 64-bit integer, then its low 32 bits;
// 0 for not-a-number and magnitudes of 2^63 or more. Defined for every double.
int32_t TruncateToInt32(double x);

}  // namespace talvex::script
