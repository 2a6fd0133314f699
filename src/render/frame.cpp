// Drawing one frame: the camera from the view angles, the grid points and
// axes in the point colour, and the three slots' graphs.
#include "render/frame.h"

#include "render/chart_frame.h"

#include <cstddef>

namespace talvex::render {

namespace {

void DrawSlot(Scene& scene, const SlotBuffers& slot, const SlotDraw& draw, bool solid) {
    Device* device = scene.device;
    // Buffers that no calculation filled since they were made hold nothing
    // to draw; their old counts could point past the data.
    if (!slot.buffersFilled || slot.Vertices() == nullptr || slot.Indices() == nullptr) return;
    device->SetVertexShader(kGraphVertexFormat);
    device->SetStreamSource(0, slot.Vertices(), sizeof(GraphVertex));
    const auto vertices = static_cast<uint32_t>(draw.vertexCount);
    const auto primitives = static_cast<uint32_t>(draw.primitiveCount);
    if (!solid) device->SetRenderState(kRenderStateAmbient, draw.primaryColor);
    switch (draw.kind) {
    case graph::GraphKind::Point:
        device->SetTexture(0, nullptr);
        if (solid) device->SetRenderState(kRenderStateAmbient, draw.primaryColor);
        device->DrawPrimitive(kPointList, 0, 1);
        break;
    case graph::GraphKind::Cloud:
    case graph::GraphKind::Curve:
        device->SetIndices(slot.Indices(), 0);
        device->SetTexture(0, nullptr);
        if (solid) device->SetRenderState(kRenderStateAmbient, draw.primaryColor);
        if (primitives > 0)
            device->DrawIndexedPrimitive(draw.kind == graph::GraphKind::Cloud ? kPointList : kLineList, 0, vertices, 0,
                                         primitives);
        break;
    case graph::GraphKind::Surface:
        if (!solid) {
            device->SetRenderState(kRenderStateFillMode, kFillWireframe);
            device->SetIndices(slot.Indices(), 0);
            device->SetTexture(0, nullptr);
            device->SetRenderState(kRenderStateCullMode, kCullNone);
            if (primitives > 0) device->DrawIndexedPrimitive(kTriangleList, 0, vertices, 0, primitives);
        } else {
            device->SetIndices(slot.Indices(), 0);
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
}

}  // namespace

void SetupCamera(Scene& scene, const View& view) {
    Device* device = scene.device;
    scene.worldMatrix = Matrix::Scaling(view.scale, view.scale, view.scale);
    // Turned about x first and about y second.
    const Matrix turn = Matrix::RotationX(view.angleX) * Matrix::RotationY(view.angleY);
    const Vector3 turnedEye = TransformCoord(view.eye, turn);
    const Vector3 turnedUp = TransformCoord(view.up, turn);
    scene.viewMatrix = Matrix::LookAtLH(turnedEye, view.lookAt, turnedUp);
    device->SetTransform(kTransformView, &scene.viewMatrix);
    device->SetTransform(kTransformWorld, &scene.worldMatrix);
    device->SetRenderState(kRenderStateCullMode, kCullNone);
    device->SetRenderState(kRenderStateZEnable, kZBufferTrue);
    device->SetRenderState(kRenderStateAlphaBlendEnable, 0);
    device->SetRenderState(kRenderStateFillMode, kFillSolid);
    device->SetRenderState(kRenderStateAmbient, 0xFFFFFF);
    device->SetMaterial(&scene.material);
}

void DrawScene(Scene& scene, const View& view, const std::array<SlotDraw, kSlotCount>& slots) {
    if (view.style.look == Look::Chart) {
        DrawChartScene(scene, view, slots);
        return;
    }
    Device* device = scene.device;
    SetupCamera(scene, view);
    device->Clear(0, nullptr, kClearTarget | kClearZBuffer, view.backgroundColor, 1.0f, 0);
    device->BeginScene();
    device->SetRenderState(kRenderStateAmbient, view.pointColor);
    device->SetVertexShader(kColorVertexFormat);
    device->SetTexture(0, nullptr);
    if (view.pointsVisible && scene.gridBuffer != nullptr) {
        device->SetStreamSource(0, scene.gridBuffer, sizeof(ColorVertex));
        device->DrawPrimitive(kPointList, 0, kGridPointCount);
    }
    if (view.axesVisible && scene.axisBuffer != nullptr) {
        device->SetStreamSource(0, scene.axisBuffer, sizeof(ColorVertex));
        device->DrawPrimitive(kLineList, 0, kAxisLineCount);
    }
    for (std::size_t s = 0; s < slots.size(); ++s)
        if (slots[s].scripted) DrawSlot(scene, scene.slots[s], slots[s], view.solid);
    device->EndScene();
}

void PresentScene(Scene& scene) { scene.device->Present(); }

}  // namespace talvex::render
