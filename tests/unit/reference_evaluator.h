// The second engine the library is compared with: scripts evaluated name by
// name, each name afresh where it is used, on a stack of 1000 values, and the
// dependency tree followed use by use. Simple and slow on purpose; it shares
// with the library only the compiled form, the stack-effect rule, the
// operators and the built-ins.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "graph/calculation.h"
#include "script/dependencies.h"
#include "script/script.h"
#include "script/stack_effect.h"

namespace talvex::reference {

class ReferenceEvaluator {
public:
    // An evaluation that ran out of steps: neither a success nor a failure.
    static constexpr int32_t kOverBudget = -1000;

    explicit ReferenceEvaluator(const script::Script& script);

    // The name stands for value from now on, defined or not: a free variable.
    void SetInput(const std::string& name, double value);
    // Steps left to every later evaluation together; without a budget there
    // is no limit.
    void SetBudget(int64_t steps) { budget_ = steps; }

    // Evaluates the name into out (untouched on failure): 0; 15 when no
    // symbol or input has that name; 2 when a name used inside fails; 16 when
    // the stack fills at this level or names nest more than 1000 deep.
    int32_t Evaluate(const std::string& name, double& out);

private:
    int32_t Run(const script::Symbol& symbol, int depth, double& out);
    void Execute(const script::Instruction& instruction, const script::StackEffect& effect);

    const script::Script& script_;
    std::unordered_map<std::string, double> inputs_;
    std::vector<char> isInput_;      // by name index
    std::vector<double> inputValue_;  // by name index
    std::array<double, script::kStackCapacity> values_{};
    int32_t count_ = 0;
    int64_t budget_ = -1;
};

// The dependency tree of "x", "y" and "z" followed use by use: 0, 16, 17 or
// 19, with the free variables found up to there.
int32_t CollectDependencies(const script::Script& script, std::array<bool, script::kVariableCount>& free);

// What a slot's preparation must give: its code and, for 0, the free
// variables with their ranges, every setting read by the reference.
struct SlotPlan {
    int32_t code = 0;
    std::vector<script::VariableRange> parameters;
};
SlotPlan PlanSlot(const script::Script& script);

// The coordinates sample by sample through the reference evaluator; a
// coordinate whose evaluation fails keeps its value of the previous sample,
// not-a-number before the first.
class ReferenceSource : public graph::CoordinateSource {
public:
    ReferenceSource(const script::Script& script, const std::vector<script::VariableRange>& parameters,
                    int64_t budget = -1);
    void Compute(const double* const* parameters, int count, const double** coordinates) override;
    bool OverBudget() const { return overBudget_; }

private:
    ReferenceEvaluator evaluator_;
    std::vector<std::string> names_;
    double previous_[3];
    std::vector<double> columns_[3];
    bool overBudget_ = false;
};

}  // namespace talvex::reference

namespace talvex::reference {

// A slot computed by the library and by the reference side by side.
struct SlotComparison {
    int32_t code = 0;         // the library's
    bool compared = true;     // false when the reference ran out of steps
    std::string difference;   // empty when codes, ranges and geometry agree
};

// Prepares the slot in the library and plans it by the reference; for 0
// samples it by the library's block program and by the reference source
// and compares the geometry bit for bit (not-a-number being one value).
SlotComparison CompareSlot(const script::Script& script, bool leftHanded, int64_t budget = -1);

// The same geometry, bit for bit, not-a-number being one value: which of
// two not-a-number operands an operation passes on is the processor's
// choice and the compiler's, not the program's.
bool SameGeometry(const graph::SlotGeometry& a, const graph::SlotGeometry& b);

}  // namespace talvex::reference
