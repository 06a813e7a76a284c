#include "DecimalSeparator.h"

namespace sf {

namespace {
char g_separator = '.';
}

char decimalSeparator()
{
    return g_separator;
}

void setDecimalSeparator(char c)
{
    const bool printable = c > ' ' && c < 0x7F;
    const bool numberChar = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == 'e' || c == 'E';
    g_separator = (printable && !numberChar) ? c : '.';
}

} // namespace sf
