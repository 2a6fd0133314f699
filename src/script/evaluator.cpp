#include "script/evaluator.h"

#include <cstdio>

#include "script/builtins.h"
#include "script/compiler.h"

namespace talvex::script {

namespace {

// Internal: names nested deeper than allowed. Passed up unchanged through
// every level and told as kEvaluateTooDeep at the top.
constexpr int32_t kNestedTooDeep = -16;

// Every program reaching here was checked by the compiler to take no more
// values than it has pushed and to leave exactly one; the guards below only
// keep a hand-made program from reading below the bottom of the stack.
int32_t Run(Script& script, Symbol& symbol, int depth, double& out) {
    if (depth > kMaximumNameDepth) return kNestedTooDeep;
    EvalStack& stack = script.stack;
    for (const Instruction& instruction : symbol.program) {
        if (instruction.kind == kOpSymbol) {
            if (instruction.symbol == nullptr) instruction.symbol = FindSymbol(script, instruction.name);
            if (instruction.symbol == nullptr) return kEvaluateFailedName;
            const std::vector<Instruction>& program = instruction.symbol->program;
            // A constant (a setting, a variable's current value) is pushed
            // straight away, with the outcome a nested run would have: that
            // run would fill the stack with this same push and fail as a name.
            if (program.size() == 1 && program[0].kind == kOpNumber) {
                if (depth + 1 > kMaximumNameDepth) return kNestedTooDeep;
                if (!Push(stack, program[0].number)) return kEvaluateFailedName;
                continue;
            }
            double value;
            const int32_t result = Run(script, *instruction.symbol, depth + 1, value);
            // Any other failure of a name is a failed name to the level above.
            if (result == kNestedTooDeep) return kNestedTooDeep;
            if (result != kEvaluateOk) return kEvaluateFailedName;
            if (!Push(stack, value)) return kEvaluateTooDeep;
        } else if (!Step(stack, instruction)) {
            return kEvaluateTooDeep;
        }
    }
    if (stack.count < 1) return kEvaluateFailedName;
    out = Pop(stack);
    return kEvaluateOk;
}

}  // namespace

int32_t EvaluateSymbol(Script& script, Symbol& symbol, double& out) {
    // A constant (a free variable's sample, an unassigned setting) is its
    // number: running it would push and pop that number on a stack that a
    // top-level evaluation always finds with room.
    if (symbol.program.size() == 1 && symbol.program[0].kind == kOpNumber) {
        out = symbol.program[0].number;
        return kEvaluateOk;
    }
    const int32_t count = script.stack.count;
    double value;
    const int32_t result = Run(script, symbol, 0, value);
    if (result != kEvaluateOk) {
        // Values left by a failure would shrink the room of every later
        // evaluation of this script.
        script.stack.count = count;
        return result == kNestedTooDeep ? kEvaluateTooDeep : result;
    }
    out = value;
    return kEvaluateOk;
}

int32_t Evaluate(Script& script, const std::string& name, double& out) {
    Symbol* symbol = FindSymbol(script, name);
    if (symbol == nullptr) return kEvaluateUnknown;
    return EvaluateSymbol(script, *symbol, out);
}

bool Push(EvalStack& stack, double value) {
    if (stack.count >= kStackCapacity) return false;
    stack.values[static_cast<size_t>(stack.count)] = value;
    ++stack.count;
    return stack.count != kStackCapacity;
}

double Pop(EvalStack& stack) {
    if (stack.count < 1) return 0.0;
    --stack.count;
    return stack.values[static_cast<size_t>(stack.count)];
}

bool Step(EvalStack& stack, const Instruction& instruction) {
    double* values = stack.values.data();
    int32_t& count = stack.count;
    switch (instruction.kind) {
    case kOpNumber:
        return Push(stack, instruction.number);
    case kOpCall: {
        const int index = instruction.builtin >= 0 ? instruction.builtin : FindBuiltin(instruction.name.c_str());
        if (index < 0 || count < 1) break;
        const BuiltinFunction& f = kBuiltins[index];
        if (f.kind == kBuiltinUnary) {
            values[count - 1] = f.unary(values[count - 1]);
        } else if (f.kind == kBuiltinBinary) {
            if (count < 2) break;
            const double b = values[--count];
            values[count - 1] = f.binary(values[count - 1], b);
        } else {
            const int32_t n = TruncateToInt32(values[count - 1]);
            if (n < 0 || n > count - 2) break;
            // The further arguments lie on the stack deepest first, which is
            // the order in which they were written: pass them in place.
            const int32_t first = count - 2 - n;
            values[first] = f.variadic(values[first], n, values + first + 1);
            count = first + 1;
        }
        break;
    }
    case kOpMultiply:
    case kOpAdd:
    case kOpSubtract:
    case kOpDivide:
    case kOpPower: {
        if (count < 2) break;
        const double b = values[--count];
        values[count - 1] = ApplyOperator(instruction.kind, values[count - 1], b);
        break;
    }
    default:
        break;
    }
    return count != kStackCapacity;
}

std::string Disassemble(const Symbol& symbol) {
    std::string text;
    for (const Instruction& instruction : symbol.program) {
        if (!text.empty()) text += ", ";
        if (instruction.kind == kOpNumber) {
            char number[32];
            std::snprintf(number, sizeof number, "%.15g", instruction.number);
            text += number;
        } else if (instruction.kind == kOpSymbol || instruction.kind == kOpCall) {
            text += instruction.name;
        } else {
            text += static_cast<char>(instruction.kind);
        }
    }
    return text;
}

}  // namespace talvex::script
