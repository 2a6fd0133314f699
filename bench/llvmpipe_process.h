// llvmpipe takes its thread count from LP_NUM_THREADS once a process, when
// the first context is made: every later context shares those threads,
// whatever the variable says by then. So each thread setting draws in a
// child process of its own, forked before this one has started a thread,
// which draws the frames it is asked for and answers with the time each
// took.
#pragma once

#include <sys/types.h>

#include "chart_recording.h"
#include "chart_scene.h"

class LlvmpipeProcess {
public:
    // threads: LP_NUM_THREADS for the child ("0": the drawing thread alone),
    // or null for llvmpipe's own choice, a thread a core.
    explicit LlvmpipeProcess(const char* threads);
    // Closes the pipes, on which the child ends, and waits for it.
    ~LlvmpipeProcess();
    LlvmpipeProcess(const LlvmpipeProcess&) = delete;
    LlvmpipeProcess& operator=(const LlvmpipeProcess&) = delete;

    // Hands the child a picture size and the slots' geometry; it makes its
    // canvas and draws a first frame, in which llvmpipe compiles its
    // shaders. False when the canvas could not be made or the child is gone.
    bool Load(int width, int height, const SceneSlots& slots);
    // Hands the child a recorded chart frame to replay with samples per
    // pixel (4 or 1); it makes its canvas and draws a first frame. The
    // samples per pixel the canvas has, or 0 when it could not be made.
    int LoadChart(const ChartRecording& recording, int samples);
    // Has the child draw one frame (of what was loaded last): its time in seconds as measured there,
    // negative when the child is gone.
    double DrawFrame();

private:
    pid_t pid_ = -1;
    int requests_ = -1;
    int replies_ = -1;
};
