#pragma once

// Line plots drawn with Qt Charts without a display, for both front ends.
// The only code that uses Qt Charts; this header does not include Qt, so the
// command line stays free of it outside this layer.

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sf {

// The picture, in pixels. No line needs more than two points per pixel
// column of it (the column's smallest and largest value) to look the same.
constexpr int PlotWidth = 960;
constexpr int PlotHeight = 600;

// Lines are told apart twice over: each colour group (such as a case file)
// has its own colour, each style group (such as a value of the second key)
// its own line style, and the legend names each group once. There are five
// line styles; with more style groups than that, the style groups are told
// apart by a colour scale instead, and the colour groups by line style.
constexpr std::size_t MaxLineStyles = 5;
// On a colour scale the eye tells no more lines apart than this per colour
// group, so no more are drawn: the picture stays the same size however many
// values the scale has.
constexpr std::size_t MaxScaleLines = 50;
// The legend names each group once and never has more entries than this.
constexpr std::size_t MaxLegendEntries = 12;

struct PlotLine {
    std::size_t colourGroup = 0; // index into PlotSpec::colourGroups
    std::size_t styleGroup = 0;  // index into PlotSpec::styleGroups, 0 when there are none
    std::vector<std::pair<double, double>> points; // (x, y), joined in this order
    std::vector<double> crossings;                  // x where the line meets the limit
    bool markers = false; // the points alone, unjoined, as measured points are
    // Markers: how far each point stands out (a fit's |deviation|), one per
    // point or none. When there are too many markers to draw them all, the
    // most outstanding keep theirs (see thinnedMarkers).
    std::vector<double> emphasis{};
};

// A horizontal line at a value of y that the lines should stay below, with
// each line's crossings of it marked and labelled with their x.
struct PlotLimit {
    double value = 0;  // in the y axis's unit
    std::string label; // its legend entry: "limit: total 150 bar"
    // false: the crossings are marked only, where a list beside the chart
    // gives their values.
    bool crossingLabels = true;
};

struct PlotSpec {
    std::string title;
    std::string xTitle; // with its unit: "Flow Rate (kg/hr)"
    std::string xUnit;  // for the crossings' labels: "kg/hr"; empty: none
    std::string yTitle;
    bool logX = false;
    bool logY = false;
    std::vector<std::string> colourGroups; // their legend names: "pack-a"
    std::vector<std::string> styleGroups;  // their legend names: "270 °C"
    // On a colour scale (more style groups than MaxLineStyles): each style
    // group's value, and the scale's title.
    std::vector<double> styleValues;
    std::string styleTitle; // "Temperature (°C)"
    std::vector<PlotLine> lines;
    std::optional<PlotLimit> limit;
};

// Which of `count` style groups get lines: all of them, or on a colour scale
// at most MaxScaleLines spread evenly, the first and the last among them.
std::vector<std::size_t> drawnStyleGroups(std::size_t count);

// Draws the plot without a display as the picture that a file at `path`
// (.svg or .png) holds, into `picture`; the caller writes the file.
// Returns an empty string, or what went wrong for the user. Needs the
// program's QApplication (a program without one: PlotApplication).
std::string drawPlot(const PlotSpec &spec, const std::string &path, std::string &picture);

} // namespace sf
