// The window's commands as a user finds them: the right-click menu, each
// field's own menu, the shortcuts, F1's list and About; the tooltips;
// read-only values shown from their start; and the question before edits
// to an open case file are lost.
#include "UiTestSupport.h"

#include "cases/CaseFile.h"
#include "support/Process.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextDocument>
#include <QUrl>

#include <filesystem>

namespace sf::test {
namespace {

enum class Act { CloseButton, CtrlO, Drop };

class WindowCommandsTest : public MainWindowTest {
protected:
    // A fresh window; with `caseFile` on case.sfcase (the worked example) in
    // `caseDir`. Beside it other.sfcase (flow rate 33), which the file
    // chooser answers.
    void start(bool caseFile, const char *typed, const char *caseDir = ".")
    {
        std::filesystem::create_directory(caseDir);
        const QString path = QDir(QString::fromLatin1(caseDir)).absoluteFilePath(QStringLiteral("case.sfcase"));
        writeBytes(path.toStdString(), formatCaseFile(FieldTexts::defaults()));
        FieldTexts other = FieldTexts::defaults();
        other[Field::FlowRate] = "33";
        writeBytes("other.sfcase", formatCaseFile(other));
        windows = createWindows();
        form1 = windows.form1.get();
        showMainWindow(*form1);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
        reactivate();
        form1->setFileChooser([this](bool save, const QString &) {
            effect += save ? "save" : "open";
            return QStringLiteral("other.sfcase");
        });
        if (caseFile) {
            ASSERT_TRUE(form1->openCase(path));
        }
        if (typed) {
            focus(1);
            edit(1)->selectAll();
            QTest::keyClicks(edit(1), QString::fromLatin1(typed));
        }
    }
    void act(Act what)
    {
        if (what == Act::CloseButton)
            return QTest::mouseClick(button("BitBtn2"), Qt::LeftButton);
        if (what == Act::CtrlO)
            return QTest::keyClick(edit(1), Qt::Key_O, Qt::ControlModifier);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QDir::current().absoluteFilePath(QStringLiteral("other.sfcase")))});
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form1, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form1, &drop);
    }
    QWidget *shortcutsWindow() const { return form1->findChild<QWidget *>(QStringLiteral("ShortcutsWindow")); }
    QWidget *meltDialog() const { return form1->findChild<QWidget *>(QStringLiteral("MeltDialog")); }

    std::string effect;
};

// Clicks `button` in the box; Enter in any other dialog.
ModalWatcher::Closer answer(QMessageBox::StandardButton button)
{
    return [button](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        if (box && box->button(button))
            return QTest::mouseClick(box->button(button), Qt::LeftButton);
        ModalWatcher::pressEnter(dialog);
    };
}

