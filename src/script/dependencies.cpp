#include "script/dependencies.h"

#include <algorithm>
#include <string>

#include "script/compiler.h"
#include "script/evaluator.h"
#include "script/script.h"

namespace talvex::script {

namespace {

constexpr const char* kVariableNames[kVariableCount] = {"x", "y", "z", "p", "q", "t"};

int VariableIndex(const std::string& name) {
    for (int v = 0; v < kVariableCount; ++v)
        if (name == kVariableNames[v]) return v;
    return -1;
}

NameAnalysis& Analysis(Script& script, int32_t index) {
    if (script.analysed.size() < script.names.size()) script.analysed.resize(script.names.size());
    return script.analysed[static_cast<size_t>(index)];
}

// Records what a name needs; height receives the longest chain of names
// below it. A name analysed before in this analysis is not followed again:
// its names are known to be defined and free of cycles, so following them
// once more could only end in names nested too deep, which its height tells.
// cause receives, on failure, the words that name what failed.
int32_t CollectDependencies(Script& script, const Symbol* symbol, const std::string& name, const std::string& user,
                            int depth, int32_t& height, std::string& cause) {
    const bool defined = symbol != nullptr && symbol->defined;
    if (defined) {
        const NameAnalysis& known = Analysis(script, symbol->index);
        if (known.generation == script.generation && known.onPath) {
            cause = name == user ? "'" + name + "' is defined in terms of itself"
                                 : "'" + name + "' and '" + user + "' are defined in terms of each other";
            return kCalculationCircular;
        }
    }
    if (depth > kMaximumNameDepth) {
        cause = "names are nested more than " + std::to_string(kMaximumNameDepth) + " levels deep below '" + name + "'";
        return kEvaluateTooDeep;
    }
    height = 0;
    if (!defined) {
        const int variable = VariableIndex(name);
        if (variable < 0) {
            cause = "'" + name + "' is used but never defined";
            return kCalculationUndefinedName;
        }
        script.freeVariables[static_cast<size_t>(variable)] = true;
        return 0;
    }
    {
        NameAnalysis& known = Analysis(script, symbol->index);
        if (known.generation == script.generation) {
            if (depth + known.height > kMaximumNameDepth) {
                cause = "names are nested more than " + std::to_string(kMaximumNameDepth) + " levels deep below '" +
                        name + "'";
                return kEvaluateTooDeep;
            }
            height = known.height;
            return 0;
        }
        known.generation = script.generation;
        known.onPath = true;
        known.height = 0;
    }
    // A name counts once per symbol: each name followed from here is stamped
    // with this visit.
    const uint64_t visit = ++script.analysisVisits;
    for (const Instruction& instruction : symbol->program) {
        if (instruction.kind != kOpSymbol) continue;
        const int32_t referred = instruction.operand;
        const bool known = referred >= 0 && static_cast<size_t>(referred) < script.names.size();
        if (known) {
            NameAnalysis& mark = Analysis(script, referred);
            if (mark.followedFrom == visit) continue;
            mark.followedFrom = visit;
        }
        const Symbol* child = known ? script.names[static_cast<size_t>(referred)].get() : nullptr;
        int32_t childHeight = 0;
        const int32_t result = CollectDependencies(script, child, child != nullptr ? child->name : std::string(), name,
                                                   depth + 1, childHeight, cause);
        if (result != 0) return result;
        height = std::max(height, childHeight + 1);
    }
    // The entry may have moved while the names below were analysed.
    NameAnalysis& done = Analysis(script, symbol->index);
    done.onPath = false;
    done.height = height;
    return 0;
}

}  // namespace

std::string SettingFailure(const std::string& setting, int32_t code) {
    return code == kCalculationTooDeep
               ? "the setting '" + setting + "' needs more than 1000 values at once or names nested too deep"
               : "the setting '" + setting + "' cannot be evaluated";
}

int32_t BuildDependencies(Script& script, std::string* cause) {
    // A new generation: nothing analysed or evaluated before counts now.
    ++script.generation;
    std::string found;
    for (int v = kVariableX; v <= kVariableZ; ++v) {
        int32_t height = 0;
        const int32_t result = CollectDependencies(script, FindSymbol(script, kVariableNames[v]), kVariableNames[v],
                                                   kVariableNames[v], 0, height, found);
        if (result != 0) {
            if (cause != nullptr) *cause = found;
            return result;
        }
    }
    return 0;
}

std::string FreeVariableNames(const Script& script) {
    std::string names;
    for (int v = 0; v < kVariableCount; ++v)
        if (script.freeVariables[static_cast<size_t>(v)]) names += (names.empty() ? "" : ", ") + std::string(kVariableNames[v]);
    return names;
}

int32_t GetFreeVariable(Script& script, int n, VariableRange& range, std::string* cause) {
    if (n != 1 && n != 2) return kNoFreeVariable;
    int32_t result = kOnlyOneFreeVariable;
    int counted = 0;
    for (int v = 0; v < kVariableCount; ++v) {
        if (!script.freeVariables[static_cast<size_t>(v)]) continue;
        ++counted;
        if (counted == n) {
            result = DescribeVariable(script, v, range, cause);
            if (result != 0) return result;
        } else if (counted > 2) {
            result = kCalculationTooManyFreeVariables;
        }
    }
    return counted == 0 ? kNoFreeVariable : result;
}

int32_t DescribeVariable(Script& script, int variable, VariableRange& range, std::string* cause) {
    range.symbol = DefineInput(script, kVariableNames[variable], 0.0);
    // Each setting is read in the order written; a setting that cannot be
    // evaluated ends the description with its code.
    auto read = [&](const char* setting, double& value) {
        const int32_t result = Evaluate(script, setting, value);
        if (result != 0 && cause != nullptr) *cause = SettingFailure(setting, result);
        return result;
    };
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

int32_t SetVariableValue(Script& script, const VariableRange* range, double value) {
    if (range == nullptr || range->symbol == nullptr) return kNoRange;
    Symbol& symbol = *range->symbol;
    symbol.program.clear();
    symbol.input = true;
    symbol.value = value;
    // Every name computed from the old value is stale now.
    ++script.generation;
    return 0;
}

}  // namespace talvex::script
