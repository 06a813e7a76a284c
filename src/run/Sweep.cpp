#include "run/Sweep.h"

#include "calc/InputFields.h"
#include "calc/NumberReaders.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>

namespace sf {

namespace {

double readValue(std::string_view text, std::string_view spec)
{
    try {
        return readDecimal(text, '.');
    } catch (const std::exception &) {
        throw UsageError("--vary " + std::string(spec) + ": '" + std::string(text) + "' is not a number");
    }
}

std::size_t readCount(std::string_view text, std::string_view spec)
{
    std::size_t count = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), count);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || text.empty())
        throw UsageError("--vary " + std::string(spec) + ": COUNT '" + std::string(text) + "' is not a whole number");
    if (count < 1 || count > MaxValuesPerKey)
        throw UsageError("--vary " + std::string(spec) + ": COUNT must be from 1 to 1000000");
    return count;
}

} // namespace

Vary parseVary(std::string_view spec)
{
    const std::size_t eq = spec.find('=');
    if (eq == std::string_view::npos)
        throw UsageError("--vary " + std::string(spec) + ": expected KEY=FROM:TO:COUNT or KEY=v1,v2,...");
    Vary vary;
    vary.key = std::string(spec.substr(0, eq));
    const std::optional<Field> field = fieldOfKey(vary.key);
    if (!field || inputField(*field).kind == FieldKind::SaveFileName)
    {
        const std::string closest = closestKey(vary.key);
        throw UsageError("--vary " + std::string(spec) + ": '" + vary.key + "' is no numeric key of a case file" +
                         (closest.empty() || closest == "report.file"
                              ? "; the keys are flow_rate, screen_diameter, density, temperature, standard_viscosity, "
                                "standard_shear_rate, power_law_factor, shift_a, shift_b, count, screens.N.mesh, "
                                "screens.N.wire"
                              : "; did you mean " + closest + "?"));
    }

    vary.field = *field;
    const std::string_view values = spec.substr(eq + 1);
    if (values.find(':') != std::string_view::npos) {
        const std::size_t a = values.find(':');
        const std::size_t b = values.find(':', a + 1);
        if (b == std::string_view::npos || values.find(':', b + 1) != std::string_view::npos)
            throw UsageError("--vary " + std::string(spec) + ": a range is FROM:TO:COUNT");
        const double from = readValue(values.substr(0, a), spec);
        const double to = readValue(values.substr(a + 1, b - a - 1), spec);
        const std::size_t count = readCount(values.substr(b + 1), spec);
        vary.values.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            // The ends are taken as written; the points between are evenly
            // spaced, formed in extended precision and rounded once, so
            // that 1:120:97 gives 2.2395833333333335, the double nearest to
            // 1 + 119/96.
            const long double step = count == 1 ? 0.0L
                : (static_cast<long double>(to) - from) * static_cast<long double>(i) / static_cast<long double>(count - 1);
            vary.values.push_back(i + 1 == count && count > 1 ? to : static_cast<double>(from + step));
        }
        if (!std::isfinite(to - from))
            throw UsageError("--vary " + std::string(spec) + ": the range is beyond the double range");
    } else {
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = values.find(',', start);
            vary.values.push_back(readValue(values.substr(start, comma - start), spec));
            if (vary.values.size() > MaxValuesPerKey)
                throw UsageError("--vary " + std::string(spec) + ": at most 1000000 values");
            if (comma == std::string_view::npos)
                break;
            start = comma + 1;
        }
    }
    if (inputField(vary.field).kind == FieldKind::ScreenCount)
        for (double v : vary.values)
            if (v != std::floor(v))
                throw UsageError("--vary " + std::string(spec) + ": the number of screens takes whole numbers");
    return vary;
}

} // namespace sf
