#include "DecimalSeparator.h"

namespace sf {

char usableSeparator(char c)
{
    const bool printable = c > ' ' && c < 0x7F;
    const bool numberChar = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == 'e' || c == 'E';
    return (printable && !numberChar) ? c : '.';
}

} // namespace sf
