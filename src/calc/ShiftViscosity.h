#pragma once

#include "FilterCase.h"

namespace sf {

// Moves the power-law reference state to the melt temperature:
// aT = exp(A / (T + 273.0) - B), eta0' = eta0 * aT, SR0' = SR0 / aT.
// Throws a MathError on the first floating-point fault.
void ShiftViscosity(FilterCase &c);

// The exponent A / (T + 273.0) - B, formed in extended precision and rounded
// to a double before the exponential is taken.
double ShiftExponent(double temperature, double paramA, double paramB);

} // namespace sf
