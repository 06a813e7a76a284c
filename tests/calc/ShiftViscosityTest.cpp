#include "calc/Errors.h"
#include "calc/ShiftViscosity.h"
#include "support/DefaultCase.h"
#include "support/Faults.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>
#include <typeinfo>

namespace sf {
namespace {

TEST(ShiftViscosity, DefaultInputs)
{
    // Extended precision matters here: doubles alone give 0.0026998223801051324.
    EXPECT_EQ(std::bit_cast<std::uint64_t>(ShiftExponent(290.0, 15180.0, 26.96)),
              std::bit_cast<std::uint64_t>(0.0026998223801057188));

    const FilterCase c = test::shiftedDefaultCase();
    EXPECT_NEAR(c.ShiftFactor, 1.002703470, 5e-10);
    EXPECT_NEAR(c.ShiftedViscosity, 9.575818140, 5e-10);
    EXPECT_NEAR(c.ShiftedShearRate, 99.73038189, 5e-9);
    EXPECT_EQ(c.StdViscosity, 9.55);
    EXPECT_EQ(c.StdShearRate, 100.0);
}

TEST(ShiftViscosity, ExponentKeepsTPlus273InExtendedWhereNoDoubleHoldsIt)
{
    // 273 + T for these T is no double: the sum, the quotient and the
    // difference stay extended and only x is rounded. Expected values come
    // from exact rational arithmetic rounded to 64 and then 53 bits; storing
    // 273 + T as a double first gives the second column, all doubles the third.
    const struct {
        double t;
        double x;
        double sumStoredAsDouble;
        double doublesOnly;
    } rows[] = {
        {0.1, 28.62403515195899, 28.624035151958985, 28.624035151958985},
        {290.3, -0.011659861530269459, -0.01165986153026674, -0.011659861530265658},
        {300.7, -0.5001777932717452, -0.5001777932717477, -0.5001777932717495},
        {123.456, 11.329242690235485, 11.329242690235484, 11.329242690235482},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.t);
        const double x = ShiftExponent(row.t, 15180.0, 26.96);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(x), std::bit_cast<std::uint64_t>(row.x));
        EXPECT_NE(x, row.sumStoredAsDouble);
        EXPECT_NE(x, row.doublesOnly);
    }
}

TEST(ShiftViscosity, ZeroParametersLeaveTheReferenceStateExactly)
{
    FilterCase c = test::defaultCase();
    c.ShiftParamA = 0;
    c.ShiftParamB = 0;
    ShiftViscosity(c);
    EXPECT_EQ(c.ShiftFactor, 1.0);
    EXPECT_EQ(c.ShiftedViscosity, c.StdViscosity);
    EXPECT_EQ(c.ShiftedShearRate, c.StdShearRate);
}

constexpr double Untouched = -12345.0;

using test::Fault;

struct FaultCase {
    const char *name;
    std::function<void(FilterCase &)> change;
    Fault fault;
    int stepsStored; // written fields before the fault: 0 none, 1 ShiftFactor, 2 + ShiftedViscosity
};

TEST(ShiftViscosity, FaultsStopAtTheFirstFailingStep)
{
    const double justAboveAbsoluteZero = std::nextafter(-273.0, 0.0);
    const FaultCase cases[] = {
        {"T at absolute zero", [](FilterCase &c) { c.Temperature = -273.0; }, Fault::ZeroDivide, 0},
        {"T at absolute zero, A 0", [](FilterCase &c) { c.Temperature = -273.0; c.ShiftParamA = 0; },
         Fault::InvalidOp, 0},
        {"exponent beyond a double",
         [&](FilterCase &c) { c.Temperature = justAboveAbsoluteZero; c.ShiftParamA = 1e300; }, Fault::Overflow, 0},
        {"aT beyond a double", [](FilterCase &c) { c.ShiftParamA = 0; c.ShiftParamB = -710; }, Fault::Overflow, 0},
        {"eta0 times aT beyond a double",
         [](FilterCase &c) { c.ShiftParamA = 0; c.ShiftParamB = -709; c.StdViscosity = 1e10; }, Fault::Overflow, 1},
        {"aT underflows to zero", [](FilterCase &c) { c.ShiftParamA = 0; c.ShiftParamB = 800; },
         Fault::ZeroDivide, 2},
        {"aT zero and SR0 zero", [](FilterCase &c) { c.ShiftParamA = 0; c.ShiftParamB = 800; c.StdShearRate = 0; },
         Fault::InvalidOp, 2},
        {"aT subnormal", [](FilterCase &c) { c.ShiftParamA = 0; c.ShiftParamB = 740; }, Fault::Overflow, 2},
    };
    for (const FaultCase &fc : cases) {
        SCOPED_TRACE(fc.name);
        FilterCase c = test::defaultCase();
        fc.change(c);
        c.ShiftFactor = c.ShiftedViscosity = c.ShiftedShearRate = Untouched;
        test::expectFault(fc.fault, [&] { ShiftViscosity(c); });
        EXPECT_EQ(c.ShiftFactor != Untouched, fc.stepsStored >= 1);
        EXPECT_EQ(c.ShiftedViscosity != Untouched, fc.stepsStored >= 2);
        EXPECT_EQ(c.ShiftedShearRate, Untouched);
    }
}

TEST(ShiftViscosity, UnderflowingFactorIsStoredAsZeroBeforeTheShearRateDividesByIt)
{
    FilterCase c = test::defaultCase();
    c.ShiftParamA = 0;
    c.ShiftParamB = 800;
    EXPECT_THROW(ShiftViscosity(c), ZeroDivideError);
    EXPECT_EQ(c.ShiftFactor, 0.0);
    EXPECT_EQ(c.ShiftedViscosity, 0.0);
}

} // namespace
} // namespace sf
