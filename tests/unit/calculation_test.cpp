#include <cmath>

#include "control_fixture.h"
#include "graph/calculation.h"
#include "script/dependencies.h"
#include "reference_evaluator.h"
#include "script_fixture.h"

namespace {

using talvex::GraphKind;
using talvex::render::GraphVertex;

TEST(FreeVariables, KindsOfTheExampleScripts) {
    const struct {
        std::string text;
        int32_t build, first, second;
        std::string names;  // the free variables in order
    } cases[] = {
        {"z = sin(x)*cos(y)", 0, 0, 0, "xy"},
        {"x = cos(t)\ny = sin(t)\nz = t", 0, 0, 1, "t"},
        {"x = p\ny = q\nz = p*q", 0, 0, 0, "pq"},
        {"z = 1", 0, 0, 0, "xy"},
        {"x = 1\ny = 2\nz = 3", 0, 23, 23, ""},
        {"x = t", 0, 18, 18, "yzt"},
        {"y = x", 0, 0, 0, "xz"},
        {"z = z + 1", 19, -1, -1, ""},
        {"a = b\nb = a\nz = a", 19, -1, -1, ""},
        {"z = k", 17, -1, -1, ""},
        {"z = w", 17, -1, -1, ""},
        {"z = x + x*x", 0, 0, 0, "xy"},
    };
    const char* letters = "xyzpqt";
    for (const auto& c : cases) {
        CompiledScript s(c.text);
        ASSERT_EQ(s.result, 0) << c.text;
        const talvex::script::Dependencies dependencies = talvex::script::BuildDependencies(s.script);
        EXPECT_EQ(dependencies.code, c.build) << c.text;
        if (c.build != 0) continue;
        std::string names;
        for (int v = 0; v < 6; ++v)
            if (dependencies.freeVariables[static_cast<size_t>(v)]) names += letters[v];
        EXPECT_EQ(names, c.names) << c.text;
        talvex::script::VariableRange first, second;
        EXPECT_EQ(talvex::script::GetFreeVariable(s.script, dependencies, 1, first), c.first) << c.text;
        EXPECT_EQ(talvex::script::GetFreeVariable(s.script, dependencies, 2, second), c.second) << c.text;
    }
}

TEST(FreeVariables, RangesFollowTheSettings) {
    const struct {
        std::string text;
        double minimum, maximum, grid;
    } cases[] = {
        {"z = sin(x)*cos(y)", -5, 5, -1},
        {"scale = 4\nz = x", -2, 2, -1},
        {"xcenter = 1\nz = x", -4, 6, -1},
        {"x = cos(t)\ny = sin(t)\nz = t\ntgrid = 50", 0, 6.283185307, 50},
        {"x = p\ny = q\nz = p\npmin = 0-1\npmax = 2*pi", -1, 2 * 3.1415926525, -1},
    };
    for (const auto& c : cases) {
        CompiledScript s(c.text);
        const talvex::script::Dependencies dependencies = talvex::script::BuildDependencies(s.script);
        ASSERT_EQ(dependencies.code, 0) << c.text;
        talvex::script::VariableRange range;
        ASSERT_EQ(talvex::script::GetFreeVariable(s.script, dependencies, 1, range), 0) << c.text;
        EXPECT_EQ(range.minimum, c.minimum) << c.text;
        EXPECT_EQ(range.maximum, c.maximum) << c.text;
        EXPECT_EQ(range.grid, c.grid) << c.text;
        const talvex::reference::SlotPlan plan = talvex::reference::PlanSlot(s.script);
        ASSERT_EQ(plan.code, 0) << c.text;
        EXPECT_EQ(plan.parameters[0].variable, range.variable) << "the reference: " << c.text;
        EXPECT_EQ(plan.parameters[0].minimum, range.minimum) << "the reference: " << c.text;
        EXPECT_EQ(plan.parameters[0].maximum, range.maximum) << "the reference: " << c.text;
    }
    CompiledScript s("z = 1");
    talvex::script::VariableRange range;
    EXPECT_EQ(talvex::script::GetFreeVariable(s.script, talvex::script::BuildDependencies(s.script), 3, range), 23);
}

// A setting may use the free variables described before it, and the one it
// describes, each at 0; a later one it cannot use.
TEST(FreeVariables, SettingsSeeTheVariablesDescribedSoFarAtZero) {
    const struct {
        std::string text;
        int32_t first, second, slot;  // the codes of each query and of the slot
        double firstGrid, secondGrid;
    } cases[] = {
        {"z = x*y\nxgrid = x + 5\nygrid = x + y + 7", 0, 0, 0, 5, 7},
        {"z = x*y\nxgrid = y + 5", 2, 0, 2, 0, 0},
        {"x = p\ny = q\nz = p*q\nqmax = p - 1\npmin = k", 2, 0, 2, 0, 0},
        {"x = p\ny = q\nz = p*q\nqmax = p - 1\nqgrid = 1/p", 0, 0, 0, -1, 1e16},
    };
    for (const auto& c : cases) {
        CompiledScript s(c.text);
        const talvex::script::Dependencies dependencies = talvex::script::BuildDependencies(s.script);
        talvex::script::VariableRange first, second;
        EXPECT_EQ(talvex::script::GetFreeVariable(s.script, dependencies, 1, first), c.first) << c.text;
        EXPECT_EQ(talvex::script::GetFreeVariable(s.script, dependencies, 2, second), c.second) << c.text;
        if (c.first == 0) {
            EXPECT_EQ(first.grid, c.firstGrid) << c.text;
            EXPECT_EQ(second.grid, c.secondGrid) << c.text;
        }
        EXPECT_EQ(talvex::reference::PlanSlot(s.script).code, c.slot) << "the reference: " << c.text;
        talvex::graph::SlotCalculation calculation(s.script, false);
        EXPECT_EQ(calculation.Prepare(), c.slot) << c.text;
    }
}

TEST(FreeVariables, DeepDefinitionChainFailsWith16) {
    std::string chain = "z = a0\n";
    for (int i = 0; i < 3000; ++i) chain += "a" + std::to_string(i) + " = a" + std::to_string(i + 1) + "\n";
    chain += "a3000 = x";
    CompiledScript s(chain);
    ASSERT_EQ(s.result, 0);
    EXPECT_EQ(talvex::script::BuildDependencies(s.script).code, 16);
}

TEST(GridPlan, ReductionsAndLimits) {
    const double nan = std::nan("");
    const struct {
        double u, v;
        int32_t nu, nv;
        double gridU, gridV;
    } cases[] = {
        {-1, -1, 20, 20, 20, 20},     {100, 100, 100, 100, 100, 100}, {200, 200, 70, 141, 70, 141},
        {1000, 20, 100, 100, 100, 100}, {20.5, 20, 20, 20, 20.5, 20}, {50, 200, 50, 199, 50, 199},
        {20, 1000, 14, 679, 14, 679},  {nan, INFINITY, 20, 20, 20, 20}, {1e300, 1e300, 70, 141, 70, 141},
        {0, 5, 20, 5, 20, 5},          {0.5, 1e9, 0, 10200, 0, 10200},
    };
    for (const auto& c : cases) {
        const talvex::graph::SurfaceGrid g = talvex::graph::PlanSurfaceGrid(c.u, c.v);
        EXPECT_EQ(g.intervalsU, c.nu) << c.u << " x " << c.v;
        EXPECT_EQ(g.intervalsV, c.nv) << c.u << " x " << c.v;
        EXPECT_EQ(g.gridU, c.gridU) << c.u << " x " << c.v;
        EXPECT_EQ(g.gridV, c.gridV) << c.u << " x " << c.v;
        EXPECT_LE((g.intervalsU + 1) * (g.intervalsV + 1), 10201);
    }
    for (double grid : {20000.0, 0.0, -3.0, nan, static_cast<double>(INFINITY)}) EXPECT_EQ(talvex::graph::PlanCurveGrid(grid), 10000) << grid;
    EXPECT_EQ(talvex::graph::PlanCurveGrid(50.5), 50.5);
}

class Calculation : public NativeControl {
protected:
    void SetUp() override {
        NativeControl::SetUp();
        ASSERT_EQ(Init(), 0);
    }
    const talvex::ScriptSlot& Slot(int i) const { return control->Slot(static_cast<size_t>(i)); }
};

TEST_F(Calculation, DefaultSurface) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    trace.clear();
    EXPECT_EQ(TALVEX_ControlCalculate(handle), 0);
    EXPECT_EQ(trace, (std::vector<std::string>{"TALVEXCONTROL::Calculate", "i=0", "--------------", "    done"}));
    EXPECT_EQ(Slot(0).geometry.kind, GraphKind::Surface);
    EXPECT_EQ(Slot(0).geometry.samplesU, 21);
    EXPECT_EQ(Slot(0).geometry.samplesV, 21);
    EXPECT_EQ(Slot(0).geometry.VertexCount(), 441);
    EXPECT_EQ(Slot(0).geometry.PrimitiveCount(), 800);
    const auto v = Vertices(0, 441);
    EXPECT_EQ(v[0].x, -50.0f);
    EXPECT_EQ(v[0].y, -50.0f);
    EXPECT_NEAR(v[440].x, 50.0f, 1e-4f);
    EXPECT_NEAR(v[440].y, 50.0f, 1e-4f);
    EXPECT_EQ(v[22].tu, 0.5f) << "row 1";
    EXPECT_EQ(v[22].tv, 0.5f) << "column 1";
    EXPECT_EQ(v[5].nx, 0.0f);
    const double z = std::sin(-5.0) * std::cos(-5.0);
    EXPECT_NEAR(v[0].z, static_cast<float>(-z * 10), 1e-4f) << "right-handed: Z = (zcenter - z) * 100 / scale";
    EXPECT_TRUE(control->IsReady());
}

