#include "reference_evaluator.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "script/builtins.h"
#include "script/compiler.h"
#include "script/operators.h"

namespace talvex::reference {

using namespace script;

namespace {

// Names nested too deep: passed up unchanged, 16 at the top.
constexpr int32_t kNested = -16;

}  // namespace

ReferenceEvaluator::ReferenceEvaluator(const Script& script)
    : script_(script), isInput_(script.names.size(), 0), inputValue_(script.names.size(), 0.0) {}

void ReferenceEvaluator::SetInput(const std::string& name, double value) {
    inputs_[name] = value;
    const auto found = script_.nameIndex.find(name);
    if (found == script_.nameIndex.end()) return;
    isInput_[static_cast<size_t>(found->second)] = 1;
    inputValue_[static_cast<size_t>(found->second)] = value;
}

int32_t ReferenceEvaluator::Evaluate(const std::string& name, double& out) {
    const auto input = inputs_.find(name);
    if (input != inputs_.end()) {
        out = input->second;
        return 0;
    }
    const Symbol* symbol = FindSymbol(script_, name);
    if (symbol == nullptr) return 15;
    count_ = 0;
    double value = 0;
    const int32_t result = Run(*symbol, 0, value);
    count_ = 0;
    if (result == 0) out = value;
    return result == kNested ? 16 : result;
}

void ReferenceEvaluator::Execute(const Instruction& instruction, const StackEffect& effect) {
    if (instruction.kind == kOpNumber) {
        values_[static_cast<size_t>(count_++)] = instruction.number;
        return;
    }
    const int32_t first = count_ - effect.taken;
    double* arguments = values_.data() + first;
    if (instruction.kind == kOpCall) {
        const BuiltinFunction& f = kBuiltins[instruction.operand];
        if (f.kind == kBuiltinUnary) arguments[0] = f.unary(arguments[0]);
        else if (f.kind == kBuiltinBinary) arguments[0] = f.binary(arguments[0], arguments[1]);
        else arguments[0] = f.variadic(arguments[0], effect.taken - 1, arguments + 1);
    } else {
        arguments[0] = ApplyOperator(instruction.kind, arguments[0], arguments[1]);
    }
    count_ = first + 1;
}

int32_t ReferenceEvaluator::Run(const Symbol& symbol, int depth, double& out) {
    if (depth > kMaximumNameDepth) return kNested;
    const int32_t base = count_;
    for (const Instruction& instruction : symbol.program) {
        if (budget_ >= 0 && budget_-- == 0) return kOverBudget;
        const StackEffect effect = EffectOf(instruction);
        if (!effect.known || count_ - base < effect.taken) return 2;
        if (instruction.kind != kOpSymbol) {
            if (FillsStack(count_, effect)) return 16;
            Execute(instruction, effect);
            continue;
        }
        if (instruction.operand < 0 || static_cast<size_t>(instruction.operand) >= script_.names.size()) return 2;
        const auto index = static_cast<size_t>(instruction.operand);
        const Symbol& name = *script_.names[index];
        double value = 0;
        if (isInput_[index] != 0 || (name.defined && name.IsConstant())) {
            // The one-number program of a constant, run one level down: its
            // push fills the stack there, which fails here as a name.
            if (depth + 1 > kMaximumNameDepth) return kNested;
            if (FillsStack(count_, effect)) return 2;
            value = isInput_[index] != 0 ? inputValue_[index] : name.ConstantValue();
        } else {
            if (!name.defined) return 2;
            const int32_t result = Run(name, depth + 1, value);
            if (result == kNested || result == kOverBudget) return result;
            if (result != 0) return 2;
            if (FillsStack(count_, effect)) return 16;
        }
        values_[static_cast<size_t>(count_++)] = value;
    }
    if (count_ != base + 1) return 2;
    out = values_[static_cast<size_t>(--count_)];
    return 0;
}

namespace {

int32_t Collect(const Script& script, const std::string& name, std::vector<std::string>& path, int depth,
                std::array<bool, kVariableCount>& free) {
    if (depth > kMaximumNameDepth) return 16;
    const Symbol* symbol = FindSymbol(script, name);
    if (symbol == nullptr) {
        const size_t variable = std::string("xyzpqt").find(name);
        if (name.size() != 1 || variable == std::string::npos) return 17;
        free[variable] = true;
        return 0;
    }
    std::vector<std::string> children;
    for (const Instruction& instruction : symbol->program) {
        if (instruction.kind != kOpSymbol) continue;
        const std::string& referred = script.names[static_cast<size_t>(instruction.operand)]->name;
        if (std::find(children.begin(), children.end(), referred) != children.end()) continue;
        if (std::find(path.begin(), path.end(), referred) != path.end()) return 19;
        children.push_back(referred);
        path.push_back(referred);
        const int32_t result = Collect(script, referred, path, depth + 1, free);
        path.pop_back();
        if (result != 0) return result;
    }
    return 0;
}

// Reads the settings in order with the inputs at 0: the first failure's code.
int32_t ReadSettings(const Script& script, const std::vector<std::string>& inputs,
                     const std::vector<std::string>& names, double* values) {
    ReferenceEvaluator evaluator(script);
    for (const std::string& input : inputs) evaluator.SetInput(input, 0);
    for (size_t i = 0; i < names.size(); ++i)
        if (const int32_t result = evaluator.Evaluate(names[i], values[i]); result != 0) return result;
    return 0;
}

}  // namespace

int32_t CollectDependencies(const Script& script, std::array<bool, kVariableCount>& free) {
    for (const char* top : {"x", "y", "z"}) {
        std::vector<std::string> path{top};
        if (const int32_t result = Collect(script, top, path, 0, free); result != 0) return result;
    }
    return 0;
}

SlotPlan PlanSlot(const Script& script) {
    SlotPlan plan;
    std::array<bool, kVariableCount> free{};
    if ((plan.code = CollectDependencies(script, free)) != 0) return plan;
    double box[4];
    if ((plan.code = ReadSettings(script, {}, {"scale", "xcenter", "ycenter", "zcenter"}, box)) != 0) return plan;
    std::vector<int> variables;
    for (int v = 0; v < kVariableCount; ++v)
        if (free[static_cast<size_t>(v)]) variables.push_back(v);
    std::vector<std::string> inputs;
    for (size_t n = 0; n < variables.size() && n < 2; ++n) {
        const int v = variables[n];
        inputs.push_back(VariableName(v));
        const std::string letter = VariableName(v);
        const bool coordinate = v <= kVariableZ;
        const std::vector<std::string> names =
            coordinate ? std::vector<std::string>{"scale", letter + "center", letter + "grid"}
                       : std::vector<std::string>{letter + "min", letter + "max", letter + "grid"};
        double values[3];
        if ((plan.code = ReadSettings(script, inputs, names, values)) != 0) return plan;
        VariableRange range;
        range.variable = v;
        range.minimum = coordinate ? values[1] - values[0] * 0.5 : values[0];
        range.maximum = coordinate ? values[1] + values[0] * 0.5 : values[1];
        range.grid = values[2];
        plan.parameters.push_back(range);
        if (variables.size() > 2) {
            plan.code = 18;
            plan.parameters.clear();
            return plan;
        }
    }
    return plan;
}

ReferenceSource::ReferenceSource(const Script& script, const std::vector<VariableRange>& parameters, int64_t budget)
    : evaluator_(script) {
    for (const VariableRange& parameter : parameters) names_.emplace_back(VariableName(parameter.variable));
    std::fill_n(previous_, 3, std::numeric_limits<double>::quiet_NaN());
    evaluator_.SetBudget(budget);
}

void ReferenceSource::Compute(const double* const* parameters, int count, const double** coordinates) {
    static const char* const kAxes[3] = {"x", "y", "z"};
    for (int axis = 0; axis < 3; ++axis) columns_[axis].assign(static_cast<size_t>(count), 0.0);
    for (int i = 0; i < count; ++i) {
        for (size_t p = 0; p < names_.size(); ++p) evaluator_.SetInput(names_[p], parameters[p][i]);
        for (int axis = 0; axis < 3; ++axis) {
            double value = 0;
            const int32_t result = evaluator_.Evaluate(kAxes[axis], value);
            if (result == ReferenceEvaluator::kOverBudget) overBudget_ = true;
            if (result == 0) previous_[axis] = value;
            columns_[axis][static_cast<size_t>(i)] = previous_[axis];
        }
    }
    for (int axis = 0; axis < 3; ++axis) coordinates[axis] = columns_[axis].data();
}

}  // namespace talvex::reference

