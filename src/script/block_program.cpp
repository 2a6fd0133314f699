#include "script/block_program.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>

#include "script/builtin_math.h"
#include "script/compiler.h"
#include "script/operators.h"
#include "script/stack_effect.h"

namespace talvex::script {

// Turns the programs into operations on values, each value written once,
// then gives the values columns: a column is handed on as soon as the last
// operation that reads its value is done, so a long program needs only as
// many columns as it holds values at once.
class BlockProgram::Builder {
public:
    explicit Builder(const Script& script)
        : script_(script), valueOfName_(script.names.size(), -1), state_(script.names.size(), kNew) {}

    bool Build(BlockProgram& program, const std::vector<std::string>& targets,
               const std::vector<std::string>& inputs) {
        // Every input has its column, in order, whether or not a program
        // reads it; an input stands for its name whatever the script says.
        std::unordered_map<std::string, int32_t> inputValues;
        for (const std::string& input : inputs) {
            const int32_t value = NewValue(kInputValue, 0.0);
            inputValues.emplace(input, value);
            const auto found = script_.nameIndex.find(input);
            if (found != script_.nameIndex.end()) valueOfName_[static_cast<size_t>(found->second)] = value;
        }
        std::vector<int32_t> outputs;
        for (const std::string& target : targets) {
            int32_t value = -1;
            const auto input = inputValues.find(target);
            if (input != inputValues.end()) {
                value = input->second;
            } else {
                const auto found = script_.nameIndex.find(target);
                if (found == script_.nameIndex.end() || !EmitName(found->second, 0, value)) return false;
            }
            outputs.push_back(value);
        }
        AssignColumns(program, inputs.size(), outputs);
        return true;
    }

private:
    enum ValueKind : uint8_t { kInputValue, kConstantValue, kComputedValue };
    enum NameState : uint8_t { kNew, kInProgress };
    struct Value {
        ValueKind kind;
        double constant;
        int32_t lastUse;  // the last operation that reads it
        int32_t column;
    };

    int32_t NewValue(ValueKind kind, double constant) {
        values_.push_back({kind, constant, -1, -1});
        return static_cast<int32_t>(values_.size() - 1);
    }

    // Equal numbers share one column, told apart by their bits (0 and -0,
    // every not-a-number).
    int32_t Constant(double number) {
        uint64_t bits;
        std::memcpy(&bits, &number, sizeof bits);
        const auto found = constants_.find(bits);
        if (found != constants_.end()) return found->second;
        const int32_t value = NewValue(kConstantValue, number);
        constants_.emplace(bits, value);
        return value;
    }

    void Read(int32_t value) { values_[static_cast<size_t>(value)].lastUse = static_cast<int32_t>(ops_.size()); }

    int32_t Emit(Op op, std::initializer_list<int32_t> operands) {
        for (int32_t operand : operands) Read(operand);
        op.result = NewValue(kComputedValue, 0.0);
        ops_.push_back(op);
        return op.result;
    }

    // The value of a name, its program emitted on first use.
    bool EmitName(int32_t index, int depth, int32_t& value) {
        if (depth > kMaximumNameDepth || index < 0 || static_cast<size_t>(index) >= script_.names.size()) return false;
        const auto slot = static_cast<size_t>(index);
        if (valueOfName_[slot] >= 0) {
            value = valueOfName_[slot];
            return true;
        }
        const Symbol& symbol = *script_.names[slot];
        if (!symbol.defined || state_[slot] == kInProgress) return false;
        if (symbol.IsConstant()) {
            value = valueOfName_[slot] = Constant(symbol.ConstantValue());
            return true;
        }
        if (!CheckProgram(script_, symbol.program)) return false;
        state_[slot] = kInProgress;
        std::vector<int32_t> stack;
        for (const Instruction& instruction : symbol.program) {
            switch (instruction.kind) {
            case kOpNumber:
                stack.push_back(Constant(instruction.number));
                break;
            case kOpSymbol: {
                int32_t named = -1;
                if (!EmitName(instruction.operand, depth + 1, named)) return false;
                stack.push_back(named);
                break;
            }
            case kOpCall:
                stack.push_back(EmitCall(instruction, stack));
                break;
            default: {
                const int32_t right = stack.back();
                stack.pop_back();
                const int32_t left = stack.back();
                stack.pop_back();
                stack.push_back(EmitOperator(instruction.kind, left, right));
                break;
            }
            }
        }
        value = valueOfName_[slot] = stack.back();
        return true;
    }

    bool IsConstant(int32_t value) const { return values_[static_cast<size_t>(value)].kind == kConstantValue; }
    double ConstantOf(int32_t value) const { return values_[static_cast<size_t>(value)].constant; }

