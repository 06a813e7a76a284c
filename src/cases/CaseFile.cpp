#include "CaseFile.h"

#include "calc/NumberReaders.h"
#include "calc/QuotedText.h"

#include <toml++/toml.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sf {

namespace {

// Larger files are no case files; reading them whole would only cost memory.
constexpr long MaxCaseFileBytes = 1 << 20;
// A reader waits this long for a writer in place to finish.
constexpr int CaseLockSeconds = 10;

constexpr std::string_view ScreensKey = "screens";
constexpr std::string_view FitKey = "fit"; // [melt.fit]
constexpr std::string_view DefaultReportFile = "result.txt";

// "; did you mean flow_rate?", or the keys the section has.
std::string keyHint(std::string_view key, FieldGroup group)
{
    const std::string closest = closestKey(key);
    if (!closest.empty() && closest.starts_with(std::string(groupKey(group)) + "."))
        return "; did you mean " + closest.substr(groupKey(group).size() + 1) + "?";
    std::string keys;
    for (const InputField &f : InputFields)
        if (f.group == group && f.screen == 0)
            keys += (keys.empty() ? "" : ", ") + std::string(f.key);
    if (group == FieldGroup::Pack)
        keys += ", screens";
    return "; its keys are " + keys;
}

std::string place(const std::string &file, const toml::source_position &p)
{
    return file + ":" + std::to_string(p.line) + ":" + std::to_string(p.column) + ": ";
}

[[noreturn]] void fail(const std::string &file, const toml::source_region &at, const std::string &what)
{
    if (at.begin)
        throw CaseFileError(place(file, at.begin) + what);
    throw CaseFileError(file + ": " + what);
}

// The byte offset of a position; columns count code points.
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

// The text of a value or key as written in the file.
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
    if (std::isnan(v))
        return "nan";
    if (std::isinf(v))
        return v < 0 ? "-inf" : "inf";
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

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

enum class Expect { Decimal, WholeNumber, Text };

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

std::string typeWanted(Expect expect)
{
    switch (expect) {
    case Expect::WholeNumber:
        return "a whole number or a text";
    case Expect::Text:
        return "a text";
    default:
        return "a number or a text";
    }
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
        const auto c = static_cast<unsigned char>(content[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        bool whole = n > 1 && i + n <= content.size();
        char32_t cp = n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (std::size_t k = 1; whole && k < n; ++k) {
            const auto next = static_cast<unsigned char>(content[i + k]);
            whole = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values beyond U+10FFFF are no UTF-8.
        const char32_t least = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
        whole = whole && cp >= least && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
        if (whole) {
            out += "\xEE\x80\x80";
            i += n;
        } else {
            out += content[i++];
        }
    }
    return out;
}

// A case file's keys have two parts at most ("pack.count") and it nests two
// levels deep ("screens = [{ ... }]", "[[pack.screens]]"). The limits leave
// room for any hand-written file, and keep the reader far from the end of
// its stack: it spends a level of recursion on each part of a dotted key
// (some 31,000 parts overflow a stack of 8 MiB), and its own nesting
// limit is 256.
constexpr int MaxKeyParts = 8;
constexpr int MaxNesting = 16;

bool isBareKeyCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

// What the reader is not to see, named before it reads: a character beyond
// ASCII outside quotes and comments, where TOML allows none (the reader
// would only say that it did not expect U+E000); a dotted key of more than
// MaxKeyParts parts; more than MaxNesting levels of brackets and braces.
// Dots are counted along a run of bare words, quoted texts, blanks and
// dots: in a value such a run holds one dot at most (1.5), so a longer one
// is refused whether or not the reader would take it for a key.
class ReaderGuard {
public:
    ReaderGuard(std::string_view content, const std::string &file) : m_s(content), m_file(file) {}

    void run()
    {
        if (m_s.substr(0, 3) == "\xEF\xBB\xBF")
            m_i = 3; // a byte-order mark
        while (m_i < m_s.size()) {
            const char c = m_s[m_i];
            if (c == '"' || c == '\'') {
                string(c);
                continue; // a quoted part of a key
            }
            if (c == '.') {
                if (++m_dots >= MaxKeyParts)
                    refuse("more than " + std::to_string(MaxKeyParts) +
                           " dotted parts in a key: a case file's keys have 2 at most");
            } else if (!isBareKeyCharacter(c) && c != ' ' && c != '\t') {
                m_dots = 0;
            }
            if (c == '[' || c == '{') {
                if (++m_depth > MaxNesting)
                    refuse("more than " + std::to_string(MaxNesting) +
                           " levels of [ ] and { }: a case file nests 2 deep at most");
            } else if ((c == ']' || c == '}') && m_depth > 0) {
                --m_depth;
            }
            if (c == '#') {
                while (m_i < m_s.size() && m_s[m_i] != '\n')
                    advance();
            } else if (static_cast<unsigned char>(c) >= 0x80) {
                refuse("only ASCII may stand outside quotes and comments");
            } else {
                advance();
            }
        }
    }

private:
    [[noreturn]] void refuse(const std::string &why) const
    {
        throw CaseFileError(m_file + ":" + std::to_string(m_line) + ":" + std::to_string(m_column) + ": " + why);
    }

    bool at(std::string_view text) const { return m_s.substr(m_i, text.size()) == text; }

    // Columns count characters, as the reader's own messages do.
    void advance()
    {
        if (m_s[m_i] == '\n') {
            ++m_line;
            m_column = 1;
        } else if ((static_cast<unsigned char>(m_s[m_i]) & 0xC0) != 0x80) {
            ++m_column;
        }
        ++m_i;
    }

    void string(char quote)
    {
        const std::string triple(3, quote);
        const bool multiLine = at(triple);
        for (int k = 0; k < (multiLine ? 3 : 1); ++k)
            advance();
        while (m_i < m_s.size()) {
            const char c = m_s[m_i];
            if (!multiLine && c == '\n')
                return; // unterminated: the reader says so
            if (c == quote && (!multiLine || at(triple))) {
                // A closing triple may follow up to two quotes of the text.
                for (std::size_t quotes = 0; m_i < m_s.size() && m_s[m_i] == quote && quotes < (multiLine ? 5u : 1u);
                     ++quotes)
                    advance();
                return;
            }
            if (c == '\\' && quote == '"' && m_i + 1 < m_s.size() && m_s[m_i + 1] != '\n')
                advance(); // the escaped character is part of the text
            advance();
        }
    }

    std::string_view m_s;
    const std::string &m_file;
    std::size_t m_i = 0;
    std::size_t m_line = 1;
    std::size_t m_column = 1;
    int m_dots = 0;  // along the current run (see above)
    int m_depth = 0; // brackets and braces open here
};

class CaseReader {
public:
    CaseReader(std::string_view content, const std::string &file) : m_content(content), m_file(file) {}

    CaseContent read()
    {
        ReaderGuard(m_content, m_file).run();
        const std::string safe = readerSafeText(m_content);
        toml::table root;
        try {
            root = toml::parse(std::string_view(safe), std::string_view(m_file));
        } catch (const toml::parse_error &e) {
            fail(m_file, e.source(), unstoodIn(e.description(), e.source().begin));
        }
        m_texts[Field::SaveFileName] = std::string(DefaultReportFile);

        for (auto &&[key, node] : root) {
            const toml::table *section = node.as_table();
            if (!section)
                fail(m_file, key.source(),
                     shown(key, "'", "'") + " must be in a section: [process], [melt], [pack] or [report]");
            const auto group = groupNamed(key.str());
            if (!group)
                fail(m_file, key.source(), "unknown section " + shown(key, "[", "]"));
            readSection(*section, *group);
        }
        for (const InputField &f : InputFields) {
            if (f.screen != 0 || f.kind == FieldKind::SaveFileName || m_seen[fieldIndex(f.id)])
                continue;
            const std::string what = "missing key " + keyOfField(f.id);
            const toml::table *section = root[groupKey(f.group)].as_table();
            fail(m_file, section ? section->source() : toml::source_region{}, what);
        }
        return {m_texts, m_fit};
    }

private:
    // A key as the user wrote it, quoted (quotedText): the reader saw
    // stand-ins for characters beyond ASCII (readerSafeText).
    std::string shown(const toml::key &key, std::string_view open, std::string_view close) const
    {
        std::string_view name = key.str();
        if (name.find("\xEE\x80\x80") != std::string_view::npos)
            name = writtenText(m_content, key.source());
        return quotedText(name, open, close);
    }

    // The reader's message with the character at `at` for the stand-in it
    // quotes (readerSafeText).
    std::string unstoodIn(std::string_view message, const toml::source_position &at) const
    {
        std::string text(message);
        const std::size_t standIn = text.find("\xEE\x80\x80");
        if (standIn == std::string::npos || !at)
            return text;
        const std::size_t i = offsetOf(m_content, at);
        std::size_t n = 1;
        while (i + n < m_content.size() && (static_cast<unsigned char>(m_content[i + n]) & 0xC0) == 0x80)
            ++n;
        if (i < m_content.size() && static_cast<unsigned char>(m_content[i]) >= 0x80)
            text.replace(standIn, 3, m_content.substr(i, n));
        return text;
    }

    static std::optional<FieldGroup> groupNamed(std::string_view name)
    {
        for (FieldGroup g : {FieldGroup::Process, FieldGroup::Pack, FieldGroup::Melt, FieldGroup::Report})
            if (groupKey(g) == name)
                return g;
        return std::nullopt;
    }

    void readSection(const toml::table &section, FieldGroup group)
    {
        for (auto &&[key, node] : section) {
            if (group == FieldGroup::Pack && key.str() == ScreensKey) {
                readScreens(node);
                continue;
            }
            if (group == FieldGroup::Melt && key.str() == FitKey) {
                readMeltFit(node);
                continue;
            }
            const InputField *field = nullptr;
            for (const InputField &f : InputFields)
                if (f.group == group && f.screen == 0 && f.key == key.str())
                    field = &f;
            if (!field)
                fail(m_file, key.source(),
                     "unknown key " + shown(key, "'", "'") + " in [" + std::string(groupKey(group)) + "]" +
                         keyHint(key.str(), group));
            take(*field, node);
        }
    }

    void readScreens(const toml::node &node)
    {
        const toml::array *rows = node.as_array();
        if (!rows)
            fail(m_file, node.source(), "screens must be a list of { mesh = ..., wire = ... } rows");
        if (rows->size() > static_cast<std::size_t>(MaxScreens))
            fail(m_file, (*rows)[static_cast<std::size_t>(MaxScreens)].source(),
                 "at most " + std::to_string(MaxScreens) + " screens");
        for (std::size_t i = 0; i < rows->size(); ++i) {
            const int screen = static_cast<int>(i) + 1;
            const toml::table *row = (*rows)[i].as_table();
            if (!row)
                fail(m_file, (*rows)[i].source(), "screen " + std::to_string(screen) + " must be { mesh = ..., wire = ... }");
            for (auto &&[key, value] : *row) {
                Field field;
                if (key.str() == inputField(meshField(screen)).key)
                    field = meshField(screen);
                else if (key.str() == inputField(wireField(screen)).key)
                    field = wireField(screen);
                else
                    fail(m_file, key.source(),
                         "unknown key " + shown(key, "'", "'") + " in screen " + std::to_string(screen));
                take(inputField(field), value);
            }
        }
    }

    void readMeltFit(const toml::node &node)
    {
        const toml::table *table = node.as_table();
        if (!table)
            fail(m_file, node.source(), "melt.fit must be a table of the fitted points' range");
        MeltFitRange fit;
        struct Number {
            std::string_view key;
            double MeltFitRange::*value;
        };
        static constexpr Number Numbers[] = {
            {"temperature_min", &MeltFitRange::temperatureMin},
            {"temperature_max", &MeltFitRange::temperatureMax},
            {"shear_rate_min", &MeltFitRange::shearRateMin},
            {"shear_rate_max", &MeltFitRange::shearRateMax},
            {"rms_deviation_percent", &MeltFitRange::rmsDeviationPercent},
            {"max_deviation_percent", &MeltFitRange::maxDeviationPercent},
        };
        constexpr std::string_view PointsKey = "points", SourceKey = "source";
        std::size_t seen = 0;
        for (auto &&[key, value] : *table) {
            const std::string name = "melt.fit." + std::string(key.str());
            ++seen;
            if (key.str() == PointsKey) {
                const auto *i = value.as_integer();
                if (!i || i->get() < 1)
                    fail(m_file, value.source(), name + " must be a whole number above 0");
                fit.points = i->get();
            } else if (key.str() == SourceKey) {
                if (!value.is_string())
                    fail(m_file, value.source(), name + " must be a text");
                fit.source = decodeString(writtenText(m_content, value.source()));
            } else {
                const Number *number = nullptr;
                for (const Number &n : Numbers)
                    if (n.key == key.str())
                        number = &n;
                if (!number)
                    fail(m_file, key.source(), "unknown key " + shown(key, "'", "'") + " in [melt.fit]");
                std::optional<double> v;
                if (const auto *i = value.as_integer())
                    v = static_cast<double>(i->get());
                else if (const auto *f = value.as_floating_point(); f && std::isfinite(f->get()))
                    v = f->get();
                if (!v)
                    fail(m_file, value.source(), name + " must be a number");
                fit.*(number->value) = *v;
            }
        }
        if (seen < std::size(Numbers) + 2) {
            std::string missing;
            for (const Number &n : Numbers)
                if (!table->contains(n.key))
                    missing = n.key;
            for (std::string_view key : {PointsKey, SourceKey})
                if (!table->contains(key))
                    missing = key;
            fail(m_file, table->source(), "missing key melt.fit." + missing);
        }
        const char *wrong = !(fit.temperatureMin > -273.0)           ? "temperature_min must be above -273"
                            : !(fit.shearRateMin > 0)                 ? "shear_rate_min must be above 0"
                            : fit.temperatureMin > fit.temperatureMax ? "temperature_min is above temperature_max"
                            : fit.shearRateMin > fit.shearRateMax     ? "shear_rate_min is above shear_rate_max"
                            : fit.rmsDeviationPercent < 0 || fit.maxDeviationPercent < 0
                                ? "deviations cannot be below 0"
                                : nullptr;
        if (wrong)
            fail(m_file, table->source(), "melt.fit: " + std::string(wrong));
        m_fit = std::move(fit);
    }

    void take(const InputField &f, const toml::node &node)
    {
        const Expect expect = expectationOf(f);
        std::optional<std::string> text = fieldText(node, expect, m_content);
        if (!text)
            fail(m_file, node.source(), keyOfField(f.id) + " must be " + typeWanted(expect));
        m_texts[f.id] = std::move(*text);
        m_seen[fieldIndex(f.id)] = true;
    }

    std::string_view m_content;
    const std::string &m_file;
    FieldTexts m_texts;
    std::optional<MeltFitRange> m_fit;
    std::array<bool, FieldCount> m_seen{};
};

// What the reader gives back for `text` written bare as a value of field f;
// nullopt when it is no TOML value of a fitting type.
std::optional<std::string> bareReadBack(const InputField &f, const std::string &text)
{
    // Numbers are ASCII; anything else goes into quotes, and never to the
    // reader unguarded (readerSafeText).
    if (text.empty() || text.find_first_of("\"'#\n\r=[]{},") != std::string::npos ||
        std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return std::nullopt;
    const std::string doc = "v = " + text + "\n";
    try {
        const toml::table t = toml::parse(doc);
        const toml::node *node = t.get("v");
        if (!node || node->is_string())
            return std::nullopt;
        return fieldText(*node, expectationOf(f), doc);
    } catch (const toml::parse_error &) {
        return std::nullopt;
    }
}

// A TOML basic string: quotes, backslashes and control characters escaped.
std::string quoted(const std::string &text)
{
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04X", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

std::string valueText(const FieldTexts &texts, Field field)
{
    const InputField &f = inputField(field);
    const std::string &text = texts[field];
    if (bareReadBack(f, text) == text)
        return text;
    return quoted(text);
}

// The length of the well-formed UTF-8 character at s[i], or 0: no overlong
// forms, surrogates or values beyond U+10FFFF.
std::size_t utf8Length(std::string_view s, std::size_t i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n <= 1 || i + n > s.size())
        return n;
    char32_t cp = n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
    for (std::size_t k = 1; k < n; ++k) {
        const auto next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    const char32_t least = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
    return cp >= least && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF) ? n : 0;
}

// A text a case file can hold: bytes that are no UTF-8 (a file name in
// another code page) become U+FFFD.
std::string wellFormedUtf8(std::string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = utf8Length(s, i);
        if (n == 0 || i + n > s.size()) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out += s.substr(i, n);
            i += n;
        }
    }
    return out;
}

// "key = value" padded so that comments line up.
std::string entry(const std::string &assignment, const std::string &comment)
{
    std::string line = assignment;
    if (line.size() < 32)
        line.resize(32, ' ');
    else
        line += "  ";
    return line + "# " + comment + "\n";
}

} // namespace

FieldTexts parseCaseFile(std::string_view content, const std::string &fileName)
{
    return parseCase(content, fileName).texts;
}

FieldTexts readCaseFile(const std::string &path)
{
    return readCase(path).texts;
}

CaseContent parseCase(std::string_view content, const std::string &fileName)
{
    return CaseReader(content, fileName).read();
}

CaseContent readCase(const std::string &path)
{
    return parseCase(readCaseBytes(path), path);
}

std::string readCaseBytes(const std::string &path)
{
    FileStamp stamp;
    return readCaseBytes(path, stamp);
}

std::string readCaseBytes(const std::string &path, FileStamp &readAs)
{
    auto failed = [&path](int err) { return CaseFileError(path + ": cannot be read: " + std::strerror(err)); };
    // Without O_NONBLOCK, opening a named pipe waits until some other
    // program writes to it: the command line would hang and the window
    // would never paint again.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        throw failed(errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st;
    if (::fstat(fd, &st) != 0)
        throw failed(errno);
    if (S_ISDIR(st.st_mode))
        throw failed(EISDIR);
    // A pipe, a socket or a device may never end, or never answer.
    if (!S_ISREG(st.st_mode))
        throw CaseFileError(path + ": cannot be read: not a regular file");
    if (st.st_size > MaxCaseFileBytes)
        throw CaseFileError(path + ": too large for a case file");
    // Never half of what a writer in place of ours is writing.
    if (const int err = lockShared(fd, CaseLockSeconds); err != 0)
        throw CaseFileError(path + ": cannot be read: " +
                            (err == EWOULDBLOCK ? std::string("another program kept it locked for writing")
                                                : std::strerror(err)));
    if (::fstat(fd, &st) != 0)
        throw failed(errno);
    readAs = fileStamp(st);
    std::string content;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw failed(errno);
        if (n == 0)
            break;
        content.append(buf, static_cast<std::size_t>(n));
        // The file may have grown since fstat.
        if (content.size() > MaxCaseFileBytes)
            throw CaseFileError(path + ": too large for a case file");
    }
    return content;
}

