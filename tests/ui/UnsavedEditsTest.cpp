// Edits to an open case file are not lost without asking: Close, Open and a
// drop ask Save / Discard / Cancel.
#include "UiTestSupport.h"

#include "cases/CaseFile.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <filesystem>

namespace sf::test {
namespace {

enum class Trigger { CloseButton, CtrlO, Drop };

class UnsavedEditsTest : public MainWindowTest {
protected:
    // Opens case.sfcase (the worked example), with other.sfcase beside it
    // (flow rate 33) for Open and drops to take.
    void openCaseFile()
    {
        writeBytes("case.sfcase", formatCaseFile(FieldTexts::defaults()));
        FieldTexts other = FieldTexts::defaults();
        other[Field::FlowRate] = "33";
        writeBytes("other.sfcase", formatCaseFile(other));
        if (!form1->isVisible()) {
            showMainWindow(*form1);
            ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
        }
        reactivate();
        ASSERT_TRUE(form1->openCase(QDir::current().absoluteFilePath(QStringLiteral("case.sfcase"))));
        form1->setFileChooser([this](bool, const QString &) {
            ++chooserCalls;
            return QStringLiteral("other.sfcase");
        });
    }
    void typeFlowRate(const char *text)
    {
        focus(1);
        edit(1)->selectAll();
        QTest::keyClicks(edit(1), QString::fromLatin1(text));
    }
    void act(Trigger trigger)
    {
        switch (trigger) {
        case Trigger::CloseButton:
            QTest::mouseClick(button("BitBtn2"), Qt::LeftButton);
            break;
        case Trigger::CtrlO:
            QTest::keyClick(edit(1), Qt::Key_O, Qt::ControlModifier);
            break;
        case Trigger::Drop: {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(QDir::current().absoluteFilePath(QStringLiteral("other.sfcase")))});
            QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form1, &enter);
            QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form1, &drop);
            break;
        }
        }
    }
    static std::string flowRateIn(const char *file) { return readCaseFile(file)[Field::FlowRate]; }

    int chooserCalls = 0;
};

ModalWatcher::Closer answer(QMessageBox::StandardButton button)
{
    return [button](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        if (box && box->button(button))
            QTest::mouseClick(box->button(button), Qt::LeftButton);
        else
            ModalWatcher::pressEnter(dialog);
    };
}

TEST_F(UnsavedEditsTest, CloseOpenAndDropAskToSaveDiscardOrCancel)
{
    using B = QMessageBox;
    const struct {
        const char *name;
        Trigger trigger;
        QMessageBox::StandardButton answer;
        bool goesOn;          // the window closed, or other.sfcase is open
        const char *inFile;   // case.sfcase's flow rate afterwards
    } rows[] = {
        {"close_save", Trigger::CloseButton, B::Save, true, "80.5"},
        {"close_discard", Trigger::CloseButton, B::Discard, true, "57.0"},
        {"close_cancel", Trigger::CloseButton, B::Cancel, false, "57.0"},
        {"open_save", Trigger::CtrlO, B::Save, true, "80.5"},
        {"open_discard", Trigger::CtrlO, B::Discard, true, "57.0"},
        {"open_cancel", Trigger::CtrlO, B::Cancel, false, "57.0"},
        {"drop_save", Trigger::Drop, B::Save, true, "80.5"},
        {"drop_discard", Trigger::Drop, B::Discard, true, "57.0"},
        {"drop_cancel", Trigger::Drop, B::Cancel, false, "57.0"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ScratchDirectory dir;
        openCaseFile();
        typeFlowRate("80.5");
        chooserCalls = 0;
        ModalWatcher watcher(answer(row.answer));
        act(row.trigger);
        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_EQ(watcher.seen[0].objectName, "UnsavedChangesBox");
        EXPECT_EQ(watcher.seen[0].text, "The fields have changed since case.sfcase was opened or saved. Save the changes?");
        EXPECT_EQ(watcher.seen[0].buttonCount, 3);
        EXPECT_EQ(flowRateIn("case.sfcase"), row.inFile);
        if (!row.goesOn) {
            EXPECT_TRUE(form1->isVisible());
            EXPECT_EQ(edit(1)->text(), "80.5");
            EXPECT_EQ(form1->windowTitle(), "Pressure Drop of Screen Filter — case.sfcase");
            EXPECT_EQ(chooserCalls, 0) << "Open asks before the file dialog";
        } else if (row.trigger == Trigger::CloseButton) {
            EXPECT_FALSE(form1->isVisible());
        } else {
            EXPECT_EQ(edit(1)->text(), "33");
            EXPECT_EQ(form1->windowTitle(), "Pressure Drop of Screen Filter — other.sfcase");
        }
    }
}

TEST_F(UnsavedEditsTest, NothingIsAskedWhenNothingWouldBeLost)
{
    const struct {
        const char *name;
        bool caseFile;
        const char *typed; // nullptr: nothing
        Trigger trigger;
    } rows[] = {
        {"no_case_file_closes_as_ever", false, "80.5", Trigger::CloseButton},
        {"unedited_case", true, nullptr, Trigger::CtrlO},
        {"edit_typed_back", true, "57.0", Trigger::Drop},
        {"saved_edit", true, "80.5", Trigger::CloseButton},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ScratchDirectory dir;
        if (row.caseFile) {
            openCaseFile();
        } else {
            windows = createWindows();
            form1 = windows.form1.get();
            showMainWindow(*form1);
            ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
        }
        if (row.typed)
            typeFlowRate(row.typed);
        if (std::string(row.name) == "saved_edit")
            QTest::keyClick(edit(1), Qt::Key_S, Qt::ControlModifier);
        ModalWatcher watcher;
        act(row.trigger);
        EXPECT_TRUE(watcher.seen.empty());
        if (row.trigger == Trigger::CloseButton)
            EXPECT_FALSE(form1->isVisible());
        else
            EXPECT_EQ(edit(1)->text(), "33");
    }
}

TEST_F(UnsavedEditsTest, AFailedSaveKeepsTheWindowAndTheEdits)
{
    ScratchDirectory dir;
    std::filesystem::create_directory("gone");
    std::filesystem::current_path("gone");
    openCaseFile();
    std::filesystem::current_path("..");
    std::filesystem::remove_all("gone");
    typeFlowRate("80.5");
    ModalWatcher watcher(answer(QMessageBox::Save));
    QTest::mouseClick(button("BitBtn2"), Qt::LeftButton);
    ASSERT_EQ(watcher.seen.size(), 2u);
    EXPECT_EQ(watcher.seen[1].text, "case.sfcase: ファイルが見つかりません.");
    EXPECT_TRUE(form1->isVisible());
    EXPECT_EQ(edit(1)->text(), "80.5");
}

} // namespace
} // namespace sf::test
