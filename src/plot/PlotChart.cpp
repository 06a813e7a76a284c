#include "plot/PlotChart.h"
#include "plot/MarkerThinning.h"

#include <QColorAxis>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QLegend>
#include <QLineSeries>
#include <QLinearGradient>
#include <QLogValueAxis>
#include <QPainter>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <type_traits>

namespace sf {

namespace {

// Okabe and Ito's colours, which people with the common colour-vision
// deficiencies tell apart too. Their yellow is left out (too pale on white),
// and so is black, which is the limit's.
const QColor CaseColours[] = {QColor(0x00, 0x72, 0xB2), QColor(0xD5, 0x5E, 0x00), QColor(0x00, 0x9E, 0x73),
                              QColor(0xCC, 0x79, 0xA7), QColor(0xE6, 0x9F, 0x00), QColor(0x56, 0xB4, 0xE9)};
constexpr std::size_t CaseColourCount = sizeof CaseColours / sizeof CaseColours[0];

const Qt::PenStyle LineStyles[MaxLineStyles] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                                Qt::DashDotDotLine};

// The colour scale: viridis from 0 to 0.9 (its last tenth is too pale on
// white), which rises evenly in lightness, so that order reads without the bar.
const std::pair<double, QColor> ScaleStops[] = {{0.0, QColor(0x44, 0x01, 0x54)},
                                                {0.33, QColor(0x31, 0x68, 0x8E)},
                                                {0.66, QColor(0x35, 0xB7, 0x79)},
                                                {1.0, QColor(0xB8, 0xDE, 0x29)}};

const QColor Neutral(0x4D, 0x4D, 0x4D); // legend samples of what is not told by colour
const QColor LimitColour(Qt::black);

constexpr qreal LineWidth = 2.5;
constexpr qreal ScaleLineWidth = 1.5; // many lines close together
constexpr qreal LimitWidth = 1.5;
constexpr qreal MarkerSize = 9;
// The factor a logarithmic axis reaches beyond the outermost markers.
constexpr double MarkerMargin = 1.25;
// Crossings labelled one by one at most; beyond that only the first and last.
constexpr std::size_t MaxCrossingLabels = 8;
// Colours a line takes on the colour scale. The eye reads no finer steps off
// a scale, and lines of one look are drawn together, so that a plot has a
// few dozen series however many values the scale has.
constexpr int ScaleSteps = 10;

QString qs(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor scaleColour(double t)
{
    t = std::clamp(t, 0.0, 1.0);
    for (std::size_t i = 1; i < std::size(ScaleStops); ++i) {
        const auto &[t1, c1] = ScaleStops[i];
        if (t > t1)
            continue;
        const auto &[t0, c0] = ScaleStops[i - 1];
        const double f = (t - t0) / (t1 - t0);
        auto mix = [f](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * f)); };
        return QColor(mix(c0.red(), c1.red()), mix(c0.green(), c1.green()), mix(c0.blue(), c1.blue()));
    }
    return ScaleStops[std::size(ScaleStops) - 1].second;
}

// The step of the scale a place on it (0 to 1) falls into, and its colour.
int scaleStep(double t)
{
    return static_cast<int>(std::lround(std::clamp(t, 0.0, 1.0) * (ScaleSteps - 1)));
}

QColor stepColour(int step)
{
    return scaleColour(static_cast<double>(step) / (ScaleSteps - 1));
}

// Four significant digits without an exponent: "9.013", "112.3", "12345".
QString crossingText(double x, const std::string &unit)
{
    const int magnitude = x == 0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(x))));
    QString text = QString::number(x, 'f', std::clamp(3 - magnitude, 0, 12));
    if (!unit.empty() && unit != "-")
        text += QLatin1Char(' ') + qs(unit);
    return text;
}

