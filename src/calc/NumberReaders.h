#pragma once

#include <cstdint>
#include <string_view>

namespace sf {

// The decimal reader: [blanks][sign][digits][separator digits][E[sign]digits][blanks],
// blanks being spaces only. The value is rounded correctly to a double.
// Throws ConvertError "'<text>' は浮動小数点数ではありません" (the text as
// quotedText gives it, here and below: a long text by its start) when the
// text breaks that grammar or its value reaches the 80-bit extended range,
// and OverflowError when the value is beyond the double range. A value below
// the double range becomes a subnormal or zero.
double readDecimal(std::string_view text, char separator);

// The whole-number reader: [blanks][sign] then decimal digits (-2147483648 to
// 2147483647) or a hexadecimal number after "$", "x", "X", "0x" or "0X" (at most
// eight significant digits, taken as a 32-bit two's-complement pattern).
// Nothing may follow the last digit. Throws ConvertError
// "'<text>' は整数ではありません" otherwise.
std::int32_t readWholeNumber(std::string_view text);

} // namespace sf
