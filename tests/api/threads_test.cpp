// Several threads, each creating, driving, drawing and destroying its own
// controls in its own host windows at the same time, must get exactly the
// pictures one calm thread gets, and never share a handle.
#include <gtest/gtest.h>

#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "../temp_path.h"
#include "bmp_picture.h"
#include "host_window.h"
#include "talvex.h"
#include "../../tools/common/chart_messages.h"

namespace {

constexpr int kThreads = 4;
// Enough rounds for the threads to overlap often (ThreadSanitizer needs only
// one).
constexpr int kRounds = 20;

// The handles alive at this moment, over all threads: a handle handed out
// while another thread holds it shows up twice.
class LiveHandles {
public:
    bool Add(int32_t handle) {
        std::lock_guard<std::mutex> lock(lock_);
        return handles_.insert(handle).second;
    }
    void Remove(int32_t handle) {
        std::lock_guard<std::mutex> lock(lock_);
        handles_.erase(handle);
    }

private:
    std::mutex lock_;
    std::set<int32_t> handles_;
};

// One control's life on the calling thread: scripts of its own, a turned and
// dragged view, a calculation and a snapshot; its picture.
std::vector<uint32_t> DrawChart(int worker, LiveHandles& live, std::string& failure) {
    HostWindow host;
    const int32_t handle = TALVEX_ControlCreate();
    if (handle == 0 || !live.Add(handle)) {
        failure = "handle " + std::to_string(handle) + " handed out twice";
        return {};
    }
    const int32_t id = 100 + worker;
    std::vector<uint32_t> pixels;
    if (TALVEX_ControlInit(handle, host.handle(), host.instance(), id) == 0) {
        std::string surface = "z = sin(x*" + std::to_string(worker + 1) + ")*cos(y)";
        std::string curve = "x = 4*cos(t);y = 4*sin(t);tgrid = 100;z = t/" + std::to_string(worker + 2);
        // Every call's result is checked: a call that failed on one thread
        // only would otherwise show as a picture that differs, or not at all.
        const struct {
            const char* what;
            int32_t result;
        } calls[] = {{"SetScript 0", TALVEX_ControlSetScript(handle, 0, &surface[0])},
                     {"SetScript 1", TALVEX_ControlSetScript(handle, 1, &curve[0])},
                     {"Size", TALVEX_ControlSize(handle, 160 + 8 * worker, 120)},
                     {"SetIsometricView", TALVEX_ControlSetIsometricView(handle)},
                     {"SetSolid", TALVEX_ControlSetSolid(handle, worker % 2)}};
        for (const auto& call : calls)
            if (call.result != 0 && failure.empty()) failure = std::string(call.what) + " gave " + std::to_string(call.result);
        const TalvexWindow child = host.FindChild(id);
        host.Send(child, kLeftButtonDown, 0, PointParam(10, 10));
        host.Send(child, kMouseMove, 0, PointParam(10 + 5 * worker, 20));
        host.Send(child, kLeftButtonUp, 0, PointParam(10 + 5 * worker, 20));
        const int32_t calculated = TALVEX_ControlCalculate(handle);
        if (calculated != 0 && failure.empty()) failure = "Calculate gave " + std::to_string(calculated);
        const std::string path = UniqueTempPath("thread.bmp");
        const int32_t saved = TALVEX_SaveBMP(handle, path.c_str());
        if (saved == 0) pixels = BmpPicture::Load(path).pixels;
        std::remove(path.c_str());
        if (saved != 0 && failure.empty()) failure = "SaveBMP gave " + std::to_string(saved);
        if (pixels.empty() && failure.empty()) failure = "no picture";
    } else {
        failure = "Init failed";
    }
    live.Remove(handle);
    const int32_t width = TALVEX_ControlDestroy(handle);
    if (width != 160 + 8 * worker && failure.empty()) failure = "Destroy gave " + std::to_string(width);
    return pixels;
}

TEST(Threads, EachThreadsOwnControlsDrawAsInACalmRun) {
#if defined(_WIN32)
    // Under wine 8 in Xvfb, Direct3D devices driven from several threads at
    // once can deadlock inside wine itself: a thread spins in wined3d waiting
    // for its command thread, which waits on the X server for good. The
    // library's own shared state is the same code on both targets and is
    // checked natively and under ThreadSanitizer.
    GTEST_SKIP() << "wine's Direct3D does not survive devices on several threads at once";
#endif
    LiveHandles live;
    std::vector<std::vector<uint32_t>> calm(kThreads);
    for (int worker = 0; worker < kThreads; ++worker) {
        std::string failure;
        calm[static_cast<size_t>(worker)] = DrawChart(worker, live, failure);
        ASSERT_TRUE(failure.empty()) << failure;
    }
    EXPECT_NE(calm[0], calm[1]) << "the workers draw different charts";

    std::vector<std::string> failures(kThreads);
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    for (int worker = 0; worker < kThreads; ++worker)
        threads.emplace_back([&, worker] {
            const auto w = static_cast<size_t>(worker);
            for (int round = 0; round < kRounds && failures[w].empty(); ++round)
                if (DrawChart(worker, live, failures[w]) != calm[w]) ++mismatches[w];
        });
    for (std::thread& thread : threads) thread.join();
    for (int worker = 0; worker < kThreads; ++worker) {
        EXPECT_TRUE(failures[static_cast<size_t>(worker)].empty()) << failures[static_cast<size_t>(worker)];
        EXPECT_EQ(mismatches[static_cast<size_t>(worker)], 0) << "worker " << worker;
    }
}

}  // namespace
