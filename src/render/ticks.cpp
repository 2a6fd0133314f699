#include "render/ticks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

namespace talvex::render {
namespace {

constexpr int kMostTicks = 1000;
// Below this share of its magnitude a range is as good as zero-width: its
// ticks would need more digits than a double has.
constexpr double kNarrowest = 1e-9;
// Past these widths the powers of ten of the steps (and a tenth of them, where
// the search starts) leave the range of normal doubles.
constexpr double kWidest = 1e290;
constexpr double kSmallestWidth = 1e-290;
// A label of this many units or more needs six significant digits.
constexpr int64_t kLongestLabel = 100000;
constexpr double kLargestPlainValue = 1e5;
constexpr double kSmallestPlainStep = 1e-3;
const char* const kMinus = "\u2212";
constexpr const char* kSuperscriptDigits[] = {"\u2070", "\u00B9", "\u00B2", "\u00B3", "\u2074",
                                              "\u2075", "\u2076", "\u2077", "\u2078", "\u2079"};

// A nice step, mantissa × 10^exponent. The mantissa is an integer (2.5 is
// 25 × 10^(k−1)) so that every tick is an integer number of units of
// 10^exponent, and its value and label come from that integer exactly.
struct Step {
    int64_t mantissa;
    int exponent;
};

// The steps of one decade 10^k, densest first.
constexpr struct {
    int64_t mantissa;
    int exponentShift;
} kLadder[] = {{1, 0}, {2, 0}, {25, -1}, {5, 0}};

// The indexes of the first and the last multiple of a step inside the range.
struct Multiples {
    int64_t first;
    int64_t last;
};

// n × 10^exponent, dividing for a negative exponent: 10^k is exact where
// 10^-k is not, so 3 × 2 / 10 is the double nearest 0.6 where 6 × 0.1 is not.
double Scaled(int64_t units, int exponent) {
    const double power = std::pow(10.0, std::abs(exponent));
    return exponent >= 0 ? static_cast<double>(units) * power : static_cast<double>(units) / power;
}

// How far past a whole number a quotient may fall and still count as it: the
// division's rounding grows with the quotient.
double Slack(double quotient) { return 1e-9 + std::abs(quotient) * 1e-14; }

Multiples MultiplesInside(double low, double high, double stepSize) {
    const double from = low / stepSize;
    const double to = high / stepSize;
    return {static_cast<int64_t>(std::ceil(from - Slack(from))), static_cast<int64_t>(std::floor(to + Slack(to)))};
}

struct Choice {
    Step step;
    Multiples multiples;
};

Choice ChooseStep(double low, double high, int most) {
    const double span = high - low;
    // A tenth of the densest step that could fit, so that the first one tried
    // has too many multiples and the climb passes every candidate.
    int decade = static_cast<int>(std::floor(std::log10(span / most))) - 1;
    bool haveSingle = false;
    Choice single{};
    for (;; ++decade) {
        for (const auto& rung : kLadder) {
            const Step step{rung.mantissa, decade + rung.exponentShift};
            const double stepSize = Scaled(step.mantissa, step.exponent);
            const Multiples multiples = MultiplesInside(low, high, stepSize);
            const int64_t count = multiples.last - multiples.first + 1;
            if (count >= 2 && count <= most) return {step, multiples};
            // Only with two asked for: the range may hold no pair of nice
            // numbers; keep the first single one in case no pair comes.
            if (count == 1 && !haveSingle) {
                haveSingle = true;
                single = {step, multiples};
            }
            // A step wider than the range has one multiple inside at most.
            if (stepSize > span) return haveSingle ? single : Choice{step, multiples};
        }
    }
}

int Digits(int64_t units) {
    int digits = 1;
    for (int64_t rest = std::abs(units); rest >= 10; rest /= 10) ++digits;
    return digits;
}

int64_t PowerOfTen(int exponent) {
    int64_t power = 1;
    for (int i = 0; i < exponent; ++i) power *= 10;
    return power;
}

// Of a positive number of units.
int64_t FloorToMultiple(int64_t units, int64_t multiple) { return units / multiple * multiple; }

std::string Superscript(int exponent) {
    std::string text = exponent < 0 ? "\u207B" : "";
    for (const char digit : std::to_string(std::abs(exponent))) text += kSuperscriptDigits[digit - '0'];
    return text;
}

std::string PowerText(int exponent) { return "\u00D710" + Superscript(exponent); }

// units × 10^shift written out in full, with -shift decimals.
std::string UnitsText(int64_t units, int shift) {
    std::string digits = std::to_string(std::abs(units));
    if (shift > 0 && units != 0) digits.append(static_cast<std::size_t>(shift), '0');
    const auto decimals = static_cast<std::size_t>(std::max(0, -shift));
    if (decimals > 0) {
        if (digits.size() <= decimals) digits.insert(0, decimals + 1 - digits.size(), '0');
        digits.insert(digits.size() - decimals, ".");
    }
    return (units < 0 ? kMinus : "") + digits;
}

// units × 10^exponent in scientific form with only the digits it has:
// "+1.000001×10³", "−5", the sign always written since it is added.
std::string OffsetText(int64_t units, int exponent) {
    std::string digits = std::to_string(std::abs(units));
    const int power = static_cast<int>(digits.size()) - 1 + exponent;
    digits.erase(digits.find_last_not_of('0') + 1);
    if (digits.size() > 1) digits.insert(1, ".");
    return (units < 0 ? kMinus : "+") + digits + (power != 0 ? PowerText(power) : "");
}

}  // namespace

AxisTicks MakeTicks(double low, double high, int maxTicks) {
    AxisTicks ticks;
    if (!std::isfinite(low) || !std::isfinite(high)) return ticks;
    if (low > high) std::swap(low, high);
    const double magnitude = std::max(std::abs(low), std::abs(high));
    if (high - low <= magnitude * kNarrowest) {
        const double centre = low / 2 + high / 2;
        const double half = centre == 0 ? 1.0 : std::abs(centre) * 0.01;
        low = centre - half;
        high = centre + half;
    }
    // Also false where the widening above overflowed to infinity.
    if (!(high - low >= kSmallestWidth && high - low <= kWidest)) return ticks;

    const Choice choice = ChooseStep(low, high, std::clamp(maxTicks, 2, kMostTicks));
    const Step step = choice.step;
    std::vector<int64_t> units;
    for (int64_t index = choice.multiples.first; index <= choice.multiples.last; ++index) {
        units.push_back(index * step.mantissa);
        ticks.values.push_back(Scaled(units.back(), step.exponent));
    }
    if (units.empty()) return ticks;

    // Far from zero for its width, the labels say how far each tick is from a
    // round number near the range, written once. That number is the end
    // nearest zero rounded towards zero, so a range mirrored about zero gets
    // the mirrored offset and labels. (A range this narrow never holds zero.)
    int64_t offset = 0;
    const int64_t largest = std::max(std::abs(units.front()), std::abs(units.back()));
    if (largest >= kLongestLabel) {
        const int64_t round = PowerOfTen(Digits(units.back() - units.front()));
        offset = units.front() > 0 ? FloorToMultiple(units.front(), round) : -FloorToMultiple(-units.back(), round);
    }
    const int64_t largestShown = std::max({std::abs(units.front() - offset), std::abs(units.back() - offset),
                                           step.mantissa});
    int factorExponent = 0;
    if (Scaled(largestShown, step.exponent) >= kLargestPlainValue ||
        Scaled(step.mantissa, step.exponent) < kSmallestPlainStep) {
        // The largest label gets one digit before the point.
        factorExponent = Digits(largestShown) - 1 + step.exponent;
    }
    for (const int64_t tick : units) ticks.labels.push_back(UnitsText(tick - offset, step.exponent - factorExponent));
    if (factorExponent != 0) ticks.factor = PowerText(factorExponent);
    if (offset != 0) ticks.factor += (ticks.factor.empty() ? "" : " ") + OffsetText(offset, step.exponent);
    return ticks;
}

}  // namespace talvex::render