    int32_t EmitOperator(uint32_t opcode, int32_t left, int32_t right) {
        // Constants on both sides: computed once, by the same arithmetic.
        if (IsConstant(left) && IsConstant(right))
            return Constant(ApplyOperator(opcode, ConstantOf(left), ConstantOf(right)));
        Op op{};
        op.kind = OperatorKind(opcode);
        op.left = left;
        op.right = right;
        // A constant exponent is whole or not once and for all.
        if (op.kind == kPower && IsConstant(right))
            op.kind = std::floor(ConstantOf(right)) == ConstantOf(right) ? kWholePower : kFractionalPower;
        return Emit(op, {left, right});
    }

    // Takes the call's arguments from the top of the stack.
    int32_t EmitCall(const Instruction& call, std::vector<int32_t>& stack) {
        const BuiltinFunction& f = kBuiltins[call.operand];
        const auto arguments = static_cast<size_t>(EffectOf(call).taken);
        const size_t first = stack.size() - arguments;
        // A one- or two-argument built-in of constants: computed once.
        const bool constants = f.kind != kBuiltinVariadic && IsConstant(stack[first]) &&
                               (f.kind == kBuiltinUnary || IsConstant(stack[first + 1]));
        if (constants) {
            const double result = f.kind == kBuiltinUnary ? f.unary(ConstantOf(stack[first]))
                                                          : f.binary(ConstantOf(stack[first]), ConstantOf(stack[first + 1]));
            stack.resize(first);
            return Constant(result);
        }
        Op op{};
        op.left = stack[first];
        op.builtin = call.operand;
        for (size_t i = first; i < stack.size(); ++i) Read(stack[i]);
        if (f.kind == kBuiltinUnary) {
            op.kind = kUnary;
            op.unary = f.unary;
        } else if (f.kind == kBuiltinBinary) {
            op.kind = kBinary;
            op.binary = f.binary;
            op.right = stack[first + 1];
        } else {
            op.kind = kVariadic;
            op.variadic = f.variadic;
            op.count = call.argumentCount - 1;
            op.right = static_cast<int32_t>(furtherArguments_.size());
            furtherArguments_.insert(furtherArguments_.end(), stack.begin() + static_cast<long>(first) + 1, stack.end());
        }
        stack.resize(first);
        return Emit(op, {});
    }

    static Kind OperatorKind(uint32_t opcode) {
        switch (opcode) {
        case kOpMultiply:
            return kMultiply;
        case kOpAdd:
            return kAdd;
        case kOpSubtract:
            return kSubtract;
        case kOpDivide:
            return kDivide;
        default:
            return kPower;
        }
    }

    void AssignColumns(BlockProgram& program, size_t inputCount, const std::vector<int32_t>& outputs) {
        // Inputs and constants have columns of their own for good; the
        // targets' values are read after the last operation.
        int32_t columns = 0;
        for (Value& value : values_)
            if (value.kind == kInputValue) value.column = columns++;
        for (Value& value : values_)
            if (value.kind == kConstantValue) value.column = columns++;
        for (int32_t output : outputs) values_[static_cast<size_t>(output)].lastUse = INT_MAX;

        std::vector<int32_t> free;
        std::vector<int32_t> operands;
        for (size_t i = 0; i < ops_.size(); ++i) {
            Op& op = ops_[i];
            operands.assign({op.left});
            if (op.kind == kVariadic)
                operands.insert(operands.end(), furtherArguments_.begin() + op.right,
                                furtherArguments_.begin() + op.right + op.count);
            else if (op.kind != kUnary)
                operands.push_back(op.right);
            // A column whose value is read here for the last time can take
            // the result: every operation reads a sample before it writes it.
            for (int32_t operand : operands) {
                Value& value = values_[static_cast<size_t>(operand)];
                if (value.kind == kComputedValue && value.lastUse == static_cast<int32_t>(i) && value.column >= 0) {
                    free.push_back(value.column);
                    value.lastUse = -1;  // freed once, however often it is read here
                }
            }
            Value& result = values_[static_cast<size_t>(op.result)];
            if (free.empty()) {
                result.column = columns++;
            } else {
                result.column = free.back();
                free.pop_back();
            }
            auto column = [&](int32_t value) { return values_[static_cast<size_t>(value)].column; };
            op.result = result.column;
            op.left = column(op.left);
            if (op.kind == kVariadic) {
                for (int32_t k = 0; k < op.count; ++k)
                    program.arguments_.push_back(column(furtherArguments_[static_cast<size_t>(op.right + k)]));
                op.right = static_cast<int32_t>(program.arguments_.size()) - op.count;
            } else if (op.kind != kUnary) {
                op.right = column(op.right);
            }
            // A result nobody reads is still computed (evaluating name by
            // name computes it too) but its column is free again at once.
            if (result.lastUse < 0) {
                free.push_back(result.column);
            }
        }
        program.ops_ = std::move(ops_);
        program.columns_.assign(static_cast<size_t>(columns) * kBlockSize, 0.0);
        for (const Value& value : values_)
            if (value.kind == kConstantValue)
                std::fill_n(program.Column(value.column), kBlockSize, value.constant);
        program.inputColumns_.clear();
        for (size_t i = 0; i < inputCount; ++i) program.inputColumns_.push_back(static_cast<int32_t>(i));
        program.outputColumns_.clear();
        for (int32_t output : outputs) program.outputColumns_.push_back(values_[static_cast<size_t>(output)].column);
    }

