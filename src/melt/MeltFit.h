#pragma once

// The melt's five values from measured viscosity points. The model,
//   eta(SR, T) = eta0 * aT^n * (SR / SR0)^(n - 1),  aT = exp(A / (T + 273.0) - B),
// is linear in log space:
//   ln eta = ln eta0 + n*A * (1/(T + 273.0) - 1/(Tref + 273.0)) + (n - 1) * ln(SR / SR0)
// once B is tied to a reference temperature Tref, B = A / (Tref + 273.0),
// at which aT = 1: eta0 and B cannot be told apart by any data otherwise.
// The fit is ordinary least squares of ln eta, solved by a QR decomposition.

#include "ViscosityPoints.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sf {

// J/(mol K), exact since the 2019 SI (Boltzmann constant times Avogadro's).
constexpr long double GasConstant = 8.314462618L;

// How a data sheet's activation energy E was measured, which decides A:
// from the shift of curves at one shear stress, A = E / R; from the rise
// of viscosity at one shear rate, which the model makes aT^n, A = E / (n R).
enum class ActivationBasis { ConstantStress, ConstantShearRate };

struct ActivationEnergy {
    double joulesPerMole;
    ActivationBasis basis;
};

// Values from `from` to `to`, both included; an infinity for an open end.
struct ValueRange {
    double from;
    double to;

    bool contains(double v) const { return v >= from && v <= to; }
};

struct MeltFitOptions {
    std::optional<double> referenceTemperature; // °C; unset: the middle of the data's range to 0.1 °C
    double standardShearRate = 100.0;           // SR0, 1/s
    // A held fixed instead of fitted, given directly (K) or as an energy;
    // one of them is needed when the points are at one temperature.
    std::optional<double> shiftA;
    std::optional<ActivationEnergy> activationEnergy;
    // The fit window: only the points within both ranges are fitted.
    std::optional<ValueRange> temperatureRange; // °C
    std::optional<ValueRange> shearRateRange;   // 1/s
};

struct PointFit {
    double fitted;           // the model's viscosity, in the points' unit
    double deviationPercent; // 100 * (fitted / measured - 1)
    bool leftOut = false;    // outside the fit window, so not fitted
};

struct MeltFit {
    // The five values of a case's melt.
    double standardViscosity; // eta0, gf·s/cm², at the reference temperature and SR0
    double standardShearRate; // SR0, 1/s
    double powerLawFactor;    // n
    double shiftA;            // A, K
    double shiftB;            // B, A / (Tref + 273.0)

    double standardViscosityPascalSeconds; // eta0 again, Pa·s
    double referenceTemperature;           // Tref, °C
    bool shiftAFitted;                     // false: A came from the options

    // The range the fitted points cover, which the values hold for.
    double temperatureMin, temperatureMax; // °C
    double shearRateMin, shearRateMax;     // 1/s
    std::vector<PointFit> points;          // one per point, in order, those left out too
    std::size_t fittedPoints;              // those not left out
    double rmsDeviationPercent;            // of the fitted points
    double maxDeviationPercent;            // largest |deviation| of the fitted points
};

// The options do not suit the points: a value out of range, two ways of
// giving A at once, no A for points at one temperature, or a fit window
// that no point is in.
class MeltFitOptionError : public std::runtime_error {
public:
    enum class Kind { BadOption, ShiftANeeded };
    MeltFitOptionError(Kind kind, const std::string &what) : std::runtime_error(what), m_kind(kind) {}
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// The points do not determine a melt: too few kinds of point for the values
// sought (what() says which points are missing), n <= 0 or A <= 0, or
// values beyond the range of numbers.
class MeltFitRejected : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

MeltFit fitMelt(const ViscosityPoints &points, const MeltFitOptions &options);

// The model's viscosity in Pa·s at `temperature` (°C) and `shearRate` (1/s)
// from the five values as stored, which a run uses.
double fittedViscosity(const MeltFit &fit, double temperature, double shearRate);

// fittedViscosity along lines of the same shear rates at many temperatures,
// to the same bits, with each power taken once per rate and per temperature
// rather than per point: a plot of thousands of temperatures is quick.
class FittedLines {
public:
    FittedLines(const MeltFit &fit, std::vector<double> shearRates);
    // Pa·s at each of the shear rates, in their order.
    std::vector<double> at(double temperature) const;

private:
    const MeltFit &m_fit;
    std::vector<long double> m_rateFactors; // (SR / SR0)^(n - 1)
};

// Tref as the fit takes it when none is given: (min + max) / 2 rounded to
// 0.1 °C, halves away from zero.
double middleTemperature(double temperatureMin, double temperatureMax);

// "45kJ/mol", "45 kJ/mol", "45000 J/mol" measured at `basis`
// ("constant-stress" or "constant-shear-rate"), as the options name them.
// Throws MeltFitOptionError (BadOption) with the user's line.
ActivationEnergy activationEnergyOf(const std::string &text, std::string_view basis);

// "FROM:TO" as a fit window in `unit` ("℃", "1/s"), both ends included;
// throws MeltFitOptionError (BadOption) naming `option` for anything else.
ValueRange fitWindowOf(const std::string &text, const char *option, const char *unit);

} // namespace sf
