// Graph calculation: sampling a slot's script over its parameters into box
// coordinates and index lists.
#include "graph/calculation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "script/compiler.h"
#include "script/dependencies.h"
#include "script/evaluator.h"
#include "script/block_program.h"

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

using script::kNoFreeVariable;
using script::kOnlyOneFreeVariable;
// A script without one of the coordinates cannot be drawn.
constexpr int32_t kNoCoordinates = kFail;

using script::Script;
using script::VariableRange;

struct BoxPoint {
    double x, y, z;
};

// The box coordinates of a block of samples, axis by axis.
struct BoxBlock {
    double axes[3][script::BlockProgram::kBlockSize];

    BoxPoint At(int i) const { return {axes[0][i], axes[1][i], axes[2][i]}; }
};

// What one slot computation reads once (the clamping box, the mapping, the
// programs of the coordinates) and the sampling itself.
//
// Whether the evaluator succeeds on a coordinate does not depend on the
// values of the parameters: how many values it holds and how deep its names
// go follow from the programs alone. So one evaluation at the first sample
// tells for every sample: where all three succeed, the coordinates are
// computed block by block, giving the evaluator's values bit for bit; where
// one fails, every sample goes through the evaluator, which keeps a failed
// coordinate at its previous value.
class Sampler {
public:
    static constexpr int kBlockSize = script::BlockProgram::kBlockSize;

    Sampler(Script& script, bool leftHanded) : script_(script), leftHanded_(leftHanded) {}

    int32_t ReadSettings(std::string& cause) {
        static const char* const kSettings[] = {"scale", "xcenter", "ycenter", "zcenter"};
        double values[4];
        for (int i = 0; i < 4; ++i) {
            const int32_t result = script::Evaluate(script_, kSettings[i], values[i]);
            if (result != 0) {
                cause = script::SettingFailure(kSettings[i], result);
                return result;
            }
        }
        const double scale = values[0];
        scale_ = scale;
        for (int axis = 0; axis < 3; ++axis) {
            centre_[axis] = values[axis + 1];
            low_[axis] = centre_[axis] - scale;
            high_[axis] = centre_[axis] + scale;
        }
        factor_ = 1 / scale;
        return 0;
    }

    // After the free variables are described every coordinate is a symbol.
    // The parameters are the free variables in order, each at its minimum.
    bool Prepare(std::vector<const VariableRange*> parameters, bool blocks) {
        static const char* const kNames[] = {"x", "y", "z"};
        parameters_ = std::move(parameters);
        std::vector<const script::Symbol*> targets, inputs;
        for (const VariableRange* parameter : parameters_) {
            script::SetVariableValue(script_, parameter, parameter->minimum);
            inputs.push_back(parameter->symbol);
        }
        bool exact = true;
        for (int axis = 0; axis < 3; ++axis) {
            symbols_[axis] = script::FindSymbol(script_, kNames[axis]);
            if (symbols_[axis] == nullptr) return false;
            targets.push_back(symbols_[axis]);
            previous_[axis] = std::numeric_limits<double>::quiet_NaN();
            double value;
            if (script::EvaluateSymbol(script_, *symbols_[axis], value) != 0) exact = false;
        }
        blocks_ = blocks && exact && program_.Build(script_, targets, inputs);
        return true;
    }

    // Samples count points (at most kBlockSize) whose parameter values are
    // columns[p][i], clamped to the box and mapped to box coordinates.
    void Sample(const double* const* columns, int count, BoxBlock& out) {
        if (blocks_) {
            for (size_t p = 0; p < parameters_.size(); ++p)
                std::copy_n(columns[p], count, program_.Input(p));
            program_.Run(count);
            for (int axis = 0; axis < 3; ++axis) Map(axis, program_.Output(static_cast<size_t>(axis)), count, out.axes[axis]);
            return;
        }
        for (int i = 0; i < count; ++i) {
            for (size_t p = 0; p < parameters_.size(); ++p)
                script::SetVariableValue(script_, parameters_[p], columns[p][i]);
            for (int axis = 0; axis < 3; ++axis) {
                double value;
                if (script::EvaluateSymbol(script_, *symbols_[axis], value) == 0) previous_[axis] = value;
                Map(axis, &previous_[axis], 1, out.axes[axis] + i);
            }
        }
    }

