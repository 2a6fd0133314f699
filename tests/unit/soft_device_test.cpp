#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "platform/soft/render_threads.h"
#include "platform/soft/soft_faults.h"
#include "refused_allocations.h"
#include "common/graphics_device.h"
#include "render/scene.h"
#include "talvex_window.h"

namespace {

using namespace talvex;
using namespace talvex::render;

constexpr int kSide = 32;
constexpr uint32_t kBackground = 0x00FFFFFF;

// Which winding each cull mode lets through (on screen, y down).
struct CullCase {
    uint32_t cull;
    bool drawsClockwise, drawsCounterClockwise;
};
constexpr CullCase kCullCases[] = {
    {kCullNone, true, true}, {kCullClockwise, false, true}, {kCullCounterClockwise, true, false}};

// A software device on a 32 x 32 back buffer whose transforms are all the
// identity, so that a vertex's x, y, z are its clip coordinates (w = 1).
class SoftDevice : public ::testing::Test {
protected:
    void SetUp() override {
        soft::InjectedFaults() = soft::Faults{};
        window_ = talvex_window_create(kSide, kSide);
        direct3d_ = CreateDirect3D(kSdkVersion);
        ASSERT_NE(direct3d_, nullptr);
        PresentParameters parameters{};
        parameters.backBufferWidth = kSide;
        parameters.backBufferHeight = kSide;
        parameters.backBufferFormat = kFormatX8R8G8B8;
        ASSERT_EQ(direct3d_->CreateDevice(0, kDeviceTypeHal, window_, kCreateHardwareVertexProcessing, &parameters,
                                          &device_),
                  0);
        const Matrix identity = Matrix::Identity();
        for (uint32_t state : {kTransformWorld, kTransformView, kTransformProjection})
            device_->SetTransform(state, &identity);
        Material material{};
        material.ambient = {1, 1, 1, 1};
        device_->SetMaterial(&material);
        device_->SetRenderState(kRenderStateCullMode, kCullNone);
        device_->SetRenderState(kRenderStateAmbient, 0xFF0000);
        device_->SetVertexShader(kColorVertexFormat);
        Clear();
    }
    void TearDown() override {
        ReleaseAndClear(buffer_);
        ReleaseAndClear(device_);
        ReleaseAndClear(direct3d_);
        talvex_window_destroy(window_);
        soft::InjectedFaults() = soft::Faults{};
    }

    void Clear() { device_->Clear(0, nullptr, kClearTarget | kClearZBuffer, kBackground, 1.0f, 0); }

    // Clip coordinates of the centre of pixel (column, row).
    static float X(double column) { return static_cast<float>(2.0 * column / kSide - 1.0); }
    static float Y(double row) { return static_cast<float>(1.0 - 2.0 * row / kSide); }
    static ColorVertex At(double column, double row, float z = 0.5f) { return {X(column), Y(row), z, 0}; }

    void Draw(uint32_t type, const std::vector<ColorVertex>& vertices, uint32_t primitives) {
        ReleaseAndClear(buffer_);
        const auto bytes = static_cast<uint32_t>(vertices.size() * sizeof(ColorVertex));
        ASSERT_EQ(device_->CreateVertexBuffer(bytes, kUsageWriteOnly, kColorVertexFormat, kPoolDefault, &buffer_), 0);
        uint8_t* data = nullptr;
        ASSERT_EQ(buffer_->Lock(0, bytes, &data, 0), 0);
        std::memcpy(data, vertices.data(), bytes);
        buffer_->Unlock();
        device_->SetStreamSource(0, buffer_, sizeof(ColorVertex));
        device_->DrawPrimitive(type, 0, primitives);
    }

    // Presents and reads the picture back (0x00RRGGBB, top row first).
    std::vector<uint32_t> Picture() {
        device_->Present();
        std::vector<uint32_t> pixels(kSide * kSide);
        talvex_window_read_picture(window_, pixels.data(), kSide * kSide);
        for (uint32_t& p : pixels) p &= 0xFFFFFF;
        return pixels;
    }

