#pragma once

// When the screens must be changed: the blocking laws fitted to the drop
// across the pack since the last screen change, the best of them by
// corrected AIC, and when it reaches the limit.

#include "life/BlockingLaws.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace sf {

// A fall of the drop by more than this between consecutive readings is a
// screen change: loading only ever raises it.
constexpr double ScreenChangeFall = 0.20;
// Fewer readings than this after the last change fix no law and its spread.
constexpr std::size_t MinLifeReadings = 4;
// The range given for the time remaining: the fit's standard error of the
// limit time, times this (about 95 % for a normal spread).
constexpr double RangeSigmas = 1.96;

struct LifeReadings {
    std::vector<double> time;     // in the log's unit from its origin, strictly increasing
    std::vector<double> pressure; // the drop across the pack, above zero
    std::vector<int> line;        // each reading's line in the file, for messages
};

struct LifeOptions {
    double limit = 0;            // the drop at which the screens are changed, in the readings' unit
    std::optional<double> since; // fit only readings from this time on
    std::string limitText;       // the limit as messages name it: "250 bar"
};

struct LawAnswer {
    LawFit fit;
    std::optional<double> limitAt; // in the log's time from its origin
};

struct PackLife {
    std::size_t first = 0;  // index of the first reading fitted
    std::size_t count = 0;  // readings fitted
    // The screen change found in the log (the reading after the fall), if
    // the fit starts there.
    std::optional<std::size_t> changeAt;
    bool fromSince = false; // the fit starts where --since says
    std::vector<LawAnswer> laws; // in BlockingLaws order, those left out among them
    std::size_t best = 0;        // index into laws
    double limitAt = 0;          // the best law's, in the log's time from its origin
    double remaining = 0;        // after the last reading
    double remainingLow = 0, remainingHigh = 0; // the range, never below 0
};

// Why no answer can be given. `badLog` marks faults of the log itself
// (exit 2 on the command line), the others are answers of their own (exit
// 1): no rise, a limit passed, no law fitted.
class LifeError : public std::runtime_error {
public:
    LifeError(const std::string &what, bool badLog) : std::runtime_error(what), m_badLog(badLog) {}
    bool badLog() const { return m_badLog; }

private:
    bool m_badLog;
};

// The index of the first reading after the last screen change in `pressure`
// (0 when there is none).
std::size_t lastScreenChange(const std::vector<double> &pressure);

// The answer for `readings`; `timeText` writes a time of the log for a
// message ("1250 min", "2026-03-14T06:30:00"). Throws LifeError.
PackLife packLife(const LifeReadings &readings, const LifeOptions &options,
                  const std::function<std::string(double)> &timeText);

} // namespace sf
