// The completion dialog as a run shows it: look, placement, and every way of
// closing it.
#include "UiTestSupport.h"

#include <QScreen>

namespace sf::test {
namespace {

using CompletionDialogTest = MainWindowTest;

TEST_F(CompletionDialogTest, ShownFocusedOnOkAndHiddenNotDestroyedAfterwards)
{
    ScratchDirectory dir;
    QPointer<CompletionDialog> dialog = windows.finishForm.get();
    ASSERT_FALSE(dialog->isVisible()) << "created hidden";

    QSize size;
    bool fixed = false;
    QString label1;
    QColor label1Colour;
    bool label1Fits = false;
    ModalWatcher watcher([&](QWidget *d) {
        size = d->size();
        fixed = d->minimumSize() == d->maximumSize();
        auto *label = d->findChild<QLabel *>(QStringLiteral("Label1"));
        label1 = label->text();
        label1Colour = label->palette().color(QPalette::WindowText);
        // The whole message shows inside its panel, bevel excluded.
        const int textRight = label->x() + label->fontMetrics().horizontalAdvance(label->text());
        label1Fits = textRight <= label->parentWidget()->width() - 2 && label->font().pixelSize() == 16;
        ModalWatcher::pressEnter(d);
    });
    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);

    ASSERT_EQ(watcher.seen.size(), 1u);
    const SeenDialog &d = watcher.seen[0];
    EXPECT_EQ(d.title, "Finsh");
    EXPECT_EQ(d.focusName, "BitBtn1");
    EXPECT_EQ(size, QSize(306, 179));
    EXPECT_TRUE(fixed);
    EXPECT_EQ(label1, "Calculation is successfully finished !");
    EXPECT_EQ(label1Colour, QColor(0, 0, 255));
    EXPECT_TRUE(label1Fits);
    ASSERT_FALSE(dialog.isNull());
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(CompletionDialogTest, CentredFirstThenShownWhereTheUserLeftIt)
{
    ScratchDirectory dir;
    QPoint firstCentre;
    ModalWatcher watcher([&](QWidget *d) {
        if (firstCentre.isNull()) {
            firstCentre = d->frameGeometry().center();
            d->move(37, 41); // the user drags it away
        }
        ModalWatcher::pressEnter(d);
    });
    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);

    ASSERT_EQ(watcher.seen.size(), 2u);
    const QPoint screenCentre = form1->screen()->availableGeometry().center();
    EXPECT_LE((firstCentre - screenCentre).manhattanLength(), 1);
    EXPECT_EQ(watcher.seen[1].pos, QPoint(37, 41));
}

TEST_F(CompletionDialogTest, OffersCloseOnlyAndComesBackWhenMinimised)
{
    ScratchDirectory dir;
    Qt::WindowFlags flags;
    int restored = 0;
    ModalWatcher watcher([&](QWidget *d) {
        flags = d->windowFlags();
        for (Qt::WindowState state : {Qt::WindowMinimized, Qt::WindowMaximized, Qt::WindowFullScreen}) {
            d->setWindowState(state); // as a window manager's title-bar button does, asked or not
            restored += QTest::qWaitFor([d] { return d->windowState() == Qt::WindowNoState; }, 1000);
        }
        ModalWatcher::pressEnter(d);
    });
    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(flags & (Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint), Qt::WindowCloseButtonHint);
    EXPECT_EQ(restored, 3);
}

// Its parts are made when it is first shown, by a run or by show(), and
// only then: each showing has them once.
class ShowingCompletion : public CompletionDialogTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ShowingCompletion, HasEachPartOnceAtEveryShowing)
{
    ScratchDirectory dir;
    using Parts = std::pair<qsizetype, qsizetype>; // labels, buttons
    auto parts = [](QWidget *d) { return Parts(d->findChildren<QLabel *>().size(), d->findChildren<QPushButton *>().size()); };
    std::vector<Parts> seen;
    if (GetParam()) {
        windows.finishForm->show();
        seen.push_back(parts(windows.finishForm.get()));
        windows.finishForm->hide();
    }
    ModalWatcher watcher([&](QWidget *d) {
        seen.push_back(parts(d));
        ModalWatcher::pressEnter(d);
    });
    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
    EXPECT_EQ(seen, std::vector<Parts>(GetParam() ? 3 : 2, Parts(3, 1)));
}

INSTANTIATE_TEST_SUITE_P(FirstShownBy, ShowingCompletion, ::testing::Values(false, true),
                         [](const auto &info) { return std::string(info.param ? "show" : "run"); });

struct CloseCase {
    const char *name;
    std::function<void(QWidget *)> close;
};

void PrintTo(const CloseCase &c, std::ostream *os)
{
    *os << c.name;
}

const CloseCase closeCases[] = {
    {"enter", ModalWatcher::pressEnter},
    {"ok_click", [](QWidget *d) { QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("BitBtn1")), Qt::LeftButton); }},
    {"close_box", [](QWidget *d) { d->close(); }},
};

class ClosingCompletion : public CompletionDialogTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ClosingCompletion, EndsTheRunWithTheDialogHidden)
{
    ScratchDirectory dir;
    bool stillOpenAfterEscape = false;
    ModalWatcher watcher([&](QWidget *d) {
        QTest::keyClick(d->focusWidget(), Qt::Key_Escape);
        stillOpenAfterEscape = d->isVisible();
        GetParam().close(d);
    });
    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);

    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_TRUE(stillOpenAfterEscape) << "Escape does nothing";
    EXPECT_FALSE(windows.finishForm->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(form1->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Ways, ClosingCompletion, ::testing::ValuesIn(closeCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace sf::test
