#pragma once

// From a pressure log and what the user asks (the limit, the pressure
// behind the pack, where the fit starts) to the pack's life: the one way
// both front ends take, so that they give the same numbers.

#include "life/PackLife.h"
#include "life/PressureLog.h"

#include <optional>
#include <string>
#include <string_view>

namespace sf {

// A pressure as typed: "250bar", "250 bar", or a number alone, which is in
// the log's unit (unit nullopt).
struct GivenPressure {
    double value = 0;
    std::optional<PressureUnit> unit;
};

// nullopt when `text` is no such pressure; a number alone only when `bare`.
std::optional<GivenPressure> readGivenPressure(std::string_view text, bool bare);

// `value` in `from`, in `to`.
double pressureIn(double value, const PressureUnit &from, const PressureUnit &to);

// A time of the log as typed for where the fit starts: a number in its
// unit, or an ISO 8601 time for a log of timestamps (in the log's zone when
// it names none). nullopt when it is none; logTimeHint says what is asked.
std::optional<double> logTimeOf(std::string_view text, const PressureLog &log);
// "a time of the log in its unit (min), as a number", or for timestamps "a
// time of the log, as 2026-03-14T06:30:00" (and why without a zone).
std::string logTimeHint(const PressureLog &log);

struct LifeSettings {
    std::string logName;                 // the log as messages name it
    double limit = 0;                    // in the log's pressure unit, above zero
    std::optional<double> pressureAfter; // behind the pack, in the log's unit, for a one-column log
    std::optional<double> since;         // fit from this time of the log on
};

struct LifeAnalysis {
    PressureLog log;       // as read; its pressures as the log has them
    LifeReadings readings; // the drop across the pack, reading by reading
    PackLife life;
    double limit = 0;                    // in the log's unit
    std::optional<double> pressureAfter; // as given
};

// The pack's life from `log`. Throws LifeError, its text starting with the
// log's name: a drop not above zero (a bad log), or why the log gives no
// change time.
LifeAnalysis analyseLife(PressureLog log, const LifeSettings &settings);

} // namespace sf
