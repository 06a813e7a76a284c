#include "NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace sf {

std::string shortest(double v)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string gaugeText(double v)
{
    if (std::isfinite(v)) {
        char buf[32];
        const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 3);
        double rounded = 0;
        // Rounding up past the largest double leaves v as it is.
        if (std::from_chars(buf, r.ptr, rounded).ec == std::errc())
            v = rounded;
    }
    return shortest(v);
}

std::string valueFieldText(double v, char separator, bool wholeNumber)
{
    // From 1e15 on, a whole number is written in its shortest form instead.
    if (wholeNumber && std::fabs(v) < 1e15)
        return std::to_string(static_cast<long long>(v));
    std::string text = shortest(v);
    std::replace(text.begin(), text.end(), '.', separator);
    return text;
}

} // namespace sf
