// A host that makes and drops charts on one window for as long as it runs:
// create, init, paint, destroy. The heap must stay flat; the counter is the
// growth of the heap in use per cycle.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>

#include "talvex.h"
#include "talvex_window.h"

namespace {

constexpr uint32_t kPaint = 0x000F;

// Bytes in use on the heap, the large blocks mapped apart included.
double HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

void Cycle(TalvexWindow parent) {
    const int32_t handle = TALVEX_ControlCreate();
    TALVEX_ControlInit(handle, parent, nullptr, 1);
    TALVEX_ControlShow(handle, 5);
    TALVEX_ControlCalculate(handle);
    talvex_window_send(talvex_window_find_child(parent, 1), kPaint, 0, 0);
    TALVEX_ControlDestroy(handle);
}

void BM_CreateInitPaintDestroy(benchmark::State& state) {
    TalvexWindow parent = talvex_window_create(640, 480);
    Cycle(parent);  // the window class and the first allocations of their kind
    const double before = HeapInUse();
    for (auto _ : state) Cycle(parent);
    const double growth = HeapInUse() - before;
    state.counters["heap_growth_bytes_per_cycle"] = growth / static_cast<double>(state.iterations());
    state.counters["child_windows_left"] = talvex_window_find_child(parent, 1) != nullptr ? 1 : 0;
    talvex_window_destroy(parent);
}
BENCHMARK(BM_CreateInitPaintDestroy)->Iterations(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
