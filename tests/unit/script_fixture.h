// Compiles a script text (written with \n line ends, turned into CR LF) and
// evaluates its symbols, by the reference evaluator and by the library.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "reference_evaluator.h"
#include "script/block_program.h"
#include "script/compiler.h"
#include "script/disassembler.h"
#include "script/evaluation_check.h"
#include "script/script.h"
#include "../../tools/common/line_ends.h"

struct CompiledScript {
    talvex::script::Script script;
    int32_t result;
    // Values of free variables, in order: the inputs of every evaluation.
    std::vector<std::pair<std::string, double>> inputs;

    explicit CompiledScript(const std::string& text) {
        std::string buffer = WithCrLf(text);
        talvex::script::ResetScript(script);
        result = talvex::script::Compile(script, buffer.data());
    }

    std::string Program(const std::string& name) const {
        const talvex::script::Symbol* symbol = talvex::script::FindSymbol(script, name);
        return symbol == nullptr ? "<none>" : talvex::script::Disassemble(script, *symbol);
    }

    void SetInput(const std::string& name, double value) {
        for (auto& input : inputs)
            if (input.first == name) {
                input.second = value;
                return;
            }
        inputs.emplace_back(name, value);
    }

    // The reference evaluator's code, and its value in out.
    int32_t Evaluate(const std::string& name, double& out) const {
        talvex::reference::ReferenceEvaluator evaluator(script);
        for (const auto& [input, value] : inputs) evaluator.SetInput(input, value);
        return evaluator.Evaluate(name, out);
    }

    // The library's code, decided from the programs, and on success the
    // value its block program computes in out.
    int32_t Compute(const std::string& name, double& out) const {
        std::vector<std::string> names;
        for (const auto& input : inputs) names.push_back(input.first);
        talvex::script::EvaluationCheck check(script, names);
        const int32_t code = check.Check(name);
        if (code != 0) return code;
        talvex::script::BlockProgram program;
        if (!program.Build(script, {name}, names)) return -1;
        for (size_t i = 0; i < inputs.size(); ++i) program.Input(i)[0] = inputs[i].second;
        program.Run(1);
        out = program.Output(0)[0];
        return 0;
    }

    double Value(const std::string& name) const {
        double out = -12345.0;
        const int32_t code = Evaluate(name, out);
        return code == 0 ? out : -99999.0 - code;
    }
};
