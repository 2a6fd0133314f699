// One of a control's three script slots: its compiled script, what the last
// calculation left in its device buffers, and its colours.
#pragma once

#include <cstdint>
#include <memory>

#include "common/color.h"
#include "graph/slot_geometry.h"
#include "render/device.h"
#include "script/script.h"

namespace talvex {

using graph::GraphKind;

struct ScriptSlot {
    std::unique_ptr<script::Script> script;
    // What the last successful calculation made of the script; the fields
    // below describe it as the device buffers hold it.
    graph::SlotGeometry geometry;
    int32_t samplesU = 0;
    int32_t samplesV = 0;
    int32_t vertexCount = 0;
    int32_t primitiveCount = 0;
    Color primaryColor = 0;
    Color secondaryColor = 0;
    GraphKind kind = GraphKind::None;
    render::VertexBuffer* vertexBuffer = nullptr;
    render::IndexBuffer* indexBuffer = nullptr;
    render::Texture* texture = nullptr;
    // Set when a calculation wrote geometry into the current buffers, cleared
    // when the buffers are re-created: a rebuilt slot still carries the old
    // kind and counts, and its new buffers must not be drawn from.
    bool buffersFilled = false;
    // The 0-based line of the last compile of this slot, kept after a failed
    // compile has emptied the slot so that the host can show where it failed.
    int32_t lastErrorLine = 0;
};

}  // namespace talvex
