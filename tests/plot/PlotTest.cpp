// What a user sees in a plot: the legend, the colours and line styles that
// tell cases and values apart, the limit line and its crossings.

#include "plot/Plot.h"
#include "plot/PlotChart.h"

#include "support/TempDir.h"

#include <QApplication>
#include <QChartView>
#include <QColorAxis>
#include <QFile>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace sf {
namespace {

PlotLine line(std::size_t colour, std::size_t style, std::vector<std::pair<double, double>> points)
{
    PlotLine l;
    l.colourGroup = colour;
    l.styleGroup = style;
    l.points = std::move(points);
    return l;
}

// Two cases at two temperatures, each line flat at its own height.
PlotSpec twoCasesTwoTemperatures()
{
    PlotSpec spec;
    spec.xTitle = "Flow Rate (kg/hr)";
    spec.xUnit = "kg/hr";
    spec.yTitle = "Total pressure drop (bar)";
    spec.colourGroups = {"pack-a", "pack-b"};
    spec.styleGroups = {"270 °C", "300 °C"};
    spec.lines = {line(0, 0, {{0, 10}, {10, 10}}), line(1, 0, {{0, 20}, {10, 20}}),
                  line(0, 1, {{0, 30}, {10, 30}}), line(1, 1, {{0, 40}, {10, 40}})};
    return spec;
}

// The chart laid out in a view of the picture's size and drawn, as drawPlot does.
struct Shown {
    explicit Shown(const PlotSpec &spec) : chart(makePlotChart(spec)), view(chart), image(PlotWidth, PlotHeight, QImage::Format_RGB32)
    {
        view.setRenderHint(QPainter::Antialiasing);
        view.resize(PlotWidth, PlotHeight);
        view.show();
        QApplication::processEvents();
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        view.render(&painter);
    }

    QLineSeries *series(int i) const { return static_cast<QLineSeries *>(chart->series().at(i)); }

    // The pixels of the row through y from x0 to x1 (values on the axes).
    std::vector<QColor> row(double y, double x0, double x1, QAbstractSeries *on) const
    {
        const QPointF from = pixel(QPointF(x0, y), on), to = pixel(QPointF(x1, y), on);
        std::vector<QColor> pixels;
        for (int x = static_cast<int>(from.x()); x <= static_cast<int>(to.x()); ++x)
            pixels.push_back(image.pixelColor(x, static_cast<int>(from.y())));
        return pixels;
    }

    // Where a value lands in the picture, which holds the view's frame too.
    QPointF pixel(QPointF value, QAbstractSeries *on) const
    {
        return view.viewportTransform().map(chart->mapToScene(chart->mapToPosition(value, on))) +
               QPointF(view.viewport()->pos());
    }

