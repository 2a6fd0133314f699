// A symbol's program made ready for sampling: the names it uses inlined, the
// constants read through pointers, the built-ins as function pointers, and
// no checks left to make while it runs.
#pragma once

#include <cstdint>
#include <vector>

#include "script/builtins.h"
#include "script/script.h"

namespace talvex::script {

class FlatProgram {
public:
    // Flattens the symbol's program as the script stands. False when the
    // program cannot be flattened (a name that is missing or nested too deep,
    // an unchecked program, a program too long once inlined); it is then left
    // to the evaluator, which reports such things.
    bool Build(Script& script, Symbol& symbol);

    // Whether Run gives what the evaluator would: the values the program
    // needs fit on the script's stack as it stands now.
    bool Fits(const Script& script) const {
        return !ops_.empty() && script.stack.count + static_cast<int32_t>(stack_.size()) < kStackCapacity;
    }

    // The value; only after Build succeeded and while Fits holds. Reads the
    // constants' current values: a variable set between runs is seen.
    double Run() const;

private:
    // The operators keep their opcodes.
    enum Kind : uint8_t {
        kNumber,
        kConstant,
        kUnary,
        kBinary,
        kVariadic,
        kMultiply = kOpMultiply,
        kAdd = kOpAdd,
        kSubtract = kOpSubtract,
        kDivide = kOpDivide,
        kPower = kOpPower,
    };
    struct Op {
        Kind kind;
        int32_t count;  // further arguments of a variadic call
        union {
            double number;
            const double* constant;
            UnaryFunction unary;
            BinaryFunction binary;
            VariadicFunction variadic;
        };
    };

    bool Flatten(Script& script, Symbol& symbol);
    bool Append(Script& script, Symbol& symbol, int nesting);

    std::vector<Op> ops_;  // empty unless built
    mutable std::vector<double> stack_;  // as deep as the program goes
};

}  // namespace talvex::script
