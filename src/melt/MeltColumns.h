#pragma once

// The columns of a viscosity points file: what a header calls them in the
// languages of the plants that measure melts, and the units a header may
// give them. One table, read by the points reader, `melt fit --columns` and
// the melt dialog.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sf {

enum class MeltColumn { Temperature, ShearRate, Viscosity };
constexpr std::size_t MeltColumnCount = 3;
constexpr std::array<MeltColumn, MeltColumnCount> MeltColumns{MeltColumn::Temperature, MeltColumn::ShearRate,
                                                              MeltColumn::Viscosity};

// "temperature", "shear_rate", "viscosity": the keys of --columns.
std::string_view meltColumnKey(MeltColumn column);

// A header cell split into its name and its unit: "Viskosität (Pa.s)",
// "Shear Rate [1/s]", "温度（℃）".
struct HeaderCell {
    std::string_view name; // without the blanks around it
    std::string_view unit; // what the parentheses or brackets hold, empty without them
};
HeaderCell headerCell(std::string_view cell);

// `name` as header names are compared: lower case, without accents, with
// spaces, underscores, hyphens and dots alike ("Shear Rate" = "shear_rate",
// "Viskosität" = "viskositat").
std::string comparableName(std::string_view name);

// The column a header name stands for, in any of the languages known.
std::optional<MeltColumn> meltColumnNamed(std::string_view name);

enum class TemperatureUnit { Celsius, Kelvin, Fahrenheit };

// The temperature unit a header gives: °C, ℃, C, degC; K; °F, ℉, F, degF.
std::optional<TemperatureUnit> temperatureUnitNamed(std::string_view unit);

// `value` in °C: K as T - 273.15, °F as (T - 32) * 5 / 9.
long double celsiusFrom(long double value, TemperatureUnit unit);

// Whether a header's shear-rate unit is 1/s (1/sec, s^-1, s-1, s⁻¹).
bool isPerSecond(std::string_view unit);

} // namespace sf
