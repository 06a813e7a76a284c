#include "io/TextTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sf {
namespace {

using namespace std::string_literals;

TEST(TextTable, DecodesWhatExportersWrite)
{
    const struct {
        const char *name;
        std::string bytes;
        TextEncoding encoding;
        std::string text; // or the problem
        int problemLine;
    } rows[] = {
        {"UTF-8", "T\xC2\xB0" "C\n", TextEncoding::Utf8, "T\xC2\xB0" "C\n", 0},
        {"UTF-8 with BOM", "\xEF\xBB\xBFViskosit\xC3\xA4t", TextEncoding::Utf8WithBom, "Viskosit\xC3\xA4t", 0},
        {"UTF-16 LE with BOM, a pair beyond U+FFFF", "\xFF\xFE" "T\0\xB0\0\t\0\x3D\xD8\x00\xDE\r\0\n\0"s,
         TextEncoding::Utf16LittleEndian, "T\xC2\xB0\t\xF0\x9F\x98\x80\r\n", 0},
        {"UTF-16 BE with BOM, CJK", "\xFE\xFF\x6E\x29\x5E\xA6"s, TextEncoding::Utf16BigEndian, "\xE6\xB8\xA9\xE5\xBA\xA6",
         0},
        {"Latin-1 when not UTF-8", "Temperatur (\xB0" "C);Viskosit\xE4t\n", TextEncoding::Latin1,
         "Temperatur (\xC2\xB0" "C);Viskosit\xC3\xA4t\n", 0},
        {"empty", "", TextEncoding::Utf8, "", 0},
        {"NUL byte on line 3", "a\r\nb\rc\0"s, TextEncoding::Utf8, "a NUL byte: this is no text file", 3},
        {"UTF-16 cut short", "\xFF\xFE" "a\0\n\0b"s, TextEncoding::Utf16LittleEndian,
         "UTF-16 text cut within a character", 2},
        {"UTF-16 lone low surrogate", "\xFF\xFE" "a\0\x00\xDC"s, TextEncoding::Utf16LittleEndian,
         "not UTF-16 text: a surrogate without its pair", 1},
        {"UTF-16 high surrogate at the end", "\xFE\xFF\xD8\x3D"s, TextEncoding::Utf16BigEndian,
         "not UTF-16 text: a surrogate without its pair", 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const TextDecoding d = decodeText(row.bytes);
        EXPECT_EQ(d.encoding, row.encoding);
        EXPECT_EQ(d.problemLine, row.problemLine);
        EXPECT_EQ(row.problemLine == 0 ? d.text : d.problem, row.text);
    }
}

TEST(TextTable, LinesEndAtLfCrLfOrALoneCr)
{
    TextLines lines("a\r\nb\rc\n\nd");
    std::vector<std::string> got;
    while (lines.next())
        got.push_back(std::to_string(lines.number()) + ":" + std::string(lines.line()));
    EXPECT_EQ(got, (std::vector<std::string>{"1:a", "2:b", "3:c", "4:", "5:d"}));
}

TEST(TextTable, SplitsCellsBySeparator)
{
    const struct {
        const char *name;
        std::string line;
        CellSeparator separator;
        std::size_t maxCells;
        std::vector<std::string> cells;
        std::size_t count;
        bool restEmpty = true;
    } rows[] = {
        {"commas", " a , \"b, c\" ,,d", CellSeparator::Comma, 9, {"a", "b, c", "", "d"}, 4},
        {"semicolons, decimal commas", "250,5;10;\"1,5\"", CellSeparator::Semicolon, 9, {"250,5", "10", "1,5"}, 3},
        {"tabs keep spaces inside", "Shear Rate [1/s]\t\tx ", CellSeparator::Tab, 9, {"Shear Rate [1/s]", "", "x"}, 3},
        {"runs of blanks", "  250    10   1.5  ", CellSeparator::Blanks, 9, {"250", "10", "1.5"}, 3},
        {"cut at maxCells, counted to the end", "1,2,,\"\",,,,", CellSeparator::Comma, 2, {"1", "2"}, 8},
        {"a value past maxCells", "1;2;;;;x;", CellSeparator::Semicolon, 3, {"1", "2", ""}, 7, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(separatorOf(row.line), row.separator);
        const Cells c = splitCells(row.line, row.separator, row.maxCells);
        EXPECT_EQ(std::vector<std::string>(c.cells.begin(), c.cells.end()), row.cells);
        EXPECT_EQ(c.count, row.count);
        EXPECT_EQ(c.restEmpty, row.restEmpty);
    }
}

TEST(TextTable, ReadsNumbersWithEitherDecimalMark)
{
    const struct {
        std::string text;
        DecimalMark mark;
        NumberFault fault;
        double value;
        char used;
    } rows[] = {
        {"1234.5", DecimalMark::Point, NumberFault::None, 1234.5, '.'},
        {"-0,5e3", DecimalMark::Either, NumberFault::None, -500, ','},
        {"+7.", DecimalMark::Either, NumberFault::None, 7, '.'},
        {",25", DecimalMark::Comma, NumberFault::None, 0.25, ','},
        {"1E-2", DecimalMark::Point, NumberFault::None, 0.01, 0},
        {"1,5", DecimalMark::Point, NumberFault::NotNumber, 0, 0},
        {"1.5", DecimalMark::Comma, NumberFault::NotNumber, 0, 0},
        {"1.234,5", DecimalMark::Either, NumberFault::NotNumber, 0, 0},
        {"1 000", DecimalMark::Either, NumberFault::NotNumber, 0, 0},
        {"e5", DecimalMark::Either, NumberFault::NotNumber, 0, 0},
        {"1e", DecimalMark::Either, NumberFault::NotNumber, 0, 0},
        {"", DecimalMark::Either, NumberFault::Missing, 0, 0},
        {"-Inf", DecimalMark::Either, NumberFault::NotFinite, 0, 0},
        {"nan(0x1)", DecimalMark::Either, NumberFault::NotFinite, 0, 0},
        {"1e999", DecimalMark::Either, NumberFault::OutOfRange, 0, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        const CellNumber n = readCellNumber(row.text, row.mark);
        EXPECT_EQ(n.fault, row.fault);
        EXPECT_EQ(n.value, row.value);
        EXPECT_EQ(n.mark, row.used);
    }
    // Extended precision for conversions: 523.15 K is 250 °C to the last bit of a double.
    EXPECT_EQ(readCellNumber("523,15", DecimalMark::Either).precise, 523.15L);
    EXPECT_EQ(static_cast<double>(readCellNumber("523.15", DecimalMark::Point).precise - 273.15L), 250.0);
}

} // namespace
} // namespace sf