// Ticks at whole steps of 1, 2 or 5 times a power of ten where the range
// allows it (250 to 320: every 10), else five.
int scaleTicks(double from, double to)
{
    const double span = to - from;
    if (!(span > 0) || !std::isfinite(span))
        return 2;
    const double decade = std::pow(10.0, std::floor(std::log10(span)) - 1);
    for (double step : {decade, 2 * decade, 5 * decade, 10 * decade, 20 * decade, 50 * decade}) {
        const double n = span / step;
        if (n <= 8 && std::fabs(n - std::round(n)) < 1e-9 * n)
            return static_cast<int>(std::round(n)) + 1;
    }
    return 5;
}

struct CrossingLabel {
    double x;
    QString text;
};

class Bundle;

// What a chart is drawn with, kept so that the chart can be drawn again
// with new lines in the same axes and series.
struct ChartParts {
    std::string shape; // the kinds of the axes and series, in order
    QAbstractAxis *x = nullptr, *y = nullptr;
    QColorAxis *bar = nullptr;
    std::vector<QXYSeries *> series; // per look of line: its series, or null where a bundle draws it
    std::vector<Bundle *> bundles;   // per look of line: its bundle, or null
    QLineSeries *anchor = nullptr;
    QLineSeries *limitLine = nullptr;
    QScatterSeries *marks = nullptr; // the crossings of the limit
};

// Drawn over the chart: the legend, right of the plot area, and the
// crossings' labels at the limit line. Both are placed as they are painted,
// so they follow the plot area wherever the chart's view lays it out.
class Overlay : public QGraphicsItem {
public:
    explicit Overlay(QChart *chart) : QGraphicsItem(chart), m_chart(chart), m_font(chart->legend()->font())
    {
        setZValue(100);
        QObject::connect(chart, &QChart::plotAreaChanged, chart, [this] {
            prepareGeometryChange();
            update();
        });
    }

    // What it draws: the legend's entries, and the crossings' labels at
    // `limit` on the axes of `limitSeries`.
    void setContent(std::vector<LegendEntry> entries, std::vector<CrossingLabel> labels, double limit,
                    QAbstractSeries *limitSeries)
    {
        m_entries = std::move(entries);
        m_labels = std::move(labels);
        m_limit = limit;
        m_limitSeries = limitSeries;
        const QFontMetricsF metrics(m_font);
        qreal text = 0;
        for (const LegendEntry &e : m_entries)
            text = std::max(text, metrics.horizontalAdvance(e.label));
        m_legendWidth = m_entries.empty() ? 0 : SampleLength + Gap + text + 2 * Padding;
        update();
    }

    ChartParts parts;

    qreal legendWidth() const { return m_legendWidth; }
    const std::vector<LegendEntry> &entries() const { return m_entries; }

    QRectF boundingRect() const override { return QRectF(QPointF(0, 0), m_chart->size()); }

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        painter->save();
        painter->setFont(m_font);
        const QFontMetricsF metrics(m_font);
        const QRectF area = m_chart->plotArea();
        if (!m_entries.empty()) {
            const qreal row = metrics.height() + 6;
            const QRectF box(m_chart->size().width() - m_legendWidth - Padding, area.top(), m_legendWidth,
                             row * static_cast<qreal>(m_entries.size()) + 2 * Padding);
            painter->setPen(QPen(QColor(0xC8, 0xC8, 0xC8), 1));
            painter->setBrush(Qt::white);
            painter->drawRect(box);
            qreal y = box.top() + Padding;
            for (const LegendEntry &e : m_entries) {
                const qreal middle = y + row / 2;
                const qreal left = box.left() + Padding;
                painter->setPen(e.pen);
                painter->drawLine(QPointF(left, middle), QPointF(left + SampleLength, middle));
                painter->setPen(Qt::black);
                painter->drawText(QRectF(left + SampleLength + Gap, y, box.right() - left, row),
                                  Qt::AlignLeft | Qt::AlignVCenter, e.label);
                y += row;
            }
        }
        // Staggered above and below the line, so that neighbours keep apart.
        for (std::size_t i = 0; i < m_labels.size(); ++i) {
            const QPointF at = m_chart->mapToPosition(QPointF(m_labels[i].x, m_limit), m_limitSeries);
            const qreal w = metrics.horizontalAdvance(m_labels[i].text) + 6, h = metrics.height() + 2;
            const qreal top = i % 2 == 0 ? at.y() - h - 7 : at.y() + 7;
            const QRectF tag(std::clamp(at.x() - w / 2, area.left(), std::max(area.left(), area.right() - w)), top, w, h);
            painter->setPen(QPen(LimitColour, 1));
            painter->setBrush(QColor(255, 255, 255, 230));
            painter->drawRect(tag);
            painter->drawText(tag, Qt::AlignCenter, m_labels[i].text);
        }
        painter->restore();
    }

