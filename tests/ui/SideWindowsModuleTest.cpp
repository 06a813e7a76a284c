// A side windows' module that is missing or broken: each command that
// needs it says so in the error box, and the main window goes on computing
// without it.
#include "UiTestSupport.h"

#include <QDir>
#include <QFile>

#include <dlfcn.h>

namespace sf::test {
namespace {

enum class Fault {
    Missing,     // no such file
    NotALibrary, // a file of text
    NotOurs,     // a shared library, but not the module
};

struct BrokenModuleCase {
    const char *name;
    Fault fault;
    Qt::Key key;         // with Ctrl: the command
    const char *text;    // the error box's text
    const char *problem; // its second label, after the file tried
};

void PrintTo(const BrokenModuleCase &c, std::ostream *os)
{
    *os << c.name;
}

const BrokenModuleCase brokenModuleCases[] = {
    {"missing_melt", Fault::Missing, Qt::Key_M,
     "Melt… cannot open: the side windows' module libscreenfilter-windows.so did not load.",
     ": cannot open shared object file: No such file or directory"},
    {"missing_report_viewer", Fault::Missing, Qt::Key_R,
     "View report cannot open: the side windows' module libscreenfilter-windows.so did not load.",
     ": cannot open shared object file: No such file or directory"},
    {"text_file_study", Fault::NotALibrary, Qt::Key_T,
     "Study… cannot open: the side windows' module libscreenfilter-windows.so did not load.",
     ": invalid ELF header"},
    {"other_library_pack_life", Fault::NotOurs, Qt::Key_L,
     "Pack life… cannot open: the side windows' module libscreenfilter-windows.so did not load.",
     ": not screenfilter's side windows of this version (no screenfilter_side_windows_1: "},
};

// A shared library that is surely there and surely not the module: Qt Core's.
QString otherLibrary()
{
    Dl_info info{};
    EXPECT_NE(dladdr(reinterpret_cast<void *>(&qVersion), &info), 0);
    return QString::fromLocal8Bit(info.dli_fname);
}

class BrokenModule : public MainWindowTest, public ::testing::WithParamInterface<BrokenModuleCase> {};

TEST_P(BrokenModule, ItsCommandShowsTheErrorBoxAndTheWindowStillComputes)
{
    const BrokenModuleCase &row = GetParam();
    ScratchDirectory dir;
    QString module = QDir::current().filePath(QStringLiteral("libscreenfilter-windows.so"));
    if (row.fault == Fault::NotALibrary) {
        QFile file(module);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(200, 'x'));
    } else if (row.fault == Fault::NotOurs) {
        module = otherLibrary();
    }
    form1->setSideWindowsModule(module);

    ModalWatcher watcher;
    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton); // a report for View report
    ASSERT_TRUE(QFile::remove(QStringLiteral("result.txt")));
    reactivate();
    const QWidgetList before = QApplication::topLevelWidgets();

    QTest::keyClick(edit(1), row.key, Qt::ControlModifier);
    ASSERT_EQ(watcher.seen.size(), 2u);
    const SeenDialog &box = watcher.seen[1];
    EXPECT_TRUE(box.messageBox);
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(box.text, QString::fromUtf8(row.text));
    EXPECT_TRUE(box.informativeText.startsWith(module + QString::fromUtf8(row.problem))) << box.informativeText.toStdString();
    for (QWidget *window : QApplication::topLevelWidgets())
        EXPECT_TRUE(before.contains(window) || !window->isVisible()) << window->windowTitle().toStdString();

    QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
    ASSERT_EQ(watcher.seen.size(), 3u);
    EXPECT_EQ(watcher.seen[2].objectName, "FinishForm");
    EXPECT_EQ(readBytes("result.txt"), goldenReport());
}

INSTANTIATE_TEST_SUITE_P(Faults, BrokenModule, ::testing::ValuesIn(brokenModuleCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace sf::test
