// One QApplication for every UI test, set up the way the program sets up its
// own, so message boxes carry the title made from this executable's name.
#include "Startup.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char *argv[])
{
    // Test discovery runs this binary at build time, outside ctest's
    // environment; it must not need a display either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The tests start from the full stop and choose other separators
    // themselves, whatever the locale of the machine running them.
    qputenv("LC_ALL", "C");
    QApplication app(argc, argv);
    // A closed main window must not end the test run's event loops.
    QApplication::setQuitOnLastWindowClosed(false);
    sf::initApplication(app, QString::fromLocal8Bit(argv[0]));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
