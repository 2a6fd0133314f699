// Graph calculation: sampling a slot's script over its parameters into box
// coordinates and index lists.
#include "graph/calculation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "script/dependencies.h"
#include "script/block_program.h"
#include "script/evaluation_check.h"
#include "script/settings.h"

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

using script::Script;
using script::VariableRange;

constexpr int kBlockSize = script::BlockProgram::kBlockSize;

struct BoxPoint {
    double x, y, z;
};

// The box coordinates of a block of samples, axis by axis.
struct BoxBlock {
    double axes[3][kBlockSize];

    BoxPoint At(int i) const { return {axes[0][i], axes[1][i], axes[2][i]}; }
};

constexpr const char* kCoordinates[3] = {"x", "y", "z"};

// The coordinates as the slot's block program computes them. A coordinate
// whose evaluation fails fails at every sample alike, since failing depends
// on the programs alone: it is not-a-number throughout, the value a
// coordinate has before its first successful evaluation.
class ProgramSource final : public CoordinateSource {
public:
    // The program of the coordinates that evaluate, over the parameters.
    int32_t Build(const Script& script, const std::vector<std::string>& parameters) {
        parameterCount_ = parameters.size();
        script::EvaluationCheck check(script, parameters);
        std::vector<std::string> targets;
        for (int axis = 0; axis < 3; ++axis) {
            output_[axis] = -1;
            if (check.Check(kCoordinates[axis]) != kOk) continue;
            output_[axis] = static_cast<int>(targets.size());
            targets.push_back(kCoordinates[axis]);
        }
        // Checked names always build; a refusal would be a fault of this
        // library, told as the general failure.
        if (!program_.Build(script, targets, parameters)) return kFail;
        std::fill_n(notANumber_, kBlockSize, std::numeric_limits<double>::quiet_NaN());
        return kOk;
    }

    void Compute(const double* const* parameters, int count, const double** coordinates) override {
        for (size_t p = 0; p < parameterCount_; ++p) std::copy_n(parameters[p], count, program_.Input(p));
        program_.Run(count);
        for (int axis = 0; axis < 3; ++axis)
            coordinates[axis] = output_[axis] >= 0 ? program_.Output(static_cast<size_t>(output_[axis])) : notANumber_;
    }

private:
    script::BlockProgram program_;
    size_t parameterCount_ = 0;
    int output_[3] = {-1, -1, -1};  // the program's output of each axis, -1 for not-a-number
    double notANumber_[kBlockSize];
};

// What one slot computation reads once (the clamping box and the mapping)
// and the mapping of each block of samples into box coordinates.
class Sampler {
public:
    explicit Sampler(bool leftHanded) : leftHanded_(leftHanded) {}

    int32_t ReadSettings(const Script& script, std::string& cause) {
        double values[4];
        const int32_t result =
            script::ReadSettings(script, {}, {"scale", "xcenter", "ycenter", "zcenter"}, values, &cause);
        if (result != kOk) return result;
        const double scale = values[0];
        scale_ = scale;
        for (int axis = 0; axis < 3; ++axis) {
            centre_[axis] = values[axis + 1];
            low_[axis] = centre_[axis] - scale;
            high_[axis] = centre_[axis] + scale;
        }
        factor_ = 1 / scale;
        return kOk;
    }

    // Samples count points (at most kBlockSize) whose parameter values are
    // columns[p][i], clamped to the box and mapped to box coordinates.
    // Source is the slot's own ProgramSource, called directly so that the
    // block loop inlines, or any other CoordinateSource.
    template <typename Source>
    void Sample(Source& source, const double* const* columns, int count, BoxBlock& out) const {
        const double* coordinates[3] = {};
        source.Compute(columns, count, coordinates);
        for (int axis = 0; axis < 3; ++axis) Map(axis, coordinates[axis], count, out.axes[axis]);
    }

