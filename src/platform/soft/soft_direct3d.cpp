// The software graphics device: Direct3D 8's object, device, buffers,
// textures and surfaces as far as the chart uses them, drawing for real into
// a back buffer that Present hands to the native window.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <mutex>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "platform/soft/native_window.h"
#include "platform/soft/rasterizer.h"
#include "platform/soft/render_threads.h"
#include "platform/soft/soft_faults.h"
#include "common/bmp_file.h"
#include "common/graphics_device.h"

namespace talvex::soft {

Faults& InjectedFaults() {
    static Faults faults;
    return faults;
}

namespace {
std::atomic<uint32_t> lastBehaviorFlags{0};  // devices are created on any thread
// Versions of buffer contents, unique in the process: a buffer made where an
// old one was freed never passes for it.
std::atomic<uint64_t> lastVersion{0};
}  // namespace

uint32_t LastBehaviorFlags() { return lastBehaviorFlags; }

namespace {

using namespace render;

// The colour a presented back buffer is left holding: its contents are
// undefined after Present, and a read of them must show.
constexpr uint32_t kPoison = 0xFFFF00FFu;

// The largest side of a picture drawn with 4 samples per pixel: its samples
// are a target of twice that side, which must stay one a device can hold.
constexpr uint32_t kLargestMultisampledSide = static_cast<uint32_t>(render::kMaximumSide) / 2;

bool TakesParameters(const PresentParameters& parameters) {
    constexpr auto kLimit = static_cast<uint32_t>(kMaximumSide);
    if (parameters.multiSampleType != kMultiSampleNone && parameters.multiSampleType != kMultiSample4) return false;
    const uint32_t limit = parameters.multiSampleType == kMultiSample4 ? kLargestMultisampledSide : kLimit;
    return parameters.backBufferWidth <= limit && parameters.backBufferHeight <= limit;
}

// The pixels of a target of 4 samples per pixel, each the rounded mean of
// its 2 x 2 samples with the first one's alpha, into target.resolved; kept
// there until the samples change, so that a frame read and then presented
// is averaged once.
HResult Resolve(Target& target) {
    if (target.resolvedCurrent) return kOk;
    const int32_t width = target.width / 2, height = target.height / 2;
    try {
        target.resolved.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    uint32_t* pixels = target.resolved.data();
    RunPieces(width, height, static_cast<size_t>(height), [&](size_t begin, size_t end) {
        for (size_t row = begin; row < end; ++row) {
            const uint32_t* top = target.color.data() + 2 * row * static_cast<size_t>(target.width);
            const uint32_t* bottom = top + target.width;
            uint32_t* out = pixels + row * static_cast<size_t>(width);
            // A pixel's two samples of a row read as one 64-bit word, two
            // channels summed in each 32 bits, each channel in 16 bits of its
            // own (four bytes add up to at most 1020).
            for (int32_t column = 0; column < width; ++column) {
                uint64_t upper, lower;
                std::memcpy(&upper, top + 2 * column, sizeof upper);
                std::memcpy(&lower, bottom + 2 * column, sizeof lower);
                constexpr uint64_t kLanes = 0x00FF00FF00FF00FFull;
                const uint64_t redBlue = (upper & kLanes) + (lower & kLanes);
                const uint64_t alphaGreen = ((upper >> 8) & kLanes) + ((lower >> 8) & kLanes);
                const auto half = [](uint64_t pair) {
                    return static_cast<uint32_t>(pair) + static_cast<uint32_t>(pair >> 32) + 0x00020002u;
                };
                out[column] = (top[2 * column] & 0xFF000000u) | ((half(redBlue) >> 2) & 0x00FF00FFu) |
                              (((half(alphaGreen) >> 2) & 0xFFu) << 8);
            }
        }
    });
    target.resolvedCurrent = true;
    return kOk;
}

// Asks the system to back a large buffer with large pages where it can: a
// back buffer of 4 samples per pixel at 1280 x 960 is 30 MB, whose first
// touch is otherwise some 7,500 page faults, on a virtual machine a good
// part of a picture's whole time.
void AdviseLargePages(void* start, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
    const uintptr_t first = (reinterpret_cast<uintptr_t>(start) + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(start) + bytes) & ~(kLargePage - 1);
    if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
    (void)start;
    (void)bytes;
#endif
}

// Gives a presented target's colours the poison colour they stand for.
void Unpoison(Target& target) {
    if (!target.poisoned) return;
    target.resolvedCurrent = false;
    RunPieces(target.width, target.height, target.color.size(), [&](size_t begin, size_t end) {
        std::fill(target.color.begin() + static_cast<ptrdiff_t>(begin), target.color.begin() + static_cast<ptrdiff_t>(end),
                  kPoison);
    });
    target.poisoned = false;
}

template <typename Interface>
class Counted : public Interface {
public:
    uint32_t AddRef() override { return ++references_; }
    uint32_t Release() override {
        const uint32_t left = --references_;
        if (left == 0) delete this;
        return left;
    }

private:
    uint32_t references_ = 1;
};

// Devices on any thread read the faults and use them up under one lock.
std::mutex& FaultsLock() {
    static std::mutex lock;
    return lock;
}

template <typename Read>
auto Consult(Read read) {
    std::lock_guard<std::mutex> lock(FaultsLock());
    return read(InjectedFaults());
}

bool TakeFault(int Faults::*counter) {
    return Consult([counter](Faults& faults) {
        if (faults.*counter <= 0) return false;
        --(faults.*counter);
        return true;
    });
}

// The next of a queue of answers, then 0.
HResult TakeAnswer(std::deque<HResult> Faults::*queue) {
    return Consult([queue](Faults& faults) {
        auto& answers = faults.*queue;
        if (answers.empty()) return kOk;
        const HResult answer = answers.front();
        answers.pop_front();
        return answer;
    });
}

HResult InjectedResult(HResult Faults::*result) {
    return Consult([result](Faults& faults) { return faults.*result; });
}

template <typename Interface>
class SoftBuffer : public Counted<Interface> {
public:
    explicit SoftBuffer(uint32_t length) : bytes(length, 0), version(++lastVersion) {}
    HResult Lock(uint32_t offset, uint32_t, uint8_t** data, uint32_t) override {
        if (data == nullptr || offset > bytes.size()) return kInvalidCall;
        *data = bytes.data() + offset;
        version = ++lastVersion;
        return kOk;
    }
    HResult Unlock() override { return kOk; }
    std::vector<uint8_t> bytes;
    uint64_t version;  // new at every lock: what a device derived from the bytes may be stale
};

using SoftVertexBuffer = SoftBuffer<VertexBuffer>;

// Indices of 16 bits, or of 32 for a large data set's vertices.
class SoftIndexBuffer : public SoftBuffer<IndexBuffer> {
public:
    SoftIndexBuffer(uint32_t length, bool wideIndices) : SoftBuffer<IndexBuffer>(length), wide(wideIndices) {}
    bool wide;
};

// The sides of a texture: powers of two, as the oldest Direct3D 8 devices
// ask, up to a side every one of them takes.
constexpr uint32_t kLargestTextureSide = 1024;
constexpr bool IsTextureSide(uint32_t side) { return side >= 1 && side <= kLargestTextureSide && (side & (side - 1)) == 0; }

class SoftTexture : public Counted<Texture> {
public:
    SoftTexture(uint32_t textureWidth, uint32_t textureHeight)
        : width(static_cast<int32_t>(textureWidth)), height(static_cast<int32_t>(textureHeight)),
          texels(static_cast<size_t>(textureWidth) * textureHeight, 0) {}
    HResult LockRect(uint32_t level, LockedRect* locked, const Rect*, uint32_t) override {
        if (level != 0 || locked == nullptr) return kInvalidCall;
        locked->pitch = width * 4;
        locked->bits = texels.data();
        return kOk;
    }
    HResult UnlockRect(uint32_t level) override { return level == 0 ? kOk : kInvalidCall; }
    int32_t width, height;
    std::vector<uint32_t> texels;
};

class SoftSurface : public Counted<Surface> {
public:
    explicit SoftSurface(std::shared_ptr<Target> picture) : target(std::move(picture)) {}
    std::shared_ptr<Target> target;
};

class SoftDevice : public Counted<Device> {
public:
    SoftDevice(window::WindowHandle window, const PresentParameters& parameters) : window_(window) {
        Resize(parameters);
    }

    HResult TestCooperativeLevel() override { return TakeAnswer(&Faults::cooperativeLevels); }
    HResult Reset(PresentParameters* parameters) override {
        const HResult injected = TakeAnswer(&Faults::resetResults);
        if (injected != kOk) return injected;
        if (parameters == nullptr || !TakesParameters(*parameters)) return kInvalidCall;
        // Resize builds the new target before it replaces the old one, so a
        // target that cannot be had leaves the device as it was.
        try {
            Resize(*parameters);
        } catch (const std::bad_alloc&) {
            return kOutOfMemory;
        }
        return kOk;
    }
    HResult Present() override {
        Unpoison(*target_);
        if (target_->samplesPerSide == 1) {
            window::PresentPicture(window_, target_->color, target_->width, target_->height);
        } else {
            if (const HResult resolved = Resolve(*target_); resolved != kOk) return resolved;
            window::PresentPicture(window_, target_->resolved, target_->width / 2, target_->height / 2);
        }
        target_->resolvedCurrent = false;
        target_->poisoned = true;
        return kOk;
    }
    HResult CreateVertexBuffer(uint32_t length, uint32_t, uint32_t, uint32_t, VertexBuffer** buffer) override {
        return CreateBuffer<SoftVertexBuffer>(buffer, length);
    }
    HResult CreateIndexBuffer(uint32_t length, uint32_t, uint32_t format, uint32_t, IndexBuffer** buffer) override {
        if (format != kFormatIndex16 && format != kFormatIndex32) return kInvalidCall;
        return CreateBuffer<SoftIndexBuffer>(buffer, length, format == kFormatIndex32);
    }
    HResult CreateTexture(uint32_t width, uint32_t height, uint32_t, uint32_t, uint32_t format, uint32_t,
                          Texture** texture) override {
        if (texture == nullptr) return kInvalidCall;
        *texture = nullptr;
        if (!IsTextureSide(width) || !IsTextureSide(height) || format != kFormatA8R8G8B8) return kInvalidCall;
        if (TakeFault(&Faults::failingTextureCreations)) return kOutOfVideoMemory;
        *texture = new SoftTexture(width, height);
        return kOk;
    }
    HResult SetTransform(uint32_t state, const Matrix* matrix) override {
        if (matrix == nullptr) return kInvalidCall;
        if (state == kTransformWorld) world_ = *matrix;
        else if (state == kTransformView) view_ = *matrix;
        else if (state == kTransformProjection) projection_ = *matrix;
        else return kInvalidCall;
        return kOk;
    }
    HResult SetRenderState(uint32_t state, uint32_t value) override {
        switch (state) {
        case kRenderStateCullMode: cull_ = value; break;
        case kRenderStateZEnable: depthTest_ = value != kZBufferFalse; break;
        case kRenderStateFillMode: fill_ = value; break;
        case kRenderStateAmbient: ambient_ = value; break;
        case kRenderStateAlphaBlendEnable: blend_ = value != 0; break;
        // Only the source's alpha over the rest is drawn: the one blend the
        // chart asks for.
        case kRenderStateSourceBlend: return value == kBlendSourceAlpha ? kOk : kInvalidCall;
        case kRenderStateDestinationBlend: return value == kBlendInverseSourceAlpha ? kOk : kInvalidCall;
        default: return kInvalidCall;
        }
        return kOk;
    }
    HResult SetMaterial(const Material* material) override {
        if (material == nullptr) return kInvalidCall;
        material_ = *material;
        return kOk;
    }
    HResult Clear(uint32_t, const Rect*, uint32_t flags, uint32_t color, float z, uint32_t) override {
        if ((flags & kClearTarget) != 0) {
            Fill(target_->color, color);
            target_->resolvedCurrent = false;
            target_->poisoned = false;
        }
        if ((flags & kClearZBuffer) != 0) {
            // NaN clears to the near plane rather than to an undefined number.
            const float depthValue = z > 0.0f ? std::min(z, 1.0f) : 0.0f;
            Fill(target_->depth, static_cast<uint16_t>(std::lround(depthValue * 65535.0f)));
        }
        return kOk;
    }
    HResult BeginScene() override { return kOk; }
    HResult EndScene() override { return kOk; }
    HResult SetVertexShader(uint32_t format) override {
        format_ = format;
        return kOk;
    }
    HResult SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t stride) override {
        if (stream != 0) return kInvalidCall;
        Hold(stream_, static_cast<SoftVertexBuffer*>(buffer));
        stride_ = stride;
        return kOk;
    }
    HResult SetIndices(IndexBuffer* indices, uint32_t baseVertex) override {
        Hold(indices_, static_cast<SoftIndexBuffer*>(indices));
        baseVertex_ = baseVertex;
        return kOk;
    }
    HResult SetTexture(uint32_t stage, Texture* texture) override {
        if (stage != 0) return kInvalidCall;
        Hold(texture_, static_cast<SoftTexture*>(texture));
        return kOk;
    }
    HResult DrawPrimitive(uint32_t type, uint32_t start, uint32_t count) override {
        const uint64_t end = start + static_cast<uint64_t>(count) * (type == kTriangleList ? 3 : type == kLineList ? 2 : 1);
        return Draw(type, count, [start](uint32_t i) { return start + i; },
                    TriangleSource{nullptr, 0, start, 0, count, start, static_cast<uint32_t>(std::min<uint64_t>(end, UINT32_MAX))});
    }
    // The vertices from minIndex on, numVertices of them (after the base
    // vertex), are the ones the indices use, as Direct3D is told: only they
    // are transformed, and a triangle that reaches beyond them is not drawn.
    HResult DrawIndexedPrimitive(uint32_t type, uint32_t minIndex, uint32_t numVertices, uint32_t startIndex,
                                 uint32_t count) override {
        if (indices_ == nullptr) return kInvalidCall;
        const std::vector<uint8_t>& bytes = indices_->bytes;
        const uint32_t base = baseVertex_;
        const TriangleSource source{
            indices_, indices_->version, startIndex, base, count,
            static_cast<uint32_t>(std::min<uint64_t>(static_cast<uint64_t>(base) + minIndex, UINT32_MAX)),
            static_cast<uint32_t>(std::min<uint64_t>(static_cast<uint64_t>(base) + minIndex + numVertices, UINT32_MAX))};
        // An index past the buffer's end names no vertex (UINT32_MAX).
        const auto reader = [&bytes, base, startIndex](auto width) {
            using Index = decltype(width);
            const size_t indexCount = bytes.size() / sizeof(Index);
            return [&bytes, base, startIndex, indexCount](uint32_t i) -> uint32_t {
                const size_t at = static_cast<size_t>(startIndex) + i;
                if (at >= indexCount) return UINT32_MAX;
                Index index;
                std::memcpy(&index, bytes.data() + sizeof(Index) * at, sizeof(Index));
                const uint64_t vertex = static_cast<uint64_t>(base) + index;
                return vertex < UINT32_MAX ? static_cast<uint32_t>(vertex) : UINT32_MAX;
            };
        };
        if (indices_->wide) return Draw(type, count, reader(uint32_t{}), source);
        return Draw(type, count, reader(uint16_t{}), source);
    }
    HResult GetRenderTarget(Surface** surface) override {
        if (surface == nullptr) return kInvalidCall;
        *surface = new SoftSurface(target_);
        return kOk;
    }

    ~SoftDevice() override {
        Hold(stream_, static_cast<SoftVertexBuffer*>(nullptr));
        Hold(indices_, static_cast<SoftIndexBuffer*>(nullptr));
        Hold(texture_, static_cast<SoftTexture*>(nullptr));
    }

private:
    // Fills a buffer of the back buffer's size, a piece per thread.
    template <typename Value>
    void Fill(std::vector<Value>& buffer, Value value) const {
        RunPieces(target_->width, target_->height, buffer.size(), [&](size_t begin, size_t end) {
            std::fill(buffer.begin() + static_cast<ptrdiff_t>(begin), buffer.begin() + static_cast<ptrdiff_t>(end), value);
        });
    }

    template <typename T>
    static void Hold(T*& slot, T* object) {
        if (object != nullptr) object->AddRef();
        if (slot != nullptr) slot->Release();
        slot = object;
    }

    template <typename Buffer, typename Interface, typename... Arguments>
    static HResult CreateBuffer(Interface** buffer, Arguments... arguments) {
        if (buffer == nullptr) return kInvalidCall;
        *buffer = nullptr;
        if (TakeFault(&Faults::failingBufferCreations)) return kOutOfVideoMemory;
        try {
            *buffer = new Buffer(arguments...);
        } catch (const std::bad_alloc&) {
            return kOutOfVideoMemory;
        }
        return kOk;
    }

    void Resize(const PresentParameters& parameters) {
        auto target = std::make_shared<Target>();
        target->samplesPerSide = parameters.multiSampleType == kMultiSample4 ? 2 : 1;
        target->width = static_cast<int32_t>(parameters.backBufferWidth) * target->samplesPerSide;
        target->height = static_cast<int32_t>(parameters.backBufferHeight) * target->samplesPerSide;
        const size_t pixels = static_cast<size_t>(target->width) * static_cast<size_t>(target->height);
        target->color.reserve(pixels);
        target->depth.reserve(pixels);
        AdviseLargePages(target->color.data(), pixels * sizeof(uint32_t));
        AdviseLargePages(target->depth.data(), pixels * sizeof(uint16_t));
        target->color.assign(pixels, 0);
        target->depth.assign(pixels, 0xFFFF);
        target_ = std::move(target);
    }

    // Reads vertex number `index` of the stream and takes it to clip space.
    bool Fetch(uint32_t index, const Matrix& transform, ClipVertex& out) const {
        if (stream_ == nullptr || index == UINT32_MAX) return false;
        const bool graph = format_ == (kFvfXyz | kFvfNormal | kFvfTex1);
        const size_t size = graph ? 32 : 16;
        const size_t at = static_cast<size_t>(index) * stride_;
        if (stride_ < size || at + size > stream_->bytes.size()) return false;
        float f[8] = {};
        std::memcpy(f, stream_->bytes.data() + at, size);
        float clip[4];
        for (int j = 0; j < 4; ++j)
            clip[j] = f[0] * transform.m[0][j] + f[1] * transform.m[1][j] + f[2] * transform.m[2][j] + transform.m[3][j];
        out = {clip[0], clip[1], clip[2], clip[3], graph ? f[6] : 0.0f, graph ? f[7] : 0.0f};
        return true;
    }

    // The draw's vertices of the stream (first .. end - 1, as far as the
    // stream holds them), transformed once for all the triangles that share
    // them; those inside the clip volume also on screen. The two passes over
    // a surface draw the same vertices with the same transform: the second
    // finds them done. A draw of a few vertices from a large buffer
    // transforms those few.
    void ProjectStream(const Matrix& transform, const Target& target, uint32_t first, uint32_t end) {
        const bool graph = format_ == (kFvfXyz | kFvfNormal | kFvfTex1);
        const size_t size = graph ? 32 : 16;
        const size_t held = stream_ == nullptr || stride_ < size || stream_->bytes.size() < size
                                ? 0
                                : (stream_->bytes.size() - size) / stride_ + 1;
        const size_t count = std::min<size_t>(held, end);
        const ProjectionKey key{stream_, stream_ != nullptr ? stream_->version : 0, stride_, format_, transform,
                                target.width, target.height, first, static_cast<uint32_t>(count)};
        if (count > 0 && projectedFrom_ == key && projectedCount_ == count) return;
        projectedFrom_ = {};
        // The room only grows: draws of a few vertices between two of a
        // large data set's would otherwise make it afresh every frame.
        if (clips_.size() < count) {
            clips_.resize(count);
            screens_.resize(count);
            inside_.resize(count);
        }
        projectedCount_ = count;
        projectedFrom_ = key;
        const size_t begin = std::min<size_t>(first, count);
        RunPieces(target.width, target.height, count - begin, [&](size_t pieceBegin, size_t pieceEnd) {
            for (size_t i = begin + pieceBegin; i < begin + pieceEnd; ++i) {
                ClipVertex& clip = clips_[i];
                Fetch(static_cast<uint32_t>(i), transform, clip);
                inside_[i] = InsideClipVolume(target, Widen(clip));
                if (inside_[i]) screens_[i] = ToScreen(target, Widen(clip));
            }
        });
    }

    // Where a draw's triangles come from: its index buffer (null for a
    // non-indexed draw) and the buffer's version, the first index and the
    // base vertex.
    // And the vertices it may use: firstVertex .. endVertex - 1.
    struct TriangleSource {
        const SoftIndexBuffer* indices = nullptr;
        uint64_t version = 0;
        uint32_t first = 0, baseVertex = 0, count = 0;
        uint32_t firstVertex = 0, endVertex = 0;
        bool operator==(const TriangleSource& other) const {
            return indices == other.indices && version == other.version && first == other.first &&
                   baseVertex == other.baseVertex && count == other.count && firstVertex == other.firstVertex &&
                   endVertex == other.endVertex;
        }
    };

    // What the bands need to know of a triangle before setting it up.
    struct TriangleInfo {
        enum Kind : uint8_t { kNothing, kInside, kClipped };
        uint32_t corner[3];
        int32_t firstStrip, lastStrip;  // of a triangle inside the clip volume
        int8_t winding;                 // its sign: 1 clockwise on screen
        Kind kind;
    };

    static constexpr int32_t kStripRows = 16;

    // Classifies every triangle of the draw, a piece per thread. The two
    // passes over a surface draw the same triangles from the same vertices:
    // the second finds them classified.
    template <typename IndexOf>
    void ClassifyTriangles(uint32_t count, IndexOf indexOf, const TriangleSource& source) {
        if (count > 0 && classifiedFrom_ == source && classifiedProjection_ == projectedFrom_ &&
            triangleCount_ == count)
            return;
        triangleCount_ = 0;
        if (triangles_.size() < count) triangles_.resize(count);
        triangleCount_ = count;
        classifiedFrom_ = source;
        classifiedProjection_ = projectedFrom_;
        const Target& target = *target_;
        const size_t vertices = projectedCount_;
        RunPieces(target.width, target.height, count, [&](size_t begin, size_t end) {
            for (size_t t = begin; t < end; ++t) {
                TriangleInfo& info = triangles_[t];
                const auto i = static_cast<uint32_t>(t);
                info = {{indexOf(3 * i), indexOf(3 * i + 1), indexOf(3 * i + 2)}, 0, -1, 0, TriangleInfo::kNothing};
                if (info.corner[0] >= vertices || info.corner[1] >= vertices || info.corner[2] >= vertices ||
                    info.corner[0] < source.firstVertex || info.corner[1] < source.firstVertex ||
                    info.corner[2] < source.firstVertex)
                    continue;
                if (!(inside_[info.corner[0]] && inside_[info.corner[1]] && inside_[info.corner[2]])) {
                    info.kind = TriangleInfo::kClipped;
                    continue;
                }
                const ScreenVertex& a = screens_[info.corner[0]];
                const ScreenVertex& b = screens_[info.corner[1]];
                const ScreenVertex& c = screens_[info.corner[2]];
                const int64_t winding = Winding(a, b, c);
                // The rows whose centres (256 j + 128) lie between the corners.
                const int64_t top = std::min({a.y, b.y, c.y});
                const int64_t bottom = std::max({a.y, b.y, c.y});
                const int64_t firstRow = std::max<int64_t>(0, (top - 128 + 255) >> 8);
                const int64_t lastRow = std::min<int64_t>(target.height - 1, (bottom - 128) >> 8);
                if (winding == 0 || firstRow > lastRow) continue;
                info.firstStrip = static_cast<int32_t>(firstRow / kStripRows);
                info.lastStrip = static_cast<int32_t>(lastRow / kStripRows);
                info.winding = winding > 0 ? 1 : -1;
                info.kind = TriangleInfo::kInside;
            }
        });
    }

    // Fills the triangles on one thread per band. The rows are cut into
    // strips of kStripRows dealt out to the bands in turn, so that each band
    // gets a share of every part of the picture; each band walks the
    // triangles and fills its rows in the strips it owns.
    void FillTriangles(Cull cull, const Shading& shading) {
        Target& target = *target_;
        const auto filler = Consult([](Faults& faults) { return faults.triangleFiller; });
        const int32_t bands = filler != nullptr ? 1 : BandsFor(target.width, target.height);
        RunBands(bands, [&](int32_t band) {
            const auto fill = [&](const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
                TriangleSetup setup;
                if (!SetupTriangle(target, a, b, c, setup)) return;
                if (filler != nullptr) {
                    filler(target, setup, shading);
                    return;
                }
                for (int32_t strip = setup.minY / kStripRows; strip <= setup.maxY / kStripRows; ++strip)
                    if (strip % bands == band)
                        FillTriangle(target, setup, shading, strip * kStripRows, (strip + 1) * kStripRows);
            };
            for (size_t t = 0; t < triangleCount_; ++t) {
                const TriangleInfo& info = triangles_[t];
                if (info.kind == TriangleInfo::kNothing) continue;
                if (info.kind == TriangleInfo::kInside) {
                    if (CullsAway(cull, info.winding)) continue;
                    // Passed over before any set-up when none of its strips is this band's.
                    if (info.lastStrip - info.firstStrip + 1 < bands) {
                        bool owned = false;
                        for (int32_t strip = info.firstStrip; strip <= info.lastStrip && !owned; ++strip)
                            owned = strip % bands == band;
                        if (!owned) continue;
                    }
                    fill(screens_[info.corner[0]], screens_[info.corner[1]], screens_[info.corner[2]]);
                    continue;
                }
                const Polygon polygon =
                    ClipTriangle(target, clips_[info.corner[0]], clips_[info.corner[1]], clips_[info.corner[2]]);
                if (polygon.count < 3) continue;
                ScreenVertex screen[12];
                for (int i = 0; i < polygon.count; ++i) screen[i] = ToScreen(target, polygon.corners[i]);
                // The whole polygon's winding decides: after snapping, its
                // first three corners alone may be degenerate or even turned.
                // Summed in double: several areas near the guard band's limit
                // would not fit 64 bits together.
                double winding = 0;
                for (int i = 1; i + 1 < polygon.count; ++i)
                    winding += static_cast<double>(Winding(screen[0], screen[i], screen[i + 1]));
                if (winding == 0 || CullsAway(cull, winding > 0 ? 1 : -1)) continue;
                for (int i = 1; i + 1 < polygon.count; ++i) fill(screen[0], screen[i], screen[i + 1]);
            }
        });
    }

    template <typename IndexOf>
    HResult Draw(uint32_t type, uint32_t count, IndexOf indexOf, const TriangleSource& source) {
        Unpoison(*target_);
        target_->resolvedCurrent = false;
        const Matrix transform = world_ * view_ * projection_;
        // Lighting is on with no light: ambient render state times the
        // material's ambient part, plus its emissive part.
        const Shading shading(((ambient_ >> 16) & 0xFF) / 255.0f * material_.ambient.r + material_.emissive.r,
                              ((ambient_ >> 8) & 0xFF) / 255.0f * material_.ambient.g + material_.emissive.g,
                              (ambient_ & 0xFF) / 255.0f * material_.ambient.b + material_.emissive.b,
                              texture_ != nullptr ? texture_->texels.data() : nullptr, depthTest_,
                              texture_ != nullptr ? texture_->width : 16, texture_ != nullptr ? texture_->height : 16,
                              blend_);
        Target& target = *target_;
        const Cull cull = cull_ == kCullClockwise        ? Cull::Clockwise
                          : cull_ == kCullCounterClockwise ? Cull::CounterClockwise
                                                           : Cull::None;
        if (const auto observer = Consult([](Faults& faults) { return faults.drawObserver; }); observer != nullptr)
            Observe(observer, type, count, indexOf, transform, shading, cull);
        ClipVertex v[3];
        switch (type) {
        case kPointList:
            for (uint32_t i = 0; i < count; ++i)
                if (Fetch(indexOf(i), transform, v[0])) DrawPoint(target, v[0], shading);
            return kOk;
        case kLineList:
            for (uint32_t i = 0; i < count; ++i)
                if (Fetch(indexOf(2 * i), transform, v[0]) && Fetch(indexOf(2 * i + 1), transform, v[1]))
                    DrawLine(target, v[0], v[1], shading);
            return kOk;
        case kTriangleList:
            if (fill_ == kFillWireframe) {
                for (uint32_t i = 0; i < count; ++i)
                    if (Fetch(indexOf(3 * i), transform, v[0]) && Fetch(indexOf(3 * i + 1), transform, v[1]) &&
                        Fetch(indexOf(3 * i + 2), transform, v[2]))
                        DrawTriangleEdges(target, v[0], v[1], v[2], cull, shading);
                return kOk;
            }
            try {
                ProjectStream(transform, target, source.firstVertex, source.endVertex);
                ClassifyTriangles(count, indexOf, source);
            } catch (const std::bad_alloc&) {
                return kOutOfMemory;
            }
            FillTriangles(cull, shading);
            return kOk;
        default:
            return kInvalidCall;
        }
    }

    template <typename IndexOf>
    void Observe(void (*observer)(const DrawObservation&), uint32_t type, uint32_t count, IndexOf indexOf,
                 const Matrix& transform, const Shading& shading, Cull cull) const {
        const uint32_t perPrimitive = type == kTriangleList ? 3 : type == kLineList ? 2 : 1;
        std::vector<ClipVertex> vertices;
        for (uint64_t i = 0; i < static_cast<uint64_t>(count) * perPrimitive; ++i) {
            ClipVertex v{};
            Fetch(indexOf(static_cast<uint32_t>(i)), transform, v);
            vertices.push_back(v);
        }
        observer({type, vertices.data(), vertices.size(), texture_ != nullptr ? texture_->texels.data() : nullptr,
                  texture_ != nullptr ? static_cast<int32_t>(texture_->width) : 0,
                  texture_ != nullptr ? static_cast<int32_t>(texture_->height) : 0, shading.flat, blend_,
                  depthTest_, fill_ == kFillWireframe, cull});
    }

    // What the projected vertices were made from.
    struct ProjectionKey {
        const SoftVertexBuffer* stream = nullptr;
        uint64_t version = 0;
        uint32_t stride = 0, format = 0;
        Matrix transform{};
        int32_t width = 0, height = 0;
        uint32_t first = 0, end = 0;
        bool operator==(const ProjectionKey& other) const {
            return stream == other.stream && version == other.version && stride == other.stride &&
                   format == other.format && std::memcmp(&transform, &other.transform, sizeof transform) == 0 &&
                   width == other.width && height == other.height && first == other.first && end == other.end;
        }
    };

    window::WindowHandle window_;
    std::shared_ptr<Target> target_;
    Matrix world_ = Matrix::Identity(), view_ = Matrix::Identity(), projection_ = Matrix::Identity();
    uint32_t cull_ = kCullCounterClockwise;  // Direct3D's default
    bool depthTest_ = true;
    bool blend_ = false;
    uint32_t fill_ = kFillSolid;
    uint32_t ambient_ = 0;
    Material material_{};
    uint32_t format_ = 0;
    SoftVertexBuffer* stream_ = nullptr;
    uint32_t stride_ = 0;
    SoftIndexBuffer* indices_ = nullptr;
    uint32_t baseVertex_ = 0;
    SoftTexture* texture_ = nullptr;
    // The stream's vertices of the current draw: in clip space, whether
    // inside the clip volume, and where inside, on screen.
    std::vector<ClipVertex> clips_;
    std::vector<uint8_t> inside_;
    std::vector<ScreenVertex> screens_;
    size_t projectedCount_ = 0;  // of the current draw: the vectors may hold more
    ProjectionKey projectedFrom_;
    std::vector<TriangleInfo> triangles_;  // the triangles of the current draw: the first triangleCount_
    size_t triangleCount_ = 0;
    TriangleSource classifiedFrom_;
    ProjectionKey classifiedProjection_;
};

class SoftDirect3D : public Counted<Direct3D> {
public:
    HResult GetAdapterDisplayMode(uint32_t adapter, DisplayMode* mode) override {
        if (const HResult injected = InjectedResult(&Faults::displayModeResult); injected != kOk) return injected;
        if (adapter != 0 || mode == nullptr) return kInvalidCall;
        *mode = {1024, 768, 60, kFormatX8R8G8B8};
        return kOk;
    }
    HResult GetDeviceCaps(uint32_t adapter, uint32_t type, DeviceCaps* caps) override {
        if (const HResult injected = InjectedResult(&Faults::capsResult); injected != kOk) return injected;
        if (adapter != 0 || type != kDeviceTypeHal || caps == nullptr) return kInvalidCall;
        const bool transform = Consult([](Faults& faults) { return faults.hardwareTransformAndLight; });
        caps->devCaps = transform ? kDevCapsHardwareTransformAndLight : 0;
        return kOk;
    }
    HResult CreateDevice(uint32_t adapter, uint32_t type, window::WindowHandle window, uint32_t flags,
                         PresentParameters* parameters, Device** device) override {
        if (device == nullptr) return kInvalidCall;
        *device = nullptr;
        if (const HResult injected = InjectedResult(&Faults::createDeviceResult); injected != kOk) return injected;
        if (adapter != 0 || type != kDeviceTypeHal || parameters == nullptr || !TakesParameters(*parameters))
            return kInvalidCall;
        if ((flags & (kCreateSoftwareVertexProcessing | kCreateHardwareVertexProcessing)) == 0) return kInvalidCall;
        lastBehaviorFlags = flags;
        *device = new SoftDevice(window, *parameters);
        return kOk;
    }
};

}  // namespace

}  // namespace talvex::soft

