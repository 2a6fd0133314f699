// A chart control on the native platform for benchmarks.
#pragma once

#include <string>

#include "api/registry.h"
#include "control/chart_control.h"
#include "talvex.h"
#include "talvex_window.h"

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
    bool SetScript(int slot, std::string text) {
        for (size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n') text.insert(i++, 1, '\r');
        return TALVEX_ControlSetScript(handle_, slot, text.data()) == 0;
    }
    int32_t handle() const { return handle_; }
    talvex::ChartControl* control = nullptr;

private:
    TalvexWindow host_;
    int32_t handle_;
};
