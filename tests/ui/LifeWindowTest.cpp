// The pack life window as a user drives it: Ctrl+L, a log loaded with the
// command line's options, the answer and the laws' table against what
// screenfilter-cli life prints for the same log, problems in red, the case's
// clean-pack drop, the exports, the keyboard, and a million readings.
#include "UiTestSupport.h"

#include "LifeWindow.h"
#include "cases/CaseFile.h"
#include "export/LifeAnswer.h"
#include "plot/PlotView.h"
#include "support/Process.h"
#include "support/Sheets.h"

#include <QComboBox>
#include <QTableWidget>

#include <cstdio>

namespace sf::test {
namespace {

// Cake filtration, a drop of 80 (1 + 0.002 t) bar with t in minutes, read
// every 30 minutes from 06:00 at +01:00.
std::string clockLog()
{
    std::string out = "timestamp,pressure (bar)\n";
    for (int i = 0; i <= 10; ++i) {
        const int t = 30 * i, hundredths = 8000 + 16 * t;
        char line[80];
        std::snprintf(line, sizeof line, "2026-03-14T%02d:%02d:00+01:00,%d.%02d\n", 6 + t / 60, t % 60,
                      hundredths / 100, hundredths % 100);
        out += line;
    }
    return out;
}

// Before and behind the pack in psi, a screen change at 60 min.
const char *const ChangeLog = "# extruder 2\n"
                              "time (min),pressure_before (psi),pressure_after (psi)\n"
                              "0,900,100\n10,950,100\n20,1010,100\n30,1080,100\n40,1160,100\n50,1250,100\n"
                              "60,700,100\n70,720,100\n80,745,100\n90,768,100\n100,795,100\n110,820,100\n"
                              "120,850,100\n130,878,100\n140,910,100\n150,945,100\n";

// One column with no unit, semicolons and decimal commas.
const char *const BareLog = "time (h);pressure\n0;8,0\n1;8,4\n2;8,9\n3;9,3\n4;9,9\n5;10,4\n6;11,0\n7;11,7\n8;12,3\n";

class LifeWindowTest : public MainWindowTest {
protected:
    void openLife()
    {
        QTest::keyClick(edit(1), Qt::Key_L, Qt::ControlModifier);
        life = form1->findChild<LifeWindow *>(QStringLiteral("LifeWindow"));
        ASSERT_NE(life, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(life));
        answer = life->findChild<QLabel *>(QStringLiteral("LifeAnswer"));
        problem = life->findChild<QLabel *>(QStringLiteral("LifeProblem"));
        laws = life->findChild<QTableWidget *>(QStringLiteral("LifeLaws"));
    }
    QLineEdit *lineEdit(const char *name) const { return life->findChild<QLineEdit *>(QLatin1String(name)); }
    QComboBox *combo(const char *name) const { return life->findChild<QComboBox *>(QLatin1String(name)); }
    // Types `text` into the line edit `name`, as a user would.
    void type(const char *name, const QString &text)
    {
        QLineEdit *e = lineEdit(name);
        e->selectAll();
        if (text.isEmpty())
            QTest::keyClick(e, Qt::Key_Delete);
        else
            QTest::keyClicks(e, text);
    }
    // Waits for the window to answer what it was last asked.
    void waitForAnswer()
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !life->busy(); }, 60000));
        QTest::qWait(LifeWindow::UpdateDelayMs + 50);
        ASSERT_TRUE(QTest::qWaitFor([this] { return !life->busy(); }, 60000));
    }
    void load(const QString &path)
    {
        life->setLogChooser([path] { return path; });
        QTest::keyClick(life, Qt::Key_L, Qt::AltModifier);
        // The button pressed by its letter clicks a moment later.
        // A small log may be answered before it is seen under way.
        (void)QTest::qWaitFor([this] { return life->busy(); }, 1000);
        waitForAnswer();
    }
    // The table's rows, cells a space apart, " (best)" moved from the best
    // law's name to the end as the command line writes it.
    QStringList tableRows() const
    {
        QStringList rows;
        for (int r = 0; r < laws->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < laws->columnCount(); ++c)
                if (!laws->item(r, c)->text().isEmpty())
                    cells << laws->item(r, c)->text();
            if (cells[0].endsWith(QLatin1String(" (best)"))) {
                cells[0].chop(7);
                cells << QStringLiteral("(best)");
            }
            rows << cells.join(u' ');
        }
        return rows;
    }

    LifeWindow *life = nullptr;
    QLabel *answer = nullptr;
    QLabel *problem = nullptr;
    QTableWidget *laws = nullptr;
};

