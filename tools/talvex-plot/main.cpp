// talvex-plot: draws up to three scripts with a TALVEX chart control on the
// native platform and writes the picture as a BMP or PNG file, and the
// computed geometry as OBJ or STL. It uses only the exported functions, the
// native interface (talvex_native.h) and the native window system's host
// interface.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <string>
#include <tuple>
#include <vector>

#include "mesh_export.h"
#include "../common/arguments.h"
#include "../common/picture_files.h"
#include "../common/data_options.h"
#if defined(TALVEX_HAVE_GIF)
#include "../common/gif_file.h"
#endif
#include "../common/scripts.h"
#include "../common/style_options.h"
#include "talvex.h"
#include "talvex_codes.h"
#include "talvex_native.h"
#include "talvex_window.h"

namespace {

const char* const kUsage =
    "usage: talvex-plot [options] [script ...] -o chart.bmp|chart.png\n"
    "\n"
    "Draws up to three scripts, each a file name or -e TEXT, or data files\n"
    "(--data, --points, --curve), into slots 0, 1, 2 in the order given\n"
    "of a chart control and writes the picture as a 24-bit BMP file, or as a PNG\n"
    "file when the output's name ends in .png. Lines may\n"
    "end with LF or CR LF. With no script a built-in surface is drawn in the\n"
    "isometric view.\n"
    "\n"
    "  -o FILE               the picture to write, .bmp or .png (required)\n"
    "  --turntable FILE.gif  also (or instead of -o) an animated GIF of one full\n"
    "                        turn about the height axis, looping forever: one\n"
    "                        palette for all its frames, dithered\n"
    "  --frames N            the turntable's frames, 1..720 (default 36)\n"
    "  --mesh FILE           also export the computed geometry: .obj (surfaces,\n"
    "                        curves and points, one object per slot, every\n"
    "                        computed vertex) or .stl (surfaces only), in box\n"
    "                        coordinates\n"
    "  -e TEXT               a script given on the command line\n"
    "  --size WxH            picture size in pixels (default 320x240)\n"
    "  --view default|isometric\n"
    "                        the view preset (default: isometric for the built-in\n"
    "                        script, default otherwise)\n"
    "  --turn DX,DY          turn the view as a left-button drag of DX, DY pixels\n"
    "  --zoom N              zoom 0..100 (0 is 0.4, 37 is 1.0, 100 is 2.0)\n"
    "  --wireframe           draw surfaces as triangle edges\n"
    "  --left-handed         left-handed axes (z grows away from the viewer)\n"
    "  --background RRGGBB   background colour (default FFFFFF)\n"
    "  --point-color RRGGBB  colour of the grid points and axes (default 000000)\n"
    "  --no-points           hide the grid points\n"
    "  --no-axes             hide the axes (in the chart look: the panes, the grid\n"
    "                        and the numbers)\n"
    "  --help                show this text\n"
    "\n"
    "A script that does not compile is reported as\n"
    "  script N, line L: what is wrong\n"
    "with N and L counted from 1, and the exit status is 1; so is it when no\n"
    "script can be calculated (the picture then shows the axes alone).\n";

struct Options {
    std::vector<ScriptSource> scripts;
    std::string output;
    std::string mesh;
    std::string turntable;
    int frames = 36;
    int width = 320, height = 240;
    std::string view;
    bool turn = false;
    int turnX = 0, turnY = 0;
    bool zoom = false;
    int zoomValue = 37;
    bool wireframe = false, leftHanded = false, noPoints = false, noAxes = false;
    bool background = false, pointColor = false;
    uint32_t backgroundValue = 0, pointColorValue = 0;
    StyleOptions look;
};

bool ParseColor(const char* text, uint32_t& color) {
    if (std::strlen(text) != 6) return false;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 16);
    if (end == nullptr || *end != '\0') return false;
    color = static_cast<uint32_t>(value);
    return true;
}

// The largest side a chart takes (TALVEX_ControlSize refuses more).
constexpr int kLargestSide = 16384;

int Fail(const std::string& message) {
    std::fprintf(stderr, "talvex-plot: %s\n", message.c_str());
    return 2;
}