    // How Map takes the script's coordinates into the box.
    BoxMapping Mapping() const {
        BoxMapping mapping;
        mapping.scale = scale_;
        for (int axis = 0; axis < 3; ++axis) mapping.centre[axis] = centre_[axis];
        mapping.zNegated = !leftHanded_;
        return mapping;
    }

    // Leaves each parameter at the value of the last sample, as sampling one
    // by one would.
    void Finish(const double* lastValues) {
        for (size_t p = 0; p < parameters_.size(); ++p)
            script::SetVariableValue(script_, parameters_[p], lastValues[p]);
    }

private:
    // Clamps coordinates to their box (not-a-number passes) and maps them.
    void Map(int axis, const double* values, int count, double* out) const {
        const double high = high_[axis], low = low_[axis], centre = centre_[axis], factor = factor_;
        auto clamp = [high, low](double value) {
            value = value > high ? high : value;
            return value < low ? low : value;
        };
        // Z grows toward the viewer of a right-handed control. Two loops, so
        // that each is one straight line the compiler can widen.
        if (axis == 2 && !leftHanded_) {
            for (int i = 0; i < count; ++i) out[i] = (centre - clamp(values[i])) * 100 * factor;
        } else {
            for (int i = 0; i < count; ++i) out[i] = (clamp(values[i]) - centre) * 100 * factor;
        }
    }

    Script& script_;
    bool leftHanded_;
    double centre_[3] = {}, low_[3] = {}, high_[3] = {};
    double factor_ = 0;
    double scale_ = 0;
    std::vector<const VariableRange*> parameters_;
    const script::Symbol* symbols_[3] = {};
    double previous_[3] = {};
    script::BlockProgram program_;
    bool blocks_ = false;
};

// Writes every field in place: a record built aside and copied over would
// be read back in one piece right after being written in parts, which the
// processor cannot forward from its store buffer.
void WriteVertex(GraphVertex& v, const BoxPoint& p, float tu = 0, float tv = 0) {
    v.x = static_cast<float>(p.x);
    v.y = static_cast<float>(p.y);
    v.z = static_cast<float>(p.z);
    v.nx = 0;
    v.ny = 0;
    v.nz = 0;
    v.tu = tu;
    v.tv = tv;
}

// Keeps a cell or segment whose tested ends are less than half the box apart
// and not both pinned within one unit of the same face.
// 1 or 0, not short-circuited: every test is cheap, a branch per test is not.
template <typename Number>
int Accept(Number a, Number b) {
    const Number difference = a - b, sum = a + b;
    return static_cast<int>(std::fabs(difference) < 100) & static_cast<int>(std::fabs(sum) < 199);
}

bool AcceptCell(const GraphVertex& a, const GraphVertex& c) {
    // Single precision: the difference and sum are rounded to float.
    return (Accept<float>(a.x, c.x) & Accept<float>(a.y, c.y) & Accept<float>(a.z, c.z)) != 0;
}

bool AcceptSegment(const GraphVertex& previous, const BoxPoint& current) {
    return (Accept<double>(previous.x, current.x) & Accept<double>(previous.y, current.y) &
            Accept<double>(previous.z, current.z)) != 0;
}

