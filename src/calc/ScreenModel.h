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

// Where in the screen model a fault happened: the step, and the screen
// (1 to 12) it was computing.
struct ModelFault {
    enum class Step { None, Opening, ScreenFactor, PressureDrop };
    Step step = Step::None;
    int screen = 0;
};

// What the model implies at one computed screen beyond its own results, for
// a person asking which screen takes the load. With the model's constant C,
// flow rate Q, density rho, screen diameter D, mesh M, opening a, wire w:
//   open-area fraction  (a M / 2.54)^2, the clear share of the screen's face
//   wall shear rate     gw = 2 (3n + 1) / n * C Q / (rho D^2 M^2 a^3)   [1/s]
//   apparent viscosity  eta_a = eta0' (gw / SR0')^(n - 1), here as
//                       dP a / (8 w gw), the same by dP = 8 eta_a gw w / a,
//                       which needs no second power             [gf.s/cm2]
// Plain extended arithmetic, unchecked: these values never fault a run; a
// value beyond reach comes out as an infinity or NaN.
struct ScreenDetails {
    double openArea = 0;
    double wallShearRate = 0;     // 1/s
    double apparentViscosity = 0; // gf.s/cm2
};
ScreenDetails screenDetails(const FilterCase &c, int screen); // screen 1 to ScreenCount, computed

// The opening 2.54/M - w (cm) exactly as the model forms it, unchecked: the
// extended 2.54 over the mesh, less the wire, rounded to a double once.
double modelOpening(double mesh, double wire);

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
    // On a fault, `where` (when given) says where it happened before it is thrown.
    void apply(FilterCase &c, ModelFault *where = nullptr) const;

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
