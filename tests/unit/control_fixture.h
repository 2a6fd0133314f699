// A chart control initialised on the native platform, with the trace read
// and the slot buffers readable, for tests of the control's internals.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "api/registry.h"
#include "common/trace.h"
#include "control/chart_control.h"
#include "platform/soft/soft_faults.h"
#include "render/scene.h"
#include "talvex.h"
#include "talvex_window.h"
#include "../../tools/common/line_ends.h"

class NativeControl : public ::testing::Test {
protected:
    static constexpr int32_t kChildId = 77;

    void SetUp() override {
        talvex::soft::InjectedFaults() = talvex::soft::Faults{};
        host = talvex_window_create(640, 480);
        handle = TALVEX_ControlCreate();
        ASSERT_NE(handle, 0);
        control = talvex::registry::Find(handle);
        talvex::Trace().AttachSink([this](int indentation, const std::string& message) {
            trace.push_back(std::string(static_cast<size_t>(indentation) * 2, ' ') + message);
        });
    }

    void TearDown() override {
        talvex::Trace().DetachSink();
        if (talvex::registry::Find(handle) != nullptr) TALVEX_ControlDestroy(handle);
        talvex_window_destroy(host);
        talvex::soft::InjectedFaults() = talvex::soft::Faults{};
    }

    int32_t Init() { return TALVEX_ControlInit(handle, host, nullptr, kChildId); }

    TalvexWindow Child() const { return talvex_window_find_child(host, kChildId); }

    int32_t SetScript(int slot, const std::string& text) {
        std::string buffer = WithCrLf(text);
        return TALVEX_ControlSetScript(handle, slot, buffer.data());
    }

    // The first count vertices of a slot, read from its buffer.
    std::vector<talvex::render::GraphVertex> Vertices(int slot, int count) {
        std::vector<talvex::render::GraphVertex> out(static_cast<size_t>(count));
        uint8_t* data = nullptr;
        auto* buffer = control->Scene().slots[static_cast<size_t>(slot)].vertexBuffer;
        if (buffer == nullptr || buffer->Lock(0, 0, &data, 0) != 0) return {};
        std::memcpy(out.data(), data, out.size() * sizeof out[0]);
        buffer->Unlock();
        return out;
    }

    std::vector<uint16_t> Indices(int slot, int count) {
        std::vector<uint16_t> out(static_cast<size_t>(count));
        uint8_t* data = nullptr;
        auto* buffer = control->Scene().slots[static_cast<size_t>(slot)].indexBuffer;
        if (buffer == nullptr || buffer->Lock(0, 0, &data, 0) != 0) return {};
        std::memcpy(out.data(), data, out.size() * sizeof out[0]);
        buffer->Unlock();
        return out;
    }

    std::vector<talvex::render::ColorVertex> SceneVertices(talvex::render::VertexBuffer* buffer, int count) {
        std::vector<talvex::render::ColorVertex> out(static_cast<size_t>(count));
        uint8_t* data = nullptr;
        if (buffer == nullptr || buffer->Lock(0, 0, &data, 0) != 0) return {};
        std::memcpy(out.data(), data, out.size() * sizeof out[0]);
        buffer->Unlock();
        return out;
    }

    TalvexWindow host = nullptr;
    int32_t handle = 0;
    talvex::ChartControl* control = nullptr;
    std::vector<std::string> trace;
};
