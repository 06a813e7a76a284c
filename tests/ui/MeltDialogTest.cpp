// The melt dialog as a user drives it: typed values, a fit from a points
// file, what Apply leaves in the read-only melt fields and in the next saved
// case, and bad values and files named in the dialog with nothing changed.
#include "UiTestSupport.h"

#include "MeltDialog.h"
#include "cases/CaseFile.h"
#include "plot/PlotView.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLayout>
#include <QPlainTextEdit>
#include <QTableView>

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

const MeltFitRange OpenedRange{250, 300, 1, 500, 9, "sheet.csv", 1.5, 3.25};

class MeltDialogTest : public MainWindowTest {
protected:
    // A case with a fitted melt of its own, opened, and the dialog open on it.
    void openFittedCase(const char *locale, const FieldTexts &texts = FieldTexts::defaults(),
                        const std::optional<MeltFitRange> &range = OpenedRange)
    {
        form1->applyLocale(QLocale(QString::fromLatin1(locale)));
        writeBytes("fitted.sfcase", formatCaseFile(texts, range));
        ASSERT_TRUE(form1->openCase(QStringLiteral("fitted.sfcase")));
        QTest::keyClick(edit(1), Qt::Key_M, Qt::ControlModifier);
        dialog = form1->findChild<MeltDialog *>(QStringLiteral("MeltDialog"));
        ASSERT_TRUE(dialog && dialog->isVisible());
        dialog->setPointsChooser([this] { return chosen; });
    }
    QLineEdit *value(Field f) const { return child<QLineEdit>(std::string(inputField(f).key).c_str()); }
    void type(Field f, const char *text)
    {
        value(f)->selectAll();
        QTest::keyClick(value(f), Qt::Key_Backspace);
        QTest::keyClicks(value(f), QString::fromUtf8(text));
    }
    template <class W = QWidget> W *child(const char *name) const { return dialog->findChild<W *>(QLatin1String(name)); }
    void click(const char *name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    QString problem() const { return child("MeltProblem")->isVisible() ? child<QLabel>("MeltProblem")->text() : QString(); }
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

    MeltDialog *dialog = nullptr;
    QString chosen = QStringLiteral(SCREENFILTER_DOCS "/melt-points.csv");
};

TEST_F(MeltDialogTest, TypedValuesAreAppliedAndTheFitIsDropped)
{
    const struct {
        const char *locale;
        int unit;             // 0 gf·s/cm², 1 Pa·s
        const char *switched; // the case's η0, 9.55 gf·s/cm², in that unit: 9.55 × 98.0665 Pa·s rounded once
        Melt typed;
        Melt shown; // in the window, full stops for the locale's separator; η0 as the file has it
    } rows[] = {
        // 1000 Pa·s / 98.0665, rounded once from the exact quotient.
        {"de_DE", 1, "936,5350750000001", {"1000", "50", "0,4", "1,4E4", "25,5"},
         {"10.197162129779283", "50", "0.4", "1.4E4", "25.5"}},
        {"C", 0, "9.55", {"12.5", "50", "0.4", "14000.0", "25"}, {"12.5", "50", "0.4", "14000.0", "25"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.locale);
        ScratchDirectory dir;
        openFittedCase(row.locale);
        const char sep = form1->decimalSeparator();
        child<QComboBox>("ViscosityUnit")->setCurrentIndex(row.unit);
        EXPECT_EQ(value(Field::StandardViscosity)->text(), row.switched);
        EXPECT_EQ(value(Field::StandardViscosity)->cursorPosition(), 0) << "from its start";
        for (std::size_t i = 0; i < 5; ++i)
            type(Fields[i], row.typed[i]);
        click("ApplyButton");
        EXPECT_EQ(problem(), QString());
        expectMelt(row.shown, sep);
        EXPECT_FALSE(edit(Field::StandardViscosity)->isEnabled()) << "the melt stays read-only";
        EXPECT_TRUE(form1->hasUnsavedEdits());
        const CaseContent file = saved();
        EXPECT_EQ(file.texts[Field::StandardViscosity], row.shown[0]);
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
        // As screenfilter-cli melt fit prints it; the chart logarithmic, a fitted line per temperature, then its points.
        EXPECT_EQ(child<QTableView>("FitTable")->verticalHeader()->count(), 16); // as the view has it
        EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("FitSummary"))->text().toStdString(),
                  "16 points from melt-points.csv: 200 to 260 ℃, 10 to 1000 1/s. η0 is the viscosity at 230 ℃ and SR0; A "
                  "was fitted. Deviation of the fitted viscosity: " + inLocale("2.69 % rms, 4.30", sep) + " % at most.");
        const PlotSpec &chart = dialog->findChild<PlotView *>(QStringLiteral("FitChart"))->spec();
        EXPECT_EQ(chart.colourGroups, (std::vector<std::string>{"200 ℃", "230 ℃", "260 ℃"}));
        EXPECT_TRUE(chart.logX && chart.logY && chart.yTitle == "Viscosity (Pa.s)") << chart.yTitle;
        ASSERT_EQ(chart.lines.size(), 6u);
        EXPECT_TRUE(!chart.lines[2].markers && chart.lines[2].styleGroup == 0 && chart.lines[3].markers &&
                    chart.lines[4].points.size() == 6) << "fitted lines solid, then the points";
        if (row.viaPascalSeconds) {
            child<QComboBox>("ViscosityUnit")->setCurrentIndex(1);
            EXPECT_EQ(value(Field::StandardViscosity)->text().toStdString(), inLocale("4241.668503575576", sep));
            child<QComboBox>("ViscosityUnit")->setCurrentIndex(0);
        }
        Melt expected = CliFit;
        if (row.overtyped) { // after a value that does not read, whose problem Apply then clears
            type(Field::StandardShearRate, "x");
            click("ApplyButton");
            EXPECT_NE(problem(), QString());
            type(Field::StandardShearRate, expected[1] = row.overtyped);
        }
        click("ApplyButton");
        EXPECT_EQ(problem(), QString());
        expectMelt(expected, sep);
        const CaseContent file = saved();
        for (std::size_t i = 0; i < 5; ++i)
            EXPECT_EQ(file.texts[Fields[i]], expected[i]) << i;
        EXPECT_EQ(file.meltFit, row.rangeKept ? std::optional(CliRange) : std::nullopt);
        // The other locale keeps the melt, its range, and the case saved.
        form1->applyLocale(QLocale(QString::fromLatin1(sep == '.' ? "de_DE" : "C")));
        expectMelt(expected, form1->decimalSeparator());
        EXPECT_FALSE(form1->hasUnsavedEdits());
        EXPECT_EQ(saved().meltFit, file.meltFit);
        dialog->close();
    }
}

