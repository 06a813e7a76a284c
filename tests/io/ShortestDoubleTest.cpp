#include "io/ShortestDouble.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace sf {
namespace {

std::string shortestText(double v)
{
    char buf[ShortestDoubleChars];
    return std::string(buf, writeShortest(buf, v));
}

std::string standardText(double v)
{
    char buf[64];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

TEST(ShortestDouble, WritesWhatToCharsWrites)
{
    const struct {
        double v;
        const char *text;
    } rows[] = {
        {57, "57"},
        {0.02946, "0.02946"},
        {1e-7, "1e-07"},
        {-2.2395833333333335, "-2.2395833333333335"},
        {123000, "123000"},              // fixed: shorter than 1.23e+05
        {1e15, "1e+15"},                 // scientific: shorter
        {0.000123, "0.000123"},          // as long as 1.23e-04: fixed
        {0.0000123, "1.23e-05"},
        {1e-38, "1e-38"},                // the last power of ten the table holds
        {5e-39, "5e-39"},                // beyond it
        {5e-324, "5e-324"},
        {4503599627370495.5, "4503599627370495.5"},
        {9007199254740991, "9007199254740991"},
        {1152921504606846976.0, "1152921504606846976"}, // 2^60 written out whole
        {1e23, "1e+23"},
        {0.0, "0"},
        {-0.0, "-0"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::quiet_NaN(), "-nan"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(shortestText(row.v), row.text);
}

TEST(ShortestDouble, AgreesWithToCharsOnEveryKindOfDouble)
{
    // std::to_chars is the reference: random bits, the table's whole range,
    // powers of two (where the lower neighbour is closer) and short decimals
    // with their neighbours, both signs.
    std::mt19937_64 random(45);
    int differ = 0;
    auto check = [&](double v) {
        for (double x : {v, -v, std::nextafter(v, 0.0), std::nextafter(v, HUGE_VAL)})
            if (shortestText(x) != standardText(x) && ++differ <= 10)
                ADD_FAILURE() << standardText(x) << " written as " << shortestText(x);
    };
    for (int i = 0; i < 100'000; ++i) {
        check(std::bit_cast<double>(random()));
        const std::uint64_t exponent = 890 + random() % 190; // 2^-133 to 2^55
        check(std::bit_cast<double>(exponent << 52 | (random() & ((std::uint64_t(1) << 52) - 1))));
        check(static_cast<double>(random() % 100'000'000) / std::pow(10.0, static_cast<int>(random() % 25)));
    }
    for (int e = -1074; e <= 1023; ++e)
        check(std::ldexp(1.0, e));
    EXPECT_EQ(differ, 0);
}

} // namespace
} // namespace sf
