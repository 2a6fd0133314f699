// Calculate on the whole control: each slot's geometry computed from its
// script, kept by the slot and uploaded into its device buffers.

#include <cmath>
#include <cstddef>
#include <memory>
#include <string>

#include "common/trace.h"
#include "control/chart_control.h"
#include "graph/calculation.h"
#include "render/scene.h"

namespace talvex {

namespace {

// A slot's own storage is made once, as large as a slot's geometry can be,
// and is only ever overwritten: the vertices and indices a host was handed
// (talvex_native.h) stay where they are through every later calculation,
// including the one a frame runs when it recovers the device. Made before
// anything is computed, so that a failed allocation changes nothing.
void ReserveGeometry(graph::SlotGeometry& kept, size_t vertexCount = graph::kSlotVertexCapacity,
                     size_t indexCount = graph::kSlotIndexCapacity) {
    kept.vertices.reserve(vertexCount);
    kept.indices.reserve(indexCount);
    if (vertexCount <= graph::kNarrowVertexLimit) kept.indices16.reserve(indexCount);
}

// Computes straight into the slot's own storage while its buffers are
// locked: a slot whose script fails, or whose buffers are missing or will not
// lock, keeps its geometry, counts and buffer contents. The script's own
// fault is reported first.
// cause receives the words of a failure, when there are words for it.
Result ComputeSlot(ScriptSlot& slot, render::Device* device, render::SlotBuffers& buffers, bool leftHanded,
                   std::string& cause) {
    graph::SlotCalculation calculation(*slot.script, leftHanded);
    if (const int32_t result = calculation.Prepare(); result != 0) {
        cause = calculation.Cause();
        return result;
    }
    ReserveGeometry(slot.geometry);
    render::SlotBufferLock lock(device, buffers, graph::kSlotVertexCapacity, graph::kSlotIndexCapacity);
    if (!lock.Locked()) {
        cause = "the device's buffers could not take the geometry";
        return kFail;
    }
    calculation.Sample(slot.geometry);
    lock.Write(slot.geometry);
    buffers.buffersFilled = true;
    return kOk;
}

// A data slot's geometry, made and uploaded as a script's is; data that was
// taken cannot fail, but the buffers still can (data larger than the fixed
// buffers needs buffers of its own). Room for all of it is had before
// anything changes.
Result ComputeDataSlot(ScriptSlot& slot, const graph::DataFit& fit, render::Device* device,
                       render::SlotBuffers& buffers, bool leftHanded, std::string& cause) {
    const size_t vertexCount = graph::DataVertexCount(*slot.data), indexCount = graph::MostDataIndices(*slot.data);
    ReserveGeometry(slot.geometry, vertexCount, indexCount);
    render::SlotBufferLock lock(device, buffers, vertexCount, indexCount);
    if (!lock.Locked()) {
        cause = "the device's buffers could not take the geometry";
        return kFail;
    }
    graph::BuildDataGeometry(*slot.data, leftHanded, fit, slot.geometry);
    lock.Write(slot.geometry);
    buffers.buffersFilled = true;
    return kOk;
}

// "script N: what went wrong", N counted from 1 as in the compile reports;
// the code's own sentence where the calculation had no words of its own.
std::string FailureSentence(int slot, Result code, const std::string& cause) {
    const char* text = ResultText(code);
    const std::string words = !cause.empty() ? cause : text != nullptr ? text : "failed";
    return "script " + std::to_string(slot + 1) + ": " + words;
}

}  // namespace

Result ChartControl::Calculate() {
    Trace().Output("TALVEXCONTROL::Calculate");
    Result firstFailure = kOk;
    bool anyScript = false, anyComputed = false;
    for (int i = 0; i < kSlotCount; ++i) {
        ScriptSlot& slot = slots_[i];
        if (slot.script == nullptr && slot.data == nullptr) continue;
        Trace().Output("i=%d", i);
        std::string cause;
        render::SlotBuffers& buffers = scene_.slots[static_cast<size_t>(i)];
        const Result result = slot.data != nullptr
                                  ? ComputeDataSlot(slot, FitFor(i), scene_.device, buffers, leftHanded_, cause)
                                  : ComputeSlot(slot, scene_.device, buffers, leftHanded_, cause);
        Trace().Output("--------------");
        slot.lastCalculation = result;
        slot.lastCalculationText = result == kOk ? std::string() : FailureSentence(i, result, cause);
        if (result == kOk) anyComputed = true;
        else if (!anyScript) firstFailure = result;
        anyScript = true;
    }
    ready_ = true;
    Trace().Output("    done");
    if (anyComputed) return kOk;
    return anyScript ? firstFailure : kFail;
}

Result ChartControl::SetData(int32_t slot, graph::SlotData data, std::string& why) {
    Trace().Output("TALVEXCONTROL::SetData(%d)", slot);
    if (slot < 0 || slot >= kSlotCount) return kBadSlot;
    why = graph::DataRefusal(data);
    if (!why.empty()) return kInvalidArgument;
    ScriptSlot& target = slots_[slot];
    // Room for the geometry first: data too large for the memory there is
    // leaves the slot as it was.
    ReserveGeometry(target.geometry, graph::DataVertexCount(data), graph::MostDataIndices(data));
    const graph::AxisRanges ranges = graph::DataRanges(data);
    auto kept = std::make_unique<graph::SlotData>(std::move(data));
    target.script.reset();
    target.lastErrorLine = 0;
    target.data = std::move(kept);
    target.dataRanges = ranges;
    // Made at once, so that the next frame shows it without a Calculate; in
    // a shared box the others' fit may have changed with it.
    if (sharedBox_) {
        RefitData();
    } else {
        std::string cause;
        const Result result = ComputeDataSlot(target, FitFor(slot), scene_.device,
                                              scene_.slots[static_cast<size_t>(slot)], leftHanded_, cause);
        target.lastCalculation = result;
        target.lastCalculationText = result == kOk ? std::string() : FailureSentence(slot, result, cause);
    }
    ready_ = true;
    return kOk;
}

graph::DataFit ChartControl::FitFor(int32_t slot) const {
    graph::DataFit fit;
    fit.equalAspect = view_.style.equalAspect;
    graph::AxisRanges own = slots_[static_cast<size_t>(slot)].dataRanges;
    if (sharedBox_) {
        own = {};
        for (const ScriptSlot& other : slots_)
            if (other.data != nullptr) own.Add(other.dataRanges);
    }
    for (int axis = 0; axis < 3; ++axis) {
        const bool host = view_.HasRange(axis);
        fit.ranges.low[axis] = host ? view_.rangeLow[axis] : own.low[axis];
        fit.ranges.high[axis] = host ? view_.rangeHigh[axis] : own.high[axis];
    }
    return fit;
}

void ChartControl::RefitData() {
    for (int32_t i = 0; i < kSlotCount; ++i) {
        ScriptSlot& slot = slots_[static_cast<size_t>(i)];
        if (slot.data == nullptr) continue;
        std::string cause;
        const Result result =
            ComputeDataSlot(slot, FitFor(i), scene_.device, scene_.slots[static_cast<size_t>(i)], leftHanded_, cause);
        slot.lastCalculation = result;
        slot.lastCalculationText = result == kOk ? std::string() : FailureSentence(i, result, cause);
    }
}

Result ChartControl::SetAxisRange(int32_t axis, double low, double high, std::string& why) {
    if (axis < 0 || axis > 2) {
        why = "an axis is 0 (x), 1 (y) or 2 (z), not " + std::to_string(axis);
        return kInvalidArgument;
    }
    const bool clear = std::isnan(low) && std::isnan(high);
    if (!clear && !(std::isfinite(low) && std::isfinite(high) && low < high)) {
        why = "a range needs finite ends, the low one below the high one (both not a number for the data's own)";
        return kInvalidArgument;
    }
    why.clear();
    view_.rangeLow[axis] = clear ? NAN : low;
    view_.rangeHigh[axis] = clear ? NAN : high;
    RefitData();
    return kOk;
}

void ChartControl::GetAxisRange(int32_t axis, double& low, double& high) const {
    low = view_.rangeLow[axis];
    high = view_.rangeHigh[axis];
}

void ChartControl::SetSharedBox(bool shared) {
    if (shared == sharedBox_) return;
    sharedBox_ = shared;
    RefitData();
}

}  // namespace talvex
