// Our software renderer against Mesa's llvmpipe (through OSMesa, where
// libosmesa6-dev is installed) on the same triangles: the chart's three
// 100 x 100 surfaces in the isometric view, each drawn in its two passes, at
// 640 x 480 and 1280 x 960, with each renderer's default threads and with
// one thread. talvex is timed through talvex_render_picture, the whole
// picture a host gets in memory; llvmpipe from glClear to glFinish, which
// leaves the picture in memory too. The chart look is timed the same way,
// against the classic frame and against llvmpipe replaying its frame: the
// draws the software device was given for one picture, recorded, drawn
// into a 4-sample framebuffer and resolved. The program's main prints the
// ratios at the end.
//
// A host's data too: a grid of 1000 x 1000 heights (two million triangles)
// set into a slot (the copy, the ranges, the geometry and the device's
// buffers), and its chart-look frame at 1280 x 960 against llvmpipe
// replaying that frame.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <cstring>
#include <string>
#include <vector>

#include "chart_recording.h"
#include "chart_scene.h"

#if defined(TALVEX_HAVE_OSMESA)
#include "llvmpipe_process.h"
#endif

namespace {

struct Size {
    int width, height;
};
constexpr Size kSizes[] = {{640, 480}, {1280, 960}};

// Each renderer's own choice, and one thread.
constexpr int kThreadSettings[] = {0, 1};

// The side of the data grid, and the picture its frame is drawn at.
constexpr int kDataSide = 1000;
constexpr Size kDataSize = {1280, 960};

std::string Name(const char* renderer, Size size, int threads) {
    return std::string(renderer) + "/" + std::to_string(size.width) + "x" + std::to_string(size.height) +
           (threads == 0 ? "/default_threads" : "/one_thread");
}

// The chart look as the benchmark draws it: 4 samples per pixel, lit,
// coloured by height, panes, numbers, a colour bar and a title.
bool SetChartLook(int32_t handle) {
    TalvexStyle style;
    talvex_default_style(&style);
    style.look = TALVEX_LOOK_CHART;
    std::strcpy(style.title, "three surfaces");
    style.samples = 4;
    return talvex_set_style(handle, &style, nullptr, 0) == 0;
}

// threads as talvex_set_render_threads takes it: 0 the library's choice.
// chart: the chart look (4 samples per pixel, lit, coloured by height, panes,
// numbers, colour bar and a title) in place of the classic frame, over the
// same surfaces.
// dataSide: the data scene's grid, or 0 for the three script surfaces.
void BM_Talvex(benchmark::State& state, Size size, int threads, bool chart, int dataSide) {
    ChartScene scene(size.width, size.height, dataSide);
    if (!scene.ok()) {
        state.SkipWithError("the chart could not be made");
        return;
    }
    if (chart && !SetChartLook(scene.handle())) {
        state.SkipWithError("the chart look was refused");
        return;
    }
    talvex_set_render_threads(threads);
    std::vector<uint32_t> pixels(static_cast<size_t>(size.width) * static_cast<size_t>(size.height));
    // The first picture starts the library's threads; llvmpipe's first frame
    // is outside its timing too.
    talvex_render_picture(scene.handle(), pixels.data(), size.width, size.height);
    for (auto _ : state) {
        if (talvex_render_picture(scene.handle(), pixels.data(), size.width, size.height) != 0) {
            state.SkipWithError("talvex_render_picture failed");
            break;
        }
    }
    talvex_set_render_threads(0);
    state.SetItemsProcessed(state.iterations() * scene.TrianglesPerFrame());
}

// Setting the data grid into a slot: everything between the host's arrays
// and a slot ready to draw.
void BM_DataSet(benchmark::State& state) {
    ChartScene scene(kDataSize.width, kDataSize.height, kDataSide);
    if (!scene.ok()) {
        state.SkipWithError("the chart could not be made");
        return;
    }
    const std::vector<double> z = MakeDataHeights(kDataSide);
    for (auto _ : state) {
        if (talvex_set_grid(scene.handle(), 0, kDataSide, kDataSide, z.data(), nullptr, nullptr, nullptr, 0) != 0) {
            state.SkipWithError("talvex_set_grid failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kDataSide * kDataSide);
}

#if defined(TALVEX_HAVE_OSMESA)
// The frames are drawn in the process that holds llvmpipe's thread setting
// and timed there: the time of the request and the answer is left out.
void TimeFrames(benchmark::State& state, LlvmpipeProcess* process) {
    for (auto _ : state) {
        const double seconds = process->DrawFrame();
        if (seconds < 0) {
            state.SkipWithError("the llvmpipe process is gone");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

void BM_Llvmpipe(benchmark::State& state, Size size, LlvmpipeProcess* process) {
    ChartScene scene(size.width, size.height);
    if (!scene.ok() || !process->Load(size.width, size.height, scene.slots())) {
        state.SkipWithError("llvmpipe could not be set up");
        return;
    }
    TimeFrames(state, process);
    state.SetItemsProcessed(state.iterations() * scene.TrianglesPerFrame());
}

// The samples per pixel llvmpipe's chart canvas got: 4, or 1 where OSMesa
// offered no multisampling.
int llvmpipeChartSamples = 0;

// llvmpipe replaying the chart look's frame: the draws the software device
// was given for one picture, recorded, with 4 samples per pixel.
void BM_LlvmpipeChart(benchmark::State& state, Size size, LlvmpipeProcess* process, int dataSide) {
    ChartScene scene(size.width, size.height, dataSide);
    ChartRecording recording;
    if (!scene.ok() || !SetChartLook(scene.handle()) ||
        !RecordChartFrame(scene.handle(), size.width, size.height, recording)) {
        state.SkipWithError("the chart could not be recorded");
        return;
    }
    llvmpipeChartSamples = process->LoadChart(recording, 4);
    if (llvmpipeChartSamples == 0) {
        state.SkipWithError("llvmpipe could not be set up");
        return;
    }
    TimeFrames(state, process);
    state.counters["samples"] = llvmpipeChartSamples;
}
#endif

// Reports as usual and keeps each benchmark's time per frame, in its unit,
// milliseconds: the mean where there are repetitions, which is reported
// after them. Coloured on a terminal only, as the library's own reporter is
// by default: the output is often kept in a file.
class TableReporter : public benchmark::ConsoleReporter {
public:
    TableReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred && (run.run_type == Run::RT_Iteration || run.aggregate_name == "mean"))
                milliseconds[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    std::map<std::string, double> milliseconds;
};

void PrintTable(const TableReporter& reporter) {
    std::printf("\n%-10s %-8s %10s %12s %7s %9s %13s %15s %14s\n", "size", "threads", "talvex ms", "llvmpipe ms",
                "ratio", "chart ms", "chart/classic", "llvmpipe chart", "chart/llvmpipe");
    for (const Size& size : kSizes)
        for (int threads : kThreadSettings) {
            const auto ours = reporter.milliseconds.find(Name("talvex", size, threads));
            const auto theirs = reporter.milliseconds.find(Name("llvmpipe", size, threads));
            const auto chart = reporter.milliseconds.find(Name("talvex_chart", size, threads));
            const auto theirChart = reporter.milliseconds.find(Name("llvmpipe_chart", size, threads));
            if (ours == reporter.milliseconds.end()) continue;
            const std::string area = std::to_string(size.width) + "x" + std::to_string(size.height);
            const bool llvmpipe = theirs != reporter.milliseconds.end();
            std::printf("%-10s %-8s %10.2f", area.c_str(), threads == 0 ? "default" : "one", ours->second);
            if (llvmpipe) std::printf(" %12.2f %7.2f", theirs->second, ours->second / theirs->second);
            else std::printf(" %12s %7s", "-", "-");
            if (chart == reporter.milliseconds.end()) {
                std::printf("\n");
                continue;
            }
            std::printf(" %9.2f %13.2f", chart->second, chart->second / ours->second);
            if (theirChart != reporter.milliseconds.end())
                std::printf(" %15.2f %14.2f\n", theirChart->second, chart->second / theirChart->second);
            else std::printf(" %15s %14s\n", "-", "-");
        }
    const auto at = [&reporter](const std::string& name) {
        const auto found = reporter.milliseconds.find(name);
        return found != reporter.milliseconds.end() ? found->second : -1.0;
    };
    const double set = at("talvex_data_set"), frame = at(Name("talvex_chart_data", kDataSize, 0)),
                 theirFrame = at(Name("llvmpipe_chart_data", kDataSize, 0));
    if (set >= 0 || frame >= 0) {
        std::printf("\ndata: a %d x %d grid         %8s %9s %15s %14s\n", kDataSide, kDataSide, "set ms", "chart ms",
                    "llvmpipe chart", "chart/llvmpipe");
        std::printf("%-10s %-17s %8.2f %9.2f", "1280x960", "default threads", set, frame);
        if (theirFrame > 0) std::printf(" %15.2f %14.2f\n", theirFrame, frame / theirFrame);
        else std::printf(" %15s %14s\n", "-", "-");
    }
#if defined(TALVEX_HAVE_OSMESA)
    std::printf("ratio: talvex's time over llvmpipe's (below 1: talvex is faster). chart/llvmpipe: the chart look\n"
                "against llvmpipe replaying the same frame (the draws the software device was given, recorded) with\n"
                "%s\n",
                llvmpipeChartSamples > 1 ? "4 samples per pixel, as talvex draws it"
                                         : "one sample per pixel: OSMesa offered no multisampling");
#else
    std::printf("llvmpipe comparison left out: libosmesa6-dev was not installed when this was built\n");
#endif
}

}  // namespace

int main(int argc, char** argv) {
    // llvmpipe allocates each frame's bins afresh and frees them after it.
    // With glibc's defaults the freed memory goes back to the system and the
    // next frame faults it in again, which took three quarters of llvmpipe's
    // frame on a virtual machine: the allocator's traffic with the system,
    // not drawing. Both renderers draw on a heap that keeps what it frees.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
#if defined(TALVEX_HAVE_OSMESA)
    // Forked first, while this process has no thread but its own.
    LlvmpipeProcess llvmpipeDefault(nullptr);
    LlvmpipeProcess llvmpipeOneThread("0");
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    for (const Size& size : kSizes)
        for (int threads : kThreadSettings) {
            for (bool chart : {false, true})
                benchmark::RegisterBenchmark(Name(chart ? "talvex_chart" : "talvex", size, threads).c_str(), BM_Talvex,
                                             size, threads, chart, 0)
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
#if defined(TALVEX_HAVE_OSMESA)
            LlvmpipeProcess* process = threads == 0 ? &llvmpipeDefault : &llvmpipeOneThread;
            benchmark::RegisterBenchmark(Name("llvmpipe", size, threads).c_str(), BM_Llvmpipe, size, process)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime();
            benchmark::RegisterBenchmark(Name("llvmpipe_chart", size, threads).c_str(), BM_LlvmpipeChart, size,
                                         process, 0)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime();
#endif
        }
    benchmark::RegisterBenchmark("talvex_data_set", BM_DataSet)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark(Name("talvex_chart_data", kDataSize, 0).c_str(), BM_Talvex, kDataSize, 0, true, kDataSide)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
#if defined(TALVEX_HAVE_OSMESA)
    benchmark::RegisterBenchmark(Name("llvmpipe_chart_data", kDataSize, 0).c_str(), BM_LlvmpipeChart, kDataSize,
                                 &llvmpipeDefault, kDataSide)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
#endif
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintTable(reporter);
    benchmark::Shutdown();
    return 0;
}
