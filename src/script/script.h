// A compiled script: named symbols with their postfix programs, the
// evaluation stack, the lexer's state while compiling, and the free-variable
// flags of the dependency analysis.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "script/dependencies.h"
#include "script/lexer.h"

namespace talvex::script {

enum Opcode : uint32_t {
    kOpSymbol = 0,  // evaluate the named symbol and push its value
    kOpNumber = 1,  // push a number
    kOpCall = 2,    // call the named built-in
    kOpMultiply = '*',
    kOpAdd = '+',
    kOpSubtract = '-',
    kOpDivide = '/',
    kOpPower = '^',
};

struct Symbol;

struct Instruction {
    uint32_t kind = kOpNumber;
    double number = 0.0;
    std::string name;
    // Resolved once and kept: a symbol object lives until the script is reset,
    // which also discards every instruction that could point at it.
    mutable Symbol* symbol = nullptr;
    int builtin = -1;  // row of the built-in table for a call
};

struct Symbol {
    std::string name;
    std::vector<Instruction> program;
};

constexpr int kStackCapacity = 1000;

struct EvalStack {
    int32_t count = 0;
    std::array<double, kStackCapacity> values{};
};

enum FreeVariable { kVariableX, kVariableY, kVariableZ, kVariableP, kVariableQ, kVariableT, kVariableCount };

class Script {
public:
    Script() = default;
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    EvalStack stack;
    // In the order in which they were first defined; the index finds them by name.
    std::vector<std::unique_ptr<Symbol>> symbols;
    std::unordered_map<std::string, Symbol*> symbolIndex;
    DependencyNode dependencies;
    std::array<bool, kVariableCount> freeVariables{};
    LexerState lexer;
};

}  // namespace talvex::script
