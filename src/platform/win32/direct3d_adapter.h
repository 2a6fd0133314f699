// What the Direct3D 8 and Direct3D 9 adapters of the graphics device share:
// our interface over one reference to a COM object, the way back to the COM
// object, the snapshot's pixel reading, and the two adapters' entry points.
#pragma once

#include <cstdint>
#include <new>
#include <vector>

#include "common/graphics_device.h"

struct IDirect3D8;
struct IDirect3D9;

namespace talvex::render {

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

// The COM object behind one of our objects, or null for none. Every object
// the device is handed was made by the same adapter, so the cast is exact.
template <typename Ours, typename Interface>
auto Unwrap(Interface* object) -> decltype(static_cast<Ours*>(object)->com) {
    return object == nullptr ? nullptr : static_cast<Ours*>(object)->com;
}

// Vertex and index buffers lock the same way in both versions.
template <typename Interface, typename Com, typename Data>
class LockableBuffer : public Wrapped<Interface, Com> {
public:
    using Wrapped<Interface, Com>::Wrapped;
    HResult Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags) override {
        return this->com->Lock(offset, size, reinterpret_cast<Data**>(data), flags);
    }
    HResult Unlock() override { return this->com->Unlock(); }
};

// Creates a COM object through `create` (a call of the COM interface that
// fills its last argument) and wraps it; the result is the COM call's.
template <typename Ours, typename BaseInterface, typename Com, typename Create>
HResult CreateWrapped(BaseInterface** out, Create create) {
    if (out == nullptr) return kInvalidCall;
    *out = nullptr;
    Com* object = nullptr;
    const HResult result = create(&object);
    if (result != kOk || object == nullptr) return result;
    // Without room for the wrapper the new object would be held by nobody.
    Ours* wrapped = new (std::nothrow) Ours(object);
    if (wrapped == nullptr) {
        object->Release();
        return kOutOfMemory;
    }
    *out = wrapped;
    return result;
}

// Textures lock alike in both versions; ComLockedRect and ComRect are the
// version's D3DLOCKED_RECT and RECT.
template <typename Com, typename ComLockedRect, typename ComRect>
class LockableTexture : public Wrapped<Texture, Com> {
public:
    using Wrapped<Texture, Com>::Wrapped;
    HResult LockRect(uint32_t level, LockedRect* locked, const Rect* rect, uint32_t flags) override {
        return this->com->LockRect(level, reinterpret_cast<ComLockedRect*>(locked),
                                   reinterpret_cast<const ComRect*>(rect), flags);
    }
    HResult UnlockRect(uint32_t level) override { return this->com->UnlockRect(level); }
};

// The surface of either version: the snapshot reads its pixels as
// 0x00RRGGBB, top row first, through a lockable copy (a render target itself
// need not be lockable).
class ReadableSurface : public Surface {
public:
    virtual HResult ReadPixels(std::vector<uint32_t>& pixels, int32_t& width, int32_t& height) = 0;
};

// Converts locked rows of a back-buffer format into 0x00RRGGBB pixels;
// kInvalidCall for a format the snapshot does not know.
HResult ConvertPixels(const void* bits, int32_t pitch, uint32_t format, int32_t width, int32_t height,
                      std::vector<uint32_t>& pixels);

constexpr uint32_t kLockReadOnly = 0x10;  // D3DLOCK_READONLY, alike in both versions

// Reads a surface through a lockable copy that copyInto(device, description,
// &copy) makes with the version's own calls; the rest is alike: the copy is
// locked for reading, converted and released.
template <typename ComSurface, typename ComDevice, typename Description, typename ComLockedRect, typename CopyInto>
HResult ReadThroughCopy(ComSurface* source, std::vector<uint32_t>& pixels, int32_t& width, int32_t& height,
                        CopyInto copyInto) {
    Description description{};
    HResult result = source->GetDesc(&description);
    if (result != kOk) return result;
    ComDevice* device = nullptr;
    result = source->GetDevice(&device);
    if (result != kOk) return result;
    ComSurface* copy = nullptr;
    result = copyInto(device, description, &copy);
    ComLockedRect locked{};
    if (result == kOk) result = copy->LockRect(&locked, nullptr, kLockReadOnly);
    if (result == kOk) {
        width = static_cast<int32_t>(description.Width);
        height = static_cast<int32_t>(description.Height);
        result = ConvertPixels(locked.pBits, locked.Pitch, static_cast<uint32_t>(description.Format), width, height,
                               pixels);
        copy->UnlockRect();
    }
    if (copy != nullptr) copy->Release();
    device->Release();
    return result;
}

// Our graphics object over a Direct3D 8 or Direct3D 9 object, taking over
// its reference.
Direct3D* AdaptDirect3D8(IDirect3D8* object);
Direct3D* AdaptDirect3D9(IDirect3D9* object);

// D3D_SDK_VERSION of Direct3D 9, which Direct3DCreate9 is asked for.
constexpr uint32_t kDirect3D9SdkVersion = 32;

}  // namespace talvex::render