// The command line's text answer split in two: the answer, and the laws'
// lines with their columns a space apart.
std::pair<std::string, QStringList> splitText(const std::string &text)
{
    const std::size_t every = text.find("\nEvery law:\n");
    EXPECT_NE(every, std::string::npos) << text;
    QStringList rows = QString::fromStdString(text.substr(every + 12)).split(u'\n', Qt::SkipEmptyParts);
    rows.removeFirst(); // the headings
    for (QString &row : rows)
        row = row.simplified();
    return {text.substr(0, every), rows};
}

TEST_F(LifeWindowTest, GivesTheCommandLinesAnswerToTheLastDigitAndExportsIt)
{
    ScratchDirectory dir;
    writeBytes("clock.csv", clockLog());
    writeBytes("change.csv", ChangeLog);
    writeBytes("bare.csv", BareLog);
    const struct {
        const char *name;
        const char *log;
        int logUnit; // 0: the header's, else 1 + its index among kgf/cm2, bar, MPa, psi
        const char *after, *since, *limit;
        int limitUnit;
        std::vector<std::string> options; // the same, as the command line takes them
        const char *law;                  // the best law, as a check that the logs differ
    } rows[] = {
        {"timestamps with a zone", "clock.csv", 0, "", "", "200", 1, {"--limit", "200bar"}, "cake filtration"},
        {"fitted from a clock time in the log's zone", "clock.csv", 0, "", "2026-03-14T07:00:00", "200", 1,
         {"--limit", "200bar", "--since", "2026-03-14T07:00:00"}, "cake filtration"},
        {"before and behind, a screen change, limit in another unit", "change.csv", 0, "", "", "80", 0,
         {"--limit", "80kgf/cm2"}, "standard blocking"},
        {"no unit, behind the pack given, fitted from 2 h", "bare.csv", 3, "0.5", "2", "300", 1,
         {"--limit", "300bar", "--pressure-unit", "MPa", "--pressure-after", "0.5", "--since", "2"}, nullptr},
        {"behind the pack with its unit", "bare.csv", 3, "5 bar", "", "250", 0,
         {"--limit", "250kgf/cm2", "--pressure-unit", "MPa", "--pressure-after", "5bar"}, nullptr},
        // Last: exported below.
        {"no unit, the limit in MPa", "bare.csv", 3, "", "", "20", 2, {"--limit", "20MPa", "--pressure-unit", "MPa"},
         "standard blocking"},
    };
    openLife();
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        combo("LifeLogUnit")->setCurrentIndex(row.logUnit);
        combo("LifeLimitUnit")->setCurrentIndex(row.limitUnit);
        type("LifeAfter", QString::fromUtf8(row.after));
        type("LifeSince", QString::fromUtf8(row.since));
        type("LifeLimit", QString::fromUtf8(row.limit));
        load(QString::fromUtf8(row.log));
        ASSERT_TRUE(life->analysis().has_value()) << problem->text().toStdString();
        EXPECT_FALSE(problem->isVisible());

        std::vector<std::string> args{"life", row.log};
        args.insert(args.end(), row.options.begin(), row.options.end());
        const ProcessResult text = runProcess(SCREENFILTER_CLI, args);
        ASSERT_EQ(text.exitCode, 0) << text.err;
        const auto [cliAnswer, cliRows] = splitText(text.out);
        EXPECT_EQ(answer->text().toStdString() + "\n", cliAnswer);
        EXPECT_EQ(tableRows().join(u'\n').toStdString(), cliRows.join(u'\n').toStdString());
        if (row.law) {
            EXPECT_NE(cliAnswer.find(std::string("Law: ") + row.law), std::string::npos) << cliAnswer;
        }
        // Every number to the last bit, through the window's own answer.
        args.insert(args.end(), {"--format", "json"});
        const ProcessResult json = runProcess(SCREENFILTER_CLI, args);
        EXPECT_EQ(lifeJson(*life->analysis(), std::nullopt), json.out);
    }

    // The chart and the laws' table exported, each under the name it suggests.
    QString asked;
    for (const char *name : {"chart.png", "chart.svg", "laws.csv", "laws.xlsx"}) {
        SCOPED_TRACE(name);
        life->setFileChooser([&asked, name](const QString &, const QString &, const QString &suggested) {
            asked = suggested;
            return QString::fromUtf8(name);
        });
        const bool chart = std::string(name).rfind("chart", 0) == 0;
        QTest::mouseClick(life->findChild<QPushButton *>(chart ? QStringLiteral("LifeExportChart")
                                                               : QStringLiteral("LifeExportTable")),
                          Qt::LeftButton);
        EXPECT_TRUE(asked.endsWith(chart ? QStringLiteral("/bare-life.png") : QStringLiteral("/bare-laws.csv")))
            << asked.toStdString();
    }
    EXPECT_EQ(readBytes("chart.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_NE(readBytes("chart.svg").find("<svg"), std::string::npos);
    // The workbook: the same cells as the CSV below, numbers stored to 16
    // digits and shown to 15 (0.38966746573580247: ...8025, then ...803).
    EXPECT_EQ(sheetRows(readBytes("laws.xlsx")),
              (SheetRows{{"law", "p0_MPa", "k_per_h", "rms_percent", "limit_at_h", "best", "left_out"},
                         {"complete", "8.07586703230976", "0.043902833449629", "0.708442575302046", "13.5801405407821"},
                         {"standard", "8.01893264548044", "0.0487072954532563", "0.373925054426814", "15.0612563592894", "yes"},
                         {"intermediate", "7.96438575692379", "0.0541705431017235", "0.389667465735803", "16.9972903762747"},
                         {"cake", "7.86557006769095", "0.0673490140846525", "1.12986964871046", "22.906457561001"}}));
    // Each law's P0, K, rms and limit time in their shortest exact form, as
    // the command line's JSON gives them. By hand for cake filtration, the
    // line through the first and last readings: K = (12.3 - 8) / 8 / 8 = 0.067 1/h.
    EXPECT_EQ(readBytes("laws.csv"),
              "law,p0_MPa,k_per_h,rms_percent,limit_at_h,best,left_out\n"
              "complete,8.075867032309757,0.04390283344962897,0.7084425753020459,13.580140540782129,,\n"
              "standard,8.018932645480438,0.04870729545325631,0.3739250544268136,15.061256359289432,yes,\n"
              "intermediate,7.964385756923793,0.054170543101723465,0.38966746573580247,16.9972903762747,,\n"
              "cake,7.865570067690952,0.0673490140846525,1.1298696487104622,22.906457561001044,,\n");
}

TEST_F(LifeWindowTest, NamesWhatGivesNoAnswerInRedWithoutADialog)
{
    ScratchDirectory dir;
    const struct {
        const char *name;
        std::string log;
        const char *since, *limit;
        std::string message;
    } rows[] = {
        {"a pressure that is not a number", "time (min),pressure (bar)\n0,80\n1,8O\n2,82\n3,83\n", "", "200",
         "log.csv:3: column 2 (pressure): \"8O\" is not a number"},
        {"no rise", "time (h),pressure (bar)\n0,80\n1,80\n2,79\n3,80\n", "", "200",
         "log.csv: the pressure does not rise: no change time"},
        {"the limit passed", "time (h),pressure (bar)\n0,80\n1,150\n2,201\n3,220\n", "", "200",
         "log.csv: the limit 200 bar was passed at 2 h (line 4: 201): the screens are due now"},
        {"fit from a clock time in a log of hours", "time (h),pressure (bar)\n0,80\n1,81\n2,82\n3,83\n",
         "2026-03-14T06:00", "200", "Fit from 2026-03-14T06:00: a time of the log in its unit (h), as a number"},
        {"no limit", "time (h),pressure (bar)\n0,80\n1,81\n2,82\n3,83\n", "", "",
         "Limit: give the drop at which the screens are changed, a number above 0 in bar, such as 250."},
        {"a limit with a decimal comma", "time (h),pressure (bar)\n0,80\n1,81\n2,82\n3,83\n", "", "200,5",
         "Limit: give the drop at which the screens are changed, a number above 0 in bar, such as 250."},
    };
    ModalWatcher dialogs;
    openLife();
    combo("LifeLimitUnit")->setCurrentIndex(1);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        writeBytes("log.csv", row.log);
        type("LifeSince", QString::fromUtf8(row.since));
        type("LifeLimit", QString::fromUtf8(row.limit));
        load(QStringLiteral("log.csv"));
        EXPECT_TRUE(problem->isVisible());
        EXPECT_EQ(problem->text().toStdString(), row.message);
        EXPECT_EQ(problem->palette().color(QPalette::WindowText), QColor(0xB0, 0x00, 0x00));
        EXPECT_FALSE(life->analysis().has_value());
        EXPECT_EQ(answer->text(), QString());
        EXPECT_EQ(laws->rowCount(), 0);
    }
    EXPECT_TRUE(dialogs.seen.empty());
    // Mended, the same log answers.
    type("LifeSince", {});
    type("LifeLimit", QStringLiteral("100"));
    waitForAnswer();
    EXPECT_FALSE(problem->isVisible());
    EXPECT_TRUE(life->analysis().has_value());
}

