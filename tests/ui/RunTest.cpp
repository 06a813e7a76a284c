// One run of the Calculate command through the window: what the user sees
// and what lands on disk.
#include "UiTestSupport.h"

#include "AppTitle.h"
#include "MessageBoxes.h"

namespace sf::test {
namespace {

using RunTest = MainWindowTest;

QString expectedCaption()
{
    return applicationTitle(QCoreApplication::arguments().value(0));
}

// The report's name is taken as typed, its leading blank kept.
TEST_F(RunTest, DefaultInputsWriteTheReportAndShowTheCompletionDialog)
{
    ScratchDirectory dir;
    edit(35)->setText(QStringLiteral(" first report.txt"));
    ModalWatcher watcher;
    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);

    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].objectName, "FinishForm");
    EXPECT_EQ(readBytes(" first report.txt"), ::sf::test::goldenReport());
    EXPECT_FALSE(fileExists("result.txt"));
}

struct RefusedCase {
    const char *name;
    int field;
    const char *text;
    const char *message;
    const char *english; // the second label: what is wrong and where
};

void PrintTo(const RefusedCase &c, std::ostream *os)
{
    *os << c.name;
}

const RefusedCase refusedCases[] = {
    {"no_screens", 29, "0", "<Number of Screens> is not correct!",
     "Number of Screens: the number of screens '0' must be a whole number from 1 to 12."},
    {"thirteen_screens", 29, "13", "<Number of Screens> is not correct!",
     "Number of Screens: the number of screens '13' must be a whole number from 1 to 12."},
    {"screen_count_not_whole", 29, "12.0", "<Number of Screens> is not correct!",
     "Number of Screens: the number of screens '12.0' must be a whole number from 1 to 12."},
    {"wire_of_screen_in_use_empty", 6, "", "Number of screen data set is not enough!",
     "No. 1 Screen Wire Dia. (cm): empty; give Wire Dia. cm as a number; so the window counts screen 1 as not "
     "given."},
    {"mesh_of_last_screen_unreadable", 27, "x", "Number of screen data set is not enough!",
     "No. 12 Screen Mesh (1/in): 'x' is not a number; write digits with '.' as the decimal separator; so the "
     "window counts screen 12 as not given."},
};

class RefusedRun : public RunTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedRun, ShowsTheMessageDialogAndWritesNothing)
{
    ScratchDirectory dir;
    edit(GetParam().field)->setText(QString::fromUtf8(GetParam().text));
    ModalWatcher watcher;
    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);

    ASSERT_EQ(watcher.seen.size(), 1u) << "no completion dialog after a refused run";
    const SeenDialog &d = watcher.seen[0];
    EXPECT_TRUE(d.messageBox);
    EXPECT_EQ(d.text.toStdString(), GetParam().message);
    EXPECT_EQ(d.informativeText.toStdString(), GetParam().english);
    EXPECT_EQ(d.title, expectedCaption());
    EXPECT_EQ(d.icon, QMessageBox::NoIcon);
    EXPECT_EQ(d.buttonCount, 1);
    EXPECT_EQ(d.defaultButton, d.escapeButton);
    EXPECT_FALSE(d.defaultButton.isEmpty());
    EXPECT_FALSE(fileExists("result.txt"));
}

INSTANTIATE_TEST_SUITE_P(Inputs, RefusedRun, ::testing::ValuesIn(refusedCases),
                         [](const auto &info) { return std::string(info.param.name); });

struct FaultCase {
    const char *name;
    int field;
    QString text;
    std::string boxText;
    std::string english; // the second label: what is wrong and where
};

void PrintTo(const FaultCase &c, std::ostream *os)
{
    *os << c.name;
}

const FaultCase faultCases[] = {
    {"flow_rate_not_a_number", 1, "abc", "'abc' は浮動小数点数ではありません.",
     "Flow Rate (kg/hr): 'abc' is not a number; write digits with '.' as the decimal separator, such as 57.0."},
    {"flow_rate_beyond_double", 1, "1E400", "浮動小数点数のオーバーフロー.",
     "Flow Rate (kg/hr): '1E400' is beyond the range of numbers; give Flow Rate kg/hr as an ordinary number."},
    {"blanks_kept_in_message", 4, " 29 0 ", "' 29 0 ' は浮動小数点数ではありません.",
     "Temperature (℃): ' 29 0 ' is not a number; write digits with '.' as the decimal separator."},
    {"density_with_a_decimal_comma", 3, "0,76", "'0,76' は浮動小数点数ではありません.",
     "Density (g/cm3): '0,76' is not a number; write digits with '.' as the decimal separator, such as 0.76."},
    {"wire_in_mm", 6, "0.40", "不正な浮動小数点数演算命令.",
     "No. 1 Screen Wire Dia. (cm): no opening left at screen 1: wire 0.40 cm ≥ pitch 0.08467 cm (2.54 / mesh 30); "
     "wire diameters are in cm, mesh in wires per inch; the arithmetic stopped at the screen factor of screen 1."},
    // As long as a field's text can be: once quoted whole, cut off at the screen's edge.
    {"longest_text_quoted_by_its_start", 1, QString(32766, u'1') + u'x',
     "'" + std::string(64, '1') + "…' (32767 characters) は浮動小数点数ではありません.",
     "Flow Rate (kg/hr): '" + std::string(64, '1') +
         "…' (32767 characters) is not a number; write digits with '.' as the decimal separator, such as 57.0."},
};

