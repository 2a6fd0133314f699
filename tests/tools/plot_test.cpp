// Runs the talvex-plot program as a user would.
#include <gtest/gtest.h>

#include "../api/bmp_picture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct PlotRun {
    int status;
    std::string errors;
    std::vector<unsigned char> picture;
    BmpPicture bmp;  // the picture decoded, when it is a BMP
};

// A file name of the running test's own: the tests run side by side, and
// other test processes may run the same test at the same time.
std::string Temp(const std::string& name) {
    return ::testing::TempDir() + "plot_" + std::to_string(getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" + name;
}

// Each test process removes the files of its own when it ends.
class RemoveTemporaries : public ::testing::Environment {
public:
    void TearDown() override {
        const std::string prefix = "plot_" + std::to_string(getpid()) + "_";
        for (const auto& entry : std::filesystem::directory_iterator(::testing::TempDir()))
            if (entry.path().filename().string().rfind(prefix, 0) == 0) std::filesystem::remove(entry.path());
    }
};
const auto* const kRemoveTemporaries = ::testing::AddGlobalTestEnvironment(new RemoveTemporaries);

// The picture every run writes, and its option.
std::string OutPath() { return Temp("out.bmp"); }
std::string Out() { return "-o " + OutPath(); }

PlotRun Plot(const std::string& arguments) {
    const std::string picture = OutPath(), errors = Temp("errors.txt");
    std::remove(picture.c_str());
    const std::string command = std::string(TALVEX_PLOT) + " " + arguments + " 2>" + errors;
    const int raw = std::system(command.c_str());
    PlotRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, "", {}, {}};
    std::ifstream err(errors);
    run.errors.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
    std::ifstream in(picture, std::ios::binary);
    run.picture.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    run.bmp = BmpPicture::Decode(run.picture);
    return run;
}

// Without options: the built-in surface in the chart look (white around it,
// the shaded panes behind it, coloured through viridis from its dark violet
// to its yellow); --style classic gives the control's own picture.
TEST(TalvexPlot, DefaultChart) {
    const PlotRun run = Plot(Out());
    ASSERT_EQ(run.status, 0) << run.errors;
    ASSERT_EQ(run.picture.size(), 230456u);
    EXPECT_EQ(run.bmp.At(0, 0), 0xFFFFFFu);
    EXPECT_GT(run.bmp.Count(0xF2F2F2), 1000) << "the panes";
    EXPECT_EQ(run.bmp.Count(0xFF0080), 0) << "no chessboard";
    const auto near = [&](uint32_t colour) {
        int n = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                const uint32_t p = run.bmp.At(x, y);
                int distance = 0;
                for (int shift : {0, 8, 16}) distance += std::abs(int((p >> shift) & 0xFF) - int((colour >> shift) & 0xFF));
                n += distance < 40;
            }
        return n;
    };
    EXPECT_GT(near(0xFDE725), 50) << "viridis' yellow at the tops";
    EXPECT_GT(near(0x440154), 50) << "viridis' violet in the troughs";

    const PlotRun classic = Plot("--style classic " + Out());
    ASSERT_EQ(classic.status, 0) << classic.errors;
    EXPECT_EQ(classic.bmp.At(0, 0), 0xFFFFFFu);
    EXPECT_GT(classic.bmp.Count(0xFF0080), 1000) << "the built-in surface's chessboard";
}

