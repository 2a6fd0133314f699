// The whole state of one chart control: its windows, its three script slots
// with the geometry they keep, the view settings, and the scene that the
// render layer draws for it. The operations are grouped by concern in the
// files named beside them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common/color.h"
#include "common/matrix.h"
#include "common/result_codes.h"
#include "control/script_slot.h"
#include "common/window_system.h"
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
    int32_t GetWidth() const { return width_; }
    int32_t GetHeight() const { return height_; }
    int32_t GetScale() const;
    Result SetScale(int32_t zoom);
    Result MouseWheel(window::WParam wParam, window::LParam lParam);
    Result SetDefaultView();
    Result SetIsometricView();
    Color GetBackgroundColor() const { return view_.backgroundColor; }
    Result SetBackgroundColor(Color color);
    Color GetPointColor() const { return view_.pointColor; }
    Result SetPointColor(Color color);
    bool IsPointVisible() const { return view_.pointsVisible; }
    Result SetPointVisible(bool visible);
    bool IsAxisVisible() const { return view_.axesVisible; }
    Result SetAxisVisible(bool visible);
    bool IsSolid() const { return view_.solid; }
    Result SetSolid(bool solid);
    float GetZDistance() const { return view_.zDistance; }
    Result SetZDistance(float distance);
    Result SetLeftHand();
    Result SetRightHand();
    bool IsLeftHanded() const { return leftHanded_; }
    Result Destroy();
    // Every view setting, as frames draw it.
    const render::View& View() const { return view_; }

    // Turning the view (chart_control.cpp): the window procedure's drags and
    // the native interface's angles go through the same arithmetic.
    // Turns about x and y by whole pixels of a left drag.
    void Turn(int32_t pixelsDown, int32_t pixelsRight);
    // Rolls about z by whole pixels of a right drag.
    void Roll(int32_t pixels);
    // The three angles in radians, each stored as the single-precision
    // number that the window procedure would hold.
    void SetAngles(double aboutX, double aboutY, double aboutZ);
    // The angles in degrees, for hosts. kInvalidArgument, changing nothing,
    // for an angle that is not finite or does not fit single precision.
    Result SetAnglesInDegrees(double aboutX, double aboutY, double aboutZ);
    void GetAnglesInDegrees(double& aboutX, double& aboutY, double& aboutZ) const;
    // The look and what the chart look shows: taken whole, or refused with
    // kInvalidArgument and the reason in why, changing nothing.
    Result SetStyle(const render::ChartStyle& style, std::string& why);
    const render::ChartStyle& Style() const { return view_.style; }
    // The middle button: zoom 1.0 and the isometric preset.
    void ResetZoomAndView();
    // The window procedure's drag (control/window_procedure.cpp): a button
    // went down at a position; the pointer moved to another with the
    // capture, rolling when the right button is down.
    void PressAt(int32_t x, int32_t y);
    void DragTo(int32_t x, int32_t y, bool rolling, bool leftHalf);

    // Scripts (chart_control.cpp).
    Result SetScript(int32_t slot, char* text);
    Result DelScript(int32_t slot);
    // Data in place of the slot's script (control/calculation.cpp): taken
    // and drawn at once, or refused with kInvalidArgument and the reason in
    // why, changing nothing; kBadSlot for a slot outside 0..2.
    Result SetData(int32_t slot, graph::SlotData data, std::string& why);
    // How data fills the box: a host's range on axis 0..2 (low below high,
    // both finite; both not-a-number for the data's own), refused with
    // kInvalidArgument and why, changing nothing; one box for every data
    // slot, the union of their ranges. Either makes the data slots' geometry
    // again.
    Result SetAxisRange(int32_t axis, double low, double high, std::string& why);
    void GetAxisRange(int32_t axis, double& low, double& high) const;
    void SetSharedBox(bool shared);
    bool SharedBox() const { return sharedBox_; }
    int32_t ScriptGetErrorLine(int32_t slot) const;
    // The slot 0..2 (checked by the caller) as the last calculation left it.
    const ScriptSlot& Slot(int32_t slot) const { return slots_[static_cast<size_t>(slot)]; }

    // Device lifecycle (control/device_lifecycle.cpp).
    Result Init(window::WindowHandle parent, window::InstanceHandle instance, int32_t id);
    Result Size(int32_t newWidth, int32_t newHeight);
    // The same with another multisample type for the back buffer: a reset
    // the device refuses goes back to the old size and type.
    Result Size(int32_t newWidth, int32_t newHeight, uint32_t multiSampleType);
    // Lets go of the scene's buffers and textures (the device stays); again
    // is harmless.
    void ReleaseDeviceResources();

    // Calculation (control/calculation.cpp).
    Result Calculate();
    // A frame paints only after a calculation that the device still holds.
    bool IsReady() const { return ready_; }

    // Frame drawing and the snapshot (control/frame.cpp).
    Result RenderFrame();
    // A frame in two halves: the device-state step and the drawing up to
    // EndScene (false when nothing was drawn), then the present and the end
    // of the frame's trace indentation.
    bool DrawFrame();
    void FinishFrame(bool drawn);
    // What each slot's buffers hold, as the render layer draws it.
    std::array<render::SlotDraw, kSlotCount> SlotDraws() const;
    Result SaveBMP(const char* path);
    // The current frame into pixels, as SaveBMP would save it (native
    // platform only; control/picture.cpp).
    Result DrawPicture(uint32_t* pixels, int32_t pictureWidth, int32_t pictureHeight);

    // Window (control/window_procedure.cpp).
    Result Move(int32_t x, int32_t y, int32_t newWidth, int32_t newHeight, bool repaint);
    Result Show(int32_t command);
    Result Invalidate(const TalvexRect* rect, int32_t erase);
    // Shown by the host, and not hidden since.
    bool IsVisible() const { return visible_; }
    window::WindowHandle Window() const { return window_; }

    // The device and everything built on it, for the frames and for tests.
    const render::Scene& Scene() const { return scene_; }

