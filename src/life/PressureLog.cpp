#include "life/PressureLog.h"

#include "io/NumberText.h"
#include "io/RegularFile.h"
#include "io/TextTable.h"
#include "life/Timestamp.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace sf {

namespace {

// A million readings of a timestamp and two pressures, with room to spare.
constexpr std::size_t MaxFileBytes = 128u << 20;
// A log of thousands of bad lines says the same thing thousands of times.
constexpr std::size_t MaxProblems = 20;

enum Column { Time, Timestamp_, Pressure, Before, After, ColumnCount };
constexpr std::array<std::string_view, ColumnCount> ColumnNames = {"time", "timestamp", "pressure",
                                                                   "pressure_before", "pressure_after"};

// The cells a reading may use: a log's columns are few, and a line of
// millions of separators costs no memory.
constexpr std::size_t MaxCells = 64;

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::optional<double> numberIn(std::string_view cell, DecimalMark mark)
{
    const CellNumber n = readCellNumber(cell, mark, Precision::Double);
    if (n.fault != NumberFault::None)
        return std::nullopt;
    return n.value;
}

// "pressure_before (bar)" -> name "pressure_before", unit "bar"; the name
// lowercased, with blanks and hyphens as underscores.
void headerCell(std::string_view cell, std::string &name, std::string &unit)
{
    name.clear();
    unit.clear();
    std::size_t open = cell.find_first_of("([");
    std::string_view namePart = trimmed(cell.substr(0, open));
    for (char c : namePart)
        name += c == ' ' || c == '-' ? '_' : static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (open != std::string_view::npos) {
        const char close = cell[open] == '(' ? ')' : ']';
        const std::size_t end = cell.find(close, open);
        unit = std::string(trimmed(cell.substr(open + 1, end == std::string_view::npos ? end : end - open - 1)));
    }
}

std::optional<PressureUnit> pressureUnitInHeader(std::string unit)
{
    // kgf/cm² as the header may write it.
    if (const std::size_t at = unit.find("²"); at != std::string::npos)
        unit.replace(at, std::string_view("²").size(), "2");
    return pressureUnitNamed(unit);
}

} // namespace

std::string_view logTimeUnitName(LogTimeUnit unit)
{
    switch (unit) {
    case LogTimeUnit::Second:
        return "s";
    case LogTimeUnit::Minute:
        return "min";
    case LogTimeUnit::Hour:
        return "h";
    case LogTimeUnit::Day:
        return "d";
    }
    return "";
}

std::optional<LogTimeUnit> logTimeUnitNamed(std::string_view name)
{
    for (LogTimeUnit unit : {LogTimeUnit::Second, LogTimeUnit::Minute, LogTimeUnit::Hour, LogTimeUnit::Day})
        if (name == logTimeUnitName(unit))
            return unit;
    return std::nullopt;
}

static std::string joined(const std::vector<std::string> &problems)
{
    std::string out;
    for (const std::string &p : problems)
        out += (out.empty() ? "" : "\n") + p;
    return out;
}

LogFileError::LogFileError(std::vector<std::string> problems)
    : std::runtime_error(joined(problems)), m_problems(std::move(problems))
{
}

