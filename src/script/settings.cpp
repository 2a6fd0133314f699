#include "script/settings.h"

#include <algorithm>

#include "common/result_codes.h"
#include "script/block_program.h"
#include "script/compiler.h"
#include "script/evaluation_check.h"

namespace talvex::script {

std::string SettingFailure(const std::string& setting, int32_t code) {
    return code == kCalculationTooDeep
               ? "the setting '" + setting + "' needs more than 1000 values at once or names nested too deep"
               : "the setting '" + setting + "' cannot be evaluated";
}

int32_t ReadSettings(const Script& script, const std::vector<std::string>& inputs,
                     const std::vector<std::string>& names, double* values, std::string* cause) {
    // Settings are mostly left at their defaults or given as one number:
    // such a symbol is its own value, the same a program would compute.
    auto constant = [&](const std::string& name) {
        const Symbol* symbol = FindSymbol(script, name);
        return symbol != nullptr && symbol->IsConstant() ? symbol : nullptr;
    };
    if (std::all_of(names.begin(), names.end(), constant)) {
        for (size_t i = 0; i < names.size(); ++i) values[i] = constant(names[i])->ConstantValue();
        return kOk;
    }
    EvaluationCheck check(script, inputs);
    for (const std::string& name : names) {
        if (const int32_t result = check.Check(name); result != kOk) {
            if (cause != nullptr) *cause = SettingFailure(name, result);
            return result;
        }
    }
    BlockProgram program;
    // Checked names always build; a refusal would be a fault of this library.
    if (!program.Build(script, names, inputs)) return kFail;
    for (size_t i = 0; i < inputs.size(); ++i) program.Input(i)[0] = 0.0;
    program.Run(1);
    for (size_t i = 0; i < names.size(); ++i) values[i] = program.Output(i)[0];
    return kOk;
}

}  // namespace talvex::script
