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

// More columns than any export has: a line of something else, whose cells
// are not kept.
constexpr std::size_t MaxColumns = 1000;

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

// `text` cut to at most `width` bytes at a character, "..." marking the cut.
std::string cut(std::string_view text, std::size_t width)
{
    if (text.size() <= width)
        return std::string(text);
    std::size_t end = width - 3;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end)) + "...";
}

// A text as a message quotes it: at most 40 bytes.
std::string quoted(std::string_view text)
{
    return "'" + cut(text, 40) + "'";
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

// A line without its comment, from '#' on.
std::string_view uncommented(std::string_view line)
{
    return line.substr(0, line.find('#'));
}

constexpr std::string_view ColumnsHelp = "--columns temperature=N,shear_rate=N,viscosity=N (column numbers from 1 "
                                         "or the header's names)";

// Where each column stands in a line, and the units the header gives.
struct Header {
    std::array<std::size_t, MeltColumnCount> index{};
    std::size_t fields = 0; // the cells of the header's line; 0 for a file without one
    std::optional<ViscosityUnit> unit;
    TemperatureUnit temperature = TemperatureUnit::Celsius;
};

class PointsReader {
public:
    PointsReader(std::string_view content, const std::string &file, const PointsReadOptions &options)
        : m_content(content), m_file(file), m_asked(options.unit), m_map(options.columns)
    {
    }

    ViscosityPoints read()
    {
        TextDecoding text = decodeText(std::string(m_content));
        if (!text.ok()) {
            problem(text.problemLine, text.problem);
            throw PointsFileError(std::move(m_problems));
        }
        TextLines lines(text.text);
        while (!m_full && lines.next())
            readLine(lines.line(), lines.number());
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
            throw PointsFileError(std::move(m_problems), m_columnsUnknown);
        }
        m_result.unit = m_asked.value_or(m_fileUnit.value_or(ViscosityUnit::PascalSecond));
        m_result.temperatureUnit = m_header->temperature;
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

    Cells cells(std::string_view line, std::size_t keep) const { return splitCells(line, m_separator, keep); }

    void readLine(std::string_view line, int number)
    {
        line = uncommented(line);
        if (trimmed(line).empty())
            return;
        if (!m_header) {
            m_separator = separatorOf(line);
            m_mark = decimalMarkFor(m_separator);
            std::optional<Header> h = m_map ? mappedHeader(line, number) : header(line, number);
            if (!h) {
                m_header = Header{}; // the header's fault is told; its lines would only add noise
                m_full = true;
                return;
            }
            checkUnit(*h, number);
            m_header = h;
            if (h->fields == 0) // the columns mapped by number, and this line is a point
                point(line, number);
            return;
        }
        const Cells c = cells(line, std::max<std::size_t>(m_header->fields, m_keep) + 1);
        if (!mappedAreNumbers(c) && namesEveryColumn(line)) {
            // The header again, as where two exports are put one after the other.
            if (std::optional<Header> h = m_map ? mappedHeader(line, number) : header(line, number)) {
                checkUnit(*h, number);
                m_header = h;
            }
            return;
        }
        point(line, number);
    }

    // Whether the cells the header maps all hold numbers (or nothing).
    bool mappedAreNumbers(const Cells &c) const
    {
        for (std::size_t i : m_header->index) {
            if (i >= c.cells.size())
                continue;
            const NumberFault fault = readCellNumber(c.cells[i], DecimalMark::Either).fault;
            if (fault != NumberFault::None && fault != NumberFault::Missing)
                return false;
        }
        return true;
    }

    bool namesEveryColumn(std::string_view line) const
    {
        std::array<bool, MeltColumnCount> seen{};
        const Cells c = cells(line, MaxColumns);
        for (std::size_t i = 0; i < c.cells.size(); ++i) {
            if (m_map) {
                for (std::size_t k = 0; k < MeltColumnCount; ++k)
                    seen[k] = seen[k] || picks((*m_map)[k], c.cells[i], i);
            } else if (const std::optional<MeltColumn> col = meltColumnNamed(headerCell(c.cells[i]).name)) {
                seen[static_cast<std::size_t>(*col)] = true;
            }
        }
        return std::all_of(seen.begin(), seen.end(), [](bool s) { return s; });
    }

    // Whether `pick` names the header cell `cell`, at `index` from 0.
    static bool picks(const ColumnPick &pick, std::string_view cell, std::size_t index)
    {
        if (pick.number > 0)
            return pick.number == index + 1;
        const std::string wanted = comparableName(pick.name);
        return comparableName(cell) == wanted || comparableName(headerCell(cell).name) == wanted;
    }

    std::string headerQuote(std::string_view line) const
    {
        return "the header '" + cut(trimmed(line), 100) + "', its values taken as separated by " +
               std::string(separatorName(m_separator));
    }

    static std::size_t lastFilled(const std::vector<std::string_view> &cells)
    {
        std::size_t last = 0;
        for (std::size_t i = 0; i < cells.size(); ++i)
            if (!cells[i].empty())
                last = i;
        return last;
    }

    // The header in `line`, or nullopt after saying why.
    std::optional<Header> header(std::string_view line, int number)
    {
        const Cells c = cells(line, MaxColumns);
        if (c.count > MaxColumns && !c.restEmpty) {
            problem(number, "more than " + std::to_string(MaxColumns) + " columns: this is no table of points");
            return std::nullopt;
        }
        Header h;
        // Blank cells past the limit, as a spreadsheet's export of a wide sheet
        // writes them, are no columns: points are held to the named ones.
        h.fields = c.count <= MaxColumns ? c.count : lastFilled(c.cells) + 1;
        std::array<bool, MeltColumnCount> seen{};
        for (std::size_t i = 0; i < c.cells.size(); ++i) {
            const HeaderCell cell = headerCell(c.cells[i]);
            const std::optional<MeltColumn> column = meltColumnNamed(cell.name);
            if (!column)
                continue;
            const auto k = static_cast<std::size_t>(*column);
            if (seen[k]) {
                m_columnsUnknown = true;
                problem(number, "two " + std::string(meltColumnKey(*column)) + " columns in " + headerQuote(line) +
                                    "; say which to take with " + std::string(ColumnsHelp));
                return std::nullopt;
            }
            seen[k] = true;
            h.index[k] = i;
            if (!cell.unit.empty() && !unitFits(*column, cell.unit, h, number))
                return std::nullopt;
        }
        if (std::all_of(seen.begin(), seen.end(), [](bool s) { return s; }))
            return h;
        m_columnsUnknown = true;
        const bool numbers = std::all_of(c.cells.begin(), c.cells.end(), [this](std::string_view f) {
            return readCellNumber(f, m_mark).fault == NumberFault::None;
        });
        if (numbers) {
            problem(number, "no header: the first line that is no comment names the columns, as in "
                            "temperature,shear_rate,viscosity; or give them by number with " +
                                std::string(ColumnsHelp));
        } else {
            std::string missing;
            for (MeltColumn col : MeltColumns)
                if (!seen[static_cast<std::size_t>(col)])
                    missing += (missing.empty() ? "" : " and ") + std::string(meltColumnKey(col));
            problem(number, headerQuote(line) + ", names no " + missing +
                                " column. Name the columns temperature, shear_rate and viscosity (or as in "
                                "Temperatur;Schergeschwindigkeit;Viskosit\xC3\xA4t), or say which they are with " +
                                std::string(ColumnsHelp));
        }
        return std::nullopt;
    }

    // The header of a file whose columns are mapped; a header without
    // fields (0) when the columns are mapped by number and `line` is a
    // point. nullopt after saying why.
    std::optional<Header> mappedHeader(std::string_view line, int number)
    {
        const Cells c = cells(line, MaxColumns);
        const bool byNumber = std::all_of(m_map->begin(), m_map->end(), [](const ColumnPick &p) { return p.number > 0; });
        const bool allNumbers = std::all_of(c.cells.begin(), c.cells.end(), [](std::string_view cell) {
            return readCellNumber(cell, DecimalMark::Either).fault == NumberFault::None;
        });
        if (!byNumber && allNumbers) {
            m_columnsUnknown = true;
            problem(number, "no header, which --columns with names needs: the first line that is no comment "
                            "names the columns; give numbers instead");
            return std::nullopt;
        }
        Header h;
        bool isPoint = true;
        for (std::size_t k = 0; k < MeltColumnCount; ++k) {
            const ColumnPick &pick = (*m_map)[k];
            const std::string option =
                "--columns " + std::string(meltColumnKey(MeltColumns[k])) + "=" +
                (pick.number > 0 ? std::to_string(pick.number) : pick.name);
            std::optional<std::size_t> at;
            for (std::size_t i = 0; i < c.cells.size(); ++i) {
                if (!picks(pick, c.cells[i], i))
                    continue;
                if (at) {
                    m_columnsUnknown = true;
                    problem(number, option + ": two columns of that name in " + headerQuote(line) +
                                        "; give its number instead");
                    return std::nullopt;
                }
                at = i;
            }
            if (!at) {
                m_columnsUnknown = true;
                problem(number, option + ": " + (pick.number > 0 ? "no such column in "
                                                                 : "no column of that name in ") +
                                    headerQuote(line) + " (" + std::to_string(c.count) + " columns)");
                return std::nullopt;
            }
            h.index[k] = *at;
            m_keep = std::max(m_keep, *at + 1);
            if (readCellNumber(c.cells[*at], DecimalMark::Either).fault != NumberFault::None)
                isPoint = false;
        }
        if (byNumber && isPoint)
            return h; // no header: fields 0
        h.fields = c.count <= MaxColumns ? c.count : lastFilled(c.cells) + 1;
        for (std::size_t k = 0; k < MeltColumnCount; ++k) {
            const HeaderCell cell = headerCell(c.cells[h.index[k]]);
            if (!cell.unit.empty() && !unitFits(MeltColumns[k], cell.unit, h, number))
                return std::nullopt;
        }
        return h;
    }

    bool unitFits(MeltColumn c, std::string_view unit, Header &h, int number)
    {
        switch (c) {
        case MeltColumn::Viscosity:
            h.unit = viscosityUnitNamed(unit);
            if (!h.unit)
                problem(number, "viscosity in " + quoted(unit) + ": the units known are Pa.s, mPa.s, P and gf.s/cm2");
            return h.unit.has_value();
        case MeltColumn::Temperature:
            if (const std::optional<TemperatureUnit> t = temperatureUnitNamed(unit)) {
                h.temperature = *t;
                return true;
            }
            problem(number, "temperature in " + quoted(unit) + ": give it in \xC2\xB0" "C, K or \xC2\xB0" "F");
            return false;
        case MeltColumn::ShearRate:
            if (isPerSecond(unit))
                return true;
            problem(number, "shear_rate in " + quoted(unit) + ": give it in 1/s");
            return false;
        }
        return false;
    }

    static std::string_view temperatureUnitName(TemperatureUnit unit)
    {
        return unit == TemperatureUnit::Kelvin ? "K" : unit == TemperatureUnit::Fahrenheit ? "\xC2\xB0" "F" : "\xC2\xB0" "C";
    }

    // One unit for every viscosity and every temperature of the file.
    // Without a unit asked for, a header that names none means Pa.s (°C), so
    // it cannot stand beside one that names another: the points under one of
    // them would be read in the wrong one.
    void checkUnit(const Header &h, int number)
    {
        if (m_fileUnitLine != 0 && h.temperature != m_header->temperature)
            problem(number, "mixed units: temperature in " + std::string(temperatureUnitName(h.temperature)) +
                                " here, in " + std::string(temperatureUnitName(m_header->temperature)) +
                                " by the header of line " + std::to_string(m_fileUnitLine));
        if (m_asked) {
            if (h.unit && *h.unit != *m_asked)
                problem(number, "mixed units: the header gives viscosity in " +
                                    std::string(viscosityUnitName(*h.unit)) + ", not in " +
                                    std::string(viscosityUnitName(*m_asked)) + " as asked");
            if (m_fileUnitLine == 0)
                m_fileUnitLine = number;
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
        const bool mapped = m_map.has_value();
        const std::size_t keep = std::max(h.fields, m_keep);
        const Cells c = cells(line, keep);
        // Cells past the header's are empty or the line is not a point, as
        // when decimal commas split numbers in a file of ','.
        if (!mapped && !c.restEmpty) {
            std::string what = std::to_string(c.count) + " values where the header names " +
                               std::to_string(h.fields) + " columns";
            if (m_separator == CellSeparator::Comma)
                what += " (for decimal commas, put ';' between the values)";
            problem(number, what);
            return;
        }
        std::array<long double, MeltColumnCount> v{};
        for (std::size_t k = 0; k < MeltColumnCount; ++k) {
            const std::string name(meltColumnKey(MeltColumns[k]));
            const std::size_t i = h.index[k];
            const std::string_view text = i < c.cells.size() ? c.cells[i] : std::string_view();
            const CellNumber n = readCellNumber(text, m_mark);
            switch (n.fault) {
            case NumberFault::None:
                break;
            case NumberFault::Missing:
                problem(number, "no " + name + " value (a missing column)");
                return;
            case NumberFault::NotNumber:
                problem(number, name + " " + quoted(text) + " is not a number");
                return;
            case NumberFault::NotFinite:
                problem(number, name + " " + quoted(text) + " is not a finite number");
                return;
            case NumberFault::OutOfRange:
                problem(number, name + " " + quoted(text) + " is out of range");
                return;
            }
            if (n.mark != 0) {
                if (m_markLine == 0) {
                    m_markLine = number;
                    m_usedMark = n.mark;
                } else if (n.mark != m_usedMark) {
                    problem(number, name + " " + quoted(text) + " has a decimal " +
                                        (n.mark == ',' ? "comma" : "point") + " where line " +
                                        std::to_string(m_markLine) + " has a decimal " +
                                        (m_usedMark == ',' ? "comma" : "point") + "; one of them for the whole file");
                    return;
                }
            }
            v[k] = n.value;
            if (MeltColumns[k] == MeltColumn::Temperature) {
                if (h.temperature != TemperatureUnit::Celsius)
                    v[k] = celsiusFrom(n.precise, h.temperature);
                if (!(v[k] > -273.0L)) {
                    problem(number, "temperature " + std::string(text) + " " +
                                        std::string(temperatureUnitName(h.temperature)) +
                                        " is at or below -273 \xC2\xB0" "C");
                    return;
                }
            } else if (!(n.value > 0)) {
                problem(number, name + " " + std::string(text) + " is not above zero");
                return;
            }
        }
        if (m_result.points.size() == MaxViscosityPoints) {
            problem(number, "more than " + std::to_string(MaxViscosityPoints) + " points; fit a sample of them");
            m_full = true;
            return;
        }
        m_result.points.push_back({static_cast<double>(v[0]), static_cast<double>(v[1]), static_cast<double>(v[2]),
                                   number});
    }

    std::string_view m_content;
    const std::string &m_file;
    std::optional<ViscosityUnit> m_asked;
    std::optional<ColumnMap> m_map;
    std::optional<ViscosityUnit> m_fileUnit; // the first header's, when no unit is asked for
    int m_fileUnitLine = 0;                  // that header's line, 0 before it
    std::optional<Header> m_header;
    std::size_t m_keep = 0; // the cells of a line to look at, past a mapped header's last
    CellSeparator m_separator = CellSeparator::Comma;
    DecimalMark m_mark = DecimalMark::Point;
    char m_usedMark = 0; // the decimal mark of the file's first number with one
    int m_markLine = 0;  // its line
    bool m_full = false;
    ViscosityPoints m_result;
    std::vector<std::string> m_problems;
    std::size_t m_unlisted = 0;
    bool m_columnsUnknown = false;
};

std::string joined(const std::vector<std::string> &lines)
{
    std::string out;
    for (const std::string &line : lines)
        out += (out.empty() ? "" : "\n") + line;
    return out;
}

} // namespace

PointsFileError::PointsFileError(std::vector<std::string> problems, bool columnsUnknown)
    : std::runtime_error(joined(problems)), m_problems(std::move(problems)), m_columnsUnknown(columnsUnknown)
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
                                     const PointsReadOptions &options)
{
    return PointsReader(content, fileName, options).read();
}


