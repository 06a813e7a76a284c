#include "PressureUnit.h"

namespace sf {

std::optional<PressureUnit> pressureUnitNamed(std::string_view name)
{
    for (const PressureUnit &u : PressureUnits)
        if (u.name == name)
            return u;
    return std::nullopt;
}

} // namespace sf
