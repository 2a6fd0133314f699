// The functions of talvex_native.h, exported by libtalvex.so alone: the
// slots' geometry, the chart's picture, the view's angles and handedness,
// each behind the same handle check as the 33 functions and with nothing
// thrown across the boundary; the codes' sentences, the version and the
// software device's number of threads.
#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "api/control_call.h"
#include "api/style_record.h"
#include "platform/soft/render_threads.h"
#include "talvex.h"
#include "talvex_native.h"

using talvex::ChartControl;
using talvex::api::Act;

namespace {

static_assert(sizeof(TalvexVertex) == sizeof(talvex::graph::GraphVertex), "a kept vertex is a TalvexVertex");
static_assert(static_cast<int>(talvex::graph::GraphKind::Surface) == TALVEX_GRAPH_SURFACE &&
                  static_cast<int>(talvex::graph::GraphKind::Curve) == TALVEX_GRAPH_CURVE &&
                  static_cast<int>(talvex::graph::GraphKind::Point) == TALVEX_GRAPH_POINT &&
                  static_cast<int>(talvex::graph::GraphKind::None) == TALVEX_GRAPH_NONE &&
                  static_cast<int>(talvex::graph::GraphKind::Cloud) == TALVEX_GRAPH_CLOUD,
              "the graph kinds are the TALVEX_GRAPH_ values");

// The record that describes a kept geometry; it points into the slot's own
// storage, which later calculations overwrite in place (control/calculation.cpp).
TalvexSlotGeometry Describe(const talvex::graph::SlotGeometry& geometry) {
    TalvexSlotGeometry record{};
    record.kind = static_cast<int32_t>(geometry.kind);
    if (geometry.kind == talvex::graph::GraphKind::None) return record;
    record.samplesU = geometry.samplesU;
    record.samplesV = geometry.samplesV;
    record.vertexCount = geometry.VertexCount();
    record.vertices = record.vertexCount > 0 ? reinterpret_cast<const TalvexVertex*>(geometry.vertices.data()) : nullptr;
    record.indexCount = static_cast<int32_t>(geometry.indices.size());
    // Null when a vertex's number does not fit 16 bits (talvex_get_slot_indices).
    record.indices = geometry.indices16.empty() ? nullptr : geometry.indices16.data();
    return record;
}

// A sentence into a host's buffer of size bytes (at least 1), cut to fit
// with its closing 0.
void CopySentence(const std::string& sentence, char* text, int32_t size) {
    const size_t length = std::min(sentence.size(), static_cast<size_t>(size) - 1);
    std::memcpy(text, sentence.data(), length);
    text[length] = '\0';
}

// The data functions' common path. The arrays are copied only once their
// sizes are known to fit a slot: sizes that do not are refused by their
// sizes alone, before anything is read.
int32_t SetSlotData(int32_t handle, int32_t slot, talvex::graph::DataShape shape, int32_t columns, int32_t rows,
                    const double* x, const double* y, const double* z, char* why, int32_t whySize) {
    return Act(handle, [&](ChartControl& c) {
        if (slot < 0 || slot >= talvex::kSlotCount) return talvex::kBadSlot;
        const bool grid = shape == talvex::graph::DataShape::kGrid;
        if (z == nullptr || (!grid && (x == nullptr || y == nullptr))) return talvex::kPointer;
        if (why != nullptr && whySize < 1) return talvex::kInvalidArgument;
        talvex::graph::SlotData data;
        data.shape = shape;
        data.columns = columns;
        data.rows = rows;
        if (columns >= 1 && rows >= 1 &&
            static_cast<int64_t>(columns) * rows <= talvex::graph::kDataValueCapacity) {
            const auto count = static_cast<size_t>(columns) * static_cast<size_t>(rows);
            data.z.assign(z, z + count);
            if (grid) {
                if (x != nullptr) data.x.assign(x, x + columns);
                if (y != nullptr) data.y.assign(y, y + rows);
            } else {
                data.x.assign(x, x + count);
                data.y.assign(y, y + count);
            }
        }
        std::string reason;
        const talvex::Result result = c.SetData(slot, std::move(data), reason);
        if (why != nullptr) CopySentence(reason, why, whySize);
        return result;
    });
}

}  // namespace