TEST(TalvexPlot, EachOption) {
    const struct {
        std::string arguments;
        std::string what;
        bool (*check)(const PlotRun&);
    } cases[] = {
        {"--size 200x100", "200 x 100", [](const PlotRun& b) { return b.picture.size() == 54 + 100 * 600u + 2; }},
        {"--size 16384x8", "the largest side", [](const PlotRun& b) { return b.picture.size() == 54 + 8 * 49152u + 2; }},
        {"--style classic --background 102030 --no-points --no-axes -e 'z = 100'", "background only",
         [](const PlotRun& b) { return b.bmp.Count(0x102030) == 320 * 240; }},
        {"--style classic --point-color 00FF00", "green grid", [](const PlotRun& b) { return b.bmp.Count(0x00FF00) > 400; }},
        {"--style classic --wireframe", "edges only", [](const PlotRun& b) { return b.bmp.Count(0xFF80C0) == 0 && b.bmp.Count(0xFF0080) > 300; }},
        {"--style classic --left-handed --view default --no-points --no-axes", "the half-bright side",
         [](const PlotRun& b) { return b.bmp.Count(0x7F0040) > 1000; }},
        {"--style classic --view default --no-axes -e 'z = 100' --zoom 100", "grid twice as wide",
         [](const PlotRun& b) {
             // At zoom 1 the grid's leftmost column stands near x = 100; twice as wide, near x = 40.
             bool farLeft = false;
             for (int y = 0; y < 240; ++y)
                 for (int x = 30; x < 50; ++x) farLeft = farLeft || b.bmp.At(x, y) == 0;
             return farLeft && b.bmp.At(2, 120) == 0xFFFFFF && b.bmp.Count(0) > 300;
         }},
        {"--style classic --turn 40,0 --view default --no-points --no-axes", "turned", [](const PlotRun& b) { return b.bmp.Count(0x7F0040) == 0 && b.bmp.Count(0xFF0080) > 500; }},
        {"--style classic -e 'x = cos(t)\ny = sin(t)\nz = t/5' -e 'x = 1;y = 1;z = 1'", "curve and point",
         [](const PlotRun& b) { return b.bmp.Count(0xFF0080) > 50 && b.bmp.Count(0x0080FF) == 1; }},
        {"-e 'x = cos(t)\ny = sin(t)\nz = t/5' -e 'x = 1;y = 1;z = 1'", "the chart look's curve and point disc",
         [](const PlotRun& b) { return b.bmp.Count(0xFF0080) > 50 && b.bmp.Count(0x0080FF) > 4; }},
        {"--size 16384x8 --style chart", "too wide for 4 samples: drawn with one",
         [](const PlotRun& b) { return b.picture.size() == 54 + 8 * 49152u + 2; }},
    };
    for (const auto& c : cases) {
        const PlotRun run = Plot(c.arguments + " " + Out());
        ASSERT_EQ(run.status, 0) << c.arguments << ": " << run.errors;
        ASSERT_GT(run.picture.size(), 54u) << c.arguments;
        EXPECT_TRUE(c.check(run)) << c.what << ": " << c.arguments;
    }
}

TEST(TalvexPlot, ScriptFilesWithEitherLineEnd) {
    const std::string lf = Temp("lf.txt"), crlf = Temp("crlf.txt");
    std::ofstream(lf) << "x = cos(t)\ny = sin(t)\nz = t/5\n";
    std::ofstream(crlf) << "x = cos(t)\r\ny = sin(t)\r\nz = t/5\r\n";
    const PlotRun a = Plot(lf + " " + Out()), b = Plot(crlf + " " + Out());
    ASSERT_EQ(a.status, 0) << a.errors;
    ASSERT_EQ(b.status, 0) << b.errors;
    EXPECT_EQ(a.picture, b.picture);
    EXPECT_GT(a.bmp.Count(0xFF0080), 50) << "the curve";
}

// A grid coarser than the script asked for is drawn and told, not hidden.
TEST(TalvexPlot, AReducedGridIsTold) {
    const PlotRun surface = Plot("-e 'xgrid = 1000\nygrid = 1000\nz = x' -e 'x = t\ny = t\nz = t\ntgrid = 50000' " + Out());
    ASSERT_EQ(surface.status, 0) << surface.errors;
    EXPECT_NE(surface.errors.find("script 1: its grid of 1000 x 1000 cells was reduced to 70 x 141 (a slot holds at most 10000 cells)"), std::string::npos)
        << surface.errors;
    EXPECT_NE(surface.errors.find("script 2: its grid of 50000 steps was reduced to 10000"), std::string::npos)
        << surface.errors;
    const PlotRun plain = Plot("-e 'xgrid = 100\nygrid = 100\nz = x' " + Out());
    ASSERT_EQ(plain.status, 0);
    EXPECT_EQ(plain.errors, "") << "a grid within a slot is drawn as asked, silently";
}

