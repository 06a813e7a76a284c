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

TEST_F(RunTest, DefaultInputsWriteTheReportAndShowTheCompletionDialog)
{
    ScratchDirectory dir;
    ModalWatcher watcher;
    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);

    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].objectName, "FinishForm");
    EXPECT_EQ(readBytes("result.txt"), ::sf::test::goldenReport());
}

struct RefusedCase {
    const char *name;
    int field;
    const char *text;
    const char *message;
};

void PrintTo(const RefusedCase &c, std::ostream *os)
{
    *os << c.name;
}

const RefusedCase refusedCases[] = {
    {"no_screens", 29, "0", "<Number of Screens> is not correct!"},
    {"thirteen_screens", 29, "13", "<Number of Screens> is not correct!"},
    {"screen_count_not_whole", 29, "12.0", "<Number of Screens> is not correct!"},
    {"wire_of_screen_in_use_empty", 6, "", "Number of screen data set is not enough!"},
    {"mesh_of_last_screen_unreadable", 27, "x", "Number of screen data set is not enough!"},
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
};

void PrintTo(const FaultCase &c, std::ostream *os)
{
    *os << c.name;
}

const FaultCase faultCases[] = {
    {"flow_rate_not_a_number", 1, "abc", "'abc' は浮動小数点数ではありません."},
    {"flow_rate_beyond_double", 1, "1E400", "浮動小数点数のオーバーフロー."},
    {"blanks_kept_in_message", 4, " 29 0 ", "' 29 0 ' は浮動小数点数ではありません."},
    // As long as a field's text can be: once quoted whole, cut off at the screen's edge.
    {"longest_text_quoted_by_its_start", 1, QString(32766, u'1') + u'x',
     "'" + std::string(64, '1') + "…' (32767 characters) は浮動小数点数ではありません."},
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

TEST_F(RunTest, UncreatableReportFileIsReportedNotCompleted)
{
    ScratchDirectory dir;
    edit(35)->setText(QStringLiteral("no-such-directory/result.txt"));
    ModalWatcher watcher;
    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);

    ASSERT_GE(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].text, "File can not open!");
    EXPECT_EQ(watcher.seen[0].icon, QMessageBox::NoIcon);
    for (const SeenDialog &d : watcher.seen)
        EXPECT_NE(d.objectName, "FinishForm") << "a report that was not written is no success";
}

TEST_F(RunTest, NulInAFieldIsShownWholeAndNeverCutsTheSaveFileName)
{
    ScratchDirectory dir;
    const QChar nul(u'\0');
    const struct {
        int field;
        QString text;
        const char *shown;
    } rows[] = {
        {1, QStringLiteral("1") + nul + QStringLiteral("5"), "'1\uFFFD5' は浮動小数点数ではありません."},
        {35, QStringLiteral("abc") + nul + QStringLiteral("def.txt"), "File can not open!"},
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
    }
    EXPECT_EQ(QDir().entryList(QDir::Files), QStringList()) << "no report, none named abc";
}

TEST_F(RunTest, SaveFileNameIsTakenAsTyped)
{
    ScratchDirectory dir;
    edit(35)->setText(QStringLiteral(" first report.txt"));
    ModalWatcher watcher;
    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(readBytes(" first report.txt"), ::sf::test::goldenReport());
    EXPECT_FALSE(fileExists("result.txt"));
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
