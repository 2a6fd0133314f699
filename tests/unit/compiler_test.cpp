#include <gtest/gtest.h>

#include <string>

#include "script_fixture.h"

namespace {

using namespace talvex::script;

TEST(Compiler, CodesAndErrorLines) {
    const struct {
        std::string text;
        int32_t code;
        int32_t errorLine;
    } cases[] = {
        {"", 0, 0},
        {"   ", 0, 0},
        {"\n\n", 0, 2},
        {"z = sin(x)*cos(y)", 0, 0},
        {"z\n", 6, 0},
        {"z", 6, 0},
        {"z =", 13, 0},
        {"z = x +", 13, 0},
        {"z = (x", 9, 0},
        {"z = x)", 7, 0},
        {"z = ()", 7, 0},
        {"z = (x)(y)", 8, 0},
        {"z = x y", 13, 0},
        {"z = x = y", 11, 0},
        {"z = 2*-x", 12, 0},
        {"z = foo(x)", 10, 0},
        {"3 = x", 13, 0},
        {"sin(x) = 1", 10, 0},
        {"z = min(x)", 20, 0},
        {"z = sin(x, y)", 20, 0},
        {"z = interpolation(x, 1, 2, 3)", 20, 0},
        {"z = betaspline(x, 1, 2, 3, 4, 5, 6)", 0, 0},
        {"z = max((x+1)*2, y)", 0, 0},
        {"a = 1\nb = 2\nc = +", 13, 2},
        {"a = 1\nb = 2\nc = +\n", 13, 2},
        // The line of the failing statement, counted by line breaks only.
        {"a = +;", 13, 0},
        {"z = (;", 9, 0},
        {"z = x +;", 13, 0},
        {"z = 1;\ny = );", 7, 1},
        {"z = 1; y = )\nw = 2", 7, 0},
        {"a = 1\nb = 2;c = +;\n", 13, 1},
        {"a = 1\nb = $", 2, 1},
        {"a = 1\nb = 1.2.3\n", 2, 1},
        {"a = 1\nb = x_1\n", 2, 1},
        {"z = " + std::string(33, 'k'), 2, 0},
        {"z = )", 7, 0},
        {"z = (", 9, 0},
        {"z = x,y", 13, 0},
        {"z = max(,x, y)", 13, 0},
        {"z = max(x,,y)", 13, 0},
        {"z = max(x+,y)", 13, 0},
        {"z = max(x,)", 13, 0},
        {"z = 2(x)", 13, 0},
        {"z = ((x), y)", 13, 0},
        {"z = max((x, y))", 13, 0},
        {"z = max((x, y), 1)", 13, 0},
        {"z = -x", 0, 0},
        {"z = sin(-x)", 0, 0},
        {"z = x^-1", 12, 0},
        {"# comment\nz = 1", 0, 1},
    };
    for (const auto& c : cases) {
        CompiledScript s(c.text);
        EXPECT_EQ(s.result, c.code) << "text: " << c.text;
        EXPECT_EQ(ErrorLine(s.script), c.errorLine) << "text: " << c.text;
    }
}

TEST(Compiler, PostfixPrograms) {
    const struct {
        std::string text;
        std::string program;
    } cases[] = {
        {"z = sin(x)*cos(y)", "x, sin, y, cos, *"},
        {"z = 2 + 3*sin(x)^2", "2, 3, x, sin, 2, ^, *, +"},
        {"z = interpolation(x, 0, 0, 1, 1)", "x, 0, 0, 1, 1, 4, interpolation"},
        {"z = interpolation(x, 0, 0, 1, sin(1))", "x, 0, 0, 1, 1, sin, 4, interpolation"},
        {"z = betaspline(x, 1, 2, 3, 4, 5, 6)", "x, 1, 2, 3, 4, 5, 6, 6, betaspline"},
        {"z = -x", "0, x, -"},
        {"z = sin(-x)", "0, x, -, sin"},
        {"z = 2^3^2", "2, 3, ^, 2, ^"},
        {"z = 8/2/2", "8, 2, /, 2, /"},
        {"z = -x^2", "0, x, 2, ^, -"},
        {"z = max((x+1)*2, y)", "x, 1, +, 2, *, y, max"},
        {"z = 1\nz = 2", "2"},
        {"Z = SIN(X)", "x, sin"},
        {"z = (+x)", "0, x, +"},
        {"z = bspline(bspline(x,1,2,3,4),5,6,7,8)", "x, 1, 2, 3, 4, 4, bspline, 5, 6, 7, 8, 4, bspline"},
    };
    for (const auto& c : cases) {
        CompiledScript s(c.text);
        ASSERT_EQ(s.result, 0) << c.text;
        EXPECT_EQ(s.Program("z"), c.program) << "text: " << c.text;
    }
}

TEST(Compiler, ResetDefinesConstantsAndSettingsInOrder) {
    CompiledScript s("");
    const char* expected[] = {"pi",   "e",    "xcenter", "ycenter", "zcenter", "scale",
                              "pmin", "pmax", "qmin",    "qmax",    "tmin",    "tmax",
                              "xgrid", "ygrid", "zgrid", "pgrid",  "qgrid",   "tgrid"};
    ASSERT_EQ(s.script.symbols.size(), 18u);
    for (size_t i = 0; i < 18; ++i) EXPECT_EQ(s.script.symbols[i]->name, expected[i]);
    EXPECT_EQ(s.Program("pi"), "3.1415926525");
    EXPECT_EQ(s.Program("pmax"), "6.283185307");
    EXPECT_EQ(s.Program("xgrid"), "-1");
}

TEST(Compiler, CapitalsAreFoldedInTheCallersBuffer) {
    Script script;
    ResetScript(script);
    char ok[] = "Z = SIN(X)";
    EXPECT_EQ(Compile(script, ok), 0);
    EXPECT_STREQ(ok, "z = sin(x)");
    char bad[] = "Z = FOO(X) ; Q = ";
    EXPECT_EQ(Compile(script, bad), 10);
    EXPECT_STREQ(bad, "z = foo(x) ; q = ");
}

TEST(Compiler, DeepNestingCompilesWithoutDeepRecursion) {
    const int depth = 100000;
    {
        CompiledScript s("z = " + std::string(depth, '(') + "x" + std::string(depth, ')'));
        EXPECT_EQ(s.result, 0);
        EXPECT_EQ(s.Program("z"), "x");
    }
    {
        std::string text = "z = ";
        for (int i = 0; i < depth; ++i) text += "sin(";
        text += "x" + std::string(depth, ')');
        CompiledScript s(text);
        EXPECT_EQ(s.result, 0);
    }
    {
        std::string text = "z = ";
        for (int i = 0; i < depth; ++i) text += "max(1,";
        text += "x" + std::string(depth, ')');
        CompiledScript s(text);
        EXPECT_EQ(s.result, 0);
        double value = 0;
        EXPECT_EQ(s.Evaluate("z", value), 16) << "a thousand pending values and more";
        EXPECT_EQ(s.Compute("z", value), 16) << "the library";
    }
    {
        CompiledScript s("z = " + std::string(depth, '('));
        EXPECT_EQ(s.result, 9);
    }
}

TEST(Compiler, DescribesEveryCode) {
    for (int32_t code : {0, 2, 6, 7, 8, 9, 10, 11, 12, 13, 20}) EXPECT_NE(DescribeCompileCode(code), nullptr) << code;
    EXPECT_EQ(DescribeCompileCode(5), nullptr);
}

}  // namespace
