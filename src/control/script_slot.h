// One of a control's three script slots: its compiled script (or a host's
// data), the geometry
// the last calculation made of it, and its colours. The device buffers the
// geometry is uploaded into belong to the scene (render::SlotBuffers).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/result_codes.h"
#include "graph/slot_data.h"
#include "graph/slot_geometry.h"
#include "render/scene.h"
#include "script/script.h"

namespace talvex {

using graph::GraphKind;

struct ScriptSlot {
    std::unique_ptr<script::Script> script;
    // A host's data in place of a script (the native interface): a slot
    // holds one or the other, or neither.
    std::unique_ptr<graph::SlotData> data;
    // The finite range of each axis of the data, found when it was set.
    graph::AxisRanges dataRanges;
    // What the last successful calculation made of the script; the slot's
    // device buffers hold it once they are filled.
    graph::SlotGeometry geometry;
    render::SlotColors colors{};
    // The 0-based line of the last compile of this slot, kept after a failed
    // compile has emptied the slot so that the host can show where it failed.
    int32_t lastErrorLine = 0;
    // What the last calculation made of this slot's script: 0, or the code
    // that stopped it and a sentence that names the cause.
    Result lastCalculation = kOk;
    std::string lastCalculationText;
};

}  // namespace talvex
