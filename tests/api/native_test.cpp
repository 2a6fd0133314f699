// talvex_native.h through the real libtalvex.so: the slots' geometry and the
// picture in memory (Linux only).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "chart_fixture.h"
#include "native_c_host.h"
#include "talvex_codes.h"
#include "talvex_native.h"

namespace {

constexpr int32_t kFail = static_cast<int32_t>(0x80004005u);
constexpr int32_t kPointer = static_cast<int32_t>(0x80004003u);
constexpr int32_t kInvalidArgument = static_cast<int32_t>(0x80070057u);
constexpr int32_t kBadSlot = 21;

class Native : public Chart {
protected:
    TalvexSlotGeometry Geometry(int slot) {
        TalvexSlotGeometry geometry;
        std::memset(&geometry, 0x5A, sizeof geometry);
        EXPECT_EQ(talvex_get_slot_geometry(handle, slot, &geometry), 0);
        return geometry;
    }

    // A file name of this test's own: the tests run side by side.
    static std::string UniquePath(const char* ending) {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        return ::testing::TempDir() + "talvex_native_" + test->test_suite_name() + "_" + test->name() + ending;
    }

    std::vector<uint32_t> Picture(int32_t width, int32_t height) {
        std::vector<uint32_t> pixels(static_cast<size_t>(width * height), 0xDEADBEEF);
        EXPECT_EQ(talvex_render_picture(handle, pixels.data(), width, height), 0);
        return pixels;
    }

    // What the chart's window shows after a paint.
    std::vector<uint32_t> Paint() {
        TALVEX_ControlShow(handle, 5);
        TALVEX_ControlInvalidate(handle, nullptr, 0);
        EXPECT_GE(talvex_window_run_paints(), 1);
        return Presented();
    }

    std::vector<uint32_t> Presented() const {
        int32_t w = 0, h = 0;
        talvex_window_picture_size(child, &w, &h);
        std::vector<uint32_t> pixels(static_cast<size_t>(w * h));
        talvex_window_read_picture(child, pixels.data(), w * h);
        for (uint32_t& p : pixels) p &= 0xFFFFFF;
        return pixels;
    }

