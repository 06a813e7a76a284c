// Where the study window and the melt dialog open: beside the main window,
// within the screen's free area; and what the melt dialog shows on opening.
#include "UiTestSupport.h"

#include "MeltDialog.h"
#include "SideWindow.h"
#include "plot/PlotView.h"

#include <gtest/gtest.h>

namespace sf::test {
namespace {

TEST(SideWindow, OpensRightOfTheMainWindowElseLeftWithinTheScreen)
{
    const QRect laptop(0, 0, 1366, 728); // 1366×768 less a 40-pixel panel
    const struct {
        const char *name;
        QRect main;
        QSize wanted, least;
        QRect available, expected;
    } rows[] = {
        {"room on the right", {0, 0, 600, 700}, {700, 600}, {400, 300}, laptop, {600, 0, 700, 600}},
        {"room on the left only", {700, 20, 600, 700}, {700, 600}, {400, 300}, laptop, {0, 20, 700, 600}},
        {"neither: the wider side, narrowed", {300, 0, 600, 700}, {700, 600}, {400, 300}, laptop, {900, 0, 466, 600}},
        {"narrower than it can be: kept on the screen", {300, 0, 900, 700}, {700, 600}, {400, 300}, laptop,
         {0, 0, 400, 600}},
        {"low main window: moved up to fit", {0, 500, 600, 200}, {700, 600}, {400, 300}, laptop, {600, 128, 700, 600}},
        {"taller than the screen", {0, 0, 600, 700}, {700, 900}, {400, 300}, laptop, {600, 0, 700, 728}},
        {"a second screen to the right", {1400, 30, 500, 700}, {700, 600}, {400, 300}, {1366, 0, 1920, 1050},
         {1900, 30, 700, 600}},
    };
    for (const auto &row : rows)
        EXPECT_EQ(sideWindowFrame(row.main, row.wanted, row.least, row.available), row.expected) << row.name;
}

TEST(SideWindow, AMainWindowInTheMiddleMovesToTheEdgeToMakeRoom)
{
    const QRect laptop(0, 0, 1366, 728);
    const struct {
        const char *name;
        QRect main;
        QPoint expected;
    } rows[] = {
        {"room on the right: stays", {0, 50, 685, 500}, {0, 50}},
        {"room on the left: stays", {681, 50, 685, 500}, {681, 50}},
        {"in the middle: to the left edge", {341, 158, 685, 500}, {0, 158}},
        {"no room even so: stays", {300, 0, 800, 500}, {300, 0}},
    };
    for (const auto &row : rows)
        EXPECT_EQ(mainWindowMadeRoom(row.main, QSize(640, 400), laptop), row.expected) << row.name;
}

// Before any fit, the melt dialog's chart shows the melt in the fields: its
// viscosity against shear rate at the case's temperature and 20 ℃ either
// side, from SR0 / 100 to SR0 * 100.
TEST_F(MainWindowTest, TheMeltDialogChartsTheCurrentMeltBeforeAnyFit)
{
    QTest::keyClick(edit(1), Qt::Key_M, Qt::ControlModifier);
    auto *dialog = form1->findChild<MeltDialog *>(QStringLiteral("MeltDialog"));
    ASSERT_TRUE(dialog && dialog->isVisible());
    const PlotSpec &spec = dialog->findChild<PlotView *>(QStringLiteral("FitChart"))->spec();
    EXPECT_EQ(spec.colourGroups, (std::vector<std::string>{"270 ℃", "290 ℃ (the case)", "310 ℃"}));
    ASSERT_EQ(spec.lines.size(), 3u);
    const auto &atCase = spec.lines[1].points;
    ASSERT_FALSE(atCase.empty());
    // η0 9.55 gf·s/cm² = 936.535 Pa·s, shifted by exp(15180 / 563 - 26.96)^0.469,
    // times (SR / 100)^(0.469 - 1).
    EXPECT_NEAR(atCase.front().first, 1, 1e-12);
    EXPECT_NEAR(atCase.front().second, 10816.18129541212, 1e-7);
    EXPECT_NEAR(atCase.back().first, 10000, 1e-8);
    EXPECT_NEAR(atCase.back().second, 81.29689487483239, 1e-9);
    EXPECT_GT(spec.lines[0].points.front().second, atCase.front().second) << "colder is thicker";
    dialog->close();
}

} // namespace
} // namespace sf::test