std::string formatCaseFile(const FieldTexts &texts)
{
    return formatCaseFile(texts, std::nullopt);
}

std::string formatMeltSections(const FieldTexts &texts, const std::optional<MeltFitRange> &meltFit,
                               std::string_view viscosityNote)
{
    std::string out = "[" + std::string(groupKey(FieldGroup::Melt)) + "]\n"
                      "# η = η0 * (SR / SR0)^(n - 1), shifted to the melt temperature T by\n"
                      "# aT = exp(A / (T + 273.0) - B): η0 * aT and SR0 / aT.\n";
    for (const InputField &f : InputFields)
        if (f.group == FieldGroup::Melt)
            out += entry(std::string(f.key) + " = " + valueText(texts, f.id),
                         fieldLabel(f) + (f.id == Field::StandardViscosity ? std::string(viscosityNote) : ""));
    if (!meltFit)
        return out;
    const MeltFitRange &fit = *meltFit;
    out += "\n[" + std::string(groupKey(FieldGroup::Melt)) + "." + std::string(FitKey) + "]\n"
           "# The measured points the melt above was fitted to: the range it holds for.\n";
    out += entry("temperature_min = " + shortestText(fit.temperatureMin), "℃");
    out += entry("temperature_max = " + shortestText(fit.temperatureMax), "℃");
    out += entry("shear_rate_min = " + shortestText(fit.shearRateMin), "1/sec");
    out += entry("shear_rate_max = " + shortestText(fit.shearRateMax), "1/sec");
    out += "points = " + std::to_string(fit.points) + "\n";
    out += "source = " + quoted(wellFormedUtf8(fit.source)) + "\n";
    out += entry("rms_deviation_percent = " + shortestText(fit.rmsDeviationPercent), "% of viscosity, fitted against measured");
    out += entry("max_deviation_percent = " + shortestText(fit.maxDeviationPercent), "%, the largest");
    return out;
}

