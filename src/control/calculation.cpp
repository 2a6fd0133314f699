// Calculate on the whole control: each slot's geometry computed from its
// script, kept by the slot and uploaded into its device buffers.
#include <utility>

#include "common/trace.h"
#include "control/chart_control.h"
#include "graph/calculation.h"
#include "render/scene.h"

namespace talvex {

namespace {

// Computes into scratch and takes it only when the upload succeeded, so that
// a failing slot keeps its geometry, counts and buffer contents.
Result ComputeSlot(ScriptSlot& slot, render::SlotBuffers& buffers, bool leftHanded, graph::SlotGeometry& scratch) {
    if (buffers.vertexBuffer == nullptr || buffers.indexBuffer == nullptr) return kFail;
    const int32_t result = graph::ComputeSlot(*slot.script, leftHanded, scratch);
    if (result != 0) return result;
    if (!render::UploadSlotGeometry(buffers.vertexBuffer, buffers.indexBuffer, scratch)) return kFail;
    std::swap(slot.geometry, scratch);
    const graph::SlotGeometry& geometry = slot.geometry;
    slot.kind = geometry.kind;
    slot.samplesU = geometry.samplesU;
    slot.samplesV = geometry.samplesV;
    // A point leaves the counts as they were; nothing reads them for a point.
    if (geometry.kind != GraphKind::Point) {
        slot.vertexCount = geometry.VertexCount();
        slot.primitiveCount = geometry.PrimitiveCount();
    }
    buffers.buffersFilled = true;
    return kOk;
}

}  // namespace

Result ChartControl::Calculate() {
    Trace().Output("TALVEXCONTROL::Calculate");
    Result firstFailure = kOk;
    bool anyScript = false, anyComputed = false;
    for (int i = 0; i < kSlotCount; ++i) {
        ScriptSlot& slot = slots[i];
        if (slot.script == nullptr) continue;
        Trace().Output("i=%d", i);
        const Result result = ComputeSlot(slot, scene.slots[static_cast<size_t>(i)], leftHanded, scratchGeometry);
        Trace().Output("--------------");
        if (result == kOk) anyComputed = true;
        else if (!anyScript) firstFailure = result;
        anyScript = true;
    }
    ready = true;
    Trace().Output("    done");
    if (anyComputed) return kOk;
    return anyScript ? firstFailure : kFail;
}

}  // namespace talvex
