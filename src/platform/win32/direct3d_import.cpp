// The graphics object of 32-bit Windows: Direct3D 8, imported from d3d8.dll,
// which every 32-bit Windows the chart runs on has.
#include <d3d8.h>

#include "platform/win32/direct3d_adapter.h"

namespace talvex::render {

Direct3D* CreateDirect3D(uint32_t sdkVersion) { return AdaptDirect3D8(Direct3DCreate8(sdkVersion)); }

}  // namespace talvex::render
