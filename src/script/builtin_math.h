// The plain math of the built-in functions, inline so that the table of
// built-ins and the block program share one definition of each.
#pragma once

#include <cmath>

namespace talvex::script::math {

// The angle factor of deg and rad is this decimal, not the double nearest pi.
constexpr double kAnglePi = 3.1415926535;

inline double Clamp(double x) {
    if (x < -1.0) return -1.0;
    if (x > 1.0) return 1.0;
    return x;  // not-a-number passes unchanged
}

inline double Cos(double x) { return std::cos(x); }
inline double Sin(double x) { return std::sin(x); }
inline double Tan(double x) { return std::tan(x); }
inline double ArcCos(double x) { return std::acos(Clamp(x)); }
inline double ArcSin(double x) { return std::asin(Clamp(x)); }
inline double ArcTan(double x) { return std::atan(x); }
inline double Cosh(double x) { return std::cosh(x); }
inline double Sinh(double x) { return std::sinh(x); }
inline double Tanh(double x) { return std::tanh(x); }
inline double Exp(double x) { return std::exp(x); }
inline double Abs(double x) { return std::fabs(x); }
inline double Deg(double x) { return x * 180.0 / kAnglePi; }
inline double Rad(double x) { return x * kAnglePi / 180.0; }
inline double Ln(double x) { return x < 0.0 ? std::log(-x) : std::log(x); }
inline double Sqrt(double x) { return x < 0.0 ? 0.0 : std::sqrt(x); }
inline double Floor(double x) { return std::floor(x); }
inline double Ceil(double x) { return std::ceil(x); }
// One strict comparison each: equal or not-a-number arguments give the first.
inline double Min(double a, double b) { return a > b ? b : a; }
inline double Max(double a, double b) { return a < b ? b : a; }

}  // namespace talvex::script::math
