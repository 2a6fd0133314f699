#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <locale>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "render/ticks.h"

namespace {

using talvex::render::AxisTicks;
using talvex::render::MakeTicks;

const std::string kMinus = "\u2212";
const std::string kTimesTen = "\u00D710";

std::string Joined(const std::vector<std::string>& labels) {
    std::string text;
    for (const std::string& label : labels) text += (text.empty() ? "" : " ") + label;
    return text;
}

TEST(Ticks, KnownRanges) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const struct {
        double low, high;
        int maxTicks;
        std::vector<double> values;
        std::string labels;
        std::string factor;
    } cases[] = {
        {-3, 3, 7, {-3, -2, -1, 0, 1, 2, 3}, "−3 −2 −1 0 1 2 3", ""},
        {3, -3, 7, {-3, -2, -1, 0, 1, 2, 3}, "−3 −2 −1 0 1 2 3", ""},
        {0, 1, 6, {0, 0.2, 0.4, 0.6, 0.8, 1}, "0.0 0.2 0.4 0.6 0.8 1.0", ""},
        {0, 1, 5, {0, 0.25, 0.5, 0.75, 1}, "0.00 0.25 0.50 0.75 1.00", ""},
        {-1, 1, 5, {-1, -0.5, 0, 0.5, 1}, "−1.0 −0.5 0.0 0.5 1.0", ""},
        {-0.5, 0.5, 3, {-0.5, 0, 0.5}, "−0.5 0.0 0.5", ""},
        // Ticks inside the range only: 0.5 … 4.5 holds 1 … 4.
        {0.5, 4.5, 6, {1, 2, 3, 4}, "1 2 3 4", ""},
        {0, 50000, 6, {0, 10000, 20000, 30000, 40000, 50000}, "0 10000 20000 30000 40000 50000", ""},
        {0, 1e6, 6, {0, 2e5, 4e5, 6e5, 8e5, 1e6}, "0.0 0.2 0.4 0.6 0.8 1.0", "×10⁶"},
        {0, 123456, 6, {0, 25000, 50000, 75000, 100000}, "0.00 0.25 0.50 0.75 1.00", "×10⁵"},
        {0, 0.0001, 6, {0, 2e-5, 4e-5, 6e-5, 8e-5, 1e-4}, "0.0 0.2 0.4 0.6 0.8 1.0", "×10⁻⁴"},
        {-0.0004, 0.0004, 5, {-4e-4, -2e-4, 0, 2e-4, 4e-4}, "−4 −2 0 2 4", "×10⁻⁴"},
        {0, 0.003, 4, {0, 0.001, 0.002, 0.003}, "0.000 0.001 0.002 0.003", ""},
        // Narrow for their magnitude: an offset, and a factor for the step.
        {1000.001, 1000.002, 6, {1000.001, 1000.0012, 1000.0014, 1000.0016, 1000.0018, 1000.002},
         "1.0 1.2 1.4 1.6 1.8 2.0", "×10⁻³ +1×10³"},
        {-1000.002, -1000.001, 6, {-1000.002, -1000.0018, -1000.0016, -1000.0014, -1000.0012, -1000.001},
         "−2.0 −1.8 −1.6 −1.4 −1.2 −1.0", "×10⁻³ −1×10³"},
        {100000, 100010, 6, {100000, 100002, 100004, 100006, 100008, 100010}, "0 2 4 6 8 10", "+1×10⁵"},
        {12345.67, 12345.68, 3, {12345.67, 12345.675, 12345.68}, "0.070 0.075 0.080", "+1.23456×10⁴"},
        // Zero-width: ±1% of the value, ±1 around zero.
        {5, 5, 5, {4.96, 4.98, 5, 5.02, 5.04}, "4.96 4.98 5.00 5.02 5.04", ""},
        {0, 0, 5, {-1, -0.5, 0, 0.5, 1}, "−1.0 −0.5 0.0 0.5 1.0", ""},
        {1e200, 5e200, 5, {1e200, 2e200, 3e200, 4e200, 5e200}, "1 2 3 4 5", "×10²⁰⁰"},
        {1e-10, 5e-10, 5, {1e-10, 2e-10, 3e-10, 4e-10, 5e-10}, "1 2 3 4 5", "×10⁻¹⁰"},
        {0, 1, 2, {0, 1}, "0 1", ""},
        // Fewer than two asked for counts as two.
        {0, 1, 0, {0, 1}, "0 1", ""},
        {0, 1, -5, {0, 1}, "0 1", ""},
        // Two asked for, and no pair of nice numbers inside: the one there is.
        {0.1, 0.9, 2, {0.5}, "0.5", ""},
        {kNaN, 1, 5, {}, "", ""},
        {0, kInfinity, 5, {}, "", ""},
        {-kInfinity, kInfinity, 5, {}, "", ""},
        {-1e300, 1e300, 5, {}, "", ""},
    };
    for (const auto& c : cases) {
        const AxisTicks ticks = MakeTicks(c.low, c.high, c.maxTicks);
        SCOPED_TRACE(::testing::Message() << c.low << " … " << c.high << " at most " << c.maxTicks);
        ASSERT_EQ(ticks.values.size(), c.values.size());
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            EXPECT_DOUBLE_EQ(ticks.values[i], c.values[i]) << "tick " << i;
            // A multiple of the step, never a sum of steps: zero is zero.
            if (c.values[i] == 0) {
                EXPECT_TRUE(ticks.values[i] == 0 && !std::signbit(ticks.values[i])) << ticks.values[i];
            }
        }
        EXPECT_EQ(Joined(ticks.labels), c.labels);
        EXPECT_EQ(ticks.factor, c.factor);
    }
}