private:
    static constexpr qreal SampleLength = 40;
    static constexpr qreal Gap = 8;
    static constexpr qreal Padding = 8;

    QChart *m_chart;
    std::vector<LegendEntry> m_entries;
    std::vector<CrossingLabel> m_labels;
    double m_limit = 0;
    QAbstractSeries *m_limitSeries = nullptr;
    QFont m_font;
    qreal m_legendWidth = 0;
};

// The chart's overlay, made with it by makePlotChart.
template <typename Chart> auto *overlayOf(Chart &chart)
{
    using Found = std::conditional_t<std::is_const_v<Chart>, const Overlay, Overlay>;
    for (QGraphicsItem *item : chart.childItems())
        if (auto *overlay = dynamic_cast<Found *>(item))
            return overlay;
    return static_cast<Found *>(nullptr);
}

QPen pen(const QColor &colour, qreal width, Qt::PenStyle style)
{
    QPen p(colour, width, style);
    p.setCapStyle(Qt::FlatCap);
    return p;
}

// Colour groups as the picture tells them apart. While the legend has room
// to name each, each is its own; beyond that, neighbouring groups (the
// temperatures of a fit in order, the cases as given) are joined into bands,
// no more than there are colours (line styles on a colour scale), each drawn
// alike and named by its first and last group.
struct Bands {
    std::vector<std::size_t> of;                            // each colour group's band
    std::vector<std::pair<std::size_t, std::size_t>> spans; // each band's first and last group
};

Bands bandsOf(const PlotSpec &spec, bool onScale)
{
    const std::size_t fixed = (onScale ? 0 : spec.styleGroups.size()) + (spec.limit ? 1 : 0);
    const std::size_t room = MaxLegendEntries > fixed ? MaxLegendEntries - fixed : 1;
    const std::size_t groups = spec.colourGroups.size();
    const std::size_t count = groups <= room ? groups : std::min(room, onScale ? MaxLineStyles : CaseColourCount);
    Bands bands;
    bands.of.reserve(groups);
    for (std::size_t g = 0; g < groups; ++g) {
        const std::size_t band = g * count / groups;
        bands.of.push_back(band);
        if (band == bands.spans.size())
            bands.spans.emplace_back(g, g);
        bands.spans.back().second = g;
    }
    return bands;
}

std::vector<LegendEntry> legendOf(const PlotSpec &spec, const Bands &bands, bool onScale)
{
    std::vector<LegendEntry> entries;
    for (std::size_t b = 0; b < bands.spans.size(); ++b) {
        const auto [first, last] = bands.spans[b];
        QString label = qs(spec.colourGroups[first]);
        if (last != first)
            label += QStringLiteral(" – ") + qs(spec.colourGroups[last]);
        entries.push_back({label, onScale ? pen(Neutral, LineWidth, LineStyles[b % MaxLineStyles])
                                          : pen(CaseColours[b % CaseColourCount], LineWidth, Qt::SolidLine)});
    }
    if (!onScale)
        for (std::size_t j = 0; j < spec.styleGroups.size(); ++j)
            entries.push_back({qs(spec.styleGroups[j]), pen(Neutral, LineWidth, LineStyles[j])});
    if (spec.limit)
        entries.push_back({qs(spec.limit->label), pen(LimitColour, LimitWidth, Qt::SolidLine)});
    return entries;
}

