// A frame of the control: the device-state step, then the scene drawn from
// the view settings and what each slot's buffers hold; and the snapshot,
// which is two such frames.
#include "common/trace.h"
#include "control/chart_control.h"
#include "control/control_frames.h"
#include "render/frame.h"
#include "render/snapshot.h"

namespace talvex {

render::View ChartControl::CurrentView() const {
    render::View view;
    view.angleX = angleX;
    view.angleY = angleY;
    view.scale = scale;
    view.eye = eye;
    view.lookAt = lookAt;
    view.up = up;
    view.backgroundColor = backgroundColor;
    view.pointColor = pointColor;
    view.pointsVisible = pointsVisible;
    view.axesVisible = axesVisible;
    view.wireframe = wireframe;
    return view;
}

std::array<render::SlotDraw, kSlotCount> ChartControl::SlotDraws() const {
    std::array<render::SlotDraw, kSlotCount> draws{};
    for (size_t s = 0; s < draws.size(); ++s) {
        const ScriptSlot& slot = slots[s];
        draws[s].scripted = slot.script != nullptr;
        draws[s].kind = slot.kind;
        draws[s].vertexCount = slot.vertexCount;
        draws[s].primitiveCount = slot.primitiveCount;
        draws[s].primaryColor = slot.primaryColor;
    }
    return draws;
}

Result ChartControl::RenderFrame() {
    // A control whose device could not be made can still be shown and
    // "calculated"; its paints draw nothing.
    if (scene.device == nullptr) return kOk;
    FinishFrame(DrawFrame());
    return kOk;
}

bool ChartControl::DrawFrame() {
    if (!PrepareDeviceForFrame()) return false;
    render::DrawScene(scene, CurrentView(), SlotDraws());
    return true;
}

void ChartControl::FinishFrame(bool drawn) {
    if (drawn) render::PresentScene(scene);
    Trace().Unindent();
}

Result ChartControl::SaveBMP(const char* path) {
    if (scene.device == nullptr) return kFail;
    ControlFrames frames(*this);
    return render::SaveSnapshot(scene, path, frames);
}

}  // namespace talvex
