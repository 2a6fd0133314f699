// How an exported function reaches its control: the handle looked up, the
// operation run on the control, and nothing thrown back into the host.
#pragma once

#include <cstdint>

#include "api/registry.h"
#include "common/result_codes.h"

namespace talvex::api {

// Runs operation on the handle's control, or returns invalid for an invalid
// handle. An exception (an allocation that failed deep inside) becomes
// failure instead of crossing into the host.
template <typename T, typename Operation>
T WithControl(int32_t handle, T invalid, T failure, Operation operation) {
    ChartControl* control = registry::Find(handle);
    if (control == nullptr) return invalid;
    try {
        return operation(*control);
    } catch (...) {
        return failure;
    }
}

// An operation with a result code: E_FAIL for an invalid handle,
// E_OUTOFMEMORY when it threw.
template <typename Operation>
int32_t Act(int32_t handle, Operation operation) {
    return WithControl<int32_t>(handle, kFail, kOutOfMemory, operation);
}

}  // namespace talvex::api
