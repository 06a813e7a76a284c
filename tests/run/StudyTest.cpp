// The study behind the study window: the curves around the operating point
// and the findings of a case that does not compute.

#include "run/Study.h"
#include "run/Sweep.h"

#include <gtest/gtest.h>

namespace sf {
namespace {

// The total of a single run of the worked example with these texts.
double totalWith(Field a, const char *textA, Field b, const char *textB)
{
    FieldTexts t = FieldTexts::defaults();
    t[a] = textA;
    t[b] = textB;
    const Study s = computeStudy({t, '.', std::nullopt, std::nullopt});
    EXPECT_TRUE(s.point.ok()) << s.point.message;
    return s.point.total;
}

TEST(Study, CurvesRunFromAQuarterToTwiceTheFlowRateAtTheTemperatureAndTwentyEitherSide)
{
    const PressureLimit limit{0, 298, *pressureUnitNamed("kgf/cm2")};
    // Decimal commas and a temperature with a fraction: each curve's case is written with the case's separator.
    FieldTexts comma = FieldTexts::defaults();
    for (const InputField &f : InputFields)
        std::replace(comma[f.id].begin(), comma[f.id].end(), '.', ',');
    comma[Field::Temperature] = "290,5";
    const Study s = computeStudy({comma, ',', std::nullopt, limit});
    ASSERT_TRUE(s.point.ok());
    EXPECT_NEAR(s.point.screens[0].wallShearRate, 2295.80420416, 1e-6); // the point with each screen's details
    ASSERT_EQ(s.curves.size(), 3u);
    const std::pair<double, const char *> rows[] = {{270.5, "270.5"}, {290.5, "290.5"}, {310.5, "310.5"}};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(rows[i].second);
        const StudyCurve &c = s.curves[i];
        EXPECT_EQ(c.temperature, rows[i].first);
        ASSERT_EQ(c.points.size(), 97u);
        EXPECT_EQ(c.points.front().first, 14.25);
        EXPECT_EQ(c.points[1].first, 15.2890625); // 14.25 + (114 - 14.25) / 96
        EXPECT_EQ(c.points.back().first, 114.0);
        // Each end as a single run of the case at that flow rate and temperature.
        EXPECT_EQ(c.points.front().second, totalWith(Field::FlowRate, "14.25", Field::Temperature, rows[i].second));
        EXPECT_EQ(c.points.back().second, totalWith(Field::FlowRate, "114", Field::Temperature, rows[i].second));
        // The limit solved at the curve's own temperature.
        FieldTexts t = FieldTexts::defaults();
        t[Field::Temperature] = rows[i].second;
        const SolveAnswer expected = solveLimit(t, '.', Field::FlowRate, limit, {14.25, 114});
        ASSERT_TRUE(c.limit.has_value());
        EXPECT_EQ(c.limit->outcome, expected.outcome);
        EXPECT_EQ(c.limit->within(), expected.within());
    }
    // 298 kgf/cm2 is below the whole 270.5 ℃ curve (298.51 at its start) and on the others.
    EXPECT_EQ(s.curves[0].limit->outcome, SolveOutcome::NotReached);
    EXPECT_EQ(s.curves[1].limit->outcome, SolveOutcome::Found);
}

TEST(Study, ACaseThatDoesNotComputeHasNoCurvesAndItsFirstFindingSaysWhere)
{
    const struct {
        Field field;
        const char *text, *code, *key;
    } rows[] = {
        {Field::ScreenCount, "x", "bad-count", "pack.count"},
        {Field::FlowRate, "", "unreadable", "process.flow_rate"},
        // No check of the inputs explains it: where the arithmetic stopped.
        {Field::Temperature, "-272.9", "arithmetic", "melt.shift_a"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.code);
        FieldTexts t = FieldTexts::defaults();
        t[row.field] = row.text;
        const Study s = computeStudy({t, '.', std::nullopt, std::nullopt});
        EXPECT_FALSE(s.point.ok());
        EXPECT_TRUE(s.curves.empty());
        ASSERT_FALSE(s.findings.empty());
        EXPECT_EQ(s.findings[0].code, row.code);
        EXPECT_EQ(s.findings[0].key, row.key);
    }
}

} // namespace
} // namespace sf