PressureLog parsePressureLog(std::string bytes, const std::string &fileName, std::optional<PressureUnit> unit)
{
    const TextDecoding decoded = decodeText(std::move(bytes));
    if (!decoded.ok())
        throw LogFileError({fileName + ":" + std::to_string(decoded.problemLine) + ": " + decoded.problem});
    std::vector<std::string> problems;
    const auto fail = [&](int line, const std::string &what) {
        if (problems.size() < MaxProblems)
            problems.push_back(fileName + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + what);
    };

    PressureLog log;
    std::array<std::optional<std::size_t>, ColumnCount> columns{};
    std::size_t needed = 0; // cells a reading must have
    CellSeparator separator = CellSeparator::Comma;
    DecimalMark mark = DecimalMark::Point;
    bool haveHeader = false;
    Cells split;
    std::vector<std::string_view> &cells = split.cells;
    int lineNumber = 0;
    double previous = 0;
    int previousLine = 0;
    bool zoneKnown = false;

    TextLines lines(decoded.text);
    while (problems.size() < MaxProblems && lines.next()) {
        lineNumber = lines.number();
        const std::string_view line = trimmed(lines.line());
        if (line.empty() || line.front() == '#')
            continue;

        if (!haveHeader) {
            haveHeader = true;
            separator = separatorOf(line);
            mark = decimalMarkFor(separator);
            splitCells(line, separator, MaxCells, split);
            std::string name, cellUnit;
            std::optional<PressureUnit> headerUnit;
            for (std::size_t i = 0; i < cells.size(); ++i) {
                headerCell(cells[i], name, cellUnit);
                const auto known = std::find(ColumnNames.begin(), ColumnNames.end(), name);
                if (known == ColumnNames.end())
                    continue;
                const auto column = static_cast<std::size_t>(known - ColumnNames.begin());
                if (columns[column]) {
                    fail(lineNumber, "the header names " + name + " twice");
                    continue;
                }
                columns[column] = i;
                needed = std::max(needed, i + 1);
                if (column == Time) {
                    const std::optional<LogTimeUnit> timeUnit = logTimeUnitNamed(cellUnit);
                    if (!timeUnit)
                        fail(lineNumber, "the time column's unit in the header, as time (min): s, min, h or d" +
                                             (cellUnit.empty() ? std::string() : ", not " + cellUnit));
                    else
                        log.timeUnit = *timeUnit;
                } else if (column != Timestamp_ && !cellUnit.empty()) {
                    const std::optional<PressureUnit> u = pressureUnitInHeader(cellUnit);
                    if (!u)
                        fail(lineNumber, name + " (" + cellUnit + "): the pressure unit is bar, MPa, psi or kgf/cm2");
                    else if (headerUnit && headerUnit->name != u->name)
                        fail(lineNumber, "the pressure columns are in " + std::string(headerUnit->name) + " and " +
                                             std::string(u->name) + ": give them in one unit");
                    else
                        headerUnit = u;
                }
            }
            const bool oneColumn = columns[Pressure].has_value();
            const bool twoColumns = columns[Before] && columns[After];
            if (columns[Time].has_value() == columns[Timestamp_].has_value())
                fail(lineNumber, "the header names one time column: time (with its unit: s, min, h or d) or "
                                 "timestamp (ISO 8601)");
            if (oneColumn == twoColumns || (!twoColumns && (columns[Before] || columns[After])))
                fail(lineNumber, "the header names the pressure: one column pressure, or two, pressure_before and "
                                 "pressure_after");
            if (unit && headerUnit && unit->name != headerUnit->name)
                fail(lineNumber, "the header's pressure unit " + std::string(headerUnit->name) +
                                     " is not --pressure-unit " + std::string(unit->name));
            if (!unit && !headerUnit)
                fail(lineNumber, "no pressure unit: give it in the header, as pressure (bar), or with "
                                 "--pressure-unit");
            if (!problems.empty())
                break;
            log.pressureUnit = unit ? *unit : *headerUnit;
            log.timestamps = columns[Timestamp_].has_value();
            if (log.timestamps)
                log.timeUnit = LogTimeUnit::Hour;
            continue;
        }

        if (log.time.size() == MaxLogReadings) {
            fail(lineNumber, "more than " + std::to_string(MaxLogReadings) + " readings");
            break;
        }
        splitCells(line, separator, MaxCells, split);
        if (cells.size() < needed) {
            fail(lineNumber, std::to_string(cells.size()) + " value" + (cells.size() == 1 ? "" : "s") + " where the "
                             "header has " + std::to_string(needed) + " columns");
            continue;
        }
        double time = 0;
        bool good = true;
        if (log.timestamps) {
            const std::string_view cell = cells[*columns[Timestamp_]];
            const std::optional<sf::Timestamp> stamp = parseTimestamp(cell);
            if (!stamp) {
                fail(lineNumber, "column " + std::to_string(*columns[Timestamp_] + 1) + " (timestamp): \"" +
                                     std::string(cell) + "\" is not an ISO 8601 time such as 2026-03-14T06:30:00");
                good = false;
            } else if (zoneKnown && stamp->zoneMinutes.has_value() != log.zoneMinutes.has_value()) {
                fail(lineNumber, "a time " + std::string(stamp->zoneMinutes ? "with" : "without") +
                                     " a zone where the first has " + (log.zoneMinutes ? "one" : "none"));
                good = false;
            } else {
                if (log.time.empty() && !zoneKnown)
                    log.originSeconds = stamp->seconds;
                if (!zoneKnown || stamp->zoneMinutes)
                    log.zoneMinutes = stamp->zoneMinutes;
                zoneKnown = true;
                time = (stamp->seconds - log.originSeconds) / 3600;
            }
        } else {
            const std::string_view cell = cells[*columns[Time]];
            const std::optional<double> value = numberIn(cell, mark);
            if (!value) {
                fail(lineNumber, "column " + std::to_string(*columns[Time] + 1) + " (time): \"" + std::string(cell) +
                                     "\" is not a number");
                good = false;
            } else {
                time = *value;
            }
        }
        double pressures[2] = {0, 0};
        const Column pressureColumns[2] = {columns[Pressure] ? Pressure : Before, After};
        for (int i = 0; i < (columns[Pressure] ? 1 : 2); ++i) {
            const std::size_t at = *columns[pressureColumns[i]];
            const std::optional<double> value = numberIn(cells[at], mark);
            if (!value) {
                fail(lineNumber, "column " + std::to_string(at + 1) + " (" +
                                     std::string(ColumnNames[pressureColumns[i]]) + "): \"" + std::string(cells[at]) +
                                     "\" is not a number");
                good = false;
            }
            pressures[i] = value.value_or(0);
        }
        if (!good)
            continue;
        if (previousLine > 0 && !(time > previous)) {
            fail(lineNumber, "the time " + (log.timestamps ? std::string(cells[*columns[Timestamp_]])
                                                           : shortest(time) + " " +
                                                                 std::string(logTimeUnitName(log.timeUnit))) +
                                 (time == previous ? " repeats the one on line " : " goes back from the one on line ") +
                                 std::to_string(previousLine));
            continue;
        }
        previous = time;
        previousLine = lineNumber;
        log.time.push_back(time);
        log.pressure.push_back(pressures[0]);
        if (!columns[Pressure])
            log.after.push_back(pressures[1]);
        log.line.push_back(lineNumber);
    }
    if (problems.empty() && !haveHeader)
        fail(0, "no header: a line naming the columns, as time (min),pressure (bar)");
    if (!problems.empty())
        throw LogFileError(std::move(problems));
    return log;
}

PressureLog readPressureLog(const std::string &path, std::optional<PressureUnit> unit)
{
    RegularFileRead r = readRegularFile(path, MaxFileBytes);
    switch (r.problem) {
    case RegularFileRead::Problem::None:
        return parsePressureLog(std::move(r.bytes), path, unit);
    case RegularFileRead::Problem::Directory:
        throw LogFileError({path + ": a folder, not a log"});
    case RegularFileRead::Problem::NotRegular:
        throw LogFileError({path + ": not a regular file (a pipe, a device or a socket)"});
    case RegularFileRead::Problem::TooLarge:
        throw LogFileError({path + ": larger than " + std::to_string(MaxFileBytes >> 20) + " MiB: not a log of at most " +
                            std::to_string(MaxLogReadings) + " readings"});
    case RegularFileRead::Problem::System:
        break;
    }
    throw LogFileError({path + ": " + std::string(std::strerror(r.err))});
}

std::string logTimeText(const PressureLog &log, double time)
{
    if (log.timestamps)
        return formatTimestamp(log.originSeconds + time * 3600, log.zoneMinutes);
    return shortest(time) + " " + std::string(logTimeUnitName(log.timeUnit));
}

} // namespace sf