void ComputeSurface(SlotGeometry& geometry, Sampler& sampler, const VariableRange& first,
                    const VariableRange& second, bool leftHanded) {
    const SurfaceGrid grid = PlanSurfaceGrid(first.grid, second.grid);
    const double stepU = (first.maximum - first.minimum) / grid.gridU;
    const double stepV = (second.maximum - second.minimum) / grid.gridV;
    const int nu = grid.intervalsU, nv = grid.intervalsV;
    const int columns = nu + 1;
    std::vector<GraphVertex>& vertices = geometry.vertices;
    vertices.resize(static_cast<size_t>(columns * (nv + 1)));
    // Room for every cell, written in place and cut to the cells kept.
    std::vector<uint16_t>& indices = geometry.indices;
    indices.resize(static_cast<size_t>(nu) * static_cast<size_t>(nv) * 6);
    uint16_t* out = indices.data();

    // The cells of a row, tested while the two rows of corners they join
    // are still in the cache.
    int cellRows = 0;
    auto addCells = [&](int rowsWritten) {
        for (; cellRows < nv && cellRows + 1 < rowsWritten; ++cellRows) {
            // The six indices of a cell as two words, the corners A, B, D, C
            // of the first cell of the row; each next cell adds one to every
            // index. The winding flips with the sign of Z.
            const uint64_t a = static_cast<uint64_t>(cellRows * columns), b = a + 1, d = a + columns, cc = d + 1;
            uint64_t low = leftHanded ? a | d << 16 | b << 32 | b << 48 : a | b << 16 | d << 32 | b << 48;
            uint32_t high = static_cast<uint32_t>(leftHanded ? d | cc << 16 : cc | d << 16);
            const GraphVertex* corner = vertices.data() + a;
            for (int c = 0; c < nu; ++c, ++corner) {
                // Written whether the cell is kept or not (there is room for
                // every cell), kept by moving on past them.
                std::memcpy(out, &low, sizeof low);
                std::memcpy(out + 4, &high, sizeof high);
                out += AcceptCell(corner[0], corner[columns + 1]) ? 6 : 0;
                low += 0x0001000100010001u;
                high += 0x00010001u;
            }
        }
    };

    // The samples in row order, a block at a time. Parameters advance by
    // repeated addition, not from the index.
    double u[Sampler::kBlockSize], v[Sampler::kBlockSize];
    const double* parameters[2] = {u, v};
    BoxBlock points;
    int pending = 0, written = 0, row = 0, column = 0;
    // Half the row and column numbers, kept by exact additions.
    float tu = 0, tv = 0;
    auto flush = [&]() {
        sampler.Sample(parameters, pending, points);
        for (int i = 0; i < pending; ++i, ++written) {
            WriteVertex(vertices[static_cast<size_t>(written)], points.At(i), tu, tv);
            tv += 0.5f;
            if (++column == columns) {
                column = 0;
                tv = 0;
                ++row;
                tu += 0.5f;
            }
        }
        pending = 0;
        addCells(row);
    };
    double last[2] = {first.minimum, second.minimum};
    double runningV = second.minimum;
    for (int r = 0; r <= nv; ++r) {
        const double rowV = runningV;
        runningV += stepV;
        double runningU = first.minimum;
        for (int c = 0; c <= nu; ++c) {
            u[pending] = last[0] = runningU;
            v[pending] = last[1] = rowV;
            runningU += stepU;
            if (++pending == Sampler::kBlockSize) flush();
        }
    }
    if (pending > 0) flush();
    sampler.Finish(last);

    indices.resize(static_cast<size_t>(out - indices.data()));
    geometry.kind = GraphKind::Surface;
    geometry.samplesU = nu + 1;
    geometry.samplesV = nv + 1;
}

void ComputeCurve(SlotGeometry& geometry, Sampler& sampler, const VariableRange& parameter) {
    const double grid = PlanCurveGrid(parameter.grid);
    const double step = (parameter.maximum - parameter.minimum) / grid;
    const int n = static_cast<int>(grid);
    std::vector<GraphVertex>& vertices = geometry.vertices;
    vertices.resize(static_cast<size_t>(n + 1));
    std::vector<uint16_t>& indices = geometry.indices;
    indices.clear();
    double t[Sampler::kBlockSize];
    const double* parameters[1] = {t};
    BoxBlock points;
    double running = parameter.minimum, last = parameter.minimum;
    for (int start = 0; start <= n; start += Sampler::kBlockSize) {
        const int count = std::min(Sampler::kBlockSize, n + 1 - start);
        for (int i = 0; i < count; ++i) {
            t[i] = last = running;
            running += step;
        }
        sampler.Sample(parameters, count, points);
        for (int i = 0; i < count; ++i) {
            const int j = start + i;
            // The previous end as stored, the current one before rounding.
            const BoxPoint point = points.At(i);
            if (j > 0 && AcceptSegment(vertices[static_cast<size_t>(j - 1)], point)) {
                indices.push_back(static_cast<uint16_t>(j - 1));
                indices.push_back(static_cast<uint16_t>(j));
            }
            WriteVertex(vertices[static_cast<size_t>(j)], point);
        }
    }
    sampler.Finish(&last);
    geometry.kind = GraphKind::Curve;
    geometry.samplesU = n + 1;
    geometry.samplesV = 1;
}

