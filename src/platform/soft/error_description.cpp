// Short descriptions of the result codes that device creation can give.
#include "common/graphics_device.h"

namespace talvex::render {

const char* DescribeError(HResult result) {
    struct Entry {
        HResult code;
        const char* text;
    };
    static const Entry kEntries[] = {
        {kOk, "The function completed successfully"},
        {kDeviceLost, "The device is lost and cannot be restored at the current time"},
        {kDeviceNotReset, "The device is lost but can be reset and restored"},
        {kNotAvailable, "The queried technique is not supported by this device"},
        {kInvalidCall, "The method call is invalid"},
        {kOutOfVideoMemory, "Direct3D does not have enough display memory to perform the operation"},
        {kOutOfMemory, "Ran out of memory"},
        {kFail, "An undetermined error occurred"},
    };
    for (const Entry& entry : kEntries)
        if (entry.code == result) return entry.text;
    return "Unknown error";
}

}  // namespace talvex::render
