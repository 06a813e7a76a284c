#include "MeltTexts.h"

#include "calc/Errors.h"
#include "calc/NumberReaders.h"
#include "calc/QuotedText.h"
#include "io/NumberText.h"

#include <charconv>
#include <cmath>
#include <map>

namespace sf {

namespace {

std::string significant6(double v)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    return std::string(buf, r.ptr);
}

std::string signedPercent(double v)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
    const std::string text(buf, r.ptr);
    // A deviation that rounds to nothing has no sign worth showing.
    if (text == "-0.00")
        return "+0.00";
    return text.front() == '-' ? text : "+" + text;
}

// The value of `text` as the window's reader takes it, or nullopt after
// putting what is wrong into `problem`.
std::optional<double> readValue(const std::string &text, char separator, std::string &problem)
{
    try {
        return readDecimal(text, separator);
    } catch (const OverflowError &) {
        problem = quotedText(text, "'", "'") + " is beyond the range of numbers";
    } catch (const ScreenFilterError &) {
        problem = text.empty() ? "empty; give it as a number"
                               : quotedText(text, "'", "'") + " is not a number; write digits with '" +
                                     std::string(1, separator) + "' as the decimal separator";
    }
    return std::nullopt;
}

} // namespace

FieldTexts meltTexts(const MeltFit &fit)
{
    FieldTexts texts;
    texts[Field::StandardViscosity] = shortest(fit.standardViscosity);
    texts[Field::StandardShearRate] = shortest(fit.standardShearRate);
    texts[Field::PowerLawFactor] = shortest(fit.powerLawFactor);
    texts[Field::ShiftA] = shortest(fit.shiftA);
    texts[Field::ShiftB] = shortest(fit.shiftB);
    return texts;
}

std::string fitViscosityText(const MeltFit &fit, ViscosityUnit unit)
{
    switch (unit) {
    case ViscosityUnit::GramForceSecondPerSquareCentimetre:
        return shortest(fit.standardViscosity);
    case ViscosityUnit::PascalSecond:
        return shortest(fit.standardViscosityPascalSeconds);
    default:
        return shortest(static_cast<double>(fit.standardViscosityPascalSeconds / pascalSecondsPer(unit)));
    }
}

MeltFitRange meltFitRange(const MeltFit &fit, const std::string &source)
{
    return {fit.temperatureMin,
            fit.temperatureMax,
            fit.shearRateMin,
            fit.shearRateMax,
            static_cast<std::int64_t>(fit.fittedPoints),
            source,
            fit.rmsDeviationPercent,
            fit.maxDeviationPercent};
}

std::vector<FitRow> fitRows(const ViscosityPoints &points, const MeltFit &fit)
{
    std::vector<FitRow> rows;
    rows.reserve(points.points.size());
    for (std::size_t i = 0; i < points.points.size(); ++i) {
        const ViscosityPoint &p = points.points[i];
        rows.push_back({significant6(p.temperature), significant6(p.shearRate), significant6(p.viscosity),
                        significant6(fit.points[i].fitted), signedPercent(fit.points[i].deviationPercent)});
    }
    return rows;
}

std::vector<FitCurve> fitCurves(const ViscosityPoints &points, const MeltFit &fit, int linePoints,
                                std::size_t maxLines)
{
    std::map<double, FitCurve> byTemperature;
    for (std::size_t i = 0; i < points.points.size(); ++i) {
        const ViscosityPoint &p = points.points[i];
        FitCurve &curve = byTemperature[p.temperature];
        curve.temperature = p.temperature;
        curve.measured.emplace_back(p.shearRate, p.viscosity);
        curve.deviations.push_back(std::fabs(fit.points[i].deviationPercent));
    }
    const long double factor = pascalSecondsPer(points.unit);
    const double logMin = std::log(fit.shearRateMin);
    const double logMax = std::log(fit.shearRateMax);
    std::vector<double> rates;
    for (int k = 0; k < linePoints; ++k)
        rates.push_back(std::exp(logMin + (logMax - logMin) * k / (linePoints - 1)));
    const FittedLines lines(fit, rates);
    std::vector<FitCurve> curves;
    curves.reserve(byTemperature.size());
    for (auto &[temperature, curve] : byTemperature)
        curves.push_back(std::move(curve));
    const std::size_t count = curves.size();
    const std::size_t drawn = std::min(count, std::max<std::size_t>(maxLines, 2));
    for (std::size_t k = 0; k < drawn; ++k) {
        FitCurve &curve = curves[drawn == count ? k : k * (count - 1) / (drawn - 1)];
        const std::vector<double> viscosities = lines.at(curve.temperature);
        for (std::size_t r = 0; r < rates.size(); ++r)
            curve.fitted.emplace_back(rates[r], static_cast<double>(viscosities[r] / factor));
    }
    return curves;
}

TypedMelt readTypedMelt(const FieldTexts &typed, ViscosityUnit viscosityUnit, char separator)
{
    TypedMelt melt;
    for (Field f : MeltFields) {
        std::string problem;
        const std::optional<double> value = readValue(typed[f], separator, problem);
        if (!value) {
            melt.problems.push_back(std::string(inputField(f).caption) + ": " + problem);
            continue;
        }
        if (f == Field::StandardViscosity && viscosityUnit != ViscosityUnit::GramForceSecondPerSquareCentimetre) {
            melt.texts[f] = shortest(static_cast<double>(
                *value * pascalSecondsPer(viscosityUnit) /
                pascalSecondsPer(ViscosityUnit::GramForceSecondPerSquareCentimetre)));
            continue;
        }
        // A text that reads has no "." unless that is the separator.
        melt.texts[f] = typed[f];
        for (char &c : melt.texts[f])
            if (c == separator)
                c = '.';
    }
    return melt;
}

std::optional<std::string> viscosityTextIn(std::string_view text, ViscosityUnit from, ViscosityUnit to,
                                           char separator)
{
    std::string problem;
    const std::optional<double> value = readValue(std::string(text), separator, problem);
    if (!value)
        return std::nullopt;
    const double converted = static_cast<double>(*value * pascalSecondsPer(from) / pascalSecondsPer(to));
    if (!std::isfinite(converted))
        return std::nullopt;
    std::string out = shortest(converted);
    for (char &c : out)
        if (c == '.')
            c = separator;
    return out;
}

} // namespace sf
