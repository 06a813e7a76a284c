#include "melt/MeltFit.h"
#include "melt/MeltTexts.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <iterator>

namespace sf {
namespace {

std::string readText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The worked example's melt at three temperatures and four shear rates.
const std::string WorkedExample = readText(SCREENFILTER_TEST_DATA "/melt-worked-example.csv");

// Its 280 °C points alone.
std::string at280()
{
    std::string out = "temperature,shear_rate,viscosity\n";
    for (std::size_t at = 0; (at = WorkedExample.find("\n280,", at)) != std::string::npos; ++at)
        out += WorkedExample.substr(at + 1, WorkedExample.find('\n', at + 1) - at);
    return out;
}
const std::string At280 = at280();

// Where the worked example's aT is 1: A / B - 273.0.
constexpr double WorkedReference = 290.05637982195846;

std::string docsPoints()
{
    return readText(SCREENFILTER_DOCS "/melt-points.csv");
}

// The points with a header that names no unit.
std::string unitless(std::string csv)
{
    const std::size_t at = csv.find("viscosity (Pa.s)");
    return csv.replace(at, 16, "viscosity");
}

ViscosityPoints points(const std::string &csv, ViscosityUnit unit = ViscosityUnit::PascalSecond)
{
    return parseViscosityPoints(csv, "p.csv", std::optional(unit));
}

void expectRelative(double got, double expected, double tolerance, const char *what)
{
    EXPECT_LE(std::fabs(got - expected), tolerance * std::fabs(expected)) << what << ": " << got << " vs " << expected;
}

TEST(MeltFit, GivesBackKnownAndIndependentlyFittedMelts)
{
    MeltFitOptions atWorked;
    atWorked.referenceTemperature = WorkedReference;
    MeltFitOptions atWorkedHalf = atWorked;
    atWorkedHalf.standardShearRate = 0.5; // at or below 0 refused, above taken
    MeltFitOptions fixedA;
    fixedA.shiftA = 15180;
    MeltFitOptions stress, rate;
    stress.activationEnergy = ActivationEnergy{50000, ActivationBasis::ConstantStress};
    rate.activationEnergy = ActivationEnergy{50000, ActivationBasis::ConstantShearRate};

    // Expected values: the worked example's melt; for other reference
    // temperatures and SR0 the same melt's viscosity there, worked out to
    // 40 digits; for the noisy points of docs/melt-points.csv, the least
    // squares of ln eta solved in exact rationals from 50-digit logarithms;
    // A = E / R and E / (n R) by hand, R = 8.314462618, B = A / 553.
    const struct {
        const char *name;
        std::string csv;
        ViscosityUnit unit;
        MeltFitOptions options;
        double eta0, sr0, n, a, b, reference;
        bool aFitted;
    } rows[] = {
        {"worked example", WorkedExample, ViscosityUnit::PascalSecond, atWorked, 9.55, 100, 0.469, 15180, 26.96,
         WorkedReference, true},
        {"worked example, SR0 0.5", WorkedExample, ViscosityUnit::PascalSecond, atWorkedHalf, 159.16599894431849,
         0.5, 0.469, 15180, 26.96, WorkedReference, true},
        {"worked example at the middle temperature", WorkedExample, ViscosityUnit::PascalSecond, {},
         12.018875468323007, 100, 0.469, 15180, 27.450271247739602, 280, true},
        {"worked example with A given", WorkedExample, ViscosityUnit::PascalSecond, fixedA, 12.018875468323007, 100,
         0.469, 15180, 27.450271247739602, 280, false},
        {"noisy data sheet", docsPoints(), ViscosityUnit::PascalSecond, {}, 43.252981431738425, 100,
         0.46452429725551965, 15341.155587892228, 30.499315284079976, 230, true},
        {"noisy data sheet in mPa.s", unitless(docsPoints()), ViscosityUnit::MilliPascalSecond, {}, 0.043252981431738425, 100,
         0.46452429725551965, 15341.155587892228, 30.499315284079976, 230, true},
        {"one temperature, E at constant stress", At280, ViscosityUnit::PascalSecond, stress, 12.018875468323007,
         100, 0.469, 6013.6177522471363, 10.874534814190120, 280, false},
        {"one temperature, E at constant shear rate", At280, ViscosityUnit::PascalSecond, rate, 12.018875468323007,
         100, 0.469, 12822.212691358500, 23.186641394861663, 280, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const MeltFit fit = fitMelt(points(row.csv, row.unit), row.options);
        expectRelative(fit.standardViscosity, row.eta0, 1e-9, "eta0");
        expectRelative(fit.standardViscosityPascalSeconds, row.eta0 * 98.0665, 1e-9, "eta0 in Pa.s");
        EXPECT_EQ(fit.standardShearRate, row.sr0);
        expectRelative(fit.powerLawFactor, row.n, 1e-9, "n");
        expectRelative(fit.shiftA, row.a, 1e-9, "A");
        expectRelative(fit.shiftB, row.b, 1e-9, "B");
        EXPECT_EQ(fit.referenceTemperature, row.reference);
        EXPECT_EQ(fit.shiftAFitted, row.aFitted);
    }
}

TEST(MeltFit, DeviationsAndRangeOfTheNoisyDataSheet)
{
    // Read as mPa.s, so that each fitted value is in the file's unit, not in Pa.s.
    const MeltFit fit = fitMelt(points(unitless(docsPoints()), ViscosityUnit::MilliPascalSecond), {});
    EXPECT_EQ(fit.temperatureMin, 200);
    EXPECT_EQ(fit.temperatureMax, 260);
    EXPECT_EQ(fit.shearRateMin, 10);
    EXPECT_EQ(fit.shearRateMax, 1000);
    ASSERT_EQ(fit.points.size(), 16u);
    // Reference: 100 (model / measured - 1) from the exact fit's values.
    const double deviations[] = {0.0249, -2.8356, 2.3385, 2.8619, -3.6781, -1.1880, 4.2989, 1.5482,
                                 -3.6641, -0.8286, 3.1821, 0.4414, -3.1681, 1.6388, 3.0133, -3.4078};
    for (std::size_t i = 0; i < 16; ++i)
        EXPECT_NEAR(fit.points[i].deviationPercent, deviations[i], 5e-5) << i;
    EXPECT_NEAR(fit.points[6].fitted, 7749 * 1.042989477760731, 1e-6);
    expectRelative(fit.rmsDeviationPercent, 2.6852180193316812, 1e-9, "rms");
    expectRelative(fit.maxDeviationPercent, 4.2989477760731135, 1e-9, "max");
}

TEST(MeltFit, PointsThatFixNoMeltAndOptionsThatDoNotFitAreRefused)
{
    const std::string h = "temperature,shear_rate,viscosity\n";
    MeltFitOptions none, a1000, coldReference, noRate, negativeA, twice, noEnergy;
    a1000.shiftA = 1000;
    coldReference.referenceTemperature = -273;
    noRate.standardShearRate = 0;
    negativeA.shiftA = -1;
    twice.shiftA = 1000;
    twice.activationEnergy = ActivationEnergy{1000, ActivationBasis::ConstantStress};
    noEnergy.activationEnergy = ActivationEnergy{0, ActivationBasis::ConstantShearRate};
    const std::string good = h + "250,10,1000\n250,100,500\n280,10,700\n";
    const struct {
        const char *name;
        std::string csv;
        MeltFitOptions options;
        bool optionFault; // MeltFitOptionError, else MeltFitRejected
        std::string message;
    } rows[] = {
        {"one of two points in the window", h + "250,10,1000\n280,100,500\n",
         [] { MeltFitOptions o; o.temperatureRange = ValueRange{240, 260}; return o; }(), false,
         "one point only within the fit window; a fit takes two at least"},
        {"one temperature", h + "280,10,1000\n280,100,500\n", none, true,
         "all points are at one temperature (280 °C), from which A cannot be fitted: give A or an activation "
         "energy, or add points at a second temperature"},
        {"temperatures apart by rounding alone",
         h + "200,10,1000\n200,100,500\n200.000000000001,10,1010\n200.000000000001,100,505\n", none, true,
         "all points are at one temperature (200 °C, to within rounding: 2 values less than 4.73e-07 K apart), "
         "from which A cannot be fitted: give A or an activation energy, or add points at a second temperature"},
        {"η0 too small for a double", h + "280,10,1e-306\n280,100,5e-307\n", a1000, false,
         "the points give η0 = 5e-307 Pa·s at 280 °C, too small for a number to hold: check the viscosity column "
         "and its unit, and take a reference temperature within the points' range"},
        {"aT beyond the doubles at the points' own temperature",
         h + "200,10,1000\n200,100,125.89254117941673\n",
         [] { MeltFitOptions o; o.shiftA = 7e5; o.referenceTemperature = 1000; return o; }(), false,
         "the points give A = 700000 K, whose shift factor aT at 200 °C, one of their own temperatures, is beyond "
         "the range of numbers: give A or an activation energy, or take a reference temperature within the "
         "points' range"},
        {"one shear rate", h + "250,10,1000\n280,10,500\n310,10,300\n", none, false,
         "all points are at one shear rate (10 1/s), from which n cannot be fitted: add points at a second "
         "shear rate"},
        {"one shear rate, A given as energy at constant shear rate", h + "250,100,1000\n280,100,500\n",
         [] { MeltFitOptions o; o.activationEnergy = ActivationEnergy{4e4, ActivationBasis::ConstantShearRate}; return o; }(),
         false, "all points are at one shear rate (100 1/s), from which n cannot be fitted: add points at a second shear rate"},
        {"temperature and shear rate together", h + "250,10,1000\n250,10,990\n280,100,500\n280,100,510\n", none,
         false,
         "temperature and shear rate change together in these points, so that n and A cannot be told apart: add "
         "points at a second shear rate at one of the temperatures, or give A"},
        {"shear rate tied to temperature", h + "250,167.97384981465032,1000\n280,100,500\n310,62.797056224038753,300\n",
         none, false,
         "temperature and shear rate change together in these points, so that n and A cannot be told apart: add "
         "points at a second shear rate at one of the temperatures, or give A"},
        {"n below zero", h + "250,10,1000\n250,100,31.622776601683793\n", a1000, false,
         "the points give n = -0.5, and n must be above 0: their viscosity falls as fast as the shear rate rises, "
         "or faster; check the shear-rate and viscosity columns"},
        {"A below zero", h + "250,10,100\n250,100,50\n280,10,200\n280,100,100\n", none, false,
         "the points give A = -9560.32 K, and A must be above 0: their viscosity rises with temperature; check the "
         "temperature column"},
        {"reference at absolute zero", good, coldReference, true, "the reference temperature must be a number above -273 °C"},
        {"SR0 zero", good, noRate, true, "the standard shear rate must be a number above 0"},
        {"A negative", good, negativeA, true, "A must be a number above 0"},
        {"A twice", good, twice, true, "A is given twice: directly and as an activation energy"},
        {"no energy", good, noEnergy, true, "the activation energy must be a number above 0"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        try {
            fitMelt(points(row.csv), row.options);
            ADD_FAILURE() << "fitted";
        } catch (const MeltFitOptionError &e) {
            EXPECT_TRUE(row.optionFault);
            EXPECT_EQ(e.what(), row.message);
        } catch (const MeltFitRejected &e) {
            EXPECT_FALSE(row.optionFault);
            EXPECT_EQ(e.what(), row.message);
        }
    }
}

TEST(MeltFit, FittedLinesHoldTheModelAtEachRate)
{
    // The worked example's melt; reference: eta0 98.0665 aT^n (SR / SR0)^(n - 1)
    // in double arithmetic, apart from this program.
    MeltFit fit{};
    fit.standardViscosity = 9.55;
    fit.standardShearRate = 100;
    fit.powerLawFactor = 0.469;
    fit.shiftA = 15180;
    fit.shiftB = 26.96;
    const FittedLines lines(fit, {100, 10, 1000});
    const struct {
        double temperature;
        std::vector<double> pascalSeconds;
    } rows[] = {
        {290.05637982195846, {936.5350750000001, 3180.7098013735367, 275.7554135641346}},
        {250, {2466.6215954741497, 8377.270317402963, 726.2773988109302}},
    };
    for (const auto &row : rows) {
        const std::vector<double> at = lines.at(row.temperature);
        ASSERT_EQ(at.size(), 3u);
        for (std::size_t k = 0; k < 3; ++k) {
            expectRelative(at[k], row.pascalSeconds[k], 1e-12, "line");
            EXPECT_EQ(at[k], fittedViscosity(fit, row.temperature, std::vector<double>{100, 10, 1000}[k]));
        }
    }
}

// The chart's lines: per temperature, from the lowest shear rate measured
// to the highest, evenly on a log scale, in the points' unit; thousands of
// temperatures get a line at a few only, the lowest and highest among them;
// every point keeps its marker.
TEST(MeltFit, CurvesSpanThePointsRangeOnALogScaleAtSpreadTemperatures)
{
    const ViscosityPoints worked = points(WorkedExample);
    const MeltFit fit = fitMelt(worked, {});
    const struct {
        std::size_t maxLines;
        std::array<bool, 3> lined; // per temperature, lowest first
    } rows[] = {{200, {true, true, true}}, {3, {true, true, true}}, {2, {true, false, true}}, {0, {true, false, true}}};
    for (const auto &row : rows) {
        const std::vector<FitCurve> curves = fitCurves(worked, fit, 3, row.maxLines);
        ASSERT_EQ(curves.size(), 3u);
        for (std::size_t t = 0; t < curves.size(); ++t) {
            EXPECT_EQ(!curves[t].fitted.empty(), row.lined[t]) << row.maxLines << " " << t;
            EXPECT_EQ(curves[t].measured.size(), 4u);
            EXPECT_EQ(curves[t].deviations.size(), 4u);
        }
        EXPECT_EQ(curves[0].temperature, 250);
        ASSERT_EQ(curves[0].fitted.size(), 3u);
        const double rates[] = {10, 223.60679774997897, 5000}; // sqrt(10 * 5000) between
        for (std::size_t k = 0; k < 3; ++k)
            expectRelative(curves[0].fitted[k].first, rates[k], 1e-12, "shear rate");
        expectRelative(curves[0].fitted[0].second, 8377.270317402963, 1e-9, "250 °C at 10 1/s, as above");
    }
}

// The melt dialog's unit switch, by 1 gf·s/cm² = 98.0665 Pa·s, 1 P = 0.1 Pa·s;
// nothing for a text that does not read or a value beyond the doubles.
TEST(MeltTexts, ViscosityIsShownInTheUnitSwitchedTo)
{
    using U = ViscosityUnit;
    const struct {
        const char *text;
        U from, to;
        char separator;
        std::optional<std::string> expected;
    } rows[] = {
        {"1000", U::PascalSecond, U::GramForceSecondPerSquareCentimetre, '.', "10.197162129779283"},
        {"1,5", U::GramForceSecondPerSquareCentimetre, U::PascalSecond, ',', "147,09975"},
        {"2500", U::MilliPascalSecond, U::Poise, '.', "25"},
        {"1.5", U::PascalSecond, U::Poise, ',', std::nullopt},
        {"1e307", U::GramForceSecondPerSquareCentimetre, U::MilliPascalSecond, '.', std::nullopt},
    };
    for (const auto &row : rows)
        EXPECT_EQ(viscosityTextIn(row.text, row.from, row.to, row.separator), row.expected) << row.text;
}

TEST(MeltFit, MiddleTemperatureIsRoundedToATenth)
{
    const struct {
        double min, max, middle;
    } rows[] = {{250, 310, 280}, {200, 265.5, 232.8}, {-10, -10.4, -10.2}, {-1, -0.5, -0.8}, {0.5, 0, 0.3}};
    for (const auto &row : rows)
        EXPECT_EQ(middleTemperature(row.min, row.max), row.middle) << row.min << " " << row.max;
}

} // namespace
} // namespace sf
