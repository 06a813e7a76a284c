#include "calc/Errors.h"
#include "calc/NumberReaders.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

namespace sf {
namespace {

const std::string NotADecimal = " は浮動小数点数ではありません";
const std::string NotAWholeNumber = " は整数ではありません";

struct DecimalCase {
    const char *text;
    char separator;
    double expected;
};

TEST(DecimalReader, ReadsTheGrammar)
{
    const DecimalCase cases[] = {
        {"57", '.', 57},
        {"57.", '.', 57},
        {".5", '.', 0.5},
        {"-0.5", '.', -0.5},
        {"+2.0", '.', 2.0},
        {"  2.0  ", '.', 2.0},
        {"1e3", '.', 1000},
        {"1E-3", '.', 0.001},
        {"2.54E+0", '.', 2.54},
        {"1E", '.', 1},
        {"1e+", '.', 1},
        {".", '.', 0},
        {"-.", '.', -0.0},
        {" +. ", '.', 0},
        {"0.02946", '.', 0.02946},
        {"15180.0", '.', 15180.0},
        {"57,0", ',', 57},
        {"0,02946", ',', 0.02946},
        {",5e1", ',', 5},
        {"1E499", '.', INFINITY}, // taken whole; the value overflows (below)
        {"0.1", '.', 0.1},
        {"1E-400", '.', 0},
        {"-1E-400", '.', -0.0},
        {"4.9406564584124654E-324", '.', 4.9406564584124654E-324},
        {"1.7976931348623157E308", '.', DBL_MAX},
        {"000000000000000000000000000000123.4500000000000000000000000", '.', 123.45},
        {"0.000000000000000000000000000000000000001234e+39", '.', 1.234},
    };
    for (const DecimalCase &c : cases) {
        SCOPED_TRACE(c.text);
        if (std::isinf(c.expected)) {
            EXPECT_THROW(readDecimal(c.text, c.separator), OverflowError);
            continue;
        }
        const double v = readDecimal(c.text, c.separator);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(v), std::bit_cast<std::uint64_t>(c.expected)) << v;
    }
}

TEST(DecimalReader, RejectsWhatBreaksTheGrammarWithTheWholeText)
{
    const struct {
        const char *text;
        char separator;
    } cases[] = {
        {"", '.'},        {"   ", '.'},      {"+", '.'},     {"-", '.'},      {"1 000", '.'},
        {"0x10", '.'},    {"1.5.2", '.'},    {"1E5000", '.'}, {"1e3x", '.'},  {"1\t", '.'},
        {"\t1", '.'},     {"1,5", '.'},      {"57.0", ','},  {"E5", '.'},     {"+-1", '.'},
        {"1e--1", '.'},   {"1e 1", '.'},     {"abc", '.'},   {"1E4999", '.'}, {"1e50000", '.'},
        {"1\xa0", '.'},   {"٣", '.'},        {"1E5e", '.'},   {"1..", '.'},   {"inf", '.'},
        {"nan", '.'},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        try {
            readDecimal(c.text, c.separator);
            ADD_FAILURE() << "read";
        } catch (const ConvertError &e) {
            EXPECT_EQ(e.what(), "'" + std::string(c.text) + "'" + NotADecimal);
        }
    }
}

TEST(DecimalReader, ClassifiesValuesBeyondTheRanges)
{
    // Beyond the double range but within the extended range: overflow when stored.
    for (const char *text : {"1E400", "1E500", "-1e309", "1.7976931348623159E308", "1E4931"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(readDecimal(text, '.'), OverflowError);
    }
    // Values whose magnitude reaches the extended range fail to read.
    for (const char *text : {"1.2E4932", "1E4933", "-1E4933", "12E4931", "100000000000000000000E4915"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(readDecimal(text, '.'), ConvertError);
    }
    // Just below the extended range's end it is only a double overflow.
    EXPECT_THROW(readDecimal("1.1897314953572317650E4932", '.'), OverflowError);
    // Values below the double range quietly become subnormals or zero.
    EXPECT_EQ(readDecimal("1E-4999", '.'), 0.0);
    EXPECT_EQ(readDecimal("3E-324", '.'), 4.9406564584124654E-324);
    EXPECT_EQ(readDecimal("2E-324", '.'), 0.0);
}

TEST(DecimalReader, NegativeExponentsTakeDigitsUntilTheyReach500)
{
    const std::string million = "1" + std::string(600, '0'); // 1E600 written out
    const struct {
        std::string text;
        bool reads;
        double expected;
    } rows[] = {
        {"1E-49", true, 1E-49},
        {"1E-0308", true, 1E-308},
        {"1E-0000000499", true, 0},   // leading zeros keep the exponent below 500
        {"1E-499", true, 0},          // within the extended range, below the double's
        {"1E-500", true, 0},          // the digit that reaches 500 is still taken
        {"1E-4990", true, 0},         // 499, then 4990: taken, and the last
        {"1E-4999", true, 0},
        {"1E-5000", false, 0},        // 500, then one digit too many
        {"1E-5001", false, 0},
        {"1E-49999", false, 0},
        {"-1E-5000", false, 0},
        {"123456789E-300", true, 1.23456789E-292},
        {"0.00025E-320", true, 4.9406564584124654E-324}, // rounds up to the least subnormal
        {"0.0001E-320", true, 0},                        // rounds down to zero
        {million + "E-550", true, 1E50},                  // exponent 550 taken whole, then scaled
        {million + "E-5500", false, 0},
        {"-" + million + "E-599", true, -10},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text.substr(0, 30));
        if (!row.reads) {
            EXPECT_THROW(readDecimal(row.text, '.'), ConvertError);
            continue;
        }
        const double v = readDecimal(row.text, '.');
        EXPECT_EQ(std::bit_cast<std::uint64_t>(v), std::bit_cast<std::uint64_t>(row.expected)) << v;
    }
}

// An independent check of the rounding: glibc's strtod in the C locale is a
// separate exact conversion. Random texts of the grammar must agree bit for bit.
TEST(DecimalReader, RoundsLikeAnExactConversion)
{
    std::setlocale(LC_NUMERIC, "C");
    std::mt19937_64 rng(20261207);
    auto digits = [&](int maxLen) {
        std::string s;
        const int len = static_cast<int>(rng() % static_cast<unsigned>(maxLen + 1));
        for (int i = 0; i < len; ++i)
            s += static_cast<char>('0' + rng() % 10);
        return s;
    };
    for (int i = 0; i < 20000; ++i) {
        std::string text = (rng() % 3 == 0) ? "-" : "";
        std::string intPart = digits(i % 7 == 0 ? 40 : 12);
        std::string fracPart = digits(i % 5 == 0 ? 40 : 8);
        if (intPart.empty() && fracPart.empty())
            intPart = "7";
        text += intPart + "." + fracPart;
        if (rng() % 2)
            text += "e" + std::to_string(static_cast<int>(rng() % 700) - 350);
        const double expected = std::strtod(text.c_str(), nullptr);
        if (std::isinf(expected))
            continue;
        SCOPED_TRACE(text);
        const double v = readDecimal(text, '.');
        ASSERT_EQ(std::bit_cast<std::uint64_t>(v), std::bit_cast<std::uint64_t>(expected));
    }
}

TEST(WholeNumberReader, ReadsDecimalAndHexadecimal)
{
    const struct {
        const char *text;
        std::int32_t expected;
    } cases[] = {
        {"12", 12},
        {" 12", 12},
        {"+12", 12},
        {"012", 12},
        {"$C", 12},
        {"0xc", 12},
        {"0XC", 12},
        {"xC", 12},
        {"Xc", 12},
        {"-12", -12},
        {"-$C", -12},
        {"0", 0},
        {"-0", 0},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"$7FFFFFFF", 2147483647},
        {"$80000000", INT32_MIN},
        {"$FFFFFFFF", -1},
        {"-$FFFFFFFF", 1},
        {"$000000000FFFFFFFF", -1},
        {"00000000002147483647", 2147483647},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(readWholeNumber(c.text), c.expected);
    }
}

TEST(WholeNumberReader, RejectsEverythingElseWithTheWholeText)
{
    for (const char *text : {"", " ", "12 ", "12.0", "1e1", "abc", "2147483648", "-2147483649", "+2147483648",
                             "$100000000", "$", "0x", "x", "$G", "--1", "+-1", "1-", "\t12", "$ C",
                             "99999999999999999999999"}) {
        SCOPED_TRACE(text);
        try {
            readWholeNumber(text);
            ADD_FAILURE() << "read";
        } catch (const ConvertError &e) {
            EXPECT_EQ(e.what(), "'" + std::string(text) + "'" + NotAWholeNumber);
        }
    }
}

// A message quotes a text of up to 64 characters whole; a longer one by its
// first 64 characters, "…" and its length, so that a text of 900 KB gives a
// message of a line or two.
TEST(DecimalReader, QuotesLongTextsByTheirStart)
{
    const std::string a64(64, 'a');
    std::string e64;
    for (int i = 0; i < 64; ++i)
        e64 += "é";
    const std::pair<std::string, std::string> rows[] = {
        {a64, "'" + a64 + "'"},
        {a64 + "b", "'" + a64 + "…' (65 characters)"},
        {e64 + "éé", "'" + e64 + "…' (66 characters)"}, // never cut inside a character
    };
    for (const auto &[text, quoted] : rows) {
        try {
            readDecimal(text, '.');
            ADD_FAILURE() << "read";
        } catch (const ConvertError &e) {
            EXPECT_EQ(e.what(), quoted + NotADecimal);
        }
    }
}

} // namespace
} // namespace sf