    const Script& script_;
    std::vector<Value> values_;
    std::vector<Op> ops_;
    std::vector<int32_t> furtherArguments_;  // values, then columns
    std::vector<int32_t> valueOfName_;
    std::vector<uint8_t> state_;
    std::unordered_map<uint64_t, int32_t> constants_;
};

namespace {

// One function over a column, or over two side by side; the common
// built-ins are called directly, so that they inline (and the simple ones
// vectorise) instead of going through the table.
template <typename Function>
void Apply(double* result, const double* left, size_t n, Function f) {
    for (size_t i = 0; i < n; ++i) result[i] = f(left[i]);
}

template <typename Function>
void Apply(double* result, const double* left, const double* right, size_t n, Function f) {
    for (size_t i = 0; i < n; ++i) result[i] = f(left[i], right[i]);
}

void ApplyUnary(int32_t builtin, UnaryFunction function, double* result, const double* left, size_t n) {
    switch (builtin) {
    case kRowCos:
        return Apply(result, left, n, [](double x) { return math::Cos(x); });
    case kRowSin:
        return Apply(result, left, n, [](double x) { return math::Sin(x); });
    case kRowTan:
        return Apply(result, left, n, [](double x) { return math::Tan(x); });
    case kRowExp:
        return Apply(result, left, n, [](double x) { return math::Exp(x); });
    case kRowAbs:
        return Apply(result, left, n, [](double x) { return math::Abs(x); });
    case kRowLn:
        return Apply(result, left, n, [](double x) { return math::Ln(x); });
    case kRowSqrt:
        return Apply(result, left, n, [](double x) { return math::Sqrt(x); });
    case kRowFloor:
        return Apply(result, left, n, [](double x) { return math::Floor(x); });
    case kRowCeil:
        return Apply(result, left, n, [](double x) { return math::Ceil(x); });
    default:
        return Apply(result, left, n, function);
    }
}

}  // namespace

bool BlockProgram::Build(const Script& script, const std::vector<std::string>& targets,
                         const std::vector<std::string>& inputs) {
    ops_.clear();
    arguments_.clear();
    Builder builder(script);
    if (builder.Build(*this, targets, inputs)) return true;
    ops_.clear();
    outputColumns_.clear();
    return false;
}

void BlockProgram::Run(int count) {
    const auto n = static_cast<size_t>(count);
    for (const Op& op : ops_) {
        double* result = Column(op.result);
        const double* left = Column(op.left);
        const double* right = Column(op.kind == kUnary || op.kind == kVariadic ? op.left : op.right);
        switch (op.kind) {
        case kMultiply:
            Apply(result, left, right, n, [](double a, double b) { return a * b; });
            break;
        case kAdd:
            Apply(result, left, right, n, [](double a, double b) { return a + b; });
            break;
        case kSubtract:
            Apply(result, left, right, n, [](double a, double b) { return a - b; });
            break;
        case kDivide:
            Apply(result, left, right, n, [](double a, double b) { return ApplyOperator(kOpDivide, a, b); });
            break;
        case kPower:
            Apply(result, left, right, n, [](double a, double b) { return ApplyOperator(kOpPower, a, b); });
            break;
        case kWholePower:
            Apply(result, left, right, n, [](double a, double b) { return std::pow(a, b); });
            break;
        case kFractionalPower:
            Apply(result, left, right, n, [](double a, double b) { return a > 0.0 ? std::pow(a, b) : 0.0; });
            break;
        case kUnary:
            ApplyUnary(op.builtin, op.unary, result, left, n);
            break;
        case kBinary:
            Apply(result, left, right, n, op.binary);
            break;
        case kVariadic: {
            // The further arguments of one sample side by side, as they lie
            // on the stack of a name-by-name evaluation.
            further_.resize(static_cast<size_t>(op.count));
            const int32_t* columns = arguments_.data() + op.right;
            for (size_t i = 0; i < n; ++i) {
                for (int32_t k = 0; k < op.count; ++k) further_[static_cast<size_t>(k)] = Column(columns[k])[i];
                result[i] = op.variadic(left[i], op.count, further_.data());
            }
            break;
        }
        }
    }
}

}  // namespace talvex::script