    static int Count(const std::vector<uint32_t>& pixels, uint32_t color) {
        return static_cast<int>(std::count(pixels.begin(), pixels.end(), color));
    }
};

TEST_F(Native, GeometryOfEachKind) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    ASSERT_EQ(SetScript(1, "x = cos(t)\ny = sin(t)\nz = t/5\ntgrid = 50"), 0);
    ASSERT_EQ(SetScript(2, "x = 1\ny = 2\nz = 3"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    const struct {
        int slot;
        int32_t kind, samplesU, samplesV, vertexCount, indexCount;
    } cases[] = {
        {0, TALVEX_GRAPH_SURFACE, 21, 21, 441, 2400},  // 20 x 20 cells of two triangles
        {1, TALVEX_GRAPH_CURVE, 51, 1, 51, 100},       // 50 segments
        {2, TALVEX_GRAPH_POINT, 1, 1, 1, 0},
    };
    for (const auto& c : cases) {
        const TalvexSlotGeometry g = Geometry(c.slot);
        EXPECT_EQ(g.kind, c.kind) << c.slot;
        EXPECT_EQ(g.samplesU, c.samplesU) << c.slot;
        EXPECT_EQ(g.samplesV, c.samplesV) << c.slot;
        EXPECT_EQ(g.vertexCount, c.vertexCount) << c.slot;
        EXPECT_EQ(g.indexCount, c.indexCount) << c.slot;
        EXPECT_NE(g.vertices, nullptr) << c.slot;
        EXPECT_EQ(g.indices == nullptr, c.indexCount == 0) << c.slot;
    }

    // Box coordinates: x and y from -5 .. 5 to -50 .. 50, z scaled alike and
    // mirrored for the right-handed box; the first parameter runs along a row.
    const TalvexSlotGeometry surface = Geometry(0);
    EXPECT_EQ(surface.vertices[0].x, -50.0f);
    EXPECT_EQ(surface.vertices[0].y, -50.0f);
    EXPECT_NEAR(surface.vertices[0].z, -std::sin(-5.0) * std::cos(-5.0) * 10, 1e-5);
    EXPECT_EQ(surface.vertices[1].x, -45.0f);
    EXPECT_EQ(surface.vertices[1].y, -50.0f);
    EXPECT_EQ(surface.vertices[21].x, -50.0f) << "the second row";
    EXPECT_EQ(surface.vertices[21].y, -45.0f);
    EXPECT_EQ(surface.vertices[440].x, 50.0f);
    EXPECT_EQ(surface.vertices[440].y, 50.0f);
    const uint16_t firstCell[6] = {0, 1, 21, 1, 22, 21};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(surface.indices[i], firstCell[i]) << i;

    const TalvexSlotGeometry curve = Geometry(1);
    EXPECT_EQ(curve.vertices[0].x, 10.0f) << "t from 0: cos 0 is 1";
    EXPECT_NEAR(curve.vertices[1].x, std::cos(2 * M_PI / 50) * 10, 1e-5);
    EXPECT_NEAR(curve.vertices[1].y, std::sin(2 * M_PI / 50) * 10, 1e-5);
    EXPECT_NEAR(curve.vertices[50].z, -2 * M_PI / 5 * 10, 1e-4) << "t up to 2 pi, z mirrored";
    for (int i = 0; i < 100; ++i) EXPECT_EQ(curve.indices[i], (i + 1) / 2) << "segment " << i / 2;

    const TalvexSlotGeometry point = Geometry(2);
    EXPECT_EQ(point.vertices[0].x, 10.0f);
    EXPECT_EQ(point.vertices[0].y, 20.0f);
    EXPECT_EQ(point.vertices[0].z, -30.0f);
}

TEST_F(Native, SlotsWithoutGeometryAndSurfacesWhoseCellsAllDropOut) {
    const TalvexSlotGeometry empty = Geometry(1);
    EXPECT_EQ(empty.kind, TALVEX_GRAPH_NONE);
    EXPECT_EQ(empty.samplesU, 0);
    EXPECT_EQ(empty.samplesV, 0);
    EXPECT_EQ(empty.vertexCount, 0);
    EXPECT_EQ(empty.vertices, nullptr);
    EXPECT_EQ(empty.indexCount, 0);
    EXPECT_EQ(empty.indices, nullptr);

    // Every sample stands outside the box: no cell is drawn, every vertex is kept.
    ASSERT_EQ(SetScript(0, "z = 100\nxgrid = 2\nygrid = 3"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    const TalvexSlotGeometry outside = Geometry(0);
    EXPECT_EQ(outside.kind, TALVEX_GRAPH_SURFACE);
    EXPECT_EQ(outside.samplesU, 3);
    EXPECT_EQ(outside.samplesV, 4);
    ASSERT_EQ(outside.vertexCount, 12);
    EXPECT_EQ(outside.indexCount, 0);
    EXPECT_EQ(outside.indices, nullptr);
    EXPECT_EQ(outside.vertices[11].x, 50.0f);
    EXPECT_EQ(outside.vertices[11].y, 50.0f);
}

TEST_F(Native, GeometryOutlivesFramesAndFailedCalculations) {
    ASSERT_EQ(SetScript(0, "z = x*y/5"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);
    const TalvexSlotGeometry before = Geometry(0);
    const std::vector<TalvexVertex> vertices(before.vertices, before.vertices + before.vertexCount);
    const std::vector<uint16_t> indices(before.indices, before.indices + before.indexCount);

    Paint();
    ASSERT_EQ(TALVEX_SaveBMP(handle, UniquePath(".bmp").c_str()), 0);
    std::remove(UniquePath(".bmp").c_str());
    Picture(320, 240);
    TALVEX_ControlSetLeftHand(handle);
    // A script that compiles but cannot be calculated leaves the slot's last
    // geometry in place.
    ASSERT_EQ(SetScript(0, "z = k"), 0);
    EXPECT_EQ(TALVEX_ControlCalculate(handle), 17);

    const TalvexSlotGeometry after = Geometry(0);
    EXPECT_EQ(after.vertices, before.vertices);
    EXPECT_EQ(after.indices, before.indices);
    ASSERT_EQ(after.vertexCount, before.vertexCount);
    ASSERT_EQ(after.indexCount, before.indexCount);
    EXPECT_EQ(std::memcmp(before.vertices, vertices.data(), vertices.size() * sizeof(TalvexVertex)), 0);
    EXPECT_EQ(std::memcmp(before.indices, indices.data(), indices.size() * sizeof(uint16_t)), 0);
}

TEST_F(Native, GeometryFailures) {
    TalvexSlotGeometry untouched;
    std::memset(&untouched, 0x5A, sizeof untouched);
    TalvexSlotGeometry out = untouched;
    const int32_t destroyed = TALVEX_ControlCreate();
    TALVEX_ControlDestroy(destroyed);
    const struct {
        int32_t handle, slot;
        TalvexSlotGeometry* out;
        int32_t expected;
    } cases[] = {
        {0, 0, &out, kFail},         {-1, 0, &out, kFail},         {65536, 0, &out, kFail},
        {destroyed, 0, &out, kFail}, {handle, -1, &out, kBadSlot}, {handle, 3, &out, kBadSlot},
        {0, 3, nullptr, kFail},      {handle, 3, nullptr, kBadSlot}, {handle, 0, nullptr, kPointer},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(talvex_get_slot_geometry(c.handle, c.slot, c.out), c.expected) << c.handle << " " << c.slot;
        EXPECT_EQ(std::memcmp(&out, &untouched, sizeof out), 0) << "written on failure: " << c.handle;
    }
}

TEST_F(Native, PictureIsTheSnapshotAndThePaint) {
    // An odd width: BMP rows are padded, the picture's are not.
    ASSERT_EQ(TALVEX_ControlSize(handle, 211, 150), 0);
    TALVEX_ControlMove(handle, 0, 0, 211, 150, 0);
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    ASSERT_EQ(SetScript(1, "x = 4*cos(t)\ny = 4*sin(t)\nz = 3"), 0);
    ASSERT_EQ(SetScript(2, "x = 0-4\ny = 4\nz = 4"), 0);
    TALVEX_ControlSetIsometricView(handle);
    TALVEX_ControlSetBackgroundColor(handle, 0x102030);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0);

    const std::vector<uint32_t> painted = Paint();
    const std::vector<uint32_t> picture = Picture(211, 150);
    ASSERT_EQ(TALVEX_SaveBMP(handle, UniquePath(".bmp").c_str()), 0);
    const BmpPicture saved = BmpPicture::Load(UniquePath(".bmp"));
    std::remove(UniquePath(".bmp").c_str());

    ASSERT_EQ(saved.width, 211);
    ASSERT_EQ(saved.height, 150);
    EXPECT_TRUE(picture == saved.pixels) << "the picture is what SaveBMP writes";
    EXPECT_TRUE(picture == painted) << "and what a paint presents";
    EXPECT_TRUE(Presented() == picture) << "the picture's frame is presented";
    EXPECT_EQ(picture[0], 0x102030u) << "the background, as 0x00RRGGBB";
    EXPECT_GT(Count(picture, 0xFF0080) + Count(picture, 0xFF80C0), 1000) << "the surface";
    EXPECT_GT(Count(picture, 0x0080FF), 50) << "the curve";
    EXPECT_EQ(Count(picture, 0xD0D080), 1) << "the point";

    // The picture follows the view without a paint in between.
    TALVEX_ControlSetDefaultView(handle);
    EXPECT_TRUE(Picture(211, 150) != picture);
}

TEST_F(Native, PictureFailures) {
    const int32_t uninitialised = TALVEX_ControlCreate();
    std::vector<uint32_t> pixels(320 * 240, 0xDEADBEEF);
    const struct {
        int32_t handle;
        uint32_t* pixels;
        int32_t width, height;
        int32_t expected;
    } cases[] = {
        {0, pixels.data(), 320, 240, kFail},
        {-7, pixels.data(), 320, 240, kFail},
        {uninitialised, pixels.data(), 320, 240, kFail},
        {handle, nullptr, 320, 240, kPointer},
        {handle, pixels.data(), 321, 240, kInvalidArgument},
        {handle, pixels.data(), 320, 239, kInvalidArgument},
        {handle, pixels.data(), 240, 320, kInvalidArgument},
        {handle, pixels.data(), 0, 0, kInvalidArgument},
        {handle, pixels.data(), -320, -240, kInvalidArgument},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(talvex_render_picture(c.handle, c.pixels, c.width, c.height), c.expected)
            << c.handle << " " << c.width << " x " << c.height;
        EXPECT_EQ(Count(pixels, 0xDEADBEEF), 320 * 240) << "pixels written on failure";
    }
    TALVEX_ControlDestroy(uninitialised);
    EXPECT_EQ(talvex_render_picture(uninitialised, pixels.data(), 320, 240), kFail) << "destroyed";
    // A control sized 0 x 0 has no picture to hand out.
    ASSERT_EQ(TALVEX_ControlSize(handle, 0, 0), 0);
    EXPECT_EQ(talvex_render_picture(handle, pixels.data(), 0, 0), kInvalidArgument);
}

struct Angles {
    double x, y, z;
    bool operator==(const Angles& other) const { return x == other.x && y == other.y && z == other.z; }
    bool operator!=(const Angles& other) const { return !(*this == other); }
};

Angles ViewAngles(int32_t handle) {
    Angles angles{-1, -1, -1};
    EXPECT_EQ(talvex_get_view_angles(handle, &angles.x, &angles.y, &angles.z), 0);
    return angles;
}

TEST_F(Native, ViewAnglesAreWhatDragsAndPresetsMake) {
    EXPECT_EQ(ViewAngles(handle), (Angles{0, 0, 0}));
    ASSERT_EQ(TALVEX_ControlSetIsometricView(handle), 0);
    const Angles isometric = ViewAngles(handle);
    EXPECT_NEAR(isometric.x, 20, 1e-5);
    EXPECT_NEAR(isometric.y, -30, 1e-5);
    EXPECT_EQ(isometric.z, 0);

    // A drag and a turn by as many pixels leave the same bits.
    host.Send(child, kLeftButtonDown, 0x0001, PointParam(100, 100));
    host.Send(child, kMouseMove, 0x0001, PointParam(137, 89));
    host.Send(child, kLeftButtonUp, 0, PointParam(137, 89));
    const Angles dragged = ViewAngles(handle);
    EXPECT_NE(dragged, isometric);
    ASSERT_EQ(TALVEX_ControlSetIsometricView(handle), 0);
    ASSERT_EQ(talvex_turn_view(handle, 37, -11), 0);
    EXPECT_EQ(ViewAngles(handle), dragged);

    ASSERT_EQ(talvex_set_view_angles(handle, 45, -90, 10), 0);
    const Angles set = ViewAngles(handle);
    EXPECT_NEAR(set.x, 45, 1e-5);
    EXPECT_NEAR(set.y, -90, 1e-5);
    EXPECT_NEAR(set.z, 10, 1e-5);
    const std::vector<uint32_t> turned = Picture(320, 240);
    ASSERT_EQ(talvex_set_view_angles(handle, 0, 0, 0), 0);
    EXPECT_NE(Picture(320, 240), turned) << "the angles are drawn";
    ASSERT_EQ(talvex_set_view_angles(handle, 45, -90, 10), 0);
    EXPECT_EQ(Picture(320, 240), turned);
}

TEST_F(Native, ViewAngleAndHandednessFailures) {
    ASSERT_EQ(talvex_set_view_angles(handle, 1, 2, 3), 0);
    const Angles before = ViewAngles(handle);
    for (const double bad : {std::nan(""), double(INFINITY), -double(INFINITY), 1e300}) {
        EXPECT_EQ(talvex_set_view_angles(handle, 0, 0, bad), kInvalidArgument) << bad;
        EXPECT_EQ(talvex_set_view_angles(handle, bad, 0, 0), kInvalidArgument) << bad;
    }
    EXPECT_EQ(ViewAngles(handle), before) << "nothing changed";
    double x = 7, y = 7;
    EXPECT_EQ(talvex_get_view_angles(handle, &x, &y, nullptr), kPointer);
    EXPECT_EQ(x, 7) << "nothing written";
    int32_t leftHanded = 7;
    EXPECT_EQ(talvex_get_left_handed(handle, nullptr), kPointer);
    const int32_t stale = 4242;
    EXPECT_EQ(talvex_get_view_angles(stale, &x, &y, &x), kFail);
    EXPECT_EQ(talvex_set_view_angles(stale, 0, 0, 0), kFail);
    EXPECT_EQ(talvex_turn_view(stale, 1, 1), kFail);
    EXPECT_EQ(talvex_get_left_handed(stale, &leftHanded), kFail);
    EXPECT_EQ(leftHanded, 7);
}

TEST_F(Native, HandednessReadsBack) {
    int32_t leftHanded = -1;
    ASSERT_EQ(talvex_get_left_handed(handle, &leftHanded), 0);
    EXPECT_EQ(leftHanded, 0);
    TALVEX_ControlSetLeftHand(handle);
    ASSERT_EQ(talvex_get_left_handed(handle, &leftHanded), 0);
    EXPECT_EQ(leftHanded, 1);
    TALVEX_ControlSetRightHand(handle);
    ASSERT_EQ(talvex_get_left_handed(handle, &leftHanded), 0);
    EXPECT_EQ(leftHanded, 0);
}

TEST_F(Native, EachSlotTellsWhatItsCalculationFailedOn) {
    ASSERT_EQ(SetScript(0, "x = cos(t)"), 0);
    ASSERT_EQ(SetScript(1, "z = sin(x)"), 0);
    ASSERT_EQ(SetScript(2, "a = b\nb = a\nz = a"), 0);
    ASSERT_EQ(TALVEX_ControlCalculate(handle), 0) << "one slot was computed";
    const struct {
        int32_t code;
        const char* text;
    } expected[] = {{18, "script 1: more than two free variables: y, z, t"},
                    {0, ""},
                    {19, "script 3: 'a' and 'b' are defined in terms of each other"}};
    for (int slot = 0; slot < 3; ++slot) {
        int32_t code = -1;
        char text[128];
        std::memset(text, 'x', sizeof text);
        ASSERT_EQ(talvex_get_slot_error(handle, slot, &code, text, sizeof text), 0);
        EXPECT_EQ(code, expected[slot].code) << slot;
        EXPECT_STREQ(text, expected[slot].text) << slot;
    }
    int32_t code = -1;
    char cut[9];
    ASSERT_EQ(talvex_get_slot_error(handle, 2, &code, cut, sizeof cut), 0);
    EXPECT_STREQ(cut, "script 3") << "cut to fit, closed";
    ASSERT_EQ(talvex_get_slot_error(handle, 2, &code, nullptr, 0), 0) << "the code alone";
    EXPECT_EQ(code, 19);
    ASSERT_EQ(SetScript(2, "z = 1"), 0);
    ASSERT_EQ(talvex_get_slot_error(handle, 2, &code, nullptr, 0), 0);
    EXPECT_EQ(code, 0) << "a new script has no failure yet";
    EXPECT_EQ(talvex_get_slot_error(handle, 3, &code, nullptr, 0), kBadSlot);
    EXPECT_EQ(talvex_get_slot_error(handle, 0, nullptr, nullptr, 0), kPointer);
    EXPECT_EQ(talvex_get_slot_error(handle, 0, &code, cut, 0), kInvalidArgument);
    EXPECT_EQ(talvex_get_slot_error(4242, 0, &code, nullptr, 0), kFail);
}

TEST(NativeTexts, EveryCodeHasItsSentence) {
    struct Row {
        int32_t code;
        const char* text;
    };
#define TALVEX_TEST_ROW(name, value, text) {value, text},
    const Row rows[] = {TALVEX_RESULT_CODES(TALVEX_TEST_ROW) TALVEX_CALCULATION_CODES(TALVEX_TEST_ROW)
                            TALVEX_COMPILE_CODES(TALVEX_TEST_ROW)};
#undef TALVEX_TEST_ROW
    for (const Row& row : rows) {
        const char* text = talvex_error_text(row.code);
        ASSERT_NE(text, nullptr) << row.code;
        if (row.code == 0) continue;  // both "success" and "accepted"
        EXPECT_NE(std::strstr(text, row.text), nullptr) << row.code << ": " << text;
    }
    EXPECT_EQ(talvex_error_text(0), std::string("success"));
    EXPECT_EQ(talvex_error_text(12345), nullptr);
    EXPECT_EQ(talvex_error_text(-1), nullptr);
    EXPECT_EQ(std::string(talvex_version()), TALVEX_VERSION);
}

TEST(NativeCHost, ReadsGeometryAndPictureThroughTheCHeader) {
    int32_t kind = 0, vertexCount = 0, indexCount = 0, thirdIndex = -1;
    float lastX = 0;
    uint32_t firstPixel = 0;
    ASSERT_EQ(NativeCHostReads(&kind, &vertexCount, &indexCount, &lastX, &thirdIndex, &firstPixel), 1);
    EXPECT_EQ(kind, TALVEX_GRAPH_SURFACE);
    EXPECT_EQ(vertexCount, 9) << "3 x 3 samples";
    EXPECT_EQ(indexCount, 24) << "four cells of two triangles";
    EXPECT_EQ(lastX, 50.0f);
    EXPECT_EQ(thirdIndex, 3) << "the first triangle reaches into the second row";
    EXPECT_EQ(firstPixel, 0xFFFFFFu) << "the white background";
}

}  // namespace
