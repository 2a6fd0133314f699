#include "mesh_export.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "../common/arguments.h"
#include "talvex_native.h"

namespace {

struct SlotMesh {
    int slot;
    TalvexSlotGeometry geometry;
};

// Every slot that kept geometry, with all its computed vertices: a surface
// whose cells all drop out of the picture still has them.
std::string ReadSlots(int32_t chart, int slotCount, std::vector<SlotMesh>& meshes) {
    for (int slot = 0; slot < slotCount; ++slot) {
        SlotMesh mesh{slot, {}};
        const int32_t result = talvex_get_slot_geometry(chart, slot, &mesh.geometry);
        if (result != 0) return "cannot read the geometry of slot " + std::to_string(slot);
        if (mesh.geometry.kind != TALVEX_GRAPH_NONE) meshes.push_back(mesh);
    }
    return "";
}

std::string WriteObj(const std::vector<SlotMesh>& meshes, const std::string& path) {
    std::ofstream out(path);
    if (!out) return "cannot write " + path;
    out << "# TALVEX chart geometry in box coordinates (-100 .. 100)\n";
    long base = 1;  // OBJ numbers vertices from 1 across the whole file
    for (const SlotMesh& mesh : meshes) {
        const TalvexSlotGeometry& g = mesh.geometry;
        out << "o slot" << mesh.slot << "\n";
        char line[96];
        for (int32_t v = 0; v < g.vertexCount; ++v) {
            std::snprintf(line, sizeof line, "v %.9g %.9g %.9g\n", g.vertices[v].x, g.vertices[v].y, g.vertices[v].z);
            out << line;
        }
        if (g.kind == TALVEX_GRAPH_POINT) {
            out << "p " << base << "\n";
        } else {
            // Triangles of a surface, segments of a curve, as computed.
            const int per = g.kind == TALVEX_GRAPH_SURFACE ? 3 : 2;
            const char* element = per == 3 ? "f" : "l";
            for (int32_t i = 0; i + per <= g.indexCount; i += per) {
                out << element;
                for (int k = 0; k < per; ++k) out << ' ' << base + g.indices[i + k];
                out << '\n';
            }
        }
        base += g.vertexCount;
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

std::string WriteStl(const std::vector<SlotMesh>& meshes, const std::string& path) {
    std::vector<char> body;
    uint32_t triangles = 0;
    for (const SlotMesh& mesh : meshes) {
        const TalvexSlotGeometry& g = mesh.geometry;
        if (g.kind != TALVEX_GRAPH_SURFACE) continue;  // STL holds triangles only
        for (int32_t i = 0; i + 3 <= g.indexCount; i += 3) {
            float p[3][3];
            for (int k = 0; k < 3; ++k) {
                const TalvexVertex& v = g.vertices[g.indices[i + k]];
                p[k][0] = v.x, p[k][1] = v.y, p[k][2] = v.z;
            }
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

std::string ExportMesh(int32_t chart, int slotCount, const std::string& path) {
    std::vector<SlotMesh> meshes;
    const std::string problem = ReadSlots(chart, slotCount, meshes);
    if (!problem.empty()) return problem;
    if (EndsWith(path, ".obj")) return WriteObj(meshes, path);
    if (EndsWith(path, ".stl")) return WriteStl(meshes, path);
    return "--mesh takes a file ending in .obj or .stl";
}
