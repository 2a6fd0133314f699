#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "script/builtins.h"
#include "script/dependencies.h"
#include "script/evaluation_check.h"
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
        double value = -1, computed = -1;
        ASSERT_EQ(s.Evaluate("z", value), 0) << c.expression;
        EXPECT_EQ(value, c.expected) << c.expression;
        ASSERT_EQ(s.Compute("z", computed), 0) << c.expression;
        EXPECT_EQ(computed, c.expected) << "the library: " << c.expression;
    }
}

TEST(Evaluator, FailureCodes) {
    CompiledScript s("z = k\nw = z + 1");
    const struct {
        const char* name;
        int32_t code;
    } cases[] = {{"z", 2}, {"w", 2}, {"k", 15}, {"scale", 0}};
    for (const auto& c : cases) {
        double value = 42, computed = 42;
        EXPECT_EQ(s.Evaluate(c.name, value), c.code) << c.name;
        EXPECT_EQ(s.Compute(c.name, computed), c.code) << "the library: " << c.name;
        EXPECT_EQ(value, c.code == 0 ? 10 : 42) << "out is untouched on failure; an unassigned setting has its default";
        EXPECT_EQ(computed, value) << c.name;
    }
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
    EXPECT_EQ(fits.Compute("z", value), 0) << "the library";
    EXPECT_EQ(value, 999);
    CompiledScript full(nested(999));
    EXPECT_EQ(full.Evaluate("z", value), 16) << "a thousand pending values";
    EXPECT_EQ(full.Compute("z", value), 16) << "the library";
    // A variadic call's count takes a place: 994 pending values and the five
    // arguments are 999, and the count would be the thousandth.
    auto spline = [](int depth) {
        std::string text = "z = ";
        for (int i = 0; i < depth; ++i) text += "1+(";
        return text + "bspline(1, 2, 3, 4, 5)" + std::string(static_cast<size_t>(depth), ')');
    };
    for (const auto& [depth, code] : {std::pair<int, int32_t>{993, 0}, {994, 16}}) {
        CompiledScript s(spline(depth));
        EXPECT_EQ(s.Evaluate("z", value), code) << depth;
        EXPECT_EQ(s.Compute("z", value), code) << "the library: " << depth;
    }
}

// A name computed once and used again where a fresh evaluation of it would
// not have found room on the stack fails there as evaluation always did.
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
        const int32_t code = depth == 497 ? 0 : 2;  // the stack fills inside the second use of a
        double value = 0, computed = 0;
        EXPECT_EQ(s.Evaluate("z", value), code) << depth;
        EXPECT_EQ(s.Compute("z", computed), code) << "the library: " << depth;
        if (code == 0) {
            EXPECT_EQ(value, 501 + 497 + 501);
            EXPECT_EQ(computed, value);
        }
    }
    // The same name nested in more names than evaluation follows.
    std::string chain = "z = a1 + b\nb = c1\n";
    for (int i = 1; i < 999; ++i) chain += "a" + std::to_string(i) + " = a" + std::to_string(i + 1) + "\n";
    for (int i = 1; i < 999; ++i) chain += "c" + std::to_string(i) + " = c" + std::to_string(i + 1) + "\n";
    CompiledScript deep(chain + "a999 = w + 1\nc999 = w + 1\nw = 1 + 1\n");
    ASSERT_EQ(deep.result, 0);
    double value = 0;
    for (const auto& [name, code] : {std::pair<const char*, int32_t>{"a1", 0}, {"z", 16}}) {
        EXPECT_EQ(deep.Evaluate(name, value), code) << name << ": w at level 999, and at 1001 through b";
        EXPECT_EQ(deep.Compute(name, value), code) << "the library: " << name;
    }
}

