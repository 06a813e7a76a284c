#include "MeltFit.h"

#include "calc/Errors.h"
#include "calc/ShiftViscosity.h"

#include <Eigen/Dense>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <set>
#include <utility>

namespace sf {

namespace {

using Matrix = Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic>;
using Vector = Eigen::Matrix<long double, Eigen::Dynamic, 1>;

// Pa·s per gf·s/cm²: 9.80665e-3 N·s over 1e-4 m².
constexpr long double PascalSecondsPerCaseUnit = 98.0665L;

// A column whose part independent of the others is below this fraction of
// its length carries nothing of its own: with the columns scaled to length
// 1, far above the rounding of extended arithmetic and far below what
// measured points that differ at all give.
constexpr long double RankThreshold = 1e-10L;

// Temperatures closer together than this fraction of their absolute value
// are one temperature: far below what any thermometer tells apart (a
// millikelvin is 2e-6 of 500 K), far above the rounding of a decimal
// written with 17 digits. Told apart, rounding alone would fix A.
constexpr double SameTemperature = 1e-9;

std::string shown(long double v)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<double>(v), std::chars_format::general, 6);
    return std::string(buf, r.ptr);
}

// A value stored as a double; one that no double holds ends the fit.
double stored(long double v)
{
    const double d = static_cast<double>(v);
    if (!std::isfinite(d))
        throw MeltFitRejected("the fit's values are beyond the range of numbers; check the columns and the units");
    return d;
}

void checkOptions(const MeltFitOptions &o)
{
    using Kind = MeltFitOptionError::Kind;
    if (o.referenceTemperature && !(std::isfinite(*o.referenceTemperature) && *o.referenceTemperature > -273.0))
        throw MeltFitOptionError(Kind::BadOption, "the reference temperature must be a number above -273 °C");
    if (!(std::isfinite(o.standardShearRate) && o.standardShearRate > 0))
        throw MeltFitOptionError(Kind::BadOption, "the standard shear rate must be a number above 0");
    if (o.shiftA && o.activationEnergy)
        throw MeltFitOptionError(Kind::BadOption, "A is given twice: directly and as an activation energy");
    if (o.shiftA && !(std::isfinite(*o.shiftA) && *o.shiftA > 0))
        throw MeltFitOptionError(Kind::BadOption, "A must be a number above 0");
    if (o.activationEnergy && !(std::isfinite(o.activationEnergy->joulesPerMole) && o.activationEnergy->joulesPerMole > 0))
        throw MeltFitOptionError(Kind::BadOption, "the activation energy must be a number above 0");
    for (const auto &[range, what] : {std::pair{o.temperatureRange, "temperature"}, {o.shearRateRange, "shear-rate"}})
        if (range && !(range->from <= range->to)) // an open end is an infinity
            throw MeltFitOptionError(Kind::BadOption, std::string("the ") + what +
                                                          " range must be two numbers, the lower one first");
}

// The least-squares solution of X c = y, or nullopt when X's columns do
// not span as many dimensions as there are columns.
std::optional<Vector> leastSquares(Matrix x, const Vector &y)
{
    // Columns of length 1, so that the rank test sees their directions and
    // not their units.
    Vector scale(x.cols());
    for (Eigen::Index j = 0; j < x.cols(); ++j) {
        scale(j) = x.col(j).norm();
        if (!(scale(j) > 0) || !std::isfinite(scale(j)))
            return std::nullopt;
        x.col(j) /= scale(j);
    }
    Eigen::ColPivHouseholderQR<Matrix> qr(x);
    qr.setThreshold(RankThreshold);
    if (qr.rank() < x.cols())
        return std::nullopt;
    Vector c = qr.solve(y);
    return Vector(c.array() / scale.array());
}

// eta0 aT^n at `temperature`, in Pa·s.
long double shiftedViscosity(const MeltFit &fit, double temperature)
{
    const long double shift = std::exp(fit.shiftA / (temperature + 273.0L) - fit.shiftB);
    return static_cast<long double>(fit.standardViscosity) * PascalSecondsPerCaseUnit *
           std::pow(shift, static_cast<long double>(fit.powerLawFactor));
}

long double rateFactor(const MeltFit &fit, double shearRate)
{
    return std::pow(shearRate / static_cast<long double>(fit.standardShearRate), fit.powerLawFactor - 1.0L);
}

