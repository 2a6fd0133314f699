// The postfix evaluator: runs a symbol's program on the script's stack.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "common/result_codes.h"
#include "script/script.h"

namespace talvex::script {

enum EvaluateCode : int32_t {
    kEvaluateOk = kOk,
    kEvaluateFailedName = kCalculationFailedName,  // a name used inside the program failed
    kEvaluateUnknown = kCalculationUnknownSymbol,  // no symbol has that name
    kEvaluateTooDeep = kCalculationTooDeep,        // the stack filled up, or names nested too deep
    // Internal: a hand-made program left more than one value.
    kEvaluateUnbalanced = -2,
};

// Symbols may refer to symbols this many levels deep; deeper fails with 16
// before the machine stack could run out.
constexpr int kMaximumNameDepth = 1000;

// Evaluates the named symbol into out (untouched on failure). A failed
// evaluation leaves the stack as it found it. Within one generation of the
// script (until a program or an input changes) each name is computed once
// and its value reused, with the codes a fresh evaluation would give.
int32_t Evaluate(Script& script, const std::string& name, double& out);
int32_t EvaluateSymbol(Script& script, const Symbol& symbol, double& out);

// The arithmetic of the five operators, for every way of running a program.
inline double ApplyOperator(uint32_t kind, double a, double b) {
    switch (kind) {
    case kOpMultiply:
        return a * b;
    case kOpAdd:
        return a + b;
    case kOpSubtract:
        return a - b;
    case kOpDivide:
        return b == 0.0 ? 1e16 : a / b;
    default:
        // Whole exponents (infinities included) for any base; other
        // exponents only for a positive base, 0 otherwise.
        return std::floor(b) == b || a > 0.0 ? std::pow(a, b) : 0.0;
    }
}

bool Push(EvalStack& stack, double value);
double Pop(EvalStack& stack);
// Executes one instruction other than a name; false when the stack is full
// (a variadic call's count takes a place for a moment, as if pushed).
bool Step(EvalStack& stack, const Instruction& instruction);

// The built-in of a call on its arguments, the first one at arguments[0].
double CallBuiltin(const Instruction& call, const double* arguments);

// The program as text, one entry per instruction: «x, sin, y, cos, *»; a
// variadic call shows its count of further arguments before its name.
std::string Disassemble(const Script& script, const Symbol& symbol);

}  // namespace talvex::script
