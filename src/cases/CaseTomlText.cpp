#include "CaseFileParts.h"

#include "calc/NumberReaders.h"
#include "io/NumberText.h"
#include "io/Utf8.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <exception>

namespace sf::casefile {

namespace {

bool sameDouble(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// A number for a decimal field: as written when the window's reader reads
// that text to this very value, so a hand-written 0.02540 stays 0.02540.
std::string decimalText(double value, std::string_view written)
{
    if (!written.empty() && std::isfinite(value)) {
        try {
            if (sameDouble(readDecimal(written, '.'), value))
                return std::string(written);
        } catch (const std::exception &) {
        }
    }
    return shortestText(value);
}

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

std::size_t offsetOf(std::string_view content, const toml::source_position &p)
{
    std::size_t i = 0;
    for (toml::source_index line = 1; line < p.line && i < content.size(); ++i)
        if (content[i] == '\n')
            ++line;
    for (toml::source_index column = 1; column < p.column && i < content.size(); ++column) {
        ++i;
        while (i < content.size() && (static_cast<unsigned char>(content[i]) & 0xC0) == 0x80)
            ++i;
    }
    return i;
}

std::string_view writtenText(std::string_view content, const toml::source_region &r)
{
    if (!r.begin || !r.end)
        return {};
    const std::size_t begin = offsetOf(content, r.begin);
    const std::size_t end = offsetOf(content, r.end);
    return end > begin ? content.substr(begin, end - begin) : std::string_view();
}

std::string shortestText(double v)
{
    // Every NaN the same, whatever its sign bit.
    return std::isnan(v) ? "nan" : shortest(v);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The text of a TOML string as written, which the reader has already found
// well-formed: quotes removed, the first line break of a multi-line text
// dropped, escapes and line-ending backslashes undone. Taken from the file
// itself rather than from the reader, which only ever sees the file with
// the characters beyond ASCII stood in for (readerSafeText).
std::string decodeString(std::string_view token)
{
    const bool multiLine = token.size() >= 6 && (token.substr(0, 3) == "\"\"\"" || token.substr(0, 3) == "'''");
    const std::size_t quote = multiLine ? 3 : 1;
    if (token.size() < 2 * quote)
        return {};
    std::string_view body = token.substr(quote, token.size() - 2 * quote);
    if (multiLine) {
        if (body.substr(0, 1) == "\n")
            body.remove_prefix(1);
        else if (body.substr(0, 2) == "\r\n")
            body.remove_prefix(2);
    }
    if (token[0] == '\'')
        return std::string(body);

    std::string out;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\\' || i + 1 >= body.size()) {
            out += body[i];
            continue;
        }
        const char e = body[++i];
        switch (e) {
        case 'b': out += '\b'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'f': out += '\f'; break;
        case 'r': out += '\r'; break;
        case 'e': out += '\x1B'; break;
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case 'u':
        case 'U': {
            const std::size_t digits = e == 'u' ? 4 : 8;
            char32_t c = 0;
            for (std::size_t k = 0; k < digits && i + 1 < body.size(); ++k) {
                const char h = body[++i];
                c = c * 16 + static_cast<char32_t>(h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
            }
            appendUtf8(out, c);
            break;
        }
        default:
            // A line-ending backslash: the blanks and line breaks after it go.
            while (i < body.size() && (isBlank(body[i]) || body[i] == '\r' || body[i] == '\n'))
                ++i;
            --i;
        }
    }
    return out;
}

Expect expectationOf(const InputField &f)
{
    switch (f.kind) {
    case FieldKind::ScreenCount:
        return Expect::WholeNumber;
    case FieldKind::SaveFileName:
        return Expect::Text;
    default:
        return Expect::Decimal;
    }
}

// The field text a value gives, or nullopt when its type does not fit.
std::optional<std::string> fieldText(const toml::node &node, Expect expect, std::string_view content)
{
    if (node.is_string())
        return decodeString(writtenText(content, node.source()));
    if (expect == Expect::Text)
        return std::nullopt;
    if (const auto *i = node.as_integer()) {
        if (expect == Expect::WholeNumber)
            return std::to_string(i->get());
        return decimalText(static_cast<double>(i->get()), writtenText(content, node.source()));
    }
    if (const auto *f = node.as_floating_point(); f && expect == Expect::Decimal)
        return decimalText(f->get(), writtenText(content, node.source()));
    return std::nullopt;
}


// The TOML reader of Debian 12 (toml++ 3.3) reaches undefined behaviour
// when it asks whether some characters beyond ASCII are blanks (Latin,
// Greek and Cyrillic letters among them), and it asks that of characters it
// looks ahead at, inside texts too. So it only ever reads the file with
// each such character stood in for by U+E000, which it takes for no blank:
// lines and columns stay the same, and texts are taken from the file itself
// (decodeString). A leading byte-order mark and bytes that are no UTF-8 stay
// as they are, for the reader to handle and to refuse.
std::string readerSafeText(std::string_view content)
{
    std::string out;
    out.reserve(content.size());
    std::size_t i = 0;
    if (content.substr(0, 3) == "\xEF\xBB\xBF") {
        out.append(content.substr(0, 3));
        i = 3;
    }
    while (i < content.size()) {
        const std::size_t n = utf8Length(content, i);
        if (n > 1) {
            out += "\xEE\x80\x80";
            i += n;
        } else {
            out += content[i++];
        }
    }
    return out;
}


// A text a case file can hold: bytes that are no UTF-8 (a file name in
// another code page) become U+FFFD.
std::string wellFormedUtf8(std::string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = utf8Length(s, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out += s.substr(i, n);
            i += n;
        }
    }
    return out;
}


} // namespace sf::casefile