TEST(TalvexPlot, FailingScriptNamesScriptLineAndWhat) {
    const PlotRun run = Plot("-e 'z = x' -e 'a = 1\nb = 2\nc = +' " + Out());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("script 2, line 3: "), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("empty expression"), std::string::npos) << run.errors;
    EXPECT_TRUE(run.picture.empty()) << "no picture";
    const PlotRun unknown = Plot("-e 'z = foo(x)' " + Out());
    EXPECT_NE(unknown.errors.find("script 1, line 1: an unknown function"), std::string::npos) << unknown.errors;
}

// A .npy file as numpy writes one: version 1.0, the header padded to 64
// bytes, then the elements.
void WriteNpy(const std::string& path, const std::string& descr, const std::string& shape, const std::string& elements,
              bool fortran = false) {
    std::string header = "{'descr': '" + descr + "', 'fortran_order': " + (fortran ? "True" : "False") +
                         ", 'shape': " + shape + ", }";
    header.append(64 - (10 + header.size() + 1) % 64, ' ');
    header += '\n';
    std::ofstream out(path, std::ios::binary);
    out << "\x93NUMPY" << '\x01' << '\x00' << static_cast<char>(header.size() & 0xFF)
        << static_cast<char>(header.size() >> 8) << header << elements;
}

template <typename T>
std::string Bytes(std::initializer_list<T> values) {
    std::string bytes;
    for (T value : values) bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    return bytes;
}

