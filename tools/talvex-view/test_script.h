// A test mode of the viewer: a small script of synthetic SDL events (pushed
// with SDL_PushEvent into the viewer's own event loop) and expectations about
// what the window then shows. One command a line, '#' starts a comment:
//
//   drag left|right X0 Y0 X1 Y1   button down, moves, button up
//   click middle|left|right X Y   button down and up
//   wheel N                       N notches (negative: towards the user)
//   key NAME                      a key press (SDL key names: W, Escape, ...)
//   resize W H                    resizes the SDL window
//   write FILE TEXT               writes TEXT ("\n" for a line end) to FILE
//   mark                          remembers the chart's current frame
//   changed | same                the frame differs from / equals the marked one
//   shown                         the window shows the chart's frame pixel for pixel
//   size W H                      the chart and its frame are W x H
//   zoom N                        the chart's zoom (GetScale) is N
//   title TEXT | no-title TEXT    the window title contains / lacks TEXT
//   exists FILE                   the file exists
//   measure N                     turns the view by a left drag, one step a
//                                 frame for N frames, and prints the frames a
//                                 second reached (a measurement, no expectation)
//
// Expectations are waited for up to two seconds, as the X server and the
// file system answer in their own time. The viewer quits after the last line;
// the exit status is 1 when any expectation failed.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

class Viewer;

class TestScript {
public:
    // false (with a message) when the file cannot be read.
    bool Load(const std::string& path, std::string& error);
    // Runs the next command once the viewer has shown the previous one's
    // effect; false when the script is over.
    bool Step(Viewer& viewer);
    int Failures() const { return failures_; }

private:
    struct Command {
        int line = 0;
        std::vector<std::string> words;
        std::string rest;  // everything after the first word
    };

    // true when the command is done (or failed), false to try again next frame.
    bool Run(const Command& command, Viewer& viewer);
    bool Expect(const Command& command, bool holds, const std::string& what);
    // One step of the measure command; true when it is done.
    bool Measure(int steps, Viewer& viewer);

    std::vector<Command> commands_;
    size_t next_ = 0;
    Uint32 started_ = 0;  // when the current command was first tried
    bool pushed_ = false;  // the current command's events were pushed last frame
    std::vector<uint32_t> marked_;
    int failures_ = 0;
    // The measure command under way: steps pushed, and the clock and the
    // viewer's drawing at its start.
    int measured_ = 0;
    Uint64 measureStart_ = 0;
    int64_t framesAtStart_ = 0;
    double drawingAtStart_ = 0;
};
