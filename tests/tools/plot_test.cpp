// Runs the talvex-plot program as a user would.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct PlotRun {
    int status;
    std::string errors;
    std::vector<unsigned char> picture;
};

std::string Temp(const std::string& name) { return ::testing::TempDir() + name; }

PlotRun Plot(const std::string& arguments) {
    const std::string picture = Temp("plot_test.bmp"), errors = Temp("plot_test.err");
    std::remove(picture.c_str());
    const std::string command = std::string(TALVEX_PLOT) + " " + arguments + " 2>" + errors;
    const int raw = std::system(command.c_str());
    PlotRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, "", {}};
    std::ifstream err(errors);
    run.errors.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
    std::ifstream in(picture, std::ios::binary);
    run.picture.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return run;
}

uint32_t Pixel(const std::vector<unsigned char>& bmp, int x, int y) {
    const int width = bmp[18] | (bmp[19] << 8), height = bmp[22] | (bmp[23] << 8);
    const int row = (3 * width + 3) & ~3;
    const size_t at = 54 + static_cast<size_t>((height - 1 - y) * row + 3 * x);
    return (bmp[at + 2] << 16) | (bmp[at + 1] << 8) | bmp[at];
}

int Count(const std::vector<unsigned char>& bmp, uint32_t color) {
    const int width = bmp[18] | (bmp[19] << 8), height = bmp[22] | (bmp[23] << 8);
    int n = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) n += Pixel(bmp, x, y) == color;
    return n;
}

const std::string kOut = "-o " + Temp("plot_test.bmp");

TEST(TalvexPlot, DefaultChart) {
    const PlotRun run = Plot(kOut);
    ASSERT_EQ(run.status, 0) << run.errors;
    ASSERT_EQ(run.picture.size(), 230456u);
    EXPECT_EQ(Pixel(run.picture, 0, 0), 0xFFFFFFu);
    EXPECT_GT(Count(run.picture, 0xFF0080), 1000) << "the built-in surface";
}

TEST(TalvexPlot, EachOption) {
    const struct {
        std::string arguments;
        std::string what;
        bool (*check)(const std::vector<unsigned char>&);
    } cases[] = {
        {"--size 200x100", "200 x 100", [](const auto& b) { return b.size() == 54 + 100 * 600u + 2; }},
        {"--background 102030 --no-points --no-axes -e 'z = 100'", "background only",
         [](const auto& b) { return Count(b, 0x102030) == 320 * 240; }},
        {"--point-color 00FF00", "green grid", [](const auto& b) { return Count(b, 0x00FF00) > 400; }},
        {"--wireframe", "edges only", [](const auto& b) { return Count(b, 0xFF80C0) == 0 && Count(b, 0xFF0080) > 300; }},
        {"--left-handed --view default --no-points --no-axes", "the half-bright side",
         [](const auto& b) { return Count(b, 0x7F0040) > 1000; }},
        {"--view default --no-axes -e 'z = 100' --zoom 100", "grid twice as wide",
         [](const auto& b) {
             // At zoom 1 the grid's leftmost column stands near x = 100; twice as wide, near x = 40.
             bool farLeft = false;
             for (int y = 0; y < 240; ++y)
                 for (int x = 30; x < 50; ++x) farLeft = farLeft || Pixel(b, x, y) == 0;
             return farLeft && Pixel(b, 2, 120) == 0xFFFFFF && Count(b, 0) > 300;
         }},
        {"--turn 40,0 --view default --no-points --no-axes", "turned", [](const auto& b) { return Count(b, 0x7F0040) == 0 && Count(b, 0xFF0080) > 500; }},
        {"-e 'x = cos(t)\ny = sin(t)\nz = t/5' -e 'x = 1;y = 1;z = 1'", "curve and point",
         [](const auto& b) { return Count(b, 0xFF0080) > 50 && Count(b, 0x0080FF) == 1; }},
    };
    for (const auto& c : cases) {
        const PlotRun run = Plot(c.arguments + " " + kOut);
        ASSERT_EQ(run.status, 0) << c.arguments << ": " << run.errors;
        ASSERT_GT(run.picture.size(), 54u) << c.arguments;
        EXPECT_TRUE(c.check(run.picture)) << c.what << ": " << c.arguments;
    }
}

TEST(TalvexPlot, ScriptFilesWithEitherLineEnd) {
    const std::string lf = Temp("plot_lf.txt"), crlf = Temp("plot_crlf.txt");
    std::ofstream(lf) << "x = cos(t)\ny = sin(t)\nz = t/5\n";
    std::ofstream(crlf) << "x = cos(t)\r\ny = sin(t)\r\nz = t/5\r\n";
    const PlotRun a = Plot(lf + " " + kOut), b = Plot(crlf + " " + kOut);
    ASSERT_EQ(a.status, 0) << a.errors;
    ASSERT_EQ(b.status, 0) << b.errors;
    EXPECT_EQ(a.picture, b.picture);
    EXPECT_GT(Count(a.picture, 0xFF0080), 50) << "the curve";
}

TEST(TalvexPlot, FailingScriptNamesScriptLineAndWhat) {
    const PlotRun run = Plot("-e 'z = x' -e 'a = 1\nb = 2\nc = +' " + kOut);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("script 2, line 3: "), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("empty expression"), std::string::npos) << run.errors;
    EXPECT_TRUE(run.picture.empty()) << "no picture";
    const PlotRun unknown = Plot("-e 'z = foo(x)' " + kOut);
    EXPECT_NE(unknown.errors.find("script 1, line 1: an unknown function"), std::string::npos) << unknown.errors;
}

TEST(TalvexPlot, BadCommandLines) {
    for (const char* arguments : {"", "--size 0x10 -o x.bmp", "--zoom 101 -o x.bmp", "--view top -o x.bmp",
                                  "--background red -o x.bmp", "--bogus -o x.bmp", "missing-file.txt -o x.bmp",
                                  "-e 'z=1' -e 'z=1' -e 'z=1' -e 'z=1' -o x.bmp"}) {
        const PlotRun run = Plot(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_FALSE(run.errors.empty()) << arguments;
    }
    EXPECT_EQ(Plot("--help").status, 0);
}

}  // namespace