    static int Count(const std::vector<uint32_t>& pixels, uint32_t color) {
        int n = 0;
        for (uint32_t p : pixels) n += p == color;
        return n;
    }

    TalvexWindow window_ = nullptr;
    Direct3D* direct3d_ = nullptr;
    Device* device_ = nullptr;
    VertexBuffer* buffer_ = nullptr;
};

TEST_F(SoftDevice, ClearFillsTheTarget) {
    device_->Clear(0, nullptr, kClearTarget, 0x123456, 1.0f, 0);
    EXPECT_EQ(Count(Picture(), 0x123456), kSide * kSide);
}

TEST_F(SoftDevice, TrianglesSharingAnEdgeCoverEachPixelOnce) {
    // A square from pixel centre (4, 4) to (12, 12): its left and top edges
    // own their pixels, its right and bottom edges do not: 8 x 8 pixels.
    const std::vector<ColorVertex> first = {At(4, 4), At(12, 4), At(12, 12)};
    const std::vector<ColorVertex> second = {At(4, 4), At(12, 12), At(4, 12)};
    device_->SetRenderState(kRenderStateZEnable, kZBufferFalse);
    Draw(kTriangleList, first, 1);
    const std::vector<uint32_t> a = Picture();
    Clear();
    Draw(kTriangleList, second, 1);
    const std::vector<uint32_t> b = Picture();
    int overlap = 0, covered = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const bool inA = a[i] == 0xFF0000, inB = b[i] == 0xFF0000;
        overlap += inA && inB;
        covered += inA || inB;
        const int column = static_cast<int>(i % kSide), row = static_cast<int>(i / kSide);
        const bool inSquare = column >= 4 && column < 12 && row >= 4 && row < 12;
        EXPECT_EQ(inA || inB, inSquare) << "pixel " << column << ", " << row;
    }
    EXPECT_EQ(overlap, 0) << "no pixel drawn twice";
    EXPECT_EQ(covered, 64) << "no gap";
}

TEST_F(SoftDevice, CullModesAgainstBothWindings) {
    // On screen (y down) the first triangle turns clockwise, the second counter-clockwise.
    const std::vector<ColorVertex> clockwise = {At(2, 2), At(20, 2), At(2, 20)};
    const std::vector<ColorVertex> counterClockwise = {At(2, 2), At(2, 20), At(20, 2)};
    for (const CullCase& c : kCullCases) {
        device_->SetRenderState(kRenderStateCullMode, c.cull);
        Clear();
        Draw(kTriangleList, clockwise, 1);
        EXPECT_EQ(Count(Picture(), 0xFF0000) > 0, c.drawsClockwise) << "cull " << c.cull << ", clockwise";
        Clear();
        Draw(kTriangleList, counterClockwise, 1);
        EXPECT_EQ(Count(Picture(), 0xFF0000) > 0, c.drawsCounterClockwise) << "cull " << c.cull << ", counter";
    }
}

// A triangle that crosses the near plane is drawn as the fan of its clipped
// polygon. Its corner b lies just in front of the plane, so the corner cut on
// the edge from a snaps onto b and the fan's first triangle has no area: the
// polygon's winding is the sum over the whole fan, not that first triangle's.
TEST_F(SoftDevice, ClippedTriangleIsCulledByTheWindingOfItsWholePolygon) {
    const ColorVertex behind = At(2, 2, -0.5f), justInFront = At(20, 2, 1e-6f), inFront = At(2, 20, 0.5f);
    const std::vector<ColorVertex> clockwise = {behind, justInFront, inFront};
    const std::vector<ColorVertex> counterClockwise = {behind, inFront, justInFront};
    for (const CullCase& c : kCullCases) {
        device_->SetRenderState(kRenderStateCullMode, c.cull);
        for (bool isClockwise : {true, false}) {
            Clear();
            Draw(kTriangleList, isClockwise ? clockwise : counterClockwise, 1);
            const std::vector<uint32_t> pixels = Picture();
            const bool drawn = isClockwise ? c.drawsClockwise : c.drawsCounterClockwise;
            EXPECT_EQ(pixels[11 * kSide + 8], drawn ? 0xFF0000u : kBackground)
                << "cull " << c.cull << (isClockwise ? ", clockwise" : ", counter-clockwise");
            EXPECT_EQ(pixels[3 * kSide + 3], kBackground) << "the part behind the near plane, cull " << c.cull;
        }
    }
}

