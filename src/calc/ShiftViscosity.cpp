#include "ShiftViscosity.h"

#include "ExtendedMath.h"

namespace sf {

void ShiftViscosity(TFilterCase &c)
{
    // 273.0 is held as a single; it is exact either way.
    constexpr float CelsiusToKelvin = 273.0f;

    const Extended s = ext::add(CelsiusToKelvin, c.Temperature);
    const Extended q = ext::div(c.ShiftParamA, s);
    // The exponent is rounded to a double before the exponential is taken.
    const double x = ext::store(ext::sub(q, c.ShiftParamB));
    c.ShiftFactor = ext::store(ext::exp(x));
    c.ShiftedViscosity = ext::store(ext::mul(c.StdViscosity, c.ShiftFactor));
    c.ShiftedShearRate = ext::store(ext::div(c.StdShearRate, c.ShiftFactor));
}

} // namespace sf
