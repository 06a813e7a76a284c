#include "cases/CaseDocument.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>

namespace sf {
namespace {

const MeltFitRange Fit{200, 260, 10, 1000, 12, "points.csv", 1.5, 3.25};
const MeltFitRange OtherFit{180, 250, 5, 500, 9, "other.csv", 2.0, 4.0};

// The default case with a fit range, as a case file holds it.
const std::string FittedCase = R"([process]
flow_rate = 57.5
screen_diameter = 5.0
density = 0.96
temperature = 290.0

[melt]
standard_viscosity = 9.55
standard_shear_rate = 100.0
power_law_factor = 0.469
shift_a = 15180.0
shift_b = 26.96

[melt.fit]
temperature_min = 200
temperature_max = 260
shear_rate_min = 10
shear_rate_max = 1000
points = 12
source = "points.csv"
rms_deviation_percent = 1.5
max_deviation_percent = 3.25

[pack]
count = 1
screens = [{ mesh = 30, wire = 0.0254 }]

[report]
file = "result.txt"
)";

class CaseDocumentTest : public ::testing::Test {
protected:
    std::string file(const std::string &name) const { return (m_dir.path() / name).string(); }

    // Opens `bytes` as the case `name`, the view showing what was read.
    FieldTexts open(CaseDocument &doc, const std::string &name, const std::string &bytes)
    {
        test::writeBytes(file(name), bytes);
        const CaseContent content = doc.read(file(name));
        doc.opened(file(name), content, content.texts);
        return content.texts;
    }

