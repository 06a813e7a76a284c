#pragma once

#include <cstdint>
#include <string>

namespace sf {

// Value in fixed notation with `digits` decimals (at most 18 shown) after
// `separator`, but never rounded to more than `precision` significant digits
// (clamped to 2..18): decimals past the cap come out as zeros. When the
// rounded integer part has more digits than the cap, a scientific form
// "d.dddE<exp>" is used instead.
// Rounding is half away from zero, applied to the value's exact decimal
// expansion rounded (ties to even) to 18 significant digits. Infinities and NaN
// give "INF", "-INF" and "NAN". Never fails.
std::string FormatFixed(double value, int precision, int digits, char separator);

// FormatFixed with the column width as the precision, right-aligned with
// spaces to `width` when the text has at least 3 characters and is shorter
// than the width; a longer text is never cut.
std::string FormatColumn(std::uint8_t width, std::uint8_t digits, double value, char separator);

} // namespace sf
