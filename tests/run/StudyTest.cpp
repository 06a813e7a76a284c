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
    const PressureLimit limit{0, 300, *pressureUnitNamed("kgf/cm2")};
    const Study s = computeStudy({FieldTexts::defaults(), '.', std::nullopt, limit});
    ASSERT_TRUE(s.point.ok());
    ASSERT_EQ(s.curves.size(), 3u);
    const struct {
        double temperature;
        const char *text;
    } rows[] = {{270, "270"}, {290, "290"}, {310, "310"}};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(rows[i].text);
        const StudyCurve &c = s.curves[i];
        EXPECT_EQ(c.temperature, rows[i].temperature);
        ASSERT_EQ(c.points.size(), 97u);
        EXPECT_EQ(c.points.front().first, 14.25);
        EXPECT_EQ(c.points.back().first, 114.0);
        // Each end as a single run of the case at that flow rate and temperature.
        EXPECT_EQ(c.points.front().second, totalWith(Field::FlowRate, "14.25", Field::Temperature, rows[i].text));
        EXPECT_EQ(c.points.back().second, totalWith(Field::FlowRate, "114", Field::Temperature, rows[i].text));
        // The limit solved at the curve's own temperature.
        FieldTexts t = FieldTexts::defaults();
        t[Field::Temperature] = rows[i].text;
        const SolveAnswer expected = solveLimit(t, '.', Field::FlowRate, limit, {14.25, 114});
        ASSERT_TRUE(c.limit.has_value());
        EXPECT_EQ(c.limit->outcome, expected.outcome);
        EXPECT_EQ(c.limit->within(), expected.within());
    }
    // 300 kgf/cm2 is below the whole 270 ℃ curve and on the others.
    EXPECT_EQ(s.curves[0].limit->outcome, SolveOutcome::NotReached);
    EXPECT_EQ(s.curves[1].limit->outcome, SolveOutcome::Found);
}

TEST(Study, ACaseThatDoesNotComputeHasNoCurvesAndItsFirstFindingSaysWhere)
{
    const struct {
        Field field;
        const char *text;
        const char *code;
        const char *key;
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
