#include "script/disassembler.h"

#include <cstdio>

#include "script/builtins.h"

namespace talvex::script {

std::string Disassemble(const Script& script, const Symbol& symbol) {
    auto number = [](double value) {
        char text[32];
        std::snprintf(text, sizeof text, "%.15g", value);
        return std::string(text);
    };
    std::string text;
    for (const Instruction& instruction : symbol.program) {
        if (!text.empty()) text += ", ";
        switch (instruction.kind) {
        case kOpNumber:
            text += number(instruction.number);
            break;
        case kOpSymbol: {
            const bool known = instruction.operand >= 0 && static_cast<size_t>(instruction.operand) < script.names.size();
            text += known ? script.names[static_cast<size_t>(instruction.operand)]->name : "?";
            break;
        }
        case kOpCall: {
            if (instruction.operand < 0 || instruction.operand >= kBuiltinCount) {
                text += "?";
                break;
            }
            const BuiltinFunction& f = kBuiltins[instruction.operand];
            if (f.kind == kBuiltinVariadic) text += number(instruction.argumentCount - 1) + ", ";
            text += f.name;
            break;
        }
        default:
            text += static_cast<char>(instruction.kind);
            break;
        }
    }
    return text;
}

}  // namespace talvex::script
