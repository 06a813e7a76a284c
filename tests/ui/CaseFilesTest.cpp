// Case files in the window: open, save, the title and the program's argument.
#include "UiTestSupport.h"

#include "cases/CaseFile.h"
#include "support/Process.h"

#include "browser/DirectoryList.h"

#include <filesystem>
#include <sys/stat.h>

namespace sf::test {
namespace {

namespace fs = std::filesystem;
using ::sf::test::writeBytes;

class CaseFilesTest : public MainWindowTest {
protected:
    FieldTexts shown() const { return form1->fieldTexts(); }

    // A case unlike the worked example in every group, the melt included.
    static FieldTexts otherCase()
    {
        FieldTexts t = FieldTexts::defaults();
        t[Field::FlowRate] = "80.5";
        t[Field::Temperature] = "275";
        t[Field::ScreenCount] = "3";
        t[meshField(2)] = "60";
        t[wireField(3)] = "0.0114";
        t[meshField(4)] = "";
        t[Field::StandardViscosity] = "12.25";
        t[Field::ShiftA] = "14000.0";
        t[Field::SaveFileName] = "pack a.txt";
        return t;
    }

    std::vector<SeenDialog> errorBoxes(const std::function<void()> &action)
    {
        ModalWatcher watcher;
        action();
        return watcher.seen;
    }
};

TEST_F(CaseFilesTest, OpeningFillsAllFieldsAndTheTitle)
{
    ScratchDirectory dir;
    writeBytes("pack-a.sfcase", formatCaseFile(otherCase()));
    ASSERT_TRUE(form1->openCase(QStringLiteral("pack-a.sfcase")));
    EXPECT_EQ(shown(), otherCase());
    EXPECT_FALSE(edit(30)->isEnabled()) << "the melt stays read-only";
    EXPECT_EQ(form1->windowTitle(), "Pressure Drop of Screen Filter — pack-a.sfcase");
}

TEST_F(CaseFilesTest, SavedCasesOpenWithTheSameTextsInEitherLocale)
{
    for (const char *locale : {"C", "de_DE"}) {
        SCOPED_TRACE(locale);
        ScratchDirectory dir;
        form1->applyLocale(QLocale(QString::fromLatin1(locale)));
        const QChar sep = QLatin1Char(form1->decimalSeparator());
        edit(1)->setText(QStringLiteral("57") + sep + QStringLiteral("0"));
        edit(wireField(2))->setText(QStringLiteral("0") + sep + QStringLiteral("0274"));
        edit(3)->setText(QStringLiteral("1.5")); // no number in a comma locale; kept as typed
        edit(Field::SaveFileName)->setText(QStringLiteral("r.txt"));
        const FieldTexts before = shown();
        ASSERT_TRUE(form1->saveCase(QStringLiteral("case.sfcase")));
        // The file holds full stops whatever the window showed.
        const std::string file = ::sf::test::readBytes("case.sfcase");
        EXPECT_NE(file.find("flow_rate = 57.0 "), std::string::npos) << file;
        EXPECT_NE(file.find("wire = 0.0274 "), std::string::npos) << file;

        edit(1)->setText(QStringLiteral("1"));
        edit(30)->setText(QStringLiteral("2"));
        ASSERT_TRUE(form1->openCase(QStringLiteral("case.sfcase")));
        EXPECT_EQ(shown(), before);
        form1->applyLocale(QLocale::c());
    }
}

TEST_F(CaseFilesTest, MeltFitIsSavedAgainOnlyWhileTheMeltIsTheSame)
{
    ScratchDirectory dir;
    const MeltFitRange fit{200, 260, 10, 1000, 16, "sheet.csv", 2.5, 4.25};
    writeBytes("fitted.sfcase", formatCaseFile(otherCase(), fit));
    form1->applyLocale(QLocale(QStringLiteral("de_DE"))); // the melt shows commas, and is the same
    ASSERT_TRUE(form1->openCase(QStringLiteral("fitted.sfcase")));
    ASSERT_TRUE(form1->saveCase(QStringLiteral("kept.sfcase")));
    EXPECT_EQ(parseCase(::sf::test::readBytes("kept.sfcase"), "kept").meltFit, fit);

    edit(Field::PowerLawFactor)->setText(QStringLiteral("0,5"));
    ASSERT_TRUE(form1->saveCase(QStringLiteral("dropped.sfcase")));
    const CaseContent dropped = parseCase(::sf::test::readBytes("dropped.sfcase"), "dropped");
    EXPECT_EQ(dropped.meltFit, std::nullopt);
    EXPECT_EQ(dropped.texts[Field::PowerLawFactor], "0.5");
    form1->applyLocale(QLocale::c());
}

TEST_F(CaseFilesTest, SavingRunsNothingAndAsksOnlyTheFirstTime)
{
    ScratchDirectory dir;
    std::vector<bool> asked;
    QString answer = QStringLiteral("first.sfcase");
    form1->setFileChooser([&](bool save, const QString &) {
        asked.push_back(save);
        return answer;
    });
    QTest::keyClick(edit(1), Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(edit(1), Qt::Key_S, Qt::ControlModifier);
    answer = QStringLiteral("second.sfcase");
    QTest::keyClick(edit(1), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(asked, (std::vector<bool>{true, true}));
    EXPECT_TRUE(fs::exists("first.sfcase"));
    EXPECT_TRUE(fs::exists("second.sfcase"));
    EXPECT_FALSE(fs::exists("result.txt")) << "saving never runs the calculation";
    EXPECT_EQ(form1->windowTitle(), "Pressure Drop of Screen Filter — second.sfcase");

    answer.clear(); // the user cancels
    writeBytes("x.sfcase", formatCaseFile(otherCase()));
    QTest::keyClick(edit(1), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(shown(), FieldTexts::defaults());
    answer = QStringLiteral("x.sfcase");
    QTest::keyClick(edit(1), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(shown(), otherCase());
}

TEST_F(CaseFilesTest, FailuresShowTheErrorBoxAndChangeNothing)
{
    ScratchDirectory dir;
    writeBytes("broken.sfcase", "[process\n");
    writeBytes("plain", "");
    writeBytes("kept.sfcase", "earlier");
    writeBytes("readonly.sfcase", "earlier");
    fs::permissions("readonly.sfcase", fs::perms(0444));
    ASSERT_EQ(::mkfifo("pipe.sfcase", 0666), 0);
    FieldTexts longName = FieldTexts::defaults();
    longName[Field::SaveFileName] = std::string(40000, 'a');
    writeBytes("long.sfcase", formatCaseFile(longName));
    const struct {
        bool save;
        const char *path;
        const char *shown;
        const char *english = ""; // a save's second line ends with the system's reason
    } rows[] = {
        {false, "broken.sfcase", "broken.sfcase:1:9: Error while parsing table header: expected ']', saw '\\n'"},
        {false, "missing.sfcase", "missing.sfcase: cannot be read: No such file or directory."},
        {false, "pipe.sfcase", "pipe.sfcase: cannot be read: not a regular file."},
        {false, "long.sfcase", "long.sfcase: report.file is 40000 characters long; the window's field holds 32767."},
        {true, "no-such-dir/case.sfcase", "case.sfcase: ファイルが見つかりません.", "/case.sfcase: No such file or directory."},
        {true, "plain/case.sfcase", "case.sfcase: ファイル名の指定が間違っています."},
        // Refused by its mode bits, also for root; a pipe nobody reads, at once.
        {true, "readonly.sfcase", "readonly.sfcase: ファイルへのアクセスが拒否されました."},
        {true, "pipe.sfcase", "pipe.sfcase: I/O エラー (6)", "/pipe.sfcase: No such device or address."},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.path);
        const std::vector<SeenDialog> seen = errorBoxes([&] {
            const QString path = QString::fromUtf8(row.path);
            EXPECT_FALSE(row.save ? form1->saveCase(path) : form1->openCase(path));
        });
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].icon, QMessageBox::Critical);
        EXPECT_EQ(seen[0].text.toStdString(), row.shown);
        if (*row.english) {
            EXPECT_TRUE(seen[0].informativeText.startsWith("The case could not be saved to /") &&
                        seen[0].informativeText.endsWith(row.english))
                << seen[0].informativeText.toStdString();
        }
        EXPECT_EQ(shown(), FieldTexts::defaults());
        EXPECT_EQ(form1->windowTitle(), "Pressure Drop of Screen Filter");
    }
    EXPECT_EQ(::sf::test::readBytes("kept.sfcase"), "earlier");
    EXPECT_EQ(::sf::test::readBytes("readonly.sfcase"), "earlier");
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 6) << "no temporary file left";
}

// A case whose report name is absolute or leaves the case's folder keeps
// that name, without a dialog; Edit35's tooltip shows where the report
// goes from the chosen directory (<dir>, below <up>), ".." worked out.
TEST_F(CaseFilesTest, AReportNameLeavingTheCaseFolderShowsWhereItGoes)
{
    ScratchDirectory dir;
    fs::create_directory("inner");
    auto *directories = form1->findChild<sf::DirectoryList *>(QStringLiteral("DirectoryListBox1"));
    ASSERT_TRUE(directories->enterDirectory(QFile::encodeName(QString::fromStdString((dir.path() / "inner").string()))));
    const std::string up = dir.path().string(), inner = up + "/inner";
    const std::string lead = "Save File Name\nThe report goes to\n", outside = "\n(a name from the case that leaves the case's folder)";
    const struct {
        const char *name;
        std::string tip;
    } rows[] = {
        {"result.txt", lead + inner + "/result.txt"},
        {"sub/../r.txt", lead + inner + "/sub/../r.txt"},
        {"../r.txt", lead + up + "/r.txt" + outside},
        {"a/../../r.txt", lead + up + "/r.txt" + outside},
        {"/etc/./profile", lead + "/etc/profile" + outside},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        FieldTexts texts = FieldTexts::defaults();
        texts[Field::SaveFileName] = row.name;
        writeBytes("case.sfcase", formatCaseFile(texts));
        ModalWatcher watcher;
        ASSERT_TRUE(form1->openCase(QStringLiteral("case.sfcase")));
        EXPECT_TRUE(watcher.seen.empty());
        EXPECT_EQ(edit(Field::SaveFileName)->text().toStdString(), row.name);
        EXPECT_EQ(edit(Field::SaveFileName)->toolTip().toStdString(), row.tip);
    }
    // The tip follows the typed name, and the chosen directory.
    edit(Field::SaveFileName)->setText(QStringLiteral("../r.txt"));
    EXPECT_EQ(edit(Field::SaveFileName)->toolTip().toStdString(), lead + inner + "/../r.txt");
    ASSERT_TRUE(directories->enterDirectory(QFile::encodeName(QString::fromStdString(up))));
    EXPECT_EQ(edit(Field::SaveFileName)->toolTip().toStdString(), lead + up + "/../r.txt");
}

// A dropped file is one of the window commands' tests.
TEST_F(CaseFilesTest, ProgramArgumentOpensTheCase)
{
    ScratchDirectory dir;
    writeBytes("argument.sfcase", formatCaseFile(otherCase()));
    openCaseArgument(*form1, {QStringLiteral("screenfilter"), QStringLiteral("argument.sfcase"), QStringLiteral("x")});
    EXPECT_EQ(shown(), FieldTexts::defaults()) << "more than one argument opens nothing";
    openCaseArgument(*form1, {QStringLiteral("screenfilter"), QStringLiteral("argument.sfcase")});
    EXPECT_EQ(shown(), otherCase());
}

TEST_F(CaseFilesTest, SavedCaseGivesTheWindowsReportThroughTheCommandLine)
{
    ScratchDirectory dir;
    FieldTexts texts = otherCase();
    texts[Field::SaveFileName] = "window.txt";
    writeBytes("start.sfcase", formatCaseFile(texts));
    for (const char *locale : {"C", "de_DE"}) {
        SCOPED_TRACE(locale);
        form1->applyLocale(QLocale(QString::fromLatin1(locale)));
        ASSERT_TRUE(form1->openCase(QStringLiteral("start.sfcase")));
        ASSERT_TRUE(form1->saveCase(QStringLiteral("saved.sfcase")));
        {
            ModalWatcher watcher;
            QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
            ASSERT_EQ(watcher.seen.size(), 1u);
            EXPECT_EQ(watcher.seen[0].objectName, "FinishForm");
        }
        const ::sf::test::ProcessResult r = ::sf::test::runProcess(
            SCREENFILTER_CLI, {"run", "saved.sfcase", "-o", "-", "--decimal-separator",
                               std::string(1, form1->decimalSeparator())});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, ::sf::test::readBytes("window.txt"));
        EXPECT_NE(r.out.find(form1->decimalSeparator() == ',' ? "80,50" : "80.50"), std::string::npos);
    }
    form1->applyLocale(QLocale::c());
}

} // namespace
} // namespace sf::test
