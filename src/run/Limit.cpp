#include "run/Limit.h"

#include "calc/FilterCase.h"

#include <charconv>
#include <cmath>

namespace sf {

namespace {

const char *const Spelling = "--limit: total=PRESSURE or drop.N=PRESSURE with the unit right after the number "
                             "(kgf/cm2, bar, MPa or psi), such as total=150bar";

[[noreturn]] void refuse(const std::string &why)
{
    throw UsageError("--limit: " + why);
}

int screenOf(std::string_view target)
{
    if (target == "total")
        return 0;
    constexpr std::string_view Drop = "drop.";
    if (target.substr(0, Drop.size()) != Drop)
        throw UsageError(Spelling);
    const std::string_view digits = target.substr(Drop.size());
    int screen = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), screen);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || screen < 1 ||
        screen > MaxScreens)
        refuse(std::string(target) + ": a screen from 1 to " + std::to_string(MaxScreens));
    return screen;
}

} // namespace

std::string PressureLimit::label() const
{
    return (screen == 0 ? std::string("total") : "screen " + std::to_string(screen)) + " " + shortest(value) + " " +
           std::string(unit.name);
}

PressureLimit parseLimit(std::string_view spec)
{
    const std::size_t equals = spec.find('=');
    if (equals == std::string_view::npos)
        throw UsageError(Spelling);
    PressureLimit limit;
    limit.screen = screenOf(spec.substr(0, equals));

    const std::string_view pressure = spec.substr(equals + 1);
    const char *const first = pressure.data();
    const char *const last = first + pressure.size();
    // Fixed or scientific notation with "."; from_chars also reads "inf" and
    // "nan", which the check below refuses.
    const auto [end, error] = std::from_chars(first, last, limit.value);
    if (end == first || error == std::errc::invalid_argument)
        refuse(std::string(pressure) + ": a number followed by its unit, such as 150bar");
    const std::string_view unitName(end, static_cast<std::size_t>(last - end));
    const std::optional<PressureUnit> unit = pressureUnitNamed(unitName);
    if (!unit)
        refuse(std::string(pressure) + ": the unit right after the number: kgf/cm2, bar, MPa or psi, such as 150bar");
    if (error == std::errc::result_out_of_range)
        refuse(std::string(pressure) + ": out of range");
    if (!std::isfinite(limit.value) || !(limit.value > 0))
        refuse(std::string(pressure) + ": a pressure above zero");
    limit.unit = *unit;
    return limit;
}

} // namespace sf
