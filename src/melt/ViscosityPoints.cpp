#include "ViscosityPoints.h"

#include "io/RegularFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace sf {

namespace {

// Larger files hold far more than MaxViscosityPoints lines of numbers.
constexpr std::size_t MaxFileBytes = 64u << 20;

// A file of thousands of bad lines says the same thing thousands of times.
constexpr std::size_t MaxProblems = 20;

enum Column { Temperature, ShearRate, Viscosity, ColumnCount };
constexpr std::array<std::string_view, ColumnCount> ColumnNames = {"temperature", "shear_rate", "viscosity"};

struct UnitName {
    std::string_view name;
    ViscosityUnit unit;
};
constexpr UnitName UnitNames[] = {
    {"Pa.s", ViscosityUnit::PascalSecond},
    {"mPa.s", ViscosityUnit::MilliPascalSecond},
    {"P", ViscosityUnit::Poise},
    {"gf.s/cm2", ViscosityUnit::GramForceSecondPerSquareCentimetre},
};

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

// A field without its blanks and, when it has them, its double quotes.
std::string_view fieldText(std::string_view s)
{
    s = trimmed(s);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        s = trimmed(s.substr(1, s.size() - 2));
    return s;
}

// A line's fields one at a time: held all at once, a 64 MiB line of
// separators would take a gigabyte of views.
class Fields {
public:
    Fields(std::string_view line, char delimiter) : m_rest(line), m_delimiter(delimiter) {}

    // The next field into `field`; false after the last.
    bool next(std::string_view &field)
    {
        if (m_done)
            return false;
        const std::size_t at = m_rest.find(m_delimiter);
        field = m_rest.substr(0, at);
        m_done = at == std::string_view::npos;
        m_rest.remove_prefix(m_done ? m_rest.size() : at + 1);
        return true;
    }

private:
    std::string_view m_rest;
    char m_delimiter;
    bool m_done = false;
};

// Whether `test` holds for every field of the line, read up to the first it
// does not hold for.
template <class Test>
bool everyField(std::string_view line, char delimiter, Test test)
{
    Fields fields(line, delimiter);
    for (std::string_view f; fields.next(f);)
        if (!test(f))
            return false;
    return true;
}

// Well-formed UTF-8 without NUL: no overlong forms, surrogates or values
// beyond U+10FFFF.
bool isUtf8Text(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == 0)
            return false;
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (std::size_t k = 1; k < n; ++k) {
            const auto next = static_cast<unsigned char>(s[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        const char32_t least = n == 1 ? 0 : n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
        if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n;
    }
    return true;
}

// A text as a message quotes it: at most 40 bytes, cut at a character.
std::string quoted(std::string_view text)
{
    if (text.size() <= 40)
        return "'" + std::string(text) + "'";
    std::size_t end = 37;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return "'" + std::string(text.substr(0, end)) + "...'";
}

std::string lowerAscii(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// "Pa·s" and "Pa s" as "Pa.s", "cm²" as "cm2": the ways one unit is written.
std::string unitSpelling(std::string_view unit)
{
    std::string out;
    for (std::size_t i = 0; i < unit.size(); ++i) {
        if (unit.substr(i, 2) == "\xC2\xB7") { // ·
            out += '.';
            ++i;
        } else if (unit.substr(i, 2) == "\xC2\xB2") { // ²
            out += '2';
            ++i;
        } else if (isBlank(unit[i])) {
            out += '.';
        } else {
            out += unit[i];
        }
    }
    return out;
}

enum class NumberFault { None, Missing, NotNumber, NotFinite, OutOfRange };

struct Number {
    double value = 0;
    NumberFault fault = NumberFault::None;
};

// [sign] digits [separator digits] [e [sign] digits], one digit at least
// before the exponent; the separator is `separator` and no other.
Number readNumber(std::string_view text, char separator)
{
    if (text.empty())
        return {0, NumberFault::Missing};
    std::string_view body = text;
    const bool negative = body.front() == '-';
    if (body.front() == '+' || body.front() == '-')
        body.remove_prefix(1);
    const std::string lower = lowerAscii(body);
    if (lower == "nan" || lower == "inf" || lower == "infinity" || lower.rfind("nan(", 0) == 0)
        return {0, NumberFault::NotFinite};

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
    if (i < body.size() && body[i] == separator) {
        plain += '.';
        ++i;
        digits += takeDigits();
    }
    if (digits == 0)
        return {0, NumberFault::NotNumber};
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < body.size() && (body[i] == '+' || body[i] == '-'))
            plain += body[i++];
        if (takeDigits() == 0)
            return {0, NumberFault::NotNumber};
    }
    if (i != body.size())
        return {0, NumberFault::NotNumber};

    Number n;
    const auto r = std::from_chars(plain.data(), plain.data() + plain.size(), n.value);
    if (r.ec == std::errc::result_out_of_range)
        return {0, NumberFault::OutOfRange};
    if (r.ec != std::errc() || r.ptr != plain.data() + plain.size())
        return {0, NumberFault::NotNumber};
    return n;
}

// A header field: its column and the unit it gives, if any.
struct HeaderField {
    std::optional<Column> column;
    std::string unit;
};

HeaderField headerField(std::string_view text)
{
    text = fieldText(text);
    HeaderField f;
    if (!text.empty() && (text.back() == ')' || text.back() == ']')) {
        const char open = text.back() == ')' ? '(' : '[';
        if (const std::size_t at = text.rfind(open); at != std::string_view::npos) {
            f.unit = std::string(trimmed(text.substr(at + 1, text.size() - at - 2)));
            text = trimmed(text.substr(0, at));
        }
    }
    std::string name = lowerAscii(text);
    std::replace_if(name.begin(), name.end(), [](char c) { return isBlank(c) || c == '-'; }, '_');
    for (std::size_t c = 0; c < ColumnCount; ++c)
        if (name == ColumnNames[c])
            f.column = static_cast<Column>(c);
    return f;
}

// Where each column stands in a line, and the viscosity unit it gives.
struct Header {
    std::array<std::size_t, ColumnCount> index{};
    std::size_t fields = 0;
    std::optional<ViscosityUnit> unit;
};

class PointsReader {
public:
    PointsReader(std::string_view content, const std::string &file, std::optional<ViscosityUnit> unit)
        : m_content(content), m_file(file), m_asked(unit)
    {
    }