long double modelViscosity(const MeltFit &fit, double temperature, double shearRate)
{
    return shiftedViscosity(fit, temperature) * rateFactor(fit, shearRate);
}

} // namespace

double fittedViscosity(const MeltFit &fit, double temperature, double shearRate)
{
    return static_cast<double>(modelViscosity(fit, temperature, shearRate));
}

FittedLines::FittedLines(const MeltFit &fit, std::vector<double> shearRates) : m_fit(fit)
{
    m_rateFactors.reserve(shearRates.size());
    for (double rate : shearRates)
        m_rateFactors.push_back(rateFactor(fit, rate));
}

std::vector<double> FittedLines::at(double temperature) const
{
    const long double shifted = shiftedViscosity(m_fit, temperature);
    std::vector<double> out;
    out.reserve(m_rateFactors.size());
    for (long double factor : m_rateFactors)
        out.push_back(static_cast<double>(shifted * factor));
    return out;
}

double middleTemperature(double temperatureMin, double temperatureMax)
{
    const long double middle = (static_cast<long double>(temperatureMin) + temperatureMax) / 2;
    return static_cast<double>(std::round(middle * 10) / 10);
}

MeltFit fitMelt(const ViscosityPoints &data, const MeltFitOptions &options)
{
    checkOptions(options);
    std::vector<ViscosityPoint> points;
    points.reserve(data.points.size());
    const auto inWindow = [&options](const ViscosityPoint &p) {
        return (!options.temperatureRange || options.temperatureRange->contains(p.temperature)) &&
               (!options.shearRateRange || options.shearRateRange->contains(p.shearRate));
    };
    std::copy_if(data.points.begin(), data.points.end(), std::back_inserter(points), inWindow);
    if (points.empty() && !data.points.empty()) {
        auto [tMin, tMax] = std::minmax_element(data.points.begin(), data.points.end(),
                                                [](const auto &a, const auto &b) { return a.temperature < b.temperature; });
        auto [rMin, rMax] = std::minmax_element(data.points.begin(), data.points.end(),
                                                [](const auto &a, const auto &b) { return a.shearRate < b.shearRate; });
        // "200 to 230 °C", "200 °C or more", "230 °C or less": an infinity is an open end.
        const auto range = [](const ValueRange &r, const std::string &unit) {
            if (std::isinf(r.from))
                return shown(r.to) + unit + " or less";
            if (std::isinf(r.to))
                return shown(r.from) + unit + " or more";
            return shown(r.from) + " to " + shown(r.to) + unit;
        };
        std::string window;
        if (options.temperatureRange)
            window += range(*options.temperatureRange, " °C");
        if (options.shearRateRange)
            window += (window.empty() ? "" : " and ") + range(*options.shearRateRange, " 1/s");
        throw MeltFitOptionError(MeltFitOptionError::Kind::BadOption,
                                 "no point is within " + window + "; the points lie at " + shown(tMin->temperature) +
                                     " to " + shown(tMax->temperature) + " °C and " + shown(rMin->shearRate) +
                                     " to " + shown(rMax->shearRate) + " 1/s");
    }
    if (points.size() < 2)
        throw MeltFitRejected(data.points.size() < 2 ? "a fit takes two points at least"
                                                     : "one point only within the fit window; a fit takes two at least");

    MeltFit fit{};
    fit.temperatureMin = fit.temperatureMax = points.front().temperature;
    fit.shearRateMin = fit.shearRateMax = points.front().shearRate;
    std::set<double> temperatures, shearRates;
    for (const ViscosityPoint &p : points) {
        fit.temperatureMin = std::min(fit.temperatureMin, p.temperature);
        fit.temperatureMax = std::max(fit.temperatureMax, p.temperature);
        fit.shearRateMin = std::min(fit.shearRateMin, p.shearRate);
        fit.shearRateMax = std::max(fit.shearRateMax, p.shearRate);
        temperatures.insert(p.temperature);
        shearRates.insert(p.shearRate);
    }

    enum class Mode { FitA, FixedA, FixedNA } mode = Mode::FitA;
    long double givenA = 0;  // FixedA
    long double givenNA = 0; // FixedNA: n*A, E / R
    if (options.shiftA) {
        mode = Mode::FixedA;
        givenA = *options.shiftA;
    } else if (options.activationEnergy) {
        const long double energyOverR = options.activationEnergy->joulesPerMole / GasConstant;
        if (options.activationEnergy->basis == ActivationBasis::ConstantStress) {
            mode = Mode::FixedA;
            givenA = energyOverR;
        } else {
            mode = Mode::FixedNA;
            givenNA = energyOverR;
        }
    } else if (temperatures.size() == 1 ||
               fit.temperatureMax - fit.temperatureMin <= SameTemperature * (fit.temperatureMax + 273.0)) {
        const std::string which =
            temperatures.size() == 1 ? shown(fit.temperatureMin) + " °C"
                                     : shown(fit.temperatureMin) + " °C, to within rounding: " +
                                           std::to_string(temperatures.size()) + " values less than " +
                                           shown(SameTemperature * (fit.temperatureMax + 273.0)) + " K apart";
        throw MeltFitOptionError(MeltFitOptionError::Kind::ShiftANeeded,
                                 "all points are at one temperature (" + which +
                                     "), from which A cannot be fitted: give A or an activation energy, "
                                     "or add points at a second temperature");
    }

    fit.standardShearRate = options.standardShearRate;
    fit.referenceTemperature = options.referenceTemperature.value_or(middleTemperature(fit.temperatureMin, fit.temperatureMax));
    const long double referenceInverse = 1.0L / (fit.referenceTemperature + 273.0L);
    const long double factor = pascalSecondsPer(data.unit);

    const auto rows = static_cast<Eigen::Index>(points.size());
    const Eigen::Index columns = mode == Mode::FitA ? 3 : 2;
    Matrix x(rows, columns);
    Vector y(rows);
    for (Eigen::Index i = 0; i < rows; ++i) {
        const ViscosityPoint &p = points[static_cast<std::size_t>(i)];
        const long double inverse = 1.0L / (p.temperature + 273.0L) - referenceInverse;
        const long double logRate = std::log(p.shearRate / static_cast<long double>(fit.standardShearRate));
        const long double logViscosity = std::log(p.viscosity * factor);
        x(i, 0) = 1;
        switch (mode) {
        case Mode::FitA: // ln eta = c0 + (nA) inverse + (n - 1) logRate
            x(i, 1) = inverse;
            x(i, 2) = logRate;
            y(i) = logViscosity;
            break;
        case Mode::FixedA: // ln eta + logRate = c0 + n (A inverse + logRate)
            x(i, 1) = givenA * inverse + logRate;
            y(i) = logViscosity + logRate;
            break;
        case Mode::FixedNA: // ln eta - (nA) inverse = c0 + (n - 1) logRate
            x(i, 1) = logRate;
            y(i) = logViscosity - givenNA * inverse;
            break;
        }
    }

    const std::optional<Vector> c = leastSquares(x, y);
    if (!c) {
        if (shearRates.size() == 1)
            throw MeltFitRejected("all points are at one shear rate (" + shown(fit.shearRateMin) +
                                  " 1/s), from which n cannot be fitted: add points at a second shear rate");
        if (mode == Mode::FitA)
            throw MeltFitRejected("temperature and shear rate change together in these points, so that n and A "
                                  "cannot be told apart: add points at a second shear rate at one of the "
                                  "temperatures, or give A");
        throw MeltFitRejected("these points cannot fix the melt's values: add points at other shear rates");
    }

    long double n = 0, a = 0;
    switch (mode) {
    case Mode::FitA:
        n = (*c)(2) + 1;
        a = (*c)(1) / n;
        break;
    case Mode::FixedA:
        n = (*c)(1);
        a = givenA;
        break;
    case Mode::FixedNA:
        n = (*c)(1) + 1;
        a = givenNA / n;
        break;
    }
    if (!(n > 0))
        throw MeltFitRejected("the points give n = " + shown(n) +
                              ", and n must be above 0: their viscosity falls as fast as the shear rate rises, or "
                              "faster; check the shear-rate and viscosity columns");
    if (!(a > 0))
        throw MeltFitRejected("the points give A = " + shown(a) +
                              " K, and A must be above 0: their viscosity rises with temperature; check the "
                              "temperature column");

    const long double eta0 = std::exp((*c)(0));
    fit.standardViscosityPascalSeconds = stored(eta0);
    fit.standardViscosity = stored(eta0 / PascalSecondsPerCaseUnit);
    fit.powerLawFactor = stored(n);
    fit.shiftA = stored(a);
    fit.shiftB = stored(a * referenceInverse);
    fit.shiftAFitted = mode == Mode::FitA;
    if (!std::isnormal(fit.standardViscosity))
        throw MeltFitRejected("the points give η0 = " + shown(eta0) + " Pa·s at " + shown(fit.referenceTemperature) +
                              " °C, too small for a number to hold: check the viscosity column and its unit, and "
                              "take a reference temperature within the points' range");
    // A run at the points' own temperatures must be able to shift the melt
    // there; aT is largest at the coldest and smallest at the hottest.
    for (const double t : {fit.temperatureMin, fit.temperatureMax}) {
        bool held = false;
        try {
            const double shift = std::exp(ShiftExponent(t, fit.shiftA, fit.shiftB));
            held = std::isnormal(shift);
        } catch (const MathError &) {
        }
        if (!held)
            throw MeltFitRejected("the points give A = " + shown(fit.shiftA) + " K, whose shift factor aT at " +
                                  shown(t) + " °C, one of their own temperatures, is beyond the range of numbers: "
                                  "give A or an activation energy, or take a reference temperature within the "
                                  "points' range");
    }

    // The deviations are those of the values as stored, which a run uses.
    long double sumSquares = 0;
    fit.maxDeviationPercent = 0;
    fit.points.reserve(data.points.size());
    for (const ViscosityPoint &p : data.points) {
        const long double model = modelViscosity(fit, p.temperature, p.shearRate);
        const long double deviation = 100 * (model / (p.viscosity * factor) - 1);
        const bool leftOut = !inWindow(p);
        fit.points.push_back({stored(model / factor), stored(deviation), leftOut});
        if (leftOut)
            continue;
        sumSquares += deviation * deviation;
        fit.maxDeviationPercent = std::max(fit.maxDeviationPercent, stored(std::fabs(deviation)));
    }
    fit.fittedPoints = points.size();
    fit.rmsDeviationPercent = stored(std::sqrt(sumSquares / static_cast<long double>(points.size())));
    return fit;
}

