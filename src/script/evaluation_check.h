// Whether evaluating a name succeeds, and with which code it fails, decided
// from the programs alone.
//
// Evaluating a name runs its program on a stack of at most 999 pending
// values and follows each name it uses, where it is used, at most 1000
// levels deep. How many values that holds at once and how deep it goes
// depend on the programs only, never on the values (there are no branches),
// so the outcome of an evaluation is known before anything is computed: this
// is what lets the block program compute only what succeeds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/result_codes.h"
#include "script/script.h"

namespace talvex::script {

class EvaluationCheck {
public:
    // inputs are names given a value from outside (free variables): they
    // count as defined constants, whatever the script says of them.
    EvaluationCheck(const Script& script, const std::vector<std::string>& inputs);

    // What evaluating the name from an empty stack gives: 0; 15 when it is
    // neither a defined symbol nor an input; 2 when a name used inside fails
    // (undefined, or its own evaluation finds the stack full); 16 when the
    // stack fills at this level or names nest more than 1000 levels deep.
    int32_t Check(const std::string& name);

    // What an evaluation that succeeded found of a name: the most values it
    // held at once above the count it started from (a variadic call's hidden
    // count included), and how many levels of names it went down.
    struct Reach {
        int32_t stackPeak = 0;
        int32_t nesting = 0;
    };
    // The reach of a name checked (directly or through another) with
    // success, or null.
    const Reach* Known(const std::string& name) const;

private:
    struct Entry {
        bool input = false;
        bool known = false;  // reach holds a successful evaluation's reach
        Reach reach;
    };

    int32_t Walk(int32_t index, int depth, int32_t base, Reach& reach);

    const Script& script_;
    std::vector<std::string> inputs_;
    std::vector<Entry> entries_;  // by name index
};

}  // namespace talvex::script
