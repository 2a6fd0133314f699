// The chart look through the native interface: the style record and its
// refusals, the eye's angles, and what its pictures show (Linux only).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "chart_fixture.h"
#include "talvex_native.h"

namespace {

constexpr int32_t kInvalidArgument = static_cast<int32_t>(0x80070057u);
constexpr int32_t kPointer = static_cast<int32_t>(0x80004003u);
constexpr int32_t kWidth = 480, kHeight = 360;

int Channel(uint32_t color, int shift) { return static_cast<int>((color >> shift) & 0xFF); }

// Whether two colours are within tolerance of each other on every channel.
bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16})
        if (std::abs(Channel(a, shift) - Channel(b, shift)) > tolerance) return false;
    return true;
}

double Brightness(uint32_t color) { return (Channel(color, 16) + Channel(color, 8) + Channel(color, 0)) / 3.0; }

class ChartLook : public Chart {
protected:
    void SetUp() override {
        Chart::SetUp();
        ASSERT_EQ(TALVEX_ControlSize(handle, kWidth, kHeight), 0);
    }

    // The default style changed by the caller, then set; the refusal's code.
    int32_t SetStyle(const std::function<void(TalvexStyle&)>& change, std::string* why = nullptr) {
        TalvexStyle style;
        talvex_default_style(&style);
        style.look = TALVEX_LOOK_CHART;
        change(style);
        char text[256];
        std::memset(text, 'X', sizeof text);
        const int32_t result = talvex_set_style(handle, &style, text, sizeof text);
        if (why != nullptr) *why = text;
        return result;
    }

    TalvexStyle Style() {
        TalvexStyle style{};
        style.size = TALVEX_STYLE_SIZE;
        EXPECT_EQ(talvex_get_style(handle, &style), 0);
        return style;
    }

    std::vector<uint32_t> Picture() {
        std::vector<uint32_t> pixels(static_cast<size_t>(kWidth * kHeight));
        EXPECT_EQ(talvex_render_picture(handle, pixels.data(), kWidth, kHeight), 0);
        return pixels;
    }

    // The graph's pixels along the middle row, left to right: neither the
    // background nor a pane nor a grid line.
    static std::vector<uint32_t> GraphAcrossTheMiddle(const std::vector<uint32_t>& pixels) {
        std::vector<uint32_t> graph;
        const size_t row = static_cast<size_t>(kHeight / 2) * kWidth;
        for (size_t i = 0; i < static_cast<size_t>(kWidth); ++i) {
            const uint32_t color = pixels[row + i];
            const bool grey = Channel(color, 16) == Channel(color, 8) && Channel(color, 8) == Channel(color, 0) &&
                              Channel(color, 0) >= 0xC0;
            if (!grey) graph.push_back(color);
        }
        return graph;
    }

    // Straight down onto the x-y plane with x to the right and y up.
    void LookFromAbove() { ASSERT_EQ(talvex_set_view_angles(handle, 90.0, -90.0, 0.0), 0); }

    // The script's graph in the chart look as the change sets it, seen from
    // above, along the middle row; empty when the script or the style was
    // refused.
    std::vector<uint32_t> GraphFromAbove(const char* script, const std::function<void(TalvexStyle&)>& change) {
        if (SetScript(0, script) != 0 || SetStyle(change) != 0) return {};
        LookFromAbove();
        TALVEX_ControlCalculate(handle);
        return GraphAcrossTheMiddle(Picture());
    }
};

TEST_F(ChartLook, ControlsStartClassicAndTheStyleReadsBackAsSet) {
    const TalvexStyle first = Style();
    EXPECT_EQ(first.look, TALVEX_LOOK_CLASSIC);
    EXPECT_STREQ(first.colorMap, "viridis");
    EXPECT_EQ(first.colorBy, 2);
    EXPECT_EQ(first.samples, 1);
    EXPECT_STREQ(first.axisNames[2], "z");

    std::string why;
    ASSERT_EQ(SetStyle(
                  [](TalvexStyle& s) {
                      std::strcpy(s.colorMap, "magma");
                      std::strcpy(s.title, "Wellen \xCE\xB1\xCE\xB2 \xC3\xA9");  // Greek and Latin-1
                      std::strcpy(s.axisNames[0], "Zeit");
                      s.colorBy = 0;
                      s.equalAspect = 1;
                      s.textSize = 20;
                  },
                  &why),
              0);
    EXPECT_EQ(why, "");
    const TalvexStyle read = Style();
    EXPECT_EQ(read.look, TALVEX_LOOK_CHART);
    EXPECT_STREQ(read.colorMap, "magma");
    EXPECT_STREQ(read.title, "Wellen \xCE\xB1\xCE\xB2 \xC3\xA9");
    EXPECT_STREQ(read.axisNames[0], "Zeit");
    EXPECT_EQ(read.colorBy, 0);
    EXPECT_EQ(read.equalAspect, 1);
    EXPECT_EQ(read.textSize, 20.0);
}

