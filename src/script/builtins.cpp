#include "script/builtins.h"

#include <cmath>
#include <cstring>

#include "script/builtin_math.h"
#include "script/splines.h"

namespace talvex::script {

namespace {

using namespace math;

double Round(double x) { return TruncateToInt32(x); }

}  // namespace

const BuiltinFunction kBuiltins[kBuiltinCount] = {
    {"cos", kBuiltinUnary, 1, Cos, nullptr, nullptr},
    {"sin", kBuiltinUnary, 1, Sin, nullptr, nullptr},
    {"tan", kBuiltinUnary, 1, Tan, nullptr, nullptr},
    {"arccos", kBuiltinUnary, 1, ArcCos, nullptr, nullptr},
    {"arcsin", kBuiltinUnary, 1, ArcSin, nullptr, nullptr},
    {"arctan", kBuiltinUnary, 1, ArcTan, nullptr, nullptr},
    {"cosh", kBuiltinUnary, 1, Cosh, nullptr, nullptr},
    {"sinh", kBuiltinUnary, 1, Sinh, nullptr, nullptr},
    {"tanh", kBuiltinUnary, 1, Tanh, nullptr, nullptr},
    {"exp", kBuiltinUnary, 1, Exp, nullptr, nullptr},
    {"abs", kBuiltinUnary, 1, Abs, nullptr, nullptr},
    {"deg", kBuiltinUnary, 1, Deg, nullptr, nullptr},
    {"rad", kBuiltinUnary, 1, Rad, nullptr, nullptr},
    {"ln", kBuiltinUnary, 1, Ln, nullptr, nullptr},
    {"sqrt", kBuiltinUnary, 1, Sqrt, nullptr, nullptr},
    {"floor", kBuiltinUnary, 1, Floor, nullptr, nullptr},
    {"ceil", kBuiltinUnary, 1, Ceil, nullptr, nullptr},
    {"round", kBuiltinUnary, 1, Round, nullptr, nullptr},
    {"min", kBuiltinBinary, 2, nullptr, Min, nullptr},
    {"max", kBuiltinBinary, 2, nullptr, Max, nullptr},
    {"interpolation", kBuiltinVariadic, 5, nullptr, nullptr, Interpolation},
    {"bspline", kBuiltinVariadic, 5, nullptr, nullptr, BSpline},
    {"betaspline", kBuiltinVariadic, 7, nullptr, nullptr, BetaSpline},
};

int FindBuiltin(const char* name) {
    if (name == nullptr) return -1;
    for (int i = 0; i < kBuiltinCount; ++i)
        if (std::strcmp(kBuiltins[i].name, name) == 0) return i;
    return -1;
}

int32_t TruncateToInt32(double x) {
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (!(std::fabs(x) < kTwoTo63)) return 0;  // also not-a-number
    const auto truncated = static_cast<int64_t>(x);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(truncated)));
}

}  // namespace talvex::script
