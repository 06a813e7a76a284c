// The window's commands as a user finds them: the right-click menu, each
// field's own menu, the shortcuts, F1's list and About; the tooltips; and
// read-only values shown from their start.
#include "UiTestSupport.h"

#include "browser/DirectoryList.h"
#include "cases/CaseFile.h"
#include "support/Process.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QTextDocument>

#include <filesystem>

namespace sf::test {
namespace {

class WindowCommandsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        form1->setFileChooser([this](bool save, const QString &) {
            chooserCalls.push_back(save ? "save" : "open");
            return QString();
        });
    }

    // The menu a context-menu event on `target` pops up, as its entries:
    // the text, a tab and the shortcut; "-" for a separator.
    QMenu *popUpMenu(QWidget *target, QContextMenuEvent::Reason reason)
    {
        const QPoint at = target->rect().center();
        QContextMenuEvent event(reason, at, target->mapToGlobal(at));
        QApplication::sendEvent(target, &event);
        EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, 1000));
        return qobject_cast<QMenu *>(QApplication::activePopupWidget());
    }
    static QStringList entries(const QMenu *menu)
    {
        QStringList list;
        for (const QAction *a : menu->actions())
            list << (a->isSeparator() ? QStringLiteral("-") : a->text() + u'\t' + a->shortcut().toString());
        return list;
    }
    QWidget *shortcutsWindow() const { return form1->findChild<QWidget *>(QStringLiteral("ShortcutsWindow")); }

    std::vector<std::string> chooserCalls;
};

const QStringList Commands = {QStringLiteral("Open case…\tCtrl+O"), QStringLiteral("Save case\tCtrl+S"),
                              QStringLiteral("Save case as…\tCtrl+Shift+S"), QStringLiteral("-"),
                              QStringLiteral("Keyboard shortcuts\tF1"), QStringLiteral("About\t")};

TEST_F(WindowCommandsTest, MenuFromTheBackgroundAndFromAFieldRunsItsCommands)
{
    const struct {
        const char *target;
        QContextMenuEvent::Reason reason;
        bool fieldMenu; // the field's own entries come first
        int entry;      // the entry clicked, in Commands
        const char *effect;
    } rows[] = {
        {"Panel1", QContextMenuEvent::Mouse, false, 0, "open"},
        {"GroupBox2", QContextMenuEvent::Mouse, false, 1, "save"},
        {"Edit34", QContextMenuEvent::Mouse, false, 2, "save"}, // disabled: its group answers
        {"Edit12", QContextMenuEvent::Mouse, true, 0, "open"},
        {"Edit12", QContextMenuEvent::Keyboard, true, 4, "shortcuts"},
        {"Edit35", QContextMenuEvent::Keyboard, true, 2, "save"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.target) + " entry " + std::to_string(row.entry));
        chooserCalls.clear();
        auto *target = form1->findChild<QWidget *>(QLatin1String(row.target));
        ASSERT_NE(target, nullptr);
        QMenu *menu = popUpMenu(target, row.reason);
        ASSERT_NE(menu, nullptr);
        const QStringList shown = entries(menu);
        ASSERT_GE(shown.size(), Commands.size());
        EXPECT_EQ(shown.mid(shown.size() - Commands.size()), Commands);
        if (row.fieldMenu) {
            EXPECT_TRUE(shown.contains(QStringLiteral("&Paste\tCtrl+V\t"))) << shown.join(u'|').toStdString();
            EXPECT_EQ(shown[shown.size() - Commands.size() - 1], "-") << "a separator below the field's own";
        } else {
            EXPECT_EQ(shown.size(), Commands.size());
        }
        QAction *clicked = menu->actions()[shown.size() - Commands.size() + row.entry];
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(clicked).center());
        EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() == nullptr; }, 1000));
        if (std::string(row.effect) == "shortcuts") {
            ASSERT_NE(shortcutsWindow(), nullptr);
            EXPECT_TRUE(shortcutsWindow()->isVisible());
            shortcutsWindow()->close();
        } else {
            EXPECT_EQ(chooserCalls, std::vector<std::string>{row.effect});
        }
    }
}