// No chart of a melt whose values do not read or whose SR0 is no rate; Cancel
// in the file dialog, which asks for an existing points file, fits nothing;
// a fit stays on show when the dialog shows the melt again.
TEST_F(MeltDialogTest, NoChartOfAMeltThatDoesNotReadAndAFitStaysOnShow)
{
    MeltDialog melt([](const FieldTexts &, const std::optional<MeltFitRange> &) {});
    dialog = &melt;
    const PlotSpec &chart = child<PlotView>("FitChart")->spec();
    for (const auto &[field, text] :
         {std::pair(Field::StandardViscosity, "x"), std::pair(Field::StandardShearRate, "0")}) {
        FieldTexts texts = FieldTexts::defaults();
        texts[field] = text;
        melt.setMelt(texts, '.');
        EXPECT_TRUE(chart.colourGroups.empty() && chart.lines.empty()) << text;
    }
    QStringList asked;
    {
        ModalWatcher watcher([&asked](QWidget *shown) {
            auto *files = qobject_cast<QFileDialog *>(shown);
            asked = files->nameFilters() << QString::number(files->fileMode());
            files->reject();
        });
        melt.fitFromPoints();
    }
    EXPECT_EQ(asked.join(u'|'), "Viscosity points (*.csv *.txt *.tsv *.dat)|All files (*)|1"); // 1: an existing file
    EXPECT_FALSE(child("FitAgainButton")->isEnabled());
    melt.setPointsChooser([this] { return chosen; });
    melt.fitFromPoints();
    melt.setMelt(FieldTexts::defaults(), '.');
    EXPECT_EQ(chart.colourGroups, (std::vector<std::string>{"200 ℃", "230 ℃", "260 ℃"}));
}

