#include "script/splines.h"

#include <cmath>
#include <limits>

namespace talvex::script {

namespace {

struct Segment {
    int index;
    float s;  // position inside the segment, 0 .. 1
};

// Locates u among segmentCount segments whose usable indices start at first.
// Returns false for a position that is not a number.
bool Locate(double u, int segmentCount, int first, Segment& segment) {
    if (std::isnan(u)) return false;
    if (u < 0.0) {
        segment = {first, 0.0f};
    } else if (u >= 1.0) {
        segment = {first + segmentCount - 1, 1.0f};
    } else {
        const double scaled = u * segmentCount;
        int i = static_cast<int>(std::floor(scaled));
        double s = scaled - i;
        // u just below 1 can round up to the segment count.
        if (i >= segmentCount) {
            i = segmentCount - 1;
            s = 1.0;
        }
        segment = {first + i, static_cast<float>(s)};
    }
    return true;
}

// Q = P x basis (single precision), then the sum of Q times the power row in
// double precision.
double Combine(const float (&p)[4], const float (&basis)[4][4], const float (&powers)[4]) {
    double sum = 0.0;
    for (int j = 0; j < 4; ++j) {
        float q = 0.0f;
        for (int k = 0; k < 4; ++k) q += p[k] * basis[k][j];
        sum += static_cast<double>(q) * static_cast<double>(powers[j]);
    }
    return sum;
}

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

}  // namespace

double Interpolation(double u, int32_t count, const double* v) {
    if (count < 2 || v == nullptr) return kNotANumber;
    Segment segment;
    if (!Locate(u, count - 1, 0, segment)) return kNotANumber;
    const int i = segment.index;
    const float a = static_cast<float>(v[i]);
    const float b = static_cast<float>(v[i + 1]);
    const float m0 = static_cast<float>(i == 0 ? (v[1] - v[0]) / 2 : (v[i + 1] - v[i - 1]) / 2);
    const float m1 = static_cast<float>(i == count - 2 ? (v[i + 1] - v[i]) / 2 : (v[i + 2] - v[i]) / 2);
    const float s = segment.s;
    const float h00 = (1 - s) * (1 - s) * (1 + 2 * s);
    const float h01 = s * s * (3 - 2 * s);
    const float h10 = s * (1 - s) * (1 - s);
    const float h11 = -s * s * (1 - s);
    return static_cast<double>(h00) * a + static_cast<double>(h01) * b + static_cast<double>(h10) * m0 +
           static_cast<double>(h11) * m1;
}

double BSpline(double u, int32_t count, const double* v) {
    if (count < 4 || v == nullptr) return kNotANumber;
    Segment segment;
    if (!Locate(u, count - 3, 1, segment)) return kNotANumber;
    const int i = segment.index;
    static const float kBasis[4][4] = {
        {1, -3, 3, -1},
        {4, 0, -6, 3},
        {1, 3, 3, -3},
        {0, 0, 0, 1},
    };
    const float p[4] = {static_cast<float>(v[i - 1]), static_cast<float>(v[i]), static_cast<float>(v[i + 1]),
                        static_cast<float>(v[i + 2])};
    const float sixth = 0.16666667f;
    const float s = segment.s;
    const float powers[4] = {sixth, s * sixth, s * s * sixth, s * s * s * sixth};
    return Combine(p, kBasis, powers);
}

double BetaSpline(double u, int32_t count, const double* v) {
    if (count < 6 || v == nullptr) return kNotANumber;
    const double b1 = v[0], b2 = v[1];
    const double* p = v + 2;
    const int m = count - 2;
    Segment segment;
    if (!Locate(u, m - 3, 1, segment)) return kNotANumber;
    const int i = segment.index;
    // No guard on d: b1 = 0, b2 = -2 gives infinite weights, as documented.
    const double d = 2 * b1 * b1 * b1 + 4 * b1 * b1 + 4 * b1 + b2 + 2;
    const double b1Squared = b1 * b1, b1Cubed = b1 * b1 * b1;
    const float basis[4][4] = {
        {static_cast<float>(2 * b1Cubed), static_cast<float>(-6 * b1Cubed), static_cast<float>(6 * b1Cubed),
         static_cast<float>(-2 * b1Cubed)},
        {static_cast<float>(4 * (b1Squared + b1) + b2), static_cast<float>(6 * (b1Cubed - b1)),
         static_cast<float>(-3 * (2 * b1Cubed + 2 * b1Squared + b2)),
         static_cast<float>(2 * (b1Cubed + b1Squared + b1 + b2))},
        {2.0f, static_cast<float>(6 * b1), static_cast<float>(3 * (2 * b1Squared + b2)),
         static_cast<float>(-2 * (b1Squared + b1 + b2 + 1))},
        {0.0f, 0.0f, 0.0f, 2.0f},
    };
    const float control[4] = {static_cast<float>(p[i - 1]), static_cast<float>(p[i]),
                              static_cast<float>(p[i + 1]), static_cast<float>(p[i + 2])};
    const double s = segment.s;
    const float powers[4] = {static_cast<float>(1 / d), static_cast<float>(s / d), static_cast<float>(s * s / d),
                             static_cast<float>(s * s * s / d)};
    return Combine(control, basis, powers);
}

}  // namespace talvex::script