std::string replaceMeltSections(std::string_view content, const std::string &fileName, const FieldTexts &texts,
                                const MeltFitRange &meltFit, std::string_view viscosityNote)
{
    const CaseContent before = parseCase(content, fileName);
    // It read once, so it reads again; the positions are those of `content`.
    const std::string safe = readerSafeText(content);
    const toml::table root = toml::parse(std::string_view(safe), std::string_view(fileName));
    const toml::table &melt = *root[groupKey(FieldGroup::Melt)].as_table();

    auto isHeader = [&content](const toml::node &table, std::string_view name) {
        if (!table.source().begin)
            return false;
        std::string_view at = content.substr(offsetOf(content, table.source().begin));
        auto skip = [&at](std::string_view what) {
            while (!at.empty() && isBlank(at.front()))
                at.remove_prefix(1);
            if (at.substr(0, what.size()) != what)
                return false;
            at.remove_prefix(what.size());
            return true;
        };
        return skip("[") && skip(name) && skip("]");
    };
    if (!isHeader(melt, "melt"))
        throw CaseFileError(fileName + ": its melt is not written as a [melt] section, the only form that can be "
                                       "replaced");

    // Byte ranges [begin, end) of whole lines, without the last line break.
    struct Lines {
        std::size_t begin, end;
        std::string_view lineBreak;
    };
    auto lines = [&content](const toml::node &first, std::size_t lastEnd) {
        const std::size_t at = offsetOf(content, first.source().begin);
        const std::size_t newline = content.rfind('\n', at == 0 ? 0 : at - 1);
        Lines r{at == 0 || newline == std::string_view::npos ? 0 : newline + 1, content.size(), "\n"};
        if (const std::size_t end = content.find('\n', lastEnd == 0 ? 0 : lastEnd - 1); end != std::string_view::npos)
            r.end = end;
        if (r.end > r.begin && content[r.end - 1] == '\r')
            --r.end;
        // Its lines end as its first does.
        if (const std::size_t first = content.find('\n', r.begin); first != std::string_view::npos && first > 0 &&
                                                                    content[first - 1] == '\r')
            r.lineBreak = "\r\n";
        return r;
    };
    // The end of the last value in a table, its subtables' included.
    std::function<std::size_t(const toml::node &)> lastEnd = [&](const toml::node &node) {
        std::size_t end = node.source().end ? offsetOf(content, node.source().end) : 0;
        if (const toml::table *t = node.as_table())
            for (auto &&[key, value] : *t)
                end = std::max(end, lastEnd(value));
        return end;
    };

    const toml::node *fitNode = melt.get(FitKey);
    const bool fitApart = fitNode && fitNode->is_table() && isHeader(*fitNode, "melt.fit");
    std::size_t meltEnd = 0;
    for (auto &&[key, value] : melt)
        if (!(fitApart && key.str() == FitKey))
            meltEnd = std::max(meltEnd, lastEnd(value));
    const Lines meltLines = lines(melt, meltEnd);
    std::optional<Lines> fitLines;
    if (fitApart) {
        fitLines = lines(*fitNode, lastEnd(*fitNode));
        if (fitLines->begin < meltLines.end && meltLines.begin < fitLines->end)
            throw CaseFileError(fileName + ": its [melt] and [melt.fit] are entwined; write them one after the other");
    }

    auto withBreaks = [](std::string text, std::string_view lineBreak) {
        text.pop_back(); // the range ends before its last line break
        if (lineBreak == "\n")
            return text;
        std::string out;
        for (const char c : text)
            out += c == '\n' ? std::string(lineBreak) : std::string(1, c);
        return out;
    };
    std::string out(content);
    const std::optional<MeltFitRange> fitWithMelt = fitApart ? std::nullopt : std::optional(meltFit);
    // The later range first, so that the earlier one's offsets still hold.
    std::vector<std::pair<Lines, std::string>> edits{
        {meltLines, withBreaks(formatMeltSections(texts, fitWithMelt, viscosityNote), meltLines.lineBreak)}};
    if (fitLines) {
        std::string table = formatMeltSections(texts, meltFit, {});
        table = table.substr(table.find("\n[") + 1);
        edits.push_back({*fitLines, withBreaks(table, fitLines->lineBreak)});
    }
    std::sort(edits.begin(), edits.end(), [](const auto &a, const auto &b) { return a.first.begin > b.first.begin; });
    for (const auto &[range, text] : edits)
        out.replace(range.begin, range.end - range.begin, text);

    // What it now reads as must be the case with only its melt changed.
    CaseContent expected = before;
    for (const InputField &f : InputFields)
        if (f.group == FieldGroup::Melt)
            expected.texts[f.id] = texts[f.id];
    expected.meltFit = meltFit;
    expected.meltFit->source = wellFormedUtf8(meltFit.source);
    const CaseContent after = parseCase(out, fileName);
    if (after.texts != expected.texts || after.meltFit != expected.meltFit)
        throw CaseFileError(fileName + ": its melt could not be replaced without changing more");
    return out;
}