// Where a value sits along an axis, 0 at its minimum to 1 at its maximum, as
// the chart places its series.
struct AxisPlace {
    explicit AxisPlace(const QAbstractAxis *axis)
    {
        if (const auto *a = qobject_cast<const QLogValueAxis *>(axis)) {
            log = true;
            from = std::log(a->min());
            to = std::log(a->max());
        } else if (const auto *v = qobject_cast<const QValueAxis *>(axis)) {
            from = v->min();
            to = v->max();
        }
    }
    double operator()(double v) const { return ((log ? std::log(v) : v) - from) / (to - from); }

    bool log = false;
    double from = 0, to = 1;
};

// Lines (or markers) of one look, drawn by one item. A series of its own for
// each of thousands of lines costs the chart time and memory far beyond
// their points; one item per look keeps both in step with the points.
class Bundle : public QGraphicsItem {
public:
    Bundle(QChart *chart, const QAbstractAxis *x, const QAbstractAxis *y, bool markers)
        : QGraphicsItem(chart), m_chart(chart), m_x(x), m_y(y), m_markers(markers)
    {
        // With the chart's series, which are drawn over its grid and axes.
        setZValue(SeriesZValue);
        m_follow = QObject::connect(chart, &QChart::plotAreaChanged, chart, [this] {
            prepareGeometryChange();
            update();
        });
    }
    ~Bundle() override { QObject::disconnect(m_follow); }
    Bundle(const Bundle &) = delete;
    Bundle &operator=(const Bundle &) = delete;

    // Empties it for lines of `pen`; `markerBorder`: markers ringed in
    // white, as a scatter series draws them.
    void reset(const QPen &pen, bool markerBorder)
    {
        m_pen = pen;
        m_markerBorder = markerBorder;
        m_points.clear();
        m_starts.clear();
        update();
    }

    void add(const QList<QPointF> &line)
    {
        if (line.size() < (m_markers ? 1 : 2))
            return;
        m_starts.push_back(m_points.size());
        m_points.append(line);
    }

    QRectF boundingRect() const override
    {
        return m_chart->plotArea().adjusted(-MarkerSize, -MarkerSize, MarkerSize, MarkerSize);
    }

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        const QRectF area = m_chart->plotArea();
        const AxisPlace x(m_x), y(m_y);
        auto place = [&](QPointF p) {
            return QPointF(area.left() + x(p.x()) * area.width(), area.bottom() - y(p.y()) * area.height());
        };
        // What lands where something of its look already is, to an eighth
        // of a pixel, changes nothing that shows: thousands of close
        // temperatures draw in the time of the picture's distinct lines.
        auto fix = [](double v) { return std::llround(std::clamp(v * 8, -1e15, 1e15)); };
        std::set<std::vector<long long>> drawn;
        std::vector<long long> key;
        painter->save();
        if (m_markers) {
            painter->setPen(m_markerBorder ? QPen(Qt::white, 1) : QPen(Qt::NoPen));
            painter->setBrush(m_pen.color());
            const qreal r = MarkerSize / 2;
            for (const QPointF &p : m_points) {
                const QPointF at = place(p);
                if (drawn.insert({fix(at.x()), fix(at.y())}).second)
                    painter->drawEllipse(at, r, r);
            }
            painter->restore();
            return;
        }
        painter->setClipRect(area);
        painter->setPen(m_pen);
        painter->setBrush(Qt::NoBrush);
        // Line by line: one path of them all would be filled as one shape,
        // whose overlaps cost far more than the lines.
        QPolygonF line;
        for (std::size_t k = 0; k < m_starts.size(); ++k) {
            const qsizetype end = k + 1 < m_starts.size() ? m_starts[k + 1] : m_points.size();
            line.resize(end - m_starts[k]);
            key.clear();
            for (qsizetype i = m_starts[k]; i < end; ++i) {
                const QPointF at = place(m_points[i]);
                line[i - m_starts[k]] = at;
                key.push_back(fix(at.x()));
                key.push_back(fix(at.y()));
            }
            if (drawn.insert(key).second)
                painter->drawPolyline(line);
        }
        painter->restore();
    }

    // The z of Qt Charts' own series.
    static constexpr qreal SeriesZValue = 4;