TEST_F(MeltDialogTest, BadValueOrFileIsNamedInTheDialogAndNothingChanges)
{
    const struct {
        const char *name, *locale;
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
         "/points.csv: all points are at one temperature (200 °C), from which A cannot be fitted: give A or an activation "
         "energy, or add points at a second temperature (screenfilter-cli melt fit --shift-a or --activation-energy)"},
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

// A sheet whose header the reader does not know: its columns are chosen
// beside its first lines, and the fit is the command line's with --columns.
// Then a fit window leaves points out, which the table marks.
TEST_F(MeltDialogTest, ColumnsChosenForAnUnknownHeaderAndAFitWindow)
{
    ScratchDirectory dir;
    openFittedCase("de_DE");
    // docs/melt-points.csv with other names, a column more and decimal commas.
    writeBytes("messung.csv", "# Messung 7\nProbe;T;Gamma;Eta\nA;200;10;35740\nA;200;100;10180\nA;230;10;14730\n"
                              "A;230;100;4177,5\nA;260;10;6528\nA;260;100;1880\n");
    chosen = QDir::current().absoluteFilePath(QStringLiteral("messung.csv"));
    click("FitButton");
    EXPECT_TRUE(problem().contains(QStringLiteral("the header 'Probe;T;Gamma;Eta', its values taken as separated by "
                                                  "';', names no temperature and shear_rate and viscosity column")) &&
                problem().endsWith(QStringLiteral("\nChoose the columns below and Fit again.")))
        << problem().toStdString();
    ASSERT_TRUE(child("ColumnChoosers")->isVisible());
    EXPECT_EQ(child<QPlainTextEdit>("PointsPreview")->toPlainText(),
              QStringLiteral("Probe;T;Gamma;Eta\nA;200;10;35740\nA;200;100;10180\nA;230;10;14730\nA;230;100;4177,5\n"
                             "A;260;10;6528"));
    const char *const choosers[][2] = {
        {"TemperatureColumn", "1: Probe"}, {"ShearRateColumn", "2: T"}, {"ViscosityColumn", "3: Gamma"}};
    for (std::size_t k = 0; k < 3; ++k) {
        auto *chooser = child<QComboBox>(choosers[k][0]);
        ASSERT_EQ(chooser->count(), 4);
        EXPECT_EQ(chooser->itemText(1) + '|' + chooser->currentText(), QStringLiteral("2: T|") + choosers[k][1]);
        chooser->setCurrentIndex(static_cast<int>(k + 1));
    }
    click("FitAgainButton");
    ASSERT_EQ(problem(), QString());
    // The choosers are in the Tab chain, in their order, before the table.
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == dialog; }));
    child("FitAgainButton")->setFocus(Qt::OtherFocusReason);
    for (const char *next : {"TemperatureColumn", "ShearRateColumn", "ViscosityColumn", "FitTable"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(focusName().toStdString(), next);
    }

    QTest::keyClicks(child<QLineEdit>("TemperatureFrom"), QStringLiteral("199,5"));
    QTest::keyClicks(child<QLineEdit>("TemperatureTo"), QStringLiteral("230"));
    click("FitAgainButton");
    ASSERT_EQ(problem(), QString());
    // screenfilter-cli melt fit … --temperature-range 199.5:230: its deviations, its range, not the file's.
    const QAbstractItemModel *table = child<QTableView>("FitTable")->model();
    ASSERT_EQ(table->rowCount(), 6);
    EXPECT_EQ(table->index(3, 4).data().toString() + '|' + table->index(4, 4).data().toString(), "+0,11|+2,45  left out");
    EXPECT_TRUE(!table->index(3, 0).data(Qt::ForegroundRole).isValid() &&
                table->index(4, 0).data(Qt::ForegroundRole).isValid()) << "left out in grey";
    EXPECT_EQ(child<QLabel>("FitSummary")->text(),
              "4 of 6 points from messung.csv: 200 to 230 ℃, 10 to 100 1/s. η0 is the viscosity at 215 ℃ and SR0; A "
              "was fitted. Deviation of the fitted viscosity: 0,11 % rms, 0,11 % at most.");
    click("ApplyButton");
    const CaseContent file = saved();
    EXPECT_TRUE(file.meltFit && file.meltFit->points == 4 && file.meltFit->temperatureMax == 230);

    const struct { const char *from, *to, *problem; } bad[] = {
        {"1.5", "", "Fit shear rates: '1.5' is not a number; write digits with ',' as the decimal separator"},
        {"100", "10", "Fit shear rates: from 100 to 10; give the lower value first"},
        {"2000", "", "no point is within"},
        {"10", "10", "all points are at one shear rate (10 1/s)"}, // both ends included, as the command line's
    };
    for (const auto &row : bad) {
        SCOPED_TRACE(row.from);
        child<QLineEdit>("ShearRateFrom")->setText(QString::fromUtf8(row.from));
        child<QLineEdit>("ShearRateTo")->setText(QString::fromUtf8(row.to));
        click("FitAgainButton");
        EXPECT_TRUE(problem().contains(QString::fromUtf8(row.problem))) << problem().toStdString();
        EXPECT_EQ(saved().meltFit, file.meltFit) << "nothing changes";
    }
}

