#pragma once

// Checked 80-bit extended arithmetic. Every operation checks its operands and
// its result, so the first fault of a calculation is found deterministically
// and in program order; no trap or status flag is involved, which an
// optimiser could move. Underflow, subnormal operands and inexact results are
// never faults.

#include "Errors.h"

#include <cmath>
#include <limits>

namespace sf {

using Extended = long double;

static_assert(std::numeric_limits<Extended>::digits == 64,
              "the calculation needs the x87 80-bit extended format (64-bit significand)");

namespace ext {

inline Extended checkFinite(Extended r)
{
    if (std::isinf(r))
        throw OverflowError();
    if (std::isnan(r))
        throw InvalidOpError();
    return r;
}

inline Extended add(Extended a, Extended b) { return checkFinite(a + b); }
inline Extended sub(Extended a, Extended b) { return checkFinite(a - b); }
inline Extended mul(Extended a, Extended b) { return checkFinite(a * b); }

inline Extended div(Extended a, Extended b)
{
    if (b == 0) {
        if (a == 0 || std::isnan(a))
            throw InvalidOpError();
        throw ZeroDivideError();
    }
    return checkFinite(a / b);
}

// Natural logarithm. ln(0) is a pole (division by zero), ln of a negative
// value an invalid operation.
inline Extended ln(Extended a)
{
    if (std::isnan(a) || a < 0)
        throw InvalidOpError();
    if (a == 0)
        throw ZeroDivideError();
    return checkFinite(std::log(a));
}

// e^x; a result beyond the extended range (x above about 11356.5) overflows,
// one below it becomes a subnormal or zero without complaint.
inline Extended exp(Extended x)
{
    if (std::isnan(x))
        throw InvalidOpError();
    return checkFinite(std::exp(x));
}

// a^b, formed as exp(b * ln(a)) like every power of the model, so a base of
// zero or below faults whatever the exponent.
inline Extended power(Extended a, Extended b) { return exp(mul(ln(a), b)); }

// Rounds to the double that is stored in the case record (to nearest, ties
// to even). A value beyond the double range overflows; one below it becomes
// a subnormal or zero.
inline double store(Extended v)
{
    const double d = static_cast<double>(checkFinite(v));
    if (std::isinf(d))
        throw OverflowError();
    return d;
}

} // namespace ext
} // namespace sf
