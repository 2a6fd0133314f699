// The block path against the reference evaluator, and the engine's cost and limits on
// scripts whose names are shared many times over. Uses only the script and
// graph layers, so it runs on both targets.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "graph/calculation.h"
#include "script/block_program.h"
#include "script/dependencies.h"
#include "script_fixture.h"

namespace {

using namespace talvex::script;
using talvex::graph::ComputeSlot;
using talvex::graph::SlotGeometry;
using talvex::reference::CompareSlot;
using talvex::reference::SameGeometry;

// The same double, bit for bit. Not-a-number is one value here: which of two
// not-a-number operands an operation passes on is the processor's choice and
// the compiler's, not the program's.
template <typename Number>
bool Same(Number a, Number b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(BlockProgram, GivesWhatTheEvaluatorGivesAsTheVariablesMove) {
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
        "z = x*x + x*y + y*y - (x - y)*(x - y)",
    };
    const double kSamples[] = {-2.5, -1, 0, 0.5, 1, 3, 1e300, -INFINITY, NAN};
    constexpr int kCount = 9 * 9;
    for (const char* text : kScripts) {
        CompiledScript s(text);
        ASSERT_EQ(s.result, 0) << text;
        BlockProgram block;
        ASSERT_TRUE(block.Build(s.script, {"z"}, {"x", "y"})) << text;
        for (int i = 0; i < kCount; ++i) {
            block.Input(0)[i] = kSamples[i / 9];
            block.Input(1)[i] = kSamples[i % 9];
        }
        block.Run(kCount);
        for (int i = 0; i < kCount; ++i) {
            s.SetInput("x", kSamples[i / 9]);
            s.SetInput("y", kSamples[i % 9]);
            double expected = 0;
            ASSERT_EQ(s.Evaluate("z", expected), 0);
            EXPECT_TRUE(Same(block.Output(0)[i], expected))
                << text << " at x = " << kSamples[i / 9] << ", y = " << kSamples[i % 9];
        }
    }
}

// What the evaluator answers with a failure, and hand-made programs that no
// compiler makes, are not built.
TEST(BlockProgram, RefusesWhatItCannotComputeExactly) {
    BlockProgram block;
    CompiledScript missing("z = k + 1");
    EXPECT_FALSE(block.Build(missing.script, {"z"}, {}));
    CompiledScript circular("z = a\na = a + 1");
    EXPECT_FALSE(block.Build(circular.script, {"z"}, {}));

    CompiledScript empty("z = a + 1\na = 1");
    DefineSymbol(empty.script, "a");  // a program emptied by hand
    EXPECT_FALSE(block.Build(empty.script, {"z"}, {}));
    CompiledScript two("z = 1 + 2");
    Instruction extra;
    extra.kind = kOpNumber;
    DefineSymbol(two.script, "z")->program = {extra, extra, extra};
    EXPECT_FALSE(block.Build(two.script, {"z"}, {}));
    // What no compiler makes fails to evaluate, in the library and the
    // reference alike, and a slot draws it as not-a-number.
    for (CompiledScript* s : {&empty, &two}) {
        double value = 0;
        EXPECT_EQ(s->Evaluate("z", value), 2);
        EXPECT_EQ(s->Compute("z", value), 2);
    }

    std::string chain = "z = a0\n";
    for (int i = 0; i < 100; ++i) chain += "a" + std::to_string(i) + " = a" + std::to_string(i + 1) + " + 1\n";
    chain += "a100 = 0\n";
    CompiledScript deep(chain);
    ASSERT_EQ(deep.result, 0);
    ASSERT_TRUE(block.Build(deep.script, {"z"}, {})) << "names nested 100 deep";
    block.Run(3);
    EXPECT_EQ(block.Output(0)[2], 100);
}

// A random script over the given free variables, exercising every built-in,
// the splines with several argument counts, names shared by x, y and z,
// settings computed from other names, poles and not-a-number.
class ScriptGenerator {
public:
    explicit ScriptGenerator(unsigned seed) : random_(seed) {}