// Data files into slots, in the order given, mixed with scripts: what each
// good file draws (the slot's geometry through a mesh), what each bad one
// says and the exit status (2 for a file that is no table, 1 for a table the
// chart cannot draw).
TEST(TalvexPlot, DataFiles) {
    const std::string matrix = Temp("m.txt"), csv = Temp("m.csv"), nonuniform = Temp("nu.txt"), f8 = Temp("f8.npy"),
                      i4 = Temp("i4.npy"), cloud = Temp("cloud.txt"), f4 = Temp("f4.npy"), xs = Temp("x.txt");
    std::ofstream(matrix) << "# heights\n0.1 2 3\n4 nan 6\n\n7 8 1e-300\n";
    std::ofstream(csv) << "1,2,3\r\n4,,6\r\n";
    std::ofstream(nonuniform) << "# nonuniform matrix\n3 0 1 5\n-1 1 2 3\n1 4 5 6\n";
    WriteNpy(f8, "<f8", "(2, 2)", Bytes<double>({1, 2, 3, 4}));
    WriteNpy(i4, "<i4", "(2, 3)", Bytes<int32_t>({1, 2, 3, 4, 5, 6}));
    std::ofstream(cloud) << "0 0 0\n1 2 3\n# a comment\n4 5 6\n";
    WriteNpy(f4, "<f4", "(3, 3)", Bytes<float>({0, 0, 0, 1, 1, 1, 2, 0, 1}));
    std::ofstream(xs) << "10 20 30\n";
    const std::string mesh = Temp("mesh.obj");
    const struct {
        std::string arguments;
        int vertices;  // "v " lines of the mesh: the values that are not holes
        std::array<double, 3> first;  // the mesh's first vertex: the data's own values, to the digit
    } good[] = {
        {"--data " + matrix, 8, {0, 0, 0.1}},  // the hole left out
        {"--data " + csv, 5, {0, 0, 1}},
        {"--data " + nonuniform, 6, {0, -1, 1}},
        {"--data " + f8, 4, {0, 0, 1}},
        {"--data " + i4 + " --data-x " + xs, 6, {10, 0, 1}},
        {"--points " + cloud, 3, {0, 0, 0}},
        {"--curve " + f4, 3, {0, 0, 0}},
    };
    for (const auto& c : good) {
        const PlotRun run = Plot(c.arguments + " --mesh " + mesh + " " + Out());
        ASSERT_EQ(run.status, 0) << c.arguments << ": " << run.errors;
        std::ifstream in(mesh);
        std::string line, first;
        int vertices = 0;
        while (std::getline(in, line))
            if (line.rfind("v ", 0) == 0 && vertices++ == 0) first = line;
        EXPECT_EQ(vertices, c.vertices) << c.arguments;
        std::array<double, 3> read{};
        ASSERT_EQ(std::sscanf(first.c_str(), "v %lf %lf %lf", &read[0], &read[1], &read[2]), 3) << first;
        for (int axis = 0; axis < 3; ++axis) EXPECT_EQ(read[axis], c.first[axis]) << c.arguments << ": " << first;
    }
    // A script and data in one chart: each keeps its slot.
    const PlotRun mixed = Plot("-e 'z = x' --points " + cloud + " --mesh " + mesh + " " + Out());
    ASSERT_EQ(mixed.status, 0) << mixed.errors;
    std::ifstream in(mesh);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const size_t cloudAt = text.find("o slot1\n");
    ASSERT_NE(cloudAt, std::string::npos) << text;
    EXPECT_NE(text.find("p 442\np 443\np 444", cloudAt), std::string::npos) << "the cloud's points after slot 0's 21 x 21";

    const std::string word = Temp("word.txt"), ragged = Temp("ragged.txt"), fortran = Temp("fortran.npy"),
                      cube = Temp("cube.npy"), text4 = Temp("four.txt"), holes = Temp("holes.txt");
    std::ofstream(word) << "1 2 3\n4 five 6\n";
    std::ofstream(ragged) << "1 2 3\n4 5\n";
    WriteNpy(fortran, "<f8", "(2, 2)", Bytes<double>({1, 2, 3, 4}), true);
    WriteNpy(cube, "<f8", "(1, 1, 1)", Bytes<double>({1}));
    std::ofstream(text4) << "1 2 3 4\n";
    std::ofstream(holes) << "nan nan\nnan nan\n";
    const struct {
        std::string arguments;
        int status;
        std::string words;
    } bad[] = {
        {"--data " + word, 2, word + ", line 2, column 3: 'five' is not a number"},
        {"--data " + ragged, 2, ragged + ": line 2 has 2 values, the rows above 3"},
        {"--data " + fortran, 2, "Fortran order"},
        {"--data " + cube, 2, "a .npy of 3 dimensions"},
        {"--data " + Temp("missing.txt"), 2, "cannot read"},
        {"--points " + text4, 1, "4 values a row; x y z rows have 3"},
        {"--data " + matrix + " --data-x " + cloud, 1, "9 values for the 3 columns"},
        {"--data-x " + xs + " --data " + matrix, 2, "--data-x follows the --data it gives coordinates to"},
        {"--data " + holes, 1, "has nothing to draw"},
    };
    for (const auto& c : bad) {
        const PlotRun run = Plot(c.arguments + " " + Out());
        EXPECT_EQ(run.status, c.status) << c.arguments << ": " << run.errors;
        EXPECT_NE(run.errors.find(c.words), std::string::npos) << c.arguments << ": " << run.errors;
    }
}

TEST(TalvexPlot, BadCommandLines) {
    for (const char* arguments : {"", "--size 0x10 -o x.bmp", "--zoom 101 -o x.bmp", "--view top -o x.bmp",
                                  "--background red -o x.bmp", "--bogus -o x.bmp", "missing-file.txt -o x.bmp",
                                  "-e 'z=1' -e 'z=1' -e 'z=1' -e 'z=1' -o x.bmp", "--size 16385x8 -o x.bmp",
                                  "--size 16384x8 --samples 4 -o x.bmp", "--colormap jet -o x.bmp",
                                  "--style fancy -o x.bmp", "--azimuth 30 --style classic -o x.bmp"}) {
        const PlotRun run = Plot(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_FALSE(run.errors.empty()) << arguments;
    }
    EXPECT_EQ(Plot("--help").status, 0);
}

}  // namespace