std::optional<ColumnMap> columnMapOf(std::string_view text, std::string &problem)
{
    ColumnMap map;
    std::array<bool, MeltColumnCount> seen{};
    const auto fail = [&problem](const std::string &what) {
        problem = what + "; give --columns temperature=N,shear_rate=N,viscosity=N, each a column number from 1 or "
                         "a header's name";
        return std::nullopt;
    };
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t end = std::min(text.find(',', at), text.size());
        const std::string_view item = trimmed(text.substr(at, end - at));
        at = end + 1;
        const std::size_t eq = item.find('=');
        std::optional<std::size_t> k;
        for (MeltColumn c : MeltColumns)
            if (eq != std::string_view::npos && comparableName(item.substr(0, eq)) == meltColumnKey(c))
                k = static_cast<std::size_t>(c);
        if (!k)
            return fail("--columns: " + quoted(item) + " is not temperature=, shear_rate= or viscosity=");
        if (seen[*k])
            return fail("--columns: " + std::string(meltColumnKey(MeltColumns[*k])) + " given twice");
        seen[*k] = true;
        const std::string_view value = trimmed(item.substr(eq + 1));
        if (value.empty())
            return fail("--columns: no column for " + std::string(meltColumnKey(MeltColumns[*k])));
        ColumnPick &pick = map[*k];
        if (value.find_first_not_of("0123456789") == std::string_view::npos) {
            const auto r = std::from_chars(value.data(), value.data() + value.size(), pick.number);
            if (r.ec != std::errc() || pick.number == 0 || pick.number > MaxColumns)
                return fail("--columns: column " + std::string(value) + " of " + std::string(meltColumnKey(MeltColumns[*k])) +
                            " is not a column number from 1 to " + std::to_string(MaxColumns));
        } else {
            pick.name = std::string(value);
        }
    }
    for (MeltColumn c : MeltColumns)
        if (!seen[static_cast<std::size_t>(c)])
            return fail("--columns: no column for " + std::string(meltColumnKey(c)));
    for (std::size_t a = 0; a < MeltColumnCount; ++a)
        for (std::size_t b = a + 1; b < MeltColumnCount; ++b)
            if (map[a] == map[b])
                return fail("--columns: " + std::string(meltColumnKey(MeltColumns[a])) + " and " +
                            std::string(meltColumnKey(MeltColumns[b])) + " name the same column");
    return map;
}

