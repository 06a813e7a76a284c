// FormatFixed against a reference built on the exact decimal expansion of
// the double, computed here with schoolbook big-number arithmetic rather
// than the library's shortest/precision printing.

#include "report/FormatFixed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace sf {
namespace {

// Decimal digits of m * 5^k (k >= 0) or m * 2^k, most significant first.
std::string bigDigits(std::uint64_t m, int fives, int twos)
{
    std::vector<std::uint32_t> limbs; // base 1e9, least significant first
    while (m) {
        limbs.push_back(static_cast<std::uint32_t>(m % 1000000000u));
        m /= 1000000000u;
    }
    auto times = [&](std::uint32_t f) {
        std::uint64_t carry = 0;
        for (auto &l : limbs) {
            const std::uint64_t v = std::uint64_t(l) * f + carry;
            l = static_cast<std::uint32_t>(v % 1000000000u);
            carry = v / 1000000000u;
        }
        while (carry) {
            limbs.push_back(static_cast<std::uint32_t>(carry % 1000000000u));
            carry /= 1000000000u;
        }
    };
    for (; fives >= 13; fives -= 13)
        times(1220703125u); // 5^13
    for (; fives > 0; --fives)
        times(5);
    for (; twos >= 29; twos -= 29)
        times(1u << 29);
    for (; twos > 0; --twos)
        times(2);
    std::string s = std::to_string(limbs.back());
    for (auto it = limbs.rbegin() + 1; it != limbs.rend(); ++it) {
        std::string part = std::to_string(*it);
        s += std::string(9 - part.size(), '0') + part;
    }
    return s;
}

// The exact value of |v| (finite, non-zero) as digits and the position of the
// decimal point: |v| = 0.<digits> * 10^point.
void exactDecimal(double v, std::string &digits, int &point)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(std::fabs(v));
    const int biased = static_cast<int>(bits >> 52);
    std::uint64_t m = bits & ((std::uint64_t(1) << 52) - 1);
    int e = biased - 1075;
    if (biased == 0)
        e = -1074;
    else
        m |= std::uint64_t(1) << 52;
    if (e >= 0) {
        digits = bigDigits(m, 0, e);
        point = static_cast<int>(digits.size());
    } else {
        // m * 2^e = m * 5^-e / 10^-e
        digits = bigDigits(m, -e, 0);
        point = static_cast<int>(digits.size()) + e;
    }
    const auto nz = digits.find_first_not_of('0');
    point -= static_cast<int>(nz);
    digits.erase(0, nz);
}

// Adds one unit in the last place of a digit string; true when it carried out.
bool increment(std::string &d)
{
    for (auto i = d.size(); i-- > 0;) {
        if (d[i] != '9') {
            ++d[i];
            return false;
        }
        d[i] = '0';
    }
    d.insert(d.begin(), '1');
    return true;
}

