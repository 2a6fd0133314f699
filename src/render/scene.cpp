#include "render/scene.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace talvex::render {

void MakeAxisVertices(bool leftHanded, ColorVertex (&vertices)[kAxisVertexCount]) {
    static const float kSegments[kAxisLineCount][6] = {
        {-70, 0, 0, 70, 0, 0},             // x axis
        {70, 0, 0, 66.5f, 3.5f, 0},        // x arrowhead
        {70, 0, 0, 66.5f, -3.5f, 0},       //
        {0, -70, 0, 0, 70, 0},             // y axis
        {0, 70, 0, 3.5f, 66.5f, 0},        // y arrowhead
        {0, 70, 0, -3.5f, 66.5f, 0},       //
        {0, 0, -70, 0, 0, 70},             // z axis
        {0, 0, -70, 0, 3.5f, -66.5f},      // z arrowhead
        {0, 0, -70, 0, -3.5f, -66.5f},     //
        {78.4f, 3.5f, 0, 73.5f, -3.5f, 0}, // letter X
        {73.5f, 3.5f, 0, 78.4f, -3.5f, 0}, //
        {-3.5f, 78.4f, 0, 0, 76.3f, 0},    // letter Y
        {3.5f, 78.4f, 0, 0, 76.3f, 0},     //
        {0, 76.3f, 0, 0, 73.5f, 0},        //
    };
    constexpr int kFirstZArrowhead = 7;
    for (int s = 0; s < kAxisLineCount; ++s) {
        for (int end = 0; end < 2; ++end) {
            ColorVertex& v = vertices[2 * s + end];
            v.x = kSegments[s][3 * end];
            v.y = kSegments[s][3 * end + 1];
            v.z = kSegments[s][3 * end + 2];
            v.color = 0x00FFFFFF;
            // The arrowhead marks the direction in which the scripts' z grows.
            if (leftHanded && (s == kFirstZArrowhead || s == kFirstZArrowhead + 1)) v.z = std::fabs(v.z);
        }
    }
}

namespace {

// Makes the large buffers hold at least so many records, anew when the
// ones there are smaller; false, with the old ones kept, when the device
// refuses, so that the slot still draws what it drew. Once new ones are
// had, the old ones and what they showed are gone.
bool PrepareLargeBuffers(Device* device, SlotBuffers& slot, size_t vertexCount, size_t indexCount) {
    if (slot.largeVertexBuffer != nullptr && slot.largeIndexBuffer != nullptr &&
        slot.largeVertexCapacity >= vertexCount && slot.largeIndexCapacity >= indexCount)
        return true;
    // Sizes beyond what a buffer's length can say are refused as the device
    // would refuse them.
    const uint64_t vertexBytes = static_cast<uint64_t>(vertexCount) * sizeof(GraphVertex);
    const uint64_t indexBytes = std::max<uint64_t>(1, indexCount) * sizeof(uint32_t);
    if (device == nullptr || vertexBytes > UINT32_MAX || indexBytes > UINT32_MAX) return false;
    VertexBuffer* vertices = nullptr;
    IndexBuffer* indices = nullptr;
    if (device->CreateVertexBuffer(static_cast<uint32_t>(vertexBytes), kUsageWriteOnly, kGraphVertexFormat,
                                   kPoolDefault, &vertices) != kOk ||
        device->CreateIndexBuffer(static_cast<uint32_t>(indexBytes), kUsageWriteOnly, kFormatIndex32, kPoolDefault,
                                  &indices) != kOk) {
        ReleaseAndClear(vertices);
        ReleaseAndClear(indices);
        return false;
    }
    if (slot.large) slot.buffersFilled = false;
    ReleaseLargeBuffers(slot);
    slot.largeVertexBuffer = vertices;
    slot.largeIndexBuffer = indices;
    slot.largeVertexCapacity = vertexCount;
    slot.largeIndexCapacity = std::max<size_t>(1, indexCount);
    return true;
}

}  // namespace