void ComputePoint(SlotGeometry& geometry, Sampler& sampler) {
    BoxBlock point;
    sampler.Sample(nullptr, 1, point);
    geometry.vertices.resize(1);
    WriteVertex(geometry.vertices[0], point.At(0));
    geometry.indices.clear();
    geometry.kind = GraphKind::Point;
    geometry.samplesU = 1;
    geometry.samplesV = 1;
}

}  // namespace

// What a slot's calculation holds between the steps that may fail and the
// sampling; the free variables' ranges are where the sampler reads them.
struct SlotCalculation::State {
    State(Script& script, bool leftHanded) : sampler(script, leftHanded) {}

    Sampler sampler;
    VariableRange first, second;
    GraphKind kind = GraphKind::Point;
};

SlotCalculation::SlotCalculation(Script& script, bool leftHanded, Sampling sampling)
    : script_(script), leftHanded_(leftHanded), sampling_(sampling) {}

SlotCalculation::~SlotCalculation() = default;

int32_t SlotCalculation::Prepare() {
    cause_.clear();
    int32_t result = script::BuildDependencies(script_, &cause_);
    if (result != 0) return result;
    auto state = std::make_unique<State>(script_, leftHanded_);
    if ((result = state->sampler.ReadSettings(cause_)) != 0) return result;
    result = script::GetFreeVariable(script_, 1, state->first, &cause_);
    if (result == 0) {
        const int32_t secondResult = script::GetFreeVariable(script_, 2, state->second, &cause_);
        if (secondResult == 0) state->kind = GraphKind::Surface;
        else if (secondResult == kOnlyOneFreeVariable) state->kind = GraphKind::Curve;
        else return secondResult;  // a setting of the second parameter failed
    } else if (result != kNoFreeVariable) {
        if (result == kCalculationTooManyFreeVariables)
            cause_ = "more than two free variables: " + script::FreeVariableNames(script_);
        return result;
    }
    std::vector<const VariableRange*> parameters;
    if (state->kind != GraphKind::Point) parameters.push_back(&state->first);
    if (state->kind == GraphKind::Surface) parameters.push_back(&state->second);
    if (!state->sampler.Prepare(parameters, sampling_ == Sampling::kBlocks)) {
        cause_ = "a coordinate has no symbol";
        return kNoCoordinates;
    }
    state_ = std::move(state);
    return 0;
}

void SlotCalculation::Sample(SlotGeometry& geometry) {
    if (state_ == nullptr) return;
    State& state = *state_;
    geometry.mapping = state.sampler.Mapping();
    switch (state.kind) {
    case GraphKind::Surface: {
        ComputeSurface(geometry, state.sampler, state.first, state.second, leftHanded_);
        // The cells wind one way about the parameters' cross product in box
        // coordinates of a right-handed chart; the other handedness, or one
        // parameter stepping down, turns them round in the script's own.
        const bool stepsOpposed = (state.first.maximum - state.first.minimum) *
                                      (state.second.maximum - state.second.minimum) < 0;
        geometry.mapping.trianglesReversed = leftHanded_ != stepsOpposed;
        break;
    }
    case GraphKind::Curve:
        ComputeCurve(geometry, state.sampler, state.first);
        break;
    default:
        ComputePoint(geometry, state.sampler);
        break;
    }
}

int32_t ComputeSlot(Script& script, bool leftHanded, SlotGeometry& geometry, Sampling sampling) {
    SlotCalculation calculation(script, leftHanded, sampling);
    const int32_t result = calculation.Prepare();
    if (result != 0) return result;
    calculation.Sample(geometry);
    return 0;
}

}  // namespace talvex::graph
