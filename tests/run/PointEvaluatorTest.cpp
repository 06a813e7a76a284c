#include "calc/InputFields.h"
#include "run/CaseRun.h"
#include "run/PointEvaluator.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

namespace sf {
namespace {

// Relative agreement to `digits` significant digits.
::testing::AssertionResult near(double actual, double expected, double rel = 1e-11)
{
    if (std::fabs(actual - expected) <= rel * std::fabs(expected))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " is not " << expected;
}

const PointResult &single(PointEvaluator &e) { return e.evaluate({}); }

TEST(PointEvaluator, ScreenDetailsOfTwoMelts)
{
    // Expected values from the model's formulas in 40-digit decimal
    // arithmetic on the same inputs (C = 4000 * 2.54^2 / (3600 * 3.1415926)).
    FieldTexts other = FieldTexts::defaults();
    for (const auto &[field, text] : std::vector<std::pair<Field, const char *>>{
             {Field::FlowRate, "120"}, {Field::ScreenDiameter, "5"}, {Field::Density, "0.75"},
             {Field::Temperature, "250"}, {Field::StandardViscosity, "20"}, {Field::StandardShearRate, "50"},
             {Field::PowerLawFactor, "0.35"}, {Field::ShiftA, "8000"}, {Field::ShiftB, "14"},
             {Field::ScreenCount, "2"}, {meshField(1), "40"}, {wireField(1), "0.025"},
             {meshField(2), "100"}, {wireField(2), "0.011"}})
        other[field] = text;
    const struct {
        const char *melt;
        int screen;
        double openArea, wallShearRate, apparentViscosityPaS, drop;
    } rows[] = {
        {"worked example", 1, 0.425165608531, 2295.80420416, 177.589610375, 17.7485520935},
        {"worked example", 5, 0.25, 8486.15137728, 88.7010042478, 61.4056909843},
        {"worked example", 11, 0.36, 19643.8689289, 56.802886626, 60.6841797985},
        {"worked example", 12, 0.462828445657, 13475.6807699, 69.3877058589, 35.8438660431},
        {"other melt", 1, 0.367598735197, 1873.56460709, 292.885799435, 29.0680286582},
        {"other melt", 2, 0.321408642817, 5729.05997331, 141.637666716, 50.5663535461},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.melt) + ", screen " + std::to_string(row.screen));
        const bool worked = std::string(row.melt) == "worked example";
        PointEvaluator e(worked ? FieldTexts::defaults() : other, '.', {}, true);
        const PointResult &p = single(e);
        ASSERT_TRUE(p.ok()) << p.message;
        const ScreenResult &s = p.screens[static_cast<std::size_t>(row.screen - 1)];
        EXPECT_TRUE(near(s.openArea, row.openArea));
        EXPECT_TRUE(near(s.wallShearRate, row.wallShearRate));
        EXPECT_TRUE(near(s.apparentViscosity, row.apparentViscosityPaS));
        EXPECT_TRUE(near(s.pressureDrop, row.drop));
    }
}

TEST(PointEvaluator, ApparentViscosityIsThePowerLawAtTheWallShearRate)
{
    // The viscosity comes from dP = 8 eta_a gw w / a; it must be the melt's
    // own eta0' (gw / SR0')^(n - 1) on every screen of many packs and melts.
    int screensChecked = 0;
    for (const char *n : {"0.2", "0.469", "0.8", "1", "1.3"})
        for (const char *t : {"180", "290", "350"})
            for (const char *mesh : {"20", "60", "325"}) {
                FieldTexts texts = FieldTexts::defaults();
                texts[Field::PowerLawFactor] = n;
                texts[Field::Temperature] = t;
                for (int k = 1; k <= MaxScreens; k += 3)
                    texts[meshField(k)] = mesh;
                PointEvaluator e(texts, '.', {}, true);
                const PointResult &p = single(e);
                if (!p.ok())
                    continue; // a wire thicker than a 325 mesh's pitch
                const FilterCase &c = e.lastCase();
                for (int i = 0; i < p.screenCount; ++i) {
                    SCOPED_TRACE(std::string("n ") + n + ", T " + t + ", mesh " + mesh + ", screen " + std::to_string(i + 1));
                    const ScreenResult &s = p.screens[static_cast<std::size_t>(i)];
                    const long double power = std::pow(static_cast<long double>(s.wallShearRate) / c.ShiftedShearRate,
                                                       static_cast<long double>(c.PowerLawFactor) - 1);
                    EXPECT_TRUE(near(s.apparentViscosity, static_cast<double>(c.ShiftedViscosity * power * 98.0665L), 1e-12));
                    ++screensChecked;
                }
            }
    EXPECT_GT(screensChecked, 300);
}

