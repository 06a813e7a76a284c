#include "calc/Errors.h"
#include "calc/ExtendedMath.h"
#include "calc/ScreenModel.h"
#include "support/DefaultCase.h"
#include "support/Faults.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>

namespace sf {
namespace {

using test::Fault;

// value agrees with `printed` to all the digits printed.
::testing::AssertionResult agreesWith(double value, const std::string &printed)
{
    const std::size_t dot = printed.find('.');
    const int decimals = dot == std::string::npos ? 0 : static_cast<int>(printed.size() - dot - 1);
    const double tolerance = 0.5 * std::pow(10.0, -decimals) * (1 + 1e-12);
    if (std::fabs(value - std::strtod(printed.c_str(), nullptr)) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << value << " is not " << printed;
}

TEST(ComputeScreens, DefaultInputsGiveTheWorkedExample)
{
    const struct {
        const char *opening, *fs, *dropGf, *drop;
    } expected[] = {
        {"0.0552067", "45.4104", "17748.6", "17.7486"}, {"0.0572367", "38.7615", "15149.8", "15.1498"},
        {"0.0592667", "33.0047", "12899.8", "12.8998"}, {"0.0612967", "28.0024", "10944.7", "10.9447"},
        {"0.0254", "157.109", "61405.7", "61.4057"},    {"0.02743", "120.130", "46952.5", "46.9525"},
        {"0.02946", "92.3748", "36104.5", "36.1045"},   {"0.0315", "71.1093", "27792.9", "27.7929"},
        {"0.03353", "54.7490", "21398.5", "21.3985"},   {"0.03556", "41.9394", "16391.9", "16.3919"},
        {"0.00762", "155.263", "60684.2", "60.6842"},   {"0.00864", "91.7081", "35843.9", "35.8439"},
    };
    FilterCase c = test::shiftedDefaultCase();
    ComputeScreens(c);
    double total = 0;
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE("screen " + std::to_string(i + 1));
        const ScreenLayer &s = c.Screens[i];
        EXPECT_TRUE(agreesWith(s.Opening, expected[i].opening));
        EXPECT_TRUE(agreesWith(s.ScreenFactor, expected[i].fs));
        EXPECT_TRUE(agreesWith(s.PressDropGf, expected[i].dropGf));
        EXPECT_TRUE(agreesWith(s.PressDrop, expected[i].drop));
        EXPECT_EQ(s.PressDrop, s.PressDropGf / 1000);
        total = ext::store(ext::add(total, s.PressDrop));
    }
    EXPECT_TRUE(agreesWith(total, "363.317"));

    // One screen in use computes exactly what screen 1 of the pack does.
    FilterCase one = test::shiftedDefaultCase();
    one.ScreenCount = 1;
    one.Screens[1].Opening = 42;
    ComputeScreens(one);
    EXPECT_EQ(one.Screens[0].PressDrop, c.Screens[0].PressDrop);
    EXPECT_EQ(one.Screens[1].Opening, 42);
}

TEST(ComputeScreens, ExtendedPitchDecidesBetweenTinyOpeningsAndFaults)
{
    // The pitch 2.54/M uses the extended 2.54, a hair below the double.
    FilterCase c = test::shiftedDefaultCase();
    c.ScreenCount = 1;
    c.Screens[0].Mesh = 1;
    c.Screens[0].WireDia = 2.54;
    EXPECT_THROW(ComputeScreens(c), InvalidOpError);
    EXPECT_EQ(c.Screens[0].Opening, -3.5561831257524545e-17);

    c.Screens[0].Mesh = 100;
    c.Screens[0].WireDia = 0.0254;
    ComputeScreens(c);
    EXPECT_EQ(c.Screens[0].Opening, 1.0316861297557378e-18);
    EXPECT_NEAR(c.Screens[0].ScreenFactor / 2.33e41, 1, 0.005);
    EXPECT_NEAR(c.Screens[0].PressDropGf / 9.11e43, 1, 0.005);
}

TEST(ComputeScreens, DegenerateValuesThatAreNoFault)
{
    FilterCase c = test::shiftedDefaultCase();
    c.Screens[3].WireDia = 0;  // no wire: nothing to pass
    c.Screens[4].WireDia = -0.01; // wider opening, negative factor
    ComputeScreens(c);
    EXPECT_EQ(c.Screens[3].ScreenFactor, 0.0);
    EXPECT_EQ(c.Screens[3].PressDropGf, 0.0);
    EXPECT_EQ(c.Screens[3].PressDrop, 0.0);
    EXPECT_LT(c.Screens[4].ScreenFactor, 0);
    EXPECT_LT(c.Screens[4].PressDrop, 0);

    FilterCase still = test::shiftedDefaultCase();
    still.ShiftedViscosity = 0;
    ComputeScreens(still);
    EXPECT_EQ(still.Screens[11].PressDrop, 0.0);
}

TEST(ComputeScreens, NewtonianMeltMatchesTheClosedForm)
{
    FilterCase c = test::shiftedDefaultCase();
    c.PowerLawFactor = 1;
    ComputeScreens(c);
    const long double C = 2.28178677414902379272L;
    for (int i = 0; i < 12; ++i) {
        const ScreenLayer &s = c.Screens[i];
        const long double a = s.Opening;
        const long double fs = 64 * C * s.WireDia / ((long double)s.Mesh * s.Mesh * a * a * a * a);
        EXPECT_NEAR(s.ScreenFactor / static_cast<double>(fs), 1, 1e-14);
        const long double gf = (long double)c.ShiftedViscosity * s.ScreenFactor * c.FlowRate /
                               ((long double)c.Density * c.ScreenDiameter * c.ScreenDiameter);
        EXPECT_NEAR(s.PressDropGf / static_cast<double>(gf), 1, 1e-14);
    }
}

TEST(ComputeScreens, FirstFaultInScreenAndStepOrderWins)
{
    constexpr double Untouched = -12345.0;
    // Mesh and wire whose extended pitch is exactly a double: the stored opening is 0.
    constexpr double ZeroGapMesh = 30.000000000002562;
    constexpr double ZeroGapWire = 0.084666666666659438;

    const struct {
        const char *name;
        int screen; // 1-based screen that faults
        std::function<void(FilterCase &)> change;
        Fault fault;
    } cases[] = {
        {"mesh 0", 1, [](FilterCase &c) { c.Screens[0].Mesh = 0; }, Fault::ZeroDivide},
        {"mesh 0 on screen 7", 7, [](FilterCase &c) { c.Screens[6].Mesh = 0; }, Fault::ZeroDivide},
        {"mesh 0 before n's invalid power", 1,
         [](FilterCase &c) { c.Screens[0].Mesh = 0; c.PowerLawFactor = -0.1; }, Fault::ZeroDivide},
        {"n 0", 1, [](FilterCase &c) { c.PowerLawFactor = 0; }, Fault::ZeroDivide},
        {"n 0 before a negative opening", 1,
         [](FilterCase &c) { c.PowerLawFactor = 0; c.Screens[0].WireDia = 1; }, Fault::ZeroDivide},
        {"n between -1/3 and 0", 1, [](FilterCase &c) { c.PowerLawFactor = -0.1; }, Fault::InvalidOp},
        {"negative mesh", 2, [](FilterCase &c) { c.Screens[1].Mesh = -30; }, Fault::InvalidOp},
        {"opening exactly 0", 3,
         [&](FilterCase &c) { c.Screens[2].Mesh = ZeroGapMesh; c.Screens[2].WireDia = ZeroGapWire; },
         Fault::ZeroDivide},
        {"wire thicker than the pitch", 12, [](FilterCase &c) { c.Screens[11].WireDia = 0.02; }, Fault::InvalidOp},
        {"shear rate 0", 1, [](FilterCase &c) { c.ShiftedShearRate = 0; }, Fault::ZeroDivide},
        {"negative shear rate", 1, [](FilterCase &c) { c.ShiftedShearRate = -1; }, Fault::InvalidOp},
        {"density 0", 1, [](FilterCase &c) { c.Density = 0; }, Fault::ZeroDivide},
        {"diameter 0", 1, [](FilterCase &c) { c.ScreenDiameter = 0; }, Fault::ZeroDivide},
        {"density 0 and flow 0", 1, [](FilterCase &c) { c.Density = 0; c.FlowRate = 0; }, Fault::InvalidOp},
        {"flow 0", 1, [](FilterCase &c) { c.FlowRate = 0; }, Fault::ZeroDivide},
        {"flow and density of opposite signs", 1, [](FilterCase &c) { c.FlowRate = -57; }, Fault::InvalidOp},
        {"power beyond the extended range", 1, [](FilterCase &c) { c.PowerLawFactor = 20000; }, Fault::Overflow},
        {"factor beyond a double", 1,
         [](FilterCase &c) { c.Screens[0].Mesh = 100; c.Screens[0].WireDia = 0.0254; c.PowerLawFactor = 8; },
         Fault::Overflow},
        {"drop beyond a double", 1, [](FilterCase &c) { c.ShiftedViscosity = 1e306; }, Fault::Overflow},
    };
    for (const auto &fc : cases) {
        SCOPED_TRACE(fc.name);
        FilterCase c = test::shiftedDefaultCase();
        fc.change(c);
        for (int i = fc.screen - 1; i < 12; ++i) {
            c.Screens[i].ScreenFactor = c.Screens[i].PressDropGf = c.Screens[i].PressDrop = Untouched;
            if (i >= fc.screen)
                c.Screens[i].Opening = Untouched;
        }
        test::expectFault(fc.fault, [&] { ComputeScreens(c); });
        // Earlier screens are complete; nothing after the fault was stored.
        for (int i = 0; i < fc.screen - 1; ++i)
            EXPECT_NE(c.Screens[i].PressDrop, Untouched) << "screen " << i + 1;
        for (int i = fc.screen; i < 12; ++i)
            EXPECT_EQ(c.Screens[i].Opening, Untouched) << "screen " << i + 1;
        EXPECT_EQ(c.Screens[fc.screen - 1].PressDrop, Untouched);
    }
}

} // namespace
} // namespace sf
