#include "mesh_export.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "talvex_window.h"

namespace {

// The slots draw in fixed colours: the slot of a draw is found by its colour.
int SlotOfColor(uint32_t color) {
    static const uint32_t kSlotColors[3] = {0xFF0080, 0x0080FF, 0xD0D080};
    for (int slot = 0; slot < 3; ++slot)
        if (color == kSlotColors[slot]) return slot;
    return -1;
}

// The draws that carry each slot's geometry once: a solid surface is drawn in
// two passes, and the first (culling clockwise) is the one kept.
std::vector<TalvexMeshDraw> SlotDraws(TalvexWindow window) {
    std::vector<TalvexMeshDraw> draws;
    const int32_t count = talvex_window_mesh_draw_count(window);
    for (int32_t i = 0; i < count; ++i) {
        TalvexMeshDraw draw;
        if (!talvex_window_mesh_draw(window, i, &draw)) continue;
        if (draw.primitive == 4 && draw.textured && draw.cull != 2) continue;
        draws.push_back(draw);
    }
    return draws;
}

bool EndsWith(const std::string& text, const char* ending) {
    const size_t n = std::strlen(ending);
    return text.size() >= n && text.compare(text.size() - n, n, ending) == 0;
}

std::string WriteObj(const std::vector<TalvexMeshDraw>& draws, const std::string& path) {
    std::ofstream out(path);
    if (!out) return "cannot write " + path;
    out << "# TALVEX chart geometry in box coordinates (-100 .. 100)\n";
    long base = 1;  // OBJ numbers vertices from 1 across the whole file
    for (const TalvexMeshDraw& draw : draws) {
        out << "o slot" << SlotOfColor(draw.color) << "\n";
        char line[96];
        for (int32_t v = 0; v < draw.vertexCount; ++v) {
            std::snprintf(line, sizeof line, "v %.9g %.9g %.9g\n", draw.vertices[3 * v], draw.vertices[3 * v + 1],
                          draw.vertices[3 * v + 2]);
            out << line;
        }
        const int per = draw.primitive == 4 ? 3 : draw.primitive == 2 ? 2 : 1;
        const char* element = per == 3 ? "f" : per == 2 ? "l" : "p";
        for (int32_t i = 0; i + per <= draw.indexCount; i += per) {
            out << element;
            for (int k = 0; k < per; ++k) out << ' ' << base + draw.indices[i + k];
            out << '\n';
        }
        base += draw.vertexCount;
    }
    out.close();
    if (!out) {
        std::remove(path.c_str());
        return "cannot write " + path;
    }
    return "";
}

void PutFloat(std::vector<char>& out, float value) {
    char bytes[4];
    std::memcpy(bytes, &value, 4);
    out.insert(out.end(), bytes, bytes + 4);
}

std::string WriteStl(const std::vector<TalvexMeshDraw>& draws, const std::string& path) {
    std::vector<char> body;
    uint32_t triangles = 0;
    for (const TalvexMeshDraw& draw : draws) {
        if (draw.primitive != 4) continue;  // STL holds surfaces only
        for (int32_t i = 0; i + 3 <= draw.indexCount; i += 3) {
            const float* p[3];
            for (int k = 0; k < 3; ++k) p[k] = draw.vertices + 3 * draw.indices[i + k];
            const float u[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
            const float w[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
            float n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
            const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            for (float& c : n) c = length > 0 ? c / length : 0;
            for (float c : n) PutFloat(body, c);
            for (int k = 0; k < 3; ++k)
                for (int c = 0; c < 3; ++c) PutFloat(body, p[k][c]);
            body.push_back(0);
            body.push_back(0);
            ++triangles;
        }
    }
    std::ofstream out(path, std::ios::binary);
    if (!out) return "cannot write " + path;
    char header[80] = "TALVEX chart surfaces in box coordinates";
    out.write(header, sizeof header);
    const unsigned char count[4] = {static_cast<unsigned char>(triangles), static_cast<unsigned char>(triangles >> 8),
                                    static_cast<unsigned char>(triangles >> 16), static_cast<unsigned char>(triangles >> 24)};
    out.write(reinterpret_cast<const char*>(count), 4);
    out.write(body.data(), static_cast<std::streamsize>(body.size()));
    out.close();
    if (!out) {
        std::remove(path.c_str());
        return "cannot write " + path;
    }
    return "";
}

}  // namespace

std::string ExportMesh(TalvexWindow chartWindow, const std::string& path) {
    const std::vector<TalvexMeshDraw> draws = SlotDraws(chartWindow);
    if (EndsWith(path, ".obj")) return WriteObj(draws, path);
    if (EndsWith(path, ".stl")) return WriteStl(draws, path);
    return "--mesh takes a file ending in .obj or .stl";
}