extern "C" {

TALVEX_NATIVE_API int32_t talvex_get_slot_note(int32_t handle, int32_t slot, char* text, int32_t size) {
    return Act(handle, [&](ChartControl& c) {
        if (slot < 0 || slot >= talvex::kSlotCount) return talvex::kBadSlot;
        if (text == nullptr) return talvex::kPointer;
        if (size < 1) return talvex::kInvalidArgument;
        CopySentence(c.Slot(slot).geometry.note, text, size);
        return talvex::kOk;
    });
}

TALVEX_NATIVE_API int32_t talvex_get_slot_data(int32_t handle, int32_t slot, TalvexSlotData* out) {
    return Act(handle, [&](ChartControl& c) {
        if (slot < 0 || slot >= talvex::kSlotCount) return talvex::kBadSlot;
        if (out == nullptr) return talvex::kPointer;
        TalvexSlotData record{};
        const talvex::graph::SlotData* data = c.Slot(slot).data.get();
        if (data != nullptr) {
            using talvex::graph::DataShape;
            record.shape = data->shape == DataShape::kGrid      ? TALVEX_DATA_GRID
                           : data->shape == DataShape::kSurface ? TALVEX_DATA_SURFACE
                           : data->shape == DataShape::kCurve   ? TALVEX_DATA_CURVE
                                                                : TALVEX_DATA_POINTS;
            record.columns = data->columns;
            record.rows = data->rows;
            record.x = data->x.empty() ? nullptr : data->x.data();
            record.y = data->y.empty() ? nullptr : data->y.data();
            record.z = data->z.data();
        }
        *out = record;
        return talvex::kOk;
    });
}

TALVEX_NATIVE_API int32_t talvex_set_grid(int32_t handle, int32_t slot, int32_t columns, int32_t rows, const double* z,
                                          const double* x, const double* y, char* why, int32_t whySize) {
    return SetSlotData(handle, slot, talvex::graph::DataShape::kGrid, columns, rows, x, y, z, why, whySize);
}

TALVEX_NATIVE_API int32_t talvex_set_surface(int32_t handle, int32_t slot, int32_t columns, int32_t rows,
                                             const double* x, const double* y, const double* z, char* why,
                                             int32_t whySize) {
    return SetSlotData(handle, slot, talvex::graph::DataShape::kSurface, columns, rows, x, y, z, why, whySize);
}

TALVEX_NATIVE_API int32_t talvex_set_curve(int32_t handle, int32_t slot, int32_t count, const double* x,
                                           const double* y, const double* z, char* why, int32_t whySize) {
    return SetSlotData(handle, slot, talvex::graph::DataShape::kCurve, count, 1, x, y, z, why, whySize);
}

TALVEX_NATIVE_API int32_t talvex_set_points(int32_t handle, int32_t slot, int32_t count, const double* x,
                                            const double* y, const double* z, char* why, int32_t whySize) {
    return SetSlotData(handle, slot, talvex::graph::DataShape::kCloud, count, 1, x, y, z, why, whySize);
}


TALVEX_NATIVE_API int32_t talvex_get_slot_geometry(int32_t handle, int32_t slot, TalvexSlotGeometry* out) {
    return Act(handle, [&](ChartControl& c) {
        if (slot < 0 || slot >= talvex::kSlotCount) return talvex::kBadSlot;
        if (out == nullptr) return talvex::kPointer;
        *out = Describe(c.Slot(slot).geometry);
        return talvex::kOk;
    });
}

TALVEX_NATIVE_API int32_t talvex_get_slot_indices(int32_t handle, int32_t slot, const uint32_t** indices,
                                                  int32_t* count) {
    return Act(handle, [&](ChartControl& c) {
        if (slot < 0 || slot >= talvex::kSlotCount) return talvex::kBadSlot;
        if (indices == nullptr || count == nullptr) return talvex::kPointer;
        const std::vector<uint32_t>& kept = c.Slot(slot).geometry.indices;
        *indices = kept.empty() ? nullptr : kept.data();
        *count = static_cast<int32_t>(kept.size());
        return talvex::kOk;
    });
}

TALVEX_NATIVE_API int32_t talvex_get_slot_error(int32_t handle, int32_t slot, int32_t* code, char* text, int32_t size) {
    return Act(handle, [&](ChartControl& c) {
        if (slot < 0 || slot >= talvex::kSlotCount) return talvex::kBadSlot;
        if (code == nullptr) return talvex::kPointer;
        if (text != nullptr && size < 1) return talvex::kInvalidArgument;
        const talvex::ScriptSlot& kept = c.Slot(slot);
        *code = kept.lastCalculation;
        if (text != nullptr) CopySentence(kept.lastCalculationText, text, size);
        return talvex::kOk;
    });
}

TALVEX_NATIVE_API int32_t talvex_get_slot_mapping(int32_t handle, int32_t slot, TalvexBoxMapping* out) {
    return Act(handle, [&](ChartControl& c) {
        if (slot < 0 || slot >= talvex::kSlotCount) return talvex::kBadSlot;
        if (out == nullptr) return talvex::kPointer;
        const talvex::graph::BoxMapping& mapping = c.Slot(slot).geometry.mapping;
        TalvexBoxMapping record{};
        // One number cannot say three scales: not a number then, rather
        // than one axis's scale taken for all.
        record.scale = mapping.OneScale() ? mapping.scale[0] : std::numeric_limits<double>::quiet_NaN();
        for (int axis = 0; axis < 3; ++axis) record.centre[axis] = mapping.centre[axis];
        record.zNegated = mapping.zNegated ? 1 : 0;
        record.trianglesReversed = mapping.trianglesReversed ? 1 : 0;
        *out = record;
        return talvex::kOk;
    });
}

TALVEX_NATIVE_API int32_t talvex_set_axis_range(int32_t handle, int32_t axis, double low, double high, char* why,
                                                int32_t whySize) {
    return Act(handle, [&](ChartControl& c) {
        if (why != nullptr && whySize < 1) return talvex::kInvalidArgument;
        std::string reason;
        const talvex::Result result = c.SetAxisRange(axis, low, high, reason);
        if (why != nullptr) CopySentence(reason, why, whySize);
        return result;
    });
}

TALVEX_NATIVE_API int32_t talvex_get_axis_range(int32_t handle, int32_t axis, double* low, double* high) {
    return Act(handle, [&](ChartControl& c) {
        if (axis < 0 || axis > 2) return talvex::kInvalidArgument;
        if (low == nullptr || high == nullptr) return talvex::kPointer;
        c.GetAxisRange(axis, *low, *high);
        return talvex::kOk;
    });
}

TALVEX_NATIVE_API int32_t talvex_set_shared_box(int32_t handle, int32_t shared) {
    return Act(handle, [&](ChartControl& c) {
        c.SetSharedBox(shared != 0);
        return talvex::kOk;
    });
}

TALVEX_NATIVE_API int32_t talvex_get_shared_box(int32_t handle, int32_t* shared) {
    return Act(handle, [&](ChartControl& c) {
        if (shared == nullptr) return talvex::kPointer;
        *shared = c.SharedBox() ? 1 : 0;
        return talvex::kOk;
    });
}

TALVEX_NATIVE_API int32_t talvex_get_slot_axis_mapping(int32_t handle, int32_t slot, TalvexAxisMapping* out) {
    return Act(handle, [&](ChartControl& c) {
        if (slot < 0 || slot >= talvex::kSlotCount) return talvex::kBadSlot;
        if (out == nullptr) return talvex::kPointer;
        const talvex::graph::BoxMapping& mapping = c.Slot(slot).geometry.mapping;
        TalvexAxisMapping record{};
        for (int axis = 0; axis < 3; ++axis) {
            record.scale[axis] = mapping.scale[axis];
            record.centre[axis] = mapping.centre[axis];
        }
        record.zNegated = mapping.zNegated ? 1 : 0;
        record.trianglesReversed = mapping.trianglesReversed ? 1 : 0;
        *out = record;
        return talvex::kOk;
    });
}

TALVEX_NATIVE_API int32_t talvex_render_picture(int32_t handle, uint32_t* pixels, int32_t width, int32_t height) {
    return Act(handle, [&](ChartControl& c) { return c.DrawPicture(pixels, width, height); });
}

TALVEX_NATIVE_API int32_t talvex_get_view_angles(int32_t handle, double* aboutX, double* aboutY, double* aboutZ) {
    return Act(handle, [&](ChartControl& c) {
        if (aboutX == nullptr || aboutY == nullptr || aboutZ == nullptr) return talvex::kPointer;
        c.GetAnglesInDegrees(*aboutX, *aboutY, *aboutZ);
        return talvex::kOk;
    });
}

TALVEX_NATIVE_API int32_t talvex_set_view_angles(int32_t handle, double aboutX, double aboutY, double aboutZ) {
    return Act(handle, [&](ChartControl& c) { return c.SetAnglesInDegrees(aboutX, aboutY, aboutZ); });
}

TALVEX_NATIVE_API int32_t talvex_turn_view(int32_t handle, int32_t right, int32_t down) {
    return Act(handle, [&](ChartControl& c) {
        c.Turn(down, right);
        return talvex::kOk;
    });
}

TALVEX_NATIVE_API int32_t talvex_get_left_handed(int32_t handle, int32_t* leftHanded) {
    return Act(handle, [&](ChartControl& c) {
        if (leftHanded == nullptr) return talvex::kPointer;
        *leftHanded = c.IsLeftHanded() ? 1 : 0;
        return talvex::kOk;
    });
}

TALVEX_NATIVE_API int32_t talvex_get_style(int32_t handle, TalvexStyle* out) {
    return Act(handle, [&](ChartControl& c) {
        if (out == nullptr) return talvex::kPointer;
        if (out->size != TALVEX_STYLE_SIZE) return talvex::kInvalidArgument;
        *out = talvex::api::StyleRecord(c.Style());
        return talvex::kOk;
    });
}

TALVEX_NATIVE_API int32_t talvex_set_style(int32_t handle, const TalvexStyle* style, char* why, int32_t whySize) {
    return Act(handle, [&](ChartControl& c) {
        if (style == nullptr) return talvex::kPointer;
        if (why != nullptr && whySize < 1) return talvex::kInvalidArgument;
        std::string reason;
        talvex::render::ChartStyle wanted;
        const talvex::Result result = talvex::api::StyleFromRecord(*style, wanted, reason)
                                          ? c.SetStyle(wanted, reason)
                                          : talvex::kInvalidArgument;
        if (why != nullptr) CopySentence(reason, why, whySize);
        return result;
    });
}

TALVEX_NATIVE_API void talvex_default_style(TalvexStyle* out) {
    if (out != nullptr) *out = talvex::api::StyleRecord(talvex::render::ChartStyle{});
}

TALVEX_NATIVE_API const char* talvex_error_text(int32_t code) { return talvex::ResultText(code); }

TALVEX_NATIVE_API const char* talvex_version(void) { return TALVEX_VERSION; }

TALVEX_NATIVE_API int32_t talvex_set_render_threads(int32_t count) {
    if (count < 0 || count > talvex::soft::kMaximumRenderThreads) return talvex::kInvalidArgument;
    talvex::soft::SetRenderThreads(count);
    return talvex::kOk;
}

}  // extern "C"