private:
    QChart *m_chart;
    const QAbstractAxis *m_x, *m_y;
    QPen m_pen;
    bool m_markers, m_markerBorder = false;
    QList<QPointF> m_points;
    std::vector<qsizetype> m_starts;
    QMetaObject::Connection m_follow;
};

} // namespace

std::vector<std::size_t> drawnStyleGroups(std::size_t count)
{
    const std::size_t drawn = std::min(count, count > MaxLineStyles ? MaxScaleLines : count);
    std::vector<std::size_t> groups;
    groups.reserve(drawn);
    for (std::size_t k = 0; k < drawn; ++k)
        groups.push_back(drawn == count ? k : (k * (count - 1) + (drawn - 1) / 2) / (drawn - 1));
    return groups;
}

namespace {

// The axis a line of the plot is drawn against.
QAbstractAxis *newAxis(bool logarithmic)
{
    if (logarithmic) {
        auto *a = new QLogValueAxis;
        a->setLabelFormat(QStringLiteral("%g"));
        a->setMinorTickCount(8);
        return a;
    }
    auto *a = new QValueAxis;
    a->setLabelFormat(QStringLiteral("%g"));
    return a;
}

// Lines that look alike are drawn as one series: markers of one colour, or
// lines of one pen.
struct Look {
    bool markers;
    QPen pen; // the markers' colour is its colour
    std::vector<QList<QPointF>> lines;
    std::vector<double> emphasis; // markers: one per point of `lines`, or none at all
    bool emphasised = true;
    bool bundled = false; // more than one line: drawn by a Bundle
};

// Sets a linear axis to [from, to] widened to whole steps, as
// applyNiceNumbers does on a new axis. The steps are found on a new axis of
// its own, since applyNiceNumbers picks them from the ticks an axis has, and
// the axis drawn is changed once: each change lays its labels out again.
void setNiceRange(QValueAxis &axis, double from, double to)
{
    QValueAxis nice;
    nice.setRange(from, to);
    nice.applyNiceNumbers();
    axis.setTickCount(nice.tickCount());
    axis.setRange(nice.min(), nice.max());
}

} // namespace

QChart *makePlotChart(const PlotSpec &spec)
{
    auto *chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    QFont titleFont = chart->titleFont();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    chart->setTitleFont(titleFont);
    chart->legend()->hide();
    new Overlay(chart);
    refreshPlotChart(*chart, spec);
    return chart;
}

