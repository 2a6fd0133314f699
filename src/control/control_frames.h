// The control's frames as the render layer's snapshot and picture draw them:
// the device-state step and the scene, then the present.
#pragma once

#include "control/chart_control.h"
#include "render/snapshot.h"

namespace talvex {

class ControlFrames final : public render::FrameDrawer {
public:
    explicit ControlFrames(ChartControl& owner) : control_(owner) {}
    bool Draw() override { return control_.DrawFrame(); }
    void Finish(bool drawn) override { control_.FinishFrame(drawn); }

private:
    ChartControl& control_;
};

}  // namespace talvex
