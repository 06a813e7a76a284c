#pragma once

// The shortest text of a double that reads back exactly, as
// std::to_chars(first, last, v) writes it ("57", "0.02946", "1e-07",
// "-1.2345678901234567e+300"), some four times faster: tables write
// millions of such numbers.

namespace sf {

// The room writeShortest needs: the longest text is 24 bytes, but it may
// write past the text's end.
constexpr int ShortestDoubleChars = 48;

// Writes v's text from `out` (ShortestDoubleChars bytes at least), without
// a terminating NUL; returns the end. Bytes after it may be overwritten.
char *writeShortest(char *out, double v);

} // namespace sf
