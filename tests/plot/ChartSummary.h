#pragma once

// What a chart shows, one line per part, to compare a chart drawn again in
// place with a new one: its axes and their ranges, each series' points at
// its ends and its look, and the legend.

#include "plot/PlotChart.h"

#include <QAbstractAxis>
#include <QChart>
#include <QColorAxis>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QValueAxis>

#include <string>
#include <vector>

namespace sf::test {

inline std::vector<std::string> chartSummary(const QChart &chart)
{
    std::vector<std::string> lines{"title " + chart.title().toStdString()};
    const auto number = [](double v) { return QString::number(v, 'g', 17).toStdString(); };
    for (QAbstractAxis *axis : chart.axes()) {
        std::string line = "axis " + axis->titleText().toStdString();
        if (const auto *v = qobject_cast<QValueAxis *>(axis))
            line += " " + number(v->min()) + ".." + number(v->max()) + " ticks " + std::to_string(v->tickCount());
        else if (const auto *l = qobject_cast<QLogValueAxis *>(axis))
            line += " log " + number(l->min()) + ".." + number(l->max());
        else if (const auto *c = qobject_cast<QColorAxis *>(axis))
            line += " bar " + number(c->min()) + ".." + number(c->max());
        lines.push_back(line);
    }
    for (QAbstractSeries *s : chart.series()) {
        auto *xy = static_cast<QXYSeries *>(s);
        const auto *scatter = qobject_cast<const QScatterSeries *>(s);
        std::string line = scatter ? "markers " : "line ";
        line += std::to_string(xy->count()) + " " + std::to_string(xy->attachedAxes().size()) + " axes";
        if (xy->count() > 0)
            line += " from " + number(xy->at(0).x()) + "," + number(xy->at(0).y()) + " to " +
                    number(xy->points().back().x()) + "," + number(xy->points().back().y());
        line += " " + (scatter ? scatter->color() : xy->pen().color()).name().toStdString() + " " +
                std::to_string(scatter ? static_cast<int>(scatter->markerSize()) : static_cast<int>(xy->pen().style()));
        lines.push_back(line);
    }
    for (const LegendEntry &e : legendEntries(chart))
        lines.push_back("legend " + e.label.toStdString());
    return lines;
}

} // namespace sf::test
