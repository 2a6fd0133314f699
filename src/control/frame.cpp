// A frame of the control: the device-state step, then the scene drawn from
// the view settings and what each slot's buffers hold; and the snapshot,
// which is two such frames.
#include "common/trace.h"
#include "control/chart_control.h"
#include "control/control_frames.h"
#include "render/frame.h"
#include "render/snapshot.h"

namespace talvex {

std::array<render::SlotDraw, kSlotCount> ChartControl::SlotDraws() const {
    std::array<render::SlotDraw, kSlotCount> draws{};
    for (size_t s = 0; s < draws.size(); ++s) {
        const ScriptSlot& slot = slots_[s];
        draws[s].scripted = slot.script != nullptr || slot.data != nullptr;
        draws[s].kind = slot.geometry.kind;
        draws[s].vertexCount = slot.geometry.VertexCount();
        draws[s].primitiveCount = slot.geometry.PrimitiveCount();
        draws[s].primaryColor = slot.colors.primary;
        draws[s].geometry = &slot.geometry;
    }
    return draws;
}

Result ChartControl::RenderFrame() {
    // A control whose device could not be made can still be shown and
    // "calculated"; its paints draw nothing.
    if (scene_.device == nullptr) return kOk;
    FinishFrame(DrawFrame());
    return kOk;
}

bool ChartControl::DrawFrame() {
    if (!PrepareDeviceForFrame()) return false;
    render::DrawScene(scene_, view_, SlotDraws());
    return true;
}

void ChartControl::FinishFrame(bool drawn) {
    if (drawn) render::PresentScene(scene_);
    Trace().Unindent();
}

Result ChartControl::SaveBMP(const char* path) {
    if (scene_.device == nullptr) return kFail;
    ControlFrames frames(*this);
    return render::SaveSnapshot(scene_, path, frames);
}

}  // namespace talvex
