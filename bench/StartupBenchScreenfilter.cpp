// The desktop program's start-up exactly as main() does it, ending once the
// main window has been painted.
#include "StartupBenchProbe.h"

#include "CalcFinished.h"
#include "Startup.h"
#include "TForm1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (!sf::ui::displayConfigured())
        return 1;
    QApplication app(argc, argv);
    sf::ui::initApplication(app, QStringLiteral("screenfilter"));
    sf::ui::Windows windows = sf::ui::createWindows();
    sf::bench::exitWhenShown(*windows.form1);
    sf::ui::showMainWindow(*windows.form1);
    return app.exec();
}
