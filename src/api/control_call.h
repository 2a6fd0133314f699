// How an exported function reaches its control: the handle looked up, the
// operation run on the control, and nothing thrown back into the host.
#pragma once

#include <cstdint>
#include <exception>
#include <new>

#include "api/registry.h"
#include "common/result_codes.h"
#include "common/trace.h"

namespace talvex::api {

// Runs operation on the handle's control, or returns invalid for an invalid
// handle. An exception (an allocation that failed deep inside) is traced and
// becomes outOfMemory, or failure for any other kind, instead of crossing
// into the host; the trace indentation is back where the call found it.
template <typename T, typename Operation>
T WithControl(int32_t handle, T invalid, T failure, T outOfMemory, Operation operation) {
    ChartControl* control = registry::Find(handle);
    if (control == nullptr) return invalid;
    const int indentation = Trace().Indentation();
    try {
        return operation(*control);
    } catch (const std::bad_alloc&) {
        Trace().SetIndentation(indentation);
        Trace().Output("out of memory");
        return outOfMemory;
    } catch (const std::exception& error) {
        Trace().SetIndentation(indentation);
        Trace().Output("failed: %s", error.what());
        return failure;
    } catch (...) {
        Trace().SetIndentation(indentation);
        Trace().Output("failed");
        return failure;
    }
}

// An operation with a result code: E_FAIL for an invalid handle or an
// unexpected exception, E_OUTOFMEMORY for a failed allocation.
template <typename Operation>
int32_t Act(int32_t handle, Operation operation) {
    return WithControl<int32_t>(handle, kFail, kFail, kOutOfMemory, operation);
}

}  // namespace talvex::api
