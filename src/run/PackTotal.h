#pragma once

#include "calc/FilterCase.h"

namespace sf {

// The total pressure drop of a computed case (kgf/cm2): its screens' drops
// added in screen order, each partial sum formed in extended precision and
// stored as a double, so that the total is bit for bit the sum of the
// column the report prints (1E17 + 1.26 - 1E17 is 0, not 1.26). A partial
// sum beyond the double range ends the sum at that screen.
PackTotal totalPressureDrop(const FilterCase &c);

} // namespace sf
