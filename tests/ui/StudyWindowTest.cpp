// The study window as a user drives it: Ctrl+T, the per-screen table against
// the report OK writes, edits followed without a dialog, the pressure units,
// the limit's flow rate against the solve code, and the exports.
#include "UiTestSupport.h"

#include "StudyWindow.h"
#include "cases/CaseFile.h"
#include "support/Process.h"
#include "run/Solve.h"
#include "run/Sweep.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QListWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QTableWidget>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sf::test {
namespace {

// Another melt and a shorter pack, at another temperature.
FieldTexts otherMelt()
{
    FieldTexts t = FieldTexts::defaults();
    t[Field::Temperature] = "240.0";
    t[Field::StandardViscosity] = "4.2";
    t[Field::StandardShearRate] = "50.0";
    t[Field::PowerLawFactor] = "0.35";
    t[Field::ShiftA] = "12000.0";
    t[Field::ShiftB] = "20.5";
    t[Field::ScreenCount] = "5";
    return t;
}

class StudyWindowTest : public MainWindowTest {
protected:
    void openStudy()
    {
        QTest::keyClick(edit(1), Qt::Key_T, Qt::ControlModifier);
        study = form1->findChild<StudyWindow *>(QStringLiteral("StudyWindow"));
        ASSERT_NE(study, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(study));
        table = study->findChild<QTableWidget *>(QStringLiteral("StudyTable"));
        problem = study->findChild<QLabel *>(QStringLiteral("StudyProblem"));
        findings = study->findChild<QListWidget *>(QStringLiteral("StudyDiagnoses"));
        limitAnswer = study->findChild<QLabel *>(QStringLiteral("StudyLimitAnswer"));
    }
    // Replaces what field `number` holds by typing, as a user would.
    void type(int number, const char *text)
    {
        reactivate();
        focus(number);
        edit(number)->selectAll();
        QTest::keyClick(edit(number), Qt::Key_Delete);
        QTest::keyClicks(edit(number), QString::fromUtf8(text));
    }
    QString totalShown() const
    {
        const int rows = table->rowCount();
        return rows == 0 ? QString() : table->item(rows - 1, table->columnCount() - 1)->text();
    }
    // The total the report of OK gives for the fields as they are.
    QString reportTotal()
    {
        ModalWatcher watcher;
        QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
        const std::string report = readBytes("result.txt");
        const std::size_t line = report.rfind(" Total ");
        if (line == std::string::npos)
            return {};
        return QString::fromStdString(report.substr(line)).simplified().section(u' ', -1);
    }
    void waitForTotal(const QString &expected)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return totalShown() == expected; }, 5000))
            << "shown " << totalShown().toStdString() << ", expected " << expected.toStdString();
    }

    StudyWindow *study = nullptr;
    QTableWidget *table = nullptr;
    QLabel *problem = nullptr;
    QListWidget *findings = nullptr;
    QLabel *limitAnswer = nullptr;
};

TEST_F(StudyWindowTest, TheTotalIsTheReportsAndFollowsEditsAndOpenedCases)
{
    const struct {
        const char *name;
        bool otherMelt;      // opened from a case file
        const char *flowRate; // then typed into Flow Rate
        int rows;            // screens and the total
    } rows[] = {
        {"worked example", false, nullptr, 13},
        {"worked example at 40 kg/hr", false, "40", 13},
        {"another melt", true, nullptr, 6},
        {"another melt at 75.5 kg/hr", true, "75.5", 6},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        ScratchDirectory dir;
        if (row.otherMelt) {
            writeBytes("other.sfcase", formatCaseFile(otherMelt()));
            ASSERT_TRUE(form1->openCase(QStringLiteral("other.sfcase")));
        }
        openStudy();
        if (row.flowRate)
            type(1, row.flowRate);
        const QString expected = reportTotal();
        ASSERT_FALSE(expected.isEmpty());
        waitForTotal(expected);
        EXPECT_EQ(table->rowCount(), row.rows);
        EXPECT_FALSE(problem->isVisible());
    }
}

