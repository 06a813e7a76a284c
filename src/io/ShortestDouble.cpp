#include "io/ShortestDouble.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace sf {

namespace {

// The shortest decimal d x 10^k inside a double's rounding interval,
// closest to it, after Giulietti's Schubfach ("The Schubfach way to render
// doubles", 2020): the interval's ends and the value are scaled by 10^-k in
// 128-bit fixed point and rounded to odd, which decides every comparison
// exactly. Only the powers 10^0 to 10^55 are used, which 128 bits hold
// exactly (5^55 < 2^128), so the table is built at compile time; they cover
// every double from about 6e-39 up to 2^53, the range of a table's numbers.
// Others go to std::to_chars.

__extension__ typedef unsigned __int128 Uint128;

constexpr int MaxPower = 55;

// floor(log2(10^e)) for 0 <= e <= 1650, floor(log10(2^e)) and
// floor(log10(3/4 x 2^e)) for |e| <= 1650: fixed-point approximations of the
// logarithms that are exact over those ranges.
constexpr int floorLog2Pow10(int e) { return (e * 1741647) >> 19; }
constexpr int floorLog10Pow2(int e) { return (e * 1262611) >> 22; }
constexpr int floorLog10ThreeQuartersPow2(int e) { return (e * 1262611 - 524031) >> 22; }

// 10^e x 2^(127 - floor(log2(10^e))): 10^e with its top bit at bit 127.
constexpr std::array<Uint128, MaxPower + 1> powersOfTen()
{
    std::array<Uint128, MaxPower + 1> table{};
    Uint128 five = 1;
    for (int e = 0; e <= MaxPower; ++e) {
        table[static_cast<std::size_t>(e)] = five << (e + 127 - floorLog2Pow10(e));
        five *= 5;
    }
    return table;
}
constexpr std::array<Uint128, MaxPower + 1> PowersOfTen = powersOfTen();

// (g x cp) / 2^128 rounded to odd: its floor, with the lowest bit set when
// anything was cut off. With g exact, so is the result.
inline std::uint64_t roundToOdd(Uint128 g, std::uint64_t cp)
{
    const Uint128 low = static_cast<std::uint64_t>(g) * static_cast<Uint128>(cp);
    const Uint128 high = static_cast<std::uint64_t>(g >> 64) * static_cast<Uint128>(cp) + (low >> 64);
    const bool cut = static_cast<std::uint64_t>(high) != 0 || static_cast<std::uint64_t>(low) != 0;
    return static_cast<std::uint64_t>(high >> 64) | (cut ? 1 : 0);
}

struct Decimal {
    std::uint64_t digits;
    int exponent;
};

// The shortest decimal of a positive double with biased exponent 1 to 1075
// (normal, below 2^53); false where the table does not reach.
bool shortestDecimal(unsigned biased, std::uint64_t fraction, Decimal &out)
{
    constexpr std::uint64_t HiddenBit = std::uint64_t(1) << 52;
    const std::uint64_t c = HiddenBit | fraction;
    const int q = static_cast<int>(biased) - 1075; // v = c x 2^q, q <= 0
    // Whole numbers are their own shortest form, but for trailing zeros.
    if (-q < 53 && (c & ((std::uint64_t(1) << -q) - 1)) == 0) {
        out = {c >> -q, 0};
        return true;
    }
    const bool even = (c & 1) == 0;
    // At a power of two the next double down is half as far as the next up.
    const bool lowerCloser = fraction == 0 && biased > 1;
    const int k = lowerCloser ? floorLog10ThreeQuartersPow2(q) : floorLog10Pow2(q);
    if (-k < 0 || -k > MaxPower)
        return false;
    const int h = q + floorLog2Pow10(-k) + 1; // 1 to 4
    const Uint128 g = PowersOfTen[static_cast<std::size_t>(-k)];
    const std::uint64_t vbl = roundToOdd(g, (4 * c - 2 + (lowerCloser ? 1 : 0)) << h);
    const std::uint64_t vb = roundToOdd(g, (4 * c) << h);
    const std::uint64_t vbr = roundToOdd(g, (4 * c + 2) << h);
    // An even significand's interval holds its ends (round half to even).
    const std::uint64_t lower = vbl + (even ? 0 : 1);
    const std::uint64_t upper = vbr - (even ? 0 : 1);

    const std::uint64_t s = vb / 4;
    if (s >= 10) {
        // One digit fewer, if exactly one of its two neighbours is inside.
        const std::uint64_t sp = s / 10;
        const bool upInside = lower <= 40 * sp;
        const bool wpInside = 40 * sp + 40 <= upper;
        if (upInside != wpInside) {
            out = {sp + (wpInside ? 1 : 0), k + 1};
            return true;
        }
    }
    const bool uInside = lower <= 4 * s;
    const bool wInside = 4 * s + 4 <= upper;
    if (uInside != wInside) {
        out = {s + (wInside ? 1 : 0), k};
        return true;
    }
    // Both inside: the closer, ties to even.
    const std::uint64_t mid = 4 * s + 2;
    const bool up = vb > mid || (vb == mid && (s & 1) != 0);
    out = {s + (up ? 1 : 0), k};
    return true;
}

constexpr char DigitPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                              "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                              "8081828384858687888990919293949596979899";

// Exactly eight digits of x < 10^8, in two independent halves.
inline void writeEightDigits(char *out, std::uint32_t x)
{
    const std::uint32_t high = x / 10000, low = x % 10000;
    std::memcpy(out, DigitPairs + 2 * (high / 100), 2);
    std::memcpy(out + 2, DigitPairs + 2 * (high % 100), 2);
    std::memcpy(out + 4, DigitPairs + 2 * (low / 100), 2);
    std::memcpy(out + 6, DigitPairs + 2 * (low % 100), 2);
}

} // namespace

