#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "script/builtins.h"
#include "script_fixture.h"

namespace {

using namespace talvex::script;

TEST(Evaluator, OperatorEdgeCases) {
    const struct {
        std::string expression;
        double expected;
    } cases[] = {
        {"1/0", 1e16},           {"0-1/0", -1e16},       {"-1/0", -1e16},       {"0/0", 1e16},
        {"1/(0-0)", 1e16},       {"(0-8)^(1/3)", 0},     {"(0-2)^3", -8},       {"2^0.5", std::sqrt(2.0)},
        {"0^0.5", 0},            {"0^0", 1},             {"2^3^2", 64},         {"8/2/2", 2},
        {"pi", 3.1415926525},    {"e", 2.718281828459045}, {"-x^2", -9},        {"2*(3+4)", 14},
        {"0^(0-1)", INFINITY},   {"2^(1/0)", INFINITY},  {"(0-2)^(0-1/0)", 0},   {"10-4-3", 3},
    };
    for (const auto& c : cases) {
        CompiledScript s("x = 3\nz = " + c.expression);
        ASSERT_EQ(s.result, 0) << c.expression;
        double value = -1;
        ASSERT_EQ(s.Evaluate("z", value), 0) << c.expression;
        EXPECT_EQ(value, c.expected) << c.expression;
    }
}

TEST(Evaluator, FailureCodes) {
    CompiledScript s("z = k\nw = z + 1");
    double value = 42;
    EXPECT_EQ(s.Evaluate("z", value), 2);
    EXPECT_EQ(s.Evaluate("w", value), 2);
    EXPECT_EQ(s.Evaluate("k", value), 15);
    EXPECT_EQ(value, 42) << "out is untouched on failure";
    EXPECT_EQ(s.script.stack.count, 0) << "a failure leaves the stack as it found it";
    EXPECT_EQ(s.Evaluate("scale", value), 0) << "an unassigned setting has its default";
    EXPECT_EQ(value, 10);
}

TEST(Evaluator, ThousandValueLimit) {
    auto nested = [](int depth) {
        std::string text = "z = ";
        for (int i = 0; i < depth; ++i) text += "1+(";
        text += "1" + std::string(depth, ')');
        return text;
    };
    CompiledScript fits(nested(998));
    double value = 0;
    ASSERT_EQ(fits.result, 0);
    EXPECT_EQ(fits.Evaluate("z", value), 0) << "999 values pending at most";
    EXPECT_EQ(value, 999);
    CompiledScript full(nested(999));
    EXPECT_EQ(full.Evaluate("z", value), 16) << "a thousand pending values";
    EXPECT_EQ(full.script.stack.count, 0);
}

// A name computed once and used again where a fresh evaluation of it would
// not have found room on the stack fails there as it always did.
TEST(Evaluator, ReusedNamesKeepTheThousandValueLimit) {
    auto nested = [](int depth, const std::string& inner) {
        std::string text;
        for (int i = 0; i < depth; ++i) text += "1+(";
        return text + inner + std::string(static_cast<size_t>(depth), ')');
    };
    // "a" holds up to 501 values; its second use starts above 497 others.
    for (const int depth : {497, 498}) {
        CompiledScript s("a = " + nested(500, "x") + "\nz = a + (" + nested(depth, "a") + ")\nx = 1");
        ASSERT_EQ(s.result, 0);
        double value = 0;
        const int32_t code = s.Evaluate("z", value);
        if (depth == 497) {
            EXPECT_EQ(code, 0) << "fits";
            EXPECT_EQ(value, 501 + 497 + 501);
        } else {
            EXPECT_EQ(code, 2) << "the stack fills inside the second use of a";
        }
        EXPECT_EQ(s.script.stack.count, 0);
    }
    // The same name nested in more names than the evaluator follows.
    std::string chain = "z = a1 + b\nb = c1\n";
    for (int i = 1; i < 999; ++i) chain += "a" + std::to_string(i) + " = a" + std::to_string(i + 1) + "\n";
    for (int i = 1; i < 999; ++i) chain += "c" + std::to_string(i) + " = c" + std::to_string(i + 1) + "\n";
    CompiledScript deep(chain + "a999 = w + 1\nc999 = w + 1\nw = 1 + 1\n");
    ASSERT_EQ(deep.result, 0);
    double value = 0;
    EXPECT_EQ(deep.Evaluate("a1", value), 0) << "w at level 999";
    EXPECT_EQ(deep.Evaluate("z", value), 16) << "w again at level 1001, through b";
}

TEST(Evaluator, RecursionThroughNamesIsBounded) {
    CompiledScript self("scale = scale\nz = 1");
    double value = 0;
    EXPECT_EQ(self.Evaluate("scale", value), 16);
    std::string chain;
    for (int i = 0; i < 5000; ++i) chain += "a" + std::to_string(i) + " = a" + std::to_string(i + 1) + " + 1\n";
    chain += "a5000 = 0\n";
    CompiledScript deep(chain);
    ASSERT_EQ(deep.result, 0);
    EXPECT_EQ(deep.Evaluate("a0", value), 16);
    EXPECT_EQ(deep.Evaluate("a4500", value), 0);
    EXPECT_EQ(value, 500);
}

TEST(Evaluator, NamesFollowTheCurrentPrograms) {
    CompiledScript s("pi = 3\nz = pi*x");
    ASSERT_EQ(s.result, 0);
    SetConstant(s.script, "x", 2);
    EXPECT_EQ(s.Value("z"), 6);
    SetConstant(s.script, "x", 5);
    EXPECT_EQ(s.Value("z"), 15) << "a resolved name sees the symbol's new program";
}

TEST(Builtins, Values) {
    const double pi = 3.141592653589793;
    const struct {
        std::string expression;
        double expected;
    } cases[] = {
        {"sqrt(0-4)", 0},
        {"sqrt(4)", 2},
        {"ln(0-1)", 0},
        {"ln(0)", -INFINITY},
        {"ln(e)", 1},
        {"arcsin(2)", std::asin(1.0)},
        {"arccos(0-3)", std::acos(-1.0)},
        {"deg(3.1415926535)", 180},
        {"rad(90)", 90 * 3.1415926535 / 180},
        {"rad(180)", 3.1415926535},
        {"round(1.9999)", 1},
        {"round(0-1.9999)", -1},
        {"round(2.7)", 2},
        {"round(0-0.5)", 0},
        {"round(4294967301)", 5},
        {"round(2147483648)", -2147483648.0},
        {"round(10000000000000000000)", 0},
        {"min(3, 3)", 3},
        {"max(0-1, 2)", 2},
        {"floor(0-1.5)", -2},
        {"ceil(0-1.5)", -1},
        {"abs(0-7)", 7},
        {"cos(0)", 1},
        {"tan(0)", 0},
        {"arctan(1)", pi / 4},
        {"exp(0)", 1},
        {"cosh(0)", 1},
        {"sinh(0)", 0},
        {"tanh(0)", 0},
    };
    for (const auto& c : cases) {
        CompiledScript s("z = " + c.expression);
        ASSERT_EQ(s.result, 0) << c.expression;
        EXPECT_EQ(s.Value("z"), c.expected) << c.expression;
    }
}

TEST(Builtins, RoundAndMinMaxWithNotANumber) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(TruncateToInt32(nan), 0);
    EXPECT_EQ(TruncateToInt32(INFINITY), 0);
    EXPECT_EQ(TruncateToInt32(-9223372036854775808.0), 0);
    EXPECT_EQ(TruncateToInt32(9223372036854774784.0), -1024) << "low 32 bits of 2^63 - 1024";
    const BuiltinFunction& min = kBuiltins[FindBuiltin("min")];
    const BuiltinFunction& max = kBuiltins[FindBuiltin("max")];
    EXPECT_EQ(min.binary(3, nan), 3);
    EXPECT_TRUE(std::isnan(min.binary(nan, 3)));
    EXPECT_TRUE(std::isnan(max.binary(nan, 2)));
    EXPECT_EQ(max.binary(2, nan), 2);
    EXPECT_EQ(FindBuiltin("betaspline"), 22);
    EXPECT_EQ(FindBuiltin("nothing"), -1);
}

}  // namespace
