// The programs of a few symbols (the coordinates of a graph) made to run over
// a block of samples at a time: each operation runs over the whole block
// before the next, the inputs (free variables) come as columns, and every
// name is computed once per sample however often it is used.
//
// It is the library's one way to run a script. It computes what evaluating
// each name where it is used computes, operation for operation in the same
// order, so every value is the same double. It has no stack and no failures:
// whoever builds it decides first which names would fail to evaluate, which
// does not depend on the values (see evaluation_check.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script/builtins.h"
#include "script/script.h"

namespace talvex::script {

class BlockProgram {
public:
    static constexpr int kBlockSize = 256;

    // Prepares the programs of the named targets, reading the named inputs
    // (free variables, defined or not) from columns, in order. A target may
    // be an input. False when a program does not pass the compiler's check or
    // a name is undefined, circular or nested too deep.
    bool Build(const Script& script, const std::vector<std::string>& targets,
               const std::vector<std::string>& inputs);

    // The column of an input, to be filled with up to kBlockSize values.
    double* Input(size_t input) { return Column(inputColumns_[input]); }
    // Computes the first count samples of every target from the inputs.
    void Run(int count);
    // The values of a target after Run.
    const double* Output(size_t target) const { return Column(outputColumns_[target]); }

private:
    enum Kind : uint8_t {
        kMultiply,
        kAdd,
        kSubtract,
        kDivide,
        kPower,
        kWholePower,       // a constant exponent that is a whole number
        kFractionalPower,  // a constant exponent that is not
        kUnary,
        kBinary,
        kVariadic,
    };
    struct Op {
        Kind kind;
        int32_t result;
        int32_t left;   // the first argument
        int32_t right;  // the second; for a variadic call, where its further arguments start in arguments_
        int32_t count;  // a variadic call's further arguments
        int32_t builtin;  // the row of a call's built-in
        UnaryFunction unary;
        BinaryFunction binary;
        VariadicFunction variadic;
    };

    class Builder;

    double* Column(int32_t column) { return columns_.data() + static_cast<size_t>(column) * kBlockSize; }
    const double* Column(int32_t column) const {
        return columns_.data() + static_cast<size_t>(column) * kBlockSize;
    }

    std::vector<Op> ops_;
    std::vector<int32_t> arguments_;  // columns of variadic calls' further arguments
    std::vector<int32_t> inputColumns_;
    std::vector<int32_t> outputColumns_;
    std::vector<double> columns_;
    std::vector<double> further_;  // one sample's further arguments of a variadic call
};

}  // namespace talvex::script
