// Calculate on three 100 x 100 surfaces and on a 10,000-segment curve, next
// to plain C++ that computes the same samples and box coordinates into the
// same buffers.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "control_bench_support.h"
#include "graph/splines.h"
#include "render/scene.h"

namespace {

using talvex::render::GraphVertex;

const char* const kSurfaces[] = {
    "z = sin(x)*cos(y)\nxgrid = 100\nygrid = 100",
    "z = sqrt(x^2 + y^2)\nxgrid = 100\nygrid = 100",
    "z = bspline((x+5)/10, 0, 2, 0-1, 3, y/2, 1)\nxgrid = 100\nygrid = 100",
};

void BM_CalculateThreeSurfaces(benchmark::State& state) {
    BenchControl bench(320, 240);
    for (int i = 0; i < 3; ++i)
        if (!bench.SetScript(i, kSurfaces[i])) state.SkipWithError("script");
    for (auto _ : state) benchmark::DoNotOptimize(TALVEX_ControlCalculate(bench.handle()));
    state.SetItemsProcessed(state.iterations() * 3 * 10201);
}

void BM_CalculateCurve(benchmark::State& state) {
    BenchControl bench(320, 240);
    if (!bench.SetScript(0, "x = cos(t)\ny = sin(t)\nz = t/5")) state.SkipWithError("script");
    for (auto _ : state) benchmark::DoNotOptimize(TALVEX_ControlCalculate(bench.handle()));
    state.SetItemsProcessed(state.iterations() * 10001);
}

// Writes the geometry into the slot's buffers as the calculation does.
void WriteSlot(talvex::render::SlotBuffers& slot, const std::vector<GraphVertex>& vertices, const std::vector<uint16_t>& indices) {
    uint8_t* data = nullptr;
    slot.vertexBuffer->Lock(0, 0, &data, 0);
    std::memcpy(data, vertices.data(), vertices.size() * sizeof(GraphVertex));
    slot.vertexBuffer->Unlock();
    slot.indexBuffer->Lock(0, 0, &data, 0);
    std::memcpy(data, indices.data(), indices.size() * 2);
    slot.indexBuffer->Unlock();
}

double Clamp(double v, double low, double high) {
    if (v > high) v = high;
    if (v < low) v = low;
    return v;
}

// The same work written plainly: samples, clamping, box coordinates, the
// acceptance test and the writes into the locked buffers.
template <typename Function>
void PlainSurface(talvex::render::SlotBuffers& slot, Function f) {
    std::vector<GraphVertex> vertices(10201);
    double y = -5;
    for (int r = 0; r <= 100; ++r, y += 0.1) {
        double x = -5;
        for (int c = 0; c <= 100; ++c, x += 0.1) {
            GraphVertex& v = vertices[static_cast<size_t>(r * 101 + c)];
            v = GraphVertex{};
            v.x = static_cast<float>(Clamp(x, -10, 10) * 10);
            v.y = static_cast<float>(Clamp(y, -10, 10) * 10);
            v.z = static_cast<float>(-Clamp(f(x, y), -10, 10) * 10);
            v.tu = static_cast<float>(r * 0.5);
            v.tv = static_cast<float>(c * 0.5);
        }
    }
    std::vector<uint16_t> indices;
    indices.reserve(60000);
    for (int r = 0; r < 100; ++r)
        for (int c = 0; c < 100; ++c) {
            const int a = r * 101 + c, cc = a + 102;
            const GraphVertex &p = vertices[static_cast<size_t>(a)], &q = vertices[static_cast<size_t>(cc)];
            if (std::fabs(p.z - q.z) < 100 && std::fabs(p.z + q.z) < 199) {
                const int cell[6] = {a, a + 1, a + 101, a + 1, cc, a + 101};
                for (int k : cell) indices.push_back(static_cast<uint16_t>(k));
            }
        }
    WriteSlot(slot, vertices, indices);
}

void BM_PlainThreeSurfaces(benchmark::State& state) {
    BenchControl bench(320, 240);
    auto& slots = bench.control->scene.slots;
    for (auto _ : state) {
        PlainSurface(slots[0], [](double x, double y) { return std::sin(x) * std::cos(y); });
        // The script's ^ is pow: the same call gives the same samples.
        PlainSurface(slots[1], [](double x, double y) { return std::sqrt(std::pow(x, 2.0) + std::pow(y, 2.0)); });
        PlainSurface(slots[2], [](double x, double y) {
            const double values[] = {0, 2, -1, 3, y / 2, 1};
            return talvex::graph::BSpline((x + 5) / 10, 6, values);
        });
    }
    state.SetItemsProcessed(state.iterations() * 3 * 10201);
}

void BM_PlainCurve(benchmark::State& state) {
    BenchControl bench(320, 240);
    auto& slot = bench.control->scene.slots[0];
    for (auto _ : state) {
        std::vector<GraphVertex> vertices(10001);
        std::vector<uint16_t> indices;
        indices.reserve(20000);
        double t = 0;
        const double step = 6.283185307 / 10000;
        for (int j = 0; j <= 10000; ++j, t += step) {
            GraphVertex v{};
            v.x = static_cast<float>(Clamp(std::cos(t), -10, 10) * 10);
            v.y = static_cast<float>(Clamp(std::sin(t), -10, 10) * 10);
            v.z = static_cast<float>(-Clamp(t / 5, -10, 10) * 10);
            if (j > 0 && std::fabs(vertices[static_cast<size_t>(j - 1)].x - v.x) < 100) {
                indices.push_back(static_cast<uint16_t>(j - 1));
                indices.push_back(static_cast<uint16_t>(j));
            }
            vertices[static_cast<size_t>(j)] = v;
        }
        WriteSlot(slot, vertices, indices);
    }
    state.SetItemsProcessed(state.iterations() * 10001);
}

// The largest scene a control holds: the grid, the axes and three solid
// surfaces of 100 x 100 cells, each drawn in two passes.
void BM_RenderLargestScene(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = width * 3 / 4;
    BenchControl bench(width, height);
    for (int i = 0; i < 3; ++i)
        if (!bench.SetScript(i, kSurfaces[i])) state.SkipWithError("script");
    TALVEX_ControlCalculate(bench.handle());
    TALVEX_ControlSetIsometricView(bench.handle());
    for (auto _ : state) bench.control->RenderFrame();
    state.SetItemsProcessed(state.iterations() * 120000);
}

BENCHMARK(BM_CalculateThreeSurfaces)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainThreeSurfaces)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalculateCurve)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainCurve)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderLargestScene)->Arg(320)->Arg(1280)->Unit(benchmark::kMillisecond);

}  // namespace
