// One of a control's three script slots: its compiled script, the geometry
// the last calculation made of it, and its colours. The device buffers the
// geometry is uploaded into belong to the scene (render::SlotBuffers).
#pragma once

#include <cstdint>
#include <memory>

#include "common/color.h"
#include "graph/slot_geometry.h"
#include "script/script.h"

namespace talvex {

using graph::GraphKind;

struct ScriptSlot {
    std::unique_ptr<script::Script> script;
    // What the last successful calculation made of the script; the fields
    // below describe it as the slot's device buffers hold it.
    graph::SlotGeometry geometry;
    int32_t samplesU = 0;
    int32_t samplesV = 0;
    int32_t vertexCount = 0;
    int32_t primitiveCount = 0;
    Color primaryColor = 0;
    Color secondaryColor = 0;
    GraphKind kind = GraphKind::None;
    // The 0-based line of the last compile of this slot, kept after a failed
    // compile has emptied the slot so that the host can show where it failed.
    int32_t lastErrorLine = 0;
};

}  // namespace talvex
