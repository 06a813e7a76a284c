#pragma once

// ISO 8601 date and time as pressure logs write them:
//   2026-03-14T06:30:00, 2026-03-14 06:30, 2026-03-14T06:30:00.250+01:00,
//   2026-03-14T05:30:00Z
// Seconds, their fraction and the zone are optional; the zone is Z, +hh:mm,
// +hhmm or +hh. A strict reader, without the C library's locale.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sf {

struct Timestamp {
    // Seconds since 1970-01-01T00:00:00 on the clock it was written in,
    // UTC when it has a zone.
    double seconds = 0;
    // Minutes east of UTC; nullopt for a local time with no zone.
    std::optional<int> zoneMinutes;
};

// nullopt when `text` is not such a time, or names no real one (02-30,
// 25:00).
std::optional<Timestamp> parseTimestamp(std::string_view text);

// `seconds` since 1970 UTC (or on a clock with no zone), to the nearest
// second, as 2026-03-14T06:30:00 with the zone written (Z, +01:00) when it
// is given.
std::string formatTimestamp(double seconds, std::optional<int> zoneMinutes);

} // namespace sf