TEST(Ticks, AskingForMoreThanAThousandGetsAThousandAtMost) {
    // 0.001 would give 1001 ticks; the next step, 0.002, gives 501.
    const AxisTicks ticks = MakeTicks(0, 1, std::numeric_limits<int>::max());
    ASSERT_EQ(ticks.values.size(), 501u);
    EXPECT_DOUBLE_EQ(ticks.values[1], 0.002);
    EXPECT_EQ(ticks.labels[500], "1.000");
}

// The value a label and the axis's factor stand for: label × factor + offset.
class LabelReader {
public:
    explicit LabelReader(const std::string& factor) {
        std::size_t at = 0;
        if (factor.compare(0, kTimesTen.size(), kTimesTen) == 0) {
            at = kTimesTen.size();
            scale_ = std::pow(10.0, Exponent(factor, at));
            if (at < factor.size() && factor[at] == ' ') ++at;
        }
        if (at == factor.size()) return;
        const std::string rest = factor.substr(at);
        const std::size_t times = rest.find(kTimesTen);
        offset_ = Number(rest.substr(0, times));
        if (times == std::string::npos) return;
        std::size_t exponentAt = times + kTimesTen.size();
        offset_ *= std::pow(10.0, Exponent(rest, exponentAt));
        EXPECT_EQ(exponentAt, rest.size()) << "left over in " << factor;
    }

    double Value(const std::string& label) const { return Number(label) * scale_ + offset_; }

    // The label as a number: a leading "−" or "+" and digits with a point.
    static double Number(std::string text) {
        if (text.compare(0, kMinus.size(), kMinus) == 0) text.replace(0, kMinus.size(), "-");
        std::istringstream stream(text);
        stream.imbue(std::locale::classic());
        double number = 0;
        stream >> number;
        EXPECT_TRUE(stream && stream.peek() == std::char_traits<char>::eof()) << "not a number: " << text;
        return number;
    }

private:
    // Superscript digits and minus from at on, which moves past them.
    static int Exponent(const std::string& text, std::size_t& at) {
        static const std::string kDigits[] = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
        int sign = 1, exponent = 0;
        if (text.compare(at, std::string("⁻").size(), "⁻") == 0) {
            sign = -1;
            at += std::string("⁻").size();
        }
        for (bool found = true; found;) {
            found = false;
            for (int digit = 0; digit < 10 && !found; ++digit) {
                if (text.compare(at, kDigits[digit].size(), kDigits[digit]) != 0) continue;
                exponent = exponent * 10 + digit;
                at += kDigits[digit].size();
                found = true;
            }
        }
        return sign * exponent;
    }

    double scale_ = 1;
    double offset_ = 0;
};

std::size_t Decimals(const std::string& label) {
    const std::size_t point = label.find('.');
    return point == std::string::npos ? 0 : label.size() - point - 1;
}

// Ranges of every magnitude and width, from a fixed seed so a failure repeats.
TEST(Ticks, PropertiesOverRandomRanges) {
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> exponent(-12, 12), widthShare(-7, 1), unit(-1, 1);
    std::uniform_int_distribution<int> mostTicks(2, 12);
    for (int round = 0; round < 20000; ++round) {
        const double magnitude = std::pow(10.0, exponent(random));
        const double low = magnitude * unit(random);
        const double high = low + magnitude * std::pow(10.0, widthShare(random));
        const int maxTicks = mostTicks(random);
        const AxisTicks ticks = MakeTicks(low, high, maxTicks);
        SCOPED_TRACE(::testing::Message() << std::hexfloat << low << " … " << high << std::defaultfloat << " (" << low
                                          << " … " << high << ") at most " << maxTicks);

        const std::size_t count = ticks.values.size();
        ASSERT_LE(count, static_cast<std::size_t>(maxTicks));
        ASSERT_GE(count, maxTicks >= 3 ? 2u : 1u);
        ASSERT_EQ(ticks.labels.size(), count);
        const double step = count >= 2 ? ticks.values[1] - ticks.values[0] : high - low;
        const LabelReader reader(ticks.factor);
        for (std::size_t i = 0; i < count; ++i) {
            const double value = ticks.values[i];
            EXPECT_GE(value, low - 1e-6 * step) << "tick " << i;
            EXPECT_LE(value, high + 1e-6 * step) << "tick " << i;
            if (i > 0) {
                EXPECT_NEAR(value - ticks.values[i - 1], step, 1e-6 * step) << "uneven at tick " << i;
            }
            const std::string& label = ticks.labels[i];
            EXPECT_EQ(Decimals(label), Decimals(ticks.labels[0])) << label << " beside " << ticks.labels[0];
            EXPECT_EQ(label.find('-'), std::string::npos) << label;
            const std::size_t digitsAt = label.compare(0, kMinus.size(), kMinus) == 0 ? kMinus.size() : 0;
            if (digitsAt > 0) {
                EXPECT_NE(label.find_first_not_of("0.", digitsAt), std::string::npos) << "a negative zero: " << label;
            }
            EXPECT_FALSE(label.size() > digitsAt + 1 && label[digitsAt] == '0' && label[digitsAt + 1] != '.')
                << "a leading zero: " << label;
            EXPECT_LE(label.size() - digitsAt - (Decimals(label) > 0 ? 1 : 0), 6u) << "a long label: " << label;
            // The label, its factor and its offset read back to the tick.
            EXPECT_NEAR(reader.Value(label), value, 1e-6 * step) << label << " " << ticks.factor;
        }
        if (count >= 2) {
            const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
            bool nice = false;
            for (const double candidate : {1.0, 2.0, 2.5, 5.0, 10.0}) nice = nice || std::abs(mantissa - candidate) < 1e-6;
            EXPECT_TRUE(nice) << "step " << step;
        }
    }
}

}  // namespace
