#include "TextTable.h"

#include "Utf8.h"

#include <algorithm>
#include <charconv>

namespace sf {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

void appendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The line of `text` at byte `at`, from 1, lines ending as TextLines ends them.
int lineAt(std::string_view text, std::size_t at)
{
    int line = 1;
    for (std::size_t i = 0; i < at; ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++line;
    return line;
}

TextDecoding fromUtf16(std::string_view bytes, bool bigEndian)
{
    TextDecoding d;
    d.encoding = bigEndian ? TextEncoding::Utf16BigEndian : TextEncoding::Utf16LittleEndian;
    auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    auto fail = [&d](const char *what) {
        d.problemLine = lineAt(d.text, d.text.size());
        d.problem = what;
        d.text.clear();
        return d;
    };
    d.text.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i < bytes.size(); i += 2) {
        if (i + 1 >= bytes.size())
            return fail("UTF-16 text cut within a character");
        char32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            const char32_t low = i + 3 < bytes.size() ? unit(i + 2) : 0;
            if (low < 0xDC00 || low > 0xDFFF)
                return fail("not UTF-16 text: a surrogate without its pair");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return fail("not UTF-16 text: a surrogate without its pair");
        } else if (cp == 0) {
            return fail("a NUL character: this is no text file");
        }
        appendUtf8(d.text, cp);
    }
    return d;
}

} // namespace

std::string_view textEncodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return "UTF-8";
    case TextEncoding::Utf8WithBom:
        return "UTF-8 with BOM";
    case TextEncoding::Utf16LittleEndian:
        return "UTF-16 LE";
    case TextEncoding::Utf16BigEndian:
        return "UTF-16 BE";
    case TextEncoding::Latin1:
        return "Latin-1";
    }
    return {};
}

TextDecoding decodeText(std::string bytes)
{
    const std::string_view b(bytes);
    if (b.substr(0, 2) == "\xFF\xFE")
        return fromUtf16(b, false);
    if (b.substr(0, 2) == "\xFE\xFF")
        return fromUtf16(b, true);
    TextDecoding d;
    if (const std::size_t nul = b.find('\0'); nul != std::string_view::npos) {
        d.problemLine = lineAt(b, nul);
        d.problem = "a NUL byte: this is no text file";
        return d;
    }
    const bool bom = b.substr(0, 3) == "\xEF\xBB\xBF";
    bool utf8 = true;
    for (std::size_t i = bom ? 3 : 0; i < b.size() && utf8;) {
        if (static_cast<unsigned char>(b[i]) < 0x80) { // most of any table
            ++i;
            continue;
        }
        const std::size_t n = utf8Length(b, i);
        utf8 = n > 0;
        i += n;
    }
    if (utf8) {
        d.encoding = bom ? TextEncoding::Utf8WithBom : TextEncoding::Utf8;
        if (bom)
            bytes.erase(0, 3);
        d.text = std::move(bytes);
        return d;
    }
    d.encoding = TextEncoding::Latin1;
    d.text.reserve(b.size() + b.size() / 8);
    for (const char c : b)
        appendUtf8(d.text, static_cast<unsigned char>(c));
    return d;
}

bool TextLines::next()
{
    if (m_at > m_text.size())
        return false;
    std::size_t end = m_at;
    while (end < m_text.size() && m_text[end] != '\n' && m_text[end] != '\r')
        ++end;
    m_line = m_text.substr(m_at, end - m_at);
    m_at = end + (end + 1 < m_text.size() && m_text[end] == '\r' && m_text[end + 1] == '\n' ? 2 : 1);
    ++m_number;
    return true;
}

CellSeparator separatorOf(std::string_view line)
{
    if (line.find('\t') != std::string_view::npos)
        return CellSeparator::Tab;
    if (line.find(';') != std::string_view::npos)
        return CellSeparator::Semicolon;
    if (line.find(',') != std::string_view::npos)
        return CellSeparator::Comma;
    return CellSeparator::Blanks;
}