namespace talvex::render {

Direct3D* CreateDirect3D(uint32_t sdkVersion) {
    if (sdkVersion != kSdkVersion || soft::Consult([](soft::Faults& faults) { return faults.objectCreationFails; }))
        return nullptr;
    return new soft::SoftDirect3D();
}

HResult SaveSurfaceToFile(const char* path, uint32_t format, Surface* surface, const void*, const Rect* sourceRect) {
    if (surface == nullptr || format != kImageFileBmp || sourceRect != nullptr) return kInvalidCall;
    soft::Target& target = *static_cast<soft::SoftSurface*>(surface)->target;
    soft::Unpoison(target);
    if (target.samplesPerSide == 1) return WriteBmpFile(path, target.width, target.height, target.color.data(), target.width);
    if (const HResult resolved = soft::Resolve(target); resolved != kOk) return resolved;
    return WriteBmpFile(path, target.width / 2, target.height / 2, target.resolved.data(), target.width / 2);
}

HResult ReadSurfacePixels(Surface* surface, uint32_t* pixels, int32_t width, int32_t height) {
    if (surface == nullptr || pixels == nullptr) return kInvalidCall;
    soft::Target& target = *static_cast<soft::SoftSurface*>(surface)->target;
    const int32_t side = target.samplesPerSide;
    if (target.width != width * side || target.height != height * side) return kInvalidCall;
    soft::Unpoison(target);
    if (side == 2)
        if (const HResult resolved = soft::Resolve(target); resolved != kOk) return resolved;
    const uint32_t* from = side == 2 ? target.resolved.data() : target.color.data();
    soft::RunPieces(width, height, static_cast<size_t>(width) * static_cast<size_t>(height), [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) pixels[i] = from[i] & 0xFFFFFFu;
    });
    return kOk;
}

}  // namespace talvex::render
