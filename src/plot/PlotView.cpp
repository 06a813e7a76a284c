#include "plot/PlotView.h"

#include "plot/PlotChart.h"

#include <QChartView>
#include <QVBoxLayout>

namespace sf {

PlotView::PlotView(QWidget *parent) : QWidget(parent)
{
    auto *view = new QChartView(makePlotChart(m_spec), this);
    view->setObjectName(QStringLiteral("PlotChartView"));
    view->setRenderHint(QPainter::Antialiasing);
    // Nothing in a chart answers the keyboard: Tab passes it by rather than
    // stopping where no focus shows.
    view->setFocusPolicy(Qt::NoFocus);
    m_view = view;
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
}

void PlotView::setSpec(PlotSpec spec)
{
    m_spec = std::move(spec);
    refreshPlotChart(*static_cast<QChartView *>(m_view)->chart(), m_spec);
}

} // namespace sf