TEST_F(LifeWindowTest, TakesTheStudysLimitShowsTheCasesCleanPackBesideP0AndGoesByKeyboard)
{
    ScratchDirectory dir;
    writeBytes("clock.csv", clockLog());
    CaseStudy asked;
    asked.pressureUnit = "bar";
    asked.limit = "total=200bar";
    writeBytes("line.sfcase", formatCaseFile(FieldTexts::defaults(), std::nullopt, asked));
    ASSERT_TRUE(form1->openCase(QStringLiteral("line.sfcase")));
    openLife();
    EXPECT_EQ(lineEdit("LifeLimit")->text(), QStringLiteral("200"));
    EXPECT_EQ(combo("LifeLimitUnit")->currentText(), QStringLiteral("bar"));
    load(QStringLiteral("clock.csv"));
    const ProcessResult text =
        runProcess(SCREENFILTER_CLI, {"life", "clock.csv", "--limit", "200bar", "--case", "line.sfcase"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(answer->text().toStdString() + "\n", splitText(text.out).first);
    EXPECT_NE(text.out.find("Clean pack by the model (line.sfcase): "), std::string::npos) << text.out;

    // A case that does not compute says so in red, and the log's answer stays.
    edit(Field::ScreenCount)->setText(QStringLiteral("0"));
    auto *model = life->findChild<QLabel *>(QStringLiteral("LifeModelProblem"));
    EXPECT_TRUE(model->isVisible());
    EXPECT_TRUE(model->text().startsWith(QStringLiteral("line.sfcase: the case does not compute: ")))
        << model->text().toStdString();
    EXPECT_EQ(answer->text().toStdString().find("Clean pack"), std::string::npos);
    EXPECT_TRUE(life->analysis().has_value());
    // Every control has a place of its own.
    EXPECT_EQ(overlapping(life, {"LifeLoad", "LifeLogName", "LifeLogUnit", "LifeAfter", "LifeLimit", "LifeLimitUnit", "LifeSince",
                           "LifeAnswer", "LifeModelProblem", "LifeChart", "LifeLaws", "LifeExportChart"}),
              QString());
    ASSERT_TRUE(QTest::qWaitForWindowActive(life));
    // Alt and the underlined letter reach each control; none takes Alt+C,
    // which closes the main window.
    const struct {
        Qt::Key key;
        const char *focused;
    } accelerators[] = {{Qt::Key_U, "LifeLogUnit"}, {Qt::Key_B, "LifeAfter"}, {Qt::Key_F, "LifeSince"},
                        {Qt::Key_M, "LifeLimit"},   {Qt::Key_I, "LifeLimitUnit"}};
    for (const auto &row : accelerators) {
        QTest::keyClick(life, row.key, Qt::AltModifier);
        EXPECT_EQ(focusName(), QLatin1String(row.focused));
    }
    QStringList letters;
    for (const QLabel *label : life->findChildren<QLabel *>())
        if (label->buddy())
            letters << label->text().section(u'&', 1).left(1).toLower();
    for (const QAbstractButton *b : life->findChildren<QAbstractButton *>())
        if (b->text().contains(u'&'))
            letters << b->text().section(u'&', 1).left(1).toLower();
    letters.sort();
    EXPECT_EQ(letters.join(QString()), QStringLiteral("bfhilmtu"));
    // Tab in reading order, from the load button on.
    life->findChild<QWidget *>(QStringLiteral("LifeLoad"))->setFocus(Qt::TabFocusReason);
    QStringList order{focusName()};
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << focusName();
    }
    EXPECT_EQ(order.join(u' '), QStringLiteral("LifeLoad LifeLogUnit LifeAfter LifeLimit LifeLimitUnit LifeSince LifeLaws"));
}

TEST_F(LifeWindowTest, AMillionReadingsLoadOffTheWindowsThreadAndDrawThinned)
{
    ScratchDirectory dir;
    // A drop of 80 (1 + 1e-6 t) bar read every second with a ripple of
    // +-0.05 bar, over 11.6 days.
    constexpr int Readings = 1000000;
    {
        std::string log = "time (s),pressure (bar)\n";
        log.reserve(24u * Readings);
        char line[48];
        for (int i = 0; i < Readings; ++i) {
            const int n = std::snprintf(line, sizeof line, "%d,%.3f\n", i, 80 * (1 + 1e-6 * i) + (i % 2 ? 0.05 : -0.05));
            log.append(line, static_cast<std::size_t>(n));
        }
        writeBytes("million.csv", log);
    }
    openLife();
    combo("LifeLimitUnit")->setCurrentIndex(1);
    type("LifeLimit", QStringLiteral("250"));
    life->setLogChooser([] { return QStringLiteral("million.csv"); });
    QTest::mouseClick(life->findChild<QPushButton *>(QStringLiteral("LifeLoad")), Qt::LeftButton);
    // Back at once, the work under way elsewhere.
    EXPECT_TRUE(life->busy());
    waitForAnswer();
    ASSERT_TRUE(life->analysis().has_value()) << problem->text().toStdString();
    EXPECT_EQ(life->analysis()->life.count, std::size_t(Readings));
    const PlotSpec &spec = life->findChild<PlotView *>(QStringLiteral("LifeChart"))->spec();
    ASSERT_FALSE(spec.lines.empty());
    const std::size_t drawn = spec.lines.back().points.size();
    EXPECT_GT(drawn, std::size_t(100));
    EXPECT_LE(drawn, std::size_t(2 * (PlotWidth + 1)));
}

} // namespace
} // namespace sf::test