#include <png.h>

namespace {

// Decodes a PNG through libpng into 0x00RRGGBB pixels.
bool DecodePng(const std::string& path, int& width, int& height, std::vector<uint32_t>& pixels) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return false;
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    pixels.resize(static_cast<size_t>(width * height));
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (static_cast<uint32_t>(rgb[3 * i]) << 16) | (rgb[3 * i + 1] << 8) | rgb[3 * i + 2];
    return true;
}

TEST(TalvexPlot, PngHoldsTheBmpsPixels) {
    const std::string png = Temp("out.png");
    std::remove(png.c_str());
    const PlotRun bmp = Plot("--size 210x150 -e 'z = x*y/5' -e 'x = 3*cos(t);y = 3*sin(t);z = 1' " + Out());
    ASSERT_EQ(bmp.status, 0) << bmp.errors;
    ASSERT_EQ(Plot("--size 210x150 -e 'z = x*y/5' -e 'x = 3*cos(t);y = 3*sin(t);z = 1' -o " + png).status, 0);
    int width = 0, height = 0;
    std::vector<uint32_t> decoded;
    ASSERT_TRUE(DecodePng(png, width, height, decoded));
    ASSERT_EQ(width, 210);
    ASSERT_EQ(height, 150);
    int differ = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) differ += decoded[static_cast<size_t>(y * width + x)] != bmp.bmp.At(x, y);
    EXPECT_EQ(differ, 0);
    std::FILE* leftover = std::fopen((png + ".snapshot.bmp").c_str(), "rb");
    EXPECT_EQ(leftover, nullptr) << "no temporary file is left";
    if (leftover != nullptr) std::fclose(leftover);
    std::remove(png.c_str());
}

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

int CountPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
    int n = 0;
    for (const std::string& line : lines) n += line.compare(0, prefix.size(), prefix) == 0;
    return n;
}

TEST(TalvexPlot, MeshExports) {
    const std::string obj = Temp("mesh.obj"), stl = Temp("mesh.stl");
    ASSERT_EQ(Plot("-e 'z = sin(x)*cos(y)' --mesh " + obj + " " + Out()).status, 0);
    std::vector<std::string> lines = Lines(obj);
    EXPECT_EQ(CountPrefix(lines, "o slot0"), 1);
    EXPECT_EQ(CountPrefix(lines, "v "), 441);
    EXPECT_EQ(CountPrefix(lines, "f "), 800);
    double x = 0, y = 0, z = 0;
    const auto first = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("v ", 0) == 0; });
    ASSERT_NE(first, lines.end());
    ASSERT_EQ(std::sscanf(first->c_str(), "v %lf %lf %lf", &x, &y, &z), 3);
    EXPECT_EQ(x, -5.0) << "the script's own x";
    EXPECT_EQ(y, -5.0);
    EXPECT_NEAR(z, std::sin(-5.0) * std::cos(-5.0), 1e-6) << "the script's z, not the box's";
    EXPECT_NE(std::find(lines.begin(), lines.end(), "f 1 2 22"), lines.end()) << "the first cell's winding";

    ASSERT_EQ(Plot("-e 'z = 1/x;xgrid = 4;ygrid = 2' -e 'x = cos(t);y = sin(t);z = t/5' -e 'x = 1;y = 2;z = 3' --wireframe --mesh " + obj + " " + Out()).status, 0);
    lines = Lines(obj);
    EXPECT_EQ(CountPrefix(lines, "o slot"), 3);
    EXPECT_EQ(CountPrefix(lines, "f "), 12) << "the cells the picture leaves out are left out";
    EXPECT_EQ(CountPrefix(lines, "l "), 10000) << "the curve's segments";
    EXPECT_EQ(CountPrefix(lines, "p "), 1) << "the point";

    ASSERT_EQ(Plot("-e 'z = sin(x)*cos(y)' -e 'x = t;y = t;z = t' --mesh " + stl + " " + Out()).status, 0);
    std::ifstream in(stl, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(bytes.size(), 84u);
    uint32_t triangles = 0;
    std::memcpy(&triangles, bytes.data() + 80, 4);
    EXPECT_EQ(triangles, 800u) << "surfaces only";
    EXPECT_EQ(bytes.size(), 84u + 50u * 800u);
    EXPECT_EQ(Plot("--mesh chart.ply " + Out()).status, 2);
    std::remove(obj.c_str());
    std::remove(stl.c_str());
}

}  // namespace

