// Evaluating scripts over a 101 x 101 grid (10,201 samples) next to plain C++
// computing the same values, so that the ratio can be watched.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "script/block_program.h"
#include "script/compiler.h"
#include "script/splines.h"

namespace {

using namespace talvex::script;

constexpr int kSide = 101;

// The script's one executor, the block program, over the grid in blocks.
void EvaluateScript(benchmark::State& state, const char* source) {
    Script script;
    ResetScript(script);
    std::string text = source;
    BlockProgram program;
    if (Compile(script, text.data()) != 0 || !program.Build(script, {"z"}, {"x", "y"})) {
        state.SkipWithError("script does not compile");
        return;
    }
    for (auto _ : state) {
        double sum = 0;
        int pending = 0;
        auto flush = [&]() {
            program.Run(pending);
            for (int i = 0; i < pending; ++i) sum += program.Output(0)[i];
            pending = 0;
        };
        for (int r = 0; r < kSide; ++r) {
            for (int c = 0; c < kSide; ++c) {
                program.Input(0)[pending] = -5 + c * 0.1;
                program.Input(1)[pending] = -5 + r * 0.1;
                if (++pending == BlockProgram::kBlockSize) flush();
            }
        }
        if (pending > 0) flush();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}

void BM_ScriptSinCos(benchmark::State& state) { EvaluateScript(state, "z = sin(x)*cos(y)"); }
void BM_ScriptSpline(benchmark::State& state) { EvaluateScript(state, "z = bspline((x+5)/10, 0, 1, 3, 2, y, 1)"); }

// The same grid of samples computed by a plain function f(x, y).
template <typename Function>
void EvaluatePlain(benchmark::State& state, Function f) {
    for (auto _ : state) {
        double sum = 0;
        for (int r = 0; r < kSide; ++r) {
            const double y = -5 + r * 0.1;
            for (int c = 0; c < kSide; ++c) sum += f(-5 + c * 0.1, y);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}

void BM_PlainSinCos(benchmark::State& state) {
    EvaluatePlain(state, [](double x, double y) { return std::sin(x) * std::cos(y); });
}

void BM_PlainSpline(benchmark::State& state) {
    EvaluatePlain(state, [](double x, double y) {
        const double values[] = {0, 1, 3, 2, y, 1};
        return talvex::script::BSpline((x + 5) / 10, 6, values);
    });
}

BENCHMARK(BM_ScriptSinCos);
BENCHMARK(BM_PlainSinCos);
BENCHMARK(BM_ScriptSpline);
BENCHMARK(BM_PlainSpline);

}  // namespace
