// The melt dialog as a user drives it: typed values, a fit from a points
// file, what Apply leaves in the read-only melt fields and in the next saved
// case, and bad values and files named in the dialog with nothing changed.
#include "UiTestSupport.h"

#include "MeltDialog.h"
#include "cases/CaseFile.h"

#include <QComboBox>
#include <QTableWidget>

#include <algorithm>
#include <array>
#include <filesystem>

namespace sf::test {
namespace {

using Melt = std::array<const char *, 5>; // η0, SR0, n, A, B

// What screenfilter-cli melt fit docs/melt-points.csv prints.
constexpr Melt CliFit = {"43.25298143173843", "100", "0.46452429725551964", "15341.155587892228",
                         "30.499315284079977"};
const MeltFitRange CliRange{200, 260, 10, 1000, 16, SCREENFILTER_DOCS "/melt-points.csv", 2.685218019331681,
                            4.298947776073109};
const Field Fields[] = {Field::StandardViscosity, Field::StandardShearRate, Field::PowerLawFactor, Field::ShiftA,
                        Field::ShiftB};

// With the separator a comma, as a comma locale shows the texts.
std::string inLocale(const char *text, char separator)
{
    std::string s = text;
    std::replace(s.begin(), s.end(), '.', separator);
    return s;
}

class MeltDialogTest : public MainWindowTest {
protected:
    // A case with a fitted melt of its own, opened, and the dialog open on it.
    void openFittedCase(const char *locale)
    {
        form1->applyLocale(QLocale(QString::fromLatin1(locale)));
        writeBytes("fitted.sfcase", formatCaseFile(FieldTexts::defaults(), OpenedRange));
        ASSERT_TRUE(form1->openCase(QStringLiteral("fitted.sfcase")));
        QTest::keyClick(edit(1), Qt::Key_M, Qt::ControlModifier);
        dialog = form1->findChild<MeltDialog *>(QStringLiteral("MeltDialog"));
        ASSERT_TRUE(dialog && dialog->isVisible());
        dialog->setPointsChooser([this] { return chosen; });
    }
    QLineEdit *value(Field f) const
    {
        return dialog->findChild<QLineEdit *>(QString::fromLatin1(inputField(f).key.data(), inputField(f).key.size()));
    }
    void type(Field f, const char *text)
    {
        value(f)->selectAll();
        QTest::keyClick(value(f), Qt::Key_Backspace);
        QTest::keyClicks(value(f), QString::fromUtf8(text));
    }
    void click(const char *name) { QTest::mouseClick(dialog->findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton); }
    QString problem() const
    {
        auto *label = dialog->findChild<QLabel *>(QStringLiteral("MeltProblem"));
        return label->isVisible() ? label->text() : QString();
    }
    void expectMelt(const Melt &melt, char separator)
    {
        for (std::size_t i = 0; i < 5; ++i)
            EXPECT_EQ(edit(Fields[i])->text().toStdString(), inLocale(melt[i], separator)) << i;
    }
    CaseContent saved()
    {
        EXPECT_TRUE(form1->saveCase(QStringLiteral("saved.sfcase")));
        return parseCase(readBytes("saved.sfcase"), "saved.sfcase");
    }