namespace {

TEST(TalvexPlot, ScriptThatCannotBeCalculatedFails) {
    const PlotRun run = Plot("-e 'z = k' " + Out());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("script 1: 'k' is used but never defined"), std::string::npos) << run.errors;
    EXPECT_EQ(run.picture.size(), 230456u) << "the axes alone are still drawn";
    // One slot that fails among others that draw: told, and the run fails.
    const PlotRun partly = Plot("-e 'x = cos(t)' -e 'x = 1; y = 2; z = 3' -e 'a = b; b = a; z = a' " + Out());
    EXPECT_EQ(partly.status, 1);
    EXPECT_NE(partly.errors.find("script 1: more than two free variables: y, z, t"), std::string::npos) << partly.errors;
    EXPECT_EQ(partly.errors.find("script 2"), std::string::npos) << partly.errors;
    EXPECT_NE(partly.errors.find("script 3: 'a' and 'b' are defined in terms of each other"), std::string::npos)
        << partly.errors;
    EXPECT_EQ(partly.picture.size(), 230456u) << "the slot that calculates is drawn";
}

// A user's file of any name beside the output is never touched: the PNG is
// encoded from the picture in memory.
TEST(TalvexPlot, FilesBesideAPngSurvive) {
    const std::string png = Temp("chart.png"), beside = png + ".snapshot.bmp";
    std::ofstream(beside) << "a file of the user's";
    const PlotRun run = Plot("-e 'z = x*y/5' -o " + png);
    ASSERT_EQ(run.status, 0) << run.errors;
    int width = 0, height = 0;
    std::vector<uint32_t> decoded;
    EXPECT_TRUE(DecodePng(png, width, height, decoded));
    std::ifstream in(beside);
    const std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "a file of the user's");
    std::remove(png.c_str());
    std::remove(beside.c_str());
}

// The lines of each object of an OBJ file, by its name.
std::vector<std::pair<std::string, std::vector<std::string>>> Objects(const std::vector<std::string>& lines) {
    std::vector<std::pair<std::string, std::vector<std::string>>> objects;
    for (const std::string& line : lines) {
        if (line.compare(0, 2, "o ") == 0) objects.push_back({line.substr(2), {}});
        else if (!objects.empty()) objects.back().second.push_back(line);
    }
    return objects;
}

