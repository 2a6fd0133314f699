// The graphics device on Direct3D 9, for 64-bit Windows, which cannot be
// relied on to offer Direct3D 8 to a 64-bit program. The device interface is
// shaped after Direct3D 8; where Direct3D 9 differs, this adapter translates:
//  - the presentation parameters gain MultiSampleQuality (0);
//  - creating buffers, textures and surfaces takes a shared handle (none);
//  - SetVertexShader with a vertex format is SetFVF;
//  - SetStreamSource takes a byte offset (0);
//  - SetIndices loses its base vertex, which DrawIndexedPrimitive takes;
//  - GetRenderTarget names render target 0;
//  - a snapshot copies the render target with GetRenderTargetData into a
//    system-memory surface (CreateImageSurface and CopyRects are gone),
//    through a resolving StretchRect when the target is multisampled.
// Everything else takes the same arguments with the same numbers: render and
// transform states, formats, pools, usages, flags, result codes, the material
// and the caps bit. The fixed-function defaults the chart relies on (lighting
// on, no light, stage 0 modulating, one-pixel points, wrapped point-sampled
// textures) are Direct3D 9's defaults too.
#include <d3d9.h>

#include "platform/win32/direct3d_adapter.h"

namespace talvex::render {

static_assert(kDirect3D9SdkVersion == D3D_SDK_VERSION, "the SDK version of d3d9.h");
static_assert(sizeof(Material) == sizeof(D3DMATERIAL9), "Material mirrors D3DMATERIAL9");
static_assert(sizeof(Matrix) == sizeof(D3DMATRIX), "Matrix mirrors D3DMATRIX");
static_assert(sizeof(DisplayMode) == sizeof(D3DDISPLAYMODE), "DisplayMode mirrors D3DDISPLAYMODE");
static_assert(sizeof(LockedRect) == sizeof(D3DLOCKED_RECT), "LockedRect mirrors D3DLOCKED_RECT");
static_assert(sizeof(Rect) == sizeof(RECT), "Rect mirrors RECT");
static_assert(kLockReadOnly == D3DLOCK_READONLY, "the read-only lock flag");

namespace {

D3DPRESENT_PARAMETERS ToDirect3D9(const PresentParameters& from) {
    D3DPRESENT_PARAMETERS to{};
    to.BackBufferWidth = from.backBufferWidth;
    to.BackBufferHeight = from.backBufferHeight;
    to.BackBufferFormat = static_cast<D3DFORMAT>(from.backBufferFormat);
    to.BackBufferCount = from.backBufferCount;
    to.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(from.multiSampleType);
    to.MultiSampleQuality = 0;
    to.SwapEffect = static_cast<D3DSWAPEFFECT>(from.swapEffect);
    to.hDeviceWindow = from.deviceWindow;
    to.Windowed = from.windowed;
    to.EnableAutoDepthStencil = from.enableAutoDepthStencil;
    to.AutoDepthStencilFormat = static_cast<D3DFORMAT>(from.autoDepthStencilFormat);
    to.Flags = from.flags;
    to.FullScreen_RefreshRateInHz = from.fullScreenRefreshRate;
    // Direct3D 9 reads 0 as "wait for the vertical blank", which Direct3D 8
    // never did in a window: a windowed chart presents at once, as it does there.
    to.PresentationInterval = from.windowed ? D3DPRESENT_INTERVAL_IMMEDIATE : from.fullScreenPresentationInterval;
    return to;
}

// Direct3D fills in what it chose (a back-buffer size of 0 becomes the
// window's), as Direct3D 8 writes into the caller's record.
void CopyBack(const D3DPRESENT_PARAMETERS& from, PresentParameters& to) {
    to.backBufferWidth = from.BackBufferWidth;
    to.backBufferHeight = from.BackBufferHeight;
    to.backBufferFormat = static_cast<uint32_t>(from.BackBufferFormat);
    to.backBufferCount = from.BackBufferCount;
}

using D3DVertexBuffer = LockableBuffer<VertexBuffer, IDirect3DVertexBuffer9, void>;
using D3DIndexBuffer = LockableBuffer<IndexBuffer, IDirect3DIndexBuffer9, void>;

using D3DTexture = LockableTexture<IDirect3DTexture9, D3DLOCKED_RECT, RECT>;

class D3DSurface : public Wrapped<ReadableSurface, IDirect3DSurface9> {
public:
    using Wrapped::Wrapped;
    HResult ReadPixels(std::vector<uint32_t>& pixels, int32_t& width, int32_t& height) override {
        return ReadThroughCopy<IDirect3DSurface9, IDirect3DDevice9, D3DSURFACE_DESC, D3DLOCKED_RECT>(
            com, pixels, width, height,
            [this](IDirect3DDevice9* device, const D3DSURFACE_DESC& description, IDirect3DSurface9** copy) {
                // A multisampled render target is first resolved into one
                // of a sample a pixel: GetRenderTargetData takes no other.
                IDirect3DSurface9* source = com;
                IDirect3DSurface9* resolved = nullptr;
                HResult result = kOk;
                if (description.MultiSampleType != D3DMULTISAMPLE_NONE) {
                    result = device->CreateRenderTarget(description.Width, description.Height, description.Format,
                                                        D3DMULTISAMPLE_NONE, 0, FALSE, &resolved, nullptr);
                    if (result == kOk) result = device->StretchRect(com, nullptr, resolved, nullptr, D3DTEXF_NONE);
                    source = resolved;
                }
                if (result == kOk)
                    result = device->CreateOffscreenPlainSurface(description.Width, description.Height,
                                                                 description.Format, D3DPOOL_SYSTEMMEM, copy, nullptr);
                if (result == kOk) result = device->GetRenderTargetData(source, *copy);
                if (resolved != nullptr) resolved->Release();
                return result;
            });
    }
};

class D3DDevice : public Wrapped<Device, IDirect3DDevice9> {
public:
    using Wrapped::Wrapped;
    HResult TestCooperativeLevel() override { return com->TestCooperativeLevel(); }
    HResult Reset(PresentParameters* parameters) override {
        if (parameters == nullptr) return kInvalidCall;
        D3DPRESENT_PARAMETERS present = ToDirect3D9(*parameters);
        const HResult result = com->Reset(&present);
        CopyBack(present, *parameters);
        return result;
    }
    HResult Present() override { return com->Present(nullptr, nullptr, nullptr, nullptr); }
    HResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool,
                               VertexBuffer** buffer) override {
        return CreateWrapped<D3DVertexBuffer, VertexBuffer, IDirect3DVertexBuffer9>(
            buffer, [&](IDirect3DVertexBuffer9** made) {
                return com->CreateVertexBuffer(length, usage, format, static_cast<D3DPOOL>(pool), made, nullptr);
            });
    }
    HResult CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool,
                              IndexBuffer** buffer) override {
        return CreateWrapped<D3DIndexBuffer, IndexBuffer, IDirect3DIndexBuffer9>(
            buffer, [&](IDirect3DIndexBuffer9** made) {
                return com->CreateIndexBuffer(length, usage, static_cast<D3DFORMAT>(format),
                                              static_cast<D3DPOOL>(pool), made, nullptr);
            });
    }
    HResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format,
                          uint32_t pool, Texture** texture) override {
        return CreateWrapped<D3DTexture, Texture, IDirect3DTexture9>(texture, [&](IDirect3DTexture9** made) {
            return com->CreateTexture(width, height, levels, usage, static_cast<D3DFORMAT>(format),
                                      static_cast<D3DPOOL>(pool), made, nullptr);
        });
    }
    HResult SetTransform(uint32_t state, const Matrix* matrix) override {
        return com->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(state), reinterpret_cast<const D3DMATRIX*>(matrix));
    }
    HResult SetRenderState(uint32_t state, uint32_t value) override {
        return com->SetRenderState(static_cast<D3DRENDERSTATETYPE>(state), value);
    }
    HResult SetMaterial(const Material* material) override {
        return com->SetMaterial(reinterpret_cast<const D3DMATERIAL9*>(material));
    }
    HResult Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                  uint32_t stencil) override {
        return com->Clear(count, reinterpret_cast<const D3DRECT*>(rects), flags, color, z, stencil);
    }
    HResult BeginScene() override { return com->BeginScene(); }
    HResult EndScene() override { return com->EndScene(); }
    HResult SetVertexShader(uint32_t format) override { return com->SetFVF(format); }
    HResult SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t stride) override {
        return com->SetStreamSource(stream, Unwrap<D3DVertexBuffer>(buffer), 0, stride);
    }
    HResult SetIndices(IndexBuffer* indices, uint32_t baseVertex) override {
        baseVertex_ = static_cast<INT>(baseVertex);
        return com->SetIndices(Unwrap<D3DIndexBuffer>(indices));
    }
    HResult SetTexture(uint32_t stage, Texture* texture) override {
        return com->SetTexture(stage, Unwrap<D3DTexture>(texture));
    }
    HResult DrawPrimitive(uint32_t type, uint32_t start, uint32_t count) override {
        return com->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(type), start, count);
    }
    HResult DrawIndexedPrimitive(uint32_t type, uint32_t minIndex, uint32_t vertexCount, uint32_t startIndex,
                                 uint32_t count) override {
        return com->DrawIndexedPrimitive(static_cast<D3DPRIMITIVETYPE>(type), baseVertex_, minIndex, vertexCount,
                                         startIndex, count);
    }
    HResult GetRenderTarget(Surface** surface) override {
        return CreateWrapped<D3DSurface, Surface, IDirect3DSurface9>(
            surface, [&](IDirect3DSurface9** made) { return com->GetRenderTarget(0, made); });
    }

