#include "LifeAnalysis.h"

#include "io/NumberText.h"
#include "life/Timestamp.h"

#include <charconv>
#include <cmath>

namespace sf {

std::optional<GivenPressure> readGivenPressure(std::string_view text, bool bare)
{
    const char *first = text.data();
    const char *last = first + text.size();
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (end == first || error != std::errc() || !std::isfinite(value))
        return std::nullopt;
    std::string_view unitName(end, static_cast<std::size_t>(last - end));
    while (!unitName.empty() && unitName.front() == ' ')
        unitName.remove_prefix(1);
    if (unitName.empty())
        return bare ? std::optional<GivenPressure>(GivenPressure{value, std::nullopt}) : std::nullopt;
    const std::optional<PressureUnit> unit = pressureUnitNamed(unitName);
    if (!unit)
        return std::nullopt;
    return GivenPressure{value, unit};
}

double pressureIn(double value, const PressureUnit &from, const PressureUnit &to)
{
    return value / from.perKgfCm2 * to.perKgfCm2;
}

std::optional<double> logTimeOf(std::string_view text, const PressureLog &log)
{
    if (log.timestamps) {
        const std::optional<Timestamp> at = parseTimestamp(text);
        if (!at || (at->zoneMinutes && !log.zoneMinutes))
            return std::nullopt;
        const double seconds = at->zoneMinutes ? at->seconds : at->seconds - log.zoneMinutes.value_or(0) * 60.0;
        return (seconds - log.originSeconds) / 3600;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string logTimeHint(const PressureLog &log)
{
    if (log.timestamps)
        return "a time of the log, as 2026-03-14T06:30:00" +
               std::string(log.zoneMinutes ? "" : ", without a zone as the log has none");
    return "a time of the log in its unit (" + std::string(logTimeUnitName(log.timeUnit)) + "), as a number";
}

LifeAnalysis analyseLife(PressureLog log, const LifeSettings &settings)
{
    LifeAnalysis a;
    a.limit = settings.limit;
    a.pressureAfter = settings.pressureAfter;
    LifeOptions options;
    options.limit = settings.limit;
    options.limitText = gaugeText(settings.limit) + " " + std::string(log.pressureUnit.name);
    options.since = settings.since;

    a.readings.time = log.time;
    a.readings.line = log.line;
    a.readings.pressure = log.pressure;
    for (std::size_t i = 0; i < a.readings.pressure.size(); ++i) {
        const double behind = log.after.empty() ? settings.pressureAfter.value_or(0) : log.after[i];
        double &drop = a.readings.pressure[i];
        drop -= behind;
        if (!(drop > 0))
            throw LifeError(settings.logName + ":" + std::to_string(a.readings.line[i]) + ": the drop " +
                                shortest(log.pressure[i]) + " - " + shortest(behind) + " " +
                                std::string(log.pressureUnit.name) + " is not above zero",
                            true);
    }
    try {
        a.life = packLife(a.readings, options, [&log](double t) { return logTimeText(log, t); });
    } catch (const LifeError &e) {
        throw LifeError(settings.logName + ": " + e.what(), e.badLog());
    }
    a.log = std::move(log);
    return a;
}

} // namespace sf
