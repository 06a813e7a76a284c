// The study window as a user drives it: Ctrl+T, the per-screen table against
// the report OK writes, edits followed without a dialog, the pressure units,
// the limit's flow rate against the solve code, and the exports.
#include "UiTestSupport.h"

#include "StudyWindow.h"
#include "cases/CaseFile.h"
#include "plot/PlotChart.h"
#include "plot/PlotView.h"
#include "support/Process.h"
#include "run/Sweep.h"

#include <QChartView>
#include <QScatterSeries>
#include <QValueAxis>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QListWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QTableWidget>

#include <cstring>

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
        {"worked example at 40 kg/hr", false, "40", 13},
        {"another melt", true, nullptr, 6},
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
        // The total's row in view without scrolling down.
        EXPECT_LE(table->visualItemRect(table->item(row.rows - 1, 0)).bottom(), table->viewport()->height());
        EXPECT_FALSE(problem->isVisible());
    }
}

TEST_F(StudyWindowTest, EachControlHasItsPlaceTabAndAltKeysReachEachAndEscapeCloses)
{
    openStudy();
    EXPECT_EQ(overlapping(study, {"StudyTemperatures", "StudyFlowFrom", "StudyFlowTo", "StudyUnit", "StudyLimitOn",
                                  "StudyLimitOf", "StudyLimit", "StudyLimitAnswer", "StudyFind", "StudyFindFrom",
                                  "StudyFindTo", "StudyFindAnswer", "StudyTable", "StudyDiagnoses", "StudyChart",
                                  "StudyLimitAnswers", "StudyButtons"}),
              QString());
    study->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == study; }));
    study->findChild<QComboBox *>(QStringLiteral("StudyUnit"))->setFocus(Qt::OtherFocusReason);
    // The limit's other controls are disabled until the box is ticked, the
    // find range's until a key is chosen.
    for (const char *next : {"StudyLimitOn", "StudyFind", "StudyTable", "StudyDiagnoses", "StudyLimitAnswers",
                             "ExportChartButton", "ExportTableButton", "ExportCurvesButton"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(focusName().toStdString(), next);
    }
    // Alt and a letter reach each control; Alt+L ticks the limit too, a
    // moment later, which enables what follows, and a chosen key the find range's.
    study->findChild<QComboBox *>(QStringLiteral("StudyFind"))->setCurrentIndex(1);
    const struct {
        Qt::Key key;
        const char *focused;
    } rows[] = {
        {Qt::Key_T, "StudyTemperatures"}, {Qt::Key_F, "StudyFlowFrom"}, {Qt::Key_O, "StudyFlowTo"},
        {Qt::Key_P, "StudyUnit"},         {Qt::Key_L, "StudyLimitOn"},  {Qt::Key_N, "StudyLimitOf"},
        {Qt::Key_A, "StudyLimit"},        {Qt::Key_I, "StudyFind"},     {Qt::Key_M, "StudyFindFrom"},
        {Qt::Key_U, "StudyFindTo"},       {Qt::Key_D, "StudyDiagnoses"}, {Qt::Key_R, "StudyLimitAnswers"},
    };
    for (const auto &row : rows) {
        QTest::keyClick(QApplication::focusWidget(), row.key, Qt::AltModifier);
        EXPECT_EQ(focusName().toStdString(), row.focused);
        if (row.key == Qt::Key_L) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return study->findChild<QCheckBox *>(row.focused)->isChecked(); }));
        }
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
    // Down through the list: 363.3168215683853 kgf/cm2 in each unit, under its heading.
    auto *unit = study->findChild<QComboBox *>(QStringLiteral("StudyUnit"));
    table->setColumnWidth(1, 250); // a user's, kept as the numbers change
    for (const char *shown : {"356.29 (bar)", "35.629 (MPa)", "5167.6 (psi)"}) {
        QTest::keyClick(unit, Qt::Key_Down);
        EXPECT_EQ(totalShown() + u' ' + table->horizontalHeaderItem(8)->text().section(u'\n', 1), QLatin1String(shown));
    }
    EXPECT_EQ(table->columnWidth(1), 250);
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
        EXPECT_EQ(findings->item(0)->icon().pixmap(16).toImage(),
                  study->style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(16).toImage());
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

