#include "llvmpipe_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <vector>

#include "llvmpipe_canvas.h"
#include "llvmpipe_chart_canvas.h"

namespace {

enum Request : int32_t { kLoad = 1, kFrame = 2, kLoadChart = 3 };

bool WriteAll(int fd, const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool ReadAll(int fd, void* data, size_t size) {
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t got = read(fd, bytes, size);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        bytes += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

// The parent's ends of the pipes of the children still running. A child
// forked later closes its copies, or a child would never see the end of its
// requests while a younger sibling held them open.
std::vector<int>& ParentEnds() {
    static std::vector<int> ends;
    return ends;
}

// The slots' geometry as it comes through the pipe, and the views of it the
// canvas takes.
struct ReceivedScene {
    int32_t width = 0, height = 0;
    std::array<std::vector<TalvexVertex>, kSceneSlots> vertices;
    std::array<std::vector<uint16_t>, kSceneSlots> indices;
    SceneSlots slots{};

    bool Read(int fd) {
        if (!ReadAll(fd, &width, sizeof width) || !ReadAll(fd, &height, sizeof height)) return false;
        for (size_t s = 0; s < slots.size(); ++s) {
            int32_t counts[2];
            if (!ReadAll(fd, counts, sizeof counts)) return false;
            vertices[s].resize(static_cast<size_t>(counts[0]));
            indices[s].resize(static_cast<size_t>(counts[1]));
            if (!ReadAll(fd, vertices[s].data(), vertices[s].size() * sizeof(TalvexVertex)) ||
                !ReadAll(fd, indices[s].data(), indices[s].size() * sizeof(uint16_t)))
                return false;
            slots[s].kind = TALVEX_GRAPH_SURFACE;
            slots[s].vertexCount = counts[0];
            slots[s].vertices = vertices[s].data();
            slots[s].indexCount = counts[1];
            slots[s].indices = indices[s].data();
        }
        return true;
    }
};

template <typename Item>
bool WriteVector(int fd, const std::vector<Item>& items) {
    const uint64_t count = items.size();
    return WriteAll(fd, &count, sizeof count) && WriteAll(fd, items.data(), count * sizeof(Item));
}

template <typename Item>
bool ReadVector(int fd, std::vector<Item>& items) {
    uint64_t count = 0;
    if (!ReadAll(fd, &count, sizeof count) || count > (uint64_t{1} << 32)) return false;
    items.resize(count);
    return ReadAll(fd, items.data(), count * sizeof(Item));
}

bool WriteRecording(int fd, const ChartRecording& recording, int32_t samples) {
    const int32_t head[4] = {recording.width, recording.height, static_cast<int32_t>(recording.background), samples};
    bool sent = WriteAll(fd, head, sizeof head) && WriteVector(fd, recording.draws) &&
                WriteVector(fd, recording.vertices);
    const uint64_t textures = recording.textures.size();
    sent = sent && WriteAll(fd, &textures, sizeof textures);
    for (const RecordedTexture& texture : recording.textures) {
        const int32_t sides[2] = {texture.width, texture.height};
        sent = sent && WriteAll(fd, sides, sizeof sides) && WriteVector(fd, texture.texels);
    }
    return sent;
}

bool ReadRecording(int fd, ChartRecording& recording, int32_t& samples) {
    int32_t head[4];
    if (!ReadAll(fd, head, sizeof head) || !ReadVector(fd, recording.draws) || !ReadVector(fd, recording.vertices))
        return false;
    recording.width = head[0];
    recording.height = head[1];
    recording.background = static_cast<uint32_t>(head[2]);
    samples = head[3];
    uint64_t textures = 0;
    if (!ReadAll(fd, &textures, sizeof textures) || textures > 1024) return false;
    recording.textures.resize(textures);
    for (RecordedTexture& texture : recording.textures) {
        int32_t sides[2];
        if (!ReadAll(fd, sides, sizeof sides) || !ReadVector(fd, texture.texels)) return false;
        texture.width = sides[0];
        texture.height = sides[1];
    }
    return true;
}

// The child: draws what it is asked for until the parent closes the pipe.
[[noreturn]] void Serve(const char* threads, int requests, int replies) {
    if (threads != nullptr) setenv("LP_NUM_THREADS", threads, 1);
    else unsetenv("LP_NUM_THREADS");
    // One of the two, whichever was loaded last.
    std::unique_ptr<LlvmpipeCanvas> canvas;
    std::unique_ptr<LlvmpipeChartCanvas> chart;
    int32_t request = 0;
    while (ReadAll(requests, &request, sizeof request)) {
        if (request == kLoad) {
            ReceivedScene scene;
            if (!scene.Read(requests)) break;
            canvas.reset();
            chart.reset();
            canvas = std::make_unique<LlvmpipeCanvas>(scene.width, scene.height, scene.slots);
            if (canvas->ok()) canvas->Draw();
            const int32_t made = canvas->ok() ? 1 : 0;
            if (!WriteAll(replies, &made, sizeof made)) break;
        } else if (request == kLoadChart) {
            ChartRecording recording;
            int32_t samples = 1;
            if (!ReadRecording(requests, recording, samples)) break;
            canvas.reset();
            chart.reset();
            chart = std::make_unique<LlvmpipeChartCanvas>(recording, samples);
            if (chart->ok()) chart->Draw();
            const int32_t made = chart->ok() ? chart->samples() : 0;
            if (!WriteAll(replies, &made, sizeof made)) break;
        } else {
            double seconds = -1;
            if ((canvas != nullptr && canvas->ok()) || (chart != nullptr && chart->ok())) {
                const auto start = std::chrono::steady_clock::now();
                if (canvas != nullptr) canvas->Draw();
                else chart->Draw();
                seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            }
            if (!WriteAll(replies, &seconds, sizeof seconds)) break;
        }
    }
    canvas.reset();
    chart.reset();
    // The parent's atexit handlers and static objects are the parent's.
    _exit(0);
}

}  // namespace

LlvmpipeProcess::LlvmpipeProcess(const char* threads) {
    // A child that is gone must show as a failed write, not end this process.
    std::signal(SIGPIPE, SIG_IGN);
    int toChild[2], toParent[2];
    if (pipe(toChild) != 0) return;
    if (pipe(toParent) != 0) {
        close(toChild[0]);
        close(toChild[1]);
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        for (int fd : ParentEnds()) close(fd);
        close(toChild[1]);
        close(toParent[0]);
        Serve(threads, toChild[0], toParent[1]);
    }
    close(toChild[0]);
    close(toParent[1]);
    if (pid_ < 0) {
        close(toChild[1]);
        close(toParent[0]);
        return;
    }
    requests_ = toChild[1];
    replies_ = toParent[0];
    ParentEnds().push_back(requests_);
    ParentEnds().push_back(replies_);
}

LlvmpipeProcess::~LlvmpipeProcess() {
    if (pid_ <= 0) return;
    std::vector<int>& ends = ParentEnds();
    ends.erase(std::remove_if(ends.begin(), ends.end(), [this](int fd) { return fd == requests_ || fd == replies_; }),
               ends.end());
    close(requests_);
    close(replies_);
    waitpid(pid_, nullptr, 0);
}

bool LlvmpipeProcess::Load(int width, int height, const SceneSlots& slots) {
    if (pid_ <= 0) return false;
    const int32_t head[3] = {kLoad, width, height};
    bool sent = WriteAll(requests_, head, sizeof head);
    for (const TalvexSlotGeometry& slot : slots) {
        const int32_t counts[2] = {slot.vertexCount, slot.indexCount};
        sent = sent && WriteAll(requests_, counts, sizeof counts) &&
               WriteAll(requests_, slot.vertices, static_cast<size_t>(slot.vertexCount) * sizeof(TalvexVertex)) &&
               WriteAll(requests_, slot.indices, static_cast<size_t>(slot.indexCount) * sizeof(uint16_t));
    }
    int32_t made = 0;
    return sent && ReadAll(replies_, &made, sizeof made) && made == 1;
}

int LlvmpipeProcess::LoadChart(const ChartRecording& recording, int samples) {
    if (pid_ <= 0) return 0;
    const int32_t request = kLoadChart;
    int32_t made = 0;
    const bool sent = WriteAll(requests_, &request, sizeof request) && WriteRecording(requests_, recording, samples);
    return sent && ReadAll(replies_, &made, sizeof made) ? made : 0;
}

double LlvmpipeProcess::DrawFrame() {
    const int32_t request = kFrame;
    double seconds = -1;
    if (pid_ <= 0 || !WriteAll(requests_, &request, sizeof request) || !ReadAll(replies_, &seconds, sizeof seconds))
        return -1;
    return seconds;
}