TEST_F(WindowCommandsTest, MenusAndShortcutsRunTheCommandsFromTheBackgroundAndFromFields)
{
    const QStringList commands = {QStringLiteral("Open case…\tCtrl+O"), QStringLiteral("Save case\tCtrl+S"),
                                  QStringLiteral("Save case as…\tCtrl+Shift+S"), QStringLiteral("Melt…\tCtrl+M"),
                                  QStringLiteral("View report\tCtrl+R"), QStringLiteral("Study…\tCtrl+T"),
                                  QStringLiteral("Pack life…\tCtrl+L"),
                                  QStringLiteral("-"),
                                  QStringLiteral("Keyboard shortcuts\tF1"), QStringLiteral("About\t")};
    const struct {
        const char *widget;
        int key; // 0: a right click; Key_Menu: the Menu key; else this shortcut
        Qt::KeyboardModifiers modifiers;
        int entry; // the menu entry clicked, in `commands`
        const char *effect;
    } rows[] = {
        {"Panel1", 0, {}, 0, "open"},
        {"GroupBox2", 0, {}, 1, "save"},
        {"Edit34", 0, {}, 2, "save"}, // disabled: its group's menu
        {"Edit12", Qt::Key_Menu, {}, 8, "shortcuts"},
        {"Edit30", 0, {}, 3, "melt"},
        {"Edit35", Qt::Key_Menu, {}, 2, "save"},
        {"Edit7", Qt::Key_O, Qt::ControlModifier, -1, "open"},
        {"DirectoryListBox1", Qt::Key_S, Qt::ControlModifier, -1, "save"},
        {"Edit35", Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, -1, "save"},
        {"FileListBox1", Qt::Key_F1, {}, -1, "shortcuts"},
        {"Edit1", Qt::Key_M, Qt::ControlModifier, -1, "melt"},
    };
    form1->setFileChooser([this](bool save, const QString &) {
        effect += save ? "save" : "open";
        return QString();
    });
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.widget) + " " + row.effect);
        effect.clear();
        auto *target = form1->findChild<QWidget *>(QLatin1String(row.widget));
        if (row.entry < 0) {
            target->setFocus(Qt::MouseFocusReason);
            QTest::keyClick(target, static_cast<Qt::Key>(row.key), row.modifiers);
        } else { // what the platform sends for a right click, or for the Menu key to the focused widget
            const QPoint at = target->rect().center();
            QContextMenuEvent event(row.key ? QContextMenuEvent::Keyboard : QContextMenuEvent::Mouse, at,
                                    target->mapToGlobal(at));
            QApplication::sendEvent(target, &event);
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            QStringList shown;
            for (const QAction *a : menu->actions())
                shown << (a->isSeparator() ? QStringLiteral("-") : a->text() + u'\t' + a->shortcut().toString());
            const qsizetype own = shown.size() - commands.size();
            EXPECT_EQ(shown.mid(own), commands);
            if (target->isEnabled() && qobject_cast<QLineEdit *>(target))
                EXPECT_EQ(shown.mid(own - 5, 5).join(u'|'), "&Paste\tCtrl+V\t|Delete\t|-|Select All\tCtrl+A\t|-");
            else
                EXPECT_EQ(own, 0);
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions()[own + row.entry]).center());
        }
        for (auto [window, name] : {std::pair(shortcutsWindow(), "shortcuts"), std::pair(meltDialog(), "melt")}) {
            if (window && window->isVisible()) {
                effect += name;
                window->close();
                reactivate();
            }
        }
        EXPECT_EQ(effect, row.effect);
    }
}

TEST_F(WindowCommandsTest, F1ListsTheCommandsAndEachGroupWithItsUnitsAndAboutTheVersion)
{
    QTest::keyClick(edit(1), Qt::Key_F1);
    QTextDocument document;
    document.setHtml(shortcutsWindow()->findChild<QLabel *>(QStringLiteral("ShortcutsText"))->text());
    const QString shown = document.toPlainText();
    EXPECT_TRUE(shown.contains("Ctrl+O\nOpen case\nCtrl+S\nSave case\nCtrl+Shift+S\nSave case as\nCtrl+M\nMelt\nCtrl+R\n"
                               "View report\nCtrl+T\nStudy\nCtrl+L\nPack life\nF1\n"))
        << shown.toStdString();
    for (const char *group : {"\nInput Data: ", "\nScreen Data: ", "\nViscosity Data: ", "\nSave File Name: "})
        EXPECT_TRUE(shown.contains(QLatin1String(group))) << group;
    for (const InputField &field : InputFields) {
        if (!field.unit.empty()) {
            EXPECT_TRUE(shown.contains(QString::fromStdString(fieldLabel(field)))) << fieldLabel(field);
        }
    }
#ifdef SCREENFILTER_CLI
    const std::string cli = runProcess(SCREENFILTER_CLI, {"--version"}).out;
    ASSERT_EQ(cli.rfind("screenfilter-cli ", 0), 0u) << cli;
    ModalWatcher watcher;
    form1->findChild<QMenu *>(QStringLiteral("CommandMenu"))->actions().back()->trigger();
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].text.toStdString() + "\n", "Pressure Drop of Screen Filter\nscreenfilter " + cli.substr(17));
#endif
}

TEST_F(WindowCommandsTest, EveryTooltipNamesItsFieldAndUnitAndTheReportPathIsThereFromTheStart)
{
    for (const InputField &field : InputFields) {
        // The caption with its unit, then at least one line more: what it takes.
        const QStringList lines = edit(field.id)->toolTip().split(u'\n');
        EXPECT_TRUE(lines[0].endsWith(QString::fromStdString(fieldLabel(field)))) << field.editNumber;
        EXPECT_GE(lines.size(), 2) << field.editNumber;
    }

    // In a window just made; how it follows the name and the directory is a case files' test.
    ScratchDirectory dir;
    start(false, nullptr);
    EXPECT_EQ(edit(35)->toolTip(), QStringLiteral("Save File Name\nThe report goes to\n") +
                                       QString::fromStdString(dir.path()) + QStringLiteral("/result.txt"));
}

