// The graphics device on Direct3D 8: each operation passed straight through
// to the COM object behind it.
#include <d3d8.h>

#include "platform/win32/direct3d_adapter.h"

namespace talvex::render {

static_assert(sizeof(PresentParameters) == sizeof(D3DPRESENT_PARAMETERS), "PresentParameters mirrors D3D");
static_assert(sizeof(Material) == sizeof(D3DMATERIAL8), "Material mirrors D3DMATERIAL8");
static_assert(sizeof(Matrix) == sizeof(D3DMATRIX), "Matrix mirrors D3DMATRIX");
static_assert(sizeof(DisplayMode) == sizeof(D3DDISPLAYMODE), "DisplayMode mirrors D3DDISPLAYMODE");
static_assert(sizeof(LockedRect) == sizeof(D3DLOCKED_RECT), "LockedRect mirrors D3DLOCKED_RECT");
static_assert(sizeof(Rect) == sizeof(RECT), "Rect mirrors RECT");
static_assert(kLockReadOnly == D3DLOCK_READONLY, "the read-only lock flag");

namespace {

using D3DVertexBuffer = LockableBuffer<VertexBuffer, IDirect3DVertexBuffer8, BYTE>;
using D3DIndexBuffer = LockableBuffer<IndexBuffer, IDirect3DIndexBuffer8, BYTE>;

using D3DTexture = LockableTexture<IDirect3DTexture8, D3DLOCKED_RECT, RECT>;

class D3DSurface : public Wrapped<ReadableSurface, IDirect3DSurface8> {
public:
    using Wrapped::Wrapped;
    HResult ReadPixels(std::vector<uint32_t>& pixels, int32_t& width, int32_t& height) override {
        return ReadThroughCopy<IDirect3DSurface8, IDirect3DDevice8, D3DSURFACE_DESC, D3DLOCKED_RECT>(
            com, pixels, width, height,
            [this](IDirect3DDevice8* device, const D3DSURFACE_DESC& description, IDirect3DSurface8** copy) {
                HResult result =
                    device->CreateImageSurface(description.Width, description.Height, description.Format, copy);
                if (result == kOk) result = device->CopyRects(com, nullptr, 0, *copy, nullptr);
                return result;
            });
    }
};

class D3DDevice : public Wrapped<Device, IDirect3DDevice8> {
public:
    using Wrapped::Wrapped;
    HResult TestCooperativeLevel() override { return com->TestCooperativeLevel(); }
    HResult Reset(PresentParameters* parameters) override {
        return com->Reset(reinterpret_cast<D3DPRESENT_PARAMETERS*>(parameters));
    }
    HResult Present() override { return com->Present(nullptr, nullptr, nullptr, nullptr); }
    HResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool,
                               VertexBuffer** buffer) override {
        return CreateWrapped<D3DVertexBuffer, VertexBuffer, IDirect3DVertexBuffer8>(
            buffer, [&](IDirect3DVertexBuffer8** made) {
                return com->CreateVertexBuffer(length, usage, format, static_cast<D3DPOOL>(pool), made);
            });
    }
    HResult CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool,
                              IndexBuffer** buffer) override {
        return CreateWrapped<D3DIndexBuffer, IndexBuffer, IDirect3DIndexBuffer8>(
            buffer, [&](IDirect3DIndexBuffer8** made) {
                return com->CreateIndexBuffer(length, usage, static_cast<D3DFORMAT>(format),
                                              static_cast<D3DPOOL>(pool), made);
            });
    }
    HResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format,
                          uint32_t pool, Texture** texture) override {
        return CreateWrapped<D3DTexture, Texture, IDirect3DTexture8>(texture, [&](IDirect3DTexture8** made) {
            return com->CreateTexture(width, height, levels, usage, static_cast<D3DFORMAT>(format),
                                      static_cast<D3DPOOL>(pool), made);
        });
    }
    HResult SetTransform(uint32_t state, const Matrix* matrix) override {
        return com->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(state), reinterpret_cast<const D3DMATRIX*>(matrix));
    }
    HResult SetRenderState(uint32_t state, uint32_t value) override {
        return com->SetRenderState(static_cast<D3DRENDERSTATETYPE>(state), value);
    }
    HResult SetMaterial(const Material* material) override {
        return com->SetMaterial(reinterpret_cast<const D3DMATERIAL8*>(material));
    }
    HResult Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                  uint32_t stencil) override {
        return com->Clear(count, reinterpret_cast<const D3DRECT*>(rects), flags, color, z, stencil);
    }
    HResult BeginScene() override { return com->BeginScene(); }
    HResult EndScene() override { return com->EndScene(); }
    HResult SetVertexShader(uint32_t format) override { return com->SetVertexShader(format); }
    HResult SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t stride) override {
        return com->SetStreamSource(stream, Unwrap<D3DVertexBuffer>(buffer), stride);
    }
    HResult SetIndices(IndexBuffer* indices, uint32_t baseVertex) override {
        return com->SetIndices(Unwrap<D3DIndexBuffer>(indices), baseVertex);
    }
    HResult SetTexture(uint32_t stage, Texture* texture) override {
        return com->SetTexture(stage, Unwrap<D3DTexture>(texture));
    }
    HResult DrawPrimitive(uint32_t type, uint32_t start, uint32_t count) override {
        return com->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(type), start, count);
    }
    HResult DrawIndexedPrimitive(uint32_t type, uint32_t minIndex, uint32_t vertexCount, uint32_t startIndex,
                                 uint32_t count) override {
        return com->DrawIndexedPrimitive(static_cast<D3DPRIMITIVETYPE>(type), minIndex, vertexCount, startIndex,
                                         count);
    }
    HResult GetRenderTarget(Surface** surface) override {
        return CreateWrapped<D3DSurface, Surface, IDirect3DSurface8>(
            surface, [&](IDirect3DSurface8** made) { return com->GetRenderTarget(made); });
    }
};

class D3DObject : public Wrapped<Direct3D, IDirect3D8> {
public:
    using Wrapped::Wrapped;
    HResult GetAdapterDisplayMode(uint32_t adapter, DisplayMode* mode) override {
        return com->GetAdapterDisplayMode(adapter, reinterpret_cast<D3DDISPLAYMODE*>(mode));
    }
    HResult GetDeviceCaps(uint32_t adapter, uint32_t type, DeviceCaps* caps) override {
        if (caps == nullptr) return kInvalidCall;
        D3DCAPS8 full{};
        const HResult result = com->GetDeviceCaps(adapter, static_cast<D3DDEVTYPE>(type), &full);
        caps->devCaps = full.DevCaps;
        return result;
    }
    HResult CreateDevice(uint32_t adapter, uint32_t type, window::WindowHandle focus, uint32_t flags,
                         PresentParameters* parameters, Device** device) override {
        return CreateWrapped<D3DDevice, Device, IDirect3DDevice8>(device, [&](IDirect3DDevice8** made) {
            return com->CreateDevice(adapter, static_cast<D3DDEVTYPE>(type), focus, flags,
                                     reinterpret_cast<D3DPRESENT_PARAMETERS*>(parameters), made);
        });
    }
};

}  // namespace

Direct3D* AdaptDirect3D8(IDirect3D8* object) { return object == nullptr ? nullptr : new D3DObject(object); }

}  // namespace talvex::render
