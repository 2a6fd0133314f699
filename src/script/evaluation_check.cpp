#include "script/evaluation_check.h"

#include <algorithm>

#include "script/stack_effect.h"

namespace talvex::script {

namespace {

// Names nested deeper than allowed: passed up unchanged through every level
// and told as kCalculationTooDeep at the top, where every other failure of a
// name below is a failed name.
constexpr int32_t kNestedTooDeep = -kCalculationTooDeep;

}  // namespace

EvaluationCheck::EvaluationCheck(const Script& script, const std::vector<std::string>& inputs)
    : script_(script), inputs_(inputs), entries_(script.names.size()) {
    for (const std::string& input : inputs) {
        const auto found = script.nameIndex.find(input);
        if (found != script.nameIndex.end()) entries_[static_cast<size_t>(found->second)].input = true;
    }
}

const EvaluationCheck::Reach* EvaluationCheck::Known(const std::string& name) const {
    const auto found = script_.nameIndex.find(name);
    if (found == script_.nameIndex.end()) return nullptr;
    const Entry& entry = entries_[static_cast<size_t>(found->second)];
    return entry.known ? &entry.reach : nullptr;
}

int32_t EvaluationCheck::Check(const std::string& name) {
    // An input is its value, whether or not a program uses its name.
    for (const std::string& input : inputs_)
        if (input == name) return kOk;
    const auto found = script_.nameIndex.find(name);
    if (found == script_.nameIndex.end()) return kCalculationUnknownSymbol;
    const int32_t index = found->second;
    const Entry& entry = entries_[static_cast<size_t>(index)];
    const Symbol& symbol = *script_.names[static_cast<size_t>(index)];
    if (!symbol.defined) return kCalculationUnknownSymbol;
    // A constant is its number, asked for directly: nothing is pushed.
    if (symbol.IsConstant() || entry.known) return kOk;
    Reach reach;
    const int32_t result = Walk(index, 0, 0, reach);
    return result == kNestedTooDeep ? kCalculationTooDeep : result;
}

// Follows the program of a name started with base values held at the given
// depth, as evaluation does, each name where it is used. A name already
// followed with success is not followed again where its reach fits: it
// would succeed there too. Where it does not fit it is followed once more,
// so that the failure and its code come out where evaluation meets them.
int32_t EvaluationCheck::Walk(int32_t index, int depth, int32_t base, Reach& reach) {
    if (depth > kMaximumNameDepth) return kNestedTooDeep;
    const Symbol& symbol = *script_.names[static_cast<size_t>(index)];
    int32_t count = base;
    auto hold = [&](int32_t held) { reach.stackPeak = std::max(reach.stackPeak, held - base); };
    for (const Instruction& instruction : symbol.program) {
        const StackEffect effect = EffectOf(instruction);
        // A program that no compiler makes cannot be run: it fails as a name.
        if (!effect.known || count - base < effect.taken) return kCalculationFailedName;
        if (instruction.kind != kOpSymbol) {
            hold(count + effect.reach);
            if (FillsStack(count, effect)) return kCalculationTooDeep;
            count += effect.given - effect.taken;
            continue;
        }
        if (instruction.operand < 0 || static_cast<size_t>(instruction.operand) >= script_.names.size())
            return kCalculationFailedName;
        Entry& used = entries_[static_cast<size_t>(instruction.operand)];
        const Symbol& name = *script_.names[static_cast<size_t>(instruction.operand)];
        if (!used.input && !name.defined) return kCalculationFailedName;
        // A constant is pushed by a program of its own one level down, which
        // fails with the stack full as a name does.
        if (used.input || name.IsConstant()) {
            reach.nesting = std::max(reach.nesting, 1);
            if (depth + 1 > kMaximumNameDepth) return kNestedTooDeep;
            hold(count + effect.reach);
            if (FillsStack(count, effect)) return kCalculationFailedName;
            ++count;
            continue;
        }
        const bool fits = used.known && count + used.reach.stackPeak < kStackCapacity &&
                          depth + 1 + used.reach.nesting <= kMaximumNameDepth;
        if (!fits) {
            Reach inner;
            const int32_t result = Walk(instruction.operand, depth + 1, count, inner);
            if (result == kNestedTooDeep) return kNestedTooDeep;
            if (result != kOk) return kCalculationFailedName;
            used.known = true;
            used.reach = inner;
        }
        const Reach& inner = used.reach;
        hold(count + inner.stackPeak);
        reach.nesting = std::max(reach.nesting, 1 + inner.nesting);
        hold(count + effect.reach);
        if (FillsStack(count, effect)) return kCalculationTooDeep;
        ++count;
    }
    if (count != base + 1) return kCalculationFailedName;
    if (depth == 0) {
        Entry& top = entries_[static_cast<size_t>(index)];
        top.known = true;
        top.reach = reach;
    }
    return kOk;
}

}  // namespace talvex::script
