// Graph calculation: a slot's script and the handedness in, the slot's
// geometry out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graph/slot_geometry.h"
#include "script/dependencies.h"
#include "script/script.h"

namespace talvex::graph {

// Computes the coordinates x, y and z of a block of samples. A slot computes
// them with its block program; tests put a reference in its place.
class CoordinateSource {
public:
    virtual ~CoordinateSource() = default;
    // For sample i of count (at most the block program's kBlockSize):
    // parameters[p][i] is the value of the p-th free variable; coordinates[axis]
    // receives where x, y or z of the samples are, valid until the next call.
    virtual void Compute(const double* const* parameters, int count, const double** coordinates) = 0;
};

// One slot's calculation in its two steps: everything that can fail, then
// the sampling, so that a caller can make room for the geometry in between.
// The script is only read.
class SlotCalculation {
public:
    SlotCalculation(const script::Script& script, bool leftHanded);
    ~SlotCalculation();
    SlotCalculation(const SlotCalculation&) = delete;
    SlotCalculation& operator=(const SlotCalculation&) = delete;

    // The dependency analysis, the settings and the free variables, decided
    // from the programs alone: 0, or the code that ends the calculation (17,
    // 19, 16 from the analysis, 18 for three or more free variables, a
    // setting's evaluation code). Builds the program of the coordinates; a
    // coordinate whose evaluation would fail is not-a-number at every sample.
    int32_t Prepare();
    // After Prepare failed: words that name what failed ("'k' is used but
    // never defined", "more than two free variables: p, q, t").
    const std::string& Cause() const { return cause_; }
    // Samples the script into geometry, replacing what it held; only after
    // Prepare gave 0 (otherwise geometry is untouched).
    void Sample(SlotGeometry& geometry);
    // The same with the coordinates computed by another source.
    void Sample(SlotGeometry& geometry, CoordinateSource& source);
    // The free variables that the samples run over, in order, after Prepare
    // gave 0: none for a point, one for a curve, two for a surface.
    std::vector<script::VariableRange> Parameters() const;

private:
    struct State;
    const script::Script& script_;
    bool leftHanded_;
    std::unique_ptr<State> state_;
    std::string cause_;
};

// Both steps at once: 0 with geometry filled, or Prepare's code and geometry
// untouched.
int32_t ComputeSlot(const script::Script& script, bool leftHanded, SlotGeometry& geometry);

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
