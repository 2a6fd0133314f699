// A control that is destroyed when the test ends, so that every test starts
// from an empty registry.
#pragma once

#include "talvex.h"

class ControlHandle {
public:
    ControlHandle() : handle_(TALVEX_ControlCreate()) {}
    ~ControlHandle() {
        if (handle_ != 0) TALVEX_ControlDestroy(handle_);
    }
    ControlHandle(const ControlHandle&) = delete;
    ControlHandle& operator=(const ControlHandle&) = delete;
    operator int32_t() const { return handle_; }

private:
    int32_t handle_;
};