// Parses the command line; returns -1 to go on, or an exit status.
int Parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* what) -> const char* {
            if (i + 1 >= argc) return nullptr;
            (void)what;
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs("\nData in place of a script, each into the next slot:\n", stdout);
            std::fputs(kDataUsage, stdout);
            std::fputs("\nThe chart look:\n", stdout);
            std::fputs(kStyleUsage, stdout);
            return 0;
        }
        if (arg == "-o" || arg == "-e" || arg == "--mesh" || arg == "--turntable" || arg == "--frames" || arg == "--size" || arg == "--view" || arg == "--turn" || arg == "--zoom" ||
            arg == "--background" || arg == "--point-color" || IsStyleOption(arg) || IsDataOption(arg)) {
            const char* v = value(arg.c_str());
            if (v == nullptr) return Fail(arg + " needs a value");
            if (IsDataOption(arg)) {
                const std::string problem = ReadDataOption(arg, v, options.scripts);
                if (!problem.empty()) return Fail(problem);
            } else if (arg == "-o") {
                options.output = v;
                if (!EndsWith(options.output, ".bmp") && !EndsWith(options.output, ".png"))
                    return Fail("-o takes a file ending in .bmp or .png");
            } else if (arg == "--turntable") {
                options.turntable = v;
                if (!EndsWith(options.turntable, ".gif")) return Fail("--turntable takes a file ending in .gif");
            } else if (arg == "--frames") {
                char* end = nullptr;
                const long frames = std::strtol(v, &end, 10);
                if (*v == '\0' || *end != '\0' || frames < 1 || frames > 720) return Fail("--frames takes 1..720");
                options.frames = static_cast<int>(frames);
            } else if (arg == "--mesh") {
                options.mesh = v;
                if (!EndsWith(options.mesh, ".obj") && !EndsWith(options.mesh, ".stl"))
                    return Fail("--mesh takes a file ending in .obj or .stl");
            } else if (arg == "-e") {
                AddScriptText(v, options.scripts);
            } else if (arg == "--size") {
                if (!ParsePair(v, 'x', options.width, options.height) || options.width <= 0 || options.height <= 0 ||
                    options.width > kLargestSide || options.height > kLargestSide)
                    return Fail("--size takes WxH with each side from 1 to " + std::to_string(kLargestSide));
            } else if (arg == "--view") {
                options.view = v;
                if (options.view != "default" && options.view != "isometric")
                    return Fail("--view takes default or isometric");
            } else if (arg == "--turn") {
                if (!ParsePair(v, ',', options.turnX, options.turnY) || std::abs(options.turnX) > 30000 ||
                    std::abs(options.turnY) > 30000)
                    return Fail("--turn takes DX,DY");
                options.turn = true;
            } else if (arg == "--zoom") {
                char* end = nullptr;
                const long zoom = std::strtol(v, &end, 10);
                if (*v == '\0' || *end != '\0' || zoom < 0 || zoom > 100) return Fail("--zoom takes 0..100");
                options.zoom = true;
                options.zoomValue = static_cast<int>(zoom);
            } else if (IsStyleOption(arg)) {
                const std::string problem = ReadStyleOption(arg, v, options.look);
                if (!problem.empty()) return Fail(problem);
            } else if (arg == "--background") {
                if (!ParseColor(v, options.backgroundValue)) return Fail("--background takes RRGGBB");
                options.background = true;
            } else {
                if (!ParseColor(v, options.pointColorValue)) return Fail("--point-color takes RRGGBB");
                options.pointColor = true;
            }
        } else if (arg == "--wireframe") {
            options.wireframe = true;
        } else if (arg == "--left-handed") {
            options.leftHanded = true;
        } else if (arg == "--no-points") {
            options.noPoints = true;
        } else if (arg == "--no-axes") {
            options.noAxes = true;
            options.look.noAxes = true;
        } else if (ReadStyleFlag(arg, options.look)) {
        } else if (!arg.empty() && arg[0] == '-') {
            return Fail("unknown option " + arg + " (see --help)");
        } else {
            const std::string problem = AddScriptFile(arg, options.scripts);
            if (!problem.empty()) return Fail(problem);
        }
    }
    if (options.output.empty() && options.turntable.empty())
        return Fail("no output file: give -o chart.bmp or --turntable turn.gif (see --help)");
    if (options.scripts.size() > kMaxScripts) return Fail("at most three scripts and data files");
    return -1;
}