TEST_F(ChartLook, RefusalsSayWhyAndChangeNothing) {
    const struct {
        const char* what;
        std::function<void(TalvexStyle&)> change;
        const char* words;
    } cases[] = {
        {"size", [](TalvexStyle& s) { s.size = 12; }, "size"},
        {"look", [](TalvexStyle& s) { s.look = 2; }, "look"},
        {"colour map", [](TalvexStyle& s) { std::strcpy(s.colorMap, "jet"); }, "unknown colour map 'jet'"},
        {"unclosed map", [](TalvexStyle& s) { std::memset(s.colorMap, 'a', sizeof s.colorMap); }, "closing 0"},
        {"coordinate", [](TalvexStyle& s) { s.colorBy = 3; }, "coordinate"},
        {"samples", [](TalvexStyle& s) { s.samples = 2; }, "samples"},
        {"text size", [](TalvexStyle& s) { s.textSize = std::nan(""); }, "text size"},
        {"tiny text", [](TalvexStyle& s) { s.textSize = 5; }, "text size"},
        {"title not UTF-8", [](TalvexStyle& s) { std::strcpy(s.title, "a\xC3("); }, "title is not UTF-8"},
        {"unclosed title", [](TalvexStyle& s) { std::memset(s.title, 'a', sizeof s.title); }, "title has no closing 0"},
        {"axis name", [](TalvexStyle& s) { std::strcpy(s.axisNames[1], "\xFF"); }, "axis y is not UTF-8"},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_EQ(SetStyle(c.change, &why), kInvalidArgument) << c.what;
        EXPECT_NE(why.find(c.words), std::string::npos) << c.what << ": " << why;
        EXPECT_EQ(Style().look, TALVEX_LOOK_CLASSIC) << c.what << " changed the style";
    }
    TalvexStyle style;
    talvex_default_style(&style);
    char text[4];
    EXPECT_EQ(talvex_set_style(handle, nullptr, text, sizeof text), kPointer);
    EXPECT_EQ(talvex_set_style(handle, &style, text, 0), kInvalidArgument);
    EXPECT_EQ(talvex_get_style(handle, nullptr), kPointer);
    style.size = 8;
    EXPECT_EQ(talvex_get_style(handle, &style), kInvalidArgument);
    // A sentence cut to the host's buffer keeps its closing 0.
    style.size = TALVEX_STYLE_SIZE;
    style.look = 7;
    EXPECT_EQ(talvex_set_style(handle, &style, text, sizeof text), kInvalidArgument);
    EXPECT_EQ(std::strlen(text), 3u);
}

TEST_F(ChartLook, TheEyeTurnsAboutZAndIsHeldAtThePoles) {
    double elevation = 0, azimuth = 0, roll = 0;
    TALVEX_ControlSetDefaultView(handle);
    ASSERT_EQ(talvex_turn_view(handle, 30, 0), 0);  // turns the classic view only
    ASSERT_EQ(SetStyle([](TalvexStyle&) {}), 0);
    ASSERT_EQ(talvex_get_view_angles(handle, &elevation, &azimuth, &roll), 0);
    EXPECT_EQ(elevation, 30.0);
    EXPECT_EQ(azimuth, -60.0);

    const struct {
        int right, down;
        double elevation, azimuth;
    } drags[] = {
        {10, 0, 30.0, -65.0},     // right lowers the azimuth, half a degree a pixel
        {0, 20, 40.0, -65.0},     // down raises the eye
        {0, 500, 90.0, -65.0},    // held at the pole
        {0, -1000, -90.0, -65.0},
        {-250, 0, -90.0, 60.0},
        {-300, 0, -90.0, -150.0},  // the azimuth stays within -180 .. 180
    };
    for (const auto& d : drags) {
        ASSERT_EQ(talvex_turn_view(handle, d.right, d.down), 0);
        ASSERT_EQ(talvex_get_view_angles(handle, &elevation, &azimuth, &roll), 0);
        EXPECT_DOUBLE_EQ(elevation, d.elevation) << d.right << "," << d.down;
        EXPECT_DOUBLE_EQ(azimuth, d.azimuth) << d.right << "," << d.down;
    }
    ASSERT_EQ(talvex_set_view_angles(handle, 120.0, 370.0, 0.0), 0);
    ASSERT_EQ(talvex_get_view_angles(handle, &elevation, &azimuth, &roll), 0);
    EXPECT_EQ(elevation, 90.0);
    EXPECT_DOUBLE_EQ(azimuth, 10.0);
    EXPECT_EQ(talvex_set_view_angles(handle, std::nan(""), 0.0, 0.0), kInvalidArgument);
    TALVEX_ControlSetIsometricView(handle);
    ASSERT_EQ(talvex_get_view_angles(handle, &elevation, &azimuth, &roll), 0);
    EXPECT_EQ(elevation, 30.0);
    EXPECT_EQ(azimuth, -60.0);

    // The classic look kept its own turn.
    ASSERT_EQ(SetStyle([](TalvexStyle& s) { s.look = TALVEX_LOOK_CLASSIC; }), 0);
    TALVEX_ControlSetDefaultView(handle);
    ASSERT_EQ(talvex_turn_view(handle, 30, 0), 0);
    ASSERT_EQ(talvex_get_view_angles(handle, &elevation, &azimuth, &roll), 0);
    EXPECT_NEAR(azimuth, 15.0, 0.1) << "about y in the classic look";
}

