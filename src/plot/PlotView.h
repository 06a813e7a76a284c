#pragma once

// A plot in a window: the chart that drawPlot draws, shown in a widget that
// follows the window's size. Its header stays free of Qt Charts.

#include "plot/Plot.h"

#include <QWidget>

namespace sf {

class PlotView : public QWidget {
public:
    explicit PlotView(QWidget *parent = nullptr);

    // Draws `spec` in place of what the view showed.
    void setSpec(PlotSpec spec);
    const PlotSpec &spec() const { return m_spec; }

private:
    QWidget *m_view; // the chart view
    PlotSpec m_spec;
};

} // namespace sf
