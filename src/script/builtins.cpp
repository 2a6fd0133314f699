#include "script/builtins.h"

#include <cmath>
#include <cstring>

#include "script/splines.h"

namespace talvex::script {

namespace {

// The angle factor of deg and rad is this decimal, not the double nearest pi.
constexpr double kAnglePi = 3.1415926535;

double Clamp(double x) {
    if (x < -1.0) return -1.0;
    if (x > 1.0) return 1.0;
    return x;  // not-a-number passes unchanged
}

double Cos(double x) { return std::cos(x); }
double Sin(double x) { return std::sin(x); }
double Tan(double x) { return std::tan(x); }
double ArcCos(double x) { return std::acos(Clamp(x)); }
double ArcSin(double x) { return std::asin(Clamp(x)); }
double ArcTan(double x) { return std::atan(x); }
double Cosh(double x) { return std::cosh(x); }
double Sinh(double x) { return std::sinh(x); }
double Tanh(double x) { return std::tanh(x); }
double Exp(double x) { return std::exp(x); }
double Abs(double x) { return std::fabs(x); }
double Deg(double x) { return x * 180.0 / kAnglePi; }
double Rad(double x) { return x * kAnglePi / 180.0; }
double Ln(double x) { return x < 0.0 ? std::log(-x) : std::log(x); }
double Sqrt(double x) { return x < 0.0 ? 0.0 : std::sqrt(x); }
double Floor(double x) { return std::floor(x); }
double Ceil(double x) { return std::ceil(x); }
double Round(double x) { return TruncateToInt32(x); }
// One strict comparison each: equal or not-a-number arguments give the first.
double Min(double a, double b) { return a > b ? b : a; }
double Max(double a, double b) { return a < b ? b : a; }

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
