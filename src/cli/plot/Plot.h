#pragma once

// The sweep's picture: total pressure drop against the first varied key.
// The only part of the command-line program that uses Qt; this header does
// not, so the rest of the program stays free of it.

#include <string>
#include <utility>
#include <vector>

namespace sf::cli {

struct PlotLine {
    std::string label;
    std::vector<std::pair<double, double>> points; // (x, y), x ascending or as swept
};

struct PlotSpec {
    std::string title;
    std::string xTitle;
    std::string yTitle;
    bool logY = false;
    std::vector<PlotLine> lines;
};

// Draws the plot into `path`, an .svg or .png file, without a display.
// Returns an empty string, or what went wrong for the user.
std::string drawPlot(const PlotSpec &spec, const std::string &path);

} // namespace sf::cli