// The limit's answer at the case's temperature, as solve gives it in its
// default range, a quarter to twice the case's 57 kg/hr. By hand, the total
// goes as the flow rate to the power 0.469: 57 (300 / 363.3168)^(1 / 0.469)
// = 37.89 kg/hr, and 363.3168 kgf/cm2 2^0.469 = 7152.7 psi.
TEST_F(StudyWindowTest, TheLimitsAnswerAndFindAreSolves)
{
    ScratchDirectory dir;
    writeBytes("case.sfcase", formatCaseFile(FieldTexts::defaults()));
    const struct {
        int unit; // kgf/cm2, bar, MPa, psi
        const char *typed, *said, *tip;
    } rows[] = {
        {0, "300", "reached at 37.89 kg/hr at 290 ℃",
         "37.892421356097735 kg/hr: the highest flow rate within the limit at 290 ℃"},
        {3, "9000",
         "process.flow_rate: the total stays below the limit of 9000 psi from 14.25 to 114 kg/hr "
         "(at most 7152.7 psi, at 114 kg/hr)",
         ""},
        {3, "0", "Give a pressure above 0 in psi, such as 300.", ""},
    };
    openStudy();
    auto *on = study->findChild<QCheckBox *>(QStringLiteral("StudyLimitOn"));
    auto *limit = study->findChild<QLineEdit *>(QStringLiteral("StudyLimit"));
    QTest::mouseClick(on, Qt::LeftButton, {}, QPoint(4, on->height() / 2));
    ASSERT_TRUE(on->isChecked());
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed);
        study->findChild<QComboBox *>(QStringLiteral("StudyUnit"))->setCurrentIndex(row.unit);
        limit->selectAll();
        QTest::keyClicks(limit, QString::fromLatin1(row.typed));
        EXPECT_TRUE(QTest::qWaitFor([&] { return limitAnswer->text() == QString::fromUtf8(row.said); }, 5000))
            << limitAnswer->text().toStdString();
        EXPECT_EQ(limitAnswer->toolTip(), QString::fromUtf8(row.tip));
    }
    EXPECT_EQ(limitAnswer->palette().color(QPalette::WindowText), QColor(0xB0, 0x00, 0x00));

    // The Find row's answer is solve's, both sides and every digit, with the
    // diagnoses at the answer; a limit not reached says so with the range.
    study->findChild<QComboBox *>(QStringLiteral("StudyUnit"))->setCurrentIndex(0);
    const struct {
        const char *key;
        const char *from, *to; // empty: solve's default range
    } finds[] = {
        {"flow_rate", "", ""},
        {"temperature", "", ""},    // the total falls as it rises
        {"screens.2.wire", "", ""}, // the diagnoses at the answer say more
        {"density", "0.5", "2"},
        {"flow_rate", "1", "2"}, // never reached in the range
    };
    auto *find = study->findChild<QComboBox *>(QStringLiteral("StudyFind"));
    auto *from = study->findChild<QLineEdit *>(QStringLiteral("StudyFindFrom"));
    auto *to = study->findChild<QLineEdit *>(QStringLiteral("StudyFindTo"));
    auto *answer = study->findChild<QLabel *>(QStringLiteral("StudyFindAnswer"));
    for (const auto &row : finds) {
        SCOPED_TRACE(row.key);
        find->setCurrentIndex(find->findText(QLatin1String(row.key)));
        ASSERT_GT(find->currentIndex(), 0);
        for (auto [edit, text] : {std::pair{limit, "300"}, {from, row.from}, {to, row.to}}) {
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
            QTest::keyClicks(edit, QLatin1String(text));
        }
        std::vector<std::string> args{"solve", "case.sfcase", "--find", row.key, "--limit", "total=300kgf/cm2"};
        if (*row.from)
            args.push_back(std::string("--range=") + row.from + ":" + row.to);
        const ProcessResult solve = runProcess(SCREENFILTER_CLI, args);
        // solve's line after the case's name, or its complaint.
        const std::string expected = solve.exitCode == 0 ? solve.out.substr(std::strlen("case.sfcase: "))
                                                         : solve.err.substr(solve.err.find("case.sfcase: ") + 13);
        ASSERT_FALSE(expected.empty()) << solve.err;
        const QString wanted = QString::fromStdString(expected).trimmed();
        EXPECT_TRUE(QTest::qWaitFor([&] { return answer->text() == wanted; }, 5000))
            << answer->text().toStdString() << "\nsolve: " << expected;
        if (solve.exitCode != 0) {
            EXPECT_EQ(answer->palette().color(QPalette::WindowText), QColor(0xB0, 0x00, 0x00));
        }
    }
    EXPECT_NE(answer->text().indexOf(QStringLiteral("from 1 to 2")), -1) << "names the range";
    // The study keeps the key, as a save writes it.
    EXPECT_EQ(study->caseStudy().find, std::optional<std::string>("flow_rate"));
    type(1, "40"); // solve's range follows the case's flow rate: a hundredth to a hundred times 40
    EXPECT_TRUE(QTest::qWaitFor([&] { return from->placeholderText() + ":" + to->placeholderText() == "0.4:4000"; }));
    type(1, "5x7"); // a case that does not compute answers nothing
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer->text().isEmpty(); }, 5000)) << answer->text().toStdString();
    find->setCurrentIndex(0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer->text() == "Choose a key to solve for the limit."; }, 5000));
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
        {"C", "study.gif", "", "study.gif: a plot is an .svg or a .png file"},
        // Refused at once, not waited on.
        {"C", "pipe.png", "", "pipe.png: 通常のファイルではありません (not a regular file: a named pipe, a device or a socket)"},
        {"C", "pipe.csv", "", "pipe.csv: 通常のファイルではありません"},
        {"C", "null.svg", "", "null.svg: 通常のファイルではありません"},
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
        ASSERT_TRUE(form1->saveCase(QStringLiteral("renamed.sfcase"))); // named for the case as last saved
        // A named pipe held open by a program that never reads it, and a device.
        ASSERT_EQ(::mkfifo("pipe.png", 0666), 0);
        ASSERT_EQ(::symlink("pipe.png", "pipe.csv"), 0);
        ASSERT_EQ(::symlink("/dev/null", "null.svg"), 0);
        const int reader = ::open("pipe.png", O_RDONLY | O_NONBLOCK);
        QString suggested;
        study->setFileChooser([&](const QString &, const QString &, const QString &path) {
            suggested = QFileInfo(path).fileName();
            return QString::fromLatin1(row.file);
        });
        ModalWatcher watcher;
        const bool chart = !QByteArray(row.file).contains(".csv") && !QByteArray(row.file).contains(".xlsx") &&
                           !QByteArray(row.file).contains(".txt");
        QTest::mouseClick(study->findChild<QPushButton *>(chart ? QStringLiteral("ExportChartButton")
                                                                : QStringLiteral("ExportTableButton")),
                          Qt::LeftButton);
        EXPECT_EQ(suggested, chart ? "renamed-study.png" : "renamed-study.csv");
        char byte;
        EXPECT_EQ(::read(reader, &byte, 1), 0) << "nothing went into the pipe";
        ::close(reader);
        if (row.start.empty()) {
            ASSERT_EQ(watcher.seen.size(), 1u);
            EXPECT_TRUE(watcher.seen[0].text.contains(QString::fromStdString(row.has))) << watcher.seen[0].text.toStdString();
            EXPECT_FALSE(std::filesystem::is_regular_file(row.file));
            continue;
        }
        EXPECT_TRUE(watcher.seen.empty());
        const std::string bytes = readBytes(row.file);
        EXPECT_EQ(bytes.substr(0, row.start.size()), row.start);
        EXPECT_NE(bytes.find(row.has), std::string::npos);
    }
}