    QChart *chart;
    QChartView view;
    QImage image;
};

int distance(const QColor &a, const QColor &b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

double share(const std::vector<QColor> &pixels, const QColor &colour)
{
    std::size_t n = 0;
    for (const QColor &p : pixels)
        n += distance(p, colour) < 40;
    return pixels.empty() ? 0 : static_cast<double>(n) / static_cast<double>(pixels.size());
}

TEST(Plot, LegendNamesEachGroupOnceAndStaysShort)
{
    PlotSpec limited = twoCasesTwoTemperatures();
    limited.limit = PlotLimit{25, "limit 25 bar"};

    PlotSpec scale;
    scale.colourGroups = {"pack-a"};
    for (int t = 0; t < 50; ++t) {
        scale.styleGroups.push_back(std::to_string(200 + t) + " °C");
        scale.styleValues.push_back(200 + t);
        scale.lines.push_back(line(0, static_cast<std::size_t>(t), {{0, t}, {10, 2 * t}}));
    }

    PlotSpec many = limited;
    many.colourGroups.clear();
    for (int c = 1; c <= 20; ++c)
        many.colourGroups.push_back("pack-" + std::to_string(c));
    many.styleGroups.push_back("330 °C");

    PlotSpec single;
    single.colourGroups = {"pack-a"};
    single.lines = {line(0, 0, {{0, 1}, {1, 2}})};

    const struct {
        const char *name;
        PlotSpec spec;
        std::vector<QString> labels;
    } rows[] = {
        {"two cases at two temperatures", twoCasesTwoTemperatures(), {"pack-a", "pack-b", "270 °C", "300 °C"}},
        {"with a limit", limited, {"pack-a", "pack-b", "270 °C", "300 °C", "limit 25 bar"}},
        {"fifty temperatures on a colour scale", scale, {"pack-a"}},
        {"twenty cases",
         many,
         {"pack-1", "pack-2", "pack-3", "pack-4", "pack-5", "pack-6", "pack-7", "and 13 more", "270 °C", "300 °C",
          "330 °C", "limit 25 bar"}},
        {"one case, one key", single, {"pack-a"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const std::unique_ptr<QChart> chart(makePlotChart(row.spec));
        std::vector<QString> labels;
        for (const LegendEntry &e : legendEntries(*chart))
            labels.push_back(e.label);
        EXPECT_EQ(labels, row.labels);
    }
}

TEST(Plot, CasesDifferInColourAndTemperaturesInLineStyle)
{
    const Shown shown(twoCasesTwoTemperatures());
    // Lines 0 and 1: the two cases at 270 °C; lines 0 and 2: pack-a at both temperatures.
    const QPen a270 = shown.series(0)->pen(), b270 = shown.series(1)->pen(), a300 = shown.series(2)->pen();
    EXPECT_GT(distance(a270.color(), b270.color()), 100);
    EXPECT_EQ(a270.color(), a300.color());
    EXPECT_NE(a270.style(), a300.style());
    EXPECT_EQ(a270.style(), b270.style());

    // On the picture: each solid line is its case's colour from end to end;
    // the dashed one shows gaps.
    const double solidA = share(shown.row(10, 1, 9, shown.series(0)), a270.color());
    const double solidB = share(shown.row(20, 1, 9, shown.series(1)), b270.color());
    const double dashedA = share(shown.row(30, 1, 9, shown.series(2)), a300.color());
    EXPECT_GT(solidA, 0.95);
    EXPECT_GT(solidB, 0.95);
    EXPECT_GT(dashedA, 0.4);
    EXPECT_LT(dashedA, 0.85);
    EXPECT_LT(share(shown.row(10, 1, 9, shown.series(0)), b270.color()), 0.05);

    // The legend draws each group with what tells it apart.
    const std::vector<LegendEntry> legend = legendEntries(*shown.chart);
    ASSERT_EQ(legend.size(), 4u);
    EXPECT_EQ(legend[0].pen.color(), a270.color());
    EXPECT_EQ(legend[1].pen.color(), b270.color());
    EXPECT_EQ(legend[2].pen.style(), a270.style());
    EXPECT_EQ(legend[3].pen.style(), a300.style());
}

TEST(Plot, ManyValuesGoOnAColourScale)
{
    PlotSpec spec;
    spec.colourGroups = {"pack-a", "pack-b"};
    spec.styleTitle = "Temperature (°C)";
    for (int t = 0; t < 6; ++t) {
        spec.styleGroups.push_back(std::to_string(250 + 10 * t) + " °C");
        spec.styleValues.push_back(250 + 10 * t);
        for (std::size_t c = 0; c < 2; ++c)
            spec.lines.push_back(line(c, static_cast<std::size_t>(t), {{0, t + 10.0 * c}, {10, t + 10.0 * c}}));
    }
    const std::unique_ptr<QChart> chart(makePlotChart(spec));
    QColorAxis *bar = nullptr;
    for (QAbstractAxis *axis : chart->axes())
        if (auto *colour = qobject_cast<QColorAxis *>(axis))
            bar = colour;
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->min(), 250);
    EXPECT_EQ(bar->max(), 300);
    EXPECT_EQ(bar->titleText(), "Temperature (°C)");

    auto pen = [&](int i) { return static_cast<QLineSeries *>(chart->series().at(i))->pen(); };
    // 250 °C and 300 °C of one case: far apart on the scale; the cases by line style.
    EXPECT_GT(distance(pen(0).color(), pen(10).color()), 200);
    EXPECT_EQ(pen(0).color(), pen(1).color());
    EXPECT_NE(pen(0).style(), pen(1).style());
}

TEST(Plot, TheLimitIsALineWithItsCrossingsLabelled)
{
    PlotSpec spec = twoCasesTwoTemperatures();
    spec.lines = {line(0, 0, {{0, 10}, {10, 40}}), line(1, 0, {{0, 5}, {10, 20}})};
    spec.lines[0].crossings = {5};
    spec.limit = PlotLimit{25, "limit 25 bar"};
    const Shown shown(spec);

    QLineSeries *limit = shown.series(2);
    ASSERT_EQ(limit->count(), 2);
    EXPECT_EQ(limit->at(0).y(), 25);
    EXPECT_EQ(limit->at(1).y(), 25);
    // Across the whole plot area, though no line reaches its right end.
    EXPECT_GT(share(shown.row(25, 0, 10, limit), Qt::black), 0.9);
    EXPECT_LT(share(shown.row(24, 0, 10, limit), Qt::black), 0.1);

    test::ScopedTempCwd cwd;
    ASSERT_EQ(drawPlot(spec, "limit.svg"), "");
    QFile svg(QStringLiteral("limit.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray text = svg.readAll();
    EXPECT_TRUE(text.contains("limit 25 bar"));
    EXPECT_TRUE(text.contains("5.000 kg/hr"));
}

TEST(Plot, OnAColourScaleAtMostFiftyLinesEvenlySpread)
{
    const struct {
        std::size_t count;
        std::vector<std::size_t> drawn;
    } rows[] = {
        {0, {}},
        {1, {0}},
        {5, {0, 1, 2, 3, 4}},
        {7, {0, 1, 2, 3, 4, 5, 6}},
    };
    for (const auto &row : rows)
        EXPECT_EQ(drawnStyleGroups(row.count), row.drawn) << row.count;

    const std::vector<std::size_t> fifty = drawnStyleGroups(50), many = drawnStyleGroups(1000),
                                   most = drawnStyleGroups(1'000'000);
    EXPECT_EQ(fifty.size(), 50u);
    EXPECT_EQ(fifty.back(), 49u);
    ASSERT_EQ(many.size(), 50u);
    // The nearest whole numbers to k x 999 / 49.
    EXPECT_EQ(std::vector<std::size_t>(many.begin(), many.begin() + 4), (std::vector<std::size_t>{0, 20, 41, 61}));
    EXPECT_EQ(many.back(), 999u);
    ASSERT_EQ(most.size(), 50u);
    EXPECT_EQ(most[1], 20408u);
    EXPECT_EQ(most.back(), 999'999u);
}

} // namespace
} // namespace sf

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