private:
    // The device-state step that starts a frame; false when the frame must
    // not be drawn (the device is lost, or it could not be recovered).
    bool PrepareDeviceForFrame();
    void RebuildForHandedness();
    // How data slot i fills the box: the host's ranges, else the union of
    // every data slot's (a shared box) or its own; equal aspect from the style.
    graph::DataFit FitFor(int32_t slot) const;
    // Makes every data slot's geometry again, as a new fit asks.
    void RefitData();
    // The chart look's eye as it first is; the presets bring it back.
    void ResetChartEye();
    // Lets go of the device and its resources.
    void ReleaseDevice();
    // Lets go of the window: destroyed, or only detached from the control.
    void ReleaseWindow(bool destroy);
    // The scene's buffers and textures, in the slots' colours.
    Result BuildDeviceResources();
    // After a reset the device refused: the device, buffers and readiness as
    // they were before Size began.
    void RestoreAfterFailedReset(const render::PresentParameters& previous,
                                 const std::array<bool, kSlotCount>& filled, bool wasReady);

    window::WindowHandle parentWindow_ = nullptr;
    window::WindowHandle window_ = nullptr;
    window::WindowClass windowClass_{};
    std::array<ScriptSlot, kSlotCount> slots_;
    // Construction leaves the size to Init; 0 x 0 until then.
    int32_t width_ = 0;
    int32_t height_ = 0;
    render::View view_;
    // The last pointer position of a drag.
    int32_t lastX_ = 0;
    int32_t lastY_ = 0;
    bool leftHanded_ = false;
    bool sharedBox_ = false;
    bool visible_ = false;
    bool ready_ = false;
    render::Scene scene_;
};

// The isometric preset: 20 degrees about x, -30 degrees about y.
constexpr float kIsometricAngleX = 0.34906587f;
constexpr float kIsometricAngleY = -0.5235988f;

}  // namespace talvex