TEST_F(StudyWindowTest, ExportsAreNamedForTheCaseAsLastSaved)
{
    ScratchDirectory dir;
    writeBytes("case.sfcase", formatCaseFile(FieldTexts::defaults()));
    ASSERT_TRUE(form1->openCase(QStringLiteral("case.sfcase")));
    openStudy();
    ASSERT_TRUE(form1->saveCase(QStringLiteral("renamed.sfcase")));
    QStringList suggested;
    study->setFileChooser([&](const QString &, const QString &, const QString &path) {
        suggested << QFileInfo(path).fileName();
        return QString();
    });
    for (const char *button : {"ExportChartButton", "ExportTableButton"})
        QTest::mouseClick(study->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
    EXPECT_EQ(suggested.join(u' ').toStdString(), "renamed-study.png renamed-study.csv");
}

TEST_F(StudyWindowTest, TabPassesEachControlOnceAndEscapeCloses)
{
    openStudy();
    study->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == study; }));
    study->findChild<QComboBox *>(QStringLiteral("StudyUnit"))->setFocus(Qt::OtherFocusReason);
    // The limit's text is disabled until the box is ticked.
    for (const char *next : {"StudyLimitOn", "StudyTable", "StudyDiagnoses", "ExportChartButton"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(focusName().toStdString(), next);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !study->isVisible(); })) << "the Close button clicks as it shows";
}

// A page's text, its date and time and the program's name made alike, so
// that pages of the window and of the command line compare.
std::string pageWords(const std::string &file)
{
    const ProcessResult text = runProcess("/usr/bin/pdftotext", {"-enc", "UTF-8", file, "-"});
    EXPECT_EQ(text.exitCode, 0) << "pdftotext (poppler-utils): " << text.err;
    return QString::fromStdString(text.out)
        .replace(QRegularExpression(QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d")), QStringLiteral("DATE"))
        .replace(QStringLiteral("screenfilter-cli "), QStringLiteral("screenfilter "))
        .simplified()
        .toStdString();
}

TEST_F(StudyWindowTest, PrintAndSaveAsPdfGiveTheCommandLinesPage)
{
    ScratchDirectory dir;
    MeltFitRange fit{270, 310, 100, 20000, 24, "melt-points.csv", 1.5, 3.25};
    CaseStudy asked;
    asked.pressureUnit = "bar";
    asked.limit = "total=400bar";
    writeBytes("line.sfcase", formatCaseFile(FieldTexts::defaults(), fit, asked));
    ASSERT_TRUE(form1->openCase(QStringLiteral("line.sfcase")));
    openStudy();
    waitForTotal(QStringLiteral("356.29"));
    QString suggested;
    study->setFileChooser([&](const QString &, const QString &, const QString &path) {
        suggested = QFileInfo(path).fileName();
        return QStringLiteral("saved.pdf");
    });
    study->setPrinterSetup([](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QStringLiteral("printed.pdf"));
        printer.setPageSize(QPageSize(QPageSize::A4));
        return true;
    });
    QTest::mouseClick(study->findChild<QPushButton *>(QStringLiteral("SavePdfButton")), Qt::LeftButton);
    QTest::mouseClick(study->findChild<QPushButton *>(QStringLiteral("PrintPageButton")), Qt::LeftButton);
    EXPECT_EQ(suggested, QStringLiteral("line.pdf"));

    const ProcessResult cli =
        runProcess(SCREENFILTER_CLI, {"run", "line.sfcase", "--format", "pdf", "--units", "bar", "-o", "cli.pdf"});
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    const std::string expected = pageWords("cli.pdf");
    EXPECT_NE(expected.find("Total 356.29"), std::string::npos) << expected;
    EXPECT_NE(expected.find("limit 400 bar"), std::string::npos) << expected;
    EXPECT_EQ(pageWords("saved.pdf"), expected);
    EXPECT_EQ(pageWords("printed.pdf"), expected);
}

TEST_F(StudyWindowTest, PressuresAreShownInTheChosenUnit)
{
    openStudy();
    waitForTotal(QStringLiteral("363.32"));
    // Down through the list: 363.3168215683853 kgf/cm2 in each unit.
    const char *const totals[] = {"356.29", "35.629", "5167.6"};
    const char *const units[] = {"bar", "MPa", "psi"};
    auto *unit = study->findChild<QComboBox *>(QStringLiteral("StudyUnit"));
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(unit, Qt::Key_Down);
        EXPECT_EQ(totalShown(), QLatin1String(totals[i])) << units[i];
        EXPECT_TRUE(table->horizontalHeaderItem(table->columnCount() - 1)->text().endsWith(
            QStringLiteral("(%1)").arg(QLatin1String(units[i]))));
    }
}