// Why the chart could not write a file, in the system's words where the
// system has them: the library's code tells that the write failed, the
// folder tells why.
std::string WriteFailure(const std::string& path, int32_t code) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (access(folder.empty() ? "." : folder.c_str(), W_OK) != 0) return std::strerror(errno);
    const char* text = talvex_error_text(code);
    return text != nullptr ? text : "code " + std::to_string(code);
}

// Tells on stderr what failed in each slot's calculation; the number of them.
int ReportFailedSlots(int32_t chart, int slotCount) {
    int failed = 0;
    for (int slot = 0; slot < slotCount; ++slot) {
        int32_t code = 0;
        char text[512];
        // Not a failure: what was drawn otherwise than asked is told too.
        if (talvex_get_slot_note(chart, slot, text, sizeof text) == 0 && text[0] != '\0')
            std::fprintf(stderr, "talvex-plot: script %d: %s\n", slot + 1, text);
        if (talvex_get_slot_error(chart, slot, &code, text, sizeof text) != 0 || code == 0) continue;
        std::fprintf(stderr, "talvex-plot: %s\n", text);
        ++failed;
    }
    return failed;
}

// One full turn of the chart's view about the height axis (the azimuth in
// the chart look, the turn about the vertical axis in the classic one) as an
// animated GIF of so many frames; the view is left as it was. "" or what is
// wrong.
std::string WriteTurntable(int32_t chart, const std::string& path, int frames) {
    double first = 0, second = 0, third = 0;
    if (talvex_get_view_angles(chart, &first, &second, &third) != 0) return "the view's angles cannot be read";
    std::vector<Picture> pictures(static_cast<size_t>(frames));
    int32_t result = 0;
    for (int f = 0; f < frames && result == 0; ++f) {
        Picture& picture = pictures[static_cast<size_t>(f)];
        picture.width = TALVEX_ControlGetWidth(chart);
        picture.height = TALVEX_ControlGetHeight(chart);
        picture.pixels.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
        result = talvex_set_view_angles(chart, first, second + 360.0 * f / frames, third);
        if (result == 0) result = talvex_render_picture(chart, picture.pixels.data(), picture.width, picture.height);
    }
    talvex_set_view_angles(chart, first, second, third);
    if (result != 0) return std::string("a frame could not be drawn: ") + talvex_error_text(result);
#if defined(TALVEX_HAVE_GIF)
    std::string reason;
    // 6 hundredths of a second a frame: 36 frames turn once in about 2 s.
    if (!WriteAnimatedGif(path, pictures, 6, &reason)) return reason;
    return "";
#else
    (void)path;
    return "this talvex-plot was built without giflib (libgif-dev)";
#endif
}

// The host window and the chart, released on every way out of Plot.
class ChartInWindow {
public:
    ChartInWindow(int width, int height)
        : host(talvex_window_create(width, height)), chart(TALVEX_ControlCreate()) {}
    ~ChartInWindow() {
        TALVEX_ControlDestroy(chart);
        talvex_window_destroy(host);
    }
    ChartInWindow(const ChartInWindow&) = delete;
    ChartInWindow& operator=(const ChartInWindow&) = delete;
    const TalvexWindow host;
    const int32_t chart;
};