TEST_F(SoftDevice, WireframeDrawsOnlyTheEdges) {
    device_->SetRenderState(kRenderStateFillMode, kFillWireframe);
    Draw(kTriangleList, {At(2, 2), At(28, 2), At(2, 28)}, 1);
    const std::vector<uint32_t> pixels = Picture();
    EXPECT_EQ(pixels[8 * kSide + 8], kBackground) << "the inside stays empty";
    EXPECT_EQ(pixels[2 * kSide + 10], 0xFF0000u) << "top edge";
    EXPECT_EQ(pixels[10 * kSide + 2], 0xFF0000u) << "left edge";
    EXPECT_GT(Count(pixels, 0xFF0000), 60);
    EXPECT_LT(Count(pixels, 0xFF0000), 90);
}

TEST_F(SoftDevice, DepthTestKeepsTheNearerTriangleInEitherOrder) {
    const std::vector<ColorVertex> near = {At(2, 2, 0.3f), At(20, 2, 0.3f), At(2, 20, 0.3f)};
    const std::vector<ColorVertex> far = {At(4, 4, 0.6f), At(24, 4, 0.6f), At(4, 24, 0.6f)};
    for (bool nearFirst : {true, false}) {
        Clear();
        device_->SetRenderState(kRenderStateAmbient, nearFirst ? 0x00FF00 : 0x0000FF);
        Draw(kTriangleList, nearFirst ? near : far, 1);
        device_->SetRenderState(kRenderStateAmbient, nearFirst ? 0x0000FF : 0x00FF00);
        Draw(kTriangleList, nearFirst ? far : near, 1);
        const std::vector<uint32_t> pixels = Picture();
        EXPECT_EQ(pixels[6 * kSide + 6], 0x00FF00u) << "overlap shows the nearer, near first: " << nearFirst;
        EXPECT_EQ(pixels[20 * kSide + 5], 0x0000FFu) << "the far one outside the overlap";
    }
}

TEST_F(SoftDevice, AmbientTimesMaterialAndTexture) {
    device_->SetRenderState(kRenderStateAmbient, 0x7F7F7F);
    Draw(kTriangleList, {At(0, 0), At(32, 0), At(0, 32)}, 1);
    EXPECT_EQ(Picture()[1 * kSide + 1], 0x7F7F7Fu) << "untextured: the ambient colour";

    Texture* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(16, 16, 1, 0, kFormatA8R8G8B8, kPoolManaged, &texture), 0);
    LockedRect locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), 0);
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c)
            static_cast<uint32_t*>(locked.bits)[r * 16 + c] = ((c < 8) == (r < 8) ? 0xFF0080u : 0xFF80C0u) | 0x7F000000u;
    texture->UnlockRect(0);
    device_->SetTexture(0, texture);
    device_->SetVertexShader(kGraphVertexFormat);
    // A quad over the whole target with texture coordinates 0..1: four quadrants.
    ReleaseAndClear(buffer_);
    const GraphVertex quad[6] = {{-1, 1, 0.5f, 0, 0, 0, 0, 0}, {1, 1, 0.5f, 0, 0, 0, 1, 0}, {-1, -1, 0.5f, 0, 0, 0, 0, 1},
                                 {1, 1, 0.5f, 0, 0, 0, 1, 0},  {1, -1, 0.5f, 0, 0, 0, 1, 1}, {-1, -1, 0.5f, 0, 0, 0, 0, 1}};
    ASSERT_EQ(device_->CreateVertexBuffer(sizeof quad, kUsageWriteOnly, kGraphVertexFormat, kPoolDefault, &buffer_), 0);
    uint8_t* data = nullptr;
    buffer_->Lock(0, sizeof quad, &data, 0);
    std::memcpy(data, quad, sizeof quad);
    buffer_->Unlock();
    device_->SetStreamSource(0, buffer_, sizeof(GraphVertex));
    for (uint32_t ambient : {0xFFFFFFu, 0x7F7F7Fu}) {
        Clear();
        device_->SetRenderState(kRenderStateAmbient, ambient);
        device_->DrawPrimitive(kTriangleList, 0, 2);
        const std::vector<uint32_t> pixels = Picture();
        const bool full = ambient == 0xFFFFFF;
        EXPECT_EQ(pixels[4 * kSide + 4], full ? 0xFF0080u : 0x7F0040u) << std::hex << ambient;
        EXPECT_EQ(pixels[4 * kSide + 20], full ? 0xFF80C0u : 0x7F4060u) << std::hex << ambient;
        EXPECT_EQ(pixels[20 * kSide + 20], full ? 0xFF0080u : 0x7F0040u) << std::hex << ambient;
    }
    device_->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(SoftDevice, PointAndLineLightTheExpectedPixels) {
    Draw(kPointList, {At(10, 7)}, 1);
    std::vector<uint32_t> pixels = Picture();
    EXPECT_EQ(Count(pixels, 0xFF0000), 1);
    EXPECT_EQ(pixels[7 * kSide + 10], 0xFF0000u);

    Clear();
    Draw(kLineList, {At(2, 5), At(9, 5)}, 1);
    pixels = Picture();
    for (int column = 0; column < kSide; ++column)
        EXPECT_EQ(pixels[5 * kSide + column] == 0xFF0000u, column >= 2 && column < 9) << "column " << column;
    EXPECT_EQ(Count(pixels, 0xFF0000), 7) << "one pixel wide, the last pixel left out";
}