TEST(PointEvaluator, FaultsSayWhereTheyHappened)
{
    const struct {
        const char *name;
        std::vector<std::pair<Field, const char *>> texts;
        PointStatus status;
        RunStep step;
        int screen;
        const char *message;
    } rows[] = {
        {"count 0", {{Field::ScreenCount, "0"}}, PointStatus::Rejected, RunStep::Reading, 0,
         "<Number of Screens> is not correct!"},
        {"flow rate abc", {{Field::FlowRate, "abc"}}, PointStatus::Failed, RunStep::Reading, 0,
         "'abc' は浮動小数点数ではありません."},
        {"absolute zero", {{Field::Temperature, "-273"}}, PointStatus::Failed, RunStep::Shift, 0,
         "0 による浮動小数点数除算."},
        {"mesh 0 at screen 5", {{meshField(5), "0"}}, PointStatus::Failed, RunStep::Opening, 5,
         "0 による浮動小数点数除算."},
        {"wire as thick as the pitch", {{wireField(1), "0.08467"}}, PointStatus::Failed, RunStep::ScreenFactor, 1,
         "不正な浮動小数点数演算命令."},
        {"wire beyond the pitch at screen 3", {{wireField(3), "0.1"}}, PointStatus::Failed, RunStep::ScreenFactor, 3,
         "不正な浮動小数点数演算命令."},
        {"density 0", {{Field::Density, "0"}}, PointStatus::Failed, RunStep::PressureDrop, 1,
         "0 による浮動小数点数除算."},
        {"negative flow rate", {{Field::FlowRate, "-57"}}, PointStatus::Failed, RunStep::PressureDrop, 1,
         "不正な浮動小数点数演算命令."},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        FieldTexts texts = FieldTexts::defaults();
        for (const auto &[field, text] : row.texts)
            texts[field] = text;
        PointEvaluator e(texts, '.', {}, true);
        const PointResult &p = single(e);
        EXPECT_EQ(p.status, row.status);
        EXPECT_EQ(p.step, row.step);
        EXPECT_EQ(p.faultScreen, row.screen);
        EXPECT_EQ(p.message, row.message);
    }
}

bool sameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

TEST(PointEvaluator, KeptGeometryAndShiftGiveTheBitsOfAFreshEvaluation)
{
    // One evaluator walks a grid whose neighbours share the shift or the
    // geometry; each point must equal a fresh evaluator's, details included,
    // and its faults must be the fresh one's too.
    const std::vector<Field> varied = {Field::Temperature, wireField(3), Field::ScreenCount};
    FieldTexts comma = FieldTexts::defaults();
    for (const InputField &f : InputFields)
        for (char &ch : comma[f.id])
            if (ch == '.' && f.id != Field::SaveFileName)
                ch = ',';
    PointEvaluator kept(comma, ',', varied, true);
    int points = 0, faulted = 0;
    for (double t : {-300.0, 250.0, 250.0, 290.0})
        for (double wire : {0.02540, 0.09, 0.01, 0.01})
            for (double count : {2.0, 12.0, 0.0}) {
                const std::vector<double> values = {t, wire, count};
                const PointResult &p = kept.evaluate(values);
                PointEvaluator freshEvaluator(comma, ',', varied, true);
                const PointResult &fresh = freshEvaluator.evaluate(values);
                SCOPED_TRACE(std::to_string(t) + " " + std::to_string(wire) + " " + std::to_string(count));
                ASSERT_EQ(p.status, fresh.status);
                EXPECT_EQ(p.message, fresh.message);
                EXPECT_EQ(p.step, fresh.step);
                EXPECT_EQ(p.faultScreen, fresh.faultScreen);
                ++points;
                if (!p.ok()) {
                    ++faulted;
                    continue;
                }
                EXPECT_TRUE(sameBits(p.total, fresh.total));
                ASSERT_EQ(p.screenCount, fresh.screenCount);
                for (int i = 0; i < p.screenCount; ++i) {
                    const ScreenResult &a = p.screens[static_cast<std::size_t>(i)];
                    const ScreenResult &b = fresh.screens[static_cast<std::size_t>(i)];
                    for (auto member : {&ScreenResult::mesh, &ScreenResult::wire, &ScreenResult::opening,
                                        &ScreenResult::openArea, &ScreenResult::screenFactor,
                                        &ScreenResult::wallShearRate, &ScreenResult::apparentViscosity,
                                        &ScreenResult::pressureDrop})
                        EXPECT_TRUE(sameBits(a.*member, b.*member)) << "screen " << i + 1;
                }
            }
    EXPECT_EQ(points, 48);
    EXPECT_GT(faulted, 10);
    EXPECT_LT(faulted, 40);
}

} // namespace
} // namespace sf