// The export's own file dialog: a save dialog for the kinds the table is
// written as; a name typed without a suffix gets the chosen kind's; Cancel
// writes nothing.
TEST_F(StudyWindowTest, TheExportDialogSavesWithTheChosenKindsSuffix)
{
    ScratchDirectory dir;
    openStudy();
    for (const bool accept : {false, true}) {
        QStringList seen;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen << dialog->nameFilters() << dialog->defaultSuffix() << (dialog->acceptMode() == QFileDialog::AcceptSave ? "save" : "open");
            dialog->selectFile(QDir::current().filePath(QStringLiteral("typed")));
            accept ? static_cast<QDialog *>(dialog)->accept() : dialog->reject();
        });
        QTest::mouseClick(study->findChild<QPushButton *>(QStringLiteral("ExportTableButton")), Qt::LeftButton);
        EXPECT_EQ(seen.join(u'|'), "CSV table (*.csv)|Excel workbook (*.xlsx)|csv|save");
        EXPECT_EQ(fileExists("typed.csv"), accept);
    }
}

// A list or a range that cannot be read is named in red above the chart,
// never in a dialog, and no curve is drawn from it.
TEST_F(StudyWindowTest, BadStudyValuesAreNamedInRedAndNothingIsDrawnFromThem)
{
    const struct {
        const char *temperatures, *from, *to, *findFrom, *findTo;
        const char *said;
    } rows[] = {
        {"abc", "", "", "", "", "Temperatures: \"abc\" is no temperature above -273.15 ℃"},
        {"250 -300", "", "", "", "", "Temperatures: \"-300\" is no temperature above -273.15 ℃"},
        {" ; ", "", "", "", "", "Temperatures: the list is empty"},
        {"", "100", "50", "", "", "Flow rate: the end 50 is not above the start 100"},
        {"", "x", "50", "", "", "Flow rate: \"x\" is no number"},
        {"", "100", "", "", "", "Flow rate: give both ends"},
        {"", "-5", "50", "", "", "Flow rate: only values above zero make sense"},
        {"", "", "", "9", "3", "Find flow_rate: the end 3 is not above the start 9"},
    };
    openStudy();
    ModalWatcher watcher;
    auto *chart = study->findChild<PlotView *>(QStringLiteral("StudyChart"));
    auto *curves = study->findChild<QPushButton *>(QStringLiteral("ExportCurvesButton"));
    auto *find = study->findChild<QComboBox *>(QStringLiteral("StudyFind"));
    find->setCurrentIndex(find->findText(QStringLiteral("flow_rate")));
    const char *names[] = {"StudyTemperatures", "StudyFlowFrom", "StudyFlowTo", "StudyFindFrom", "StudyFindTo"};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.said);
        const char *texts[] = {row.temperatures, row.from, row.to, row.findFrom, row.findTo};
        for (std::size_t i = 0; i < std::size(names); ++i)
            study->findChild<QLineEdit *>(QLatin1String(names[i]))->setText(QString::fromUtf8(texts[i]));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return problem->isVisible() && problem->text().contains(QString::fromUtf8(row.said)); }, 5000))
            << problem->text().toStdString();
        EXPECT_EQ(problem->palette().color(QPalette::WindowText), QColor(0xB0, 0x00, 0x00));
        if (row.findFrom[0] == '\0') {
            EXPECT_TRUE(chart->spec().lines.empty());
            EXPECT_FALSE(curves->isEnabled());
        } else {
            EXPECT_EQ(study->findChild<QLabel *>(QStringLiteral("StudyFindAnswer"))->text(), "") << "no answer below";
        }
    }
    for (const char *name : names)
        study->findChild<QLineEdit *>(QLatin1String(name))->clear();
    // With "." as the decimal separator a comma parts the list too.
    study->findChild<QLineEdit *>(QStringLiteral("StudyTemperatures"))->setText(QStringLiteral("250,5; 300"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !problem->isVisible(); }, 5000)) << problem->text().toStdString();
    EXPECT_EQ(study->findChild<QLabel *>(QStringLiteral("StudyFindAnswer"))->text(), "Give a limit to find flow_rate for.");
    EXPECT_EQ(chart->spec().colourGroups, (std::vector<std::string>{"250 ℃", "5 ℃", "300 ℃"}));
    EXPECT_TRUE(curves->isEnabled());
    EXPECT_TRUE(watcher.seen.empty());
}