// Seen from above with no light, a plane that rises along x is the colour
// map from left to right: its lowest edge viridis' first colour, its middle
// the map's middle, its highest edge the last; matplotlib's published table.
TEST_F(ChartLook, ColourFollowsTheHeightThroughTheMap) {
    const std::vector<uint32_t> graph = GraphFromAbove("z = x", [](TalvexStyle& s) {
        s.lighting = 0;
        s.colorBar = 0;
        s.axes = 0;
    });
    ASSERT_GT(graph.size(), 100u);
    EXPECT_TRUE(Near(graph.front(), 0x440154, 6)) << std::hex << graph.front();
    EXPECT_TRUE(Near(graph[graph.size() / 2], 0x21918C, 6)) << std::hex << graph[graph.size() / 2];
    EXPECT_TRUE(Near(graph.back(), 0xFDE725, 6)) << std::hex << graph.back();

    // One colour for the whole slot when asked: slot 0's own pink.
    ASSERT_EQ(SetStyle([](TalvexStyle& s) {
                  s.lighting = 0;
                  s.axes = 0;
                  std::strcpy(s.colorMap, "slot");
              }),
              0);
    const std::vector<uint32_t> flat = GraphAcrossTheMiddle(Picture());
    ASSERT_GT(flat.size(), 100u);
    for (uint32_t color : flat) ASSERT_EQ(color, 0xFF0080u) << std::hex << color;
}

// A ridge along y seen from above: the light comes from the upper left, so
// the slope that faces left is the brighter one, on a map whose colours are
// the same on both slopes.
TEST_F(ChartLook, TheSlopeFacingTheLightIsBrighter) {
    const std::vector<uint32_t> graph = GraphFromAbove("z = -abs(x)", [](TalvexStyle& s) {
        std::strcpy(s.colorMap, "grey");
        s.colorBar = 0;
        s.axes = 0;
    });
    ASSERT_GT(graph.size(), 100u);
    double left = 0, right = 0;
    const size_t half = graph.size() / 2;
    for (size_t i = 0; i < half; ++i) {
        left += Brightness(graph[i]);
        right += Brightness(graph[graph.size() - 1 - i]);
    }
    EXPECT_GT(left / half, right / half + 10.0);
}

// Each axis spans what the slot computed: seen from above, a surface over
// the whole x-y range hides the floor and its grid completely, and the box
// stays inside the picture from every direction.
TEST_F(ChartLook, TheBoxFitsTheGraphAndThePicture) {
    ASSERT_EQ(SetScript(0, "z = 0.5 + x*y/100"), 0);
    ASSERT_EQ(SetStyle([](TalvexStyle&) {}), 0);
    LookFromAbove();
    TALVEX_ControlCalculate(handle);
    std::vector<uint32_t> pixels = Picture();
    const auto panes = std::count(pixels.begin(), pixels.end(), 0xF2F2F2u);
    EXPECT_EQ(panes, 0) << "the floor shows beside the surface";

    for (double azimuth = -180; azimuth < 180; azimuth += 10)
        for (double elevation : {-90.0, -45.0, 0.0, 30.0, 90.0}) {
            ASSERT_EQ(talvex_set_view_angles(handle, elevation, azimuth, 0.0), 0);
            pixels = Picture();
            for (int32_t x = 0; x < kWidth; ++x)
                for (int32_t y : {0, kHeight - 1})
                    ASSERT_EQ(pixels[static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)], 0xFFFFFFu)
                        << "the edge of the picture at " << azimuth << ", " << elevation;
        }
}