SlotBufferLock::SlotBufferLock(Device* device, SlotBuffers& slot, size_t vertexCount, size_t indexCount)
    : slot_(slot), large_(vertexCount > static_cast<size_t>(kSlotVertexCapacity) ||
                          indexCount > static_cast<size_t>(kSlotIndexCapacity)) {
    if (large_ && !PrepareLargeBuffers(device, slot, vertexCount, indexCount)) return;
    vertexBuffer_ = large_ ? slot.largeVertexBuffer : slot.vertexBuffer;
    indexBuffer_ = large_ ? slot.largeIndexBuffer : slot.indexBuffer;
    if (vertexBuffer_ == nullptr || indexBuffer_ == nullptr) return;
    const uint64_t vertexBytes = large_ ? slot.largeVertexCapacity * sizeof(GraphVertex) : kSlotVertexBytes;
    const uint64_t indexBytes = large_ ? slot.largeIndexCapacity * sizeof(uint32_t) : kSlotIndexBytes;
    if (vertexBuffer_->Lock(0, static_cast<uint32_t>(vertexBytes), &vertices_, 0) != kOk) vertices_ = nullptr;
    if (vertices_ == nullptr) return;
    if (indexBuffer_->Lock(0, static_cast<uint32_t>(indexBytes), &indices_, 0) != kOk) indices_ = nullptr;
}

SlotBufferLock::~SlotBufferLock() {
    if (vertices_ != nullptr) vertexBuffer_->Unlock();
    if (indices_ != nullptr) indexBuffer_->Unlock();
}

void SlotBufferLock::Write(const graph::SlotGeometry& geometry) {
    const size_t vertexRoom = large_ ? slot_.largeVertexCapacity : static_cast<size_t>(kSlotVertexCapacity);
    const size_t indexRoom = large_ ? slot_.largeIndexCapacity : static_cast<size_t>(kSlotIndexCapacity);
    std::memcpy(vertices_, geometry.vertices.data(), std::min(geometry.vertices.size(), vertexRoom) * sizeof(GraphVertex));
    if (large_)
        std::memcpy(indices_, geometry.indices.data(), std::min(geometry.indices.size(), indexRoom) * sizeof(uint32_t));
    else
        std::memcpy(indices_, geometry.indices16.data(), std::min(geometry.indices16.size(), indexRoom) * sizeof(uint16_t));
    // Data back within the fixed buffers' size, or a script: the large ones
    // are let go rather than held for a size that may not come again.
    if (!large_) ReleaseLargeBuffers(slot_);
    slot_.large = large_;
}

bool UploadSlotGeometry(Device* device, SlotBuffers& slot, const graph::SlotGeometry& geometry) {
    SlotBufferLock lock(device, slot, geometry.vertices.size(), geometry.indices.size());
    if (!lock.Locked()) return false;
    lock.Write(geometry);
    return true;
}

void ReleaseLargeBuffers(SlotBuffers& slot) {
    ReleaseAndClear(slot.largeVertexBuffer);
    ReleaseAndClear(slot.largeIndexBuffer);
    slot.largeVertexCapacity = slot.largeIndexCapacity = 0;
    slot.large = false;
}

namespace {

// Locks the whole buffer, lets fill write into it, unlocks. Nothing is
// written when the buffer is missing or will not lock.
template <typename Buffer, typename Fill>
HResult FillBuffer(Buffer* buffer, uint32_t bytes, Fill fill) {
    if (buffer == nullptr) return kOk;  // its creation already told
    uint8_t* data = nullptr;
    const HResult result = buffer->Lock(0, bytes, &data, 0);
    if (result != kOk) return result;
    if (data == nullptr) return kFail;
    fill(data);
    return buffer->Unlock();
}

// Keeps the first failure of several steps that all run.
void Note(HResult& first, HResult result) {
    if (first == kOk && result != kOk) first = result;
}

}  // namespace

