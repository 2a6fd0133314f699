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
// any definition has an entry that is not defined.
struct Symbol {
    std::string name;
    int32_t index = -1;  // in the name table
    bool defined = false;
    // A free variable is an input: its value is set from outside for each
    // sample and it has no program.
    bool input = false;
    double value = 0.0;
    std::vector<Instruction> program;

    // One number: a setting left at its default, a constant, an input.
    bool IsConstant() const { return input || (program.size() == 1 && program[0].kind == kOpNumber); }
    double ConstantValue() const { return input ? value : program[0].number; }
};

constexpr int kStackCapacity = 1000;

struct EvalStack {
    int32_t count = 0;
    std::array<double, kStackCapacity> values{};
};

enum FreeVariable { kVariableX, kVariableY, kVariableZ, kVariableP, kVariableQ, kVariableT, kVariableCount };

// What the evaluator remembers of a name between its uses within one sample:
// its value, and how deep its evaluation went, which decides whether a fresh
// evaluation at another place would have found room (see evaluator.cpp).
struct NameValue {
    uint64_t generation = 0;  // valid while equal to the script's generation
    double value = 0.0;
    int32_t stackPeak = 0;
    int32_t nesting = 0;
};

// What the dependency analysis keeps of a name between its uses.
struct NameAnalysis {
    uint64_t generation = 0;
    bool onPath = false;   // being analysed: a use of it now is circular
    int32_t height = 0;    // the longest chain of names below it
    uint64_t followedFrom = 0;  // the last visit that followed this name
};

class Script {
public:
    Script() = default;
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    EvalStack stack;
    // Every name met, defined or used, by index; the index finds them by text.
    std::vector<std::unique_ptr<Symbol>> names;
    std::unordered_map<std::string, int32_t> nameIndex;
    // The defined symbols in the order in which they were first defined.
    std::vector<Symbol*> symbols;
    std::array<bool, kVariableCount> freeVariables{};
    LexerState lexer;

    // Raised whenever a program or an input changes: what the evaluator and
    // the analysis remember of a name holds only within one generation.
    uint64_t generation = 1;
    std::vector<NameValue> remembered;
    std::vector<NameAnalysis> analysed;
    uint64_t analysisVisits = 0;
};

}  // namespace talvex::script
