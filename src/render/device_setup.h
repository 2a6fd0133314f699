// Making a scene's graphics object and device for a window, and letting them
// go again.
#pragma once

#include <cstdint>

#include "common/window_system.h"
#include "render/scene.h"

namespace talvex::render {

// Creates the object and a windowed device drawing into window, with a back
// buffer of width x height, hardware vertex processing where the device
// offers it. Returns kNoDirect3D when there is no object, or the failing
// result (traced with its description when the device itself failed); the
// object is kept and the device left null then. Builds nothing on the device.
// samples: per pixel, 1 or 4 (multisampled).
HResult CreateSceneDevice(Scene& scene, window::WindowHandle window, int32_t width, int32_t height,
                          int32_t samples = 1);

// The presentation's multisample type for a number of samples per pixel.
uint32_t MultiSampleType(int32_t samples);

// Releases the resources, the device and the object.
void ReleaseSceneDevice(Scene& scene);

}  // namespace talvex::render