// "A spreadsheet of total drop for 100 to 250 kg/h at 195, 210, 225 ℃":
// set in the window, kept in the case, listed beside the chart, exported.
TEST_F(StudyWindowTest, TheStudySetHereIsDrawnListedSavedAndExported)
{
    ScratchDirectory dir;
    openStudy();
    const auto lineEdit = [&](const char *name) { return study->findChild<QLineEdit *>(QLatin1String(name)); };
    QTest::keyClicks(lineEdit("StudyTemperatures"), QStringLiteral("195 210 225"));
    QTest::keyClicks(lineEdit("StudyFlowFrom"), QStringLiteral("100"));
    QTest::keyClicks(lineEdit("StudyFlowTo"), QStringLiteral("250"));
    study->findChild<QComboBox *>(QStringLiteral("StudyUnit"))->setCurrentIndex(1); // bar
    study->findChild<QCheckBox *>(QStringLiteral("StudyLimitOn"))->setChecked(true);
    auto *answers = study->findChild<QTableWidget *>(QStringLiteral("StudyLimitAnswers"));
    answers->setFont(QFont(answers->font().family(), 20)); // a user's large font
    QTest::keyClicks(lineEdit("StudyLimit"), QStringLiteral("4000"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers->rowCount() == 3; }, 5000));
    auto *chart = study->findChild<PlotView *>(QStringLiteral("StudyChart"));
    EXPECT_EQ(chart->spec().colourGroups, (std::vector<std::string>{"195 ℃", "210 ℃", "225 ℃"}));
    EXPECT_EQ(chart->spec().lines.front().points.front().first, 100);
    EXPECT_EQ(chart->spec().lines.front().points.back().first, 250);
    // Each curve's answer as solve gives it for its temperature; by hand,
    // 100 kg/hr (4000 / 3766.41)^(1 / 0.469) = 113.69 kg/hr at 210 ℃.
    const char *const listed[][3] = {
        {"195", "not found",
         "process.flow_rate: the total is above the limit of 4000 bar all from 100 to 250 kg/hr "
         "(at least 6040.94 bar, at 100 kg/hr)"},
        {"210", "113.689", "113.68904076326953 kg/hr: 4000 bar"},
        {"225", "not found",
         "process.flow_rate: the total stays below the limit of 4000 bar from 100 to 250 kg/hr "
         "(at most 3713.18 bar, at 250 kg/hr)"},
    };
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(QStringList({answers->item(r, 0)->text(), answers->item(r, 1)->text(), answers->item(r, 1)->toolTip()})
                      .join(u'|').toStdString(),
                  QStringList({listed[r][0], listed[r][1], listed[r][2]}).join(u'|').toStdString());
    EXPECT_EQ(limitAnswer->text(), QStringLiteral("reached at 113.7 kg/hr at 210 ℃")) << "the middle curve's";
    for (int c = 0; c < 2; ++c) { // no heading or answer cut
        QStringList texts = answers->horizontalHeaderItem(c)->text().split(u'\n');
        for (int r = 0; r < 3; ++r)
            texts << answers->item(r, c)->text();
        for (const QString &text : texts)
            EXPECT_LT(answers->fontMetrics().horizontalAdvance(text), answers->columnWidth(c)) << text.toStdString();
    }

    auto *of = study->findChild<QComboBox *>(QStringLiteral("StudyLimitOf"));
    of->setCurrentIndex(of->findText(QStringLiteral("screen 12's drop")));
    EXPECT_EQ(study->caseStudy().limit, "drop.12=4000bar");
    of->setCurrentIndex(of->findText(QStringLiteral("the total")));
    // Saved with the case, as solve and sweep read it.
    ASSERT_TRUE(form1->saveCase(QStringLiteral("studied.sfcase")));
    const CaseContent saved = parseCase(readBytes("studied.sfcase"), "studied.sfcase");
    ASSERT_TRUE(saved.study);
    EXPECT_EQ(saved.study->temperatures, (std::vector<double>{195, 210, 225}));
    EXPECT_EQ(saved.study->flowRateFrom, 100);
    EXPECT_EQ(saved.study->flowRateTo, 250);
    EXPECT_EQ(saved.study->pressureUnit, "bar");
    EXPECT_EQ(saved.study->limit, "total=4000bar");

    // Opened again, the window shows it as it was set.
    for (const char *name : {"StudyTemperatures", "StudyFlowFrom", "StudyFlowTo", "StudyLimit"})
        lineEdit(name)->clear();
    ASSERT_TRUE(form1->openCase(QStringLiteral("studied.sfcase")));
    EXPECT_EQ(lineEdit("StudyTemperatures")->text(), QStringLiteral("195 210 225"));
    EXPECT_EQ(lineEdit("StudyFlowFrom")->text() + u':' + lineEdit("StudyFlowTo")->text(), QStringLiteral("100:250"));
    EXPECT_EQ(lineEdit("StudyLimit")->text(), QStringLiteral("4000"));

    QString file = QStringLiteral("curves.csv");
    study->setFileChooser([&](const QString &, const QString &, const QString &) { return file; });
    ModalWatcher watcher;
    auto *button = study->findChild<QPushButton *>(QStringLiteral("ExportCurvesButton"));
    QTest::mouseClick(button, Qt::LeftButton);
    const std::string csv = readBytes("curves.csv");
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "flow_rate_kg_per_h,total_bar_195C,total_bar_210C,total_bar_225C");
    EXPECT_EQ(csv.substr(csv.find('\n') + 1, 4), "100,");
    EXPECT_NE(csv.find("\n250,"), std::string::npos);
    EXPECT_NE(csv.find("\nlimit,total 4000 bar\ntemperature_C,flow_rate_kg_per_h,total_bar,outcome,message\n195,"),
              std::string::npos)
        << csv;
    file = QStringLiteral("curves.xlsx");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(readBytes("curves.xlsx").substr(0, 4), "PK\x03\x04");
    EXPECT_TRUE(watcher.seen.empty());
}

