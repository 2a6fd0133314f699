// talvex-view: an interactive viewer for TALVEX charts on Linux. It hosts one
// chart control in an SDL window through the native window system and shows
// every frame the chart presents.
//
// Mouse: left drag turns the view, right drag rolls it, middle click resets;
// the wheel zooms. Keys: W solid/wireframe, P points, A axes, H handedness,
// D default view, I isometric view, S saves talvex-view.png, Esc quits.
// A script file that changes on disk is compiled and drawn again.
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>
#include <vector>

#include "../common/arguments.h"
#include "../common/data_options.h"
#include "../common/scripts.h"
#include "../common/style_options.h"
#include "test_script.h"
#include "viewer.h"

namespace {

const char* const kUsage =
    "usage: talvex-view [options] [script ...]\n"
    "\n"
    "Shows up to three scripts, each a file name or -e TEXT, in slots 0, 1, 2 of\n"
    "a chart control in a window. With no script a built-in surface is shown.\n"
    "A script file that changes on disk is compiled and drawn again; while it\n"
    "does not compile the last picture stays and the title tells what is wrong:\n"
    "  script N, line L: what is wrong\n"
    "\n"
    "  -e TEXT             a script given on the command line\n"
    "  --size WxH          the window's size (default 640x480)\n"
    "  --stats             print, once a second, how many frames the chart drew\n"
    "                      and how long drawing one took\n"
    "  --test-script FILE  drive the viewer with synthetic events and check\n"
    "                      what it shows (tools/talvex-view/test_script.h)\n"
    "  --help              show this text\n"
    "\n"
    "Mouse: left drag turns, right drag rolls, middle click resets, wheel zooms.\n"
    "Keys: W solid/wireframe, P points, A axes, H handedness, C classic/chart\n"
    "look, D default view, I isometric view, S saves talvex-view.png, Esc quits.\n";

// How long the loop sleeps waiting for events before it looks at the files.
const int kFrameMilliseconds = 30;

int Fail(const std::string& message) {
    std::fprintf(stderr, "talvex-view: %s\n", message.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<ScriptSource> scripts;
    int width = 640, height = 480;
    std::string testScriptPath;
    bool stats = false;
    StyleOptions look;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs("\nData in place of a script, each into the next slot (a file that changes is read again):\n",
                       stdout);
            std::fputs(kDataUsage, stdout);
            std::fputs("\nThe chart look:\n", stdout);
            std::fputs(kStyleUsage, stdout);
            return 0;
        }
        if (arg == "--stats") {
            stats = true;
            continue;
        }
        if (ReadStyleFlag(arg, look)) continue;
        if (IsStyleOption(arg)) {
            if (i + 1 >= argc) return Fail(arg + " needs a value");
            const std::string problem = ReadStyleOption(arg, argv[++i], look);
            if (!problem.empty()) return Fail(problem);
            continue;
        }
        if (IsDataOption(arg)) {
            if (i + 1 >= argc) return Fail(arg + " needs a value");
            const std::string problem = ReadDataOption(arg, argv[++i], scripts);
            if (!problem.empty()) return Fail(problem);
            continue;
        }
        if (arg == "-e" || arg == "--size" || arg == "--test-script") {
            if (i + 1 >= argc) return Fail(arg + " needs a value");
            const char* value = argv[++i];
            if (arg == "-e") {
                AddScriptText(value, scripts);
            } else if (arg == "--size") {
                if (!ParsePair(value, 'x', width, height) || width <= 0 || height <= 0 || width > 8192 ||
                    height > 8192)
                    return Fail("--size takes WxH with each side from 1 to 8192");
            } else {
                testScriptPath = value;
            }
        } else if (!arg.empty() && arg[0] == '-') {
            return Fail("unknown option " + arg + " (see --help)");
        } else {
            const std::string problem = AddScriptFile(arg, scripts);
            if (!problem.empty()) return Fail(problem);
        }
    }
    if (scripts.size() > kMaxScripts) return Fail("at most three scripts and data files");
    if (scripts.empty()) AddScriptText(kDefaultScript, scripts);

    TestScript test;
    const bool testing = !testScriptPath.empty();
    if (testing) {
        std::string error;
        if (!test.Load(testScriptPath, error)) return Fail(error);
        // The software renderer draws into the window's own surface, which
        // the test reads back to see what the window shows.
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    }

    if (SDL_Init(SDL_INIT_VIDEO) != 0) return Fail(std::string("cannot start SDL: ") + SDL_GetError());
    // Without a display SDL falls back to drivers that show nothing: a viewer
    // nobody can see would wait for a window that never closes. A driver the
    // user chose by name is taken at its word.
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool invisible = driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    if (invisible && SDL_getenv("SDL_VIDEODRIVER") == nullptr) {
        SDL_Quit();
        std::fprintf(stderr, "talvex-view: no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY "
                             "reaches one); to write pictures without a window, use talvex-plot\n");
        return 1;
    }
    int status = 0;
    {
        Viewer viewer;
        std::string problem = viewer.Start(scripts, width, height);
        if (problem.empty() && viewer.Chart() != 0) {
            problem = ApplyStyleOptions(viewer.Chart(), look);
            if (!problem.empty()) problem = "talvex-view: " + problem;
        }
        if (!problem.empty()) {
            // A script that does not compile is reported as talvex-plot does.
            std::fprintf(stderr, "%s\n", problem.c_str());
            status = 1;
        }
        Uint32 reported = SDL_GetTicks();
        Viewer::DrawStats before;
        while (status == 0 && !viewer.Quitting()) {
            SDL_Event event;
            if (SDL_WaitEventTimeout(&event, kFrameMilliseconds) != 0) {
                viewer.HandleEvent(event);
                while (SDL_PollEvent(&event) != 0) viewer.HandleEvent(event);
            }
            viewer.Frame();
            if (testing && !test.Step(viewer)) break;
            if (stats && SDL_GetTicks() - reported >= 1000) {
                const Viewer::DrawStats& now = viewer.Stats();
                const int64_t frames = now.frames - before.frames;
                if (frames > 0)
                    std::printf("talvex-view: %lld frames in the last second, %.1f ms to draw one\n",
                                static_cast<long long>(frames), (now.milliseconds - before.milliseconds) / frames);
                std::fflush(stdout);
                before = now;
                reported = SDL_GetTicks();
            }
        }
        if (testing && test.Failures() > 0) status = 1;
    }
    SDL_Quit();
    return status;
}