ActivationEnergy activationEnergyOf(const std::string &text, std::string_view basis)
{
    const std::size_t unitAt = text.find_first_of("kJ");
    const std::string_view number = std::string_view(text).substr(0, unitAt);
    std::string_view digits = number;
    while (!digits.empty() && digits.back() == ' ')
        digits.remove_suffix(1);
    const std::string unit = unitAt == std::string::npos ? std::string() : text.substr(unitAt);
    double value = 0;
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    const bool isNumber = !digits.empty() && r.ec == std::errc() && r.ptr == digits.data() + digits.size();
    if (!isNumber || (unit != "kJ/mol" && unit != "J/mol"))
        throw MeltFitOptionError(MeltFitOptionError::Kind::BadOption,
                                 "--activation-energy " + text + ": a number and its unit, as in 45kJ/mol or 45000J/mol");
    if (basis != "constant-stress" && basis != "constant-shear-rate")
        throw MeltFitOptionError(MeltFitOptionError::Kind::BadOption,
                                 "--activation-energy-at: constant-stress or constant-shear-rate, not " + std::string(basis));
    return {unit == "kJ/mol" ? value * 1000 : value,
            basis == "constant-stress" ? ActivationBasis::ConstantStress : ActivationBasis::ConstantShearRate};
}

ValueRange fitWindowOf(const std::string &text, const char *option, const char *unit)
{
    const std::size_t colon = text.find(':');
    double v[2] = {0, 0};
    bool ok = colon != std::string::npos;
    for (int k = 0; k < 2 && ok; ++k) {
        const std::string_view part = k == 0 ? std::string_view(text).substr(0, colon)
                                             : std::string_view(text).substr(colon + 1);
        const auto r = std::from_chars(part.data(), part.data() + part.size(), v[k]);
        ok = !part.empty() && r.ec == std::errc() && r.ptr == part.data() + part.size() && std::isfinite(v[k]);
    }
    if (!ok || v[0] > v[1])
        throw MeltFitOptionError(MeltFitOptionError::Kind::BadOption,
                                 std::string(option) + " " + text + ": the lowest and the highest value fitted, in " +
                                     unit + ", as in " + (unit[0] == '1' ? "10:1000" : "200:260") + "; both are included");
    return ValueRange{v[0], v[1]};
}

} // namespace sf
