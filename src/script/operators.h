// The arithmetic of the five infix operators, shared by everything that
// computes a program's value.
#pragma once

#include <cmath>
#include <cstdint>

#include "script/script.h"

namespace talvex::script {

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

}  // namespace talvex::script
