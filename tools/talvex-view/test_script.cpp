#include "test_script.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "../common/scripts.h"
#include "viewer.h"

namespace {

const Uint32 kPatience = 2000;  // milliseconds an expectation may take to come true

int Number(const std::vector<std::string>& words, size_t i) {
    return i < words.size() ? std::atoi(words[i].c_str()) : 0;
}

Uint8 Button(const std::string& name) {
    if (name == "right") return SDL_BUTTON_RIGHT;
    if (name == "middle") return SDL_BUTTON_MIDDLE;
    return SDL_BUTTON_LEFT;
}

Uint32 ButtonMask(Uint8 button) { return SDL_BUTTON(button); }

void PushButton(Viewer& viewer, Uint8 button, bool down, int x, int y) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = SDL_GetWindowID(viewer.Window());
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    event.button.x = x;
    event.button.y = y;
    SDL_PushEvent(&event);
}

void PushMotion(Viewer& viewer, Uint32 state, int x, int y, int dx, int dy) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = SDL_GetWindowID(viewer.Window());
    event.motion.state = state;
    event.motion.x = x;
    event.motion.y = y;
    event.motion.xrel = dx;
    event.motion.yrel = dy;
    SDL_PushEvent(&event);
}

std::string Unescaped(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

bool TestScript::Load(const std::string& path, std::string& error) {
    std::string text;
    if (!ReadTextFile(path, text)) {
        error = "cannot read " + path;
        return false;
    }
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        Command command;
        command.line = number;
        std::istringstream words(line);
        for (std::string word; words >> word;) command.words.push_back(word);
        if (command.words.empty() || command.words[0][0] == '#') continue;
        const size_t first = line.find(command.words[0]) + command.words[0].size();
        const size_t rest = line.find_first_not_of(' ', first);
        command.rest = rest == std::string::npos ? "" : line.substr(rest);
        commands_.push_back(command);
    }
    return true;
}

bool TestScript::Step(Viewer& viewer) {
    if (next_ >= commands_.size()) return false;
    if (started_ == 0) started_ = SDL_GetTicks();
    if (Run(commands_[next_], viewer)) {
        ++next_;
        started_ = 0;
        pushed_ = false;
    }
    return next_ < commands_.size();
}

bool TestScript::Expect(const Command& command, bool holds, const std::string& what) {
    if (holds) return true;
    if (SDL_GetTicks() - started_ < kPatience) return false;
    std::fprintf(stderr, "test script line %d: expected %s\n", command.line, what.c_str());
    ++failures_;
    return true;
}

bool TestScript::Measure(int steps, Viewer& viewer) {
    const int x = viewer.PictureWidth() / 2, y = viewer.PictureHeight() / 2;
    if (measured_ == 0) {
        measureStart_ = SDL_GetPerformanceCounter();
        framesAtStart_ = viewer.Stats().frames;
        drawingAtStart_ = viewer.Stats().milliseconds;
        PushButton(viewer, SDL_BUTTON_LEFT, true, x, y);
    }
    if (measured_ < steps) {
        // One step a frame: each motion turns the view and paints once.
        PushMotion(viewer, ButtonMask(SDL_BUTTON_LEFT), x + measured_ % 50, y, 1, 0);
        ++measured_;
        return false;
    }
    PushButton(viewer, SDL_BUTTON_LEFT, false, x, y);
    const double seconds = static_cast<double>(SDL_GetPerformanceCounter() - measureStart_) /
                           static_cast<double>(SDL_GetPerformanceFrequency());
    const int64_t frames = viewer.Stats().frames - framesAtStart_;
    const double drawing = viewer.Stats().milliseconds - drawingAtStart_;
    std::printf("talvex-view: %lld frames at %d x %d in %.2f s: %.1f frames a second, %.1f ms to draw one\n",
                static_cast<long long>(frames), viewer.PictureWidth(), viewer.PictureHeight(), seconds,
                frames / seconds, frames > 0 ? drawing / frames : 0.0);
    std::fflush(stdout);
    measured_ = 0;
    return true;
}

