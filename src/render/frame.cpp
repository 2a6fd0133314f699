// Drawing one frame: the camera from the view angles, the grid points and
// axes in the point colour, and the three slots' graphs.
#include "common/trace.h"
#include "control/chart_control.h"
#include "render/scene.h"

namespace talvex {

using namespace render;

Result ChartControl::RenderFrame() {
    // A control whose device could not be made can still be shown and
    // "calculated"; its paints draw nothing.
    if (device == nullptr) return kOk;
    FinishFrame(DrawFrame());
    return kOk;
}

bool ChartControl::DrawFrame() {
    if (!PrepareDeviceForFrame()) return false;
    SetupCamera();
    device->Clear(0, nullptr, kClearTarget | kClearZBuffer, backgroundColor, 1.0f, 0);
    device->BeginScene();
    device->SetRenderState(kRenderStateAmbient, pointColor);
    device->SetVertexShader(kColorVertexFormat);
    device->SetTexture(0, nullptr);
    if (pointsVisible && gridBuffer != nullptr) {
        device->SetStreamSource(0, gridBuffer, sizeof(ColorVertex));
        device->DrawPrimitive(kPointList, 0, kGridPointCount);
    }
    if (axesVisible && axisBuffer != nullptr) {
        device->SetStreamSource(0, axisBuffer, sizeof(ColorVertex));
        device->DrawPrimitive(kLineList, 0, kAxisLineCount);
    }
    for (int s = 0; s < kSlotCount; ++s)
        if (slots[s].script != nullptr) DrawSlot(s);
    device->EndScene();
    return true;
}

void ChartControl::FinishFrame(bool drawn) {
    if (drawn) device->Present();
    Trace().Unindent();
}

Result ChartControl::SetupCamera() {
    worldMatrix = Matrix::Scaling(scale, scale, scale);
    // Turned about x first and about y second.
    const Matrix turn = Matrix::RotationX(angleX) * Matrix::RotationY(angleY);
    const Vector3 turnedEye = TransformCoord(eye, turn);
    const Vector3 turnedUp = TransformCoord(up, turn);
    viewMatrix = Matrix::LookAtLH(turnedEye, lookAt, turnedUp);
    device->SetTransform(kTransformView, &viewMatrix);
    device->SetTransform(kTransformWorld, &worldMatrix);
    device->SetRenderState(kRenderStateCullMode, kCullNone);
    device->SetRenderState(kRenderStateZEnable, kZBufferTrue);
    device->SetRenderState(kRenderStateAlphaBlendEnable, 0);
    device->SetRenderState(kRenderStateFillMode, kFillSolid);
    device->SetRenderState(kRenderStateAmbient, 0xFFFFFF);
    device->SetMaterial(&material);
    return kOk;
}

Result ChartControl::DrawSlot(int s) {
    const ScriptSlot& slot = slots[s];
    // Buffers that no calculation filled since they were made hold nothing
    // to draw; their old counts could point past the data.
    if (!slot.buffersFilled || slot.vertexBuffer == nullptr || slot.indexBuffer == nullptr) return kOk;
    device->SetVertexShader(kGraphVertexFormat);
    device->SetStreamSource(0, slot.vertexBuffer, sizeof(GraphVertex));
    const auto vertices = static_cast<uint32_t>(slot.vertexCount);
    const auto primitives = static_cast<uint32_t>(slot.primitiveCount);
    if (wireframe == 1) device->SetRenderState(kRenderStateAmbient, slot.primaryColor);
    switch (slot.kind) {
    case GraphKind::Point:
        device->SetTexture(0, nullptr);
        if (wireframe != 1) device->SetRenderState(kRenderStateAmbient, slot.primaryColor);
        device->DrawPrimitive(kPointList, 0, 1);
        break;
    case GraphKind::Curve:
        device->SetIndices(slot.indexBuffer, 0);
        device->SetTexture(0, nullptr);
        if (wireframe != 1) device->SetRenderState(kRenderStateAmbient, slot.primaryColor);
        if (primitives > 0) device->DrawIndexedPrimitive(kLineList, 0, vertices, 0, primitives);
        break;
    case GraphKind::Surface:
        if (wireframe == 1) {
            device->SetRenderState(kRenderStateFillMode, kFillWireframe);
            device->SetIndices(slot.indexBuffer, 0);
            device->SetTexture(0, nullptr);
            device->SetRenderState(kRenderStateCullMode, kCullNone);
            if (primitives > 0) device->DrawIndexedPrimitive(kTriangleList, 0, vertices, 0, primitives);
        } else if (wireframe == 0) {
            device->SetIndices(slot.indexBuffer, 0);
            device->SetTexture(0, slot.texture);
            // The side facing the viewer counter-clockwise at full brightness,
            // the other side at half.
            device->SetRenderState(kRenderStateAmbient, 0xFFFFFF);
            device->SetRenderState(kRenderStateCullMode, kCullClockwise);
            if (primitives > 0) device->DrawIndexedPrimitive(kTriangleList, 0, vertices, 0, primitives);
            device->SetRenderState(kRenderStateAmbient, 0x7F7F7F);
            device->SetRenderState(kRenderStateCullMode, kCullCounterClockwise);
            if (primitives > 0) device->DrawIndexedPrimitive(kTriangleList, 0, vertices, 0, primitives);
            // Later draws are untextured.
            device->SetTexture(0, nullptr);
        }
        break;
    default:
        break;
    }
    return kOk;
}

}  // namespace talvex
