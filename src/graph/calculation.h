// Grid sizes of the graph calculation, exposed for tests.
#pragma once

#include <cstdint>

namespace talvex::graph {

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