void refreshPlotChart(QChart &chart, const PlotSpec &spec)
{
    Overlay *overlay = overlayOf(chart);
    ChartParts &parts = overlay->parts;
    const bool onScale = spec.styleGroups.size() > MaxLineStyles;
    chart.setTitle(qs(spec.title));
    const bool markers = std::any_of(spec.lines.begin(), spec.lines.end(), [](const PlotLine &l) { return l.markers; });

    // Where each style group sits on the colour scale, 0 to 1.
    double scaleFrom = 0, scaleTo = 1;
    if (onScale && !spec.styleValues.empty()) {
        const auto [lo, hi] = std::minmax_element(spec.styleValues.begin(), spec.styleValues.end());
        scaleFrom = *lo;
        scaleTo = *hi;
    } else if (onScale) {
        scaleTo = static_cast<double>(spec.styleGroups.size() - 1);
    }
    auto scalePlace = [&](std::size_t group) {
        const double v = group < spec.styleValues.size() ? spec.styleValues[group] : static_cast<double>(group);
        return scaleTo > scaleFrom ? (v - scaleFrom) / (scaleTo - scaleFrom) : 0.0;
    };

    const Bands bands = bandsOf(spec, onScale);
    auto bandOf = [&](const PlotLine &line) {
        return line.colourGroup < bands.of.size() ? bands.of[line.colourGroup] : line.colourGroup;
    };

    std::vector<Look> looks;
    std::map<std::tuple<bool, QRgb, int>, std::size_t> lookAt;
    double xMin = INFINITY, xMax = -INFINITY, yMin = INFINITY, yMax = -INFINITY;
    for (const PlotLine &line : spec.lines) {
        const std::size_t band = bandOf(line);
        const QPen linePen = line.markers ? QPen(CaseColours[band % CaseColourCount])
                             : onScale    ? pen(stepColour(scaleStep(scalePlace(line.styleGroup))), ScaleLineWidth,
                                                LineStyles[band % MaxLineStyles])
                                          : pen(CaseColours[band % CaseColourCount], LineWidth,
                                                LineStyles[line.styleGroup % MaxLineStyles]);
        const auto key = std::make_tuple(line.markers, linePen.color().rgb(), static_cast<int>(linePen.style()));
        const auto [at, added] = lookAt.emplace(key, looks.size());
        if (added)
            looks.push_back({line.markers, linePen, {}, {}, true, false});
        Look &look = looks[at->second];
        const bool emphasised = line.emphasis.size() == line.points.size();
        look.emphasised = look.emphasised && emphasised;
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(line.points.size()));
        for (std::size_t i = 0; i < line.points.size(); ++i) {
            const auto [px, py] = line.points[i];
            // A logarithmic axis has no place for zero or less.
            if (!std::isfinite(px) || !std::isfinite(py) || (spec.logY && !(py > 0)) || (spec.logX && !(px > 0)))
                continue;
            points.append(QPointF(px, py));
            if (line.markers && emphasised)
                look.emphasis.push_back(line.emphasis[i]);
            xMin = std::min(xMin, px);
            xMax = std::max(xMax, px);
            yMin = std::min(yMin, py);
            yMax = std::max(yMax, py);
        }
        look.lines.push_back(std::move(points));
    }
    for (Look &look : looks) {
        look.bundled = look.lines.size() > 1;
        if (!look.markers)
            continue;
        std::vector<std::pair<double, double>> all;
        for (const QList<QPointF> &points : look.lines)
            for (const QPointF &p : points)
                all.emplace_back(p.x(), p.y());
        if (all.size() <= MaxMarkers)
            continue;
        QList<QPointF> shown;
        for (std::size_t i : thinnedMarkers(all, look.emphasised ? look.emphasis : std::vector<double>{}, spec.logX,
                                            spec.logY))
            shown.append(QPointF(all[i].first, all[i].second));
        // Markers are unjoined: one list draws them as the many did.
        look.lines.assign(1, std::move(shown));
    }
    std::vector<double> crossings;
    if (spec.limit)
        for (const PlotLine &line : spec.lines)
            crossings.insert(crossings.end(), line.crossings.begin(), line.crossings.end());
    std::sort(crossings.begin(), crossings.end());

    // The axes, series and bundles the chart has are used again while they
    // are of the same kinds in the same order; otherwise they are made
    // anew, in the order a new chart has them. An axis without a line keeps
    // the range a new one has.
    std::string shape = {spec.logX ? 'L' : 'l', spec.logY ? 'L' : 'l', onScale ? 'S' : 's', xMin <= xMax ? 'P' : 'p'};
    for (const Look &look : looks)
        shape += look.bundled ? 'B' : look.markers ? 'M' : 'C';
    shape += spec.limit ? (crossings.empty() ? "T" : "TX") : "";
    if (shape != parts.shape) {
        overlay->setContent({}, {}, 0, nullptr);
        chart.removeAllSeries();
        for (Bundle *bundle : parts.bundles)
            delete bundle;
        for (QAbstractAxis *axis : chart.axes()) {
            chart.removeAxis(axis);
            delete axis;
        }
        parts = ChartParts{};
        parts.shape = shape;
        parts.x = newAxis(spec.logX);
        chart.addAxis(parts.x, Qt::AlignBottom);
        parts.y = newAxis(spec.logY);
        chart.addAxis(parts.y, Qt::AlignLeft);
        QAbstractSeries *anyLine = nullptr;
        for (const Look &look : looks) {
            parts.bundles.push_back(look.bundled ? new Bundle(&chart, parts.x, parts.y, look.markers) : nullptr);
            QXYSeries *series = nullptr;
            if (!look.bundled) {
                series = look.markers ? static_cast<QXYSeries *>(new QScatterSeries) : new QLineSeries;
                chart.addSeries(series);
                series->attachAxis(parts.x);
                series->attachAxis(parts.y);
                anyLine = series;
            }
            parts.series.push_back(series);
        }
        if (onScale) {
            parts.bar = new QColorAxis;
            chart.addAxis(parts.bar, Qt::AlignRight);
            if (!anyLine) {
                // The bar shows with a series on it; every line is in a bundle.
                parts.anchor = new QLineSeries;
                chart.addSeries(parts.anchor);
                parts.anchor->attachAxis(parts.x);
                parts.anchor->attachAxis(parts.y);
                anyLine = parts.anchor;
            }
            anyLine->attachAxis(parts.bar);
        }
        if (spec.limit) {
            parts.limitLine = new QLineSeries;
            chart.addSeries(parts.limitLine);
            parts.limitLine->attachAxis(parts.x);
            parts.limitLine->attachAxis(parts.y);
        }
        if (!crossings.empty()) {
            parts.marks = new QScatterSeries;
            chart.addSeries(parts.marks);
            parts.marks->attachAxis(parts.x);
            parts.marks->attachAxis(parts.y);
        }
    }
    QAbstractAxis *x = parts.x, *y = parts.y;
    x->setTitleText(qs(spec.xTitle));
    y->setTitleText(qs(spec.yTitle));

    for (std::size_t k = 0; k < looks.size(); ++k) {
        Look &look = looks[k];
        if (Bundle *bundle = parts.bundles[k]) {
            // Markers of many groups are too close for a white ring each.
            bundle->reset(look.pen, bands.spans.size() == spec.colourGroups.size());
            for (const QList<QPointF> &points : look.lines)
                bundle->add(points);
            continue;
        }
        QXYSeries *series = parts.series[k];
        QList<QPointF> points = std::move(look.lines.front());
        for (std::size_t i = 1; i < look.lines.size(); ++i)
            points.append(look.lines[i]);
        const bool fewPoints = points.size() <= 40;
        series->replace(points);
        if (auto *scatter = qobject_cast<QScatterSeries *>(series)) {
            scatter->setMarkerShape(QScatterSeries::MarkerShapeCircle);
            scatter->setMarkerSize(MarkerSize);
            scatter->setColor(look.pen.color());
            scatter->setBorderColor(Qt::white);
        } else {
            series->setPointsVisible(fewPoints);
            // The theme gives each series a pen when it is added; ours replaces it.
            series->setPen(look.pen);
        }
    }
    // The limit inside the plot area, clear of its top edge.
    if (spec.limit && std::isfinite(spec.limit->value) && (!spec.logY || spec.limit->value > 0)) {
        yMin = std::min(yMin, spec.limit->value);
        yMax = std::max(yMax, spec.limit->value * (spec.logY ? 1.5 : 1.08));
    }
    // Whole decades on a logarithmic axis, so that it has labels at both
    // ends; with markers a margin instead, so that none is cut in half.
    auto logRange = [markers](QAbstractAxis *axis, double low, double high) {
        if (markers) {
            axis->setRange(low / MarkerMargin, high * MarkerMargin);
            return;
        }
        const double first = std::floor(std::log10(low));
        axis->setRange(std::pow(10.0, first), std::pow(10.0, std::max(first + 1, std::ceil(std::log10(high)))));
    };
    if (xMin <= xMax) {
        if (spec.logX) {
            logRange(x, xMin, xMax);
        } else {
            if (xMin == xMax) {
                xMin -= 0.5;
                xMax += 0.5;
            }
            setNiceRange(*static_cast<QValueAxis *>(x), xMin, xMax);
        }
    }
    if (yMin <= yMax) {
        if (!spec.logY) {
            setNiceRange(*static_cast<QValueAxis *>(y), std::min(0.0, yMin), yMax > 0 ? yMax : 1.0);
        } else {
            logRange(y, yMin, yMax);
        }
    }

    if (QColorAxis *bar = parts.bar) {
        // The bar runs from the gradient's 0 at its minimum to 1 at its maximum.
        QLinearGradient gradient(0, 0, 0, 1);
        // In the steps the lines take: each step's colour from halfway to
        // the one below to halfway to the one above.
        gradient.setColorAt(0, stepColour(0));
        for (int k = 0; k + 1 < ScaleSteps; ++k) {
            const double edge = (k + 0.5) / (ScaleSteps - 1);
            gradient.setColorAt(edge - 1e-6, stepColour(k));
            gradient.setColorAt(edge, stepColour(k + 1));
        }
        gradient.setColorAt(1, stepColour(ScaleSteps - 1));
        bar->setGradient(gradient);
        bar->setRange(scaleFrom, scaleTo > scaleFrom ? scaleTo : scaleFrom + 1);
        bar->setTitleText(qs(spec.styleTitle));
        bar->setTickCount(scaleTicks(scaleFrom, scaleTo));
    }

    std::vector<CrossingLabel> labels;
    if (QLineSeries *limitLine = parts.limitLine) {
        const auto *logX = qobject_cast<QLogValueAxis *>(x);
        const auto *valueX = qobject_cast<QValueAxis *>(x);
        limitLine->replace({QPointF(logX ? logX->min() : valueX->min(), spec.limit->value),
                            QPointF(logX ? logX->max() : valueX->max(), spec.limit->value)});
        limitLine->setPen(pen(LimitColour, LimitWidth, Qt::SolidLine));
        if (QScatterSeries *marks = parts.marks) {
            QList<QPointF> points;
            for (double c : crossings)
                points.append(QPointF(c, spec.limit->value));
            marks->replace(points);
            marks->setMarkerShape(QScatterSeries::MarkerShapeCircle);
            marks->setMarkerSize(crossings.size() > MaxCrossingLabels ? 6 : 9);
            marks->setColor(Qt::white);
            marks->setBorderColor(LimitColour);
        }
        if (crossings.size() > MaxCrossingLabels)
            crossings = {crossings.front(), crossings.back()};
        if (!spec.limit->crossingLabels)
            crossings.clear();
        for (double c : crossings)
            labels.push_back({c, crossingText(c, spec.xUnit)});
    }

    overlay->setContent(legendOf(spec, bands, onScale), std::move(labels), spec.limit ? spec.limit->value : 0.0,
                        parts.limitLine);
    // Room for the legend right of the axes.
    chart.setMargins(QMargins(10, 10, 10 + static_cast<int>(std::ceil(overlay->legendWidth())) + 16, 10));
}

std::vector<LegendEntry> legendEntries(const QChart &chart)
{
    if (const Overlay *overlay = overlayOf(chart))
        return overlay->entries();
    return {};
}

} // namespace sf
