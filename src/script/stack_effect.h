// How one step of a program moves the stack of values: the single rule that
// the compiler's check, the analysis of names and every way of running a
// program follow.
#pragma once

#include <cstdint>

#include "script/script.h"

namespace talvex::script {

// A running program holds at most this many values at once, less one: the
// stack counts as full when it holds this many.
constexpr int kStackCapacity = 1000;
// Symbols may refer to symbols this many levels deep; deeper fails with 16
// before the machine stack could run out.
constexpr int kMaximumNameDepth = 1000;

struct StackEffect {
    bool known = false;  // false for an opcode, a built-in or an argument count that no compiler makes
    int32_t taken = 0;   // values the step takes from the top
    int32_t given = 0;   // values it leaves in their place
    // The most values the step holds above the count it found: a push holds
    // one more, and so does a variadic call, whose count of further arguments
    // travels on the stack as a hidden last argument for a moment.
    int32_t reach = 0;
};

// The effect of one step. A name counts as the push of its value; how deep
// its own evaluation goes is the business of whoever follows the name.
StackEffect EffectOf(const Instruction& instruction);

// Whether the step, started with count values held, finds the stack full.
inline bool FillsStack(int32_t count, const StackEffect& effect) { return count + effect.reach >= kStackCapacity; }

}  // namespace talvex::script