std::string formatCaseFile(const FieldTexts &texts, const std::optional<MeltFitRange> &meltFit)
{
    auto line = [&texts](Field field) {
        const InputField &f = inputField(field);
        return entry(std::string(f.key) + " = " + valueText(texts, field), fieldLabel(f));
    };

    std::string out =
        "# screenfilter case: the inputs of one run.\n"
        "# A value is a number or a text in quotes; a text is read as the window\n"
        "# reads that field, with \".\" as the decimal separator.\n";
    out += "\n[" + std::string(groupKey(FieldGroup::Process)) + "]\n";
    for (const InputField &f : InputFields)
        if (f.group == FieldGroup::Process)
            out += line(f.id);
    out += "\n" + formatMeltSections(texts, meltFit, {});

    out += "\n[" + std::string(groupKey(FieldGroup::Pack)) + "]\n";
    out += entry("count = " + valueText(texts, Field::ScreenCount), fieldLabel(inputField(Field::ScreenCount)) + ", 1 to 12");
    // Rows after the last one with any text are empty texts anyway.
    int rows = MaxScreens;
    while (rows > 0 && texts[meshField(rows)].empty() && texts[wireField(rows)].empty())
        --rows;
    const InputField &mesh = inputField(meshField(1));
    const InputField &wire = inputField(wireField(1));
    out += "# One row per screen, screen 1 first: " + std::string(mesh.key) + " (" + std::string(mesh.unit) + "), " +
           std::string(wire.key) + " diameter (" + std::string(wire.unit) + ")\n";
    std::size_t meshWidth = 0;
    for (int k = 1; k <= rows; ++k)
        meshWidth = std::max(meshWidth, valueText(texts, meshField(k)).size());
    out += std::string(ScreensKey) + " = [\n";
    for (int k = 1; k <= rows; ++k) {
        std::string meshText = valueText(texts, meshField(k)) + ",";
        meshText.resize(std::max(meshText.size(), meshWidth + 1), ' ');
        out += entry("    { " + std::string(mesh.key) + " = " + meshText + " " + std::string(wire.key) + " = " +
                         valueText(texts, wireField(k)) + " },",
                     screenRowCaption(k));
    }
    out += "]\n";

    out += "\n[" + std::string(groupKey(FieldGroup::Report)) + "]\n";
    out += entry("file = " + valueText(texts, Field::SaveFileName), "Save File Name, relative to this file's folder");
    return out;
}

} // namespace sf
