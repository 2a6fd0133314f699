// The dependency tree of "x", "y" and "z", the free variables it finds and
// their ranges.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/result_codes.h"
#include "script/script.h"

namespace talvex::script {

// What the free-variable queries tell besides success and the calculation
// codes; the calculation turns them into a kind of graph, so the library
// never returns them.
enum FreeVariableCode : int32_t { kOnlyOneFreeVariable = 1, kNoFreeVariable = 23, kNoRange = 24 };

// The name of a free variable: "x", "y", "z", "p", "q" or "t".
const char* VariableName(int variable);

// What the analysis of "x", "y" and "z" finds, beside the script it read.
struct Dependencies {
    // 0, 17 (an undefined name that is no variable letter), 19 (a circular
    // definition) or 16 (definitions nested deeper than evaluation follows).
    int32_t code = kOk;
    // Which of "x", "y", "z", "p", "q", "t" are needed but not defined, as
    // far as the analysis went.
    std::array<bool, kVariableCount> freeVariables{};
    // By name index: the longest chain of names below each name analysed;
    // -1 for a name not analysed.
    std::vector<int32_t> heights;
    // On failure, words that name what failed: "'k' is used but never
    // defined", "'a' and 'b' are defined in terms of each other".
    std::string cause;
};

// Analyses what "x", "y" and "z" need. Each name is analysed once, however
// often it is used: the cost grows with the size of the script, and the
// codes are those of following every use.
Dependencies BuildDependencies(const Script& script);

// The free variables the analysis found, in the order x, y, z, p, q, t:
// "p, q, t".
std::string FreeVariableNames(const Dependencies& dependencies);

// The range and grid of a free variable.
struct VariableRange {
    int variable = -1;  // kVariableX .. kVariableT
    double minimum = 0.0;
    double maximum = 0.0;
    double grid = 0.0;
};

// Fills range for the n-th free variable (n = 1 or 2): 0; 1 when n is 2 and
// there is one; 18 for three or more; 23 for none or another n. The settings
// are read with the first n free variables at 0, as when the variables are
// described one after the other; a setting whose evaluation fails gives that
// failure's code, and its words to cause when given.
int32_t GetFreeVariable(const Script& script, const Dependencies& dependencies, int n, VariableRange& range,
                        std::string* cause = nullptr);

// Describes the variable's range from its settings, read with the inputs
// (the variable and those described before it) at 0.
int32_t DescribeVariable(const Script& script, int variable, const std::vector<std::string>& inputs,
                         VariableRange& range, std::string* cause = nullptr);

}  // namespace talvex::script
