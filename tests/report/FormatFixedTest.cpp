#include "report/FormatFixed.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace sf {
namespace {

std::string withComma(std::string s)
{
    for (char &c : s)
        if (c == '.')
            c = ',';
    return s;
}

struct FixedCase {
    double value;
    int precision;
    int digits;
    const char *expected;
};

TEST(FormatFixed, RoundsToDecimalsUnderASignificantDigitCap)
{
    const double inf = std::numeric_limits<double>::infinity();
    const FixedCase cases[] = {
        // Ties on the typed value go away from zero; these doubles lie just below.
        {0.125, 6, 2, "0.13"},
        {0.15, 6, 1, "0.1"},
        {2.675, 6, 2, "2.67"},
        {0.0, 5, 2, "0.00"},
        {-0.0, 5, 2, "0.00"},
        {-0.0004, 5, 3, "0.000"},
        {-0.0006, 5, 3, "-0.001"},
        {4e-7, 5, 5, "0.00000"},
        {4e-6, 5, 5, "0.00000"},
        {6e-6, 5, 5, "0.00001"},
        {0.031416, 7, 5, "0.03142"},
        {999.96, 5, 1, "1000.0"},
        {1234.5678, 5, 3, "1234.600"},
        {123456.789, 8, 3, "123456.790"},
        {57.0, 6, 2, "57.00"},
        {290.0, 5, 1, "290.0"},
        {15180.0, 11, 3, "15180.000"},
        {9.55, 8, 4, "9.5500"},
        {0.96, 5, 3, "0.960"},
        {7.0, 6, 0, "7"},
        {-1.5, 6, 2, "-1.50"},
        {0.5, 5, 0, "1"},
        {0.4, 5, 0, "0"},
        {1e-5, 5, 30, "0.000010000000000000"},
        // Scientific form when the integer part outgrows the cap.
        {123456.7, 5, 1, "1.2346E5"},
        {99999.96, 5, 1, "1E5"},
        {1.5e10, 10, 3, "1.5E010"},
        {1e20, 5, 1, "1E20"},
        {2.33e41, 8, 3, "2.33E041"},
        {9.11e40, 6, 2, "9.11E40"},
        {-9.11e40, 6, 2, "-9.11E40"},
        {1.5e10, 4, 0, "1.5E10"},
        {1.5e10, 4, 5, "1.5E10"},
        {1.5e10, 4, 4, "1.5E0010"},
        {1.7976931348623157e308, 18, 2, "1.79769313486231571E308"},
        // The cap is clamped to 2..18.
        {12.345, 1, 2, "12.00"},
        {12.345, -5, 2, "12.00"},
        {123.456, 1, 2, "1.2E02"},
        {1.0 / 3, 40, 18, "0.333333333333333315"},
        {inf, 5, 2, "INF"},
        {-inf, 5, 2, "-INF"},
        {std::nan(""), 5, 2, "NAN"},
        {-std::nan(""), 5, 2, "NAN"},
    };
    for (const FixedCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " P=" << c.precision << " D=" << c.digits);
        EXPECT_EQ(FormatFixed(c.value, c.precision, c.digits, '.'), c.expected);
        EXPECT_EQ(FormatFixed(c.value, c.precision, c.digits, ','), withComma(c.expected));
    }
}

struct ColumnCase {
    int width;
    int digits;
    double value;
    const char *expected;
};

TEST(FormatColumn, RightAlignsTextsOfThreeOrMore)
{
    const ColumnCase cases[] = {
        {6, 2, 0.125, "  0.13"},
        {6, 2, 57.0, " 57.00"},
        {8, 4, 9.55, "  9.5500"},
        {7, 5, 0.031416, "0.03142"},
        {5, 1, 999.96, "1000.0"},
        {5, 1, 99999.96, "  1E5"},
        {6, 2, -1.5, " -1.50"},
        {5, 2, 0, " 0.00"},
        {6, 0, 7, "7"},
        {6, 0, 12, "12"},
        {6, 0, 123, "   123"},
        {2, 0, 123, "1.2E2"},
        {3, 0, 123, "123"},
        {0, 2, 1, "1.00"},
        {8, 3, 2.33e41, "2.33E041"},
        {6, 2, 9.11e40, "9.11E40"},
        {6, 2, 1234.567, "1234.57"},
        {6, 2, -0.5, " -0.50"},
        {6, 2, -12.345, "-12.35"},
    };
    for (const ColumnCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " W=" << c.width << " D=" << c.digits);
        const auto w = static_cast<std::uint8_t>(c.width);
        const auto d = static_cast<std::uint8_t>(c.digits);
        EXPECT_EQ(FormatColumn(w, d, c.value, '.'), c.expected);
        EXPECT_EQ(FormatColumn(w, d, c.value, ','), withComma(c.expected));
    }
    EXPECT_EQ(FormatColumn(255, 2, 1, '.'), std::string(251, ' ') + "1.00");
}

} // namespace
} // namespace sf