PointsPreview previewPoints(std::string_view content, std::size_t count, std::size_t width)
{
    PointsPreview out;
    // The opening of a large file, cut after a line end so that no character is cut.
    constexpr std::size_t Opening = 1u << 16;
    if (content.size() > Opening) {
        const bool utf16 = content.substr(0, 2) == "\xFF\xFE" || content.substr(0, 2) == "\xFE\xFF";
        std::size_t end = content.substr(0, Opening).rfind('\n') + 1; // 0 without a line end
        if (utf16 && end % 2 == 1)
            ++end;
        content = content.substr(0, end);
    }
    const TextDecoding text = decodeText(std::string(content));
    if (!text.ok())
        return out;
    TextLines lines(text.text);
    while (out.lines.size() < count && lines.next()) {
        const std::string_view line = uncommented(lines.line());
        if (trimmed(line).empty())
            continue;
        if (out.lines.empty()) {
            out.separator = separatorOf(line);
            for (std::string_view cell : splitCells(line, out.separator, 64).cells)
                out.firstCells.push_back(cut(cell, 40));
        }
        out.lines.push_back(cut(line, width));
    }
    return out;
}

ViscosityPoints readViscosityPoints(const std::string &path, const PointsReadOptions &options)
{
    return parseViscosityPoints(readPointsFileBytes(path), path, options);
}


std::string readPointsFileBytes(const std::string &path)
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
    return r.bytes;
}

} // namespace sf
