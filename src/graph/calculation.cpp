// Graph calculation: sampling a slot's script over its parameters into box
// coordinates and index lists.
#include "graph/calculation.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "script/compiler.h"
#include "script/dependencies.h"
#include "script/evaluator.h"
#include "script/flat_program.h"

namespace talvex::graph {

namespace {

constexpr double kDefaultSurfaceGrid = 20;
constexpr double kMaximumCells = 10000;
constexpr double kCurveGrid = 10000;
constexpr int64_t kVertexCapacity = kSlotVertexCapacity;

// A grid setting that is not a positive finite number takes the default.
double SurfaceGridOrDefault(double grid) { return std::isfinite(grid) && grid > 0 ? grid : kDefaultSurfaceGrid; }

}  // namespace

SurfaceGrid PlanSurfaceGrid(double gridU, double gridV) {
    double gu = SurfaceGridOrDefault(gridU), gv = SurfaceGridOrDefault(gridV);
    if (gu * gv > kMaximumCells) {
        gv = std::floor(std::sqrt(kMaximumCells * (gu + gv) / gu));
        gu = std::floor(kMaximumCells / gv);
    }
    // Both are positive and finite here; limit them before converting.
    int64_t nu = static_cast<int64_t>(std::fmin(gu, 1e6));
    int64_t nv = static_cast<int64_t>(std::fmin(gv, 1e6));
    bool loweredU = static_cast<double>(nu) != std::floor(gu), loweredV = static_cast<double>(nv) != std::floor(gv);
    // The reduction leaves some grids (50 by 200, 20 by 1000) with more
    // vertices than the buffer holds: lower the longer side until they fit.
    while ((nu + 1) * (nv + 1) > kVertexCapacity) {
        if (nv >= nu) {
            nv = kVertexCapacity / (nu + 1) - 1;
            loweredV = true;
        } else {
            nu = kVertexCapacity / (nv + 1) - 1;
            loweredU = true;
        }
    }
    return {loweredU ? static_cast<double>(nu) : gu, loweredV ? static_cast<double>(nv) : gv,
            static_cast<int32_t>(nu), static_cast<int32_t>(nv)};
}

double PlanCurveGrid(double grid) {
    if (!std::isfinite(grid) || grid <= 0 || grid > kCurveGrid) return kCurveGrid;
    return grid;
}

namespace {

constexpr int32_t kNoFreeVariable = 23;
constexpr int32_t kOnlyOneFreeVariable = 1;
constexpr int32_t kNoCoordinates = static_cast<int32_t>(0x80004005u);  // E_FAIL

using script::Script;
using script::VariableRange;

struct BoxPoint {
    double x, y, z;
};

// What one slot computation reads once: the clamping box, the mapping and
// the symbols of the coordinates.
class Sampler {
public:
    Sampler(Script& script, bool leftHanded) : script_(script), leftHanded_(leftHanded) {}

    int32_t ReadSettings() {
        static const char* const kSettings[] = {"scale", "xcenter", "ycenter", "zcenter"};
        double values[4];
        for (int i = 0; i < 4; ++i) {
            const int32_t result = script::Evaluate(script_, kSettings[i], values[i]);
            if (result != 0) return result;
        }
        const double scale = values[0];
        for (int axis = 0; axis < 3; ++axis) {
            centre_[axis] = values[axis + 1];
            low_[axis] = centre_[axis] - scale;
            high_[axis] = centre_[axis] + scale;
        }
        factor_ = 1 / scale;
        return 0;
    }

    // After the free variables are described every coordinate is a symbol.
    bool ResolveCoordinates() {
        static const char* const kNames[] = {"x", "y", "z"};
        for (int axis = 0; axis < 3; ++axis) {
            symbols_[axis] = script::FindSymbol(script_, kNames[axis]);
            if (symbols_[axis] == nullptr) return false;
            previous_[axis] = std::numeric_limits<double>::quiet_NaN();
            // Only the variables change while sampling, in place: the
            // flattened programs stay valid for this whole computation.
            flat_[axis].Build(script_, *symbols_[axis]);
        }
        return true;
    }