TEST_F(Calculation, CurvePointAndCodes) {
    ASSERT_EQ(SetScript(0, "x = cos(t)\ny = sin(t)\nz = t/5"), 0);
    ASSERT_EQ(SetScript(1, "x = 1\ny = 2\nz = 3"), 0);
    ASSERT_EQ(SetScript(2, "z = p*q*t"), 0);
    EXPECT_EQ(TALVEX_ControlCalculate(handle), 0);
    EXPECT_EQ(Slot(0).geometry.kind, GraphKind::Curve);
    EXPECT_EQ(Slot(0).geometry.VertexCount(), 10001);
    EXPECT_EQ(Slot(0).geometry.PrimitiveCount(), 10000);
    EXPECT_EQ(Slot(0).geometry.samplesV, 1);
    EXPECT_EQ(Vertices(0, 1)[0].tu, 0.0f);
    EXPECT_EQ(Slot(1).geometry.kind, GraphKind::Point);
    EXPECT_EQ(Vertices(1, 1)[0].x, 10.0f);
    EXPECT_EQ(Vertices(1, 1)[0].z, -30.0f);
    EXPECT_EQ(Slot(2).geometry.kind, GraphKind::None) << "18: nothing written";

    for (const char* failing : {"z = k", "z = z + 1", "z = p*q*t"}) {
        ASSERT_EQ(SetScript(1, failing), 0);
        ASSERT_EQ(TALVEX_ControlDelScript(handle, 0), 0);
        ASSERT_EQ(TALVEX_ControlDelScript(handle, 2), 0);
        const int32_t expected = std::string(failing) == "z = k" ? 17 : std::string(failing) == "z = z + 1" ? 19 : 18;
        EXPECT_EQ(TALVEX_ControlCalculate(handle), expected) << failing << ": the stopping code of the first script";
        EXPECT_EQ(Slot(1).geometry.kind, GraphKind::Point) << "the slot keeps its old geometry";
    }
    ASSERT_EQ(TALVEX_ControlDelScript(handle, 1), 0);
    ASSERT_EQ(TALVEX_ControlSetLeftHand(handle), 0);
    ASSERT_FALSE(control->IsReady()) << "new buffers hold nothing yet";
    EXPECT_EQ(TALVEX_ControlCalculate(handle), TALVEX_E_FAIL) << "three empty slots";
    EXPECT_TRUE(control->IsReady()) << "ready all the same";
}

