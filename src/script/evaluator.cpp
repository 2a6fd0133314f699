#include "script/evaluator.h"

#include <algorithm>
#include <cstdio>

#include "script/builtins.h"
#include "script/compiler.h"

namespace talvex::script {

namespace {

// Internal: names nested deeper than allowed. Passed up unchanged through
// every level and told as kEvaluateTooDeep at the top.
constexpr int32_t kNestedTooDeep = -16;

// How deep one evaluation went: the most values it held at once above the
// count it started from, and how many levels of names it descended. Both
// follow from the programs alone, never from the values, so a value
// remembered from one place can stand for a fresh evaluation at another
// exactly when that evaluation would have found room there.
struct Depths {
    int32_t stackPeak = 0;
    int32_t nesting = 0;
};

NameValue& Remembered(Script& script, int32_t index) {
    if (script.remembered.size() < script.names.size()) script.remembered.resize(script.names.size());
    return script.remembered[static_cast<size_t>(index)];
}

// Whether a fresh evaluation of a remembered name, started with count values
// on the stack at nesting depth, would succeed: then it gives the same value.
bool Reusable(const Script& script, const NameValue& remembered, int32_t count, int depth) {
    return remembered.generation == script.generation && count + remembered.stackPeak < kStackCapacity &&
           depth + remembered.nesting <= kMaximumNameDepth;
}

// Runs a program the way name-by-name evaluation does, each name evaluated
// where it is used, except that a name already computed in this generation
// is taken as it was whenever its fresh evaluation would have succeeded.
// Where it would not have, the name is run again, so that the failure and
// its code come out exactly where they always did.
int32_t Run(Script& script, const Symbol& symbol, int depth, double& out, Depths& depths) {
    if (depth > kMaximumNameDepth) return kNestedTooDeep;
    EvalStack& stack = script.stack;
    const int32_t base = stack.count;
    auto notePeak = [&](int32_t held) { depths.stackPeak = std::max(depths.stackPeak, held - base); };
    for (const Instruction& instruction : symbol.program) {
        if (instruction.kind != kOpSymbol) {
            // A variadic call's hidden count takes a place for a moment.
            notePeak(stack.count + (instruction.kind == kOpCall ? 1 : 0));
            if (!Step(stack, instruction)) return kEvaluateTooDeep;
            notePeak(stack.count);
            continue;
        }
        if (instruction.operand < 0 || static_cast<size_t>(instruction.operand) >= script.names.size())
            return kEvaluateFailedName;
        const Symbol& name = *script.names[static_cast<size_t>(instruction.operand)];
        if (!name.defined) return kEvaluateFailedName;
        // A constant (a setting, an input) is pushed straight away, with the
        // outcome a nested run would have: that run would fill the stack with
        // this same push and fail as a name.
        if (name.IsConstant()) {
            depths.nesting = std::max(depths.nesting, 1);
            if (depth + 1 > kMaximumNameDepth) return kNestedTooDeep;
            notePeak(stack.count + 1);
            if (!Push(stack, name.ConstantValue())) return kEvaluateFailedName;
            continue;
        }
        const NameValue& remembered = Remembered(script, instruction.operand);
        double value;
        Depths inner;
        if (Reusable(script, remembered, stack.count, depth + 1)) {
            value = remembered.value;
            inner = {remembered.stackPeak, remembered.nesting};
        } else {
            const int32_t result = Run(script, name, depth + 1, value, inner);
            // Any other failure of a name is a failed name to the level above.
            if (result == kNestedTooDeep) return kNestedTooDeep;
            if (result != kEvaluateOk && result != kEvaluateUnbalanced) return kEvaluateFailedName;
            if (result == kEvaluateOk) Remembered(script, instruction.operand) = {script.generation, value, inner.stackPeak, inner.nesting};
        }
        notePeak(stack.count + inner.stackPeak);
        depths.nesting = std::max(depths.nesting, 1 + inner.nesting);
        notePeak(stack.count + 1);
        if (!Push(stack, value)) return kEvaluateTooDeep;
    }
    // A checked program leaves exactly one value; the guard keeps a hand-made
    // one from reading below the bottom of the stack.
    if (stack.count < base + 1) return kEvaluateFailedName;
    out = Pop(stack);
    return stack.count == base ? kEvaluateOk : kEvaluateUnbalanced;
}

}  // namespace

int32_t EvaluateSymbol(Script& script, const Symbol& symbol, double& out) {
    // A constant (an input's sample, an unassigned setting) is its number:
    // running it would push and pop that number on a stack that a top-level
    // evaluation always finds with room.
    if (symbol.IsConstant()) {
        out = symbol.ConstantValue();
        return kEvaluateOk;
    }
    const int32_t index = symbol.index;
    const bool named = index >= 0 && static_cast<size_t>(index) < script.names.size() &&
                       script.names[static_cast<size_t>(index)].get() == &symbol;
    if (named) {
        const NameValue& remembered = Remembered(script, index);
        if (Reusable(script, remembered, script.stack.count, 0)) {
            out = remembered.value;
            return kEvaluateOk;
        }
    }
    const int32_t count = script.stack.count;
    double value;
    Depths depths;
    int32_t result = Run(script, symbol, 0, value, depths);
    if (result == kEvaluateUnbalanced) {
        // Only a hand-made program leaves more than its value: kept as it
        // always was, but never remembered.
        out = value;
        return kEvaluateOk;
    }
    if (result != kEvaluateOk) {
        // Values left by a failure would shrink the room of every later
        // evaluation of this script.
        script.stack.count = count;
        return result == kNestedTooDeep ? kEvaluateTooDeep : result;
    }
    if (named) Remembered(script, index) = {script.generation, value, depths.stackPeak, depths.nesting};
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
        if (instruction.operand < 0 || instruction.operand >= kBuiltinCount) break;
        // The count of a variadic call's further arguments takes a place for
        // a moment: a stack that it fills is full.
        if (kBuiltins[instruction.operand].kind == kBuiltinVariadic && count + 1 >= kStackCapacity) return false;
        const int32_t arguments = instruction.argumentCount;
        if (arguments < 1 || arguments > count) break;
        // The arguments lie on the stack in the order in which they were
        // written: pass them in place.
        const int32_t first = count - arguments;
        values[first] = CallBuiltin(instruction, values + first);
        count = first + 1;
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

double CallBuiltin(const Instruction& call, const double* arguments) {
    const BuiltinFunction& f = kBuiltins[call.operand];
    switch (f.kind) {
    case kBuiltinUnary:
        return f.unary(arguments[0]);
    case kBuiltinBinary:
        return f.binary(arguments[0], arguments[1]);
    default:
        return f.variadic(arguments[0], call.argumentCount - 1, arguments + 1);
    }
}

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
    if (symbol.input) text = number(symbol.value);
    return text;
}

}  // namespace talvex::script
