// The 33 exported functions: each checks its handle, forwards to one control
// operation and returns its result. Nothing is thrown across this boundary.
#include <new>

#include "api/control_call.h"
#include "api/registry.h"
#include "talvex.h"

using talvex::ChartControl;
using talvex::Result;
using talvex::api::Act;
using talvex::api::WithControl;

namespace {

template <typename T, typename Operation>
T Get(int32_t handle, Operation operation) {
    return WithControl<T>(handle, T{}, T{}, T{}, operation);
}

// A bool argument counts by its low byte alone.
bool LowByte(int32_t value) { return (value & 0xFF) != 0; }

}  // namespace

extern "C" {

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlCreate(void) {
    try {
        return talvex::registry::Create();
    } catch (...) {
        return 0;
    }
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlDestroy(int32_t handle) {
    return Act(handle, [handle](ChartControl& c) {
        const int32_t width = c.GetWidth();
        c.Destroy();
        talvex::registry::Free(handle);
        return width;
    });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlInit(int32_t handle, TalvexWindow parent, TalvexInstance instance,
                                                  int32_t id) {
    return Act(handle, [&](ChartControl& c) { return c.Init(parent, instance, id); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSize(int32_t handle, int32_t width, int32_t height) {
    return Act(handle, [&](ChartControl& c) { return c.Size(width, height); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlMove(int32_t handle, int32_t x, int32_t y, int32_t width,
                                                  int32_t height, int32_t repaint) {
    return Act(handle, [&](ChartControl& c) { return c.Move(x, y, width, height, LowByte(repaint)); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlShow(int32_t handle, int32_t command) {
    return Act(handle, [&](ChartControl& c) { return c.Show(command); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlInvalidate(int32_t handle, const TalvexRect* rect, int32_t erase) {
    return Act(handle, [&](ChartControl& c) { return c.Invalidate(rect, erase); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlMouseWheel(int32_t handle, TalvexWParam wParam,
                                                        TalvexLParam lParam) {
    return Act(handle, [&](ChartControl& c) { return c.MouseWheel(wParam, lParam); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlCalculate(int32_t handle) {
    return Act(handle, [](ChartControl& c) { return c.Calculate(); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetScript(int32_t handle, int32_t slot, char* text) {
    return Act(handle, [&](ChartControl& c) { return c.SetScript(slot, text); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlDelScript(int32_t handle, int32_t slot) {
    return Act(handle, [&](ChartControl& c) { return c.DelScript(slot); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlScriptGetErrorLine(int32_t handle, int32_t slot) {
    return Act(handle, [&](ChartControl& c) { return c.ScriptGetErrorLine(slot); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetDefaultView(int32_t handle) {
    return Act(handle, [](ChartControl& c) { return c.SetDefaultView(); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetIsometricView(int32_t handle) {
    return Act(handle, [](ChartControl& c) { return c.SetIsometricView(); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlGetWidth(int32_t handle) {
    return Get<int32_t>(handle, [](ChartControl& c) { return c.GetWidth(); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlGetHeight(int32_t handle) {
    return Get<int32_t>(handle, [](ChartControl& c) { return c.GetHeight(); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlGetScale(int32_t handle) {
    return Get<int32_t>(handle, [](ChartControl& c) { return c.GetScale(); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetScale(int32_t handle, int32_t zoom) {
    return Act(handle, [&](ChartControl& c) { return c.SetScale(zoom); });
}

TALVEX_API uint32_t TALVEX_CALL TALVEX_ControlGetBackgroundColor(int32_t handle) {
    return Get<uint32_t>(handle, [](ChartControl& c) { return c.GetBackgroundColor(); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetBackgroundColor(int32_t handle, uint32_t color) {
    return Act(handle, [&](ChartControl& c) { return c.SetBackgroundColor(color); });
}

TALVEX_API uint32_t TALVEX_CALL TALVEX_ControlGetPointColor(int32_t handle) {
    return Get<uint32_t>(handle, [](ChartControl& c) { return c.GetPointColor(); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetPointColor(int32_t handle, uint32_t color) {
    return Act(handle, [&](ChartControl& c) { return c.SetPointColor(color); });
}

TALVEX_API TalvexBool TALVEX_CALL TALVEX_ControlIsPointVisible(int32_t handle) {
    return Get<TalvexBool>(handle, [](ChartControl& c) { return TalvexBool{c.IsPointVisible()}; });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetPointVisible(int32_t handle, int32_t visible) {
    return Act(handle, [&](ChartControl& c) { return c.SetPointVisible(LowByte(visible)); });
}

TALVEX_API TalvexBool TALVEX_CALL TALVEX_ControlIsAxisVisible(int32_t handle) {
    return Get<TalvexBool>(handle, [](ChartControl& c) { return TalvexBool{c.IsAxisVisible()}; });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetAxisVisible(int32_t handle, int32_t visible) {
    return Act(handle, [&](ChartControl& c) { return c.SetAxisVisible(LowByte(visible)); });
}

TALVEX_API TalvexBool TALVEX_CALL TALVEX_ControlIsSolid(int32_t handle) {
    return Get<TalvexBool>(handle, [](ChartControl& c) { return TalvexBool{c.IsSolid()}; });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetSolid(int32_t handle, int32_t solid) {
    return Act(handle, [&](ChartControl& c) { return c.SetSolid(LowByte(solid)); });
}

TALVEX_API float TALVEX_CALL TALVEX_ControlGetZDistance(int32_t handle) {
    return Get<float>(handle, [](ChartControl& c) { return c.GetZDistance(); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetZDistance(int32_t handle, float distance) {
    return Act(handle, [&](ChartControl& c) { return c.SetZDistance(distance); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetLeftHand(int32_t handle) {
    return Act(handle, [](ChartControl& c) { return c.SetLeftHand(); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_ControlSetRightHand(int32_t handle) {
    return Act(handle, [](ChartControl& c) { return c.SetRightHand(); });
}

TALVEX_API int32_t TALVEX_CALL TALVEX_SaveBMP(int32_t handle, const char* path) {
    return Act(handle, [&](ChartControl& c) { return c.SaveBMP(path); });
}

}  // extern "C"
