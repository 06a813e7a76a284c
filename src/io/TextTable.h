#pragma once

// Tables of numbers as exporters write them: a spreadsheet's CSV or
// "Unicode text", a rheometer's or a data logger's export. Bytes are
// decoded to UTF-8, split into lines, the lines into cells, and cells read
// as numbers with either decimal mark, without the C locale.
//
//   TextDecoding text = decodeText(std::move(bytes));
//   TextLines lines(text.text);
//   while (lines.next()) {
//       const CellSeparator sep = separatorOf(lines.line()); // from the first line that counts
//       const Cells cells = splitCells(lines.line(), sep, 64);
//       const CellNumber n = readCellNumber(cells.cells[0], decimalMarkFor(sep));
//   }

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sf {

enum class TextEncoding { Utf8, Utf8WithBom, Utf16LittleEndian, Utf16BigEndian, Latin1 };

// "UTF-8", "UTF-8 with BOM", "UTF-16 LE", "UTF-16 BE", "Latin-1".
std::string_view textEncodingName(TextEncoding encoding);

struct TextDecoding {
    std::string text; // UTF-8, without a byte-order mark; empty after a problem
    TextEncoding encoding = TextEncoding::Utf8;
    // Empty, or why the bytes are no text, at `problemLine` (from 1).
    std::string problem;
    int problemLine = 0;

    bool ok() const { return problem.empty(); }
};

// `bytes` as UTF-8: a UTF-16 file (LE or BE) by its byte-order mark, a
// UTF-8 one with or without its mark, and any other file as Latin-1, the
// 8-bit text of western spreadsheets and instruments. A NUL byte in 8-bit
// text, or a cut or unpaired surrogate in UTF-16, is a problem: no text.
TextDecoding decodeText(std::string bytes);

// Lines ending at LF, CR LF or a lone CR (old Mac exports), numbered from 1.
// An empty text is one empty line.
class TextLines {
public:
    explicit TextLines(std::string_view text) : m_text(text) {}
    bool next();
    std::string_view line() const { return m_line; }
    int number() const { return m_number; }

private:
    std::string_view m_text;
    std::size_t m_at = 0;
    std::string_view m_line;
    int m_number = 0;
};

// What stands between cells. Blanks are runs of spaces and tabs, as
// fixed-width instrument exports align their columns.
enum class CellSeparator { Comma, Semicolon, Tab, Blanks };

// The separator of a table whose lines are like `line` (its header): a tab
// when the line has one, else ';', else ',', else blanks. A ';' or a tab
// comes first because exports that use them put decimal commas in numbers.
CellSeparator separatorOf(std::string_view line);

// "','", "';'", "a tab", "blanks", as a message names it.
std::string_view separatorName(CellSeparator separator);

// A cell without the blanks around it and, when it has them, its double
// quotes.
std::string_view cellText(std::string_view cell);

struct Cells {
    std::vector<std::string_view> cells; // cellText of the first `maxCells` cells
    std::size_t count = 0;               // how many the line has; more than cells.size() when cut
    bool restEmpty = true;               // whether the cells past `maxCells` are all empty
};

// The cells of `line`. A cell in double quotes may hold the separator. Only
// the first `maxCells` are kept, so a line of millions of separators costs
// no memory; `count` still counts them all.
Cells splitCells(std::string_view line, CellSeparator separator, std::size_t maxCells);
// The same into `out`, whose vector is reused: a reader of a million lines
// allocates once.
void splitCells(std::string_view line, CellSeparator separator, std::size_t maxCells, Cells &out);

// Which decimal marks a number may have: a point only where ',' separates
// cells, else either, one of them in a number.
enum class DecimalMark { Point, Comma, Either };
DecimalMark decimalMarkFor(CellSeparator separator);

enum class NumberFault {
    None,
    Missing,    // an empty cell
    NotNumber,  // anything but [sign] digits [mark digits] [e [sign] digits]
    NotFinite,  // nan, inf
    OutOfRange, // beyond a double
};

struct CellNumber {
    double value = 0;
    long double precise = 0; // the text's value in extended precision, for a conversion
    NumberFault fault = NumberFault::None;
    char mark = 0; // the decimal mark the number had: '.', ',' or 0 for none
};

// The number in `cell` (as cellText gives it): [sign] digits [mark digits]
// [e [sign] digits], with a digit at least before the exponent, "1." and
// ".5" too. No thousands separators, no blanks inside.
// `precise` is filled only when asked for: reading it costs more than the
// rest together.
enum class Precision { Double, Extended };
CellNumber readCellNumber(std::string_view cell, DecimalMark mark, Precision precision = Precision::Extended);

} // namespace sf