TEST_F(StudyWindowTest, AFieldThatCannotBeReadIsNamedInTheWindowWithoutADialog)
{
    const struct {
        int field;
        const char *text;
        const char *place; // as the window names the field
        const char *finding;
    } rows[] = {
        {1, "5x7", "Flow Rate (kg/hr)", "'5x7' is not a number"},
        {1, "57,0", "Flow Rate (kg/hr)", "'57,0' is not a number; write digits with '.'"},
        {6, "", "No. 1  Screen Wire Dia. (cm)", "empty; give Wire Dia."},
        {8, "0.3", "No. 2  Screen Wire Dia. (cm)", "no opening left at screen 2"},
        {3, "0", "Density (g/cm3)", "Density is 0 g/cm3; it must be greater than 0"},
    };
    openStudy();
    ModalWatcher watcher;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        const QString before = edit(row.field)->text();
        type(row.field, row.text);
        ASSERT_TRUE(QTest::qWaitFor([&] { return problem->isVisible(); }, 5000));
        EXPECT_TRUE(problem->text().startsWith(QStringLiteral("Not computed. %1: %2")
                                                   .arg(QLatin1String(row.place), QString::fromUtf8(row.finding))))
            << problem->text().toStdString();
        EXPECT_EQ(table->rowCount(), 0);
        EXPECT_TRUE(findings->item(0)->text().startsWith(QStringLiteral("error — %1: ").arg(QLatin1String(row.place))));
        EXPECT_FALSE(study->findChild<QPushButton *>(QStringLiteral("ExportTableButton"))->isEnabled());

        type(row.field, before.toUtf8().constData());
        waitForTotal(QStringLiteral("363.32"));
        EXPECT_FALSE(problem->isVisible());
    }
    EXPECT_TRUE(watcher.seen.empty());
}

TEST_F(StudyWindowTest, TheDiagnosesHoldTheOpenedMeltsFitRange)
{
    ScratchDirectory dir;
    // Fitted to 200 to 250 ℃ and shear rates the pack's screens all exceed.
    const MeltFitRange fit{200, 250, 1, 100, 12, "melt.csv", 2.5, 4.0};
    writeBytes("fitted.sfcase", formatCaseFile(FieldTexts::defaults(), fit));
    ASSERT_TRUE(form1->openCase(QStringLiteral("fitted.sfcase")));
    openStudy();
    auto shown = [&] {
        QStringList lines;
        for (int i = 0; i < findings->count(); ++i)
            lines << findings->item(i)->text().section(u':', 0, 0);
        return lines.join(u'|');
    };
    QString all = QStringLiteral("warning — Temperature (℃)");
    for (int k = 1; k <= 12; ++k)
        all += QStringLiteral("|warning — Screen %1").arg(k);
    EXPECT_EQ(shown().toStdString(), all.toStdString());
    type(4, "230");
    all.remove(QStringLiteral("warning — Temperature (℃)|"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown() == all; }, 5000)) << shown().toStdString();
}

TEST_F(StudyWindowTest, TheLimitsFlowRateIsTheSolveCodes)
{
    const struct {
        int unitDowns; // from kgf/cm2
        const char *typed;
        const char *unit;
        bool found;
    } rows[] = {
        {0, "300", "kgf/cm2", true},
        {1, "250.5", "bar", true},
        {3, "9000", "psi", false}, // above the total from a quarter to twice the flow rate
    };
    openStudy();
    auto *on = study->findChild<QCheckBox *>(QStringLiteral("StudyLimitOn"));
    auto *limit = study->findChild<QLineEdit *>(QStringLiteral("StudyLimit"));
    auto *unit = study->findChild<QComboBox *>(QStringLiteral("StudyUnit"));
    QTest::mouseClick(on, Qt::LeftButton, {}, QPoint(4, on->height() / 2));
    ASSERT_TRUE(on->isChecked());
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed);
        unit->setCurrentIndex(0);
        for (int i = 0; i < row.unitDowns; ++i)
            QTest::keyClick(unit, Qt::Key_Down);
        limit->selectAll();
        QTest::keyClicks(limit, QString::fromLatin1(row.typed));
        const PressureLimit wanted{0, std::stod(row.typed), *pressureUnitNamed(row.unit)};
        const SolveAnswer answer =
            solveLimit(FieldTexts::defaults(), '.', Field::FlowRate, wanted, {57.0 / 4, 2 * 57.0});
        ASSERT_EQ(answer.outcome == SolveOutcome::Found, row.found) << answer.message;
        if (row.found) {
            const QString exact = QString::fromStdString(shortest(answer.within())) + QStringLiteral(" kg/hr: ");
            ASSERT_TRUE(QTest::qWaitFor([&] { return limitAnswer->toolTip().startsWith(exact); }, 5000))
                << limitAnswer->toolTip().toStdString() << " for " << exact.toStdString();
            const double shown = limitAnswer->text().section(u' ', 2, 2).toDouble();
            EXPECT_NEAR(shown, answer.within(), 5e-4 * answer.within()) << limitAnswer->text().toStdString();
        } else {
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return limitAnswer->text() == QString::fromStdString(answer.message); }, 5000))
                << limitAnswer->text().toStdString();
        }
    }
    limit->selectAll();
    QTest::keyClicks(limit, QStringLiteral("-3"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return limitAnswer->text().startsWith(QStringLiteral("Give a pressure above 0")); }));
}

