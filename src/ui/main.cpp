#include "CompletionDialog.h"
#include "Startup.h"
#include "MainWindow.h"
#include "io/FileSignals.h"

#include <QApplication>

#include <cstdio>
#include <optional>

int main(int argc, char *argv[])
{
    sf::ignoreFileSignals();
    // argv[0] may be missing when the program is started with an empty
    // argument list.
    const QString path = QString::fromLocal8Bit(argc > 0 && argv[0] ? argv[0] : "screenfilter");
    if (!sf::displayConfigured()) {
        std::fprintf(stderr, "%s\n", qPrintable(sf::noDisplayMessage(path)));
        return 1;
    }

    sf::FontConfigReader fonts;
    std::optional<sf::PlatformStartGuard> guard(std::in_place, path);
    QApplication app(argc, argv);
    guard.reset();
    sf::initApplication(app, path);
    fonts.wait();
    sf::Windows windows = sf::createWindows();
    sf::showMainWindow(*windows.form1);
    sf::openCaseArgument(*windows.form1, QApplication::arguments());
    return app.exec();
}
