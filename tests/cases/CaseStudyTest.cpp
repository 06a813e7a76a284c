// A case's [study]: what the reader takes and refuses, what a save writes,
// and what the case document keeps across edits, saves and a melt fit.
#include "cases/CaseDocument.h"
#include "cases/CaseFile.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include "support/CaseText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sf {
namespace {

const std::string &Case = test::OneScreenCase;

const std::string Study = R"(
[study]
pressure_unit = "bar"            # kgf/cm2, bar, MPa or psi
limit = "total=60bar"            # as --limit takes it
find = "flow_rate"
temperatures = [195, 210.5, 225]
flow_rate_from = 100             # kg/hr
flow_rate_to = 250
)";

// The values of a study, without the section's text.
CaseStudy values(const std::optional<CaseStudy> &study)
{
    CaseStudy v = study.value();
    v.written.clear();
    return v;
}

const CaseStudy Asked{"bar", "total=60bar", "flow_rate", std::vector<double>{195, 210.5, 225}, 100, 250, "", ""};

TEST(CaseStudy, ReadsEveryKeyAndLeavesOutWhatIsNotThere)
{
    const CaseContent all = parseCase(Case + Study, "a.sfcase");
    EXPECT_EQ(values(all.study), Asked);
    EXPECT_EQ(all.texts[Field::FlowRate], "57.5");

    EXPECT_FALSE(parseCase(Case, "a.sfcase").study);
    CaseStudy some;
    some.limit = "drop.2=3psi";
    EXPECT_EQ(values(parseCase(Case + "[study]\nlimit = \"drop.2=3psi\"\n", "a.sfcase").study), some);
}

TEST(CaseStudy, ABadValueIsNamedByItsKeyAndLeftOut)
{
    const struct {
        const char *section;
        const char *problem;
    } rows[] = {
        {"pressure_unit = \"atm\"", "a.sfcase:22:17: study.pressure_unit must be \"kgf/cm2\", \"bar\", \"MPa\" or \"psi\""},
        {"pressure_unit = 1", "a.sfcase:22:17: study.pressure_unit must be"},
        {"limit = 60", "a.sfcase:22:9: study.limit must be a text as --limit takes it"},
        {"find = \"flow_rat\"", "a.sfcase:22:8: study.find must be a key of a case, such as \"flow_rate\"; did you mean "
                                "process.flow_rate?"},
        {"temperatures = []", "a.sfcase:22:16: study.temperatures must be a list of one or more"},
        {"temperatures = [200, \"hot\"]", "a.sfcase:22:16: study.temperatures must be a list"},
        {"temperatures = 200", "a.sfcase:22:16: study.temperatures must be a list"},
        {"temperatures = [-300]", "a.sfcase:22:16: study.temperatures must be a list of one or more temperatures above "
                                  "-273.15"},
        {"flow_rate_from = \"a\"\nflow_rate_to = 9", "a.sfcase:22:18: study.flow_rate_from must be a flow rate above 0"},
        {"flow_rate_from = 0\nflow_rate_to = 9", "a.sfcase:22:18: study.flow_rate_from must be a flow rate above 0"},
        {"flow_rate_from = 100\nflow_rate_to = 50", "a.sfcase:23:16: study.flow_rate_to must be above flow_rate_from"},
        {"flow_rate_from = 100\nflow_rate_to = 100", "a.sfcase:23:16: study.flow_rate_to must be above flow_rate_from"},
        {"flow_rate_from = 100", "a.sfcase:21:1: study.flow_rate_to must be given with flow_rate_from"},
    };
    for (const auto &row : rows) {
        const CaseContent c = parseCase(Case + "\n[study]\n" + row.section + "\n", "a.sfcase");
        SCOPED_TRACE(row.section);
        ASSERT_TRUE(c.study);
        EXPECT_EQ(c.study->problem.substr(0, std::string(row.problem).size()), row.problem) << c.study->problem;
        EXPECT_FALSE(c.study->pressureUnit || c.study->temperatures || c.study->flowRateFrom || c.study->flowRateTo);
    }
}

TEST(CaseStudy, AMistypedKeyIsRefusedNamingTheClosest)
{
    const struct {
        const char *section;
        const char *message;
    } rows[] = {
        {"limt = \"total=1bar\"", "a.sfcase:22:1: unknown key 'limt' in [study]; did you mean limit?"},
        {"temperature = [1]", "a.sfcase:22:1: unknown key 'temperature' in [study]; did you mean temperatures?"},
        {"colour = 1", "a.sfcase:22:1: unknown key 'colour' in [study]; its keys are pressure_unit, limit, find, "
                       "temperatures, flow_rate_from, flow_rate_to"},
    };
    for (const auto &row : rows) {
        try {
            parseCase(Case + "\n[study]\n" + row.section + "\n", "a.sfcase");
            ADD_FAILURE() << row.section << " was taken";
        } catch (const CaseFileError &e) {
            EXPECT_EQ(std::string(e.what()), row.message);
        }
    }
}

