#include "api/registry.h"

#include <memory>
#include <new>

namespace talvex::registry {

namespace {

std::unique_ptr<ChartControl> entries[kEntryCount];
int failingAllocations = 0;

}  // namespace

int32_t Create() {
    int32_t handle = 1;
    while (handle < kEntryCount && entries[handle] != nullptr) ++handle;
    if (handle == kEntryCount) return 0;
    if (failingAllocations > 0) {
        --failingAllocations;
        return handle;
    }
    entries[handle].reset(new (std::nothrow) ChartControl());
    return handle;
}

ChartControl* Find(int32_t handle) {
    if (handle < 1 || handle >= kEntryCount) return nullptr;
    return entries[handle].get();
}

void Free(int32_t handle) {
    if (handle < 1 || handle >= kEntryCount) return;
    entries[handle].reset();
}

void FailNextAllocations(int count) { failingAllocations = count; }

}  // namespace talvex::registry
