#include "calc/InputFields.h"
#include "report/ReportWriter.h"
#include "run/CaseRun.h"
#include "run/Solve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace sf {
namespace {

using Texts = std::vector<std::pair<Field, const char *>>;

FieldTexts workedExample(const Texts &changes, char separator = '.')
{
    FieldTexts texts = FieldTexts::defaults();
    for (const auto &[field, text] : changes)
        texts[field] = text;
    if (separator != '.')
        for (int i = 0; i < FieldCount; ++i)
            std::replace(texts[fieldAt(static_cast<std::size_t>(i))].begin(),
                         texts[fieldAt(static_cast<std::size_t>(i))].end(), '.', separator);
    return texts;
}

// The limited pressure of one ordinary run of the case with `key` set to
// the text of `value`, as a case file holding that text would give it.
double singleRun(FieldTexts texts, char separator, Field key, double value, int screen)
{
    std::string text = shortest(value);
    std::replace(text.begin(), text.end(), '.', separator);
    texts[key] = text;
    double pressure = NAN;
    const RunOutcome outcome = runCase(texts, separator, [&](const FilterCase &c, const PackTotal &total) {
        pressure = screen == 0 ? total.value : c.Screens[static_cast<std::size_t>(screen - 1)].PressDrop;
        return ReportResult::Written;
    });
    EXPECT_EQ(outcome.kind, RunOutcome::Kind::Written) << outcome.text;
    return pressure;
}

TEST(Solve, FindsTwoAdjacentDoublesThatSingleRunsPutEitherSideOfTheLimit)
{
    const struct {
        const char *name;
        Texts changes;
        char separator;
        Field key;
        const char *limit;
        SolveRange range;
        bool rises;
        double about, within; // the answer as sweeps of single runs put it, when known
    } rows[] = {
        // 150 bar at about 9.01 kg/hr (from 8.9, before the second sample); at 120 kg/hr, 100 bar at 373 degrees.
        {"flow rate", {}, '.', Field::FlowRate, "total=150bar", {0.57, 5700}, true, 9.01, 0.01},
        {"temperature", {{Field::FlowRate, "120"}}, '.', Field::Temperature, "total=100bar", {90, 490}, false, 373, 1},
        {"flow rate, comma", {}, ',', Field::FlowRate, "total=15MPa", {8.9, 57}, true, 9.01, 0.01},
        // The limit the case's own total: the case's flow rate and density meet it.
        {"flow rate, met just", {}, '.', Field::FlowRate, "total=363.3168215683853kgf/cm2", {0.57, 5700}, true, 57, 1e-12},
        {"density, met just", {}, '.', Field::Density, "total=363.3168215683853kgf/cm2", {0.096, 9.6}, false, 0.96, 1e-12},
        // Ranges of some 60 doubles, sampled one or two apart, where 21 and 17
        // pairs of neighbours give one total: no turn.
        {"flow rate, met in a range of ulps", {}, '.', Field::FlowRate, "total=363.3168215683853kgf/cm2",
         {56.9999999999998, 57.0000000000002}, true, 57, 1e-13},
        {"density, met in a range of ulps", {}, '.', Field::Density, "total=363.3168215683853kgf/cm2",
         {0.959999999999996, 0.960000000000004}, false, 0.96, 1e-15},
        {"wire, the last screen's drop", {{Field::ScreenCount, "11"}}, '.', wireField(11), "drop.11=60kgf/cm2",
         {0.00254, 0.01016}, true, 0.00508, 0.0001},
        {"shift b", {}, '.', Field::ShiftB, "total=2000psi", {20, 30}, false, NAN, 0},
        {"mesh, comma", {}, ',', meshField(5), "total=400bar", {25, 90}, true, NAN, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const FieldTexts texts = workedExample(row.changes, row.separator);
        const PressureLimit limit = parseLimit(row.limit);
        const SolveAnswer a = solveLimit(texts, row.separator, row.key, limit, row.range);
        ASSERT_EQ(a.outcome, SolveOutcome::Found) << a.message;
        EXPECT_EQ(std::nextafter(a.lo, INFINITY), a.hi);
        EXPECT_EQ(a.rises, row.rises);
        if (!std::isnan(row.about)) {
            EXPECT_NEAR(a.within(), row.about, row.within);
        }
        // 33 samples, the case's own value, 64 halvings at most, the pair again.
        EXPECT_LE(a.evaluations, 100);

        const double atLo = singleRun(texts, row.separator, row.key, a.lo, limit.screen);
        const double atHi = singleRun(texts, row.separator, row.key, a.hi, limit.screen);
        EXPECT_EQ(atLo, a.measureLo);
        EXPECT_EQ(atHi, a.measureHi);
        const double toUnit = limit.unit.perKgfCm2;
        EXPECT_EQ(atLo * toUnit <= limit.value, row.rises) << atLo << " at " << a.lo << ", limit " << row.limit;
        EXPECT_EQ(atHi * toUnit <= limit.value, !row.rises) << atHi << " at " << a.hi << ", limit " << row.limit;
        EXPECT_TRUE(a.atLo.ok() && a.atHi.ok());
        EXPECT_GT(a.pointWithin().screens[0].wallShearRate, 0); // details, for diagnoses
    }
}

TEST(Solve, SaysWhyThereIsNoAnswer)
{
    const struct {
        const char *name;
        Texts changes;
        Field key;
        const char *limit;
        SolveRange range;
        SolveOutcome outcome;
        std::string message; // its start
    } rows[] = {
        // The total goes as the flow rate to the n: 363.3168215683853 kgf/cm2
        // (Q / 57)^0.469 * 0.980665 bar, 3088.92 at 5700, 335.056 at 50.
        {"never reached", {}, Field::FlowRate, "total=10000bar", {0.57, 5700}, SolveOutcome::NotReached,
         "process.flow_rate: the total stays below the limit of 10000 bar from 0.57 to 5700 kg/hr (at most 3088.92 "
         "bar, at 5700 kg/hr)"},
        {"exceeded throughout", {}, Field::FlowRate, "total=150bar", {50, 60}, SolveOutcome::NotReached,
         "process.flow_rate: the total is above the limit of 150 bar all from 50 to 60 kg/hr (at least 335.056 bar, "
         "at 50 kg/hr)"},
        {"a limit at the least double", {}, Field::FlowRate, "total=4.9e-324psi", {50, 60}, SolveOutcome::NotReached,
         "process.flow_rate: the total is above the limit of 5e-324 psi all from 50 to 60 kg/hr (at least "},
        {"a limit of seven digits", {}, Field::FlowRate, "total=1234567bar", {50, 60}, SolveOutcome::NotReached,
         "process.flow_rate: the total stays below the limit of 1234567 bar from 50 to 60 kg/hr (at most "},
        // Screen 1's pitch is 2.54 / 30 = 0.0847 cm: thicker wire leaves no opening.
        {"a fault in range", {}, wireField(1), "total=150bar", {0.01, 0.1}, SolveOutcome::Fault,
         "screens.1.wire: at 0.0870312499999996 cm (searching from 0.01 to 0.1 cm) the case does not compute: "
         "screens.1.wire: no opening left at screen 1: wire 0.0870312499999996 cm ≥ pitch 0.08467 cm"},
        // -300 still computes (a tiny shift factor); the next sample's is zero.
        {"below absolute zero", {}, Field::Temperature, "total=150bar", {-300, 100}, SolveOutcome::Fault,
         "process.temperature: at -287.5 ℃ (searching from -300 to 100 ℃) the case does not compute: "
         "process.temperature: the melt temperature -287.5 ℃ is at or below absolute zero"},
        {"unreadable case", {{Field::Density, "x"}}, Field::FlowRate, "drop.1=10bar", {1, 100}, SolveOutcome::Fault,
         "process.flow_rate: at 1 kg/hr (searching from 1 to 100 kg/hr) the case does not compute: process.density: 'x' "},
        {"no change", {}, wireField(2), "drop.1=10bar", {0.02, 0.03}, SolveOutcome::NotMonotone,
         "screens.2.wire: screen 1's drop does not change from 0.02 to 0.03 cm ("},
        {"count", {}, Field::ScreenCount, "total=150bar", {1, 12}, SolveOutcome::Refused,
         "pack.count: the number of screens is a whole number"},
        {"power law factor", {}, Field::PowerLawFactor, "total=150bar", {0.3, 0.6}, SolveOutcome::Refused,
         "melt.power_law_factor: the total need not be monotone"},
        {"empty range", {}, Field::FlowRate, "total=150bar", {10, 1}, SolveOutcome::Refused,
         "process.flow_rate: the range from 10 to 1 kg/hr holds no values"},
        {"below zero", {}, Field::Density, "total=150bar", {0, 2}, SolveOutcome::Refused,
         "process.density: only values above zero make sense"},
        {"screen not in use", {{Field::ScreenCount, "4"}}, meshField(5), "total=150bar", {25, 100},
         SolveOutcome::Refused, "screens.5.mesh: screen 5 is beyond the 4 screen(s) in use"},
        {"drop not in use", {{Field::ScreenCount, "4"}}, Field::FlowRate, "drop.5=1bar", {1, 100},
         SolveOutcome::Refused, "process.flow_rate: the limit is on screen 5, beyond the 4 screen(s) in use"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const SolveAnswer a = solveLimit(workedExample(row.changes), '.', row.key, parseLimit(row.limit), row.range);
        EXPECT_EQ(a.outcome, row.outcome) << a.message;
        EXPECT_EQ(a.message.substr(0, row.message.size()), row.message) << a.message;
    }
}

TEST(Solve, DefaultRangesLieAroundTheCaseValue)
{
    const struct {
        Field key;
        double current, from, to;
    } rows[] = {
        {Field::FlowRate, 57, 0.57, 5700},
        {Field::FlowRate, 0, 0.57, 5700}, // the worked example's, when the case's is no flow
        {Field::Temperature, 290, 90, 490},
        {meshField(3), 30, 15, 60},
        {Field::ShiftA, 15180, 11385, 18975},
        // Near the ends of the doubles: still a range with values in it.
        {Field::FlowRate, 1e307, 1e305, 1.7976931348623157e308},
        {Field::Density, 4.9406564584124654e-324, 4.9406564584124654e-324, 4.9406564584124654e-323},
        {Field::ShiftA, -1.7e308, -1.7976931348623157e308, -1.2749999999999999e308},
    };
    for (const auto &row : rows) {
        const SolveRange r = defaultSolveRange(row.key, row.current);
        EXPECT_EQ(r.from, row.from) << keyOfField(row.key) << " at " << row.current;
        EXPECT_EQ(r.to, row.to) << keyOfField(row.key) << " at " << row.current;
    }
}

} // namespace
} // namespace sf