// Every slot's computed vertices in an object of its own: a surface whose
// cells all stand outside the box keeps its vertices without faces.
TEST(TalvexPlot, MeshHasEverySlotsVerticesInItsOwnObject) {
    const std::string obj = Temp("mesh.obj");
    const PlotRun run = Plot("-e 'z = 100;xgrid = 2;ygrid = 3' -e 'x = cos(t);y = sin(t);z = t/5;tgrid = 4' "
                             "-e 'x = 1;y = 2;z = 3' --mesh " + obj + " " + Out());
    ASSERT_EQ(run.status, 0) << run.errors;
    const auto objects = Objects(Lines(obj));
    ASSERT_EQ(objects.size(), 3u);
    const struct {
        const char* name;
        int vertices, faces, segments, points;
    } expected[] = {{"slot0", 12, 0, 0, 0}, {"slot1", 5, 0, 4, 0}, {"slot2", 1, 0, 0, 1}};
    for (size_t i = 0; i < objects.size(); ++i) {
        const auto& [name, lines] = objects[i];
        EXPECT_EQ(name, expected[i].name);
        EXPECT_EQ(CountPrefix(lines, "v "), expected[i].vertices) << name;
        EXPECT_EQ(CountPrefix(lines, "f "), expected[i].faces) << name;
        EXPECT_EQ(CountPrefix(lines, "l "), expected[i].segments) << name;
        EXPECT_EQ(CountPrefix(lines, "p "), expected[i].points) << name;
    }
    EXPECT_EQ(objects[0].second.front(), "v -5 -5 10") << "the first sample, clamped to the box's face";
    EXPECT_EQ(objects[0].second.back(), "v 5 5 10");
    EXPECT_EQ(objects[1].second[5], "l 13 14") << "numbered after the surface's 12 vertices";
    EXPECT_EQ(objects[2].second, (std::vector<std::string>{"v 1 2 3", "p 18"})) << "the script's own point";
    std::remove(obj.c_str());
}

}  // namespace

namespace {

struct StlTriangle {
    float normal[3];
    float corners[3][3];
};

std::vector<StlTriangle> ReadStl(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<StlTriangle> triangles;
    if (bytes.size() < 84) return triangles;
    uint32_t count = 0;
    std::memcpy(&count, bytes.data() + 80, 4);
    if (bytes.size() != 84u + 50u * count) return triangles;
    triangles.resize(count);
    for (uint32_t t = 0; t < count; ++t) std::memcpy(&triangles[t], bytes.data() + 84 + 50 * t, 48);
    return triangles;
}

// A closed surface exported from either handedness and either direction of
// its parameters: every triangle wound the same way round (no directed edge
// twice), each normal along its triangle's own winding, and the enclosed
// volume that of the torus, positive because its parameters' cross product
// points outward.
TEST(TalvexPlot, MeshIsInTheScriptsCoordinatesAndWoundAlongItsParameters) {
    const std::string torus = "-e 'x = (3 + cos(q))*cos(p); y = (3 + cos(q))*sin(p); z = sin(q); scale = 5; pgrid = 60; qgrid = 30";
    const double volume = 2 * 3.141592653589793 * 3.141592653589793 * 3;  // 2 pi^2 R r^2
    for (const char* variant : {"'", "' --left-handed", "; pmin = 6.283185307; pmax = 0'",
                                "; pmin = 6.283185307; pmax = 0' --left-handed"}) {
        const std::string stl = Temp("torus.stl");
        ASSERT_EQ(Plot(torus + variant + " --mesh " + stl + " " + Out()).status, 0) << variant;
        const std::vector<StlTriangle> triangles = ReadStl(stl);
        ASSERT_EQ(triangles.size(), 3600u) << variant;
        std::set<std::array<long, 6>> edges;
        double enclosed = 0;
        int duplicates = 0, disagreeing = 0;
        for (const StlTriangle& t : triangles) {
            const float(*c)[3] = t.corners;
            for (int k = 0; k < 3; ++k) {
                const float* a = c[k];
                const float* b = c[(k + 1) % 3];
                // Corners shared by neighbours are the same floats.
                const std::array<long, 6> edge = {std::lround(a[0] * 1e5), std::lround(a[1] * 1e5), std::lround(a[2] * 1e5),
                                                  std::lround(b[0] * 1e5), std::lround(b[1] * 1e5), std::lround(b[2] * 1e5)};
                duplicates += edges.insert(edge).second ? 0 : 1;
            }
            const double u[3] = {c[1][0] - c[0][0], c[1][1] - c[0][1], c[1][2] - c[0][2]};
            const double w[3] = {c[2][0] - c[0][0], c[2][1] - c[0][1], c[2][2] - c[0][2]};
            const double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
            disagreeing += n[0] * t.normal[0] + n[1] * t.normal[1] + n[2] * t.normal[2] > 0 ? 0 : 1;
            // The signed volume of the tetrahedron from the origin.
            enclosed += (c[0][0] * (c[1][1] * c[2][2] - c[1][2] * c[2][1]) - c[0][1] * (c[1][0] * c[2][2] - c[1][2] * c[2][0]) +
                         c[0][2] * (c[1][0] * c[2][1] - c[1][1] * c[2][0])) / 6;
        }
        EXPECT_EQ(duplicates, 0) << variant << ": a triangle wound the other way";
        EXPECT_EQ(disagreeing, 0) << variant << ": normals against their triangles";
        EXPECT_NEAR(enclosed, volume, 0.02 * volume) << variant;
        std::remove(stl.c_str());
    }
}

}  // namespace

