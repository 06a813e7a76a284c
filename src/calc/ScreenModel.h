#pragma once

#include "FilterCase.h"

#include <array>
#include <exception>

namespace sf {

// Opening, screen factor Fs and pressure drop of screens 1 to ScreenCount of
// a power-law melt (the shifted parameters of ShiftViscosity):
//   a  = 2.54/M - w
//   Fs = 2^(n+3) (1/n + 3)^n C^n w / (M^(2n) a^(3n+1))
//   dP = SR0'^(1-n) Fs eta0' (Q / (rho D^2))^n   [gf/cm2], / 1000 [kgf/cm2]
// Throws a MathError on the first fault, in screen order and step order.
void ComputeScreens(FilterCase &c);

// The part of the screen model that depends on the pack and n alone: each
// screen's opening and screen factor. A study that varies only the process
// data or the melt's reference state computes it once and applies it to
// every point; the results, and the first fault, are ComputeScreens' own.
class PackGeometry {
public:
    // From the screens in use, their mesh and wire, and PowerLawFactor.
    // Never throws: a fault is kept for the moment apply() reaches its screen.
    explicit PackGeometry(const FilterCase &c);

    // ComputeScreens of c, whose pack and n are those this was made from.
    void apply(FilterCase &c) const;

private:
    struct Screen {
        double opening = 0;
        double screenFactor = 0;
    };
    std::array<Screen, MaxScreens> m_screens{};
    int m_computed = 0;           // screens with a complete geometry
    std::exception_ptr m_fault;   // of screen m_computed, when set
    bool m_faultAfterOpening = false;
};

} // namespace sf