std::string reference(double v, int precision, int decimals, char sep)
{
    if (std::isnan(v))
        return "NAN";
    if (std::isinf(v))
        return v < 0 ? "-INF" : "INF";
    const int cap = std::min(std::max(precision, 2), 18);
    std::string d;
    int point = 0;
    bool negative = std::signbit(v);
    if (v != 0) {
        exactDecimal(v, d, point);
        // 18 significant digits, ties to even on the exact remainder.
        if (d.size() > 18) {
            const std::string rest = d.substr(18);
            d.resize(18);
            const bool half = rest[0] == '5' && rest.find_first_not_of('0', 1) == std::string::npos;
            const bool up = rest[0] > '5' || (rest[0] == '5' && !half) || (half && (d.back() - '0') % 2 == 1);
            if (up && increment(d)) {
                d.pop_back();
                ++point;
            }
        }
        d.resize(18, '0');
        // Keep `keep` significant digits, half away from zero.
        const long keep = std::min<long>(long(point) + decimals, cap);
        if (keep < 0) {
            d.clear();
        } else if (keep < 18) {
            const bool up = d[static_cast<std::size_t>(keep)] >= '5';
            d.resize(static_cast<std::size_t>(keep));
            if (up) {
                if (d.empty()) {
                    d = "1";
                    ++point;
                } else if (increment(d)) {
                    d.pop_back();
                    ++point;
                }
            }
        }
        while (!d.empty() && d.back() == '0')
            d.pop_back();
    }
    if (d.empty()) {
        negative = false;
        point = 0;
    }
    std::string out = negative ? "-" : "";
    if (point > cap) {
        out += d.substr(0, 1);
        if (d.size() > 1)
            out += sep + d.substr(1);
        std::string exp = std::to_string(point - 1);
        if (decimals >= 1 && decimals <= 4 && exp.size() < std::size_t(decimals))
            exp.insert(0, std::size_t(decimals) - exp.size(), '0');
        return out + "E" + exp;
    }
    // Plain positional text, then cut or padded to the shown decimals.
    std::string intPart, fracPart;
    if (point <= 0) {
        intPart = "0";
        fracPart = std::string(static_cast<std::size_t>(-point), '0') + d;
    } else {
        std::string padded = d;
        if (padded.size() < std::size_t(point))
            padded.resize(std::size_t(point), '0');
        intPart = padded.substr(0, std::size_t(point));
        fracPart = padded.substr(std::size_t(point));
    }
    const int shown = std::min(decimals, 18);
    fracPart.resize(static_cast<std::size_t>(shown), '0');
    out += intPart;
    if (shown > 0)
        out += sep + fracPart;
    return out;
}

TEST(FormatFixedDifferential, AgreesWithExactExpansionOnRandomDoubles)
{
    std::mt19937_64 rng(0x5eed2026);
    std::uniform_int_distribution<int> precisionDist(-1, 20);
    std::uniform_int_distribution<int> decimalsDist(0, 22);
    std::uniform_int_distribution<int> decadeDist(-25, 25);
    // How often the reference took each form: a sample that never reaches a
    // form checks nothing about it.
    int scientific = 0, special = 0, comma = 0, roundedToZero = 0;
    for (int i = 0; i < 60000; ++i) {
        double v = 0;
        switch (i % 4) {
        case 0: // any bit pattern: every exponent, subnormals, specials
            v = std::bit_cast<double>(rng());
            break;
        case 1: // values of report magnitude
            v = std::ldexp(static_cast<double>(rng() >> 11), -53) * std::pow(10.0, decadeDist(rng));
            break;
        case 2: // short decimals: the near-ties that rounding gets wrong
            v = static_cast<double>(static_cast<std::int64_t>(rng() % 2000001) - 1000000) /
                std::pow(10.0, static_cast<int>(rng() % 8));
            break;
        default: // neighbours of round numbers
            v = std::nextafter(std::pow(10.0, decadeDist(rng)) * (1 + rng() % 9), (rng() % 2) ? 0.0 : 1e300);
            break;
        }
        const int p = precisionDist(rng);
        const int d = decimalsDist(rng);
        const char sep = (i % 7 == 0) ? ',' : '.';
        const std::string expected = reference(v, p, d, sep);
        ASSERT_EQ(FormatFixed(v, p, d, sep), expected)
            << "value " << std::hexfloat << v << " P=" << p << " D=" << d;
        scientific += expected.find('E') != std::string::npos;
        special += expected == "INF" || expected == "-INF" || expected == "NAN";
        comma += expected.find(',') != std::string::npos;
        roundedToZero += v != 0 && std::isfinite(v) && expected.find_first_of("123456789") == std::string::npos;
    }
    EXPECT_GE(scientific, 10000);
    EXPECT_GE(special, 1);
    EXPECT_GE(comma, 5000);
    EXPECT_GE(roundedToZero, 10000);
}

} // namespace
} // namespace sf
