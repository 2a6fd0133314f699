// Result codes described in words, by the DirectX error library linked in.
#include <windows.h>
// after <windows.h>, whose types it uses
#include <dxerr8.h>

#include "common/graphics_device.h"

namespace talvex::render {

const char* DescribeError(HResult result) { return DXGetErrorDescription8A(result); }

}  // namespace talvex::render