    std::string Make(const std::vector<std::string>& variables, const std::vector<std::string>& outputs) {
        variables_ = variables;
        names_.clear();
        std::string text;
        const int shared = Pick(4) + 1;
        for (int i = 0; i < shared; ++i) {
            const std::string name = "n" + std::to_string(i);
            text += name + " = " + Expression(3) + "\n";
            names_.push_back(name);
        }
        for (const std::string& output : outputs) text += output + " = " + Expression(3) + "\n";
        // Settings that depend on names that do not depend on the variables.
        text += "k = " + std::to_string(Pick(5) + 2) + "\n";
        if (Pick(2) == 0) text += "scale = k*2 + 1\n";
        if (Pick(2) == 0) text += "zcenter = k/4\n";
        if (Pick(2) == 0) text += "tmax = k\npmin = 0-k\n";
        return text;
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    std::string Operand(int depth) {
        switch (Pick(depth > 0 ? 9 : 4)) {
        case 0:
        case 1:
            return variables_[static_cast<size_t>(Pick(static_cast<int>(variables_.size())))];
        case 2:
            return names_.empty() ? "pi" : names_[static_cast<size_t>(Pick(static_cast<int>(names_.size())))];
        case 3: {
            static const char* const kNumbers[] = {"0", "1", "2.5", "0.001", "1000", "e", "pi", "k"};
            return kNumbers[Pick(8)];
        }
        case 4:
            return "(" + Expression(depth - 1) + ")";
        case 5: {
            static const char* const kUnary[] = {"cos", "sin", "tan", "arccos", "arcsin", "arctan",
                                                 "cosh", "sinh", "tanh", "exp", "abs", "deg",
                                                 "rad", "ln", "sqrt", "floor", "ceil", "round"};
            return std::string(kUnary[Pick(18)]) + "(" + Expression(depth - 1) + ")";
        }
        case 6:
            return std::string(Pick(2) == 0 ? "min" : "max") + "(" + Expression(depth - 1) + ", " +
                   Expression(depth - 1) + ")";
        case 7: {
            static const char* const kSplines[] = {"interpolation", "bspline", "betaspline"};
            const int which = Pick(3);
            const int arguments = (which == 2 ? 7 : 5) + Pick(4);
            std::string call = std::string(kSplines[which]) + "(" + Expression(depth - 1);
            for (int i = 1; i < arguments; ++i) call += ", " + Operand(0);
            return call + ")";
        }
        default: {
            // Poles and not-a-number: division by a value that crosses zero,
            // infinity times zero, roots of negative numbers.
            static const char* const kHard[] = {"1/(%s - 1)", "exp(1000*(%s))*0", "(0-2)^(%s)", "ln(%s)",
                                                "(%s)/0", "tan((%s)*100)"};
            std::string pattern = kHard[Pick(6)];
            const std::string inner = Expression(depth - 1);
            return pattern.replace(pattern.find("%s"), 2, inner);
        }
        }
    }

    std::string Expression(int depth) {
        static const char* const kOperators[] = {" + ", " - ", "*", "/", "^"};
        std::string text = Pick(6) == 0 ? "-" + Operand(depth) : Operand(depth);
        const int terms = Pick(3);
        for (int i = 0; i < terms; ++i) text += kOperators[Pick(5)] + Operand(depth);
        return text;
    }

    std::mt19937 random_;
    std::vector<std::string> variables_;
    std::vector<std::string> names_;
};

TEST(BlockPath, GeneratedScriptsGiveTheReferenceVerticesBitForBit) {
    struct Shape {
        std::vector<std::string> variables, outputs;
        const char* grids;
    };
    const Shape kShapes[] = {
        {{"x", "y"}, {"z"}, "xgrid = 9\nygrid = 7\n"},
        {{"p", "q"}, {"x", "y", "z"}, "pgrid = 6\nqgrid = 11\n"},
        {{"t"}, {"x", "y", "z"}, "tgrid = 300\n"},
        {{"x", "z"}, {"y"}, "xgrid = 300\nzgrid = 2\n"},
    };
    int compared = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        const Shape& shape = kShapes[seed % 4];
        const std::string text = ScriptGenerator(seed).Make(shape.variables, shape.outputs) + shape.grids;
        const bool leftHanded = seed % 3 == 0;
        CompiledScript s(text);
        ASSERT_EQ(s.result, 0) << text;
        const talvex::reference::SlotComparison comparison = CompareSlot(s.script, leftHanded);
        EXPECT_EQ(comparison.difference, "") << "seed " << seed << ":\n" << text;
        if (comparison.code == 0 && comparison.compared) ++compared;
    }
    EXPECT_GT(compared, 300) << "most generated scripts are computed";
}

// «z = a0», «ai = a(i+1)*b(i+1) + b(i+1)», «bi = a(i+1) - b(i+1)», «ad = x»,
// «bd = y»: every name is used twice, so following each use would cost 2^d.
std::string Lattice(int depth, const char* a, const char* b) {
    std::string text = "z = a0\n";
    for (int i = 0; i < depth; ++i) {
        std::string next = std::to_string(i + 1), here = std::to_string(i);
        std::string ai = a, bi = b;
        for (std::string* rule : {&ai, &bi}) {
            for (size_t at; (at = rule->find('A')) != std::string::npos;) rule->replace(at, 1, "a" + next);
            for (size_t at; (at = rule->find('B')) != std::string::npos;) rule->replace(at, 1, "b" + next);
        }
        text += "a" + here + " = " + ai + "\nb" + here + " = " + bi + "\n";
    }
    return text + "a" + std::to_string(depth) + " = x\nb" + std::to_string(depth) + " = y\nxgrid = 4\nygrid = 4\n";
}

TEST(SharedNames, LatticeFortyDeepIsComputedOncePerName) {
    // A variant whose values stay finite, checked against the same
    // recurrence computed plainly.
    CompiledScript s(Lattice(40, "sin(A*B) + B/2", "cos(A - B)"));
    ASSERT_EQ(s.result, 0);
    SlotGeometry geometry;
    ASSERT_EQ(ComputeSlot(s.script, true, geometry), 0);
    ASSERT_EQ(geometry.vertices.size(), 25u);
    for (const double x : {-5.0, 0.0, 2.5}) {
        for (const double y : {-2.5, 5.0}) {
            double a = x, b = y;
            for (int i = 0; i < 40; ++i) {
                const double nextA = std::sin(a * b) + b / 2, nextB = std::cos(a - b);
                a = nextA;
                b = nextB;
            }
            s.SetInput("x", x);
            s.SetInput("y", y);
            double z = 0;
            ASSERT_EQ(s.Compute("z", z), 0);
            EXPECT_TRUE(Same(z, a)) << "x = " << x << ", y = " << y;
            const int column = static_cast<int>((x + 5) / 2.5), row = static_cast<int>((y + 5) / 2.5);
            EXPECT_EQ(geometry.vertices[static_cast<size_t>(row * 5 + column)].z, static_cast<float>(a * 100 * (1 / 10.0)));
        }
    }
    // The lattice as it was found: the values overflow, the cost does not.
    // Following every use would take 2^40 steps, so the same recurrence is
    // computed plainly in the reference's place.
    class PlainLattice : public talvex::graph::CoordinateSource {
    public:
        void Compute(const double* const* parameters, int count, const double** coordinates) override {
            for (int i = 0; i < count; ++i) {
                double a = parameters[0][i], b = parameters[1][i];
                for (int k = 0; k < 40; ++k) {
                    const double nextA = a * b + b, nextB = a - b;
                    a = nextA;
                    b = nextB;
                }
                z_[i] = a;
            }
            coordinates[0] = parameters[0];
            coordinates[1] = parameters[1];
            coordinates[2] = z_;
        }

    private:
        double z_[BlockProgram::kBlockSize];
    };
    CompiledScript growing(Lattice(40, "A*B + B", "A - B"));
    ASSERT_EQ(BuildDependencies(growing.script).code, 0);
    talvex::graph::SlotCalculation calculation(growing.script, false);
    ASSERT_EQ(calculation.Prepare(), 0);
    SlotGeometry grown, plain;
    PlainLattice lattice;
    calculation.Sample(grown);
    calculation.Sample(plain, lattice);
    EXPECT_TRUE(SameGeometry(grown, plain));
}

// A chain of names z, a1, ..., a(levels-1) ending in x: the analysis and the
// evaluator follow at most 1000 levels.
TEST(SharedNames, ChainsOfAThousandLevelsAndOneMore) {
    for (const int levels : {1000, 1001}) {
        std::string text = "z = a1 + 1\n";
        for (int i = 1; i < levels - 1; ++i) text += "a" + std::to_string(i) + " = a" + std::to_string(i + 1) + " + 1\n";
        text += "a" + std::to_string(levels - 1) + " = x\nxgrid = 2\nygrid = 2\n";
        CompiledScript s(text);
        ASSERT_EQ(s.result, 0);
        SlotGeometry geometry;
        EXPECT_EQ(ComputeSlot(s.script, false, geometry), levels == 1000 ? 0 : 16) << levels << " levels";
        if (levels == 1000) {
            EXPECT_EQ(geometry.vertices[0].z, -100.0f) << "z = -5 + 999, clamped to the box";
        }
    }
}

}  // namespace
