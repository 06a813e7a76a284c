#pragma once

// The application object that drawing a plot needs, for a program with no
// Qt of its own (the command line). This header does not include Qt.

#include "plot/Page.h"
#include "plot/Plot.h"

#include <memory>
#include <string>

namespace sf {

class PlotApplication {
public:
    // From main()'s arguments, which must outlive this object. Nothing is
    // made yet: a command that draws no plot never starts Qt. The platform
    // (offscreen) and Qt's logging are main()'s to set, before this.
    PlotApplication(int argc, char **argv);
    ~PlotApplication();
    PlotApplication(const PlotApplication &) = delete;
    PlotApplication &operator=(const PlotApplication &) = delete;

    // drawPlot(), with the application object made first when there is none.
    std::string draw(const PlotSpec &spec, const std::string &path, std::string &picture);
    // drawPage(), likewise.
    std::string drawPage(const PageSpec &spec, Paper paper, std::string &pdf);

private:
    struct Application;
    void start();
    // Only the program's name reaches Qt: the other arguments are the
    // command line's, and Qt would take some of them (-style, -platform)
    // as its own.
    int m_argc;
    char **m_argv;
    std::unique_ptr<Application> m_application;
};

} // namespace sf
