#pragma once

namespace sf {

// The one decimal separator used to read (decimal reader) and write (report)
// numbers. The window sets it from the user's locale; "." until then.
char decimalSeparator();

// Takes c when it is a printable ASCII character that cannot be mistaken for
// part of a number (not a digit, sign, blank or exponent letter); "." otherwise.
void setDecimalSeparator(char c);

} // namespace sf
