#include "api/registry.h"

#include <memory>
#include <mutex>
#include <new>

namespace talvex::registry {

namespace {

// Threads create and destroy their controls at the same time: the table is
// read and written only under this lock, so that two threads never get the
// same free entry and a lookup never sees an entry half replaced.
std::mutex tableLock;
std::unique_ptr<ChartControl> entries[kEntryCount];
int failingAllocations = 0;

}  // namespace

int32_t Create() {
    // Allocated before the lock is taken: the allocation is the slow part.
    std::unique_ptr<ChartControl> control(new (std::nothrow) ChartControl());
    std::lock_guard<std::mutex> lock(tableLock);
    int32_t handle = 1;
    while (handle < kEntryCount && entries[handle] != nullptr) ++handle;
    if (handle == kEntryCount) return 0;
    if (failingAllocations > 0) {
        --failingAllocations;
        control.reset();
    }
    entries[handle] = std::move(control);
    return handle;
}

ChartControl* Find(int32_t handle) {
    if (handle < 1 || handle >= kEntryCount) return nullptr;
    std::lock_guard<std::mutex> lock(tableLock);
    return entries[handle].get();
}

void Free(int32_t handle) {
    if (handle < 1 || handle >= kEntryCount) return;
    std::unique_ptr<ChartControl> control;
    {
        std::lock_guard<std::mutex> lock(tableLock);
        control = std::move(entries[handle]);
    }
    // Destroyed outside the lock: a control's teardown must not hold up the
    // other threads' lookups.
}

void FailNextAllocations(int count) {
    std::lock_guard<std::mutex> lock(tableLock);
    failingAllocations = count;
}

}  // namespace talvex::registry
