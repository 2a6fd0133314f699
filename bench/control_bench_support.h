// A chart control on the native platform for benchmarks.
#pragma once

#include <string>

#include "api/registry.h"
#include "control/chart_control.h"
#include "talvex.h"
#include "talvex_window.h"
#include "../tools/common/line_ends.h"

class BenchControl {
public:
    BenchControl(int width, int height) : host_(talvex_window_create(width, height)), handle_(TALVEX_ControlCreate()) {
        TALVEX_ControlInit(handle_, host_, nullptr, 1);
        TALVEX_ControlSize(handle_, width, height);
        control = talvex::registry::Find(handle_);
    }
    ~BenchControl() {
        TALVEX_ControlDestroy(handle_);
        talvex_window_destroy(host_);
    }
    bool SetScript(int slot, const std::string& script) {
        std::string text = WithCrLf(script);
        return TALVEX_ControlSetScript(handle_, slot, text.data()) == 0;
    }
    int32_t handle() const { return handle_; }
    talvex::ChartControl* control = nullptr;

private:
    TalvexWindow host_;
    int32_t handle_;
};
