#include "NumberReaders.h"

#include "Errors.h"
#include "QuotedText.h"

#include <charconv>
#include <cmath>
#include <string>

namespace sf {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string quoted(std::string_view text)
{
    return quotedText(text, "'", "'");
}

[[noreturn]] void notADecimal(std::string_view text)
{
    throw ConvertError(quoted(text) + " は浮動小数点数ではありません");
}

[[noreturn]] void notAWholeNumber(std::string_view text)
{
    throw ConvertError(quoted(text) + " は整数ではありません");
}

// Leading blanks (spaces only) and one optional sign; true for "-".
bool skipBlanksAndSign(std::string_view text, std::size_t &i)
{
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        return text[i++] == '-';
    return false;
}

// The exponent letter takes digits while its value is below 500: the digit
// that brings it to 500 or more is the last one it takes.
constexpr int ExponentLimit = 500;

// Decimal exponents (value = 0.d1d2... * 10^order) outside which the result
// is certainly beyond, or certainly below, the extended range. Between them
// the exact conversion decides. The extended range ends near 1.19e4932 and
// its subnormals near 3.6e-4951.
constexpr long long OrderCertainlyTooLarge = 4934;
constexpr long long OrderCertainlyZero = -4960;
// Below this order the value cannot reach the extended range's end, so the
// (slower) extended conversion is skipped.
constexpr long long OrderNeedsExtendedCheck = 4930;

} // namespace

double readDecimal(std::string_view text, char separator)
{
    const std::size_t n = text.size();
    std::size_t i = 0;
    const bool negative = skipBlanksAndSign(text, i);

    // Significant digits, leading zeros dropped; `scale` counts the fraction
    // digits, which lower the decimal exponent.
    std::string digits;
    long long scale = 0;
    std::size_t mantissaChars = 0;
    while (i < n && isDigit(text[i])) {
        if (!digits.empty() || text[i] != '0')
            digits += text[i];
        ++i;
        ++mantissaChars;
    }
    if (i < n && text[i] == separator) {
        ++i;
        ++mantissaChars;
        while (i < n && isDigit(text[i])) {
            if (!digits.empty() || text[i] != '0')
                digits += text[i];
            ++scale;
            ++i;
            ++mantissaChars;
        }
    }
    if (mantissaChars == 0)
        notADecimal(text);

    long long exponent = 0;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            negativeExponent = text[i] == '-';
            ++i;
        }
        while (i < n && isDigit(text[i])) {
            if (exponent >= ExponentLimit)
                notADecimal(text);
            exponent = exponent * 10 + (text[i] - '0');
            ++i;
        }
        if (negativeExponent)
            exponent = -exponent;
    }

    while (i < n && text[i] == ' ')
        ++i;
    if (i != n)
        notADecimal(text);

    const double signedZero = negative ? -0.0 : 0.0;
    if (digits.empty())
        return signedZero;

    // value = 0.<digits> * 10^order
    const long long decimalExponent = exponent - scale;
    const long long order = static_cast<long long>(digits.size()) + decimalExponent;
    if (order >= OrderCertainlyTooLarge)
        notADecimal(text);
    if (order <= OrderCertainlyZero)
        return signedZero;

    std::string normal = std::move(digits);
    normal += 'e';
    normal += std::to_string(decimalExponent);
    const char *first = normal.data();
    const char *last = first + normal.size();

    if (order >= OrderNeedsExtendedCheck) {
        long double extended = 0;
        const auto r = std::from_chars(first, last, extended);
        if (r.ec == std::errc::result_out_of_range)
            notADecimal(text);
    }

    double value = 0;
    const auto r = std::from_chars(first, last, value);
    if (r.ec == std::errc::result_out_of_range) {
        if (order > 0)
            throw OverflowError();
        return signedZero; // below the double range
    }
    return negative ? -value : value;
}

std::int32_t readWholeNumber(std::string_view text)
{
    const std::size_t n = text.size();
    std::size_t i = 0;
    const bool negative = skipBlanksAndSign(text, i);

    std::size_t hexStart = 0;
    if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X'))
        hexStart = i + 1;
    else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'))
        hexStart = i + 2;

    if (hexStart != 0) {
        i = hexStart;
        if (i == n)
            notAWholeNumber(text);
        std::uint32_t pattern = 0;
        int significant = 0;
        for (; i < n; ++i) {
            const int v = hexValue(text[i]);
            if (v < 0)
                notAWholeNumber(text);
            if (significant > 0 || v != 0)
                ++significant;
            if (significant > 8)
                notAWholeNumber(text);
            pattern = (pattern << 4) | static_cast<std::uint32_t>(v);
        }
        if (negative)
            pattern = 0u - pattern; // modulo 2^32
        return static_cast<std::int32_t>(pattern);
    }

    if (i == n)
        notAWholeNumber(text);
    const std::uint64_t limit = negative ? 2147483648ull : 2147483647ull;
    std::uint64_t value = 0;
    for (; i < n; ++i) {
        if (!isDigit(text[i]))
            notAWholeNumber(text);
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (value > limit)
            notAWholeNumber(text);
    }
    return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(value))
                    : static_cast<std::int32_t>(value);
}

} // namespace sf
