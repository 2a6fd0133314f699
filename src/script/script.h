// A compiled script: named symbols with their postfix programs and the
// lexer's state while compiling.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "script/lexer.h"

namespace talvex::script {

enum Opcode : uint32_t {
    kOpSymbol = 0,  // evaluate the named symbol and push its value
    kOpNumber = 1,  // push a number
    kOpCall = 2,    // call a built-in
    kOpMultiply = '*',
    kOpAdd = '+',
    kOpSubtract = '-',
    kOpDivide = '/',
    kOpPower = '^',
};

// One step of a program. Names are resolved when compiling: a name is the
// index of its entry in the script's name table (defined or not), a call the
// row of its built-in, and a call carries the number of its arguments.
struct Instruction {
    uint32_t kind = kOpNumber;
    int32_t operand = -1;        // name index (kOpSymbol) or built-in row (kOpCall)
    int32_t argumentCount = 0;   // kOpCall: every argument, the first included
    double number = 0.0;         // kOpNumber
};

// An entry of the name table. A name that a program uses before (or without)
// any definition has an entry that is not defined; a free variable is such a
// name, its values given from outside for each sample.
struct Symbol {
    std::string name;
    int32_t index = -1;  // in the name table
    bool defined = false;
    std::vector<Instruction> program;

    // One number: a setting left at its default, a constant.
    bool IsConstant() const { return program.size() == 1 && program[0].kind == kOpNumber; }
    double ConstantValue() const { return program[0].number; }
};

enum FreeVariable { kVariableX, kVariableY, kVariableZ, kVariableP, kVariableQ, kVariableT, kVariableCount };

// What the compiler makes of a text. Only the compiler writes it; everything
// else reads it, and what an analysis or a calculation finds lives beside it,
// never in it, so one script can be read by several calculations at once.
class Script {
public:
    Script() = default;
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    // Every name met, defined or used, by index; the index finds them by text.
    std::vector<std::unique_ptr<Symbol>> names;
    std::unordered_map<std::string, int32_t> nameIndex;
    // The defined symbols in the order in which they were first defined.
    std::vector<Symbol*> symbols;
    LexerState lexer;
};

}  // namespace talvex::script
