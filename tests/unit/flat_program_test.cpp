#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "script/dependencies.h"
#include "script/flat_program.h"
#include "script_fixture.h"

namespace {

using namespace talvex::script;

// The same double, bit for bit (not-a-number included).
bool Same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(FlatProgram, GivesWhatTheEvaluatorGivesAsTheVariablesMove) {
    const char* const kScripts[] = {
        "z = sin(x)*cos(y)",
        "z = sqrt(x^2 + y^2)",
        "z = x/y - y^x + (0-x)^0.5",
        "z = a*b\na = x + 1\nb = a/(y - 1)",
        "z = bspline((x+5)/10, 0, 2, 0-1, 3, y/2, 1)",
        "z = interpolation(x, 1, 4, 9, y) + betaspline(y/5, 1, 0, 1, 2, 3, 4, 5)",
        "z = min(x, y) - max(ln(x), floor(y)) + round(x*1000000000000)",
        "z = x",
        "z = scale*zcenter + pi",
    };
    const double kSamples[] = {-2.5, -1, 0, 0.5, 1, 3, 1e300, -INFINITY, NAN};
    for (const char* text : kScripts) {
        CompiledScript s(text);
        ASSERT_EQ(s.result, 0) << text;
        SetConstant(s.script, "x", 0);
        SetConstant(s.script, "y", 0);
        VariableRange x{FindSymbol(s.script, "x")}, y{FindSymbol(s.script, "y")};
        FlatProgram flat;
        ASSERT_TRUE(flat.Build(s.script, *FindSymbol(s.script, "z"))) << text;
        ASSERT_TRUE(flat.Fits(s.script));
        for (double u : kSamples) {
            for (double v : kSamples) {
                SetVariableValue(s.script, &x, u);
                SetVariableValue(s.script, &y, v);
                double expected = 0;
                ASSERT_EQ(s.Evaluate("z", expected), 0);
                EXPECT_TRUE(Same(flat.Run(), expected)) << text << " at x = " << u << ", y = " << v;
            }
        }
        EXPECT_EQ(s.script.stack.count, 0);
    }
}

// Programs the evaluator answers with a failure, or that it runs in a way
// inlining would not reproduce, are left to it.
TEST(FlatProgram, LeavesTheUnusualToTheEvaluator) {
    FlatProgram flat;
    CompiledScript missing("z = k + 1");
    EXPECT_FALSE(flat.Build(missing.script, *FindSymbol(missing.script, "z")));
    CompiledScript circular("z = a\na = a + 1");
    EXPECT_FALSE(flat.Build(circular.script, *FindSymbol(circular.script, "z")));

    std::string chain = "z = a0\n";
    for (int i = 0; i < 100; ++i) chain += "a" + std::to_string(i) + " = a" + std::to_string(i + 1) + " + 1\n";
    chain += "a100 = 0\n";
    CompiledScript deep(chain);
    ASSERT_EQ(deep.result, 0);
    EXPECT_FALSE(flat.Build(deep.script, *FindSymbol(deep.script, "z"))) << "names nested 100 deep";
    CompiledScript shallow("z = a0\na0 = a1 + 1\na1 = 2");
    EXPECT_TRUE(flat.Build(shallow.script, *FindSymbol(shallow.script, "z")));

    // Hand-made programs: a name with no program (the evaluator would take
    // its value from the values below), and one that leaves two values.
    CompiledScript empty("z = a + 1\na = 1");
    FindSymbol(empty.script, "a")->program.clear();
    EXPECT_FALSE(flat.Build(empty.script, *FindSymbol(empty.script, "z")));
    CompiledScript two("z = 1 + 2");
    Instruction extra;
    extra.kind = kOpNumber;
    FindSymbol(two.script, "z")->program.push_back(extra);
    EXPECT_FALSE(flat.Build(two.script, *FindSymbol(two.script, "z")));
    EXPECT_FALSE(flat.Fits(two.script)) << "a failed build is never run";
}

TEST(FlatProgram, FitsOnlyWhereTheEvaluatorWouldNotFillTheStack) {
    CompiledScript s("z = 1+(2+(3+x))");
    SetConstant(s.script, "x", 4);
    FlatProgram flat;
    ASSERT_TRUE(flat.Build(s.script, *FindSymbol(s.script, "z")));
    EXPECT_EQ(flat.Run(), 10);
    // Four values pending at most: with 996 below, the evaluator's stack fills.
    s.script.stack.count = kStackCapacity - 4;
    EXPECT_FALSE(flat.Fits(s.script));
    double value = 0;
    EXPECT_NE(s.Evaluate("z", value), 0) << "the evaluator fails there";
    s.script.stack.count = kStackCapacity - 5;
    EXPECT_TRUE(flat.Fits(s.script));
    ASSERT_EQ(s.Evaluate("z", value), 0);
    EXPECT_EQ(value, 10);
}

}  // namespace
