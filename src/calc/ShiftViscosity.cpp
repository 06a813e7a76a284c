#include "ShiftViscosity.h"

#include "ExtendedMath.h"

namespace sf {

double ShiftExponent(double temperature, double paramA, double paramB)
{
    // 273.0 is held as a single; it is exact either way.
    constexpr float CelsiusToKelvin = 273.0f;

    const Extended s = ext::add(CelsiusToKelvin, temperature);
    const Extended q = ext::div(paramA, s);
    return ext::store(ext::sub(q, paramB));
}

void ShiftViscosity(FilterCase &c)
{
    const double x = ShiftExponent(c.Temperature, c.ShiftParamA, c.ShiftParamB);
    c.ShiftFactor = ext::store(ext::exp(x));
    c.ShiftedViscosity = ext::store(ext::mul(c.StdViscosity, c.ShiftFactor));
    c.ShiftedShearRate = ext::store(ext::div(c.StdShearRate, c.ShiftFactor));
}

} // namespace sf