// Coordinates beyond any int (a huge zoom) or not a number (a script's
// point at NaN) draw what their finite cousins would, or nothing, without
// an undefined conversion to int (the asan preset checks those).
TEST_F(SoftDevice, HugeAndNotANumberCoordinates) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), huge = 1e12f;
    Draw(kPointList, {{nan, 0, 0.5f, 0}, {0, nan, 0.5f, 0}, {huge, huge, 0.5f, 0}, {-huge, 0, 0.5f, 0}}, 4);
    EXPECT_EQ(Count(Picture(), 0xFF0000), 0) << "no point lies on the target";

    Clear();
    Draw(kLineList, {{-huge, Y(5), 0.5f, 0}, {huge, Y(5), 0.5f, 0}, {X(9), -huge, 0.5f, 0}, {X(9), huge, 0.5f, 0}}, 2);
    std::vector<uint32_t> pixels = Picture();
    EXPECT_EQ(Count(pixels, 0xFF0000), 2 * kSide - 1) << "a whole row and a whole column";
    EXPECT_EQ(pixels[5 * kSide + 0], 0xFF0000u);
    EXPECT_EQ(pixels[31 * kSide + 9], 0xFF0000u);

    Clear();
    Draw(kLineList, {{nan, 0, 0.5f, 0}, {0.5f, 0.5f, 0.5f, 0}}, 1);
    EXPECT_EQ(Count(Picture(), 0xFF0000), 0) << "a line from NaN";

    Clear();
    Draw(kTriangleList, {{-huge, -huge, 0.5f, 0}, {huge, -huge, 0.5f, 0}, {0, huge, 0.5f, 0},
                         {nan, 0, 0.5f, 0}, {0.5f, 0, 0.5f, 0}, {0, 0.5f, 0.5f, 0}}, 2);
    EXPECT_EQ(Count(Picture(), 0xFF0000), kSide * kSide) << "the huge triangle covers all; the NaN one nothing";
}

TEST_F(SoftDevice, TriangleCrossingTheNearPlaneIsClipped) {
    // The left end lies behind the near plane (z < 0): only the part in
    // front of it is drawn, not the whole triangle and not nothing.
    Draw(kTriangleList, {At(2, 2, -0.5f), At(30, 2, 0.5f), At(2, 30, -0.5f)}, 1);
    const std::vector<uint32_t> pixels = Picture();
    EXPECT_EQ(pixels[3 * kSide + 3], kBackground) << "behind the near plane";
    EXPECT_EQ(pixels[3 * kSide + 26], 0xFF0000u) << "in front of it";
}