TEST_F(WindowCommandsTest, ShortcutsWorkFromAFieldAndFromAClickedList)
{
    const struct {
        const char *focus;
        int key;
        Qt::KeyboardModifiers modifiers;
        const char *effect;
    } rows[] = {
        {"Edit7", Qt::Key_O, Qt::ControlModifier, "open"},
        {"FileListBox1", Qt::Key_O, Qt::ControlModifier, "open"},
        {"DirectoryListBox1", Qt::Key_S, Qt::ControlModifier, "save"},
        {"Edit35", Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, "save"},
        {"Edit1", Qt::Key_F1, Qt::NoModifier, "shortcuts"},
        {"FileListBox1", Qt::Key_F1, Qt::NoModifier, "shortcuts"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.focus) + " " + row.effect);
        chooserCalls.clear();
        auto *target = form1->findChild<QWidget *>(QLatin1String(row.focus));
        target->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([&] { return target->hasFocus(); }));
        QTest::keyClick(target, static_cast<Qt::Key>(row.key), row.modifiers);
        if (std::string(row.effect) == "shortcuts") {
            ASSERT_NE(shortcutsWindow(), nullptr);
            EXPECT_TRUE(shortcutsWindow()->isVisible());
            EXPECT_TRUE(chooserCalls.empty());
            shortcutsWindow()->close();
            reactivate();
        } else {
            EXPECT_EQ(chooserCalls, std::vector<std::string>{row.effect});
        }
    }
}

TEST_F(WindowCommandsTest, ShortcutListNamesEveryKeyAndEachGroupWithItsUnits)
{
    QTest::keyClick(edit(1), Qt::Key_F1);
    ASSERT_NE(shortcutsWindow(), nullptr);
    auto *text = shortcutsWindow()->findChild<QLabel *>(QStringLiteral("ShortcutsText"));
    QTextDocument document;
    document.setHtml(text->text());
    const QString shown = document.toPlainText();
    for (const char *expected :
         {"Ctrl+O\nOpen case\n", "Ctrl+S\nSave case\n", "Ctrl+Shift+S\nSave case as\n", "F1\nKeyboard shortcuts\n",
          "Enter\nCalculate and write the report (OK)", "Alt+C\nClose the window", "Tab, Shift+Tab", "Menu key",
          "Input Data: ", "Flow Rate (kg/hr), Screen Diameter (cm), Density (g/cm3), Temperature (℃)",
          "Screen Data: ", "Mesh (1/in), Wire Dia. (cm), Number of Screens\n", "Viscosity Data: ",
          "Standard Viscosity (gf.s/cm2), Standard Shear Rate (1/sec), Power Law Factor (-), "
          "Shift Factor Parameter A (℃), Shift Factor Parameter B (-)",
          "Save File Name: ", "decimal separator \".\""})
        EXPECT_TRUE(shown.contains(QString::fromUtf8(expected))) << expected << "\n" << shown.toStdString();
    EXPECT_FALSE(shown.contains(QStringLiteral("Down, Up"))) << "the arrows do nothing while the melt is read-only";
    shortcutsWindow()->close();
}

TEST_F(WindowCommandsTest, AboutGivesTheCommandLinesVersion)
{
#ifndef SCREENFILTER_CLI
    GTEST_SKIP() << "screenfilter-cli is not built";
#else
    const ProcessResult cli = runProcess(SCREENFILTER_CLI, {"--version"});
    ASSERT_EQ(cli.exitCode, 0);
    const std::string prefix = "screenfilter-cli ";
    ASSERT_EQ(cli.out.rfind(prefix, 0), 0u) << cli.out;
    const std::string version = cli.out.substr(prefix.size(), cli.out.find('\n') - prefix.size());

    ModalWatcher watcher;
    QAction *about = form1->findChild<QMenu *>(QStringLiteral("CommandMenu"))->actions().back();
    ASSERT_EQ(about->text(), "About");
    about->trigger();
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].objectName, "AboutBox");
    EXPECT_EQ(watcher.seen[0].text.toStdString(), "Pressure Drop of Screen Filter\nscreenfilter " + version);
#endif
}

