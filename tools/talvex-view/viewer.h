// The viewer: one chart control in an SDL window. The chart lives in a window
// of the native window system; the viewer forwards SDL's mouse, wheel, key and
// resize events to it as a Windows host forwards its messages, shows every
// frame the chart presents, and compiles a script file again when it changes
// on disk.
#pragma once

#include <SDL.h>
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../common/scripts.h"
#include "talvex.h"

class Viewer {
public:
    Viewer() = default;
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;
    ~Viewer();

    // Opens the window and the chart and compiles the scripts; "" or what
    // went wrong (a script's report: "script N, line L: ...").
    std::string Start(const std::vector<ScriptSource>& scripts, int width, int height);

    void HandleEvent(const SDL_Event& event);
    // Compiles changed script files, lets the chart paint and shows a new frame.
    void Frame();
    bool Quitting() const { return quit_; }

    int32_t Chart() const { return chart_; }
    SDL_Window* Window() const { return window_; }
    // The last frame the chart presented: 0x00RRGGBB, top row first.
    const std::vector<uint32_t>& Picture() const { return picture_; }
    int PictureWidth() const { return pictureWidth_; }
    int PictureHeight() const { return pictureHeight_; }
    // The window's own pixels as they are on screen, 0x00RRGGBB.
    std::vector<uint32_t> ShownPixels(int& width, int& height) const;
    // Writes the chart's last frame as a PNG file.
    bool SavePicture(const std::string& path) const;

    // The frames the chart has drawn, and the time their drawing took
    // (the chart's own work: the frame, not its showing).
    struct DrawStats {
        int64_t frames = 0;
        double milliseconds = 0;
    };
    const DrawStats& Stats() const { return stats_; }

private:
    struct Slot {
        ScriptSource source;
        std::string goodText;  // the last text that compiled
        std::string problem;   // the report of the text on disk, when it does not compile
        std::string calculationProblem;  // what the last calculation failed on
        struct timespec modified{};
        off_t size = -1;
    };

    void OnMouseButton(const SDL_MouseButtonEvent& button, bool down);
    void OnKey(SDL_Keycode key);
    void OnResize(int width, int height);
    void ReloadChangedFiles();
    // Calculates every slot and keeps what each failed on.
    void Calculate();
    void UpdateTitle(const std::string& note = "");
    void ReadPicture();
    void Show();

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int textureWidth_ = 0, textureHeight_ = 0;
    TalvexWindow host_ = nullptr;
    TalvexWindow chartWindow_ = nullptr;
    int32_t chart_ = 0;
    std::vector<Slot> slots_;
    std::vector<uint32_t> picture_;
    int pictureWidth_ = 0, pictureHeight_ = 0;
    bool quit_ = false;
    DrawStats stats_;
};