    test::ScopedTempCwd m_dir;
};

TEST_F(CaseDocumentTest, UnsavedEditsOfAnOpenCase)
{
    struct Row {
        const char *name;
        std::function<void(CaseDocument &, FieldTexts &)> edit;
        bool unsaved;
        bool fitKept;
    };
    const Row rows[] = {
        {"as opened", [](CaseDocument &, FieldTexts &) {}, false, true},
        {"a field typed", [](CaseDocument &, FieldTexts &t) { t[Field::FlowRate] = "60"; }, true, true},
        {"typed back as it was",
         [](CaseDocument &, FieldTexts &t) {
             t[Field::FlowRate] = "60";
             t[Field::FlowRate] = "57.5";
         },
         false, true},
        {"a screen typed", [](CaseDocument &, FieldTexts &t) { t[wireField(2)] = "0.03"; }, true, true},
        {"melt values set without a fit",
         [](CaseDocument &d, FieldTexts &t) {
             t[Field::PowerLawFactor] = "0.5";
             d.applyFit(std::nullopt, t);
         },
         true, false},
        {"another fit with the same values",
         [](CaseDocument &d, FieldTexts &t) { d.applyFit(OtherFit, t); }, true, true},
        {"the same fit again", [](CaseDocument &d, FieldTexts &t) { d.applyFit(Fit, t); }, false, true},
        {"a new fit, then its melt changed",
         [](CaseDocument &d, FieldTexts &t) {
             t[Field::ShiftA] = "15000";
             d.applyFit(OtherFit, t);
             t[Field::ShiftA] = "15180.0";
         },
         true, false}, // a save would drop the fit the file has
    };
    for (const Row &row : rows) {
        CaseDocument doc;
        FieldTexts shown = open(doc, "fitted.sfcase", FittedCase);
        row.edit(doc, shown);
        EXPECT_EQ(doc.hasUnsavedEdits(shown), row.unsaved) << row.name;
        EXPECT_EQ(doc.keptFit(shown).has_value(), row.fitKept) << row.name;
    }
}

TEST_F(CaseDocumentTest, NothingIsUnsavedBeforeACaseIsOpen)
{
    CaseDocument doc;
    FieldTexts shown = FieldTexts::defaults();
    shown[Field::FlowRate] = "1";
    EXPECT_FALSE(doc.hasUnsavedEdits(shown));
    EXPECT_EQ(doc.path(), "");

    // A file that cannot be read leaves it so.
    EXPECT_THROW(doc.read(file("missing.sfcase")), CaseFileError);
    EXPECT_EQ(doc.path(), "");
}

TEST_F(CaseDocumentTest, SaveWritesTheFitWhileItsMeltStays)
{
    CaseDocument doc;
    FieldTexts shown = open(doc, "fitted.sfcase", FittedCase);
    EXPECT_EQ(shown[Field::StandardViscosity], "9.55");
    ASSERT_EQ(doc.keptFit(shown), Fit);

    shown[Field::FlowRate] = "60";
    ASSERT_EQ(doc.save(file("copy.sfcase"), shown), 0);
    EXPECT_EQ(doc.path(), file("copy.sfcase"));
    EXPECT_FALSE(doc.hasUnsavedEdits(shown));
    CaseContent saved = parseCase(test::readBytes(file("copy.sfcase")), "copy.sfcase");
    EXPECT_EQ(saved.texts[Field::FlowRate], "60");
    EXPECT_EQ(saved.meltFit, Fit);

    // Typed melt values are no longer the fitted melt: saved without it, and
    // typing the old values back does not bring it back.
    shown[Field::ShiftB] = "27";
    ASSERT_EQ(doc.save(file("copy.sfcase"), shown), 0);
    saved = parseCase(test::readBytes(file("copy.sfcase")), "copy.sfcase");
    EXPECT_EQ(saved.texts[Field::ShiftB], "27");
    EXPECT_EQ(saved.meltFit, std::nullopt);
    shown[Field::ShiftB] = "26.96";
    EXPECT_TRUE(doc.hasUnsavedEdits(shown));
    EXPECT_EQ(doc.keptFit(shown), std::nullopt);
}

TEST_F(CaseDocumentTest, AFailedSaveChangesNothing)
{
    CaseDocument doc;
    FieldTexts shown = open(doc, "fitted.sfcase", FittedCase);
    shown[Field::Temperature] = "300";
    EXPECT_EQ(doc.save(file("no-such-folder/x.sfcase"), shown), ENOENT);
    EXPECT_EQ(doc.path(), file("fitted.sfcase"));
    EXPECT_TRUE(doc.hasUnsavedEdits(shown));
    EXPECT_EQ(doc.keptFit(shown), Fit);
    EXPECT_EQ(test::readBytes(file("fitted.sfcase")), FittedCase);
}

TEST_F(CaseDocumentTest, ASeparatorChangeKeepsTheCaseSaved)
{
    CaseDocument doc(',');
    FieldTexts shown = open(doc, "fitted.sfcase", FittedCase);
    // Read with the document's separator.
    EXPECT_EQ(shown[Field::StandardViscosity], "9,55");
    EXPECT_EQ(shown[Field::FlowRate], "57,5");
    shown[Field::Density] = "0,95";

    shown = doc.changeSeparator('.', shown);
    EXPECT_EQ(doc.separator(), '.');
    EXPECT_EQ(shown[Field::StandardViscosity], "9.55"); // read-only: rewritten
    EXPECT_EQ(shown[Field::ShiftB], "26.96");
    EXPECT_EQ(shown[Field::FlowRate], "57,5");          // typed: left as it is
    EXPECT_EQ(shown[Field::Density], "0,95");
    EXPECT_EQ(doc.keptFit(shown), Fit);

    // Only the typed density differs from the file.
    EXPECT_TRUE(doc.hasUnsavedEdits(shown));
    shown[Field::Density] = "0,96";
    EXPECT_FALSE(doc.hasUnsavedEdits(shown));

    ASSERT_EQ(doc.save(file("dot.sfcase"), shown), 0);
    const CaseContent saved = parseCase(test::readBytes(file("dot.sfcase")), "dot.sfcase");
    EXPECT_EQ(saved.texts[Field::StandardViscosity], "9.55");
    EXPECT_EQ(saved.texts[Field::FlowRate], "57,5");
}

TEST_F(CaseDocumentTest, AReportNameThatLeavesTheCaseFolder)
{
    const struct {
        const char *file;
        const char *outside;
    } rows[] = {
        {"result.txt", ""},
        {"reports/run1.txt", ""},
        {"../run1.txt", "../run1.txt"},
        {"reports/../../run1.txt", "reports/../../run1.txt"},
        {"/tmp/run1.txt", "/tmp/run1.txt"},
    };
    for (const auto &row : rows) {
        std::string bytes = FittedCase;
        bytes.replace(bytes.find("\"result.txt\""), 12, "\"" + std::string(row.file) + "\"");
        CaseDocument doc;
        open(doc, "named.sfcase", bytes);
        EXPECT_EQ(doc.outsideReportName(), row.outside) << row.file;
    }
}

} // namespace
} // namespace sf