// Switching looks keeps the scripts' geometry: the classic picture after a
// chart picture is the classic picture before it.
TEST_F(ChartLook, TheClassicPictureComesBackUnchanged) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    ASSERT_EQ(SetScript(1, "x = cos(t)\ny = sin(t)\nz = t/5"), 0);
    ASSERT_EQ(SetScript(2, "x = 1\ny = 0\nz = 0.5"), 0);
    TALVEX_ControlCalculate(handle);
    TALVEX_ControlSetIsometricView(handle);
    const std::vector<uint32_t> classic = Picture();
    ASSERT_EQ(SetStyle([](TalvexStyle&) {}), 0);
    const std::vector<uint32_t> chart = Picture();
    EXPECT_NE(chart, classic);
    ASSERT_EQ(SetStyle([](TalvexStyle& s) { s.look = TALVEX_LOOK_CLASSIC; }), 0);
    EXPECT_EQ(Picture(), classic);
}

// One colour on white: with one sample per pixel every pixel is one or the
// other; with four the edges hold mixtures between them, and the inside is
// still exactly the colour.
TEST_F(ChartLook, FourSamplesSmoothTheEdgesAndOneDoesNot) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    TALVEX_ControlCalculate(handle);
    for (int32_t samples : {1, 4, 1}) {
        ASSERT_EQ(SetStyle([samples](TalvexStyle& s) {
                      s.samples = samples;
                      s.lighting = 0;
                      s.axes = 0;
                      std::strcpy(s.colorMap, "slot");
                  }),
                  0);
        EXPECT_EQ(Style().samples, samples);
        const std::vector<uint32_t> pixels = Picture();
        int pink = 0, between = 0;
        for (uint32_t color : pixels) {
            if (color == 0xFF0080u) ++pink;
            else if (color != 0xFFFFFFu) ++between;
        }
        EXPECT_GT(pink, 10000) << samples;
        if (samples == 1) EXPECT_EQ(between, 0);
        else EXPECT_GT(between, 300);
    }
}

// A back buffer of 4 samples per pixel too wide for the device: the style is
// refused with the device's code and its reason, and the chart goes on
// drawing with one sample, at that size and after another.
TEST_F(ChartLook, SamplesTheDeviceCannotHoldLeaveTheChartDrawing) {
    constexpr int32_t kWide = 8200, kLow = 16;
    ASSERT_EQ(TALVEX_ControlSize(handle, kWide, kLow), 0);
    std::string why;
    EXPECT_NE(SetStyle([](TalvexStyle& s) { s.samples = 4; }, &why), 0);
    EXPECT_NE(why.find("samples per pixel"), std::string::npos) << why;
    EXPECT_EQ(Style().samples, 1);
    EXPECT_EQ(Style().look, TALVEX_LOOK_CLASSIC) << "nothing of the refused style was taken";
    std::vector<uint32_t> wide(static_cast<size_t>(kWide * kLow));
    EXPECT_EQ(talvex_render_picture(handle, wide.data(), kWide, kLow), 0);
    ASSERT_EQ(TALVEX_ControlSize(handle, kWidth, kHeight), 0);
    Picture();
    ASSERT_EQ(SetStyle([](TalvexStyle& s) { s.samples = 4; }), 0);
    EXPECT_EQ(Style().samples, 4);
    Picture();
}

// The text, the colour bar and the graph are the same pixels whatever the
// number of threads that draw them; and the words are there: dark pixels
// left of the box where the z axis's numbers stand.
TEST_F(ChartLook, OneThreadAndEightDrawTheSamePicture) {
    ASSERT_EQ(SetScript(0, "z = sin(x)*cos(y)"), 0);
    ASSERT_EQ(SetStyle([](TalvexStyle& s) { std::strcpy(s.title, "\xCE\xA3 sin(x)\xC2\xB7" "cos(y) \xE4\xB8\xAD"); }), 0);
    TALVEX_ControlCalculate(handle);
    ASSERT_EQ(talvex_set_render_threads(1), 0);
    const std::vector<uint32_t> one = Picture();
    ASSERT_EQ(talvex_set_render_threads(8), 0);
    const std::vector<uint32_t> eight = Picture();
    ASSERT_EQ(talvex_set_render_threads(0), 0);
    EXPECT_EQ(one, eight);
    int dark = 0;
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth / 8; ++x) dark += Brightness(one[static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)]) < 100 ? 1 : 0;
    EXPECT_GT(dark, 50);
}

}  // namespace
