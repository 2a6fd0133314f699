// Buffer objects are OpenGL 1.5; libOSMesa exports them like the rest.
#define GL_GLEXT_PROTOTYPES
#include "llvmpipe_canvas.h"

#include <cstddef>

namespace {

constexpr int kTextureSide = 16;

// Direct3D keeps depth in 0..w of clip space where GL keeps it in -w..w,
// and it samples pixel i at the whole coordinate i where GL samples at
// i + 0.5, so that its picture sits half a pixel right of and below GL's.
// Both are folded into the chart's transform. The matrix is row-major for
// row vectors, which is GL's column-major layout for column vectors.
talvex::Matrix GlTransform(int width, int height) {
    talvex::Matrix toGl = talvex::Matrix::Identity();
    toGl.m[2][2] = 2.0f;
    toGl.m[3][2] = -1.0f;
    toGl.m[3][0] = 1.0f / static_cast<float>(width);
    toGl.m[3][1] = -1.0f / static_cast<float>(height);
    return ChartTransform(width, height) * toGl;
}

// The chart's texture: four 8 x 8 quadrants, a 2 x 2 chessboard of the two
// colours at half alpha (blending stays off, as in the chart).
std::vector<uint8_t> Chessboard(uint32_t primary, uint32_t secondary) {
    std::vector<uint8_t> texels;
    texels.reserve(kTextureSide * kTextureSide * 4);
    for (int r = 0; r < kTextureSide; ++r)
        for (int c = 0; c < kTextureSide; ++c) {
            const uint32_t color = (c < 8) == (r < 8) ? primary : secondary;
            for (int shift : {16, 8, 0}) texels.push_back(static_cast<uint8_t>(color >> shift));
            texels.push_back(0x7F);
        }
    return texels;
}

}  // namespace

OSMesaContext MakeMemoryContext(std::vector<uint8_t>& pixels, int width, int height) {
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr);
    if (context == nullptr) return nullptr;
    if (!OSMesaMakeCurrent(context, pixels.data(), GL_UNSIGNED_BYTE, width, height)) {
        OSMesaDestroyContext(context);
        return nullptr;
    }
    // Top row first, as the chart's pictures are.
    OSMesaPixelStore(OSMESA_Y_UP, 0);
    return context;
}

LlvmpipeCanvas::LlvmpipeCanvas(int width, int height, const SceneSlots& slots)
    : pixels_(static_cast<size_t>(width) * static_cast<size_t>(height) * 4) {
    context_ = MakeMemoryContext(pixels_, width, height);
    if (context_ == nullptr) return;
    glViewport(0, 0, width, height);
    const talvex::Matrix transform = GlTransform(width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(&transform.m[0][0]);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);  // a new control's background
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // The chart's surfaces are unlit: one colour a draw.
    glShadeModel(GL_FLAT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);

    for (int s = 0; s < kSceneSlots; ++s) {
        const TalvexSlotGeometry& geometry = slots[static_cast<size_t>(s)];
        Slot& slot = slots_[s];
        slot.indexCount = geometry.indexCount;
        glGenBuffers(1, &slot.vertices);
        glBindBuffer(GL_ARRAY_BUFFER, slot.vertices);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(geometry.vertexCount * sizeof(TalvexVertex)),
                     geometry.vertices, GL_STATIC_DRAW);
        glGenBuffers(1, &slot.indices);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, slot.indices);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(geometry.indexCount * sizeof(uint16_t)),
                     geometry.indices, GL_STATIC_DRAW);
        const std::vector<uint8_t> texels = Chessboard(kSlotColors[s][0], kSlotColors[s][1]);
        glGenTextures(1, &slot.texture);
        glBindTexture(GL_TEXTURE_2D, slot.texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kTextureSide, kTextureSide, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     texels.data());
    }
}

LlvmpipeCanvas::~LlvmpipeCanvas() {
    // The context takes its buffers and textures with it.
    if (context_ != nullptr) OSMesaDestroyContext(context_);
}

void LlvmpipeCanvas::Draw() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    for (const Slot& slot : slots_) {
        glBindTexture(GL_TEXTURE_2D, slot.texture);
        glBindBuffer(GL_ARRAY_BUFFER, slot.vertices);
        glVertexPointer(3, GL_FLOAT, sizeof(TalvexVertex), reinterpret_cast<const void*>(offsetof(TalvexVertex, x)));
        glTexCoordPointer(2, GL_FLOAT, sizeof(TalvexVertex),
                          reinterpret_cast<const void*>(offsetof(TalvexVertex, tu)));
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, slot.indices);
        // Winding is judged as seen on the screen in both: GL's back faces
        // are the clockwise ones, which the chart's first pass culls.
        glCullFace(GL_BACK);
        glColor3ub(0xFF, 0xFF, 0xFF);
        glDrawElements(GL_TRIANGLES, slot.indexCount, GL_UNSIGNED_SHORT, nullptr);
        glCullFace(GL_FRONT);
        glColor3ub(0x7F, 0x7F, 0x7F);
        glDrawElements(GL_TRIANGLES, slot.indexCount, GL_UNSIGNED_SHORT, nullptr);
    }
    // llvmpipe draws in the background; the frame is done when it is in memory.
    glFinish();
}
