#pragma once

// The chart of a plot: for a chart view in the window, for drawPlot, and for
// tests that look at what the picture shows.

#include "plot/Plot.h"

#include <QChart>
#include <QPen>
#include <QString>

#include <vector>

namespace sf {

struct LegendEntry {
    QString label;
    QPen pen; // the line drawn beside it
};

// The chart of `spec`, to be shown by a QChartView, which takes it. Its
// legend and the crossings' labels are drawn over it and follow its plot
// area as the view lays it out.
QChart *makePlotChart(const PlotSpec &spec);

// Draws `spec` in a chart made by makePlotChart, as makePlotChart would, in
// place of what it showed: its series and axes are used again while there
// are as many of each kind, so that a view showing it neither flickers nor
// builds a chart anew.
void refreshPlotChart(QChart &chart, const PlotSpec &spec);

// The entries of the chart's legend, top to bottom.
std::vector<LegendEntry> legendEntries(const QChart &chart);

} // namespace sf
