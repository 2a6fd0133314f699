#include "script/stack_effect.h"

#include "script/builtins.h"

namespace talvex::script {

StackEffect EffectOf(const Instruction& instruction) {
    StackEffect effect;
    switch (instruction.kind) {
    case kOpSymbol:
    case kOpNumber:
        effect = {true, 0, 1, 1};
        break;
    case kOpCall: {
        if (instruction.operand < 0 || instruction.operand >= kBuiltinCount) break;
        const BuiltinFunction& f = kBuiltins[instruction.operand];
        const int32_t arguments = instruction.argumentCount;
        const bool variadic = f.kind == kBuiltinVariadic;
        if (variadic ? arguments < f.argumentCount : arguments != f.kind) break;
        effect = {true, arguments, 1, variadic ? 1 : 0};
        break;
    }
    case kOpMultiply:
    case kOpAdd:
    case kOpSubtract:
    case kOpDivide:
    case kOpPower:
        effect = {true, 2, 1, 0};
        break;
    default:
        break;
    }
    return effect;
}

}  // namespace talvex::script
