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

// The worked example with a fit range, as a case file holds it.
const std::string FittedCase = [] {
    FieldTexts t = FieldTexts::defaults();
    t[Field::FlowRate] = "57.5";
    return formatCaseFile(t, Fit);
}();

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
        {"a screen typed", [](CaseDocument &, FieldTexts &t) { t[wireField(2)] = "0.03"; }, true, true},
        {"typed back as it was",
         [](CaseDocument &, FieldTexts &t) {
             t[Field::FlowRate] = "60";
             t[Field::FlowRate] = "57.5";
         },
         false, true},
        {"melt values set without a fit",
         [](CaseDocument &d, FieldTexts &t) {
             t[Field::PowerLawFactor] = "0.5";
             d.applyFit(std::nullopt, t);
         },
         true, false},
        {"another fit with the same values", [](CaseDocument &d, FieldTexts &t) { d.applyFit(OtherFit, t); }, true, true},
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

    // Nothing is unsaved before a case is open, nor after a file that cannot be read.
    CaseDocument none;
    EXPECT_THROW(none.read(file("missing.sfcase")), CaseFileError);
    EXPECT_FALSE(none.hasUnsavedEdits(FieldTexts::defaults()));
    EXPECT_EQ(none.path(), "");
}

TEST_F(CaseDocumentTest, SaveWritesTheFitWhileItsMeltStays)
{
    CaseDocument doc;
    FieldTexts shown = open(doc, "fitted.sfcase", FittedCase);
    shown[Field::FlowRate] = "60";
    // A failed save changes nothing.
    EXPECT_EQ(doc.save(file("no-such-folder/x.sfcase"), shown), ENOENT);
    EXPECT_EQ(doc.path(), file("fitted.sfcase"));
    EXPECT_TRUE(doc.hasUnsavedEdits(shown));
    EXPECT_EQ(doc.keptFit(shown), Fit);

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
    EXPECT_EQ(parseCase(test::readBytes(file("copy.sfcase")), "copy.sfcase").meltFit, std::nullopt);
    shown[Field::ShiftB] = "26.96";
    EXPECT_TRUE(doc.hasUnsavedEdits(shown));
    EXPECT_EQ(doc.keptFit(shown), std::nullopt);
}

TEST_F(CaseDocumentTest, ASeparatorChangeKeepsTheCaseSaved)
{
    CaseDocument doc(',');
    FieldTexts shown = open(doc, "fitted.sfcase", FittedCase);
    EXPECT_EQ(shown[Field::StandardViscosity], "9,55"); // read with the document's separator
    shown[Field::Density] = "0,95";

    shown = doc.changeSeparator('.', shown);
    EXPECT_EQ(doc.separator(), '.');
    EXPECT_EQ(shown[Field::StandardViscosity], "9.55"); // read-only: rewritten
    EXPECT_EQ(shown[Field::FlowRate], "57,5");          // typed: left as it is
    EXPECT_EQ(doc.keptFit(shown), Fit);
    // Only the typed density differs from the file.
    EXPECT_TRUE(doc.hasUnsavedEdits(shown));
    shown[Field::Density] = "0,96";
    EXPECT_FALSE(doc.hasUnsavedEdits(shown));
}

TEST_F(CaseDocumentTest, AReportNameThatLeavesTheCaseFolder)
{
    const struct {
        const char *file;
        const char *outside;
    } rows[] = {
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