private:
    // Direct3D 8 binds the base vertex with the indices; Direct3D 9 takes it
    // with each indexed draw.
    INT baseVertex_ = 0;
};

class D3DObject : public Wrapped<Direct3D, IDirect3D9> {
public:
    using Wrapped::Wrapped;
    HResult GetAdapterDisplayMode(uint32_t adapter, DisplayMode* mode) override {
        return com->GetAdapterDisplayMode(adapter, reinterpret_cast<D3DDISPLAYMODE*>(mode));
    }
    HResult GetDeviceCaps(uint32_t adapter, uint32_t type, DeviceCaps* caps) override {
        if (caps == nullptr) return kInvalidCall;
        D3DCAPS9 full{};
        const HResult result = com->GetDeviceCaps(adapter, static_cast<D3DDEVTYPE>(type), &full);
        caps->devCaps = full.DevCaps;
        return result;
    }
    HResult CreateDevice(uint32_t adapter, uint32_t type, window::WindowHandle focus, uint32_t flags,
                         PresentParameters* parameters, Device** device) override {
        if (parameters == nullptr) return kInvalidCall;
        D3DPRESENT_PARAMETERS present = ToDirect3D9(*parameters);
        const HResult result = CreateWrapped<D3DDevice, Device, IDirect3DDevice9>(device, [&](IDirect3DDevice9** made) {
            return com->CreateDevice(adapter, static_cast<D3DDEVTYPE>(type), focus, flags, &present, made);
        });
        CopyBack(present, *parameters);
        return result;
    }
};

}  // namespace

Direct3D* AdaptDirect3D9(IDirect3D9* object) { return object == nullptr ? nullptr : new D3DObject(object); }

}  // namespace talvex::render
