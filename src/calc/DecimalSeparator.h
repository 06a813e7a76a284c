#pragma once

namespace sf {

// The decimal separator reads and writes numbers; every reader, formatter
// and run takes it as an argument. This says which characters can serve:
// c when it is a printable ASCII character that cannot be mistaken for part
// of a number (not a digit, sign, blank or exponent letter), "." otherwise.
char usableSeparator(char c);

} // namespace sf