TEST_F(Calculation, FailingSettingEndsTheSlotAndKeepsItsGeometry) {
    ASSERT_EQ(SetScript(0, "x = cos(t)\ny = sin(t)\nz = t"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    const int32_t count = Slot(0).geometry.VertexCount();
    ASSERT_EQ(SetScript(0, "x = cos(t)\ny = sin(t)\nz = t\ntmax = k"), 0);
    EXPECT_EQ(TALVEX_ControlCalculate(handle), 2) << "tmax cannot be evaluated";
    ASSERT_EQ(SetScript(0, "scale = k\nz = x"), 0);
    EXPECT_EQ(TALVEX_ControlCalculate(handle), 2) << "scale cannot be evaluated";
    EXPECT_EQ(Slot(0).geometry.kind, GraphKind::Curve);
    EXPECT_EQ(Slot(0).geometry.VertexCount(), count);
}

TEST_F(Calculation, GridsAndReductions) {
    const struct {
        std::string text;
        int32_t samplesU, samplesV;
    } cases[] = {
        {"z = x*y\nxgrid = 100\nygrid = 100", 101, 101},
        {"z = x*y\nxgrid = 200\nygrid = 200", 71, 142},
        {"z = x*y\nxgrid = 1000\nygrid = 20", 101, 101},
        {"z = x*y\nxgrid = 50\nygrid = 200", 51, 200},
        {"z = x*y\nxgrid = ln(0)*0\nygrid = 0-ln(0)", 21, 21},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(SetScript(0, c.text), 0) << c.text;
        ASSERT_EQ(TALVEX_ControlCalculate(handle), 0) << c.text;
        EXPECT_EQ(Slot(0).geometry.samplesU, c.samplesU) << c.text;
        EXPECT_EQ(Slot(0).geometry.samplesV, c.samplesV) << c.text;
        EXPECT_LE(Slot(0).geometry.VertexCount(), 10201);
        const auto v = Vertices(0, Slot(0).geometry.VertexCount());
        EXPECT_NEAR(v.back().x, 50.0f, 1e-3f) << "the whole range is spanned: " << c.text;
    }
    ASSERT_EQ(SetScript(0, "z = x*y\nxgrid = 20.5"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    EXPECT_EQ(Slot(0).geometry.samplesU, 21);
    EXPECT_NEAR(Vertices(0, 21)[20].x, static_cast<float>(-50 + 20 * 100 / 20.5), 1e-3f) << "falls short of the maximum";
    for (const char* curve : {"x = t\ny = t\nz = t\ntgrid = 20000", "x = t\ny = t\nz = t\ntgrid = 0"}) {
        ASSERT_EQ(SetScript(0, curve), 0);
        ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
        EXPECT_EQ(Slot(0).geometry.VertexCount(), 10001) << curve;
    }
}

TEST_F(Calculation, WindingsAndZOfBothHandednesses) {
    ASSERT_EQ(SetScript(0, "z = 5\nxgrid = 2\nygrid = 2"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    EXPECT_EQ(Vertices(0, 1)[0].z, -50.0f) << "right-handed: z = zcenter + scale/2 gives -50";
    EXPECT_EQ(Indices(0, 6), (std::vector<uint16_t>{0, 1, 3, 1, 4, 3}));
    TALVEX_ControlSetLeftHand(handle);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    EXPECT_EQ(Vertices(0, 1)[0].z, 50.0f);
    EXPECT_EQ(Indices(0, 6), (std::vector<uint16_t>{0, 3, 1, 1, 3, 4}));
}

TEST_F(Calculation, CellsDroppedAtTheBoxFaceAndAcrossAPole) {
    ASSERT_EQ(SetScript(0, "z = 100\nxgrid = 4\nygrid = 4"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    EXPECT_EQ(Slot(0).geometry.PrimitiveCount(), 0) << "every cell pinned to the top face";
    EXPECT_EQ(Slot(0).geometry.VertexCount(), 25);
    ASSERT_EQ(SetScript(0, "z = 1/x\nxgrid = 4\nygrid = 2"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    // x = -5, -2.5, 0, 2.5, 5 give Z = 2, 4, -100 (1e16 clamped), -4, -2: in
    // each row the cell from 4 to -100 jumps by 100 or more and drops out.
    EXPECT_EQ(Slot(0).geometry.PrimitiveCount(), 12);
    ASSERT_EQ(SetScript(0, "z = x\nscale = 0"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    EXPECT_EQ(Slot(0).geometry.PrimitiveCount(), 0) << "scale 0: every coordinate not a number";
}

TEST_F(Calculation, UnchangedScriptTwiceGivesTheSameGeometry) {
    ASSERT_EQ(SetScript(0, "z = sqrt(x^2 + y^2)"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    const auto first = Vertices(0, 441);
    const auto firstIndices = Indices(0, 2400);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    const auto second = Vertices(0, 441);
    EXPECT_EQ(std::memcmp(first.data(), second.data(), first.size() * sizeof first[0]), 0);
    EXPECT_EQ(firstIndices, Indices(0, 2400));
}

TEST_F(Calculation, FirstFailedEvaluationIsNotANumber) {
    // z holds a thousand values at once: its evaluation fails at every
    // sample, so it is not-a-number throughout, and every cell drops out.
    std::string z = "z = ";
    for (int i = 0; i < 999; ++i) z += "1+(";
    z += "x" + std::string(999, ')');
    ASSERT_EQ(SetScript(0, z + "\nxgrid = 4\nygrid = 2"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    EXPECT_EQ(Slot(0).geometry.kind, GraphKind::Surface);
    EXPECT_EQ(Slot(0).geometry.PrimitiveCount(), 0);
    const auto v = Vertices(0, 15);
    for (const GraphVertex& vertex : v) EXPECT_TRUE(std::isnan(vertex.z));
    EXPECT_EQ(v[14].x, 50.0f) << "the other coordinates are computed";
    EXPECT_EQ(v[14].y, 50.0f);

    ASSERT_EQ(SetScript(0, "x = cos(t)\ny = sin(t)\nz = a\na = 1\ntgrid = 4"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    // A coordinate whose program cannot run: rebuild the symbol by hand. The
    // analysis finds the undefined name before anything is evaluated.
    talvex::script::Script& script = *control->Slot(0).script;
    talvex::script::Instruction missing;
    missing.kind = talvex::script::kOpSymbol;
    missing.operand = talvex::script::InternName(script, "nowhere");
    talvex::script::DefineSymbol(script, "a")->program.push_back(missing);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 17);
}

TEST(CalculateBeforeInit, WritesNothingAndCrashesNothing) {
    const int32_t h = TALVEX_ControlCreate();
    std::string text = "z = x";
    ASSERT_EQ(TALVEX_ControlSetScript(h, 0, text.data()), 0);
    EXPECT_EQ(TALVEX_ControlCalculate(h), TALVEX_E_FAIL);
    EXPECT_EQ(talvex::registry::Find(h)->Slot(0).geometry.kind, GraphKind::None);
    // With nowhere to store geometry, a script's own fault still comes first.
    for (const auto& [script, code] : {std::pair<std::string, int32_t>{"z = w", 17}, {"x = p\ny = q\nz = t", 18},
                                       {"z = a\na = z", 19}}) {
        std::string crlf = WithCrLf(script);
        ASSERT_EQ(TALVEX_ControlSetScript(h, 0, crlf.data()), 0);
        EXPECT_EQ(TALVEX_ControlCalculate(h), code) << script;
        EXPECT_EQ(talvex::registry::Find(h)->Slot(0).geometry.kind, GraphKind::None) << script;
    }
    TALVEX_ControlDestroy(h);
}

}  // namespace
