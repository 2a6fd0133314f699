#include "script/dependencies.h"

#include "script/compiler.h"
#include "script/evaluator.h"
#include "script/script.h"

namespace talvex::script {

namespace {

constexpr int32_t kUndefinedName = 17;
constexpr int32_t kTooManyFreeVariables = 18;
constexpr int32_t kCircular = 19;
constexpr int32_t kNoFreeVariable = 23;
constexpr int32_t kNoRange = 24;
constexpr int32_t kOnlyOneFreeVariable = 1;

constexpr const char* kVariableNames[kVariableCount] = {"x", "y", "z", "p", "q", "t"};

int VariableIndex(const std::string& name) {
    for (int v = 0; v < kVariableCount; ++v)
        if (name == kVariableNames[v]) return v;
    return -1;
}

bool NamedOnPathToTop(const DependencyNode* node, const std::string& name) {
    for (; node != nullptr; node = node->parent)
        if (node->name == name) return true;
    return false;
}

// Records what the named symbol needs below node. Definitions nested deeper
// than the evaluator can follow fail before the machine stack could run out.
int32_t CollectDependencies(Script& script, const std::string& name, DependencyNode& node, int depth) {
    if (depth > kMaximumNameDepth) return kEvaluateTooDeep;
    Symbol* symbol = FindSymbol(script, name);
    if (symbol == nullptr) {
        const int variable = VariableIndex(name);
        if (variable < 0) return kUndefinedName;
        script.freeVariables[static_cast<size_t>(variable)] = true;
        return 0;
    }
    node.name = symbol->name;
    for (const Instruction& instruction : symbol->program) {
        if (instruction.kind != kOpSymbol) continue;
        const std::string& referred = instruction.name;
        bool seen = false;
        for (const auto& child : node.children)
            if (child->name == referred) seen = true;
        if (seen) continue;  // a name counts once per node
        if (NamedOnPathToTop(&node, referred)) return kCircular;
        auto child = std::make_unique<DependencyNode>();
        child->parent = &node;
        child->name = referred;
        DependencyNode& added = *child;
        node.children.push_back(std::move(child));
        const int32_t result = CollectDependencies(script, referred, added, depth + 1);
        if (result != 0) return result;
    }
    return 0;
}

}  // namespace

int32_t BuildDependencies(Script& script) {
    DependencyNode& root = script.dependencies;
    root.parent = nullptr;
    root.children.clear();
    for (int v = kVariableX; v <= kVariableZ; ++v) {
        auto top = std::make_unique<DependencyNode>();
        top->name = kVariableNames[v];
        root.children.push_back(std::move(top));
    }
    // The top nodes have no parent, so a name is circular only below its own top.
    for (int v = kVariableX; v <= kVariableZ; ++v) {
        const int32_t result = CollectDependencies(script, kVariableNames[v], *root.children[static_cast<size_t>(v)], 0);
        if (result != 0) return result;
    }
    return 0;
}

int32_t GetFreeVariable(Script& script, int n, VariableRange& range) {
    if (n != 1 && n != 2) return kNoFreeVariable;
    int32_t result = kOnlyOneFreeVariable;
    int counted = 0;
    for (int v = 0; v < kVariableCount; ++v) {
        if (!script.freeVariables[static_cast<size_t>(v)]) continue;
        ++counted;
        if (counted == n) {
            result = DescribeVariable(script, v, range);
            if (result != 0) return result;
        } else if (counted > 2) {
            result = kTooManyFreeVariables;
        }
    }
    return counted == 0 ? kNoFreeVariable : result;
}

int32_t DescribeVariable(Script& script, int variable, VariableRange& range) {
    const std::string name = kVariableNames[variable];
    SetConstant(script, name, 0.0);
    range.symbol = FindSymbol(script, name);
    // Each setting is read in the order written; a setting that cannot be
    // evaluated ends the description with its code.
    auto read = [&](const char* setting, double& value) { return Evaluate(script, setting, value); };
    int32_t result;
    double grid = 0.0;
    if (variable <= kVariableZ) {
        static const char* const kCentres[] = {"xcenter", "ycenter", "zcenter"};
        static const char* const kGrids[] = {"xgrid", "ygrid", "zgrid"};
        double scale = 0.0, centre = 0.0;
        if ((result = read("scale", scale)) != 0) return result;
        if ((result = read(kCentres[variable], centre)) != 0) return result;
        if ((result = read(kGrids[variable], grid)) != 0) return result;
        const double half = scale * 0.5;
        range.minimum = centre - half;
        range.maximum = centre + half;
    } else {
        static const char* const kMinimums[] = {"pmin", "qmin", "tmin"};
        static const char* const kMaximums[] = {"pmax", "qmax", "tmax"};
        static const char* const kGrids[] = {"pgrid", "qgrid", "tgrid"};
        const int k = variable - kVariableP;
        if ((result = read(kMinimums[k], range.minimum)) != 0) return result;
        if ((result = read(kMaximums[k], range.maximum)) != 0) return result;
        if ((result = read(kGrids[k], grid)) != 0) return result;
    }
    range.grid = grid;
    return 0;
}

int32_t SetVariableValue(Script&, const VariableRange* range, double value) {
    if (range == nullptr || range->symbol == nullptr) return kNoRange;
    std::vector<Instruction>& program = range->symbol->program;
    // A one-instruction program holding the value, rewritten in place.
    if (program.size() != 1 || program[0].kind != kOpNumber) {
        program.clear();
        program.emplace_back();
        program[0].kind = kOpNumber;
    }
    program[0].number = value;
    return 0;
}

}  // namespace talvex::script
