// The study's curves as files: flow rates down, a column per temperature,
// the limit answers below, with either decimal separator.
#include "export/StudyCurves.h"

#include <gtest/gtest.h>

namespace sf {
namespace {

SolveAnswer found(double lo, double hi, double measureLo, double measureHi)
{
    SolveAnswer a;
    a.outcome = SolveOutcome::Found;
    a.lo = lo;
    a.hi = hi;
    a.measureLo = measureLo;
    a.measureHi = measureHi;
    return a;
}

// Two curves over three flow rates; the hotter one misses its last point.
Study twoCurves(bool withAnswers)
{
    Study s;
    s.curves.push_back({190, {{25, 10}, {50, 20}, {75.5, 30}}, std::nullopt});
    s.curves.push_back({212.5, {{25, 5}, {50, 10}}, std::nullopt});
    if (withAnswers) {
        s.curves[0].limit = found(37.5, 37.500000000000007, 14.999, 15.0001);
        SolveAnswer missed;
        missed.outcome = SolveOutcome::NotReached;
        missed.message = "flow_rate: the total stays below the limit of 15 kgf/cm2 from 25 to 50 kg/hr";
        s.curves[1].limit = missed;
    }
    return s;
}

TEST(StudyCurves, CsvHoldsEveryCurveAndTheLimitAnswersBelow)
{
    const PressureUnit kgf = *pressureUnitNamed("kgf/cm2");
    const PressureUnit bar = *pressureUnitNamed("bar");
    const struct {
        const char *name;
        bool answers;
        PressureUnit unit;
        char separator;
        const char *expected;
    } rows[] = {
        {"no limit, kgf/cm2", false, kgf, '.',
         "flow_rate_kg_per_h,total_kgf_per_cm2_190C,total_kgf_per_cm2_212.5C\n"
         "25,10,5\n"
         "50,20,10\n"
         "75.5,30,\n"},
        {"a limit, bar, decimal comma", true, bar, ',',
         "flow_rate_kg_per_h;total_bar_190C;total_bar_212.5C\n"
         "25;9,80665;4,903325\n"
         "50;19,6133;9,80665\n"
         "75,5;29,41995;\n"
         "\n"
         "limit;screen 3 15 kgf/cm2\n"
         "temperature_C;flow_rate_kg_per_h;drop_3_bar;outcome;message\n"
         "190;37,5;14,708994335;found;\n"
         "212,5;;;not-reached;flow_rate: the total stays below the limit of 15 kgf/cm2 from 25 to 50 kg/hr\n"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<PressureLimit> limit =
            row.answers ? std::optional(PressureLimit{3, 15, kgf}) : std::nullopt;
        EXPECT_EQ(studyCurvesCsv(twoCurves(row.answers), row.unit, limit, row.separator), row.expected);
    }
}

} // namespace
} // namespace sf
