// The spline built-ins. Each maps a position u in [0, 1] onto the whole list
// of values; positions outside are clamped, and not-a-number gives
// not-a-number. The arithmetic inside is single precision, the final sum of
// four products double.
#pragma once

#include <cstdint>

namespace talvex::script {

// Cubic Hermite interpolation through values[0 .. count-1].
double Interpolation(double u, int32_t count, const double* values);
// Uniform cubic B-spline over values[0 .. count-1] as control values.
double BSpline(double u, int32_t count, const double* values);
// Uniform cubic Beta-spline: values[0] is the bias b1, values[1] the tension
// b2, the rest are control values.
double BetaSpline(double u, int32_t count, const double* values);

}  // namespace talvex::script
