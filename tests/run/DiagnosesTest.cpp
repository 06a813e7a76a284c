#include "calc/InputFields.h"
#include "run/Diagnoses.h"
#include "run/PointEvaluator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sf {
namespace {

FieldTexts withTexts(const std::vector<std::pair<Field, const char *>> &changes)
{
    FieldTexts texts = FieldTexts::defaults();
    for (const auto &[field, text] : changes)
        texts[field] = text;
    return texts;
}

std::string line(const Finding &f)
{
    return f.code + " " + severityName(f.severity) + " " + f.key + ": " + f.sentence;
}

TEST(Diagnoses, MeaninglessCasesAreNamedWithTheirKeyAndAFix)
{
    const struct {
        const char *name;
        std::vector<std::pair<Field, const char *>> texts;
        std::vector<std::string> lines; // every finding, in order
    } rows[] = {
        {"worked example", {}, {}},
        {"wire in mm", {{wireField(1), "0.2946"}},
         {"no-opening error screens.1.wire: no opening left at screen 1: wire 0.2946 cm ≥ pitch 0.08467 cm "
          "(2.54 / mesh 30); wire diameters are in cm, mesh in wires per inch"}},
        {"negative mesh", {{meshField(2), "-30"}},
         {"not-positive error screens.2.mesh: screen 2's mesh is -30 per inch; it must be greater than 0"}},
        {"negative wire on the last screen", {{wireField(12), "-0.0254"}},
         {"not-positive error screens.12.wire: screen 12's wire diameter is -0.0254 cm; it must be greater than 0"}},
        {"negative n", {{Field::PowerLawFactor, "-0.3"}},
         {"not-positive error melt.power_law_factor: Power Law Factor is -0.3; it must be greater than 0"}},
        {"negative flow", {{Field::FlowRate, "-57"}},
         {"not-positive error process.flow_rate: Flow Rate is -57 kg/hr; it must be greater than 0"}},
        {"density 0 and SR0 0", {{Field::Density, "0"}, {Field::StandardShearRate, "0"}},
         {"not-positive error process.density: Density is 0 g/cm3; it must be greater than 0",
          "not-positive error melt.standard_shear_rate: Standard Shear Rate is 0 1/sec; it must be greater than 0"}},
        {"at absolute zero", {{Field::Temperature, "-273"}},
         {"below-absolute-zero error process.temperature: the melt temperature -273 ℃ is at or below absolute zero "
          "(-273 ℃); temperatures are in ℃"}},
        {"wire at 99.8 % of the pitch", {{wireField(1), "0.0845"}},
         {"small-open-area warning screens.1.wire: screen 1 is 0.0003875 % open (under 15 %): an opening of "
          "0.0001667 cm between wires of 0.0845 cm; check that the wire diameter is in cm and the mesh in wires per inch"}},
        {"n = 1, a Newtonian melt", {{Field::PowerLawFactor, "1"}}, {}},
        {"shear-thickening", {{Field::PowerLawFactor, "1.5"}},
         {"shear-thickening warning melt.power_law_factor: n = 1.5 above 1 describes a shear-thickening fluid, "
          "unusual for a polymer melt (typically 0.2 to 0.9)"}},
        {"one of eleven, the last without a wire", {{Field::ScreenCount, "1"}, {wireField(11), ""}, {meshField(12), ""},
                                                    {wireField(12), ""}},
         {"ignored-screens note pack.count: screens 2 to 11 are listed but count = 1 uses only screens 1 to 1; the "
          "rest are ignored"}},
        {"eleven of twelve screens", {{Field::ScreenCount, "11"}},
         {"ignored-screens note pack.count: screen 12 is listed but count = 11 uses only screens 1 to 11; the "
          "rest are ignored"}},
        {"count 13", {{Field::ScreenCount, "13"}},
         {"bad-count error pack.count: the number of screens '13' must be a whole number from 1 to 12"}},
        {"unreadable and empty", {{Field::FlowRate, "5 7"}, {wireField(2), ""}},
         {"unreadable error process.flow_rate: '5 7' is not a number; write digits with '.' as the decimal "
          "separator, such as 57.0",
          "unreadable error screens.2.wire: empty; give Wire Dia. cm as a number"}},
        {"the other separator is answered with the number it means",
         {{Field::Density, "0,76"}, {Field::Temperature, "1,2,3"}, {wireField(1), ",5"}},
         {"unreadable error process.density: '0,76' is not a number; write digits with '.' as the decimal "
          "separator, such as 0.76",
          "unreadable error process.temperature: '1,2,3' is not a number; write digits with '.' as the decimal "
          "separator",
          "unreadable error screens.1.wire: ',5' is not a number; write digits with '.' as the decimal separator, "
          "such as .5"}},
        {"beyond a double, errors before warnings", {{Field::PowerLawFactor, "2"}, {Field::ScreenDiameter, "1E400"}},
         {"unreadable error process.screen_diameter: '1E400' is beyond the range of numbers; give Screen Diameter cm "
          "as an ordinary number",
          "shear-thickening warning melt.power_law_factor: n = 2 above 1 describes a shear-thickening fluid, "
          "unusual for a polymer melt (typically 0.2 to 0.9)"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const FieldTexts texts = withTexts(row.texts);
        std::vector<std::string> lines;
        for (const Finding &f : diagnose(texts, '.'))
            lines.push_back(line(f));
        EXPECT_EQ(lines, row.lines);

        // A sweep's codes for the computed point are the value findings' codes.
        PointEvaluator e(texts, '.', {}, false);
        const PointResult &p = e.evaluate({});
        if (p.step == RunStep::Reading)
            continue;
        std::string codes;
        bool error = false;
        for (const Finding &f : diagnose(texts, '.', &p))
            if (f.severity != Severity::Note && (codes.empty() || codes.find(f.code) == std::string::npos)) {
                codes += (codes.empty() ? "" : " ") + f.code;
                error = error || f.severity == Severity::Error;
            }
        const FindingCodes found = findingCodes(e.lastCase(), p);
        EXPECT_EQ(found.codes, codes);
        EXPECT_EQ(found.error, error);
    }
}

TEST(Diagnoses, PointCodesFollowEachPointsPack)
{
    // One PointFindings over a sweep that changes the pack: what it keeps
    // of one pack must never be said of another.
    const struct {
        double wire3, flowRate, count;
        const char *codes;
        bool error;
    } points[] = {
        {0.0254, 57, 12, "", false},
        {0.0847, 57, 12, "no-opening", true}, // wire >= pitch 2.54 / 30 = 0.08467
        {0.06, 57, 12, "small-open-area", false},
        {0.06, -1, 12, "not-positive small-open-area", true},
        {0.0254, -1, 12, "not-positive", true},
        {0.0847, 57, 2, "", false}, // screen 3 not in use
        {0.0847, 57, 3, "no-opening", true},
        {0.0847, 57, 2, "", false},           // the same first two screens, fewer of them
        {0.0254, 57, 3, "", false},
    };
    PointEvaluator e(FieldTexts::defaults(), '.', {wireField(3), Field::FlowRate, Field::ScreenCount}, false);
    PointFindings findings;
    for (const auto &point : points) {
        SCOPED_TRACE(testing::Message() << point.wire3 << " " << point.flowRate << " " << point.count);
        const double values[] = {point.wire3, point.flowRate, point.count};
        const PointResult &p = e.evaluate(values);
        const FindingCodes found = findings.codes(e.lastCase(), p);
        EXPECT_EQ(found.codes, point.codes);
        EXPECT_EQ(found.error, point.error);
    }
}

TEST(Diagnoses, AFittedMeltWarnsOutsideItsData)
{
    // The worked example's screens shear the melt at 2,296 to 19,644 1/s; 290 ℃, the top of the range, is in it.
    const ValidityRange range{250, 290, 10, 10000};
    PointEvaluator inside(FieldTexts::defaults(), '.', {}, true);
    std::vector<std::string> lines;
    for (const Finding &f : diagnose(FieldTexts::defaults(), '.', &inside.evaluate({}), range))
        lines.push_back(f.code + " " + f.key + " " + f.value);
    EXPECT_EQ(lines, (std::vector<std::string>{"outside-fit-shear-rate screens.11 1.964e+04",
                                               "outside-fit-shear-rate screens.12 1.348e+04"}));

    const FieldTexts cold = withTexts({{Field::Temperature, "249.9"}});
    PointEvaluator e(cold, '.', {}, true);
    const std::vector<Finding> found = diagnose(cold, '.', &e.evaluate({}), ValidityRange{250, 300, 1, 1e6});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].sentence,
              "the melt temperature 249.9 ℃ is outside the 250 to 300 ℃ of the viscosity data the melt was fitted to");
}

TEST(Diagnoses, KeysAreSuggestedForTypos)
{
    const std::pair<const char *, const char *> rows[] = {
        {"flow_rat", "process.flow_rate"}, {"temprature", "process.temperature"}, {"flow", "process.flow_rate"},
        {"shift", ""},  /* shift_a or shift_b: no one key */ {"screens.3.wir", "screens.3.wire"},
        {"colour", ""}, {"process.flow_rate", ""},
    };
    for (const auto &[typed, suggested] : rows)
        EXPECT_EQ(closestKey(typed), suggested) << typed;
}

} // namespace
} // namespace sf
