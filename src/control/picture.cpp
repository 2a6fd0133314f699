// The control's current frame handed to the host in memory (native platform
// only): the frame a paint or SaveBMP draws, with nothing written to a file.
#include "control/chart_control.h"
#include "control/control_frames.h"
#include "render/picture.h"

namespace talvex {

Result ChartControl::DrawPicture(uint32_t* pixels, int32_t pictureWidth, int32_t pictureHeight) {
    if (scene_.device == nullptr) return kFail;
    if (pixels == nullptr) return kPointer;
    // The host's buffer is as large as the size it names: only the control's
    // own size can be drawn into it.
    if (pictureWidth <= 0 || pictureHeight <= 0 || pictureWidth != width_ || pictureHeight != height_)
        return kInvalidArgument;
    ControlFrames frames(*this);
    return render::DrawPicture(scene_, frames, pixels, pictureWidth, pictureHeight);
}

}  // namespace talvex
