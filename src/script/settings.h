// Reading settings (scale, centres, ranges, grids): ordinary symbols that a
// script may compute from other names, read once per calculation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script/script.h"

namespace talvex::script {

// The words for a setting whose evaluation gave code: "the setting 'scale'
// cannot be evaluated".
std::string SettingFailure(const std::string& setting, int32_t code);

// Evaluates the named symbols with the inputs at 0, in the order given: 0
// with values[i] for names[i], or the code of the first that fails (see
// EvaluationCheck), values untouched. The values come from the block program
// run on one sample, the same executor that computes the coordinates. The
// words that name a failing setting go to cause when given.
int32_t ReadSettings(const Script& script, const std::vector<std::string>& inputs,
                     const std::vector<std::string>& names, double* values, std::string* cause = nullptr);

}  // namespace talvex::script