namespace talvex::reference {

namespace {

template <typename Number>
bool Same(Number a, Number b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

bool SameGeometry(const graph::SlotGeometry& a, const graph::SlotGeometry& b) {
    if (a.kind != b.kind || a.samplesU != b.samplesU || a.samplesV != b.samplesV || a.indices != b.indices ||
        a.vertices.size() != b.vertices.size())
        return false;
    for (size_t i = 0; i < a.vertices.size(); ++i) {
        const auto &p = a.vertices[i], &q = b.vertices[i];
        if (!Same(p.x, q.x) || !Same(p.y, q.y) || !Same(p.z, q.z) || !Same(p.tu, q.tu) || !Same(p.tv, q.tv))
            return false;
    }
    return true;
}

SlotComparison CompareSlot(const script::Script& script, bool leftHanded, int64_t budget) {
    SlotComparison comparison;
    graph::SlotCalculation calculation(script, leftHanded);
    comparison.code = calculation.Prepare();
    const SlotPlan plan = PlanSlot(script);
    if (comparison.code != plan.code) {
        comparison.difference = "codes differ: " + std::to_string(comparison.code) + " against " + std::to_string(plan.code);
        return comparison;
    }
    if (comparison.code != 0) return comparison;
    const std::vector<script::VariableRange> parameters = calculation.Parameters();
    bool sameRanges = parameters.size() == plan.parameters.size();
    for (size_t p = 0; sameRanges && p < parameters.size(); ++p) {
        const script::VariableRange &a = parameters[p], &b = plan.parameters[p];
        sameRanges = a.variable == b.variable && Same(a.minimum, b.minimum) && Same(a.maximum, b.maximum) &&
                     Same(a.grid, b.grid);
    }
    if (!sameRanges) {
        comparison.difference = "free variables or ranges differ";
        return comparison;
    }
    graph::SlotGeometry library, reference;
    calculation.Sample(library);
    ReferenceSource source(script, plan.parameters, budget);
    calculation.Sample(reference, source);
    if (source.OverBudget()) {
        comparison.compared = false;
        return comparison;
    }
    if (!SameGeometry(library, reference)) comparison.difference = "geometry differs";
    return comparison;
}

}  // namespace talvex::reference
