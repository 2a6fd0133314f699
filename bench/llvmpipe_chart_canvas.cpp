// Framebuffer objects and multisampling are OpenGL 3.0; libOSMesa exports
// them like the rest.
#define GL_GLEXT_PROTOTYPES
#include "llvmpipe_chart_canvas.h"

#include "llvmpipe_canvas.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstddef>

namespace {

// Direct3D keeps depth in 0..w of clip space where GL keeps it in -w..w, and
// it samples pixel i at the whole coordinate i where GL samples at i + 0.5:
// the recorded clip coordinates are moved to GL's.
std::vector<RecordedVertex> ToGl(const ChartRecording& recording) {
    std::vector<RecordedVertex> vertices = recording.vertices;
    for (RecordedVertex& v : vertices) {
        v.z = 2.0f * v.z - v.w;
        v.x += v.w / static_cast<float>(recording.width);
        v.y -= v.w / static_cast<float>(recording.height);
    }
    return vertices;
}

// 0xAARRGGBB texels as GL's RGBA bytes.
std::vector<uint8_t> RgbaBytes(const std::vector<uint32_t>& texels) {
    std::vector<uint8_t> bytes;
    bytes.reserve(texels.size() * 4);
    for (uint32_t texel : texels)
        for (int shift : {16, 8, 0, 24}) bytes.push_back(static_cast<uint8_t>(texel >> shift));
    return bytes;
}

}  // namespace

LlvmpipeChartCanvas::LlvmpipeChartCanvas(const ChartRecording& recording, int samples)
    : pixels_(static_cast<size_t>(recording.width) * static_cast<size_t>(recording.height) * 4), recording_(recording) {
    const int width = recording.width, height = recording.height;
    context_ = MakeMemoryContext(pixels_, width, height);
    if (context_ == nullptr) return;
    if (samples > 1) {
        glGenFramebuffers(1, &framebuffer_);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glGenRenderbuffers(1, &colorBuffer_);
        glBindRenderbuffer(GL_RENDERBUFFER, colorBuffer_);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer_);
        glGenRenderbuffers(1, &depthBuffer_);
        glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH_COMPONENT16, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
        GLint got = 0;
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) glGetIntegerv(GL_SAMPLES, &got);
        if (got > 1) {
            samples_ = got;
        } else {
            // No multisampling to be had: drawn straight into memory.
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            glDeleteFramebuffers(1, &framebuffer_);
            framebuffer_ = 0;
        }
    }
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float red = static_cast<float>((recording.background >> 16) & 0xFF) / 255.0f;
    const float green = static_cast<float>((recording.background >> 8) & 0xFF) / 255.0f;
    const float blue = static_cast<float>(recording.background & 0xFF) / 255.0f;
    glClearColor(red, green, blue, 1.0f);
    glDepthFunc(GL_LEQUAL);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glShadeModel(GL_FLAT);

    const std::vector<RecordedVertex> vertices = ToGl(recording);
    glGenBuffers(1, &vertices_);
    glBindBuffer(GL_ARRAY_BUFFER, vertices_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(RecordedVertex)), vertices.data(),
                 GL_STATIC_DRAW);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(4, GL_FLOAT, sizeof(RecordedVertex), reinterpret_cast<const void*>(offsetof(RecordedVertex, x)));
    glTexCoordPointer(2, GL_FLOAT, sizeof(RecordedVertex), reinterpret_cast<const void*>(offsetof(RecordedVertex, u)));

    textures_.resize(recording.textures.size());
    if (!textures_.empty()) glGenTextures(static_cast<GLsizei>(textures_.size()), textures_.data());
    for (size_t t = 0; t < textures_.size(); ++t) {
        const RecordedTexture& texture = recording.textures[t];
        const std::vector<uint8_t> bytes = RgbaBytes(texture.texels);
        glBindTexture(GL_TEXTURE_2D, textures_[t]);
        // Point sampling with wrapping, as the software device samples.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, texture.width, texture.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     bytes.data());
    }
}

LlvmpipeChartCanvas::~LlvmpipeChartCanvas() {
    // The context takes its buffers, textures and framebuffers with it.
    if (context_ != nullptr) OSMesaDestroyContext(context_);
}

void LlvmpipeChartCanvas::Draw() {
    if (framebuffer_ != 0) glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    for (const RecordedDraw& draw : recording_.draws) {
        if (draw.texture >= 0) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, textures_[static_cast<size_t>(draw.texture)]);
        } else {
            glDisable(GL_TEXTURE_2D);
        }
        glColor4ub(static_cast<GLubyte>(draw.color >> 16), static_cast<GLubyte>(draw.color >> 8),
                   static_cast<GLubyte>(draw.color), 0xFF);
        if (draw.blended) glEnable(GL_BLEND);
        else glDisable(GL_BLEND);
        if (draw.depthTest) glEnable(GL_DEPTH_TEST);
        else glDisable(GL_DEPTH_TEST);
        // Winding is judged as seen on the screen in both: GL's back faces
        // are the clockwise ones.
        if (draw.cull == 0) {
            glDisable(GL_CULL_FACE);
        } else {
            glEnable(GL_CULL_FACE);
            glCullFace(draw.cull == 1 ? GL_BACK : GL_FRONT);
        }
        const GLenum mode = draw.type == 4 ? GL_TRIANGLES : draw.type == 2 ? GL_LINES : GL_POINTS;
        glDrawArrays(mode, static_cast<GLint>(draw.firstVertex), static_cast<GLsizei>(draw.vertexCount));
    }
    if (framebuffer_ != 0) {
        // The samples resolved into the picture in memory.
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glBlitFramebuffer(0, 0, recording_.width, recording_.height, 0, 0, recording_.width, recording_.height,
                          GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    // llvmpipe draws in the background; the frame is done when it is in memory.
    glFinish();
}
