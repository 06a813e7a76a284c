#pragma once

#include "FilterCase.h"

namespace sf {

// Opening, screen factor Fs and pressure drop of screens 1 to ScreenCount of
// a power-law melt (the shifted parameters of ShiftViscosity):
//   a  = 2.54/M - w
//   Fs = 2^(n+3) (1/n + 3)^n C^n w / (M^(2n) a^(3n+1))
//   dP = SR0'^(1-n) Fs eta0' (Q / (rho D^2))^n   [gf/cm2], / 1000 [kgf/cm2]
// Throws a MathError on the first fault, in screen order and step order.
void ComputeScreens(TFilterCase &c);

} // namespace sf
