// The desktop program's start-up exactly as main() does it, ending once the
// main window has been painted.
#include "StartupBenchProbe.h"

#include "CompletionDialog.h"
#include "Startup.h"
#include "MainWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (!sf::displayConfigured())
        return 1;
    sf::FontConfigReader fonts;
    QApplication app(argc, argv);
    sf::initApplication(app, QStringLiteral("screenfilter"));
    fonts.wait();
    sf::Windows windows = sf::createWindows();
    sf::bench::exitWhenShown(*windows.form1);
    sf::showMainWindow(*windows.form1);
    return app.exec();
}