    // Evaluates x, y, z, clamps each to its box and maps it to box
    // coordinates. A failed evaluation keeps the coordinate's previous value
    // in this computation (not a number before the first).
    BoxPoint Sample() {
        double box[3];
        for (int axis = 0; axis < 3; ++axis) {
            double value;
            if (flat_[axis].Fits(script_)) previous_[axis] = flat_[axis].Run();
            else if (script::EvaluateSymbol(script_, *symbols_[axis], value) == 0) previous_[axis] = value;
            value = previous_[axis];
            if (value > high_[axis]) value = high_[axis];
            if (value < low_[axis]) value = low_[axis];
            const double offset = axis == 2 && !leftHanded_ ? centre_[axis] - value : value - centre_[axis];
            box[axis] = offset * 100 * factor_;
        }
        return {box[0], box[1], box[2]};
    }

private:
    Script& script_;
    bool leftHanded_;
    double centre_[3] = {}, low_[3] = {}, high_[3] = {};
    double factor_ = 0;
    script::Symbol* symbols_[3] = {};
    script::FlatProgram flat_[3];
    double previous_[3] = {};
};

GraphVertex VertexAt(const BoxPoint& p, float tu = 0, float tv = 0) {
    GraphVertex v{};
    v.x = static_cast<float>(p.x);
    v.y = static_cast<float>(p.y);
    v.z = static_cast<float>(p.z);
    v.tu = tu;
    v.tv = tv;
    return v;
}

// Keeps a cell or segment whose tested ends are less than half the box apart
// and not both pinned within one unit of the same face.
template <typename Number>
bool Accept(Number a, Number b) {
    const Number difference = a - b, sum = a + b;
    return std::fabs(difference) < 100 && std::fabs(sum) < 199;
}

bool AcceptCell(const GraphVertex& a, const GraphVertex& c) {
    // Single precision: the difference and sum are rounded to float.
    return Accept<float>(a.x, c.x) && Accept<float>(a.y, c.y) && Accept<float>(a.z, c.z);
}

bool AcceptSegment(const GraphVertex& previous, const BoxPoint& current) {
    return Accept<double>(previous.x, current.x) && Accept<double>(previous.y, current.y) &&
           Accept<double>(previous.z, current.z);
}

void ComputeSurface(SlotGeometry& geometry, Script& script, Sampler& sampler, const VariableRange& first,
                    const VariableRange& second, bool leftHanded) {
    const graph::SurfaceGrid grid = graph::PlanSurfaceGrid(first.grid, second.grid);
    const double stepU = (first.maximum - first.minimum) / grid.gridU;
    const double stepV = (second.maximum - second.minimum) / grid.gridV;
    const int nu = grid.intervalsU, nv = grid.intervalsV;
    std::vector<GraphVertex>& vertices = geometry.vertices;
    vertices.resize(static_cast<size_t>((nu + 1) * (nv + 1)));
    // Parameters advance by repeated addition, not from the index.
    double v = second.minimum;
    for (int r = 0; r <= nv; ++r) {
        script::SetVariableValue(script, &second, v);
        v += stepV;
        double u = first.minimum;
        for (int c = 0; c <= nu; ++c) {
            script::SetVariableValue(script, &first, u);
            u += stepU;
            vertices[static_cast<size_t>(r * (nu + 1) + c)] =
                VertexAt(sampler.Sample(), static_cast<float>(r * 0.5), static_cast<float>(c * 0.5));
        }
    }
    // Room for every cell, written in place and cut to the cells kept.
    std::vector<uint16_t>& indices = geometry.indices;
    indices.resize(static_cast<size_t>(nu) * static_cast<size_t>(nv) * 6);
    uint16_t* out = indices.data();
    for (int r = 0; r < nv; ++r) {
        for (int c = 0; c < nu; ++c) {
            const int a = r * (nu + 1) + c, b = a + 1, d = a + nu + 1, cc = d + 1;
            if (!AcceptCell(vertices[static_cast<size_t>(a)], vertices[static_cast<size_t>(cc)])) continue;
            // The winding flips with the sign of Z.
            const int cell[6] = {a, b, d, b, cc, d};
            const int mirrored[6] = {a, d, b, b, d, cc};
            for (int k = 0; k < 6; ++k) *out++ = static_cast<uint16_t>(leftHanded ? mirrored[k] : cell[k]);
        }
    }
    indices.resize(static_cast<size_t>(out - indices.data()));
    geometry.kind = GraphKind::Surface;
    geometry.samplesU = nu + 1;
    geometry.samplesV = nv + 1;
}

void ComputeCurve(SlotGeometry& geometry, Script& script, Sampler& sampler, const VariableRange& parameter) {
    const double grid = graph::PlanCurveGrid(parameter.grid);
    const double step = (parameter.maximum - parameter.minimum) / grid;
    const int n = static_cast<int>(grid);
    std::vector<GraphVertex>& vertices = geometry.vertices;
    vertices.resize(static_cast<size_t>(n + 1));
    std::vector<uint16_t>& indices = geometry.indices;
    indices.clear();
    double t = parameter.minimum;
    for (int j = 0; j <= n; ++j) {
        script::SetVariableValue(script, &parameter, t);
        t += step;
        const BoxPoint point = sampler.Sample();
        // The previous end as stored, the current one before rounding.
        if (j > 0 && AcceptSegment(vertices[static_cast<size_t>(j - 1)], point)) {
            indices.push_back(static_cast<uint16_t>(j - 1));
            indices.push_back(static_cast<uint16_t>(j));
        }
        vertices[static_cast<size_t>(j)] = VertexAt(point);
    }
    geometry.kind = GraphKind::Curve;
    geometry.samplesU = n + 1;
    geometry.samplesV = 1;
}

void ComputePoint(SlotGeometry& geometry, Sampler& sampler) {
    geometry.vertices.assign(1, VertexAt(sampler.Sample()));
    geometry.indices.clear();
    geometry.kind = GraphKind::Point;
    geometry.samplesU = 1;
    geometry.samplesV = 1;
}

}  // namespace

int32_t ComputeSlot(Script& script, bool leftHanded, SlotGeometry& geometry) {
    int32_t result = script::BuildDependencies(script);
    if (result != 0) return result;
    Sampler sampler(script, leftHanded);
    if ((result = sampler.ReadSettings()) != 0) return result;
    VariableRange first, second;
    result = script::GetFreeVariable(script, 1, first);
    GraphKind kind = GraphKind::Point;
    if (result == 0) {
        const int32_t secondResult = script::GetFreeVariable(script, 2, second);
        if (secondResult == 0) kind = GraphKind::Surface;
        else if (secondResult == kOnlyOneFreeVariable) kind = GraphKind::Curve;
        else return secondResult;  // a setting of the second parameter failed
    } else if (result != kNoFreeVariable) {
        return result;
    }
    if (!sampler.ResolveCoordinates()) return kNoCoordinates;
    // Nothing fails from here on: the geometry is only written now.
    switch (kind) {
    case GraphKind::Surface:
        ComputeSurface(geometry, script, sampler, first, second, leftHanded);
        break;
    case GraphKind::Curve:
        ComputeCurve(geometry, script, sampler, first);
        break;
    default:
        ComputePoint(geometry, sampler);
        break;
    }
    return 0;
}

}  // namespace talvex::graph
