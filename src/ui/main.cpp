#include "CalcFinished.h"
#include "Startup.h"
#include "TForm1.h"
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
    if (!sf::ui::displayConfigured()) {
        std::fprintf(stderr, "%s\n", qPrintable(sf::ui::noDisplayMessage(path)));
        return 1;
    }

    std::optional<sf::ui::PlatformStartGuard> guard(std::in_place, path);
    QApplication app(argc, argv);
    guard.reset();
    sf::ui::initApplication(app, path);
    sf::ui::Windows windows = sf::ui::createWindows();
    sf::ui::showMainWindow(*windows.form1);
    sf::ui::openCaseArgument(*windows.form1, QApplication::arguments());
    return app.exec();
}
