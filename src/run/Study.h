#pragma once

// What the study window shows for the field texts as they stand: the case's
// point with every screen's details, its findings, and the total pressure
// drop against flow rate around the operating point at three temperatures.
// Everything is computed through the point evaluator, so each number is the
// one a single run of that case would give.

#include "calc/FieldTexts.h"
#include "run/Diagnoses.h"
#include "run/Limit.h"
#include "run/Solve.h"
#include "run/PointEvaluator.h"

#include <optional>
#include <utility>
#include <vector>

namespace sf {

// The chart's flow rates run from a quarter of the case's to twice it, at
// the case's temperature and this many degrees either side.
constexpr double StudyFlowFrom = 0.25;
constexpr double StudyFlowTo = 2.0;
constexpr double StudyTemperatureStep = 20; // °C
// Points per curve: the curves are smooth, so straight pieces between this
// many points are closer than a pixel in the window's chart.
constexpr int StudyCurvePoints = 97;

struct StudyRequest {
    FieldTexts texts;
    char separator = '.';
    std::optional<ValidityRange> range; // the melt's fit range, when it has one
    std::optional<PressureLimit> limit; // on the total: where each curve reaches it
    // The curves' temperatures (°C) and flow range (kg/hr) when the case's
    // study gives them; the defaults above otherwise.
    std::vector<double> temperatures{};
    std::optional<std::pair<double, double>> flowRange{};
};

struct StudyCurve {
    double temperature = 0; // °C
    // (flow rate kg/hr, total kgf/cm2), flow rate ascending; points that do
    // not compute are left out.
    std::vector<std::pair<double, double>> points;
    // With a limit: solveLimit's answer for the flow rate over the curve's
    // range, at the curve's temperature.
    std::optional<SolveAnswer> limit;
};

struct Study {
    PointResult point; // the case as a run computes it, with details
    // diagnose()'s findings; when the point stopped and no error among them
    // says why, the finding of where its arithmetic stopped comes first.
    std::vector<Finding> findings;
    double flowRate = 0, temperature = 0; // as the case read them, when `curves` is not empty
    // At temperature - step, temperature, temperature + step, or at the
    // request's temperatures; empty when the point did not compute.
    std::vector<StudyCurve> curves;
    // The curve at the case's own temperature; curves.size() when none is.
    std::size_t caseCurve = 0;
};

Study computeStudy(const StudyRequest &request);

// The curves' flow rates for a case's flow rate `q`, ascending.
std::vector<double> studyFlowRates(double q);
// The same over a range of its own, `from` below `to` (kg/hr).
std::vector<double> studyFlowRates(double from, double to);

} // namespace sf
