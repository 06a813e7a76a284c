#pragma once

// A line's pressure log, read from a CSV file:
//
//   # extruder 2, screen changer 1            comments and blank lines anywhere
//   timestamp,pressure (bar)                  the header names the columns
//   2026-03-14T06:00:00,84.1
//
// The time is a column `time` with its unit in the header (s, min, h, d),
// or `timestamp` in ISO 8601 (then the log's time unit is h). The pressure
// is one column `pressure` (in front of the pack, or the pack's drop), or
// two, `pressure_before` and `pressure_after`, whose difference is the
// drop; the unit (bar, MPa, psi, kgf/cm2) in the header, "pressure (bar)"
// or "pressure [bar]", or given by the caller. Other columns are passed
// over. Between values ',', ';', a tab or blanks; with all but ',' a
// number may have a decimal comma.

#include "io/PressureUnit.h"

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sf {

// A log beyond this many readings is refused: its fit is asked to answer
// within a second.
constexpr std::size_t MaxLogReadings = 1000000;

enum class LogTimeUnit { Second, Minute, Hour, Day };

// "s", "min", "h", "d".
std::string_view logTimeUnitName(LogTimeUnit unit);
std::optional<LogTimeUnit> logTimeUnitNamed(std::string_view name);

struct PressureLog {
    std::vector<double> time;     // in timeUnit from the log's origin, strictly increasing
    std::vector<double> pressure; // `pressure` or `pressure_before`, in pressureUnit
    std::vector<double> after;    // `pressure_after` when the log has it, else empty
    std::vector<int> line;        // each reading's line in the file, from 1
    LogTimeUnit timeUnit = LogTimeUnit::Hour;
    PressureUnit pressureUnit{"bar", 0.980665};
    // With timestamps: the origin (the first reading) in seconds since 1970
    // on the log's clock, and the log's zone (nullopt: the log has none).
    bool timestamps = false;
    double originSeconds = 0;
    std::optional<int> zoneMinutes;
};

// A log that cannot be taken. problems() holds one line per fault,
// "<file>:<line>: <what is wrong>" or "<file>: <what is wrong>", up to a
// limit; what() is them joined by line breaks.
class LogFileError : public std::runtime_error {
public:
    explicit LogFileError(std::vector<std::string> problems);
    const std::vector<std::string> &problems() const { return m_problems; }

private:
    std::vector<std::string> m_problems;
};

// The readings in the file's `bytes` (UTF-8 with or without its BOM,
// UTF-16 by its BOM, else Latin-1); `fileName` names it in messages. The pressure
// unit is `unit` when given, else the header's; a header naming another
// unit than `unit` is refused. Throws LogFileError.
PressureLog parsePressureLog(std::string bytes, const std::string &fileName, std::optional<PressureUnit> unit);

// parsePressureLog of the regular file at `path`, refused without a read
// when it is a directory, a FIFO or a device.
PressureLog readPressureLog(const std::string &path, std::optional<PressureUnit> unit);

// A time of the log as its user reads it: "1250 min", or with timestamps
// the clock time, "2026-03-14T06:30:00" (with the log's zone if it has one).
std::string logTimeText(const PressureLog &log, double time);

} // namespace sf
