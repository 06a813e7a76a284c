#pragma once

#include <array>
#include <cstdint>

namespace sf {

constexpr int MaxScreens = 12;

// One woven wire screen of the pack. Units as the main window labels them.
struct ScreenLayer {
    double Mesh = 0;         // wires per inch
    double WireDia = 0;      // cm
    double Opening = 0;      // cm, clear gap between neighbouring wires
    double ScreenFactor = 0; // Fs, cm^-n
    double PressDropGf = 0;  // gf/cm2
    double PressDrop = 0;    // kgf/cm2 (PressDropGf / 1000)
};

// A (mesh 1/in, wire diameter cm) pair as read from the screen rows.
struct ScreenPair {
    double Mesh = 0;
    double WireDia = 0;
};

// The case record of one run: made fresh by every run and discarded after it.
// Screens and ScreenPairs hold screen 1 at index 0.
struct FilterCase {
    double FlowRate = 0;       // kg/hr
    double ScreenDiameter = 0; // cm
    double Density = 0;        // g/cm3
    double Temperature = 0;    // degrees Celsius
    double StdViscosity = 0;   // gf.s/cm2 at the reference state, as entered
    double StdShearRate = 0;   // 1/sec at the reference state, as entered
    double PowerLawFactor = 0; // n
    double ShiftParamA = 0;    // degrees, divided by (Temperature + 273.0)
    double ShiftParamB = 0;    // dimensionless
    std::uint8_t ScreenCount = 0; // 1 to 12 once the inputs are accepted
    std::array<ScreenPair, MaxScreens> ScreenPairs{}; // staging table of the reader
    std::array<ScreenLayer, MaxScreens> Screens{};
    double ShiftFactor = 0;      // aT
    double ShiftedViscosity = 0; // gf.s/cm2 at the melt temperature
    double ShiftedShearRate = 0; // 1/sec at the melt temperature
};

// The total pressure drop under the report's drop column: the running sum
// of the screens' drops up to the last one a double holds.
struct PackTotal {
    double value = 0;       // kgf/cm2
    int overflowScreen = 0; // the screen whose drop took the sum beyond the double range; 0: none did
};

} // namespace sf