TEST_F(SoftDevice, PresentLeavesAPoisonedBackBuffer) {
    device_->Clear(0, nullptr, kClearTarget, 0x00FF00, 1.0f, 0);
    EXPECT_EQ(Count(Picture(), 0x00FF00), kSide * kSide) << "the window shows the frame";
    EXPECT_EQ(Count(Picture(), 0x00FF00), 0) << "a second present shows what the first left behind";
}

// An indexed draw says which vertices its indices use (from a first one, so
// many): a triangle that reaches beyond them is not drawn, whatever the
// buffer holds there, and the vertices before the draw's are not read.
// Indices of 16 and of 32 bits read alike.
TEST_F(SoftDevice, IndexedDrawsUseTheVerticesTheyName) {
    Draw(kTriangleList, {At(2, 2), At(14, 2), At(2, 14), At(18, 18), At(30, 18), At(18, 30)}, 0);
    for (const bool wide : {false, true}) {
        IndexBuffer* indices = nullptr;
        const uint32_t bytes = wide ? 24 : 12;
        ASSERT_EQ(device_->CreateIndexBuffer(bytes, kUsageWriteOnly, wide ? kFormatIndex32 : kFormatIndex16,
                                             kPoolDefault, &indices),
                  0);
        uint8_t* data = nullptr;
        ASSERT_EQ(indices->Lock(0, bytes, &data, 0), 0);
        const uint16_t narrow[6] = {0, 1, 2, 3, 4, 5};
        const uint32_t wideList[6] = {0, 1, 2, 3, 4, 5};
        if (wide) std::memcpy(data, wideList, sizeof wideList);
        else std::memcpy(data, narrow, sizeof narrow);
        indices->Unlock();
        device_->SetIndices(indices, 0);
        const struct {
            uint32_t minIndex, vertices;
            bool first, second;
        } cases[] = {{0, 6, true, true}, {0, 3, true, false}, {3, 3, false, true}, {0, 5, true, false}, {1, 5, false, true}};
        for (const auto& c : cases) {
            Clear();
            ASSERT_EQ(device_->DrawIndexedPrimitive(kTriangleList, c.minIndex, c.vertices, 0, 2), 0);
            const std::vector<uint32_t> pixels = Picture();
            EXPECT_EQ(pixels[4 * kSide + 4] == 0xFF0000u, c.first) << wide << ": " << c.minIndex << " + " << c.vertices;
            EXPECT_EQ(pixels[20 * kSide + 20] == 0xFF0000u, c.second) << wide << ": " << c.minIndex << " + " << c.vertices;
        }
        device_->SetIndices(nullptr, 0);
        indices->Release();
    }
    IndexBuffer* other = nullptr;
    EXPECT_EQ(device_->CreateIndexBuffer(12, kUsageWriteOnly, kFormatA8R8G8B8, kPoolDefault, &other), kInvalidCall)
        << "an index is 16 or 32 bits";
}