bool TestScript::Run(const Command& command, Viewer& viewer) {
    const std::vector<std::string>& w = command.words;
    const std::string& verb = w[0];
    // Commands that act push their events, and are done once the viewer has
    // handled them (the next frame).
    if (pushed_) return true;
    if (verb == "drag") {
        const Uint8 button = Button(w.size() > 1 ? w[1] : "left");
        const int x0 = Number(w, 2), y0 = Number(w, 3), x1 = Number(w, 4), y1 = Number(w, 5);
        PushButton(viewer, button, true, x0, y0);
        const int steps = 8;
        for (int i = 1; i <= steps; ++i)
            PushMotion(viewer, ButtonMask(button), x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps,
                       (x1 - x0) / steps, (y1 - y0) / steps);
        PushButton(viewer, button, false, x1, y1);
    } else if (verb == "click") {
        const Uint8 button = Button(w.size() > 1 ? w[1] : "left");
        PushButton(viewer, button, true, Number(w, 2), Number(w, 3));
        PushButton(viewer, button, false, Number(w, 2), Number(w, 3));
    } else if (verb == "wheel") {
        SDL_Event event{};
        event.type = SDL_MOUSEWHEEL;
        event.wheel.windowID = SDL_GetWindowID(viewer.Window());
        event.wheel.y = Number(w, 1);
        event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
        SDL_PushEvent(&event);
    } else if (verb == "key") {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.windowID = SDL_GetWindowID(viewer.Window());
        event.key.state = SDL_PRESSED;
        event.key.keysym.sym = SDL_GetKeyFromName(command.rest.c_str());
        event.key.keysym.scancode = SDL_GetScancodeFromKey(event.key.keysym.sym);
        SDL_PushEvent(&event);
    } else if (verb == "resize") {
        SDL_SetWindowSize(viewer.Window(), Number(w, 1), Number(w, 2));
    } else if (verb == "write") {
        const size_t space = command.rest.find(' ');
        const std::string path = command.rest.substr(0, space);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << Unescaped(space == std::string::npos ? "" : command.rest.substr(space + 1));
    } else if (verb == "mark") {
        marked_ = viewer.Picture();
    } else if (verb == "changed" || verb == "same") {
        const bool equal = viewer.Picture() == marked_;
        return Expect(command, verb == "same" ? equal : !equal,
                      verb == "same" ? "the frame to stay as marked" : "the frame to change from the marked one");
    } else if (verb == "shown") {
        int width = 0, height = 0;
        const std::vector<uint32_t> shown = viewer.ShownPixels(width, height);
        return Expect(command,
                      !shown.empty() && width == viewer.PictureWidth() && height == viewer.PictureHeight() &&
                          shown == viewer.Picture(),
                      "the window to show the chart's frame");
    } else if (verb == "size") {
        const int width = Number(w, 1), height = Number(w, 2);
        return Expect(command,
                      TALVEX_ControlGetWidth(viewer.Chart()) == width &&
                          TALVEX_ControlGetHeight(viewer.Chart()) == height && viewer.PictureWidth() == width &&
                          viewer.PictureHeight() == height,
                      "the chart and its frame to be " + w[1] + " x " + w[2]);
    } else if (verb == "zoom") {
        return Expect(command, TALVEX_ControlGetScale(viewer.Chart()) == Number(w, 1), "zoom " + w[1]);
    } else if (verb == "title" || verb == "no-title") {
        const bool contains = std::string(SDL_GetWindowTitle(viewer.Window())).find(command.rest) != std::string::npos;
        return Expect(command, verb == "title" ? contains : !contains,
                      std::string("the title ") + (verb == "title" ? "to contain \"" : "not to contain \"") +
                          command.rest + "\" (it is \"" + SDL_GetWindowTitle(viewer.Window()) + "\")");
    } else if (verb == "measure") {
        return Measure(Number(w, 1), viewer);
    } else if (verb == "exists") {
        struct stat status {};
        return Expect(command, stat(command.rest.c_str(), &status) == 0, command.rest + " to exist");
    } else {
        std::fprintf(stderr, "test script line %d: unknown command %s\n", command.line, verb.c_str());
        ++failures_;
        return true;
    }
    pushed_ = true;
    return false;
}