TEST(CaseStudy, WrittenAsReadOrFromItsValues)
{
    // As the file has it, comments and all, while it was not set anew.
    const CaseContent read = parseCase(Case + Study + "# after\n", "a.sfcase");
    const std::string kept = formatCaseFile(read.texts, std::nullopt, read.study);
    EXPECT_NE(kept.find(Study.substr(1)), std::string::npos) << kept;
    EXPECT_EQ(kept.find("# after"), std::string::npos);

    CaseStudy set;
    set.pressureUnit = "psi";
    set.limit = "drop.3=20psi";
    set.temperatures = std::vector<double>{200, 0.1};
    set.flowRateFrom = 1.5;
    set.flowRateTo = 20;
    const std::string written = formatStudySection(set);
    EXPECT_EQ(written, "[study]\n"
                       "pressure_unit = \"psi\"           # kgf/cm2, bar, MPa or psi\n"
                       "limit = \"drop.3=20psi\"          # as --limit takes it: total=... or drop.N=...\n"
                       "temperatures = [200, 0.1]       # ℃, the chart's curves\n"
                       "flow_rate_from = 1.5            # kg/hr, the chart's range\n"
                       "flow_rate_to = 20               # kg/hr\n");
    EXPECT_EQ(values(parseCase(formatCaseFile(read.texts, std::nullopt, set), "b.sfcase").study), set);
}

TEST(CaseStudy, AMeltFitKeepsTheSectionByteForByte)
{
    const std::string before = Case + Study;
    const CaseContent read = parseCase(before, "a.sfcase");
    FieldTexts texts = read.texts;
    texts[Field::PowerLawFactor] = "0.5";
    const std::string after = replaceMeltSections(before, "a.sfcase", texts,
                                                  {200, 260, 10, 1000, 12, "points.csv", 1.5, 3.25}, {});
    EXPECT_NE(after.find(Study), std::string::npos) << after;
    EXPECT_EQ(parseCase(after, "a.sfcase").study, read.study);
}

class CaseDocumentStudyTest : public ::testing::Test {
protected:
    std::string file(const std::string &name) const { return (m_dir.path() / name).string(); }
    // Opens `bytes` as the case `name`, the view showing what was read.
    FieldTexts open(CaseDocument &doc, const std::string &name, const std::string &bytes) const
    {
        test::writeBytes(file(name), bytes);
        const CaseContent content = doc.read(file(name));
        doc.opened(file(name), content, content.texts);
        return content.texts;
    }
    std::string saved(const std::string &name) const { return test::readBytes(file(name)); }
    std::optional<CaseStudy> savedStudy(const std::string &name) const { return parseCase(saved(name), name).study; }
    test::ScopedTempCwd m_dir;
};

TEST_F(CaseDocumentStudyTest, SaveKeepsTheStudyAfterOtherEditsAndWritesItOnceSet)
{
    CaseDocument doc;
    FieldTexts shown = open(doc, "a.sfcase", Case + Study);
    EXPECT_EQ(values(doc.study()), Asked);

    shown[Field::FlowRate] = "60";
    ASSERT_EQ(doc.save(file("b.sfcase"), shown), 0);
    EXPECT_NE(saved("b.sfcase").find(Study.substr(1)), std::string::npos);
    EXPECT_FALSE(doc.hasUnsavedEdits(shown));

    CaseStudy set = Asked;
    set.pressureUnit = "MPa";
    set.limit.reset();
    doc.setStudy(set);
    EXPECT_TRUE(doc.hasUnsavedEdits(shown));
    ASSERT_EQ(doc.save(file("b.sfcase"), shown), 0);
    EXPECT_FALSE(doc.hasUnsavedEdits(shown));
    EXPECT_EQ(values(savedStudy("b.sfcase")), set);

    // A case without one: none written until it is set.
    const FieldTexts plain = open(doc, "c.sfcase", Case);
    EXPECT_FALSE(doc.study());
    ASSERT_EQ(doc.save(file("c.sfcase"), plain), 0);
    EXPECT_FALSE(savedStudy("c.sfcase"));
    CaseStudy unit;
    unit.pressureUnit = "bar";
    doc.setStudy(unit);
    ASSERT_EQ(doc.save(file("c.sfcase"), plain), 0);
    EXPECT_EQ(values(savedStudy("c.sfcase")), unit);
}

TEST_F(CaseDocumentStudyTest, ABadStudyIsKeptAsWrittenUntilSet)
{
    const std::string bad = "\n[study]\ntemperatures = [\"hot\"]\nlimit = \"total=60bar\"\n";
    CaseDocument doc;
    const FieldTexts shown = open(doc, "a.sfcase", Case + bad);
    EXPECT_NE(doc.study().value().problem, "");
    ASSERT_EQ(doc.save(file("a.sfcase"), shown), 0);
    EXPECT_NE(saved("a.sfcase").find(bad.substr(1)), std::string::npos);

    CaseStudy set = doc.study().value();
    set.temperatures = std::vector<double>{200};
    doc.setStudy(set);
    EXPECT_EQ(doc.study().value().problem, "");
    ASSERT_EQ(doc.save(file("a.sfcase"), shown), 0);
    EXPECT_EQ(values(savedStudy("a.sfcase")), (CaseStudy{{}, "total=60bar", {}, std::vector<double>{200}, {}, {}, "", ""}));
}

} // namespace
} // namespace sf