class FaultyRun : public RunTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultyRun, ShowsTheErrorBoxThenTheWindowWorksAgain)
{
    ScratchDirectory dir;
    QLineEdit *field = edit(GetParam().field);
    const QString original = field->text();
    field->setText(GetParam().text);
    {
        QSize box;
        QSize screen;
        ModalWatcher watcher([&](QWidget *dialog) {
            box = dialog->frameGeometry().size();
            screen = dialog->screen()->availableGeometry().size();
            ModalWatcher::pressEnter(dialog);
        });
        QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
        ASSERT_EQ(watcher.seen.size(), 1u);
        const SeenDialog &d = watcher.seen[0];
        EXPECT_TRUE(d.messageBox);
        EXPECT_EQ(d.text.toStdString(), GetParam().boxText);
        EXPECT_EQ(d.informativeText.toStdString(), GetParam().english);
        EXPECT_TRUE(box.width() <= screen.width() && box.height() <= screen.height()) << box.width() << "x" << box.height();
        EXPECT_EQ(d.icon, QMessageBox::Critical);
        EXPECT_EQ(d.title, expectedCaption());
        EXPECT_EQ(d.buttonCount, 1);
        EXPECT_FALSE(fileExists("result.txt"));
    }
    // The next run starts afresh from the fields.
    field->setText(original);
    ModalWatcher watcher;
    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].objectName, "FinishForm");
    EXPECT_EQ(readBytes("result.txt"), ::sf::test::goldenReport());
}

INSTANTIATE_TEST_SUITE_P(Inputs, FaultyRun, ::testing::ValuesIn(faultCases),
                         [](const auto &info) { return std::string(info.param.name); });

// A report that cannot be created is said, with no completion dialog; a
// NUL in a field is shown whole and never cuts the report's name short.
TEST_F(RunTest, UncreatableReportAndNulInAFieldAreSaidAndWriteNothing)
{
    ScratchDirectory dir;
    const QChar nul(u'\0');
    const struct {
        int field;
        QString text;
        const char *shown;
        const char *english = ""; // the second label, where checked
    } rows[] = {
        {1, QStringLiteral("1") + nul + QStringLiteral("5"), "'1\uFFFD5' は浮動小数点数ではありません."},
        {35, QStringLiteral("abc") + nul + QStringLiteral("def.txt"), "File can not open!"},
        {35, QStringLiteral("no-such-directory/result.txt"), "File can not open!",
         "Save File Name: the report file 'no-such-directory/result.txt' cannot be created; give a name in a "
         "folder that exists and can be written to."},
    };
    for (const auto &row : rows) {
        QLineEdit *field = edit(row.field);
        const QString original = field->text();
        field->setText(row.text);
        ModalWatcher watcher;
        QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
        field->setText(original);
        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_EQ(watcher.seen[0].text.toStdString(), row.shown);
        if (*row.english) {
            EXPECT_EQ(watcher.seen[0].informativeText.toStdString(), row.english);
        }
    }
    EXPECT_EQ(QDir().entryList(QDir::Files), QStringList()) << "no report, none named abc";
}

TEST_F(RunTest, MessageDialogShowsItsTextUnchangedAndClosesWithEnterOrEscape)
{
    const QString text = QStringLiteral("<b>not bold</b> & a long line that the dialog has to wrap because it "
                                        "is much wider than any screen would comfortably show on one line");
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        SCOPED_TRACE(key == Qt::Key_Return ? "Enter" : "Escape");
        bool wraps = false;
        bool centred = false;
        ModalWatcher watcher([&](QWidget *dialog) {
            const auto labels = dialog->findChildren<QLabel *>();
            for (QLabel *label : labels)
                if (label->text() == text)
                    wraps = label->wordWrap() && label->textFormat() == Qt::PlainText;
            const QPoint centre = dialog->screen()->availableGeometry().center();
            centred = (dialog->frameGeometry().center() - centre).manhattanLength() <= 1;
            QTest::keyClick(dialog, key);
        });
        form1->move(0, 0);
        showMessageDialog(form1, text);
        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_EQ(watcher.seen[0].text, text);
        EXPECT_TRUE(wraps);
        EXPECT_TRUE(centred) << "centred on the screen, not over the moved owner";
    }
}

} // namespace
} // namespace sf::test
