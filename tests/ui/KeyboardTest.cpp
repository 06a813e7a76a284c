// The keyboard of the main window: Tab cycle, Enter, Alt+C and plain C,
// Escape, the select-all rule and the arrow keys of FormKeyDown.
#include "UiTestSupport.h"

namespace sf::test {
namespace {

using KeyboardTest = MainWindowTest;

// Edit1..Edit4, then the screens row by row (mesh, wire), then Number of Screens.
std::vector<QString> tabCycle()
{
    std::vector<QString> names;
    for (int n = 1; n <= 29; ++n)
        names.push_back(QStringLiteral("Edit%1").arg(n));
    return names;
}

TEST_F(KeyboardTest, TabAndShiftTabCycleThroughEdit1ToEdit29)
{
    const std::vector<QString> cycle = tabCycle();
    const int count = static_cast<int>(cycle.size());
    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        SCOPED_TRACE(key == Qt::Key_Tab ? "Tab" : "Shift+Tab");
        focus(1);
        const int step = key == Qt::Key_Tab ? 1 : -1;
        // Twice round, so that both wrap-arounds are crossed.
        for (int i = 1; i <= 2 * count; ++i) {
            QTest::keyClick(QApplication::focusWidget(), key, key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
            const QString &expected = cycle[static_cast<std::size_t>(((step * i) % count + count) % count)];
            ASSERT_EQ(focusName(), expected) << "after " << i << " presses";
        }
    }
}

TEST_F(KeyboardTest, FieldSelectsAllOnFocusExceptByLeftClick)
{
    focus(1);
    QTest::keyClick(edit(1), Qt::Key_Tab);
    EXPECT_EQ(edit(2)->selectedText(), edit(2)->text()) << "Tab selects the whole text";

    QTest::mouseClick(edit(3), Qt::LeftButton, Qt::NoModifier, QPoint(4, 10));
    ASSERT_TRUE(edit(3)->hasFocus());
    EXPECT_FALSE(edit(3)->hasSelectedText()) << "a left click places the cursor";

    QTest::keyClick(edit(3), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(edit(2)->selectedText(), edit(2)->text()) << "Shift+Tab selects the whole text";
}

TEST_F(KeyboardTest, SelectionSurvivesAnotherWindowTakingOver)
{
    focus(5);
    edit(5)->setSelection(0, 1);
    // Activation comes through the event queue, after a busy machine may
    // already have run the watcher: the box is closed only once it has
    // taken over, and the field is waited for until it has the focus back.
    bool tookOver = false;
    ModalWatcher watcher([&](QWidget *dialog) {
        tookOver = QTest::qWaitFor([&] { return dialog->isActiveWindow() && !edit(5)->hasFocus(); });
        ModalWatcher::pressEnter(dialog);
    });
    QMessageBox box(form1);
    box.exec();
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_TRUE(tookOver);
    reactivate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit(5)->hasFocus(); }));
    EXPECT_EQ(edit(5)->selectedText(), "3");
}

struct EnterCase {
    std::string name;
    int field;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool runs;
};

void PrintTo(const EnterCase &c, std::ostream *os)
{
    *os << c.name;
}

std::vector<EnterCase> enterCases()
{
    std::vector<EnterCase> cases;
    // Every field that can take the focus.
    for (int n = 1; n <= 35; ++n)
        if (n < 30 || n == 35)
            cases.push_back({"Edit" + std::to_string(n), n, Qt::Key_Return, Qt::NoModifier, true});
    cases.push_back({"keypad_enter", 12, Qt::Key_Enter, Qt::KeypadModifier, true});
    cases.push_back({"shift_enter", 12, Qt::Key_Return, Qt::ShiftModifier, false});
    cases.push_back({"ctrl_enter", 12, Qt::Key_Return, Qt::ControlModifier, false});
    return cases;
}

class EnterKey : public KeyboardTest, public ::testing::WithParamInterface<EnterCase> {};