    // How Map takes the script's coordinates into the box.
    BoxMapping Mapping() const {
        BoxMapping mapping;
        for (int axis = 0; axis < 3; ++axis) {
            mapping.scale[axis] = scale_;
            mapping.centre[axis] = centre_[axis];
        }
        mapping.zNegated = !leftHanded_;
        return mapping;
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

    bool leftHanded_;
    double centre_[3] = {}, low_[3] = {}, high_[3] = {};
    double factor_ = 0;
    double scale_ = 0;
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

template <typename Source>
void ComputeSurface(SlotGeometry& geometry, const Sampler& sampler, Source& source, const VariableRange& first,
                    const VariableRange& second, bool leftHanded) {
    const SurfaceGrid grid = PlanSurfaceGrid(first.grid, second.grid);
    const double stepU = (first.maximum - first.minimum) / grid.gridU;
    const double stepV = (second.maximum - second.minimum) / grid.gridV;
    const int nu = grid.intervalsU, nv = grid.intervalsV;
    const int columns = nu + 1;
    std::vector<GraphVertex>& vertices = geometry.vertices;
    vertices.resize(static_cast<size_t>(columns * (nv + 1)));
    // Room for every cell, written in place and cut to the cells kept.
    std::vector<uint32_t>& indices = geometry.indices;
    indices.resize(static_cast<size_t>(nu) * static_cast<size_t>(nv) * 6);
    uint32_t* out = indices.data();

    // The cells of a row, tested while the two rows of corners they join
    // are still in the cache.
    int cellRows = 0;
    auto addCells = [&](int rowsWritten) {
        for (; cellRows < nv && cellRows + 1 < rowsWritten; ++cellRows) {
            // The six indices of a cell as three words of two, the corners
            // A, B, D, C of the first cell of the row; each next cell adds
            // one to every index. The winding flips with the sign of Z.
            const uint64_t a = static_cast<uint64_t>(cellRows * columns), b = a + 1, d = a + columns, cc = d + 1;
            uint64_t words[3] = {leftHanded ? a | d << 32 : a | b << 32, leftHanded ? b | b << 32 : d | b << 32,
                                 leftHanded ? d | cc << 32 : cc | d << 32};
            const GraphVertex* corner = vertices.data() + a;
            for (int c = 0; c < nu; ++c, ++corner) {
                // Written whether the cell is kept or not (there is room for
                // every cell), kept by moving on past them.
                std::memcpy(out, words, sizeof words);
                out += AcceptCell(corner[0], corner[columns + 1]) ? 6 : 0;
                for (uint64_t& word : words) word += 0x0000000100000001u;
            }
        }
    };

    // The samples in row order, a block at a time. Parameters advance by
    // repeated addition, not from the index.
    double u[kBlockSize], v[kBlockSize];
    const double* parameters[2] = {u, v};
    BoxBlock points;
    int pending = 0, written = 0, row = 0, column = 0;
    // Half the row and column numbers, kept by exact additions.
    float tu = 0, tv = 0;
    auto flush = [&]() {
        sampler.Sample(source, parameters, pending, points);
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
    double runningV = second.minimum;
    for (int r = 0; r <= nv; ++r) {
        const double rowV = runningV;
        runningV += stepV;
        double runningU = first.minimum;
        for (int c = 0; c <= nu; ++c) {
            u[pending] = runningU;
            v[pending] = rowV;
            runningU += stepU;
            if (++pending == kBlockSize) flush();
        }
    }
    if (pending > 0) flush();

    indices.resize(static_cast<size_t>(out - indices.data()));
    geometry.kind = GraphKind::Surface;
    geometry.samplesU = nu + 1;
    geometry.samplesV = nv + 1;
}

template <typename Source>
void ComputeCurve(SlotGeometry& geometry, const Sampler& sampler, Source& source,
                  const VariableRange& parameter) {
    const double grid = PlanCurveGrid(parameter.grid);
    const double step = (parameter.maximum - parameter.minimum) / grid;
    const int n = static_cast<int>(grid);
    std::vector<GraphVertex>& vertices = geometry.vertices;
    vertices.resize(static_cast<size_t>(n + 1));
    std::vector<uint32_t>& indices = geometry.indices;
    indices.clear();
    double t[kBlockSize];
    const double* parameters[1] = {t};
    BoxBlock points;
    double running = parameter.minimum;
    for (int start = 0; start <= n; start += kBlockSize) {
        const int count = std::min(kBlockSize, n + 1 - start);
        for (int i = 0; i < count; ++i) {
            t[i] = running;
            running += step;
        }
        sampler.Sample(source, parameters, count, points);
        for (int i = 0; i < count; ++i) {
            const int j = start + i;
            // The previous end as stored, the current one before rounding.
            const BoxPoint point = points.At(i);
            if (j > 0 && AcceptSegment(vertices[static_cast<size_t>(j - 1)], point)) {
                indices.push_back(static_cast<uint32_t>(j - 1));
                indices.push_back(static_cast<uint32_t>(j));
            }
            WriteVertex(vertices[static_cast<size_t>(j)], point);
        }
    }
    geometry.kind = GraphKind::Curve;
    geometry.samplesU = n + 1;
    geometry.samplesV = 1;
}

template <typename Source>
void ComputePoint(SlotGeometry& geometry, const Sampler& sampler, Source& source) {
    BoxBlock point;
    sampler.Sample(source, nullptr, 1, point);
    geometry.vertices.resize(1);
    WriteVertex(geometry.vertices[0], point.At(0));
    geometry.indices.clear();
    geometry.kind = GraphKind::Point;
    geometry.samplesU = 1;
    geometry.samplesV = 1;
}

// Says when the grid drawn is coarser than the one the script set: a slot
// holds at most 10000 cells of a surface and 10000 steps of a curve.
std::string ReductionNote(GraphKind kind, const VariableRange& first, const VariableRange& second) {
    const auto whole = [](double grid) { return static_cast<int64_t>(std::fmin(std::floor(grid), 1e15)); };
    if (kind == GraphKind::Surface) {
        const double gu = SurfaceGridOrDefault(first.grid), gv = SurfaceGridOrDefault(second.grid);
        const SurfaceGrid grid = PlanSurfaceGrid(first.grid, second.grid);
        if (grid.intervalsU >= whole(gu) && grid.intervalsV >= whole(gv)) return "";
        return "its grid of " + std::to_string(whole(gu)) + " x " + std::to_string(whole(gv)) +
               " cells was reduced to " + std::to_string(grid.intervalsU) + " x " + std::to_string(grid.intervalsV) +
               " (a slot holds at most 10000 cells)";
    }
    if (kind == GraphKind::Curve && std::isfinite(first.grid) && first.grid > kCurveGrid)
        return "its grid of " + std::to_string(whole(first.grid)) + " steps was reduced to " +
               std::to_string(static_cast<int64_t>(kCurveGrid)) + " (a slot holds at most that many)";
    return "";
}

// Samples a slot of the given kind into geometry with the coordinates from
// source, and records how they map into the box.
template <typename Source>
void SampleSlot(SlotGeometry& geometry, const Sampler& sampler, Source& source, GraphKind kind,
                const VariableRange& first, const VariableRange& second, bool leftHanded) {
    geometry.mapping = sampler.Mapping();
    geometry.note = ReductionNote(kind, first, second);
    switch (kind) {
    case GraphKind::Surface: {
        ComputeSurface(geometry, sampler, source, first, second, leftHanded);
        // The cells wind one way about the parameters' cross product in box
        // coordinates of a right-handed chart; the other handedness, or one
        // parameter stepping down, turns them round in the script's own.
        const bool stepsOpposed = (first.maximum - first.minimum) * (second.maximum - second.minimum) < 0;
        geometry.mapping.trianglesReversed = leftHanded != stepsOpposed;
        break;
    }
    case GraphKind::Curve:
        ComputeCurve(geometry, sampler, source, first);
        break;
    default:
        ComputePoint(geometry, sampler, source);
        break;
    }
    geometry.NarrowIndices();
}

}  // namespace

// What a slot's calculation holds between the steps that may fail and the
// sampling.
struct SlotCalculation::State {
    explicit State(bool leftHanded) : sampler(leftHanded) {}

    Sampler sampler;
    ProgramSource program;
    VariableRange first, second;
    GraphKind kind = GraphKind::Point;
};

SlotCalculation::SlotCalculation(const Script& script, bool leftHanded) : script_(script), leftHanded_(leftHanded) {}

SlotCalculation::~SlotCalculation() = default;

int32_t SlotCalculation::Prepare() {
    cause_.clear();
    const script::Dependencies dependencies = script::BuildDependencies(script_);
    if (dependencies.code != kOk) {
        cause_ = dependencies.cause;
        return dependencies.code;
    }
    auto state = std::make_unique<State>(leftHanded_);
    int32_t result = state->sampler.ReadSettings(script_, cause_);
    if (result != kOk) return result;
    result = script::GetFreeVariable(script_, dependencies, 1, state->first, &cause_);
    if (result == kOk) {
        const int32_t secondResult = script::GetFreeVariable(script_, dependencies, 2, state->second, &cause_);
        if (secondResult == kOk) state->kind = GraphKind::Surface;
        else if (secondResult == kOnlyOneFreeVariable) state->kind = GraphKind::Curve;
        else return secondResult;  // a setting of the second parameter failed
    } else if (result != kNoFreeVariable) {
        if (result == kCalculationTooManyFreeVariables)
            cause_ = "more than two free variables: " + script::FreeVariableNames(dependencies);
        return result;
    }
    state_ = std::move(state);
    std::vector<std::string> parameters;
    for (const VariableRange& parameter : Parameters()) parameters.emplace_back(script::VariableName(parameter.variable));
    result = state_->program.Build(script_, parameters);
    if (result != kOk) state_.reset();
    return result;
}

std::vector<VariableRange> SlotCalculation::Parameters() const {
    if (state_ == nullptr || state_->kind == GraphKind::Point) return {};
    if (state_->kind == GraphKind::Curve) return {state_->first};
    return {state_->first, state_->second};
}

void SlotCalculation::Sample(SlotGeometry& geometry) {
    if (state_ == nullptr) return;
    State& state = *state_;
    SampleSlot(geometry, state.sampler, state.program, state.kind, state.first, state.second, leftHanded_);
}

void SlotCalculation::Sample(SlotGeometry& geometry, CoordinateSource& source) {
    if (state_ == nullptr) return;
    const State& state = *state_;
    SampleSlot(geometry, state.sampler, source, state.kind, state.first, state.second, leftHanded_);
}

int32_t ComputeSlot(const Script& script, bool leftHanded, SlotGeometry& geometry) {
    SlotCalculation calculation(script, leftHanded);
    const int32_t result = calculation.Prepare();
    if (result != kOk) return result;
    calculation.Sample(geometry);
    return kOk;
}

}  // namespace talvex::graph
