#include "script/flat_program.h"

#include <algorithm>

#include "script/compiler.h"
#include "script/evaluator.h"

namespace talvex::script {

namespace {

// Far below the evaluator's own limit, so that a flattened program never
// meets the failures of deep names.
constexpr int kMaximumNesting = 64;
// Inlining can grow a program exponentially («a = b + b», «b = c + c» …).
constexpr size_t kMaximumOps = 1 << 16;

// One operator on the two top values, chosen when compiling this file.
template <uint32_t kOperator>
inline void Operate(double* values, int32_t& count) {
    --count;
    values[count - 1] = ApplyOperator(kOperator, values[count - 1], values[count]);
}

bool IsConstant(const Symbol& symbol) { return symbol.program.size() == 1 && symbol.program[0].kind == kOpNumber; }

}  // namespace

bool FlatProgram::Build(Script& script, Symbol& symbol) {
    ops_.clear();
    if (Flatten(script, symbol)) return true;
    ops_.clear();
    return false;
}

bool FlatProgram::Flatten(Script& script, Symbol& symbol) {
    if (!Append(script, symbol, 0)) return false;
    // Inlining a name runs its program on the same stack, where the
    // evaluator would pop its value and push it back: the same values. Follow
    // the depth: never below the bottom, exactly one value at the end.
    int32_t depth = 0, deepest = 0;
    for (const Op& op : ops_) {
        switch (op.kind) {
        case kNumber:
        case kConstant:
            ++depth;
            break;
        case kUnary:
            if (depth < 1) return false;
            break;
        case kVariadic:
            if (depth < op.count + 1) return false;
            depth -= op.count;
            break;
        default:
            if (depth < 2) return false;
            --depth;
            break;
        }
        deepest = std::max(deepest, depth);
    }
    if (depth != 1) return false;
    stack_.assign(static_cast<size_t>(deepest), 0.0);
    return true;
}

bool FlatProgram::Append(Script& script, Symbol& symbol, int nesting) {
    // A constant (a variable, a setting) is read where it lives, so that
    // setting a variable between runs needs no rebuilding.
    if (IsConstant(symbol)) {
        Op op{};
        op.kind = kConstant;
        op.constant = &symbol.program[0].number;
        ops_.push_back(op);
        return true;
    }
    const std::vector<Instruction>& program = symbol.program;
    // An empty program would take its value from whatever lies below it.
    if (program.empty()) return false;
    for (size_t i = 0; i < program.size(); ++i) {
        const Instruction& instruction = program[i];
        Op op{};
        switch (instruction.kind) {
        case kOpNumber:
            op.kind = kNumber;
            op.number = instruction.number;
            break;
        case kOpSymbol: {
            // Resolved and kept as the evaluator would on its first run.
            if (instruction.symbol == nullptr) instruction.symbol = FindSymbol(script, instruction.name);
            if (instruction.symbol == nullptr) return false;
            if (!IsConstant(*instruction.symbol) && nesting + 1 > kMaximumNesting) return false;
            if (!Append(script, *instruction.symbol, nesting + 1)) return false;
            continue;
        }
        case kOpCall: {
            const int index = instruction.builtin >= 0 ? instruction.builtin : FindBuiltin(instruction.name.c_str());
            if (index < 0) return false;
            const BuiltinFunction& f = kBuiltins[index];
            if (f.kind == kBuiltinUnary) {
                op.kind = kUnary;
                op.unary = f.unary;
            } else if (f.kind == kBuiltinBinary) {
                op.kind = kBinary;
                op.binary = f.binary;
            } else {
                // The count of further arguments is the number pushed just
                // before the call; it becomes part of the call.
                if (i == 0 || program[i - 1].kind != kOpNumber || ops_.empty() || ops_.back().kind != kNumber)
                    return false;
                op.kind = kVariadic;
                op.count = TruncateToInt32(ops_.back().number);
                if (op.count < f.argumentCount - 1) return false;
                op.variadic = f.variadic;
                ops_.pop_back();
            }
            break;
        }
        case kOpMultiply:
        case kOpAdd:
        case kOpSubtract:
        case kOpDivide:
        case kOpPower:
            op.kind = static_cast<Kind>(instruction.kind);
            break;
        default:
            return false;
        }
        ops_.push_back(op);
        if (ops_.size() > kMaximumOps) return false;
    }
    return true;
}

double FlatProgram::Run() const {
    double* values = stack_.data();
    int32_t count = 0;
    for (const Op& op : ops_) {
        switch (op.kind) {
        case kNumber:
            values[count++] = op.number;
            break;
        case kConstant:
            values[count++] = *op.constant;
            break;
        case kMultiply:
            Operate<kOpMultiply>(values, count);
            break;
        case kAdd:
            Operate<kOpAdd>(values, count);
            break;
        case kSubtract:
            Operate<kOpSubtract>(values, count);
            break;
        case kDivide:
            Operate<kOpDivide>(values, count);
            break;
        case kPower:
            Operate<kOpPower>(values, count);
            break;
        case kUnary:
            values[count - 1] = op.unary(values[count - 1]);
            break;
        case kBinary:
            --count;
            values[count - 1] = op.binary(values[count - 1], values[count]);
            break;
        case kVariadic: {
            const int32_t first = count - 1 - op.count;
            values[first] = op.variadic(values[first], op.count, values + first + 1);
            count = first + 1;
            break;
        }
        }
    }
    return values[0];
}

}  // namespace talvex::script
