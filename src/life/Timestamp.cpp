#include "life/Timestamp.h"

#include <cmath>
#include <cstdio>

namespace sf {

namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian), after Howard
// Hinnant's days_from_civil.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, std::int64_t &y, unsigned &m, unsigned &d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

bool leap(std::int64_t y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned daysIn(std::int64_t y, unsigned m)
{
    static constexpr unsigned Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : Days[m - 1];
}

// Exactly `count` digits at `at`, moving past them.
bool digits(std::string_view text, std::size_t &at, int count, int &value)
{
    if (at + static_cast<std::size_t>(count) > text.size())
        return false;
    value = 0;
    for (int i = 0; i < count; ++i) {
        const char c = text[at + static_cast<std::size_t>(i)];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    at += static_cast<std::size_t>(count);
    return true;
}

bool take(std::string_view text, std::size_t &at, char c)
{
    if (at < text.size() && text[at] == c) {
        ++at;
        return true;
    }
    return false;
}

} // namespace

std::optional<Timestamp> parseTimestamp(std::string_view text)
{
    std::size_t at = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!digits(text, at, 4, year) || !take(text, at, '-') || !digits(text, at, 2, month) ||
        !take(text, at, '-') || !digits(text, at, 2, day))
        return std::nullopt;
    if (!take(text, at, 'T') && !take(text, at, ' '))
        return std::nullopt;
    if (!digits(text, at, 2, hour) || !take(text, at, ':') || !digits(text, at, 2, minute))
        return std::nullopt;
    double fraction = 0;
    if (take(text, at, ':')) {
        if (!digits(text, at, 2, second))
            return std::nullopt;
        if (take(text, at, '.') || take(text, at, ',')) {
            double scale = 0.1;
            const std::size_t first = at;
            while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
                fraction += (text[at] - '0') * scale;
                scale /= 10;
                ++at;
            }
            if (at == first)
                return std::nullopt;
        }
    }
    if (month < 1 || month > 12 || day < 1 || static_cast<unsigned>(day) > daysIn(year, static_cast<unsigned>(month)) ||
        hour > 23 || minute > 59 || second > 59)
        return std::nullopt;

    Timestamp out;
    if (take(text, at, 'Z')) {
        out.zoneMinutes = 0;
    } else if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        const int sign = text[at] == '-' ? -1 : 1;
        ++at;
        int zh = 0, zm = 0;
        if (!digits(text, at, 2, zh))
            return std::nullopt;
        if (take(text, at, ':')) {
            if (!digits(text, at, 2, zm))
                return std::nullopt;
        } else if (at < text.size() && !digits(text, at, 2, zm)) {
            return std::nullopt;
        }
        if (zh > 14 || zm > 59)
            return std::nullopt;
        out.zoneMinutes = sign * (zh * 60 + zm);
    }
    if (at != text.size())
        return std::nullopt;
    const std::int64_t days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    const std::int64_t whole = days * 86400 + hour * 3600 + minute * 60 + second - out.zoneMinutes.value_or(0) * 60;
    out.seconds = static_cast<double>(whole) + fraction;
    return out;
}

std::string formatTimestamp(double seconds, std::optional<int> zoneMinutes)
{
    const std::int64_t local = static_cast<std::int64_t>(std::llround(seconds)) + zoneMinutes.value_or(0) * 60;
    std::int64_t days = local >= 0 ? local / 86400 : -((-local + 86399) / 86400);
    const std::int64_t inDay = local - days * 86400;
    std::int64_t y = 0;
    unsigned m = 0, d = 0;
    civilFromDays(days, y, m, d);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02uT%02d:%02d:%02d", static_cast<long long>(y), m, d,
                  static_cast<int>(inDay / 3600), static_cast<int>(inDay / 60 % 60), static_cast<int>(inDay % 60));
    std::string out = buffer;
    if (zoneMinutes) {
        if (*zoneMinutes == 0)
            return out + "Z";
        const int z = std::abs(*zoneMinutes);
        std::snprintf(buffer, sizeof buffer, "%c%02d:%02d", *zoneMinutes < 0 ? '-' : '+', z / 60, z % 60);
        out += buffer;
    }
    return out;
}

} // namespace sf
