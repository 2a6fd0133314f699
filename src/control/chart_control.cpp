#include "control/chart_control.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/trace.h"
#include "render/device_setup.h"
#include "script/compiler.h"

namespace talvex {

namespace {

constexpr render::SlotColors kDefaultSlotColors[kSlotCount] = {
    {0xFF0080, 0xFF80C0},
    {0x0080FF, 0x80C0FF},
    {0xD0D080, 0xF0F0A0},
};

constexpr float kMinimumScale = 0.4f;
constexpr float kMaximumScale = 2.0f;

// One pixel of dragging turns the view by about half a degree.
constexpr double kRadiansPerPixel = 3.14 / 360.0;
constexpr double kPi = 3.14159265358979323846;

bool IsSlotIndex(int32_t slot) { return slot >= 0 && slot < kSlotCount; }

// The sum is made in double and stored in single precision, as every turn
// of the view always was.
float Turned(float angle, int32_t pixels) {
    return static_cast<float>(static_cast<double>(angle) + pixels * kRadiansPerPixel);
}

}  // namespace

ChartControl::ChartControl() {
    for (int i = 0; i < kSlotCount; ++i) slots_[i].colors = kDefaultSlotColors[i];
}

ChartControl::~ChartControl() = default;

int32_t ChartControl::GetScale() const {
    // Truncation toward zero, so a zoom set with SetScale may read back one lower.
    const double percent = (static_cast<double>(view_.scale) - 0.4) * 100.0 / 1.6;
    if (!(percent > -2147483648.0 && percent < 2147483648.0)) return 0;
    return static_cast<int32_t>(percent);
}

Result ChartControl::SetScale(int32_t zoom) {
    view_.scale = static_cast<float>(zoom / 100.0 * 1.6 + 0.4);
    return kOk;
}

Result ChartControl::MouseWheel(window::WParam wParam, window::LParam) {
    const uint32_t delta = (static_cast<uint32_t>(wParam) >> 16) & 0xFFFFu;
    const bool zoomOut = (delta & 0x8000u) != 0;
    float& scale = view_.scale;
    scale = static_cast<float>(static_cast<double>(scale) + (zoomOut ? -0.1 : 0.1));
    // The upper bound is tested first; values set out of range come back in.
    if (scale > kMaximumScale)
        scale = kMaximumScale;
    else if (scale < kMinimumScale)
        scale = kMinimumScale;
    return kOk;
}

Result ChartControl::SetDefaultView() {
    SetAngles(0.0, 0.0, 0.0);
    ResetChartEye();
    return kOk;
}

Result ChartControl::SetIsometricView() {
    view_.angleX = kIsometricAngleX;
    view_.angleY = kIsometricAngleY;
    view_.angleZ = 0.0f;
    ResetChartEye();
    return kOk;
}

void ChartControl::ResetChartEye() {
    view_.azimuth = render::kChartAzimuth;
    view_.elevation = render::kChartElevation;
}

namespace {

// The chart look's eye: the azimuth kept within -180 .. 180 so that it reads
// back as a person would write it, the elevation held at the poles.
float WrappedAzimuth(double degrees) { return static_cast<float>(std::remainder(degrees, 360.0)); }
float HeldElevation(double degrees) { return static_cast<float>(std::clamp(degrees, -90.0, 90.0)); }

// Half a degree per pixel of a drag in the chart look.
constexpr double kDegreesPerPixel = 0.5;

}  // namespace

void ChartControl::Turn(int32_t pixelsDown, int32_t pixelsRight) {
    if (view_.style.look == render::Look::Chart) {
        // Dragging right turns the chart to the right: the eye goes the
        // other way round. Dragging down tips its top toward the eye.
        view_.azimuth = WrappedAzimuth(view_.azimuth - pixelsRight * kDegreesPerPixel);
        view_.elevation = HeldElevation(view_.elevation + pixelsDown * kDegreesPerPixel);
        return;
    }
    view_.angleX = Turned(view_.angleX, pixelsDown);
    view_.angleY = Turned(view_.angleY, pixelsRight);
}

Result ChartControl::SetStyle(const render::ChartStyle& style, std::string& why) {
    why = render::StyleRefusal(style);
    if (!why.empty()) return kInvalidArgument;
    const render::ChartStyle previous = view_.style;
    view_.style = style;
    // Equal aspect is a data slot's fit too.
    if (style.equalAspect != previous.equalAspect) RefitData();
    if (style.samples == previous.samples || scene_.device == nullptr) return kOk;
    // Another number of samples is another back buffer: the device is reset
    // as for a new size. One that refuses goes back to the old samples, and
    // the control keeps the old style.
    const uint32_t wanted = render::MultiSampleType(style.samples);
    const Result result = Size(width_, height_, wanted);
    if (scene_.device == nullptr || scene_.presentParams.multiSampleType != wanted) {
        view_.style = previous;
        if (style.equalAspect != previous.equalAspect) RefitData();
        why = "the device cannot draw " + std::to_string(style.samples) + " samples per pixel at " +
              std::to_string(width_) + " x " + std::to_string(height_);
        return result != kOk ? result : kFail;
    }
    return kOk;
}

void ChartControl::Roll(int32_t pixels) { view_.angleZ = Turned(view_.angleZ, pixels); }

void ChartControl::SetAngles(double aboutX, double aboutY, double aboutZ) {
    view_.angleX = static_cast<float>(aboutX);
    view_.angleY = static_cast<float>(aboutY);
    view_.angleZ = static_cast<float>(aboutZ);
}

namespace {

// Degrees as a single-precision angle in radians; false when they are not
// finite or beyond single precision.
bool DegreesToAngle(double degrees, float& out) {
    const double radians = degrees * (kPi / 180.0);
    if (!std::isfinite(radians) || std::fabs(radians) > std::numeric_limits<float>::max()) return false;
    out = static_cast<float>(radians);
    return std::isfinite(out);
}

}  // namespace

Result ChartControl::SetAnglesInDegrees(double aboutX, double aboutY, double aboutZ) {
    float x, y, z;
    if (!DegreesToAngle(aboutX, x) || !DegreesToAngle(aboutY, y) || !DegreesToAngle(aboutZ, z))
        return kInvalidArgument;
    if (view_.style.look == render::Look::Chart) {
        view_.elevation = HeldElevation(aboutX);
        view_.azimuth = WrappedAzimuth(aboutY);
        view_.angleZ = z;
        return kOk;
    }
    SetAngles(x, y, z);
    return kOk;
}

void ChartControl::GetAnglesInDegrees(double& aboutX, double& aboutY, double& aboutZ) const {
    if (view_.style.look == render::Look::Chart) {
        aboutX = view_.elevation;
        aboutY = view_.azimuth;
        aboutZ = view_.angleZ * (180.0 / kPi);
        return;
    }
    aboutX = view_.angleX * (180.0 / kPi);
    aboutY = view_.angleY * (180.0 / kPi);
    aboutZ = view_.angleZ * (180.0 / kPi);
}

void ChartControl::ResetZoomAndView() {
    view_.scale = 1.0f;
    SetIsometricView();
}

Result ChartControl::SetBackgroundColor(Color color) {
    view_.backgroundColor = color;
    return kOk;
}

Result ChartControl::SetPointColor(Color color) {
    view_.pointColor = color;
    return kOk;
}

Result ChartControl::SetPointVisible(bool visible) {
    view_.pointsVisible = visible;
    return kOk;
}

Result ChartControl::SetAxisVisible(bool visible) {
    view_.axesVisible = visible;
    return kOk;
}

Result ChartControl::SetSolid(bool solid) {
    view_.solid = solid;
    return kOk;
}

Result ChartControl::SetZDistance(float distance) {
    view_.zDistance = distance;
    return kOk;
}

Result ChartControl::SetLeftHand() {
    leftHanded_ = true;
    RebuildForHandedness();
    return kOk;
}

Result ChartControl::SetRightHand() {
    leftHanded_ = false;
    RebuildForHandedness();
    return kOk;
}

Result ChartControl::SetScript(int32_t slot, char* text) {
    Trace().Output("TALVEXCONTROL::SetScript(%d)", slot);
    if (!IsSlotIndex(slot)) return kBadSlot;
    if (text == nullptr) return kPointer;
    ScriptSlot& target = slots_[slot];
    if (target.script == nullptr) target.script = std::make_unique<script::Script>();
    script::ResetScript(*target.script);
    const Result result = script::Compile(*target.script, text);
    // The line survives a failed compile so that the host can say where.
    target.lastErrorLine = result != kOk ? script::ErrorLine(*target.script) : 0;
    // What a calculation said of the old script says nothing of the new one.
    target.lastCalculation = kOk;
    target.lastCalculationText.clear();
    if (result != kOk || text[0] == '\0') target.script.reset();
    target.data.reset();
    return result;
}

Result ChartControl::DelScript(int32_t slot) {
    Trace().Output("TALVEXCONTROL::DelScript(%d)", slot);
    Result result = kBadSlot;
    if (IsSlotIndex(slot)) {
        slots_[slot].script.reset();
        slots_[slot].data.reset();
        // Buffers made to a large data set's size are given back now; the
        // slot is not drawn until it is computed again.
        render::SlotBuffers& buffers = scene_.slots[static_cast<size_t>(slot)];
        if (buffers.large) {
            render::ReleaseLargeBuffers(buffers);
            buffers.buffersFilled = false;
        }
        slots_[slot].lastErrorLine = 0;
        slots_[slot].lastCalculation = kOk;
        slots_[slot].lastCalculationText.clear();
        result = kOk;
    }
    Trace().Output("    done(%d)", result);
    return result;
}

int32_t ChartControl::ScriptGetErrorLine(int32_t slot) const {
    if (!IsSlotIndex(slot)) return 0;
    const ScriptSlot& target = slots_[slot];
    if (target.script != nullptr) return script::ErrorLine(*target.script);
    return target.lastErrorLine;
}

Result ChartControl::Destroy() {
    Trace().Output("TALVEXCONTROL::Destroy");
    ReleaseDevice();
    ReleaseWindow(true);
    for (ScriptSlot& slot : slots_) slot.script.reset();
    return kOk;
}

}  // namespace talvex