// Random scripts of names shared many times over, some in cycles, some in
// chains near the thousand-level limit, used at stack depths near the
// thousand-value limit: the library's analysis and block program give the
// codes, values and free variables of following every use, whatever the
// order of the questions.
TEST(Evaluator, AnalysisGivesWhatFollowingEveryUseGives) {
    std::mt19937 random(2026);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    int compared = 0, failed = 0;
    for (int round = 0; round < 400; ++round) {
        const int count = 2 + pick(6);
        const bool cycles = pick(6) == 0;
        auto name = [](int i) { return "n" + std::to_string(i); };
        auto use = [&](int i) -> std::string {
            const int low = cycles ? 0 : i + 1;
            if (low >= count || pick(5) == 0) return std::vector<std::string>{"x", "y", "t", "1", "w"}[static_cast<size_t>(pick(pick(20) == 0 ? 5 : 4))];
            return name(low + pick(count - low));
        };
        auto nest = [&](const std::string& inner) {
            const int depth = pick(3) == 0 ? pick(1000) : pick(4);
            std::string text;
            for (int k = 0; k < depth; ++k) text += "1+(";
            return text + inner + std::string(static_cast<size_t>(depth), ')');
        };
        std::string text;
        for (int i = 0; i < count; ++i) {
            std::string expression = pick(8) == 0 ? "interpolation(" + use(i) + ",0,1,2,3," + use(i) + ")" : nest(use(i));
            for (int k = pick(3); k > 0; --k) expression += (pick(2) ? "+" : "*") + nest(use(i));
            text += name(i) + " = " + expression + "\n";
        }
        const int chain = pick(3) == 0 ? 990 + pick(20) : pick(5);
        for (int c = 0; c < chain; ++c)
            text += "c" + std::to_string(c) + " = " + (c + 1 < chain ? "c" + std::to_string(c + 1) : name(pick(count))) + "\n";
        text += "z = " + nest(chain > 0 ? "c0" : name(0)) + "+" + nest(name(pick(count))) + "\n";
        text += "x = " + nest(name(pick(count))) + "\n";
        CompiledScript s(text);
        if (s.result != 0) continue;

        std::array<bool, kVariableCount> free{};
        const int32_t expected = talvex::reference::CollectDependencies(s.script, free);
        const Dependencies found = BuildDependencies(s.script);
        ASSERT_EQ(found.code, expected) << text;
        if (expected == 0) {
            ASSERT_EQ(found.freeVariables, free) << text;
        }

        s.SetInput("y", 0.25);
        s.SetInput("t", 2.0);
        std::vector<std::string> order = {"z", "x", "y"};
        for (int i = 0; i < count; ++i) order.push_back(name(i));
        if (chain > 0) order.push_back("c" + std::to_string(pick(chain)));
        std::shuffle(order.begin(), order.end(), random);
        // One check for all the names, in random order, as the library
        // shares what it learnt of one name with the next.
        EvaluationCheck check(s.script, {"y", "t"});
        for (const std::string& evaluated : order) {
            double wanted = -7, got = -7;
            const int32_t code = s.Evaluate(evaluated, wanted);
            ASSERT_EQ(check.Check(evaluated), code) << evaluated << " in\n" << text;
            ASSERT_EQ(s.Compute(evaluated, got), code) << evaluated << " in\n" << text;
            ASSERT_EQ(std::memcmp(&wanted, &got, sizeof got), 0) << evaluated << " in\n" << text;
            ++compared;
            failed += code != 0;
        }
    }
    EXPECT_GT(failed, compared / 20) << "the limits are met often enough to be tested";
    EXPECT_GT(compared - failed, compared / 4) << "and values often enough";
}

TEST(Evaluator, RecursionThroughNamesIsBounded) {
    std::string chain;
    for (int i = 0; i < 5000; ++i) chain += "a" + std::to_string(i) + " = a" + std::to_string(i + 1) + " + 1\n";
    chain += "a5000 = 0\n";
    CompiledScript deep(chain);
    ASSERT_EQ(deep.result, 0);
    CompiledScript self("scale = scale\nz = 1");
    const struct {
        const CompiledScript& script;
        const char* name;
        int32_t code;
    } cases[] = {{self, "scale", 16}, {deep, "a0", 16}, {deep, "a4500", 0}};
    for (const auto& c : cases) {
        double value = 0, computed = 0;
        EXPECT_EQ(c.script.Evaluate(c.name, value), c.code) << c.name;
        EXPECT_EQ(c.script.Compute(c.name, computed), c.code) << "the library: " << c.name;
        if (c.code == 0) {
            EXPECT_EQ(value, 500);
            EXPECT_EQ(computed, 500);
        }
    }
}

TEST(Evaluator, NamesFollowTheCurrentPrograms) {
    CompiledScript s("pi = 3\nz = pi*x");
    ASSERT_EQ(s.result, 0);
    SetConstant(s.script, "x", 2);
    EXPECT_EQ(s.Value("z"), 6);
    SetConstant(s.script, "x", 5);
    EXPECT_EQ(s.Value("z"), 15) << "a resolved name sees the symbol's new program";
    double computed = 0;
    EXPECT_EQ(s.Compute("z", computed), 0);
    EXPECT_EQ(computed, 15) << "the library";
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