    ViscosityPoints read()
    {
        if (m_content.substr(0, 3) == "\xEF\xBB\xBF") // a byte-order mark, as spreadsheets write it
            m_content.remove_prefix(3);
        int number = 0;
        std::size_t at = 0;
        // A line ends at LF, CR LF or a lone CR, as old Mac exports end them.
        while (at <= m_content.size() && !m_full) {
            const std::size_t end = std::min(m_content.find_first_of("\r\n", at), m_content.size());
            const std::string_view line = m_content.substr(at, end - at);
            at = end + (m_content.substr(end, 2) == "\r\n" ? 2 : 1);
            ++number;
            readLine(line, number);
        }
        if (m_problems.empty()) {
            if (!m_header)
                problem(0, "no header and no points: the first line that is no comment names the columns, "
                           "as in temperature,shear_rate,viscosity");
            else if (m_result.points.empty())
                problem(0, "no points after the header");
            else if (m_result.points.size() == 1)
                problem(0, "one point only; a fit takes two at least");
        }
        if (!m_problems.empty()) {
            if (m_unlisted > 0)
                m_problems.push_back(m_file + ": and " + std::to_string(m_unlisted) + " more bad lines");
            throw PointsFileError(std::move(m_problems));
        }
        m_result.unit = m_asked.value_or(m_fileUnit.value_or(ViscosityUnit::PascalSecond));
        return std::move(m_result);
    }

private:
    void problem(int line, const std::string &what)
    {
        if (m_problems.size() >= MaxProblems) {
            ++m_unlisted;
            return;
        }
        m_problems.push_back(m_file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + what);
    }

    void readLine(std::string_view line, int number)
    {
        if (!isUtf8Text(line)) {
            problem(number, line.find('\0') != std::string_view::npos ? "a NUL byte: this is no text file"
                                                                        : "not UTF-8 text; save the file as UTF-8");
            return;
        }
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        if (trimmed(line).empty())
            return;
        if (!m_header) {
            m_delimiter = line.find(';') != std::string_view::npos ? ';' : ',';
            m_separator = m_delimiter == ';' ? ',' : '.';
            if (std::optional<Header> h = header(line, number)) {
                checkUnit(*h, number);
                m_header = h;
            } else {
                m_header = Header{}; // the header's fault is told; its lines would only add noise
                m_full = true;
            }
            return;
        }
        const bool allNumbers = everyField(line, m_delimiter, [this](std::string_view f) {
            const NumberFault fault = readNumber(fieldText(f), m_separator).fault;
            return fault == NumberFault::None || fault == NumberFault::Missing;
        });
        if (!allNumbers && namesEveryColumn(line)) {
            // The header again, as where two exports are put one after the other.
            if (std::optional<Header> h = header(line, number)) {
                checkUnit(*h, number);
                m_header = h;
            }
            return;
        }
        point(line, number);
    }

