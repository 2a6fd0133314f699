// The dependency tree of "x", "y" and "z" and the free variables it finds.
#pragma once

#include <cstdint>
#include <string>

#include "common/result_codes.h"

namespace talvex::script {

class Script;
struct Symbol;

// What the free-variable queries tell besides success and the calculation
// codes; the calculation turns them into a kind of graph, so the library
// never returns them.
enum FreeVariableCode : int32_t { kOnlyOneFreeVariable = 1, kNoFreeVariable = 23, kNoRange = 24 };

// The range and grid of a free variable.
struct VariableRange {
    Symbol* symbol = nullptr;
    double minimum = 0.0;
    double maximum = 0.0;
    double grid = 0.0;
};

// Analyses what "x", "y" and "z" need: 0, 17 (an undefined name that is no
// variable letter), 19 (a circular definition) or 16 (definitions nested
// deeper than the evaluator could follow). Sets the free-variable flags.
// Each name is analysed once, however often it is used: the cost grows with
// the size of the script, and the codes are those of following every use.
// On failure, cause (when given) receives words that name it: "'k' is used
// but never defined", "'a' and 'b' are defined in terms of each other".
int32_t BuildDependencies(Script& script, std::string* cause = nullptr);

// The free variables the analysis found, in the order x, y, z, p, q, t:
// "p, q, t".
std::string FreeVariableNames(const Script& script);

// The words for a setting whose evaluation gave code.
std::string SettingFailure(const std::string& setting, int32_t code);

// Fills range for the n-th free variable (n = 1 or 2): 0; 1 when n is 2 and
// there is one; 18 for three or more; 23 for none or another n. A setting
// whose evaluation fails gives that failure's code.
// A failing setting's words go to cause when given.
int32_t GetFreeVariable(Script& script, int n, VariableRange& range, std::string* cause = nullptr);

// Makes the variable an input and describes its range.
int32_t DescribeVariable(Script& script, int variable, VariableRange& range, std::string* cause = nullptr);

// The variable's symbol is now an input holding value: 0, or 24 without a
// symbol.
int32_t SetVariableValue(Script& script, const VariableRange* range, double value);

}  // namespace talvex::script
