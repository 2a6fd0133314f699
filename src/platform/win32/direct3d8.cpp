// The graphics device on Direct3D 8: each operation passed straight through
// to the COM object behind it.
#include <d3d8.h>
#include <dxerr8.h>

#include <vector>

#include "render/bmp_file.h"
#include "render/device.h"

namespace talvex::render {

static_assert(sizeof(PresentParameters) == sizeof(D3DPRESENT_PARAMETERS), "PresentParameters mirrors D3D");
static_assert(sizeof(Material) == sizeof(D3DMATERIAL8), "Material mirrors D3DMATERIAL8");
static_assert(sizeof(Matrix) == sizeof(D3DMATRIX), "Matrix mirrors D3DMATRIX");
static_assert(sizeof(DisplayMode) == sizeof(D3DDISPLAYMODE), "DisplayMode mirrors D3DDISPLAYMODE");
static_assert(sizeof(LockedRect) == sizeof(D3DLOCKED_RECT), "LockedRect mirrors D3DLOCKED_RECT");
static_assert(sizeof(Rect) == sizeof(RECT), "Rect mirrors RECT");

namespace {

// Owns one reference to a COM object and hands out our interface for it.
template <typename Interface, typename Com>
class Wrapped : public Interface {
public:
    explicit Wrapped(Com* object) : com(object) {}
    uint32_t AddRef() override { return ++references_; }
    uint32_t Release() override {
        const uint32_t left = --references_;
        if (left == 0) {
            com->Release();
            delete this;
        }
        return left;
    }
    Com* const com;

private:
    uint32_t references_ = 1;
};

// Vertex and index buffers lock the same way.
template <typename Interface, typename Com>
class D3DBuffer : public Wrapped<Interface, Com> {
public:
    using Wrapped<Interface, Com>::Wrapped;
    HResult Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags) override {
        return this->com->Lock(offset, size, reinterpret_cast<BYTE**>(data), flags);
    }
    HResult Unlock() override { return this->com->Unlock(); }
};

using D3DVertexBuffer = D3DBuffer<VertexBuffer, IDirect3DVertexBuffer8>;
using D3DIndexBuffer = D3DBuffer<IndexBuffer, IDirect3DIndexBuffer8>;

class D3DTexture : public Wrapped<Texture, IDirect3DTexture8> {
public:
    using Wrapped::Wrapped;
    HResult LockRect(uint32_t level, LockedRect* locked, const Rect* rect, uint32_t flags) override {
        return com->LockRect(level, reinterpret_cast<D3DLOCKED_RECT*>(locked), reinterpret_cast<const RECT*>(rect),
                             flags);
    }
    HResult UnlockRect(uint32_t level) override { return com->UnlockRect(level); }
};

class D3DSurface : public Wrapped<Surface, IDirect3DSurface8> {
public:
    using Wrapped::Wrapped;
};

template <typename Ours, typename Com>
Com* Unwrap(Ours* object) {
    return object == nullptr ? nullptr : object->com;
}

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
        if (buffer == nullptr) return kInvalidCall;
        *buffer = nullptr;
        IDirect3DVertexBuffer8* com8 = nullptr;
        const HResult result = com->CreateVertexBuffer(length, usage, format, static_cast<D3DPOOL>(pool), &com8);
        if (result == kOk && com8 != nullptr) *buffer = new D3DVertexBuffer(com8);
        return result;
    }
    HResult CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool,
                              IndexBuffer** buffer) override {
        if (buffer == nullptr) return kInvalidCall;
        *buffer = nullptr;
        IDirect3DIndexBuffer8* com8 = nullptr;
        const HResult result = com->CreateIndexBuffer(length, usage, static_cast<D3DFORMAT>(format),
                                                      static_cast<D3DPOOL>(pool), &com8);
        if (result == kOk && com8 != nullptr) *buffer = new D3DIndexBuffer(com8);
        return result;
    }
    HResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format,
                          uint32_t pool, Texture** texture) override {
        if (texture == nullptr) return kInvalidCall;
        *texture = nullptr;
        IDirect3DTexture8* com8 = nullptr;
        const HResult result = com->CreateTexture(width, height, levels, usage, static_cast<D3DFORMAT>(format),
                                                  static_cast<D3DPOOL>(pool), &com8);
        if (result == kOk && com8 != nullptr) *texture = new D3DTexture(com8);
        return result;
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
        return com->SetStreamSource(stream, Unwrap<D3DVertexBuffer, IDirect3DVertexBuffer8>(
                                                static_cast<D3DVertexBuffer*>(buffer)),
                                    stride);
    }
    HResult SetIndices(IndexBuffer* indices, uint32_t baseVertex) override {
        return com->SetIndices(
            Unwrap<D3DIndexBuffer, IDirect3DIndexBuffer8>(static_cast<D3DIndexBuffer*>(indices)), baseVertex);
    }
    HResult SetTexture(uint32_t stage, Texture* texture) override {
        return com->SetTexture(stage, Unwrap<D3DTexture, IDirect3DTexture8>(static_cast<D3DTexture*>(texture)));
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
        if (surface == nullptr) return kInvalidCall;
        *surface = nullptr;
        IDirect3DSurface8* com8 = nullptr;
        const HResult result = com->GetRenderTarget(&com8);
        if (result == kOk && com8 != nullptr) *surface = new D3DSurface(com8);
        return result;
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
        if (device == nullptr) return kInvalidCall;
        *device = nullptr;
        IDirect3DDevice8* com8 = nullptr;
        const HResult result = com->CreateDevice(adapter, static_cast<D3DDEVTYPE>(type), focus, flags,
                                                 reinterpret_cast<D3DPRESENT_PARAMETERS*>(parameters), &com8);
        if (result == kOk && com8 != nullptr) *device = new D3DDevice(com8);
        return result;
    }
};