TEST_F(WindowCommandsTest, FieldTooltipsGiveNameUnitAndWhatTheFieldTakes)
{
    const struct {
        int edit;
        const char *tip;
    } rows[] = {
        {1, "Flow Rate (kg/hr)\na number > 0"},
        {4, "Temperature (℃)\na number above -273"},
        {5, "No. 1  Screen Mesh (1/in)\na number > 0; read only for the screens in use"},
        {28, "No. 12 Screen Wire Dia. (cm)\na number > 0, below the pitch 2.54 / mesh; read only for the screens in use"},
        {29, "Number of  Screens\na whole number, 1 to 12"},
        {32, "Power Law Factor (-)\n0.469\nread-only; a case file sets it"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(edit(row.edit)->toolTip().toStdString(), row.tip) << "Edit" << row.edit;
    for (int n = 1; n <= 35; ++n)
        EXPECT_TRUE(edit(n)->toolTip().startsWith(edit(n)->accessibleName() + u'\n')) << "Edit" << n;
}

TEST_F(WindowCommandsTest, SaveFileNameTooltipFollowsTheNameAndTheChosenDirectory)
{
    ScratchDirectory dir;
    std::filesystem::create_directory("reports");
    Windows here = createWindows();
    MainWindow *window = here.form1.get();
    QLineEdit *name = window->findChild<QLineEdit *>(QStringLiteral("Edit35"));
    auto *directories = window->findChild<DirectoryList *>(QStringLiteral("DirectoryListBox1"));
    const QString root = QString::fromStdString(dir.path().string());
    const QString lead = QStringLiteral("Save File Name\nThe report goes to\n");
    EXPECT_EQ(name->toolTip(), lead + root + QStringLiteral("/result.txt"));
    name->setText(QStringLiteral("pack a.txt"));
    EXPECT_EQ(name->toolTip(), lead + root + QStringLiteral("/pack a.txt"));
    ASSERT_TRUE(directories->enterDirectory(QFile::encodeName(root + QStringLiteral("/reports"))));
    EXPECT_EQ(name->toolTip(), lead + root + QStringLiteral("/reports/pack a.txt"));
    name->setText(QStringLiteral("/var/tmp/r.txt"));
    EXPECT_EQ(name->toolTip(), lead + QStringLiteral("/var/tmp/r.txt"));
}

TEST_F(WindowCommandsTest, ReadOnlyValuesShowTheirFirstCharacterAndWholeInTheTooltip)
{
    ScratchDirectory dir;
    FieldTexts texts = FieldTexts::defaults();
    texts[Field::StandardViscosity] = "1234.5678";
    texts[Field::ShiftA] = "15180.00001";
    texts[Field::ShiftB] = "16.1451";
    writeBytes("melt.sfcase", formatCaseFile(texts));
    // Opened twice: the second time sets the same texts again.
    for (int time = 1; time <= 2; ++time) {
        ASSERT_TRUE(form1->openCase(QStringLiteral("melt.sfcase")));
        for (Field f : {Field::StandardViscosity, Field::ShiftA, Field::ShiftB}) {
            QLineEdit *field = edit(f);
            SCOPED_TRACE(field->objectName().toStdString() + " time " + std::to_string(time));
            EXPECT_GT(field->fontMetrics().horizontalAdvance(field->text()), field->width() - 4) << "fits anyway";
            EXPECT_EQ(field->cursorPosition(), 0);
            EXPECT_TRUE(field->toolTip().contains(u'\n' + QString::fromStdString(texts[f]) + u'\n'));
            // Its first glyph stands where it would, unscrolled: 2 pixels in.
            const QImage shown = field->grab().toImage();
            QImage alone(shown.size(), QImage::Format_RGB32);
            alone.fill(shown.pixel(shown.width() / 2, shown.height() - 3));
            QPainter p(&alone);
            p.setFont(field->font());
            p.setPen(field->palette().color(QPalette::Disabled, QPalette::Text));
            p.drawText(2, 2 + field->fontMetrics().ascent(), field->text());
            p.end();
            const int column = 6; // from the frame to within the first glyph
            for (int x = 2; x < column; ++x)
                for (int y = 2; y < shown.height() - 2; ++y)
                    ASSERT_LT(std::abs(qGray(shown.pixel(x, y)) - qGray(alone.pixel(x, y))), 48) << x << "," << y;
        }
    }
}

} // namespace
} // namespace sf::test