    const MeltFitRange OpenedRange{250, 300, 1, 500, 9, "sheet.csv", 1.5, 3.25};
    MeltDialog *dialog = nullptr;
    QString chosen = QStringLiteral(SCREENFILTER_DOCS "/melt-points.csv");
};

TEST_F(MeltDialogTest, TypedValuesAreAppliedAndTheFitIsDropped)
{
    const struct {
        const char *locale;
        int unit; // 0 gf·s/cm², 1 Pa·s
        Melt typed;
        Melt shown; // in the window, full stops for the locale's separator
        const char *viscosityInFile;
    } rows[] = {
        {"C", 0, {"12.5", "50", "0.4", "14000.0", "25"}, {"12.5", "50", "0.4", "14000.0", "25"}, "12.5"},
        // 1000 Pa·s / 98.0665, rounded once from the exact quotient.
        {"de_DE", 1, {"1000", "50", "0,4", "1,4E4", "25,5"}, {"10.197162129779283", "50", "0.4", "1.4E4", "25.5"},
         "10.197162129779283"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.locale);
        ScratchDirectory dir;
        openFittedCase(row.locale);
        const char sep = form1->decimalSeparator();
        dialog->findChild<QComboBox *>(QStringLiteral("ViscosityUnit"))->setCurrentIndex(row.unit);
        for (std::size_t i = 0; i < 5; ++i)
            type(Fields[i], row.typed[i]);
        click("ApplyButton");
        EXPECT_EQ(problem(), QString());
        expectMelt(row.shown, sep);
        EXPECT_FALSE(edit(Field::StandardViscosity)->isEnabled()) << "the melt stays read-only";
        EXPECT_TRUE(form1->hasUnsavedEdits());
        const CaseContent file = saved();
        EXPECT_EQ(file.texts[Field::StandardViscosity], row.viscosityInFile);
        EXPECT_EQ(file.texts[Field::PowerLawFactor], "0.4");
        EXPECT_EQ(file.meltFit, std::nullopt);
        dialog->close();
    }
}

TEST_F(MeltDialogTest, AppliedFitHasTheCommandLinesValuesAndItsRangeIsSaved)
{
    const struct {
        const char *locale;
        bool viaPascalSeconds; // η0 shown in Pa·s and back before Apply
        const char *overtyped; // SR0 typed after the fit; nullptr: none
        bool rangeKept;
    } rows[] = {
        {"C", false, nullptr, true},
        {"de_DE", true, nullptr, true},
        {"C", false, "100", true}, // the fit's own text again
        {"de_DE", false, "120", false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.locale) + (row.overtyped ? row.overtyped : ""));
        ScratchDirectory dir;
        openFittedCase(row.locale);
        const char sep = form1->decimalSeparator();
        click("FitButton");
        ASSERT_EQ(problem(), QString());
        EXPECT_EQ(dialog->findChild<QTableWidget *>(QStringLiteral("FitTable"))->rowCount(), 16);
        if (row.viaPascalSeconds) {
            auto *unit = dialog->findChild<QComboBox *>(QStringLiteral("ViscosityUnit"));
            unit->setCurrentIndex(1);
            EXPECT_EQ(value(Field::StandardViscosity)->text().toStdString(), inLocale("4241.668503575576", sep));
            unit->setCurrentIndex(0);
        }
        if (row.overtyped)
            type(Field::StandardShearRate, row.overtyped);
        click("ApplyButton");
        Melt expected = CliFit;
        if (row.overtyped)
            expected[1] = row.overtyped;
        expectMelt(expected, sep);
        const CaseContent file = saved();
        for (std::size_t i = 0; i < 5; ++i)
            EXPECT_EQ(file.texts[Fields[i]], expected[i]) << i;
        EXPECT_EQ(file.meltFit, row.rangeKept ? std::optional(CliRange) : std::nullopt);
        dialog->close();
    }
}

TEST_F(MeltDialogTest, BadValueOrFileIsNamedInTheDialogAndNothingChanges)
{
    const struct {
        const char *name;
        const char *locale;
        Field field;     // typed into, then Apply
        const char *typed;
        const char *csv; // else fitted from this file ("" none; "dir" a directory)
        const char *expected;
    } rows[] = {
        {"letter", "C", Field::PowerLawFactor, "0.4x", nullptr,
         "Power Law Factor: '0.4x' is not a number; write digits with '.' as the decimal separator"},
        {"full stop in a comma locale", "de_DE", Field::ShiftB, "26.5", nullptr,
         "Shift Factor Parameter B: '26.5' is not a number; write digits with ',' as the decimal separator"},
        {"empty", "C", Field::StandardViscosity, "", nullptr, "Standard Viscosity: empty; give it as a number"},
        {"overflow", "C", Field::ShiftA, "1e999", nullptr, "Shift Factor Parameter A: '1e999' is beyond the range"},
        {"bad line", "C", {}, nullptr, "temperature,shear_rate,viscosity\n200,10,1000\n200,x,500\n",
         "/points.csv:3: shear_rate 'x' is not a number"},
        {"one temperature", "C", {}, nullptr, "temperature,shear_rate,viscosity\n200,10,1000\n200,100,300\n",
         "/points.csv: all points are at one temperature (200 °C)"},
        {"missing", "C", {}, nullptr, "", "/points.csv: No such file or directory"},
        {"directory", "C", {}, nullptr, "dir", "/points.csv: a directory, not a points file"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ScratchDirectory dir;
        openFittedCase(row.locale);
        const FieldTexts before = form1->fieldTexts();
        const QString dialogBefore = value(Field::ShiftA)->text();
        if (row.csv) {
            chosen = QDir::current().absoluteFilePath(QStringLiteral("points.csv"));
            if (std::string(row.csv) == "dir")
                std::filesystem::create_directory("points.csv");
            else if (*row.csv)
                writeBytes("points.csv", row.csv);
            click("FitButton");
            EXPECT_EQ(value(Field::ShiftA)->text(), dialogBefore);
        } else {
            type(row.field, row.typed);
            click("ApplyButton");
        }
        EXPECT_TRUE(problem().contains(QString::fromUtf8(row.expected))) << problem().toStdString();
        EXPECT_EQ(form1->fieldTexts(), before);
        EXPECT_EQ(saved().meltFit, OpenedRange);
        dialog->close();
    }
}

TEST_F(MeltDialogTest, AFitAppliedToTheValuesTheFileHasIsAnUnsavedChangeUntilItHasItsRange)
{
    const struct {
        bool fileHasRange;
        bool unsaved;
    } rows[] = {{false, true}, {true, false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.fileHasRange);
        ScratchDirectory dir;
        FieldTexts texts = FieldTexts::defaults();
        for (std::size_t i = 0; i < 5; ++i)
            texts[Fields[i]] = CliFit[i];
        writeBytes("fitted.sfcase", formatCaseFile(texts, row.fileHasRange ? std::optional(CliRange) : std::nullopt));
        ASSERT_TRUE(form1->openCase(QStringLiteral("fitted.sfcase")));
        QTest::keyClick(edit(1), Qt::Key_M, Qt::ControlModifier);
        dialog = form1->findChild<MeltDialog *>(QStringLiteral("MeltDialog"));
        dialog->setPointsChooser([this] { return chosen; });
        click("FitButton");
        click("ApplyButton");
        EXPECT_EQ(form1->hasUnsavedEdits(), row.unsaved);
        EXPECT_TRUE(form1->saveCase(QStringLiteral("fitted.sfcase")));
        EXPECT_FALSE(form1->hasUnsavedEdits());
        dialog->close();
    }
}

TEST_F(MeltDialogTest, ASaveThatFailsKeepsTheFitForTheMeltItCameWith)
{
    ScratchDirectory dir;
    openFittedCase("C");
    const QString viscosity = value(Field::StandardViscosity)->text();
    type(Field::StandardViscosity, "12.5");
    click("ApplyButton");
    {
        ModalWatcher watcher;
        EXPECT_FALSE(form1->saveCase(QStringLiteral("no-folder/fitted.sfcase")));
        EXPECT_EQ(watcher.seen.size(), 1u);
    }
    type(Field::StandardViscosity, viscosity.toUtf8().constData());
    click("ApplyButton");
    EXPECT_FALSE(form1->hasUnsavedEdits());
    EXPECT_EQ(saved().meltFit, OpenedRange);
}

TEST_F(MeltDialogTest, KeysStartAtEta0TabInReadingOrderAndEscapeCloses)
{
    ScratchDirectory dir;
    openFittedCase("C");
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == dialog && QApplication::focusWidget(); }));
    EXPECT_EQ(focusName().toStdString(), "standard_viscosity");
    click("FitButton"); // a table with rows and a chart to pass by
    value(Field::StandardViscosity)->setFocus(Qt::OtherFocusReason);
    const char *const chain[] = {"ViscosityUnit",  "standard_shear_rate", "power_law_factor", "shift_a",
                                 "shift_b",        "FitButton",           "FitTable"};
    for (const char *next : chain) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(focusName().toStdString(), next);
    }
    // The buttons next, then round to η0; nothing in between.
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(focusName().toStdString(), "standard_viscosity");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(MeltDialogTest, LocaleChangeKeepsTheMeltAndItsFit)
{
    ScratchDirectory dir;
    openFittedCase("C");
    click("FitButton");
    click("ApplyButton");
    saved();
    for (const char *locale : {"de_DE", "C"}) {
        SCOPED_TRACE(locale);
        form1->applyLocale(QLocale(QString::fromLatin1(locale)));
        expectMelt(CliFit, form1->decimalSeparator());
        EXPECT_FALSE(form1->hasUnsavedEdits());
        EXPECT_EQ(saved().meltFit, CliRange);
    }
}

} // namespace
} // namespace sf::test
