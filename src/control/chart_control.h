// The whole state of one chart control: its windows, its three script slots
// with the geometry they keep, the view settings, and the scene that the
// render layer draws for it. The operations are grouped by concern in the
// files named beside them.
#pragma once

#include <array>
#include <cstdint>

#include "common/color.h"
#include "common/matrix.h"
#include "common/result_codes.h"
#include "control/script_slot.h"
#include "platform/window_system.h"
#include "render/frame.h"
#include "render/scene.h"

namespace talvex {

constexpr int kSlotCount = render::kSlotCount;

class ChartControl {
public:
    ChartControl();
    ~ChartControl();
    ChartControl(const ChartControl&) = delete;
    ChartControl& operator=(const ChartControl&) = delete;

    // View settings (chart_control.cpp).
    int32_t GetWidth() const { return width; }
    int32_t GetHeight() const { return height; }
    int32_t GetScale() const;
    Result SetScale(int32_t zoom);
    Result MouseWheel(window::WParam wParam, window::LParam lParam);
    Result SetDefaultView();
    Result SetIsometricView();
    Color GetBackgroundColor() const { return backgroundColor; }
    Result SetBackgroundColor(Color color);
    Color GetPointColor() const { return pointColor; }
    Result SetPointColor(Color color);
    bool IsPointVisible() const { return pointsVisible; }
    Result SetPointVisible(bool visible);
    bool IsAxisVisible() const { return axesVisible; }
    Result SetAxisVisible(bool visible);
    bool IsSolid() const { return wireframe == 0; }
    Result SetSolid(bool solid);
    float GetZDistance() const { return zDistance; }
    Result SetZDistance(float distance);
    Result SetLeftHand();
    Result SetRightHand();
    Result Destroy();

    // Scripts (chart_control.cpp).
    Result SetScript(int32_t slot, char* text);
    Result DelScript(int32_t slot);
    int32_t ScriptGetErrorLine(int32_t slot) const;

    // Device lifecycle (control/device_lifecycle.cpp).
    Result Init(window::WindowHandle parent, window::InstanceHandle instance, int32_t id);
    Result Size(int32_t newWidth, int32_t newHeight);
    // The device-state step that starts a frame; false when the frame must
    // not be drawn (the device is lost).
    bool PrepareDeviceForFrame();
    void RebuildForHandedness();
    // Lets go of the device and its resources.
    void ReleaseDevice();
    // Lets go of the window: destroyed, or only detached from the control.
    void ReleaseWindow(bool destroy);
    // The scene's buffers and textures, in the slots' colours.
    void BuildDeviceResources();
    Result ReleaseDeviceResources();
    // The size as GetWidth, GetHeight and the bitmap header report it.
    void TakeSize(int32_t newWidth, int32_t newHeight);
    // After a reset the device refused: the device, buffers and readiness as
    // they were before Size began.
    void RestoreAfterFailedReset(const render::PresentParameters& previous,
                                 const std::array<bool, kSlotCount>& filled, bool wasReady);

    // Calculation (control/calculation.cpp).
    Result Calculate();

    // Frame drawing and the snapshot (control/frame.cpp).
    Result RenderFrame();
    // A frame in two halves: the device-state step and the drawing up to
    // EndScene (false when the device is lost and nothing was drawn), then
    // the present and the end of the frame's trace indentation.
    bool DrawFrame();
    void FinishFrame(bool drawn);
    // What the render layer draws from: the view settings, and what each
    // slot's buffers hold.
    render::View CurrentView() const;
    std::array<render::SlotDraw, kSlotCount> SlotDraws() const;
    Result SaveBMP(const char* path);
    // The current frame into pixels, as SaveBMP would save it (native
    // platform only; control/picture.cpp).
    Result DrawPicture(uint32_t* pixels, int32_t pictureWidth, int32_t pictureHeight);

    // Window (control/window_procedure.cpp).
    Result Move(int32_t x, int32_t y, int32_t newWidth, int32_t newHeight, bool repaint);
    Result Show(int32_t command);
    Result Invalidate(const TalvexRect* rect, int32_t erase);

    window::WindowHandle parentWindow = nullptr;
    window::WindowHandle window = nullptr;
    window::WindowClass windowClass{};
    std::array<ScriptSlot, kSlotCount> slots;
    void* bitmapHeader = nullptr;
    // Construction leaves the size to Init; 0 x 0 and a zoom of 1.0 until then.
    int32_t width = 0;
    int32_t height = 0;
    int32_t lastX = 0;
    int32_t lastY = 0;
    int32_t deltaX = 0;
    int32_t deltaY = 0;
    float scale = 1.0f;
    float zDistance = 1.5f;
    Color backgroundColor = 0xFFFFFF;
    Color pointColor = 0x000000;
    bool leftHanded = false;
    bool pointsVisible = true;
    bool axesVisible = true;
    Vector3 eye{0.0f, 0.0f, -240.0f};
    Vector3 lookAt{0.0f, 0.0f, 0.0f};
    Vector3 up{0.0f, 1.0f, 0.0f};
    float angleX = 0.0f;
    float angleY = 0.0f;
    float angleZ = 0.0f;
    bool visible = false;
    bool ready = false;
    int32_t wireframe = 0;
    // The device and everything built on it.
    render::Scene scene;
};

// The isometric preset: 20 degrees about x, -30 degrees about y.
constexpr float kIsometricAngleX = 0.34906587f;
constexpr float kIsometricAngleY = -0.5235988f;

}  // namespace talvex