std::string_view separatorName(CellSeparator separator)
{
    switch (separator) {
    case CellSeparator::Comma:
        return "','";
    case CellSeparator::Semicolon:
        return "';'";
    case CellSeparator::Tab:
        return "a tab";
    case CellSeparator::Blanks:
        return "blanks";
    }
    return {};
}

std::string_view cellText(std::string_view cell)
{
    cell = trimmed(cell);
    if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"')
        cell = trimmed(cell.substr(1, cell.size() - 2));
    return cell;
}

Cells splitCells(std::string_view line, CellSeparator separator, std::size_t maxCells)
{
    Cells out;
    splitCells(line, separator, maxCells, out);
    return out;
}

void splitCells(std::string_view line, CellSeparator separator, std::size_t maxCells, Cells &out)
{
    out.cells.clear();
    out.count = 0;
    out.restEmpty = true;
    const bool blanks = separator == CellSeparator::Blanks;
    const char sep = separator == CellSeparator::Comma ? ',' : separator == CellSeparator::Semicolon ? ';' : '\t';
    if (blanks)
        line = trimmed(line);
    std::size_t at = 0;
    for (;;) {
        // The cell's end: the next separator outside double quotes.
        std::size_t end = at;
        bool quoted = false;
        while (end < line.size() && (quoted || (blanks ? !isBlank(line[end]) : line[end] != sep))) {
            if (line[end] == '"')
                quoted = !quoted;
            ++end;
        }
        const std::string_view cell = cellText(line.substr(at, end - at));
        if (out.count++ < maxCells)
            out.cells.push_back(cell);
        else if (!cell.empty())
            out.restEmpty = false;
        if (end >= line.size())
            return;
        at = end + 1;
        if (blanks)
            while (at < line.size() && isBlank(line[at]))
                ++at;
    }
}

DecimalMark decimalMarkFor(CellSeparator separator)
{
    return separator == CellSeparator::Comma ? DecimalMark::Point : DecimalMark::Either;
}

CellNumber readCellNumber(std::string_view text, DecimalMark mark, Precision precision)
{
    if (text.empty())
        return {0, 0, NumberFault::Missing, 0};
    std::string_view body = text;
    const bool negative = body.front() == '-';
    if (body.front() == '+' || body.front() == '-')
        body.remove_prefix(1);
    if (!body.empty() && (body.front() == 'n' || body.front() == 'N' || body.front() == 'i' || body.front() == 'I')) {
        std::string lower(body.substr(0, 9));
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        if (lower == "nan" || lower == "inf" || lower == "infinity" || lower.rfind("nan(", 0) == 0)
            return {0, 0, NumberFault::NotFinite, 0};
    }

    // The number as from_chars reads it: '.' for the decimal mark.
    std::string plain = negative ? "-" : "";
    std::size_t i = 0, digits = 0;
    auto takeDigits = [&] {
        std::size_t n = 0;
        while (i < body.size() && body[i] >= '0' && body[i] <= '9') {
            plain += body[i++];
            ++n;
        }
        return n;
    };
    digits += takeDigits();
    char used = 0;
    if (i < body.size() && ((body[i] == '.' && mark != DecimalMark::Comma) ||
                            (body[i] == ',' && mark != DecimalMark::Point))) {
        used = body[i++];
        plain += '.';
        digits += takeDigits();
    }
    if (digits == 0)
        return {0, 0, NumberFault::NotNumber, 0};
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < body.size() && (body[i] == '+' || body[i] == '-'))
            plain += body[i++];
        if (takeDigits() == 0)
            return {0, 0, NumberFault::NotNumber, 0};
    }
    if (i != body.size())
        return {0, 0, NumberFault::NotNumber, 0};

    CellNumber n;
    n.mark = used;
    const auto r = std::from_chars(plain.data(), plain.data() + plain.size(), n.value);
    if (r.ec == std::errc::result_out_of_range)
        return {0, 0, NumberFault::OutOfRange, 0};
    if (r.ec != std::errc() || r.ptr != plain.data() + plain.size())
        return {0, 0, NumberFault::NotNumber, 0};
    if (precision == Precision::Extended)
        std::from_chars(plain.data(), plain.data() + plain.size(), n.precise);
    else
        n.precise = n.value;
    return n;
}

} // namespace sf