// One pixel of a back-buffer format as 0x00RRGGBB.
uint32_t ToRgb(const uint8_t* pixel, D3DFORMAT format) {
    switch (format) {
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8R8G8B8:
        return *reinterpret_cast<const uint32_t*>(pixel) & 0xFFFFFFu;
    case D3DFMT_R5G6B5: {
        const uint32_t p = *reinterpret_cast<const uint16_t*>(pixel);
        const uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
        return ((r * 255 + 15) / 31) << 16 | ((g * 255 + 31) / 63) << 8 | ((b * 255 + 15) / 31);
    }
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: {
        const uint32_t p = *reinterpret_cast<const uint16_t*>(pixel);
        const uint32_t r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
        return ((r * 255 + 15) / 31) << 16 | ((g * 255 + 15) / 31) << 8 | ((b * 255 + 15) / 31);
    }
    default:
        return 0;
    }
}

int BytesPerPixel(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8R8G8B8:
        return 4;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
        return 2;
    default:
        return 0;
    }
}

// Reads the surface into 0x00RRGGBB pixels through a lockable image surface:
// a render target itself need not be lockable.
HResult ReadSurface(IDirect3DSurface8* source, std::vector<uint32_t>& pixels, int32_t& width, int32_t& height) {
    D3DSURFACE_DESC description{};
    HResult result = source->GetDesc(&description);
    if (result != kOk) return result;
    if (BytesPerPixel(description.Format) == 0) return kInvalidCall;
    IDirect3DDevice8* device = nullptr;
    result = source->GetDevice(&device);
    if (result != kOk) return result;
    IDirect3DSurface8* image = nullptr;
    result = device->CreateImageSurface(description.Width, description.Height, description.Format, &image);
    if (result == kOk) result = device->CopyRects(source, nullptr, 0, image, nullptr);
    D3DLOCKED_RECT locked{};
    if (result == kOk) result = image->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    if (result == kOk) {
        width = static_cast<int32_t>(description.Width);
        height = static_cast<int32_t>(description.Height);
        pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
        const int bytes = BytesPerPixel(description.Format);
        for (int32_t y = 0; y < height; ++y) {
            const auto* row = static_cast<const uint8_t*>(locked.pBits) + static_cast<ptrdiff_t>(y) * locked.Pitch;
            for (int32_t x = 0; x < width; ++x)
                pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                    ToRgb(row + x * bytes, description.Format);
        }
        image->UnlockRect();
    }
    if (image != nullptr) image->Release();
    device->Release();
    return result;
}

}  // namespace

Direct3D* CreateDirect3D(uint32_t sdkVersion) {
    IDirect3D8* object = Direct3DCreate8(sdkVersion);
    return object == nullptr ? nullptr : new D3DObject(object);
}

HResult SaveSurfaceToFile(const char* path, uint32_t format, Surface* surface, const void* palette,
                          const Rect* sourceRect) {
    if (surface == nullptr || format != kImageFileBmp || palette != nullptr || sourceRect != nullptr)
        return kInvalidCall;
    if (path == nullptr) return kInvalidCall;
    std::vector<uint32_t> pixels;
    int32_t width = 0, height = 0;
    const HResult result = ReadSurface(static_cast<D3DSurface*>(surface)->com, pixels, width, height);
    if (result != kOk) return result;
    return WriteBmpFile(path, width, height, pixels.data(), width);
}

const char* DescribeError(HResult result) { return DXGetErrorDescription8A(result); }

}  // namespace talvex::render
