#pragma once

#include <optional>
#include <string_view>

namespace sf {

// The value of the pressure-drop unit in kgf/cm2 and its name.
struct PressureUnit {
    std::string_view name; // "kgf/cm2", "bar", "MPa", "psi"
    double perKgfCm2;      // how many of this unit make 1 kgf/cm2
};

// 1 kgf/cm2 = 98066.5 Pa exactly; 1 psi = 0.45359237 kg * 9.80665 m/s2 per
// (0.0254 m)^2 = 6894.757293168361 Pa.
inline constexpr PressureUnit PressureUnits[] = {
    {"kgf/cm2", 1.0},
    {"bar", 0.980665},
    {"MPa", 0.0980665},
    {"psi", 98066.5 / 6894.757293168361},
};

std::optional<PressureUnit> pressureUnitNamed(std::string_view name);

} // namespace sf