HResult BuildSceneResources(Scene& scene, bool leftHanded, const std::array<SlotColors, kSlotCount>& colors) {
    Device* device = scene.device;
    if (device == nullptr) return kFail;
    HResult first = kOk;
    const float aspect = static_cast<float>(scene.presentParams.backBufferWidth) /
                         static_cast<float>(scene.presentParams.backBufferHeight);
    scene.projectionMatrix = Matrix::PerspectiveFovLH(0.7853982f, aspect, 0.5f, 500.0f);
    device->SetTransform(kTransformProjection, &scene.projectionMatrix);

    scene.material = Material{};
    scene.material.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    scene.material.ambient = {1.0f, 1.0f, 1.0f, 1.0f};

    Note(first, device->CreateVertexBuffer(kSceneBufferBytes, kUsageWriteOnly, kColorVertexFormat, kPoolDefault,
                                           &scene.gridBuffer));
    Note(first, FillBuffer(scene.gridBuffer, kSceneBufferBytes, [](uint8_t* data) {
        for (int i = 0; i < kGridSide; ++i) {
            for (int j = 0; j < kGridSide; ++j) {
                ColorVertex v{};
                v.x = static_cast<float>((j - 10) * 0.05 * 100.0);
                v.y = static_cast<float>((i - 10) * 0.05 * 100.0);
                v.z = 0.0f;
                v.color = 0xFFFFFFFF;
                std::memcpy(data + sizeof(ColorVertex) * (kGridSide * i + j), &v, sizeof v);
            }
        }
    }));

    Note(first, device->CreateVertexBuffer(kSceneBufferBytes, kUsageWriteOnly, kColorVertexFormat, kPoolDefault,
                                           &scene.axisBuffer));
    ColorVertex axes[kAxisVertexCount];
    MakeAxisVertices(leftHanded, axes);
    Note(first, FillBuffer(scene.axisBuffer, kSceneBufferBytes,
                           [&](uint8_t* data) { std::memcpy(data, axes, sizeof axes); }));

    for (int s = 0; s < kSlotCount; ++s) {
        SlotBuffers& slot = scene.slots[static_cast<size_t>(s)];
        Note(first, device->CreateVertexBuffer(kSlotVertexBytes, kUsageWriteOnly, kGraphVertexFormat, kPoolDefault,
                                               &slot.vertexBuffer));
        Note(first, device->CreateIndexBuffer(kSlotIndexBytes, kUsageWriteOnly, kFormatIndex16, kPoolDefault,
                                              &slot.indexBuffer));
        slot.buffersFilled = false;
        Note(first, BuildSlotTexture(scene, s, colors[static_cast<size_t>(s)]));
    }
    return first;
}

HResult BuildSlotTexture(Scene& scene, int s, SlotColors colors) {
    SlotBuffers& slot = scene.slots[static_cast<size_t>(s)];
    ReleaseAndClear(slot.texture);
    HResult result = scene.device->CreateTexture(kTextureSide, kTextureSide, 1, 0, kFormatA8R8G8B8, kPoolManaged,
                                                 &slot.texture);
    if (result != kOk) return result;
    if (slot.texture == nullptr) return kFail;
    LockedRect locked{};
    result = slot.texture->LockRect(0, &locked, nullptr, 0);
    if (result != kOk) return result;
    auto* rows = static_cast<uint8_t*>(locked.bits);
    for (int r = 0; r < kTextureSide; ++r) {
        auto* row = reinterpret_cast<uint32_t*>(rows + r * locked.pitch);
        for (int c = 0; c < kTextureSide; ++c) {
            // Four 8 x 8 quadrants: a 2 x 2 chessboard of the two colours.
            const bool primary = (c < 8) == (r < 8);
            row[c] = (primary ? colors.primary : colors.secondary) | 0x7F000000u;
        }
    }
    return slot.texture->UnlockRect(0);
}

void ReleaseSceneResources(Scene& scene) {
    ReleaseAndClear(scene.gridBuffer);
    ReleaseAndClear(scene.axisBuffer);
    ReleaseAndClear(scene.chartBuffer);
    ReleaseAndClear(scene.fontTexture);
    for (SlotBuffers& slot : scene.slots) {
        ReleaseAndClear(slot.vertexBuffer);
        ReleaseAndClear(slot.indexBuffer);
        ReleaseAndClear(slot.texture);
        ReleaseLargeBuffers(slot);
        ReleaseAndClear(slot.chartVertices);
        slot.chartVertexCapacity = 0;
        ReleaseAndClear(slot.colorTable);
        slot.colorTableKey.clear();
        slot.buffersFilled = false;
    }
}

}  // namespace talvex::render