int Plot(const Options& options) {
    const ChartInWindow made(options.width, options.height);
    const TalvexWindow host = made.host;
    const int32_t chart = made.chart;
    const int32_t id = 1;
    int32_t result = TALVEX_ControlInit(chart, host, nullptr, id);
    if (result != 0) {
        std::fprintf(stderr, "talvex-plot: the chart could not start (0x%08X)\n", static_cast<unsigned>(result));
        return 1;
    }
    TALVEX_ControlSize(chart, options.width, options.height);
    TALVEX_ControlMove(chart, 0, 0, options.width, options.height, 0);

    const bool builtIn = options.scripts.empty();
    std::vector<ScriptSource> scripts = options.scripts;
    if (builtIn) AddScriptText(kDefaultScript, scripts);
    for (size_t i = 0; i < scripts.size(); ++i) {
        if (!scripts[i].data.empty()) {
            bool unreadable = false;
            const std::string problem = SetChartData(chart, static_cast<int32_t>(i), scripts[i], unreadable);
            if (!problem.empty()) {
                std::fprintf(stderr, "talvex-plot: %s\n", problem.c_str());
                return unreadable ? 2 : 1;
            }
            continue;
        }
        const std::string problem = SetChartScript(chart, i, scripts[i].text);
        if (!problem.empty()) {
            std::fprintf(stderr, "%s\n", problem.c_str());
            return 1;
        }
    }

    const std::string view = options.view.empty() ? (builtIn ? "isometric" : "default") : options.view;
    if (view == "isometric") TALVEX_ControlSetIsometricView(chart);
    if (options.zoom) TALVEX_ControlSetScale(chart, options.zoomValue);
    if (options.wireframe) TALVEX_ControlSetSolid(chart, 0);
    if (options.leftHanded) TALVEX_ControlSetLeftHand(chart);
    if (options.background) TALVEX_ControlSetBackgroundColor(chart, options.backgroundValue);
    if (options.pointColor) TALVEX_ControlSetPointColor(chart, options.pointColorValue);
    if (options.noPoints) TALVEX_ControlSetPointVisible(chart, 0);
    if (options.noAxes) TALVEX_ControlSetAxisVisible(chart, 0);
    const std::string styleProblem = ApplyStyleOptions(chart, options.look);
    if (!styleProblem.empty()) return Fail(styleProblem);
    // What a left-button drag of that many pixels does.
    if (options.turn) talvex_turn_view(chart, options.turnX, options.turnY);

    // A script that compiles can still fail to calculate (an undefined name,
    // three free variables): each one that did is told, the picture shows
    // the others, and the run fails.
    TALVEX_ControlCalculate(chart);
    const int failedSlots = ReportFailedSlots(chart, static_cast<int>(scripts.size()));
    // A PNG is encoded from the picture in memory, the very frame a BMP
    // snapshot saves; no file but the output is written.
    const bool png = EndsWith(options.output, ".png");
    Picture picture;
    if (options.output.empty()) {
        result = 0;
    } else if (png) {
        picture.width = TALVEX_ControlGetWidth(chart);
        picture.height = TALVEX_ControlGetHeight(chart);
        picture.pixels.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
        result = talvex_render_picture(chart, picture.pixels.data(), picture.width, picture.height);
    } else {
        result = TALVEX_SaveBMP(chart, options.output.c_str());
    }
    int status = 0;
    std::string reason;
    if (result != 0) {
        std::fprintf(stderr, "talvex-plot: cannot write %s: %s\n", options.output.c_str(),
                     WriteFailure(options.output, result).c_str());
        status = 1;
    } else if (!options.output.empty() && png && !WritePng(options.output, picture, &reason)) {
        std::fprintf(stderr, "talvex-plot: cannot write %s: %s\n", options.output.c_str(), reason.c_str());
        status = 1;
    }
    if (status == 0 && !options.turntable.empty()) {
        const std::string problem = WriteTurntable(chart, options.turntable, options.frames);
        if (!problem.empty()) {
            std::fprintf(stderr, "talvex-plot: cannot write %s: %s\n", options.turntable.c_str(), problem.c_str());
            status = 1;
        }
    }
    if (status == 0 && !options.mesh.empty()) {
        const std::string problem = ExportMesh(chart, static_cast<int>(scripts.size()), options.mesh);
        if (!problem.empty()) {
            std::fprintf(stderr, "talvex-plot: %s\n", problem.c_str());
            status = 1;
        }
    }
    return status != 0 ? status : failedSlots != 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const int status = Parse(argc, argv, options);
    if (status >= 0) return status;
    return Plot(options);
}
