#pragma once

#include <string>

namespace sf {

// A text of the shortest form that reads back to exactly v: "57", "0.02946",
// "1e-07". Always "." as the separator.
std::string shortest(double v);

// `v` rounded to four significant digits, then in its shortest form, as a
// gauge reads: "1250", "0.002", "83.33".
std::string gaugeText(double v);

// The field text for a computed value: its shortest form with `separator`
// for the decimal point, or, for a field of whole numbers (the screen
// count), the whole number written out ("100000000000000", not "1e+14").
std::string valueFieldText(double v, char separator, bool wholeNumber = false);

} // namespace sf
