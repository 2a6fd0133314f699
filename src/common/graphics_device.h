// The graphics device that every drawing operation goes through: the object,
// the device and its buffers, textures and surfaces, shaped after exactly the
// Direct3D 8 operations the chart uses. Every number below is Direct3D 8's own
// value, so the Direct3D adapter passes them straight through.
//
// Objects are reference-counted: a creator hands out one reference, and each
// holder releases its reference exactly once.
//
// It sits below both sides that meet at it: render draws through it, and each
// platform implements it. Its names stay in the render namespace, where its
// users are.
#pragma once

#include <cstdint>

#include "common/matrix.h"
#include "common/result_codes.h"
#include "common/window_system.h"

namespace talvex::render {

using HResult = int32_t;


constexpr uint32_t kSdkVersion = 220;  // D3D_SDK_VERSION of Direct3D 8.1

// The largest back-buffer side a device is asked for: the limit of the
// Direct3D 8 devices the chart was made for, which the software device keeps
// too. A chart is never sized past it.
constexpr int32_t kMaximumSide = 16384;

enum Format : uint32_t {
    kFormatUnknown = 0,
    kFormatR8G8B8 = 20,
    kFormatA8R8G8B8 = 21,
    kFormatX8R8G8B8 = 22,
    kFormatR5G6B5 = 23,
    kFormatX1R5G5B5 = 24,
    kFormatD16 = 80,
    kFormatIndex16 = 101,
    kFormatIndex32 = 102,
};

enum Pool : uint32_t { kPoolDefault = 0, kPoolManaged = 1, kPoolSystemMemory = 2 };

enum Usage : uint32_t { kUsageWriteOnly = 0x8 };

enum DeviceType : uint32_t { kDeviceTypeHal = 1 };

enum CreateFlags : uint32_t {
    kCreateSoftwareVertexProcessing = 0x20,
    kCreateHardwareVertexProcessing = 0x40,
};

constexpr uint32_t kDevCapsHardwareTransformAndLight = 0x10000;

enum PrimitiveType : uint32_t {
    kPointList = 1,
    kLineList = 2,
    kLineStrip = 3,
    kTriangleList = 4,
};

enum RenderState : uint32_t {
    kRenderStateZEnable = 7,
    kRenderStateFillMode = 8,
    kRenderStateZWriteEnable = 14,
    kRenderStateCullMode = 22,
    kRenderStateSourceBlend = 19,
    kRenderStateDestinationBlend = 20,
    kRenderStateAlphaBlendEnable = 27,
    kRenderStateLighting = 137,
    kRenderStateAmbient = 139,
};

// The blend factors the chart blends with: the source's alpha over the rest.
enum Blend : uint32_t { kBlendSourceAlpha = 5, kBlendInverseSourceAlpha = 6 };

enum CullMode : uint32_t { kCullNone = 1, kCullClockwise = 2, kCullCounterClockwise = 3 };
enum FillMode : uint32_t { kFillPoint = 1, kFillWireframe = 2, kFillSolid = 3 };
enum ZBufferType : uint32_t { kZBufferFalse = 0, kZBufferTrue = 1 };

enum ClearFlags : uint32_t { kClearTarget = 1, kClearZBuffer = 2, kClearStencil = 4 };

enum TransformState : uint32_t { kTransformView = 2, kTransformProjection = 3, kTransformWorld = 256 };

enum VertexFormat : uint32_t {
    kFvfXyz = 0x002,
    kFvfNormal = 0x010,
    kFvfDiffuse = 0x040,
    kFvfTex1 = 0x100,
};

enum SwapEffect : uint32_t { kSwapEffectDiscard = 1 };

// D3DMULTISAMPLE_TYPE: none, or the 4 samples per pixel the chart look asks
// for; the software device has no other.
enum MultiSample : uint32_t { kMultiSampleNone = 0, kMultiSample4 = 4 };

enum ImageFileFormat : uint32_t { kImageFileBmp = 0 };

struct DisplayMode {
    uint32_t width;
    uint32_t height;
    uint32_t refreshRate;
    uint32_t format;
};

// The presentation parameters, field for field as D3DPRESENT_PARAMETERS.
struct PresentParameters {
    uint32_t backBufferWidth;
    uint32_t backBufferHeight;
    uint32_t backBufferFormat;
    uint32_t backBufferCount;
    uint32_t multiSampleType;
    uint32_t swapEffect;
    window::WindowHandle deviceWindow;
    int32_t windowed;
    int32_t enableAutoDepthStencil;
    uint32_t autoDepthStencilFormat;
    uint32_t flags;
    uint32_t fullScreenRefreshRate;
    uint32_t fullScreenPresentationInterval;
};

struct ColorValue {
    float r, g, b, a;
};

// D3DMATERIAL8, field for field.
struct Material {
    ColorValue diffuse;
    ColorValue ambient;
    ColorValue specular;
    ColorValue emissive;
    float power;
};

// The part of D3DCAPS8 that the chart reads.
struct DeviceCaps {
    uint32_t devCaps;
};

struct LockedRect {
    int32_t pitch;
    void* bits;
};

struct Rect {
    int32_t left, top, right, bottom;
};

class Unknown {
public:
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    virtual ~Unknown() = default;
};

class Surface : public Unknown {};

class VertexBuffer : public Unknown {
public:
    virtual HResult Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags) = 0;
    virtual HResult Unlock() = 0;
};

