// Result codes shared by every subsystem: one signed 32-bit value per outcome,
// named from the public list (talvex_codes.h) so that no file writes a code's
// number itself.
#pragma once
#include <cstdint>

#include "talvex_codes.h"

namespace talvex {

using Result = int32_t;

#define TALVEX_RESULT_CONSTANT(name, value, text) constexpr Result name = value;
TALVEX_RESULT_CODES(TALVEX_RESULT_CONSTANT)
TALVEX_CALCULATION_CODES(TALVEX_RESULT_CONSTANT)
#undef TALVEX_RESULT_CONSTANT

// The sentence of a code of any list, or null for a number that is none.
// Code 2 reads as both of its meanings.
const char* ResultText(Result code);

}  // namespace talvex
