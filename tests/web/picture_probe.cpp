// Draws a few charts through the public functions and writes a line for
// each: its name and a checksum of its pixels. Built natively and for
// WebAssembly: the two must write the same lines, the pictures in a page
// being the native library's to the bit. probe OUTPUT [EXPECTED]: with
// EXPECTED (the other build's output), also says which charts differ and
// fails then.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "talvex.h"
#include "talvex_native.h"
#include "talvex_window.h"

namespace {

struct Probe {
    const char* name;
    const char* scripts[3];
    int32_t look;  // TALVEX_LOOK_*
    int32_t samples;
    bool data;     // a grid of heights with a hole in slot 2
};

constexpr Probe kProbes[] = {
    {"classic-surface", {"z = sin(x)*cos(y)", nullptr, nullptr}, TALVEX_LOOK_CLASSIC, 1, false},
    {"classic-curve-and-point", {"x = 4*cos(t)\r\ny = 4*sin(t)\r\nz = t/2", "x = 1\r\ny = 2\r\nz = 3", nullptr},
     TALVEX_LOOK_CLASSIC, 1, false},
    {"chart-lit-4-samples", {"z = exp((x*x + y*y)/(0-8))*cos(x*y)*3", nullptr, nullptr}, TALVEX_LOOK_CHART, 4, false},
    {"chart-functions", {"z = arctan(x)*tanh(y) + ln(x*x + 1) - sqrt(abs(y)) + floor(x/2)", nullptr, nullptr}, TALVEX_LOOK_CHART, 1,
     false},
    {"chart-data", {nullptr, nullptr, nullptr}, TALVEX_LOOK_CHART, 1, true},
};

constexpr int32_t kWidth = 320, kHeight = 240;

uint64_t Checksum(const std::vector<uint32_t>& pixels) {
    uint64_t sum = 1469598103934665603ull;  // FNV-1a over the pixels' bytes
    for (uint32_t pixel : pixels)
        for (int shift = 0; shift < 32; shift += 8) sum = (sum ^ ((pixel >> shift) & 0xFF)) * 1099511628211ull;
    return sum;
}

std::string Draw(const Probe& probe) {
    const TalvexWindow host = talvex_window_create(kWidth, kHeight);
    const int32_t chart = TALVEX_ControlCreate();
    int32_t result = TALVEX_ControlInit(chart, host, nullptr, 1);
    if (result == 0) result = TALVEX_ControlSize(chart, kWidth, kHeight);
    TalvexStyle style;
    talvex_default_style(&style);
    style.look = probe.look;
    style.samples = probe.samples;
    std::strcpy(style.title, "Probe");
    if (result == 0) result = talvex_set_style(chart, &style, nullptr, 0);
    for (int slot = 0; slot < 3 && result == 0; ++slot) {
        if (probe.scripts[slot] == nullptr) continue;
        std::string text = probe.scripts[slot];
        result = TALVEX_ControlSetScript(chart, slot, &text[0]);
    }
    if (result == 0 && probe.data) {
        std::vector<double> z(40 * 30);
        for (size_t i = 0; i < z.size(); ++i) z[i] = std::sin(static_cast<double>(i % 40) / 6) * std::cos(static_cast<double>(i / 40) / 5);
        z[15 * 40 + 20] = NAN;
        result = talvex_set_grid(chart, 2, 40, 30, z.data(), nullptr, nullptr, nullptr, 0);
    }
    if (result == 0 && probe.scripts[0] != nullptr) result = TALVEX_ControlCalculate(chart);
    TALVEX_ControlSetIsometricView(chart);
    std::vector<uint32_t> pixels(static_cast<size_t>(kWidth * kHeight));
    if (result == 0) result = talvex_render_picture(chart, pixels.data(), kWidth, kHeight);
    TALVEX_ControlDestroy(chart);
    talvex_window_destroy(host);
    char line[128];
    if (result != 0) std::snprintf(line, sizeof line, "%s failed 0x%08X", probe.name, static_cast<unsigned>(result));
    else std::snprintf(line, sizeof line, "%s %016llx", probe.name, static_cast<unsigned long long>(Checksum(pixels)));
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT [EXPECTED]\n", argv[0]);
        return 2;
    }
    std::string lines;
    bool failed = false;
    for (const Probe& probe : kProbes) {
        const std::string line = Draw(probe);
        failed = failed || line.find(" failed ") != std::string::npos;
        lines += line + "\n";
    }
    std::ofstream(argv[1]) << lines;
    if (failed) {
        std::fprintf(stderr, "a chart could not be drawn:\n%s", lines.c_str());
        return 1;
    }
    if (argc == 2) return 0;
    std::ifstream expected(argv[2]);
    if (!expected) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    std::stringstream theirs;
    theirs << expected.rdbuf();
    if (theirs.str() == lines) return 0;
    std::fprintf(stderr, "the pictures differ:\nhere:\n%sthere (%s):\n%s", lines.c_str(), argv[2], theirs.str().c_str());
    return 1;
}