TEST_F(StudyWindowTest, ExportsWriteTheChartAndTheTableWholeAndSayWhatFailed)
{
    const struct {
        const char *locale;
        const char *file;
        std::string start; // of the file; empty: none is written
        std::string has;   // in the file, or in the error box
    } rows[] = {
        {"C", "study.png", "\x89PNG\r\n", ""},
        {"C", "study.svg", "<?xml", "<svg"},
        {"C", "study.xlsx", "PK\x03\x04", ""},
        {"C", "study.csv",
         "screen,mesh_per_in,wire_cm,opening_cm,open_area,screen_factor,wall_shear_rate_per_s,"
         "apparent_viscosity_Pa_s,pressure_drop_kgf_per_cm2\n1,30,0.02946,",
         "\ntotal,,,,,,,,363.3168215683853\n"},
        {"de_DE", "study.csv", "screen;mesh_per_in;wire_cm;", "\n1;30;0,02946;"},
        {"C", "no-folder/study.csv", "", "study.csv: "},
        {"C", "study.txt", "", "study.txt: a table is a .csv or an .xlsx file."},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.file);
        SetUp();
        ScratchDirectory dir;
        form1->applyLocale(QLocale(QString::fromLatin1(row.locale)));
        // A case file brings the worked example with the locale's separator.
        writeBytes("case.sfcase", formatCaseFile(FieldTexts::defaults()));
        ASSERT_TRUE(form1->openCase(QStringLiteral("case.sfcase")));
        openStudy();
        study->setFileChooser([&](const QString &, const QString &, const QString &) { return QString::fromLatin1(row.file); });
        ModalWatcher watcher;
        const bool chart = QByteArray(row.file).endsWith(".png") || QByteArray(row.file).endsWith(".svg");
        QTest::mouseClick(study->findChild<QPushButton *>(chart ? QStringLiteral("ExportChartButton")
                                                                : QStringLiteral("ExportTableButton")),
                          Qt::LeftButton);
        const std::string bytes = readBytes(row.file);
        if (row.start.empty()) {
            ASSERT_EQ(watcher.seen.size(), 1u);
            EXPECT_TRUE(watcher.seen[0].text.contains(QString::fromStdString(row.has))) << watcher.seen[0].text.toStdString();
            EXPECT_FALSE(fileExists(row.file));
            continue;
        }
        EXPECT_TRUE(watcher.seen.empty());
        EXPECT_EQ(bytes.substr(0, row.start.size()), row.start);
        EXPECT_NE(bytes.find(row.has), std::string::npos);
    }
}

// An export onto a named pipe held open by a program that never reads it,
// or onto a device, is refused at once with a box that says why, and
// nothing goes into the pipe.
TEST_F(StudyWindowTest, ExportsOntoAPipeOrADeviceAreRefusedAtOnce)
{
    ScratchDirectory dir;
    openStudy();
    ASSERT_EQ(::mkfifo("pipe.png", 0666), 0);
    ASSERT_EQ(::symlink("pipe.png", "pipe.csv"), 0);
    ASSERT_EQ(::symlink("/dev/null", "null.svg"), 0);
    const int reader = ::open("pipe.png", O_RDONLY | O_NONBLOCK);
    for (const char *file : {"pipe.png", "pipe.csv", "null.svg"}) {
        SCOPED_TRACE(file);
        study->setFileChooser([&](const QString &, const QString &, const QString &) { return QString::fromLatin1(file); });
        ModalWatcher watcher;
        const bool table = QByteArray(file).endsWith(".csv");
        QTest::mouseClick(study->findChild<QPushButton *>(table ? QStringLiteral("ExportTableButton")
                                                                : QStringLiteral("ExportChartButton")),
                          Qt::LeftButton);
        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_EQ(watcher.seen[0].text.toStdString(),
                  file + std::string(": 通常のファイルではありません (not a regular file: a named pipe, a device or a socket)"));
    }
    char byte;
    EXPECT_EQ(::read(reader, &byte, 1), 0) << "nothing went into the pipe";
    ::close(reader);
}

} // namespace
} // namespace sf::test