TEST_F(MeltDialogTest, AFitAppliedToTheValuesTheFileHasIsAnUnsavedChangeUntilItHasItsRange)
{
    for (const bool fileHasRange : {false, true}) {
        SCOPED_TRACE(fileHasRange);
        ScratchDirectory dir;
        FieldTexts texts = FieldTexts::defaults();
        for (std::size_t i = 0; i < 5; ++i)
            texts[Fields[i]] = CliFit[i];
        openFittedCase("C", texts, fileHasRange ? std::optional(CliRange) : std::nullopt);
        click("FitButton");
        click("ApplyButton");
        EXPECT_EQ(form1->hasUnsavedEdits(), !fileHasRange);
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
    EXPECT_FALSE(child("FitAgainButton")->isEnabled()) << "no file yet";
    QStringList headers;
    for (int c = 0; c < 5; ++c)
        headers << child<QTableView>("FitTable")->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headers.join(u'|'), "Temperature\n℃|Shear rate\n1/s|Measured\nPa.s|Fitted\nPa.s|Deviation\n%");
    click("FitButton"); // a table with rows and a chart to pass by
    value(Field::StandardViscosity)->setFocus(Qt::OtherFocusReason);
    const char *const chain[] = {"ViscosityUnit",   "standard_shear_rate", "power_law_factor", "shift_a",
                                 "shift_b",         "FitButton",           "TemperatureFrom",  "TemperatureTo",
                                 "ShearRateFrom",   "ShearRateTo",         "FitAgainButton",   "FitTable"};
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
    // Laid out: the window's ends side by side, the table below the fit's
    // buttons, a problem below the table.
    dialog->show();
    type(Field::ShiftA, "x");
    click("ApplyButton");
    dialog->layout()->activate();
    const auto at = [this](const char *name) {
        return QRect(child(name)->mapTo(dialog, QPoint(0, 0)), child(name)->size());
    };
    EXPECT_GT(at("TemperatureTo").left(), at("TemperatureFrom").right());
    EXPECT_EQ(at("TemperatureTo").top(), at("TemperatureFrom").top());
    EXPECT_GT(at("FitTable").top(), at("FitButton").bottom());
    EXPECT_GT(at("MeltProblem").top(), at("FitTable").bottom());
    click("CloseButton");
    EXPECT_FALSE(dialog->isVisible());
}

} // namespace
} // namespace sf::test
