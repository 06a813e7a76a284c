#pragma once

// Line plots drawn with Qt Charts without a display, for both front ends.
// The only code that uses Qt Charts; this header does not include Qt, so the
// command line stays free of it outside this layer.

#include <string>
#include <utility>
#include <vector>

namespace sf {

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

} // namespace sf
