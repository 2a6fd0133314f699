// Graph calculation: a slot's script and the handedness in, the slot's
// geometry out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "graph/slot_geometry.h"
#include "script/script.h"

namespace talvex::graph {

// With kEvaluator every sample goes through the evaluator one by one; the
// geometry is the same bit for bit, only slower (a reference for tests).
enum class Sampling { kBlocks, kEvaluator };

// One slot's calculation in its two steps: everything that can fail, then
// the sampling, so that a caller can make room for the geometry in between.
class SlotCalculation {
public:
    SlotCalculation(script::Script& script, bool leftHanded, Sampling sampling = Sampling::kBlocks);
    ~SlotCalculation();
    SlotCalculation(const SlotCalculation&) = delete;
    SlotCalculation& operator=(const SlotCalculation&) = delete;

    // The dependency analysis, the settings and the free variables: 0, or
    // the code that ends the calculation (17, 19 from the analysis, 18 for
    // three or more free variables, a setting's evaluation code).
    int32_t Prepare();
    // After Prepare failed: words that name what failed ("'k' is used but
    // never defined", "more than two free variables: p, q, t").
    const std::string& Cause() const { return cause_; }
    // Samples the script into geometry, replacing what it held; only after
    // Prepare gave 0 (otherwise geometry is untouched).
    void Sample(SlotGeometry& geometry);

private:
    struct State;
    script::Script& script_;
    bool leftHanded_;
    Sampling sampling_;
    std::unique_ptr<State> state_;
    std::string cause_;
};

// Both steps at once: 0 with geometry filled, or Prepare's code and geometry
// untouched.
int32_t ComputeSlot(script::Script& script, bool leftHanded, SlotGeometry& geometry,
                    Sampling sampling = Sampling::kBlocks);

// Grid sizes, exposed for tests.

// The intervals of a surface from its two grid settings: defaults for grids
// that are not positive numbers, the reduction to about 10000 cells, then
// whole intervals lowered until (nu + 1) (nv + 1) vertices fit the buffer.
// lowered tells whether an axis was lowered past the real grid, in which case
// its step follows the whole count.
struct SurfaceGrid {
    double gridU, gridV;  // the real grids the steps divide by
    int32_t intervalsU, intervalsV;
};
SurfaceGrid PlanSurfaceGrid(double gridU, double gridV);

// The real grid of a curve: 10000 for grids that are not numbers, not
// positive or above 10000.
double PlanCurveGrid(double grid);

}  // namespace talvex::graph
