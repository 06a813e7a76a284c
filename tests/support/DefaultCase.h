#pragma once

#include "calc/ReadInputs.h"
#include "calc/ScreenModel.h"
#include "calc/ShiftViscosity.h"

#include <stdexcept>
#include <variant>

namespace sf::test {

// The case that the main window's default texts give, read as a run reads
// it, then shifted, then computed.
inline FilterCase defaultCase()
{
    ReadResult read = ReadInputs(FieldTexts::defaults(), '.');
    if (!std::holds_alternative<FilterCase>(read))
        throw std::logic_error("the worked example is rejected");
    return std::get<FilterCase>(read);
}

inline FilterCase shiftedDefaultCase()
{
    FilterCase c = defaultCase();
    ShiftViscosity(c);
    return c;
}

inline FilterCase computedDefaultCase()
{
    FilterCase c = shiftedDefaultCase();
    ComputeScreens(c);
    return c;
}

} // namespace sf::test
