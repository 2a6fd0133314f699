// Compiles a script text (written with \n line ends, turned into CR LF) and
// evaluates its symbols.
#pragma once

#include <string>

#include "script/compiler.h"
#include "script/evaluator.h"
#include "script/script.h"
#include "../../tools/common/line_ends.h"

struct CompiledScript {
    talvex::script::Script script;
    int32_t result;

    explicit CompiledScript(const std::string& text) {
        std::string buffer = WithCrLf(text);
        talvex::script::ResetScript(script);
        result = talvex::script::Compile(script, buffer.data());
    }

    std::string Program(const std::string& name) const {
        const talvex::script::Symbol* symbol = talvex::script::FindSymbol(script, name);
        return symbol == nullptr ? "<none>" : talvex::script::Disassemble(script, *symbol);
    }

    int32_t Evaluate(const std::string& name, double& out) { return talvex::script::Evaluate(script, name, out); }

    double Value(const std::string& name) {
        double out = -12345.0;
        const int32_t code = Evaluate(name, out);
        return code == 0 ? out : -99999.0 - code;
    }
};