// What the window shows, a line per part: the chart's axes, each series'
// size, ends and colour, its legend, and every cell of both tables with its
// look.
std::vector<std::string> shownParts(const StudyWindow &window)
{
    std::vector<std::string> lines;
    const auto add = [&lines](const QString &line) { lines.push_back(line.toStdString()); };
    const QChart *chart = window.findChild<QChartView *>()->chart();
    for (const QAbstractAxis *axis : chart->axes())
        if (const auto *v = qobject_cast<const QValueAxis *>(axis))
            add(QStringLiteral("axis %1 %2..%3 %4").arg(v->titleText()).arg(v->min()).arg(v->max()).arg(v->tickCount()));
    for (QAbstractSeries *s : chart->series()) {
        const QList<QPointF> p = static_cast<QXYSeries *>(s)->points();
        const auto *scatter = qobject_cast<const QScatterSeries *>(s);
        add(QStringLiteral("%1 %2 %3,%4 %5,%6 %7")
                .arg(scatter ? "markers" : "line").arg(p.size())
                .arg(p.value(0).x()).arg(p.value(0).y()).arg(p.value(p.size() - 1).x()).arg(p.value(p.size() - 1).y())
                .arg((scatter ? scatter->color() : static_cast<QXYSeries *>(s)->pen().color()).name()));
    }
    for (const LegendEntry &e : legendEntries(*chart))
        add(QStringLiteral("legend ") + e.label);
    for (const char *name : {"StudyTable", "StudyLimitAnswers"}) {
        const auto *table = window.findChild<QTableWidget *>(QLatin1String(name));
        for (int r = 0; r < table->rowCount(); ++r)
            for (int c = 0; c < table->columnCount(); ++c)
                if (const QTableWidgetItem *item = table->item(r, c))
                    add(QStringLiteral("%1 %2,%3 %4 bold %5 %6 %7 %8")
                            .arg(name).arg(r).arg(c).arg(item->text()).arg(item->font().bold())
                            .arg(item->foreground().color().name()).arg(item->textAlignment()).arg(item->toolTip()));
    }
    return lines;
}