TEST_F(WindowCommandsTest, ReadOnlyValuesShowTheirFirstCharacterAndWholeInTheTooltip)
{
    ScratchDirectory dir;
    FieldTexts texts = FieldTexts::defaults();
    texts[Field::StandardViscosity] = "1234.5678";
    texts[Field::ShiftB] = "16.1451";
    writeBytes("melt.sfcase", formatCaseFile(texts));
    for (Field f : {Field::StandardViscosity, Field::ShiftB}) {
        QLineEdit *field = edit(f);
        // Its first two characters fit, so they show unscrolled: the first one is the reference.
        field->setText(QString::fromStdString(texts[f]).left(2));
        const int firstGlyph = 2 + field->fontMetrics().horizontalAdvance(field->text().front());
        const QImage start = field->grab().toImage().copy(0, 0, firstGlyph, field->height());
        for (int time = 1; time <= 2; ++time) { // the second time sets the same text again
            SCOPED_TRACE(field->objectName().toStdString() + " time " + std::to_string(time));
            ASSERT_TRUE(form1->openCase(QStringLiteral("melt.sfcase")));
            ASSERT_GT(field->fontMetrics().horizontalAdvance(field->text()), field->width() - 4) << "fits anyway";
            EXPECT_TRUE(field->toolTip().contains(u'\n' + field->text() + u'\n'));
            EXPECT_TRUE(field->grab().toImage().copy(start.rect()) == start) << "the first character is not where it stands unscrolled";
        }
    }
}

TEST_F(WindowCommandsTest, CloseOpenAndDropAskFirstWhenAnEditWouldBeLost)
{
    using B = QMessageBox;
    const struct {
        const char *name;
        bool caseFile;
        const char *typed;
        Act act;
        B::StandardButton answer; // NoButton: nothing may be asked
        const char *inFile;       // case.sfcase's flow rate afterwards; the action goes on unless Cancel
    } rows[] = {
        {"close_save", true, "80.5", Act::CloseButton, B::Save, "80.5"},
        {"close_discard", true, "80.5", Act::CloseButton, B::Discard, "57.0"},
        {"close_cancel", true, "80.5", Act::CloseButton, B::Cancel, "57.0"},
        {"open_discard", true, "80.5", Act::CtrlO, B::Discard, "57.0"},
        {"open_cancel", true, "80.5", Act::CtrlO, B::Cancel, "57.0"},
        {"drop_save", true, "80.5", Act::Drop, B::Save, "80.5"},
        {"drop_cancel", true, "80.5", Act::Drop, B::Cancel, "57.0"},
        {"no_case_file_closes_as_ever", false, "80.5", Act::CloseButton, B::NoButton, "57.0"},
        {"unedited_case", true, nullptr, Act::CtrlO, B::NoButton, "57.0"},
        {"edit_typed_back", true, "57.0", Act::Drop, B::NoButton, "57.0"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ScratchDirectory dir;
        start(row.caseFile, row.typed);
        effect.clear();
        ModalWatcher watcher(answer(row.answer));
        act(row.act);
        if (row.answer == B::NoButton) {
            EXPECT_TRUE(watcher.seen.empty());
        } else {
            ASSERT_EQ(watcher.seen.size(), 1u);
            EXPECT_EQ(watcher.seen[0].text, "The fields have changed since case.sfcase was opened or saved. Save the changes?");
        }
        EXPECT_EQ(readCaseFile("case.sfcase")[Field::FlowRate], row.inFile);
        if (row.answer == B::Cancel) {
            EXPECT_TRUE(form1->isVisible());
            EXPECT_EQ(edit(1)->text(), "80.5");
            EXPECT_EQ(form1->windowTitle(), "Pressure Drop of Screen Filter — case.sfcase");
            EXPECT_EQ(effect, "") << "Open asks before its file dialog";
        } else if (row.act == Act::CloseButton) {
            EXPECT_FALSE(form1->isVisible());
        } else {
            EXPECT_EQ(form1->windowTitle(), "Pressure Drop of Screen Filter — other.sfcase");
        }
    }

    // A save that fails loses nothing either.
    ScratchDirectory dir;
    start(true, "80.5", "gone");
    std::filesystem::remove_all("gone");
    ModalWatcher watcher(answer(B::Save));
    act(Act::CloseButton);
    ASSERT_EQ(watcher.seen.size(), 2u);
    EXPECT_EQ(watcher.seen[1].text, "case.sfcase: ファイルが見つかりません.");
    EXPECT_TRUE(form1->isVisible());
    EXPECT_EQ(edit(1)->text(), "80.5");
}

} // namespace
} // namespace sf::test
