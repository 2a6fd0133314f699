#include "platform/soft/render_threads.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace talvex::soft {

namespace {

// Below this many pixels a picture is drawn on the calling thread alone:
// waking the workers would cost more than they save.
constexpr int64_t kPixelsPerExtraThread = 150000;
constexpr int32_t kDefaultMaximum = 8;

// A frame hands the workers a dozen jobs in quick succession: between two,
// a worker (and a caller waiting for its bands) keeps looking for a while
// before it sleeps, which spares each job a wake-up through the system.
constexpr auto kSpinTime = std::chrono::microseconds(300);

std::atomic<int32_t> chosenThreads{0};

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// Calls ready() until it holds or the spin time is up; whether it held.
template <typename Ready>
bool SpinUntil(Ready ready) {
    const auto end = std::chrono::steady_clock::now() + kSpinTime;
    for (int round = 0;; ++round) {
        if (ready()) return true;
        if (round % 64 == 63 && std::chrono::steady_clock::now() >= end) return false;
        Pause();
    }
}

// The workers wait for a job and take its bands one at a time until none is
// left. A job's bands are claimed through one ticket that holds the job's
// generation, its number of bands and the next band, so that a worker that
// looks late never claims a band of a job that is not the one it saw. The
// pool lives as long as the library: it is destroyed, and its workers
// joined, when the library is unloaded.
class Pool {
public:
    ~Pool() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& worker : workers_) worker.join();
    }

    // Runs the job over the bands; false, having run nothing, when another
    // thread's job has the pool. Jobs must not throw.
    bool TryRun(int32_t bands, const FunctionRef<void(int32_t)>& job) {
        std::unique_lock<std::mutex> running(running_, std::try_to_lock);
        if (!running.owns_lock()) return false;
        uint64_t generation;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            // A worker that cannot be started leaves its bands to the others.
            while (static_cast<int32_t>(workers_.size()) < bands - 1) {
                try {
                    workers_.emplace_back([this] { Work(); });
                } catch (...) {
                    break;
                }
            }
            job_.store(&job, std::memory_order_relaxed);
            done_.store(0, std::memory_order_relaxed);
            generation = ++generation_;
            ticket_.store(Ticket(generation, bands, 0), std::memory_order_release);
        }
        wake_.notify_all();
        TakeBands(generation);
        const auto finished = [&] { return done_.load(std::memory_order_acquire) == bands; };
        if (!SpinUntil(finished)) {
            std::unique_lock<std::mutex> lock(mutex_);
            finished_.wait(lock, finished);
        }
        return true;
    }

private:
    static uint64_t Ticket(uint64_t generation, int32_t bands, int32_t next) {
        return generation << 32 | static_cast<uint64_t>(bands) << 16 | static_cast<uint64_t>(next);
    }

    void Work() {
        uint64_t seen = 0;
        for (;;) {
            SpinUntil([&] { return ticket_.load(std::memory_order_acquire) >> 32 != (seen & 0xFFFFFFFFu); });
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
                if (stopping_) return;
                seen = generation_;
            }
            TakeBands(seen);
        }
    }

    // Claims and runs bands of the job of this generation while any is left.
    void TakeBands(uint64_t generation) {
        uint64_t ticket = ticket_.load(std::memory_order_acquire);
        for (;;) {
            const auto bands = static_cast<int32_t>(ticket >> 16 & 0xFFFFu);
            const auto band = static_cast<int32_t>(ticket & 0xFFFFu);
            if (ticket >> 32 != (generation & 0xFFFFFFFFu) || band >= bands) return;
            if (!ticket_.compare_exchange_weak(ticket, ticket + 1, std::memory_order_acq_rel)) continue;
            // The job stays until every band is done, this one included.
            (*job_.load(std::memory_order_relaxed))(band);
            if (done_.fetch_add(1, std::memory_order_acq_rel) + 1 == bands) {
                std::lock_guard<std::mutex> lock(mutex_);
                finished_.notify_all();
            }
            ticket = ticket_.load(std::memory_order_acquire);
        }
    }

    std::mutex running_;  // held by the thread whose job the pool runs
    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    std::vector<std::thread> workers_;
    std::atomic<const FunctionRef<void(int32_t)>*> job_{nullptr};
    std::atomic<uint64_t> ticket_{0};
    std::atomic<int32_t> done_{0};
    uint64_t generation_ = 0;  // under mutex_
    bool stopping_ = false;    // under mutex_
};

Pool& ThePool() {
    static Pool pool;
    return pool;
}

}  // namespace

void SetRenderThreads(int32_t count) { chosenThreads = std::clamp(count, 0, kMaximumRenderThreads); }

int32_t BandsFor(int32_t width, int32_t height) {
    const int32_t chosen = chosenThreads;
    if (chosen > 0) return std::min(chosen, std::max(height, 1));
    const auto cores = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    const int64_t pixels = static_cast<int64_t>(width) * height;
    const auto bySize = static_cast<int32_t>(std::min<int64_t>(kDefaultMaximum, 1 + pixels / kPixelsPerExtraThread));
    return std::max(1, std::min({cores, bySize, kDefaultMaximum, std::max(height, 1)}));
}

void RunBands(int32_t bands, FunctionRef<void(int32_t)> job) {
    if (bands > 1 && ThePool().TryRun(bands, job)) return;
    for (int32_t band = 0; band < bands; ++band) job(band);
}

void RunPieces(int32_t width, int32_t height, size_t count, FunctionRef<void(size_t, size_t)> work) {
    const int32_t pieces = BandsFor(width, height);
    RunBands(pieces, [&](int32_t piece) {
        work(count * static_cast<size_t>(piece) / static_cast<size_t>(pieces),
             count * static_cast<size_t>(piece + 1) / static_cast<size_t>(pieces));
    });
}

}  // namespace talvex::soft