    bool namesEveryColumn(std::string_view line) const
    {
        std::array<bool, ColumnCount> seen{};
        Fields fields(line, m_delimiter);
        for (std::string_view f; fields.next(f);)
            if (const std::optional<Column> c = headerField(f).column)
                seen[*c] = true;
        return std::all_of(seen.begin(), seen.end(), [](bool s) { return s; });
    }

    // The header in `line`, or nullopt after saying why.
    std::optional<Header> header(std::string_view line, int number)
    {
        Header h;
        std::array<bool, ColumnCount> seen{};
        Fields fields(line, m_delimiter);
        for (std::string_view field; fields.next(field); ++h.fields) {
            const std::size_t i = h.fields;
            const HeaderField f = headerField(field);
            if (!f.column)
                continue;
            const Column c = *f.column;
            if (seen[c]) {
                problem(number, "two " + std::string(ColumnNames[c]) + " columns");
                return std::nullopt;
            }
            seen[c] = true;
            h.index[c] = i;
            if (!f.unit.empty() && !unitFits(c, f.unit, h, number))
                return std::nullopt;
        }
        if (std::all_of(seen.begin(), seen.end(), [](bool s) { return s; }))
            return h;
        const bool numbers = everyField(line, m_delimiter, [this](std::string_view f) {
            return readNumber(fieldText(f), m_separator).fault == NumberFault::None;
        });
        if (numbers) {
            problem(number, "no header: the first line that is no comment names the columns, "
                            "as in temperature,shear_rate,viscosity");
        } else {
            std::string missing;
            for (std::size_t c = 0; c < ColumnCount; ++c)
                if (!seen[c])
                    missing += (missing.empty() ? "" : " and ") + std::string(ColumnNames[c]);
            problem(number, "the header names no " + missing + " column; it needs temperature, shear_rate and viscosity");
        }
        return std::nullopt;
    }

    bool unitFits(Column c, const std::string &unit, Header &h, int number)
    {
        const std::string spelled = unitSpelling(unit);
        if (c == Viscosity) {
            h.unit = viscosityUnitNamed(spelled);
            if (!h.unit)
                problem(number, "viscosity in " + quoted(unit) + ": the units known are Pa.s, mPa.s, P and gf.s/cm2");
            return h.unit.has_value();
        }
        static constexpr std::string_view Celsius[] = {"\xC2\xB0" "C", "\xE2\x84\x83", "C", "degC", "deg.C"};
        static constexpr std::string_view PerSecond[] = {"1/s", "1/sec", "s^-1", "s-1", "s\xE2\x81\xBB\xC2\xB9"};
        const auto known = [&spelled](const auto &names) {
            return std::find(std::begin(names), std::end(names), spelled) != std::end(names);
        };
        if (c == Temperature ? known(Celsius) : known(PerSecond))
            return true;
        problem(number, std::string(ColumnNames[c]) + " in " + quoted(unit) + ": give it in " +
                                (c == Temperature ? "\xC2\xB0" "C" : "1/s"));
        return false;
    }

    // One unit for every viscosity of the file. Without a unit asked for, a
    // header that names none means Pa.s, so it cannot stand beside one that
    // names a unit: the points under one of them would be read in the wrong one.
    void checkUnit(const Header &h, int number)
    {
        if (m_asked) {
            if (h.unit && *h.unit != *m_asked)
                problem(number, "mixed units: the header gives viscosity in " +
                                    std::string(viscosityUnitName(*h.unit)) + ", not in " +
                                    std::string(viscosityUnitName(*m_asked)) + " as asked");
            return;
        }
        if (m_fileUnitLine == 0) {
            m_fileUnit = h.unit;
            m_fileUnitLine = number;
            return;
        }
        if (h.unit == m_fileUnit)
            return;
        const auto named = [](const std::optional<ViscosityUnit> &unit) {
            return unit ? "in " + std::string(viscosityUnitName(*unit)) : std::string("in no unit named (so Pa.s)");
        };
        problem(number, "mixed units: viscosity " + named(h.unit) + " here, " + named(m_fileUnit) +
                            " by the header of line " + std::to_string(m_fileUnitLine));
    }