// Each edit draws the chart and fills the tables again in place: the window
// shows what a window opened anew on the same study shows, with no curve,
// axis range, limit, row or red answer left over.
TEST_F(StudyWindowTest, EachEditShowsWhatAWindowOpenedAnewWould)
{
    const struct {
        const char *name;
        const char *flowRate, *screens, *temperatures;
        int unit;          // kgf/cm², bar, MPa, psi
        const char *limit; // on the total; nullptr: none
        int series;        // curves, the case's marker, the limit and its crossings
        std::vector<std::string> legend;
    } rows[] = {
        {"the case's three", "57.0", "12", "", 0, nullptr, 4, {"270 ℃", "290 ℃ (the case)", "310 ℃"}},
        {"five and a limit", "57.0", "12", "250 270 290 310 330", 1, "200", 8,
         {"250 ℃", "270 ℃", "290 ℃ (the case)", "310 ℃", "330 ℃", "limit 200 bar"}},
        {"two, one not reaching it", "60.0", "12", "280 300", 1, "200", 4, {"280 ℃", "300 ℃", "limit 200 bar"}},
        {"both reaching a lower one, five screens", "60.0", "5", "280 300", 1, "100", 4,
         {"280 ℃", "300 ℃", "limit 100 bar"}},
        {"the limit cleared, in psi", "60.0", "5", "280 300", 3, nullptr, 2, {"280 ℃", "300 ℃"}},
        {"the flow rate alone", "57.0", "5", "280 300", 3, nullptr, 2, {"280 ℃", "300 ℃"}},
        {"a temperature that is none: no curves, no limit", "57.0", "12", "250 x", 1, "200", 0, {}},
        {"the case's three again", "57.0", "12", "", 0, nullptr, 4, {"270 ℃", "290 ℃ (the case)", "310 ℃"}},
    };
    FieldTexts texts = FieldTexts::defaults();
    const auto source = [&texts] { return StudyInputs{texts, '.', std::nullopt, {}, {}, {}, {}}; };
    StudyWindow edited(source);
    edited.show();
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        texts[Field::FlowRate] = row.flowRate;
        texts[Field::ScreenCount] = row.screens;
        edited.findChild<QLineEdit *>(QStringLiteral("StudyTemperatures"))->setText(QString::fromUtf8(row.temperatures));
        edited.findChild<QComboBox *>(QStringLiteral("StudyUnit"))->setCurrentIndex(row.unit);
        edited.findChild<QCheckBox *>(QStringLiteral("StudyLimitOn"))->setChecked(row.limit != nullptr);
        edited.findChild<QLineEdit *>(QStringLiteral("StudyLimit"))->setText(QString::fromUtf8(row.limit ? row.limit : ""));
        edited.updateNow();
        QApplication::processEvents(); // laid out and painted between edits, as shown
        StudyWindow opened(source);
        opened.setCaseStudy(edited.caseStudy());
        // As typed: the case's study keeps the last list that could be read.
        opened.findChild<QLineEdit *>(QStringLiteral("StudyTemperatures"))->setText(QString::fromUtf8(row.temperatures));
        opened.updateNow();
        const std::vector<std::string> shown = shownParts(edited);
        EXPECT_EQ(shown, shownParts(opened));
        EXPECT_EQ(edited.findChild<QChartView *>()->chart()->series().size(), row.series);
        std::vector<std::string> legend;
        for (const std::string &line : shown)
            if (line.rfind("legend ", 0) == 0)
                legend.push_back(line.substr(7));
        EXPECT_EQ(legend, row.legend);
    }
}

} // namespace
} // namespace sf::test