// With 4 samples the picture is averaged from the samples when it is read
// or presented, and never from samples that have changed since: a read
// followed by a present shows one frame, a clear or a draw after a read is
// seen by the next, and a present still leaves its poison behind.
TEST_F(SoftDevice, MultisampledPictureFollowsEveryChange) {
    PresentParameters parameters{};
    parameters.backBufferWidth = kSide;
    parameters.backBufferHeight = kSide;
    parameters.backBufferFormat = kFormatX8R8G8B8;
    parameters.multiSampleType = kMultiSample4;
    ASSERT_EQ(device_->Reset(&parameters), 0);
    Surface* surface = nullptr;
    ASSERT_EQ(device_->GetRenderTarget(&surface), 0);
    const auto read = [&] {
        std::vector<uint32_t> pixels(kSide * kSide);
        EXPECT_EQ(ReadSurfacePixels(surface, pixels.data(), kSide, kSide), 0);
        return pixels;
    };
    device_->Clear(0, nullptr, kClearTarget | kClearZBuffer, 0x00FF00, 1.0f, 0);
    EXPECT_EQ(Count(read(), 0x00FF00), kSide * kSide);
    EXPECT_EQ(Count(Picture(), 0x00FF00), kSide * kSide) << "presented after a read: the same frame";
    device_->Clear(0, nullptr, kClearTarget | kClearZBuffer, 0x0000FF, 1.0f, 0);
    EXPECT_EQ(Count(read(), 0x0000FF), kSide * kSide) << "a clear after a present";
    Draw(kTriangleList, {At(-4, -4), At(80, -4), At(-4, 80)}, 1);
    EXPECT_EQ(Count(read(), 0xFF0000), kSide * kSide) << "a draw after a read";
    Picture();
    EXPECT_EQ(Count(read(), 0xFF0000), 0) << "a read after a present sees what the present left behind";
    surface->Release();
}

// Memory can run out at any moment and no device call may throw: the calls
// that draw, read and present hand their work to the drawing threads
// without allocating, on the pool's workers as on the calling thread. What
// a first frame makes (buffers, the projected vertices, the workers) is
// made before allocations are refused.
TEST_F(SoftDevice, DrawingAndReadingAllocateNothing) {
    soft::SetRenderThreads(2);
    Draw(kTriangleList, {At(2, 2), At(20, 2), At(2, 20)}, 1);
    Surface* surface = nullptr;
    ASSERT_EQ(device_->GetRenderTarget(&surface), 0);
    std::vector<uint32_t> pixels(kSide * kSide, 0xDEADBEEF);
    device_->Present();
    HResult results[4] = {};
    bool thrown = false;
    int attempts = 0;
    {
        RefusedAllocations refused;
        try {
            results[0] = device_->Present();
            results[1] = device_->Clear(0, nullptr, kClearTarget | kClearZBuffer, kBackground, 1.0f, 0);
            results[2] = device_->DrawPrimitive(kTriangleList, 0, 1);
            results[3] = ReadSurfacePixels(surface, pixels.data(), kSide, kSide);
        } catch (const std::bad_alloc&) {
            thrown = true;
        }
        attempts = refused.Attempts();
    }
    soft::SetRenderThreads(0);
    surface->Release();
    EXPECT_FALSE(thrown);
    EXPECT_EQ(attempts, 0);
    const char* const calls[4] = {"Present", "Clear", "DrawPrimitive", "ReadSurfacePixels"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(results[i], 0) << calls[i];
    EXPECT_EQ(pixels[5 * kSide + 5], 0xFF0000u) << "the triangle was drawn and read";
    EXPECT_EQ(pixels[25 * kSide + 25], kBackground);
}

TEST_F(SoftDevice, InjectedFaults) {
    soft::InjectedFaults().failingBufferCreations = 1;
    VertexBuffer* failed = reinterpret_cast<VertexBuffer*>(1);
    EXPECT_NE(device_->CreateVertexBuffer(16, 0, kColorVertexFormat, kPoolDefault, &failed), 0);
    EXPECT_EQ(failed, nullptr);
    soft::InjectedFaults().failingTextureCreations = 1;
    Texture* texture = reinterpret_cast<Texture*>(1);
    EXPECT_NE(device_->CreateTexture(16, 16, 1, 0, kFormatA8R8G8B8, kPoolManaged, &texture), 0);
    EXPECT_EQ(texture, nullptr);
    soft::InjectedFaults().cooperativeLevels = {kDeviceLost, kDeviceNotReset};
    EXPECT_EQ(device_->TestCooperativeLevel(), kDeviceLost);
    EXPECT_EQ(device_->TestCooperativeLevel(), kDeviceNotReset);
    EXPECT_EQ(device_->TestCooperativeLevel(), 0);
    soft::InjectedFaults().objectCreationFails = true;
    EXPECT_EQ(CreateDirect3D(kSdkVersion), nullptr);
}

}  // namespace