    void point(std::string_view line, int number)
    {
        const Header &h = *m_header;
        std::array<std::string_view, ColumnCount> texts{}; // empty where the line ends before the column
        std::size_t count = 0;
        bool beyondHeader = false; // a value past the header's columns
        Fields fields(line, m_delimiter);
        for (std::string_view f; fields.next(f); ++count) {
            for (std::size_t c = 0; c < ColumnCount; ++c)
                if (h.index[c] == count)
                    texts[c] = fieldText(f);
            beyondHeader = beyondHeader || (count >= h.fields && !fieldText(f).empty());
        }
        if (beyondHeader) {
            std::string what = std::to_string(count) + " values where the header names " +
                               std::to_string(h.fields) + " columns";
            if (m_delimiter == ',')
                what += " (for decimal commas, put ';' between the values)";
            problem(number, what);
            return;
        }
        std::array<double, ColumnCount> v{};
        for (std::size_t c = 0; c < ColumnCount; ++c) {
            const std::string name(ColumnNames[c]);
            const std::string_view text = texts[c];
            const Number n = readNumber(text, m_separator);
            switch (n.fault) {
            case NumberFault::None:
                break;
            case NumberFault::Missing:
                problem(number, "no " + name + " value (a missing column)");
                return;
            case NumberFault::NotNumber:
                problem(number, name + " " + quoted(text) + " is not a number" +
                                    (m_separator == ',' && text.find('.') != std::string_view::npos
                                         ? " (with ';' between values the decimal separator is ',')"
                                         : ""));
                return;
            case NumberFault::NotFinite:
                problem(number, name + " " + quoted(text) + " is not a finite number");
                return;
            case NumberFault::OutOfRange:
                problem(number, name + " " + quoted(text) + " is out of range");
                return;
            }
            v[c] = n.value;
            if (c == Temperature && !(n.value > -273.0)) {
                problem(number, "temperature " + std::string(text) + " \xC2\xB0" "C is at or below -273 \xC2\xB0" "C");
                return;
            }
            if (c != Temperature && !(n.value > 0)) {
                problem(number, name + " " + std::string(text) + " is not above zero");
                return;
            }
        }
        if (m_result.points.size() == MaxViscosityPoints) {
            problem(number, "more than " + std::to_string(MaxViscosityPoints) +
                                " points; fit a sample of them");
            m_full = true;
            return;
        }
        m_result.points.push_back({v[Temperature], v[ShearRate], v[Viscosity], number});
    }

    std::string_view m_content;
    const std::string &m_file;
    std::optional<ViscosityUnit> m_asked;
    std::optional<ViscosityUnit> m_fileUnit; // the first header's, when no unit is asked for
    int m_fileUnitLine = 0;                  // that header's line, 0 before it
    std::optional<Header> m_header;
    char m_delimiter = ',';
    char m_separator = '.';
    bool m_full = false;
    ViscosityPoints m_result;
    std::vector<std::string> m_problems;
    std::size_t m_unlisted = 0;
};

std::string joined(const std::vector<std::string> &lines)
{
    std::string out;
    for (const std::string &line : lines)
        out += (out.empty() ? "" : "\n") + line;
    return out;
}

} // namespace

PointsFileError::PointsFileError(std::vector<std::string> problems)
    : std::runtime_error(joined(problems)), m_problems(std::move(problems))
{
}

std::string_view viscosityUnitName(ViscosityUnit unit)
{
    for (const UnitName &u : UnitNames)
        if (u.unit == unit)
            return u.name;
    return {};
}

std::optional<ViscosityUnit> viscosityUnitNamed(std::string_view name)
{
    const std::string spelled = unitSpelling(name);
    for (const UnitName &u : UnitNames)
        if (u.name == spelled)
            return u.unit;
    return std::nullopt;
}

long double pascalSecondsPer(ViscosityUnit unit)
{
    switch (unit) {
    case ViscosityUnit::PascalSecond:
        return 1.0L;
    case ViscosityUnit::MilliPascalSecond:
        return 0.001L;
    case ViscosityUnit::Poise:
        return 0.1L;
    case ViscosityUnit::GramForceSecondPerSquareCentimetre:
        return 98.0665L;
    }
    return 1.0L;
}

ViscosityPoints parseViscosityPoints(std::string_view content, const std::string &fileName,
                                     std::optional<ViscosityUnit> unit)
{
    return PointsReader(content, fileName, unit).read();
}

ViscosityPoints readViscosityPoints(const std::string &path, std::optional<ViscosityUnit> unit)
{
    auto failed = [&path](const std::string &what) { return PointsFileError({path + ": " + what}); };
    const RegularFileRead r = readRegularFile(path, MaxFileBytes);
    switch (r.problem) {
    case RegularFileRead::Problem::None:
        break;
    case RegularFileRead::Problem::System:
        throw failed(std::strerror(r.err));
    case RegularFileRead::Problem::Directory:
        throw failed("a directory, not a points file");
    case RegularFileRead::Problem::NotRegular:
        throw failed("not a regular file (a FIFO, a device or a socket)");
    case RegularFileRead::Problem::TooLarge:
        throw failed("larger than " + std::to_string(MaxFileBytes >> 20) + " MiB; no points file is");
    }
    return parseViscosityPoints(r.bytes, path, unit);
}

} // namespace sf