#include <gif_lib.h>

namespace {

// A turntable: as many frames as asked, looping forever (identify, as a
// user would check it, and giflib's reading), each a turn further about the
// height axis; the first frame is talvex-plot's picture of the same view
// within the palette's error (dithered: each pixel near, the mean nearer).
TEST(TalvexPlot, TurntableGif) {
    const std::string gif = Temp("turn.gif"), png = Temp("first.png");
    const std::string chart = "--size 160x120 -e 'z = sin(x)*cos(y)' --title Turn ";
    ASSERT_EQ(Plot(chart + "--turntable " + gif + " --frames 8").status, 0);
    ASSERT_EQ(Plot(chart + "-o " + png).status, 0);

    const std::string identified = Temp("identify.txt");
    ASSERT_EQ(std::system(("identify -format '%n %T %[width]x%[height]\\n' " + gif + " > " + identified).c_str()), 0);
    std::ifstream in(identified);
    std::string frames, delay, size;
    in >> frames >> delay >> size;
    EXPECT_EQ(frames, "8");
    EXPECT_EQ(delay, "6") << "hundredths of a second a frame";
    EXPECT_EQ(size, "160x120");
    ASSERT_EQ(std::system(("identify -verbose " + gif + " | grep -q 'Iterations: 0'").c_str()), 0)
        << "loops forever";

    int error = 0;
    GifFileType* file = DGifOpenFileName(gif.c_str(), &error);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(DGifSlurp(file), GIF_OK);
    ASSERT_EQ(file->ImageCount, 8);
    ASSERT_NE(file->SColorMap, nullptr) << "one palette for every frame";
    int width = 0, height = 0;
    std::vector<uint32_t> picture;
    ASSERT_TRUE(DecodePng(png, width, height, picture));
    const auto color = [&](int frame, size_t i) {
        const GifColorType c = file->SColorMap->Colors[file->SavedImages[frame].RasterBits[i]];
        return std::array<int, 3>{c.Red, c.Green, c.Blue};
    };
    double total = 0;
    int worst = 0, changed = 0;
    for (size_t i = 0; i < picture.size(); ++i) {
        const std::array<int, 3> first = color(0, i);
        for (int c = 0; c < 3; ++c) {
            const int difference = std::abs(first[static_cast<size_t>(c)] - static_cast<int>((picture[i] >> (16 - 8 * c)) & 0xFF));
            total += difference;
            worst = std::max(worst, difference);
        }
        changed += color(2, i) != first;
    }
    EXPECT_LT(total / (3.0 * static_cast<double>(picture.size())), 4.0) << "the first frame is the picture";
    EXPECT_LT(worst, 96);
    EXPECT_GT(changed, static_cast<int>(picture.size()) / 20) << "a quarter turn later the chart looks otherwise";
    DGifCloseFile(file, &error);

    const PlotRun wrong = Plot(chart + "--turntable " + Temp("turn.png"));
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.errors.find(".gif"), std::string::npos) << wrong.errors;
    EXPECT_EQ(Plot(chart + "--turntable " + gif + " --frames 0").status, 2);
    const PlotRun unwritable = Plot(chart + "--turntable /nonexistent/turn.gif");
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.errors.find("cannot write /nonexistent/turn.gif"), std::string::npos) << unwritable.errors;
}

}  // namespace
