#include "plot/PlotApplication.h"

#include <QApplication>

namespace sf {

struct PlotApplication::Application {
    QApplication application;
    Application(int &argc, char **argv) : application(argc, argv) {}
};

PlotApplication::PlotApplication(int argc, char **argv) : m_argc(argc > 0 ? 1 : 0), m_argv(argv) {}

PlotApplication::~PlotApplication() = default;

std::string PlotApplication::draw(const PlotSpec &spec, const std::string &path, std::string &picture)
{
    // Charts live in a graphics scene, which needs an application object.
    if (!m_application && !QApplication::instance())
        m_application = std::make_unique<Application>(m_argc, m_argv);
    return drawPlot(spec, path, picture);
}

} // namespace sf
