#include "mesh_export.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "../common/arguments.h"
#include "talvex_native.h"

namespace {

struct SlotMesh {
    int slot;
    TalvexSlotGeometry geometry;
    TalvexBoxMapping mapping;
    TalvexSlotData data;  // shape TALVEX_DATA_NONE for a script's slot
    // geometry's indices as 32-bit numbers: a large data set's vertices go
    // beyond what its 16-bit ones name.
    const uint32_t* indices;
};

struct Point {
    double x, y, z;
};

// Vertex i of a slot in the script's coordinates: the box mapping undone;
// or, for a slot of data, the very numbers the host gave.
Point ScriptPoint(const SlotMesh& mesh, int32_t i) {
    const TalvexSlotData& d = mesh.data;
    if (d.shape == TALVEX_DATA_GRID) {
        const int32_t column = i % d.columns, row = i / d.columns;
        return {d.x != nullptr ? d.x[column] : column, d.y != nullptr ? d.y[row] : row, d.z[i]};
    }
    if (d.shape != TALVEX_DATA_NONE) return {d.x[i], d.y[i], d.z[i]};
    const TalvexVertex& v = mesh.geometry.vertices[i];
    const TalvexBoxMapping& m = mesh.mapping;
    auto back = [&m](double box, int axis) { return box * m.scale / 100 + m.centre[axis]; };
    return {back(v.x, 0), back(v.y, 1), back(m.zNegated ? -v.z : v.z, 2)};
}

// The corners of triangle t of a surface, counter-clockwise about its
// parameters' cross product in the script's coordinates.
void TriangleCorners(const SlotMesh& mesh, int32_t t, int32_t (&corners)[3]) {
    const uint32_t* at = mesh.indices + 3 * t;
    corners[0] = at[0];
    corners[1] = mesh.mapping.trianglesReversed ? at[2] : at[1];
    corners[2] = mesh.mapping.trianglesReversed ? at[1] : at[2];
}

// Every slot that kept geometry, with all its computed vertices: a surface
// whose cells all drop out of the picture still has them.
std::string ReadSlots(int32_t chart, int slotCount, std::vector<SlotMesh>& meshes) {
    for (int slot = 0; slot < slotCount; ++slot) {
        SlotMesh mesh{slot, {}, {}, {}, nullptr};
        int32_t indexCount = 0;
        if (talvex_get_slot_geometry(chart, slot, &mesh.geometry) != 0 ||
            talvex_get_slot_mapping(chart, slot, &mesh.mapping) != 0 || talvex_get_slot_data(chart, slot, &mesh.data) != 0 ||
            talvex_get_slot_indices(chart, slot, &mesh.indices, &indexCount) != 0 ||
            indexCount != mesh.geometry.indexCount)
            return "cannot read the geometry of slot " + std::to_string(slot);
        if (mesh.geometry.kind != TALVEX_GRAPH_NONE) meshes.push_back(mesh);
    }
    return "";
}

// A coordinate as the OBJ holds it: a script's to single precision's nine
// digits (its vertices are kept in single precision), data to the fewest
// digits that read back as the very double the host gave.
std::string Number(double value, bool exact) {
    char text[40];
    if (!exact) {
        std::snprintf(text, sizeof text, "%.9g", value);
        return text;
    }
    for (int digits = 15; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    return text;
}

std::string CannotWrite(const std::string& path, int error) {
    return "cannot write " + path + ": " + std::strerror(error != 0 ? error : EIO);
}

std::string WriteObj(const std::vector<SlotMesh>& meshes, const std::string& path) {
    errno = 0;
    std::ofstream out(path);
    if (!out) return CannotWrite(path, errno);
    out << "# TALVEX chart geometry in the scripts' own coordinates: x, y, z as each script computes them\n"
           "# (values beyond the chart's box are clamped to its faces), data as given (holes left out);\n"
           "# faces counter-clockwise about the cross product of the surface's parameter derivatives,\n"
           "# d/du x d/dv (data: u along a row, v down the rows)\n";
    long base = 1;  // OBJ numbers vertices from 1 across the whole file
    for (const SlotMesh& mesh : meshes) {
        const TalvexSlotGeometry& g = mesh.geometry;
        out << "o slot" << mesh.slot << "\n";
        // A slot of data leaves its holes out, numbering the vertices it
        // keeps; a script's every computed vertex is written.
        const bool data = mesh.data.shape != TALVEX_DATA_NONE;
        std::vector<long> number(static_cast<size_t>(g.vertexCount));
        long written = 0;
        for (int32_t v = 0; v < g.vertexCount; ++v) {
            const Point p = ScriptPoint(mesh, v);
            if (data && !(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z))) {
                number[static_cast<size_t>(v)] = -1;
                continue;
            }
            number[static_cast<size_t>(v)] = base + written++;
            out << "v " << Number(p.x, data) << ' ' << Number(p.y, data) << ' ' << Number(p.z, data) << '\n';
        }
        const auto at = [&number](uint32_t v) { return number[v]; };
        const uint32_t* indices = mesh.indices;
        if (g.kind == TALVEX_GRAPH_POINT) {
            out << "p " << base << "\n";
        } else if (g.kind == TALVEX_GRAPH_CLOUD) {
            for (int32_t i = 0; i < g.indexCount; ++i) out << "p " << at(indices[i]) << '\n';
        } else if (g.kind == TALVEX_GRAPH_SURFACE) {
            for (int32_t t = 0; t < g.indexCount / 3; ++t) {
                int32_t corners[3];
                TriangleCorners(mesh, t, corners);
                out << 'f' << ' ' << at(static_cast<uint32_t>(corners[0])) << ' ' << at(static_cast<uint32_t>(corners[1]))
                    << ' ' << at(static_cast<uint32_t>(corners[2])) << '\n';
            }
        } else {
            for (int32_t i = 0; i + 2 <= g.indexCount; i += 2)
                out << "l " << at(indices[i]) << ' ' << at(indices[i + 1]) << '\n';
        }
        base += written;
    }
    out.close();
    if (!out) {
        const int error = errno;
        std::remove(path.c_str());
        return CannotWrite(path, error);
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
        for (int32_t t = 0; t < g.indexCount / 3; ++t) {
            int32_t corners[3];
            TriangleCorners(mesh, t, corners);
            // The corners as the file holds them, single precision, so that
            // the normal agrees with the stored triangle.
            float p[3][3];
            for (int k = 0; k < 3; ++k) {
                const Point q = ScriptPoint(mesh, corners[k]);
                p[k][0] = static_cast<float>(q.x), p[k][1] = static_cast<float>(q.y), p[k][2] = static_cast<float>(q.z);
            }
            const double u[3] = {double(p[1][0]) - p[0][0], double(p[1][1]) - p[0][1], double(p[1][2]) - p[0][2]};
            const double w[3] = {double(p[2][0]) - p[0][0], double(p[2][1]) - p[0][1], double(p[2][2]) - p[0][2]};
            double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
            const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            for (double& c : n) c = length > 0 ? c / length : 0;
            for (double c : n) PutFloat(body, static_cast<float>(c));
            for (int k = 0; k < 3; ++k)
                for (int c = 0; c < 3; ++c) PutFloat(body, p[k][c]);
            body.push_back(0);
            body.push_back(0);
            ++triangles;
        }
    }
    errno = 0;
    std::ofstream out(path, std::ios::binary);
    if (!out) return CannotWrite(path, errno);
    char header[80] = "TALVEX chart surfaces in the scripts' own coordinates";
    out.write(header, sizeof header);
    const unsigned char count[4] = {static_cast<unsigned char>(triangles), static_cast<unsigned char>(triangles >> 8),
                                    static_cast<unsigned char>(triangles >> 16), static_cast<unsigned char>(triangles >> 24)};
    out.write(reinterpret_cast<const char*>(count), 4);
    out.write(body.data(), static_cast<std::streamsize>(body.size()));
    out.close();
    if (!out) {
        const int error = errno;
        std::remove(path.c_str());
        return CannotWrite(path, error);
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
