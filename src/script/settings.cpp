#include "script/settings.h"

#include "common/result_codes.h"
#include "script/block_program.h"
#include "script/evaluation_check.h"

namespace talvex::script {

int32_t ReadSettings(const Script& script, const std::vector<std::string>& inputs,
                     const std::vector<std::string>& names, double* values) {
    EvaluationCheck check(script, inputs);
    for (const std::string& name : names)
        if (const int32_t result = check.Check(name); result != kOk) return result;
    BlockProgram program;
    // Checked names always build; a refusal would be a fault of this library.
    if (!program.Build(script, names, inputs)) return kFail;
    for (size_t i = 0; i < inputs.size(); ++i) program.Input(i)[0] = 0.0;
    program.Run(1);
    for (size_t i = 0; i < names.size(); ++i) values[i] = program.Output(i)[0];
    return kOk;
}

}  // namespace talvex::script
