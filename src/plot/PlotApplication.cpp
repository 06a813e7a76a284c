#include "plot/PlotApplication.h"

#include <QApplication>

namespace sf {

struct PlotApplication::Application {
    QApplication application;
    Application(int &argc, char **argv) : application(argc, argv) {}
};

PlotApplication::PlotApplication(int argc, char **argv) : m_argc(argc > 0 ? 1 : 0), m_argv(argv) {}

PlotApplication::~PlotApplication() = default;

void PlotApplication::start()
{
    // Charts live in a graphics scene, which needs an application object.
    if (!m_application && !QApplication::instance())
        m_application = std::make_unique<Application>(m_argc, m_argv);
}

std::string PlotApplication::draw(const PlotSpec &spec, const std::string &path, std::string &picture)
{
    start();
    return drawPlot(spec, path, picture);
}

std::string PlotApplication::drawPage(const PageSpec &spec, Paper paper, std::string &pdf)
{
    start();
    return sf::drawPage(spec, paper, pdf);
}

} // namespace sf
