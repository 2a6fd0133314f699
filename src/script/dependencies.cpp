#include "script/dependencies.h"

#include <algorithm>

#include "script/settings.h"
#include "script/stack_effect.h"

namespace talvex::script {

namespace {

constexpr const char* kVariableNames[kVariableCount] = {"x", "y", "z", "p", "q", "t"};

int VariableIndex(const std::string& name) {
    for (int v = 0; v < kVariableCount; ++v)
        if (name == kVariableNames[v]) return v;
    return -1;
}

// One analysis: what it knows of each name while it runs.
class Analysis {
public:
    Analysis(const Script& script, Dependencies& found)
        : script_(script), found_(found), marks_(script.names.size()) {
        found_.heights.assign(script.names.size(), -1);
    }

    // Records what a name needs; height receives the longest chain of names
    // below it; user is the name whose program uses it (itself for x, y, z). A name analysed before is not followed again: its names are
    // known to be defined and free of cycles, so following them once more
    // could only end in names nested too deep, which its height tells.
    int32_t Collect(int32_t index, const std::string& name, const std::string& user, int depth, int32_t& height) {
        const Symbol* symbol = index >= 0 ? script_.names[static_cast<size_t>(index)].get() : nullptr;
        const bool defined = symbol != nullptr && symbol->defined;
        if (defined && marks_[static_cast<size_t>(index)].onPath) {
            found_.cause = name == user ? "'" + name + "' is defined in terms of itself"
                                        : "'" + name + "' and '" + user + "' are defined in terms of each other";
            return kCalculationCircular;
        }
        if (depth > kMaximumNameDepth) return TooDeep(name);
        height = 0;
        if (!defined) {
            const int variable = VariableIndex(name);
            if (variable < 0) {
                found_.cause = "'" + name + "' is used but never defined";
                return kCalculationUndefinedName;
            }
            found_.freeVariables[static_cast<size_t>(variable)] = true;
            return kOk;
        }
        int32_t& known = found_.heights[static_cast<size_t>(index)];
        if (known >= 0) {
            if (depth + known > kMaximumNameDepth) return TooDeep(name);
            height = known;
            return kOk;
        }
        marks_[static_cast<size_t>(index)].onPath = true;
        // A name counts once per symbol: each name followed from here is
        // stamped with this visit.
        const uint64_t visit = ++visits_;
        for (const Instruction& instruction : symbol->program) {
            if (instruction.kind != kOpSymbol) continue;
            const int32_t referred = instruction.operand;
            const bool named = referred >= 0 && static_cast<size_t>(referred) < script_.names.size();
            if (named) {
                uint64_t& followed = marks_[static_cast<size_t>(referred)].followedFrom;
                if (followed == visit) continue;
                followed = visit;
            }
            int32_t childHeight = 0;
            const int32_t result = Collect(named ? referred : -1,
                                           named ? script_.names[static_cast<size_t>(referred)]->name : std::string(),
                                           name, depth + 1, childHeight);
            if (result != kOk) return result;
            height = std::max(height, childHeight + 1);
        }
        marks_[static_cast<size_t>(index)].onPath = false;
        found_.heights[static_cast<size_t>(index)] = height;
        return kOk;
    }

private:
    int32_t TooDeep(const std::string& name) {
        found_.cause = "names are nested more than " + std::to_string(kMaximumNameDepth) + " levels deep below '" +
                       name + "'";
        return kCalculationTooDeep;
    }

    struct Mark {
        bool onPath = false;        // being analysed: a use of it now is circular
        uint64_t followedFrom = 0;  // the last visit that followed this name
    };

    const Script& script_;
    Dependencies& found_;
    std::vector<Mark> marks_;
    uint64_t visits_ = 0;
};

}  // namespace

const char* VariableName(int variable) {
    return variable >= 0 && variable < kVariableCount ? kVariableNames[variable] : "";
}

Dependencies BuildDependencies(const Script& script) {
    Dependencies found;
    Analysis analysis(script, found);
    for (int v = kVariableX; v <= kVariableZ; ++v) {
        const auto entry = script.nameIndex.find(kVariableNames[v]);
        const int32_t index = entry != script.nameIndex.end() ? entry->second : -1;
        int32_t height = 0;
        found.code = analysis.Collect(index, kVariableNames[v], kVariableNames[v], 0, height);
        if (found.code != kOk) break;
    }
    return found;
}

std::string FreeVariableNames(const Dependencies& dependencies) {
    std::string names;
    for (int v = 0; v < kVariableCount; ++v)
        if (dependencies.freeVariables[static_cast<size_t>(v)])
            names += (names.empty() ? "" : ", ") + std::string(kVariableNames[v]);
    return names;
}

int32_t GetFreeVariable(const Script& script, const Dependencies& dependencies, int n, VariableRange& range,
                        std::string* cause) {
    if (n != 1 && n != 2) return kNoFreeVariable;
    int32_t result = kOnlyOneFreeVariable;
    int counted = 0;
    std::vector<std::string> inputs;
    for (int v = 0; v < kVariableCount; ++v) {
        if (!dependencies.freeVariables[static_cast<size_t>(v)]) continue;
        ++counted;
        if (counted <= n) inputs.push_back(kVariableNames[v]);
        if (counted == n) {
            result = DescribeVariable(script, v, inputs, range, cause);
            if (result != kOk) return result;
        } else if (counted > 2) {
            result = kCalculationTooManyFreeVariables;
        }
    }
    return counted == 0 ? kNoFreeVariable : result;
}

int32_t DescribeVariable(const Script& script, int variable, const std::vector<std::string>& inputs,
                         VariableRange& range, std::string* cause) {
    // The settings of each variable, in the order in which they are read.
    struct Settings {
        const char* names[3];
    };
    static const Settings kSettings[kVariableCount] = {
        {{"scale", "xcenter", "xgrid"}}, {{"scale", "ycenter", "ygrid"}}, {{"scale", "zcenter", "zgrid"}},
        {{"pmin", "pmax", "pgrid"}},     {{"qmin", "qmax", "qgrid"}},     {{"tmin", "tmax", "tgrid"}},
    };
    const Settings& settings = kSettings[variable];
    double values[3];
    const int32_t result =
        ReadSettings(script, inputs, {settings.names[0], settings.names[1], settings.names[2]}, values, cause);
    if (result != kOk) return result;
    range.variable = variable;
    if (variable <= kVariableZ) {
        // A coordinate runs over its centre plus and minus half the scale.
        const double half = values[0] * 0.5;
        range.minimum = values[1] - half;
        range.maximum = values[1] + half;
    } else {
        range.minimum = values[0];
        range.maximum = values[1];
    }
    range.grid = values[2];
    return kOk;
}

}  // namespace talvex::script
