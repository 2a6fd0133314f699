#include "platform/soft/render_threads.h"

#include <algorithm>
#include <atomic>
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

std::atomic<int32_t> chosenThreads{0};

// The workers wait for a job, take bands from a shared counter until none
// is left, and report each band done. They live as long as the library: the
// pool is destroyed, and its workers joined, when the library is unloaded.
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
    // thread's job has the pool.
    bool TryRun(int32_t bands, const std::function<void(int32_t)>& job) {
        std::unique_lock<std::mutex> running(running_, std::try_to_lock);
        if (!running.owns_lock()) return false;
        std::unique_lock<std::mutex> lock(mutex_);
        // A worker that cannot be started leaves its bands to the others.
        while (static_cast<int32_t>(workers_.size()) < bands - 1) {
            try {
                workers_.emplace_back([this] { Work(); });
            } catch (...) {
                break;
            }
        }
        job_ = &job;
        bands_ = bands;
        next_ = 0;
        done_ = 0;
        const uint64_t generation = ++generation_;
        wake_.notify_all();
        TakeBands(lock, generation);
        finished_.wait(lock, [&] { return done_ == bands_; });
        job_ = nullptr;
        return true;
    }

private:
    void Work() {
        uint64_t seen = 0;
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
            if (stopping_) return;
            seen = generation_;
            TakeBands(lock, seen);
        }
    }

    // Takes bands of the job of the given generation, one at a time, until
    // none is left. A job is not finished while one of its bands runs, so it
    // is still the pool's job whenever the lock is taken again.
    void TakeBands(std::unique_lock<std::mutex>& lock, uint64_t generation) {
        while (generation_ == generation && job_ != nullptr && next_ < bands_) {
            const int32_t band = next_++;
            const std::function<void(int32_t)>& job = *job_;
            lock.unlock();
            job(band);
            lock.lock();
            if (++done_ == bands_) finished_.notify_all();
        }
    }

    std::mutex running_;  // held by the thread whose job the pool runs
    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    std::vector<std::thread> workers_;
    const std::function<void(int32_t)>* job_ = nullptr;
    int32_t bands_ = 0;
    int32_t next_ = 0;
    int32_t done_ = 0;
    uint64_t generation_ = 0;
    bool stopping_ = false;
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

void RunBands(int32_t bands, const std::function<void(int32_t)>& job) {
    if (bands > 1 && ThePool().TryRun(bands, job)) return;
    for (int32_t band = 0; band < bands; ++band) job(band);
}

void RunPieces(int32_t width, int32_t height, size_t count, const std::function<void(size_t, size_t)>& work) {
    const int32_t pieces = BandsFor(width, height);
    RunBands(pieces, [&](int32_t piece) {
        work(count * static_cast<size_t>(piece) / static_cast<size_t>(pieces),
             count * static_cast<size_t>(piece + 1) / static_cast<size_t>(pieces));
    });
}

}  // namespace talvex::soft
