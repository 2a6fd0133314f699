// The numbers along an axis of the chart style: where its ticks sit and what
// their labels say.
//
// The steps are Heckbert's nice numbers ("Nice numbers for graph labels",
// Graphics Gems, 1990) with the 2.5 that matplotlib's MaxNLocator adds:
// 1, 2, 2.5 and 5 × 10^k. Heckbert's loose labelling widens the range out to
// the ticks; an axis here is an edge of the box and cannot grow, so the ticks
// stay inside the range, and the step is the smallest nice one whose
// multiples inside the range are no more than asked for. Talbot, Lin and
// Hanrahan's extended method was the other candidate; its score trades
// simplicity, coverage and density with tuned weights, which gives better
// ticks where the range may be widened, but here the range is fixed and a
// rule a reader can predict from the numbers alone (the densest nice step
// that fits) is worth more than a score.
#pragma once

#include <string>
#include <vector>

namespace talvex::render {

struct AxisTicks {
    // The ticks inside [low, high] (one may sit on an end within rounding),
    // increasing, each an integer multiple of the step: 0 is exactly 0.
    std::vector<double> values;
    // One per value, all with the same number of decimals; negatives with
    // "−" (U+2212 MINUS SIGN), never "−0".
    std::vector<std::string> labels;
    // Shown once at the axis, "" when the labels are the values themselves:
    // a common factor ("×10⁶": a label times it is the value), an offset
    // ("+1.2345×10⁴": added to the label), or both ("×10⁻³ +1×10³": the
    // label times the factor, plus the offset). The exponents are written
    // in UTF-8 superscript digits and U+207B minus.
    std::string factor;
};

// The ticks of an axis from low to high, at most maxTicks of them (a value
// below 2 counts as 2, one above 1000 as 1000) and at least 2 when maxTicks
// is 3 or more; with 2 a range may hold no pair of nice numbers, and then it
// gets the one it holds.
// The labels get a factor ×10^k when the values reach 10^5 or the step is
// below 10^-3, so that they stay short; and an offset when the range is so
// narrow for its magnitude that the labels would need more than 5
// significant digits (1000.001 … 1000.002).
// A zero-width range, or one narrower than a billionth of its magnitude, gets
// ±1% around its value (±1 around 0), as gnuplot widens an empty range. low
// and high in the wrong order are swapped. Non-finite input gives no ticks,
// and so does a range wider than 10^290 or narrower than 10^-290, whose steps
// no double can hold to the digit.
AxisTicks MakeTicks(double low, double high, int maxTicks);

}  // namespace talvex::render