class IndexBuffer : public Unknown {
public:
    virtual HResult Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags) = 0;
    virtual HResult Unlock() = 0;
};

class Texture : public Unknown {
public:
    virtual HResult LockRect(uint32_t level, LockedRect* locked, const Rect* rect, uint32_t flags) = 0;
    virtual HResult UnlockRect(uint32_t level) = 0;
};

class Device : public Unknown {
public:
    virtual HResult TestCooperativeLevel() = 0;
    virtual HResult Reset(PresentParameters* parameters) = 0;
    virtual HResult Present() = 0;
    virtual HResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool,
                                       VertexBuffer** buffer) = 0;
    virtual HResult CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool,
                                      IndexBuffer** buffer) = 0;
    virtual HResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                  uint32_t format, uint32_t pool, Texture** texture) = 0;
    virtual HResult SetTransform(uint32_t state, const Matrix* matrix) = 0;
    virtual HResult SetRenderState(uint32_t state, uint32_t value) = 0;
    virtual HResult SetMaterial(const Material* material) = 0;
    virtual HResult Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                          uint32_t stencil) = 0;
    virtual HResult BeginScene() = 0;
    virtual HResult EndScene() = 0;
    virtual HResult SetVertexShader(uint32_t vertexFormat) = 0;
    virtual HResult SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t stride) = 0;
    virtual HResult SetIndices(IndexBuffer* indices, uint32_t baseVertex) = 0;
    virtual HResult SetTexture(uint32_t stage, Texture* texture) = 0;
    virtual HResult DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount) = 0;
    virtual HResult DrawIndexedPrimitive(uint32_t type, uint32_t minIndex, uint32_t vertexCount,
                                         uint32_t startIndex, uint32_t primitiveCount) = 0;
    virtual HResult GetRenderTarget(Surface** surface) = 0;
};

class Direct3D : public Unknown {
public:
    virtual HResult GetAdapterDisplayMode(uint32_t adapter, DisplayMode* mode) = 0;
    virtual HResult GetDeviceCaps(uint32_t adapter, uint32_t deviceType, DeviceCaps* caps) = 0;
    virtual HResult CreateDevice(uint32_t adapter, uint32_t deviceType, window::WindowHandle focusWindow,
                                 uint32_t behaviorFlags, PresentParameters* parameters, Device** device) = 0;
};

// Implemented by the platform layer that the build links.

// The graphics object (Direct3DCreate8), or null when it cannot be created.
Direct3D* CreateDirect3D(uint32_t sdkVersion);

// Writes the surface as an image file (D3DXSaveSurfaceToFileA). Only the BMP
// format, no palette and the whole surface are supported.
HResult SaveSurfaceToFile(const char* path, uint32_t format, Surface* surface, const void* palette,
                          const Rect* sourceRect);

// Copies the surface as 0x00RRGGBB pixels, top row first, into pixels, which
// holds width * height values; kInvalidCall when the surface is not of that
// size. The native platform alone has it (the software device's surfaces are
// in memory); nothing in the Windows build calls it.
HResult ReadSurfacePixels(Surface* surface, uint32_t* pixels, int32_t width, int32_t height);

// A short human description of a result code (DXGetErrorDescription8).
const char* DescribeError(HResult result);

// Releases the object if there is one and empties the reference.
template <typename T>
void ReleaseAndClear(T*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

}  // namespace talvex::render
