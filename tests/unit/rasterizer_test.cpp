// The triangle filling against the reference: the same pixels for random
// triangles of every size, orientation and depth, for every scene the chart
// draws, and whatever the number of threads; and meshes that neither gap nor
// overlap along their shared edges.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <limits>
#include <vector>

#include "../crosscheck/scenes.h"
#include "platform/soft/render_threads.h"
#include "platform/soft/soft_faults.h"
#include "reference_rasterizer.h"
#include "common/graphics_device.h"
#include "render/scene.h"
#include "talvex.h"
#include "talvex_native.h"
#include "talvex_window.h"

namespace {

using namespace talvex;
using namespace talvex::render;

// Fills with the reference while it lives; the device then draws on one thread.
class ReferenceFilling {
public:
    ReferenceFilling() { soft::InjectedFaults().triangleFiller = soft::ReferenceFillTriangle; }
    ~ReferenceFilling() { soft::InjectedFaults().triangleFiller = nullptr; }
};

class RenderThreads {
public:
    explicit RenderThreads(int32_t count) { talvex_set_render_threads(count); }
    ~RenderThreads() { talvex_set_render_threads(0); }
};

// A software device of an odd size with a random 16 x 16 texture, drawing
// graph vertices (position and texture coordinates).
class TriangleFilling : public ::testing::Test {
protected:
    static constexpr int kWidth = 101, kHeight = 67;

    void SetUp() override {
        soft::InjectedFaults() = soft::Faults{};
        window_ = talvex_window_create(kWidth, kHeight);
        direct3d_ = CreateDirect3D(kSdkVersion);
        ASSERT_NE(direct3d_, nullptr);
        PresentParameters parameters{};
        parameters.backBufferWidth = kWidth;
        parameters.backBufferHeight = kHeight;
        parameters.backBufferFormat = kFormatX8R8G8B8;
        ASSERT_EQ(direct3d_->CreateDevice(0, kDeviceTypeHal, window_, kCreateHardwareVertexProcessing, &parameters,
                                          &device_),
                  0);
        ASSERT_EQ(device_->CreateTexture(16, 16, 1, 0, kFormatA8R8G8B8, kPoolManaged, &texture_), 0);
        LockedRect locked{};
        ASSERT_EQ(texture_->LockRect(0, &locked, nullptr, 0), 0);
        std::mt19937 random(7);
        for (int i = 0; i < 256; ++i) static_cast<uint32_t*>(locked.bits)[i] = random() | 0xFF000000u;
        texture_->UnlockRect(0);
        Material material{};
        material.ambient = {1, 1, 1, 1};
        device_->SetMaterial(&material);
        device_->SetRenderState(kRenderStateAmbient, 0xFFC080);
        device_->SetVertexShader(kGraphVertexFormat);
        device_->SetTexture(0, texture_);
    }
    void TearDown() override {
        ReleaseAndClear(buffer_);
        ReleaseAndClear(texture_);
        ReleaseAndClear(device_);
        ReleaseAndClear(direct3d_);
        talvex_window_destroy(window_);
        soft::InjectedFaults() = soft::Faults{};
    }

    void SetProjection(const Matrix& projection) {
        const Matrix identity = Matrix::Identity();
        device_->SetTransform(kTransformWorld, &identity);
        device_->SetTransform(kTransformView, &identity);
        device_->SetTransform(kTransformProjection, &projection);
    }

    // Clears, draws the triangles and reads the picture back.
    std::vector<uint32_t> Picture(const std::vector<GraphVertex>& vertices) {
        device_->Clear(0, nullptr, kClearTarget | kClearZBuffer, 0x123456, 1.0f, 0);
        ReleaseAndClear(buffer_);
        const auto bytes = static_cast<uint32_t>(vertices.size() * sizeof(GraphVertex));
        EXPECT_EQ(device_->CreateVertexBuffer(bytes, kUsageWriteOnly, kGraphVertexFormat, kPoolDefault, &buffer_), 0);
        uint8_t* data = nullptr;
        EXPECT_EQ(buffer_->Lock(0, bytes, &data, 0), 0);
        std::memcpy(data, vertices.data(), bytes);
        buffer_->Unlock();
        device_->SetStreamSource(0, buffer_, sizeof(GraphVertex));
        device_->DrawPrimitive(kTriangleList, 0, static_cast<uint32_t>(vertices.size() / 3));
        device_->Present();
        std::vector<uint32_t> pixels(kWidth * kHeight);
        talvex_window_read_picture(window_, pixels.data(), kWidth * kHeight);
        return pixels;
    }