char *writeShortest(char *out, double v)
{
    const auto bits = std::bit_cast<std::uint64_t>(v);
    const auto biased = static_cast<unsigned>((bits >> 52) & 0x7FF);
    Decimal d{};
    // Zero, subnormals, 2^53 and above (whose fixed form std::to_chars
    // writes as the exact whole number), infinities and NaN.
    if (biased == 0 || biased > 1075 || !shortestDecimal(biased, bits & ((std::uint64_t(1) << 52) - 1), d))
        return std::to_chars(out, out + ShortestDoubleChars, v).ptr;
    if (bits >> 63)
        *out++ = '-';
    // The digits of d < 10^18 as eighteen, leading and trailing zeros then
    // left out. Zeros follow them, so that every copy below can be of a
    // fixed size, which needs no call.
    char digits[48];
    std::memcpy(digits, DigitPairs + 2 * (d.digits / 10'000'000'000'000'000), 2);
    writeEightDigits(digits + 2, static_cast<std::uint32_t>(d.digits / 100'000'000 % 100'000'000));
    writeEightDigits(digits + 10, static_cast<std::uint32_t>(d.digits % 100'000'000));
    std::memset(digits + 18, '0', 30);
    const char *first = digits;
    while (*first == '0')
        ++first;
    const char *end = digits + 18;
    int k = d.exponent; // of the last digit
    while (end[-1] == '0') {
        --end;
        ++k;
    }
    const int n = static_cast<int>(end - first);
    const int scientificExponent = k + n - 1;
    const int absExponent = scientificExponent < 0 ? -scientificExponent : scientificExponent;
    const int scientificLength = n + (n > 1 ? 1 : 0) + 2 + (absExponent >= 100 ? 3 : 2);
    const int fixedLength = k >= 0 ? n + k : n + k > 0 ? n + 1 : 2 - k;

    // The shorter form, the fixed one when both are as long. Either has at
    // most 18 digits and, in the fixed one, 6 zeros before or after them.
    constexpr std::size_t Copy = 24;
    if (fixedLength <= scientificLength) {
        if (k >= 0) { // the zeros after `end`
            std::memcpy(out, first, Copy);
            return out + n + k;
        }
        if (n + k > 0) {
            const int whole = n + k;
            std::memcpy(out, first, Copy);
            std::memcpy(out + whole + 1, first + whole, Copy);
            out[whole] = '.';
            return out + n + 1;
        }
        std::memcpy(out, "0.000000", 8);
        std::memcpy(out + 2 - k - n, first, Copy);
        return out + 2 - k;
    }
    out[0] = first[0];
    if (n > 1) {
        out[1] = '.';
        std::memcpy(out + 2, first + 1, Copy);
        out += n + 1;
    } else {
        out += 1;
    }
    *out++ = 'e';
    *out++ = scientificExponent < 0 ? '-' : '+';
    if (absExponent >= 100) {
        *out++ = static_cast<char>('0' + absExponent / 100);
        std::memcpy(out, DigitPairs + 2 * (absExponent % 100), 2);
    } else {
        std::memcpy(out, DigitPairs + 2 * absExponent, 2);
    }
    return out + 2;
}

} // namespace sf
