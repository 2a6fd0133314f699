#include "chart_recording.h"

#include <cstddef>
#include <map>

#include "platform/soft/soft_faults.h"
#include "talvex_native.h"

namespace {

struct Recorder {
    ChartRecording* recording = nullptr;
    std::map<const uint32_t*, int32_t> textureIndex;
};

Recorder& TheRecorder() {
    static Recorder recorder;
    return recorder;
}

void Record(const talvex::soft::DrawObservation& draw) {
    Recorder& recorder = TheRecorder();
    ChartRecording& out = *recorder.recording;
    if (draw.wireframe) return;
    RecordedDraw recorded;
    recorded.type = draw.type;
    recorded.firstVertex = static_cast<uint32_t>(out.vertices.size());
    recorded.vertexCount = static_cast<uint32_t>(draw.vertexCount);
    recorded.color = draw.color;
    recorded.blended = draw.blended ? 1 : 0;
    recorded.depthTest = draw.depthTest ? 1 : 0;
    recorded.cull = draw.cull == talvex::soft::Cull::Clockwise          ? 1
                    : draw.cull == talvex::soft::Cull::CounterClockwise ? 2
                                                                        : 0;
    if (draw.texels != nullptr) {
        const auto found = recorder.textureIndex.find(draw.texels);
        if (found != recorder.textureIndex.end()) {
            recorded.texture = found->second;
        } else {
            recorded.texture = static_cast<int32_t>(out.textures.size());
            recorder.textureIndex[draw.texels] = recorded.texture;
            const size_t count = static_cast<size_t>(draw.textureWidth) * static_cast<size_t>(draw.textureHeight);
            out.textures.push_back({draw.textureWidth, draw.textureHeight, {draw.texels, draw.texels + count}});
        }
    }
    for (size_t i = 0; i < draw.vertexCount; ++i) {
        const talvex::soft::ClipVertex& v = draw.vertices[i];
        out.vertices.push_back({v.x, v.y, v.z, v.w, v.u, v.v});
    }
    out.draws.push_back(recorded);
}

}  // namespace

bool RecordChartFrame(int32_t handle, int32_t width, int32_t height, ChartRecording& recording) {
    recording = ChartRecording{};
    recording.width = width;
    recording.height = height;
    Recorder& recorder = TheRecorder();
    recorder = Recorder{&recording, {}};
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    talvex::soft::InjectedFaults().drawObserver = Record;
    const bool drawn = talvex_render_picture(handle, pixels.data(), width, height) == 0;
    talvex::soft::InjectedFaults().drawObserver = nullptr;
    recorder = Recorder{};
    return drawn;
}
