#include "run/Study.h"

#include "run/CasePoint.h"
#include "run/Sweep.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace sf {

std::vector<double> studyFlowRates(double q)
{
    return studyFlowRates(q * StudyFlowFrom, q * StudyFlowTo);
}

std::vector<double> studyFlowRates(double from, double to)
{
    std::vector<double> rates(StudyCurvePoints);
    for (int i = 0; i < StudyCurvePoints; ++i)
        rates[static_cast<std::size_t>(i)] = from + (to - from) * i / (StudyCurvePoints - 1);
    // The last one exactly, not a rounding short of it.
    rates.back() = to;
    return rates;
}

Study computeStudy(const StudyRequest &request)
{
    Study study;
    CasePoint single = evaluateCase(request.texts, request.separator, request.range);
    study.point = single.point;
    study.findings = std::move(single.findings);
    if (!study.point.ok()) {
        if (single.fault)
            study.findings.insert(study.findings.begin(), *single.fault);
        return study;
    }

    study.flowRate = single.computed.FlowRate;
    study.temperature = single.computed.Temperature;
    // Temperature outer, so the evaluator shifts the melt once per curve.
    PointEvaluator curves(request.texts, request.separator, {Field::Temperature, Field::FlowRate}, false);
    const std::vector<double> rates = request.flowRange
                                          ? studyFlowRates(request.flowRange->first, request.flowRange->second)
                                          : studyFlowRates(study.flowRate);
    std::vector<double> temperatures = request.temperatures;
    if (temperatures.empty())
        for (double dt : {-StudyTemperatureStep, 0.0, StudyTemperatureStep})
            temperatures.push_back(study.temperature + dt);
    study.caseCurve = static_cast<std::size_t>(std::find(temperatures.begin(), temperatures.end(), study.temperature) -
                                               temperatures.begin());
    for (double t : temperatures) {
        StudyCurve curve;
        curve.temperature = t;
        curve.points.reserve(rates.size());
        for (double q : rates) {
            const std::array<double, 2> values{curve.temperature, q};
            const PointResult &p = curves.evaluate(values);
            if (p.ok() && std::isfinite(p.total))
                curve.points.emplace_back(q, p.total);
        }
        if (request.limit) {
            // The curve's case as its texts, so that the answer is the one
            // a solve of that case gives.
            FieldTexts texts = request.texts;
            if (t != study.temperature) {
                std::string t = shortest(curve.temperature);
                std::replace(t.begin(), t.end(), '.', request.separator);
                texts[Field::Temperature] = t;
            }
            curve.limit = solveLimit(texts, request.separator, Field::FlowRate, *request.limit,
                                     {rates.front(), rates.back()});
        }
        study.curves.push_back(std::move(curve));
    }
    return study;
}

} // namespace sf
