// The Control registry: 65,536 entries mapping a handle 1 .. 65,535 to its
// control. Entry 0 is never used. The table is the whole state; it is safe
// for use from several threads at once.
#pragma once

#include <cstdint>

#include "control/chart_control.h"

namespace talvex::registry {

constexpr int32_t kEntryCount = 65536;

// A new control in the lowest free entry; its handle. 0 when every handle is
// taken. When the control cannot be allocated, the entry stays empty and its
// index is returned all the same.
int32_t Create();
// The control of a valid handle, or null.
ChartControl* Find(int32_t handle);
// Frees the control and empties its entry (the handle must be valid).
void Free(int32_t handle);

// For tests: the next n allocations of a control fail.
void FailNextAllocations(int count);

}  // namespace talvex::registry