TEST_P(EnterKey, InAFieldRunsExactlyAsOk)
{
    ScratchDirectory dir;
    ModalWatcher watcher;
    focus(GetParam().field);
    const QString before = edit(GetParam().field)->text();
    QTest::keyClick(edit(GetParam().field), GetParam().key, GetParam().modifiers);

    if (!GetParam().runs) {
        EXPECT_TRUE(watcher.seen.empty());
        EXPECT_FALSE(fileExists("result.txt"));
        return;
    }
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].objectName, "FinishForm");
    EXPECT_EQ(readBytes("result.txt"), ::sf::test::goldenReport());
    EXPECT_EQ(edit(GetParam().field)->text(), before) << "a run never changes a field";
}

INSTANTIATE_TEST_SUITE_P(Fields, EnterKey, ::testing::ValuesIn(enterCases()),
                         [](const auto &info) { return info.param.name; });

TEST_F(KeyboardTest, ClickedOkKeepsFocusThenEnterRunsAgainAndPlainCCloses)
{
    ScratchDirectory dir;
    ModalWatcher watcher;
    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
    ASSERT_EQ(watcher.seen.size(), 1u);
    reactivate();
    ASSERT_EQ(focusName(), "BitBtn1");

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(watcher.seen.size(), 2u);
    EXPECT_EQ(watcher.seen[1].objectName, "FinishForm");

    reactivate();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C);
    EXPECT_FALSE(form1->isVisible());
}

TEST_F(KeyboardTest, AltCClosesFromAFieldWhilePlainCIsTyped)
{
    focus(12);
    QTest::keyClick(edit(12), Qt::Key_End);
    QTest::keyClick(edit(12), Qt::Key_C);
    EXPECT_EQ(edit(12)->text(), "0.02337c");
    EXPECT_TRUE(form1->isVisible());

    // The mnemonic animates the button press before it clicks.
    QTest::keyClick(edit(12), Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form1->isVisible(); }, 2000));
    EXPECT_EQ(edit(12)->text(), "0.02337c");
}

TEST_F(KeyboardTest, EscapeDoesNothing)
{
    ScratchDirectory dir;
    ModalWatcher watcher;
    focus(7);
    QTest::keyClick(edit(7), Qt::Key_Escape);
    EXPECT_TRUE(form1->isVisible());
    EXPECT_EQ(focusName(), "Edit7");
    EXPECT_TRUE(watcher.seen.empty());
    EXPECT_FALSE(fileExists("result.txt"));
}

struct ArrowCase {
    const char *name;
    bool enableEdit34;
    int from;
    Qt::Key key;
    const char *to;
};

void PrintTo(const ArrowCase &c, std::ostream *os)
{
    *os << c.name;
}

const ArrowCase arrowCases[] = {
    {"up_unchanged_while_edit34_disabled", false, 5, Qt::Key_Up, "Edit5"},
    {"down_unchanged_while_edit34_disabled", false, 1, Qt::Key_Down, "Edit1"},
    {"up_from_edit1_goes_to_edit34", true, 1, Qt::Key_Up, "Edit34"},
    {"down_from_edit34_goes_to_edit1", true, 34, Qt::Key_Down, "Edit1"},
    {"down_moves_to_next_tab_stop", true, 5, Qt::Key_Down, "Edit6"},
    {"up_moves_to_previous_tab_stop", true, 5, Qt::Key_Up, "Edit4"},
    {"down_skips_disabled_fields", true, 29, Qt::Key_Down, "Edit34"},
    {"up_skips_disabled_fields", true, 34, Qt::Key_Up, "Edit29"},
};

class FormKeyDown : public KeyboardTest, public ::testing::WithParamInterface<ArrowCase> {};

TEST_P(FormKeyDown, MovesFocusOnlyWhileEdit34IsEnabled)
{
    edit(34)->setEnabled(GetParam().enableEdit34);
    focus(GetParam().from);
    QTest::keyClick(edit(GetParam().from), GetParam().key);
    EXPECT_EQ(focusName(), GetParam().to);
}

INSTANTIATE_TEST_SUITE_P(Arrows, FormKeyDown, ::testing::ValuesIn(arrowCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace sf::test
