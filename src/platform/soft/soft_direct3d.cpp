#include "render/device.h"

namespace talvex::render {

Direct3D* CreateDirect3D(uint32_t) { return nullptr; }

HResult SaveSurfaceToFile(const char*, uint32_t, Surface*, const void*, const Rect*) { return kFail; }

}  // namespace talvex::render
