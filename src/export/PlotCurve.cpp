#include "export/PlotCurve.h"

#include <algorithm>
#include <cmath>

namespace sf {

PlotCurve::PlotCurve(double xFrom, double xTo, std::size_t columns, std::optional<double> level)
    : m_xFrom(std::min(xFrom, xTo)), m_xTo(std::max(xFrom, xTo)), m_leftward(xFrom > xTo),
      m_columns(std::max<std::size_t>(1, columns)),
      m_level(level)
{
}

std::size_t PlotCurve::columnOf(double x) const
{
    if (!(m_xTo > m_xFrom))
        return 0;
    const double at = (x - m_xFrom) / (m_xTo - m_xFrom) * static_cast<double>(m_columns);
    if (!(at > 0))
        return 0;
    return std::min(m_columns - 1, static_cast<std::size_t>(at));
}

void PlotCurve::bin(std::size_t arrival, double x, double y)
{
    Column &c = m_bins[columnOf(x)];
    if (!c.used) {
        c = {arrival, arrival, {x, y}, {x, y}, true};
        return;
    }
    if (y < c.min.second) {
        c.min = {x, y};
        c.minAt = arrival;
    }
    if (y > c.max.second) {
        c.max = {x, y};
        c.maxAt = arrival;
    }
}

void PlotCurve::add(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return;
    if (m_level && m_last && m_crossings.size() < MaxCrossings) {
        const auto [px, py] = *m_last;
        const double level = *m_level;
        // At or above the level counts as above, so that a line that passes
        // through a point right on it crosses once, not twice.
        if ((py >= level) != (y >= level))
            m_crossings.push_back(px + (level - py) * (x - px) / (y - py));
    }
    m_last = {x, y};

    const std::size_t arrival = m_count++;
    if (m_bins.empty()) {
        if (m_points.size() < 2 * m_columns) {
            m_points.emplace_back(x, y);
            return;
        }
        // Beyond the budget: from here on, per column only its extremes.
        m_bins.resize(m_columns);
        for (std::size_t i = 0; i < m_points.size(); ++i)
            bin(i, m_points[i].first, m_points[i].second);
        m_points.clear();
        m_points.shrink_to_fit();
    }
    bin(arrival, x, y);
}

std::vector<std::pair<double, double>> PlotCurve::points() const
{
    if (m_bins.empty())
        return m_points;
    std::vector<std::pair<double, double>> out;
    out.reserve(2 * m_columns);
    for (std::size_t i = 0; i < m_columns; ++i) {
        const Column &c = m_bins[m_leftward ? m_columns - 1 - i : i];
        if (!c.used)
            continue;
        if (c.minAt == c.maxAt) {
            out.push_back(c.min);
        } else if (c.minAt < c.maxAt) {
            out.push_back(c.min);
            out.push_back(c.max);
        } else {
            out.push_back(c.max);
            out.push_back(c.min);
        }
    }
    return out;
}

} // namespace sf
