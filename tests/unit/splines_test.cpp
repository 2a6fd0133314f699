#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "script/splines.h"
#include "script_fixture.h"

namespace {

using namespace talvex::script;

constexpr double kSingle = 1e-5;  // single-precision accuracy

TEST(Splines, HermiteThroughItsValues) {
    const double v[] = {0, 1, 4, 9};
    const struct {
        double u, expected;
    } cases[] = {{0, 0}, {1.0 / 3, 1}, {2.0 / 3, 4}, {1, 9}, {-5, 0}, {7, 9}};
    for (const auto& c : cases) EXPECT_NEAR(Interpolation(c.u, 4, v), c.expected, kSingle) << "u = " << c.u;
}

TEST(Splines, BSplineEndValuesAndConstants) {
    const double v[] = {1, 2, 7, 3};
    EXPECT_NEAR(BSpline(0, 4, v), (1 + 4 * 2 + 7) / 6.0, kSingle);
    EXPECT_NEAR(BSpline(1, 4, v), (2 + 4 * 7 + 3) / 6.0, kSingle);
    const double fives[] = {5, 5, 5, 5, 5, 5};
    for (double u : {0.0, 0.1, 0.33, 0.5, 0.9, 1.0}) EXPECT_NEAR(BSpline(u, 6, fives), 5, kSingle) << u;
}

TEST(Splines, BetaSplineMatchesBSplineAndTheJoinValue) {
    const double control[] = {1, 2, 7, 3, 0, 4};
    double beta[8] = {1, 0};
    for (int i = 0; i < 6; ++i) beta[2 + i] = control[i];
    for (double u : {0.0, 0.2, 0.5, 0.75, 1.0}) EXPECT_NEAR(BetaSpline(u, 8, beta), BSpline(u, 6, control), kSingle) << u;
    for (double b2 : {0.0, 10.0, 1000.0}) {
        const double v[] = {1, b2, 0, 0, 1, 0, 0};
        EXPECT_NEAR(BetaSpline(0.5, 7, v), (8 + b2) / (12 + b2), kSingle) << "b2 = " << b2;
    }
}

TEST(Splines, JoinsAreContinuous) {
    const double v[] = {0, 3, 1, 4, 1, 5};
    for (double join : {0.2, 0.4, 0.6, 0.8}) {
        EXPECT_NEAR(Interpolation(join, 6, v), Interpolation(std::nextafter(join, 0.0), 6, v), 1e-4) << join;
    }
    EXPECT_NEAR(BSpline(1.0 / 3, 6, v), BSpline(std::nextafter(1.0 / 3, 0.0), 6, v), 1e-4);
}

TEST(Splines, NotANumberPositionGivesNotANumber) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double v[] = {1, 0, 1, 2, 3, 4};
    EXPECT_TRUE(std::isnan(Interpolation(nan, 4, v)));
    EXPECT_TRUE(std::isnan(BSpline(nan, 4, v)));
    EXPECT_TRUE(std::isnan(BetaSpline(nan, 6, v)));
}

TEST(Splines, ThroughTheScriptLanguage) {
    CompiledScript s("z = interpolation(x, 0, 1, 4, 9)\nx = 2/3\nw = bspline(0, 5, 5, 5, 5)");
    ASSERT_EQ(s.result, 0);
    EXPECT_NEAR(s.Value("z"), 4, kSingle);
    EXPECT_NEAR(s.Value("w"), 5, kSingle);
    for (const char* name : {"z", "w"}) {
        double computed = 0;
        ASSERT_EQ(s.Compute(name, computed), 0);
        EXPECT_EQ(computed, s.Value(name)) << "the library: " << name;
    }
}

}  // namespace