    TalvexWindow window_ = nullptr;
    Direct3D* direct3d_ = nullptr;
    Device* device_ = nullptr;
    Texture* texture_ = nullptr;
    VertexBuffer* buffer_ = nullptr;
};

// Random triangles: centres on and around the picture, sizes from a hundredth
// of a pixel to far beyond the picture (log-uniform), any orientation, depths
// in front of the near plane, between the planes and behind the far plane,
// texture coordinates well beyond 0 .. 1.
std::vector<GraphVertex> RandomTriangles(std::mt19937& random, int count, bool perspective) {
    std::uniform_real_distribution<float> centre(-1.3f, 1.3f), unit(-1.0f, 1.0f), texture(-3.0f, 3.0f);
    std::uniform_real_distribution<float> logSize(std::log(0.01f / 50), std::log(1e5f / 50));
    std::uniform_real_distribution<float> depth(-0.2f, 1.2f), distance(0.2f, 60.0f);
    std::vector<GraphVertex> vertices;
    for (int t = 0; t < count; ++t) {
        const float cx = centre(random), cy = centre(random), size = std::exp(logSize(random));
        for (int corner = 0; corner < 3; ++corner) {
            GraphVertex v{};
            const float x = cx + size * unit(random), y = cy + size * unit(random);
            if (perspective) {
                // View space: the projection turns x, y into x / z, y / z.
                v.z = distance(random);
                v.x = x * v.z;
                v.y = y * v.z;
            } else {
                v.x = x;
                v.y = y;
                v.z = depth(random);
            }
            v.tu = texture(random);
            v.tv = texture(random);
            vertices.push_back(v);
        }
    }
    return vertices;
}

TEST_F(TriangleFilling, RandomTrianglesGiveTheReferencesPixelsWithAnyNumberOfThreads) {
    std::mt19937 random(2026);
    const Matrix perspective = Matrix::PerspectiveFovLH(1.5707964f, static_cast<float>(kWidth) / kHeight, 0.5f, 50.0f);
    const uint32_t culls[] = {kCullNone, kCullClockwise, kCullCounterClockwise};
    for (int round = 0; round < 12; ++round) {
        const bool perspectiveRound = round % 2 == 1;
        SetProjection(perspectiveRound ? perspective : Matrix::Identity());
        device_->SetRenderState(kRenderStateCullMode, culls[round % 3]);
        device_->SetRenderState(kRenderStateZEnable, round % 4 == 3 ? kZBufferFalse : kZBufferTrue);
        const std::vector<GraphVertex> triangles = RandomTriangles(random, 150, perspectiveRound);
        std::vector<uint32_t> reference;
        {
            ReferenceFilling filling;
            reference = Picture(triangles);
        }
        for (int32_t threads : {1, 3, 8}) {
            RenderThreads fixed(threads);
            const std::vector<uint32_t> pixels = Picture(triangles);
            int differing = 0;
            for (size_t i = 0; i < pixels.size(); ++i) differing += pixels[i] != reference[i];
            EXPECT_EQ(differing, 0) << "round " << round << ", " << threads << " threads";
        }
    }
}

// A jittered grid of triangles reaching past every side of the picture, its
// cells split along either diagonal: each pixel is lit by exactly one
// triangle, however the corners fall between pixel centres.
TEST(SharedEdges, AMeshCoversEveryPixelExactlyOnce) {
    soft::Target target;
    target.width = 61;
    target.height = 43;
    target.color.assign(static_cast<size_t>(target.width * target.height), 0);
    target.depth.assign(target.color.size(), 0xFFFF);
    const soft::Shading shading(1, 1, 1, nullptr, false);
    std::mt19937 random(11);
    for (int round = 0; round < 20; ++round) {
        // Cells of a few pixels at the first rounds, sub-pixel ones later.
        const int cells = round < 10 ? 9 : 90;
        const double step = 2.6 / cells;
        std::uniform_real_distribution<double> jitter(-0.3 * step, 0.3 * step);
        std::vector<soft::ScreenVertex> corners;
        for (int row = 0; row <= cells; ++row)
            for (int column = 0; column <= cells; ++column) {
                const bool edge = row == 0 || column == 0 || row == cells || column == cells;
                const soft::ClipPoint point{-1.3 + column * step + (edge ? 0 : jitter(random)),
                                            -1.3 + row * step + (edge ? 0 : jitter(random)), 0.5, 1, 0, 0};
                corners.push_back(soft::ToScreen(target, point));
            }
        std::vector<int> lit(target.color.size(), 0);
        std::bernoulli_distribution diagonal(0.5);
        const auto fill = [&](int a, int b, int c) {
            soft::TriangleSetup setup;
            if (!soft::SetupTriangle(target, corners[a], corners[b], corners[c], setup)) return;
            std::fill(target.color.begin(), target.color.end(), 0);
            soft::FillTriangle(target, setup, shading, 0, target.height);
            for (size_t i = 0; i < lit.size(); ++i) lit[i] += target.color[i] != 0;
        };
        for (int row = 0; row < cells; ++row)
            for (int column = 0; column < cells; ++column) {
                const int a = row * (cells + 1) + column, b = a + 1, c = a + cells + 1, d = c + 1;
                if (diagonal(random)) {
                    fill(a, b, d);
                    fill(a, d, c);
                } else {
                    fill(a, b, c);
                    fill(b, d, c);
                }
            }
        int gaps = 0, overlaps = 0;
        for (int count : lit) {
            gaps += count == 0;
            overlaps += count > 1;
        }
        EXPECT_EQ(gaps, 0) << "round " << round;
        EXPECT_EQ(overlaps, 0) << "round " << round;
    }
}

// Every scene of the cross-check, drawn through the exported functions: the
// reference's picture, then the device's with one, two and five threads.
TEST(ChartScenes, EveryNumberOfThreadsDrawsTheReferencesPicture) {
    const TalvexWindow parent = talvex_window_create(800, 600);
    for (const ::Scene& scene : kScenes) {
        const int32_t chart = TALVEX_ControlCreate();
        ASSERT_EQ(TALVEX_ControlInit(chart, parent, nullptr, 9), 0);
        TALVEX_ControlSize(chart, scene.width, scene.height);
        for (int slot = 0; slot < 3; ++slot) {
            if (scene.scripts[slot] == nullptr) continue;
            std::string text = scene.scripts[slot];
            ASSERT_EQ(TALVEX_ControlSetScript(chart, slot, &text[0]), 0);
        }
        if (scene.isometric) TALVEX_ControlSetIsometricView(chart);
        if (scene.zoom >= 0) TALVEX_ControlSetScale(chart, scene.zoom);
        if (scene.leftHanded) TALVEX_ControlSetLeftHand(chart);
        if (scene.wireframe) TALVEX_ControlSetSolid(chart, 0);
        TALVEX_ControlCalculate(chart);
        const size_t size = static_cast<size_t>(scene.width) * static_cast<size_t>(scene.height);
        std::vector<uint32_t> reference(size);
        {
            ReferenceFilling filling;
            ASSERT_EQ(talvex_render_picture(chart, reference.data(), scene.width, scene.height), 0);
        }
        for (int32_t threads : {1, 2, 5}) {
            RenderThreads fixed(threads);
            std::vector<uint32_t> pixels(size);
            ASSERT_EQ(talvex_render_picture(chart, pixels.data(), scene.width, scene.height), 0);
            EXPECT_TRUE(pixels == reference) << scene.name << ", " << threads << " threads";
        }
        TALVEX_ControlDestroy(chart);
    }
    talvex_window_destroy(parent);
}

// Corners that are not finite numbers never reach the conversion to
// integers: such a triangle is dropped, and a finite one beside it is not.
TEST(Clipping, TrianglesWithCornersThatAreNoNumbersAreDropped) {
    soft::Target target;
    target.width = 64;
    target.height = 48;
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const soft::ClipVertex good[3] = {{-0.5f, -0.5f, 0.5f, 1, 0, 0}, {0.5f, -0.5f, 0.5f, 1, 0, 0}, {0, 0.5f, 0.5f, 1, 0, 0}};
    ASSERT_EQ(soft::ClipTriangle(target, good[0], good[1], good[2]).count, 3);
    for (const float bad : {inf, -inf, nan}) {
        for (int field = 0; field < 4; ++field) {
            soft::ClipVertex corner = good[1];
            float* values[4] = {&corner.x, &corner.y, &corner.z, &corner.w};
            *values[field] = bad;
            EXPECT_EQ(soft::ClipTriangle(target, good[0], corner, good[2]).count, 0) << bad << " in field " << field;
        }
    }
}

TEST(RenderThreads, CountsOutsideTheRangeAreRefused) {
    EXPECT_EQ(talvex_set_render_threads(-1), static_cast<int32_t>(0x80070057u));
    EXPECT_EQ(talvex_set_render_threads(65), static_cast<int32_t>(0x80070057u));
    EXPECT_EQ(talvex_set_render_threads(64), 0);
    EXPECT_EQ(soft::BandsFor(320, 3), 3) << "no more bands than rows";
    EXPECT_EQ(talvex_set_render_threads(0), 0);
    EXPECT_EQ(soft::BandsFor(16, 16), 1) << "a small picture is drawn on one thread";
}

}  // namespace
