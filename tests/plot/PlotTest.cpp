// What a user sees in a plot: the legend, the colours and line styles that
// tell cases and values apart, the limit line and its crossings.

#include "plot/Plot.h"
#include "plot/PlotChart.h"


#include <QApplication>
#include <QChartView>
#include <QColorAxis>
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

// `cases` cases pack-1... at `values` temperatures 270, 300, 330, ... °C,
// each line flat at its own height: 10, 20, 30, ...
PlotSpec groups(int cases, int values, bool limit = false)
{
    PlotSpec spec;
    spec.xUnit = "kg/hr";
    spec.styleTitle = "Temperature (°C)";
    for (int c = 1; c <= cases; ++c)
        spec.colourGroups.push_back("pack-" + std::to_string(c));
    for (int v = 0; v < values; ++v) {
        spec.styleGroups.push_back(std::to_string(270 + 30 * v) + " °C");
        spec.styleValues.push_back(270 + 30 * v);
    }
    for (int v = 0; v < std::max(values, 1); ++v)
        for (int c = 0; c < cases; ++c) {
            const double y = 10.0 * static_cast<double>(spec.lines.size() + 1);
            spec.lines.push_back({static_cast<std::size_t>(c), static_cast<std::size_t>(v), {{0, y}, {10, y}}, {}});
        }
    if (limit)
        spec.limit = PlotLimit{25, "limit 25 bar"};
    return spec;
}

// The chart laid out in a view of the picture's size and drawn, as drawPlot does.
struct Shown {
    explicit Shown(const PlotSpec &spec)
        : chart(makePlotChart(spec)), view(chart), image(PlotWidth, PlotHeight, QImage::Format_RGB32)
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

    // The share of the picture's pixels of `colour` (give or take `off`) on
    // the row through y, from x0 to x1 (values on the axes); the picture
    // holds the view's frame.
    double share(double y, double x0, double x1, const QColor &colour, int off = 40) const
    {
        auto pixel = [&](double x) {
            return view.viewportTransform().map(chart->mapToScene(chart->mapToPosition(QPointF(x, y), series(0)))) +
                   QPointF(view.viewport()->pos());
        };
        const QPointF from = pixel(x0), to = pixel(x1);
        int n = 0, of = 0;
        for (int x = static_cast<int>(from.x()); x <= static_cast<int>(to.x()); ++x, ++of)
            n += distance(image.pixelColor(x, static_cast<int>(from.y())), colour) < off;
        return of ? static_cast<double>(n) / of : 0;
    }

    static int distance(const QColor &a, const QColor &b)
    {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
    }

    QChart *chart;
    QChartView view;
    QImage image;
};

TEST(Plot, LegendNamesEachGroupOnceAndStaysShort)
{
    const struct {
        const char *name;
        PlotSpec spec;
        std::vector<QString> labels;
        double barFrom, barTo; // the colour bar's range, 0 to 0 without one
    } rows[] = {
        {"two cases at two temperatures", groups(2, 2), {"pack-1", "pack-2", "270 °C", "300 °C"}, 0, 0},
        {"with a limit", groups(2, 2, true), {"pack-1", "pack-2", "270 °C", "300 °C", "limit 25 bar"}, 0, 0},
        {"one case, one key", groups(1, 0), {"pack-1"}, 0, 0},
        {"twenty cases",
         groups(20, 3, true),
         {"pack-1 – pack-4", "pack-5 – pack-7", "pack-8 – pack-10", "pack-11 – pack-14", "pack-15 – pack-17",
          "pack-18 – pack-20", "270 °C", "300 °C", "330 °C", "limit 25 bar"},
         0, 0},
        {"six temperatures go on a colour scale", groups(2, 6), {"pack-1", "pack-2"}, 270, 420},
        {"a thousand cases in bands, one per colour",
         groups(1000, 0),
         {"pack-1 – pack-167", "pack-168 – pack-334", "pack-335 – pack-500", "pack-501 – pack-667",
          "pack-668 – pack-834", "pack-835 – pack-1000"},
         0, 0},
        {"on a colour scale, in bands, one per line style",
         groups(30, 6),
         {"pack-1 – pack-6", "pack-7 – pack-12", "pack-13 – pack-18", "pack-19 – pack-24", "pack-25 – pack-30"},
         270, 420},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const std::unique_ptr<QChart> chart(makePlotChart(row.spec));
        std::vector<QString> labels;
        for (const LegendEntry &e : legendEntries(*chart))
            labels.push_back(e.label);
        EXPECT_EQ(labels, row.labels);
        const QColorAxis *bar = nullptr;
        for (QAbstractAxis *axis : chart->axes())
            bar = bar ? bar : qobject_cast<QColorAxis *>(axis);
        EXPECT_EQ(bar ? bar->min() : 0, row.barFrom);
        EXPECT_EQ(bar ? bar->max() : 0, row.barTo);
    }
}

TEST(Plot, CasesDifferInColourAndTemperaturesInLineStyle)
{
    // Lines: pack-1 and pack-2 at 270 °C (y 10, 20), then both at 300 °C (30, 40).
    const Shown shown(groups(2, 2));
    const QPen a270 = shown.series(0)->pen(), b270 = shown.series(1)->pen(), a300 = shown.series(2)->pen();
    EXPECT_GT(Shown::distance(a270.color(), b270.color()), 100);
    EXPECT_EQ(a270.color(), a300.color());
    EXPECT_NE(a270.style(), a300.style());
    EXPECT_EQ(a270.style(), b270.style());
    // On the picture: each solid line is its case's colour from end to end;
    // the dashed one shows gaps.
    EXPECT_GT(shown.share(10, 1, 9, a270.color()), 0.95);
    EXPECT_GT(shown.share(20, 1, 9, b270.color()), 0.95);
    EXPECT_GT(shown.share(30, 1, 9, a300.color()), 0.4);
    EXPECT_LT(shown.share(30, 1, 9, a300.color()), 0.85);
    // The legend draws each group with what tells it apart.
    const std::vector<LegendEntry> legend = legendEntries(*shown.chart);
    ASSERT_EQ(legend.size(), 4u);
    EXPECT_EQ(legend[1].pen.color(), b270.color());
    EXPECT_EQ(legend[3].pen.style(), a300.style());

    // On a colour scale: 270 and 420 °C far apart in colour, the cases told by line style.
    const std::unique_ptr<QChart> scale(makePlotChart(groups(2, 6)));
    auto pen = [&](int i) { return static_cast<QLineSeries *>(scale->series().at(i))->pen(); };
    EXPECT_GT(Shown::distance(pen(0).color(), pen(10).color()), 200);
    EXPECT_EQ(pen(0).color(), pen(1).color());
    EXPECT_NE(pen(0).style(), pen(1).style());
}

TEST(Plot, ThousandsOfLinesAreDrawnInBandsOfOneColourEach)
{
    // 1200 flat lines at 1, 2, ... 1200 and as many rows of markers, in six
    // bands of 200: the first band in the first colour, the last in the sixth.
    PlotSpec spec;
    for (std::size_t g = 0; g < 1200; ++g) {
        spec.colourGroups.push_back(std::to_string(g + 1) + " °C");
        const double y = static_cast<double>(g + 1);
        spec.lines.push_back({g, 0, {{0, y}, {5, y}, {10, y}}, {}, false});
        spec.lines.push_back({g, 0, {{2, y}, {8, y}}, {}, true});
    }
    spec.limit = PlotLimit{1300, "limit"};
    const Shown shown(spec);
    // The limit line, and no series for the lines or markers: they are drawn by the bundles.
    EXPECT_EQ(shown.chart->series().size(), 1);
    const struct {
        double y;
        QColor colour;
    } rows[] = {{100, QColor(0x00, 0x72, 0xB2)}, {500, QColor(0x00, 0x9E, 0x73)}, {1100, QColor(0x56, 0xB4, 0xE9)}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.y);
        EXPECT_GT(shown.share(row.y, 3, 7, row.colour), 0.95);
    }
    // The markers sit over the lines, in their band's colour, without a ring.
    EXPECT_GT(shown.share(1100, 1.95, 2.05, QColor(0x56, 0xB4, 0xE9), 10), 0.9);
    const std::vector<LegendEntry> legend = legendEntries(*shown.chart);
    ASSERT_EQ(legend.size(), 7u);
    EXPECT_EQ(legend[0].label, QStringLiteral("1 °C – 200 °C"));
    EXPECT_EQ(legend[5].pen.color(), QColor(0x56, 0xB4, 0xE9));
}

TEST(Plot, TheLimitIsALineWithItsCrossingsLabelled)
{
    PlotSpec spec = groups(2, 1, true);
    spec.lines[0].points = {{0, 10}, {10, 40}};
    spec.lines[0].crossings = {5};
    const Shown shown(spec);
    // Across the whole plot area, though no line reaches its right end. A
    // line 1.5 pixels wide covers at least three quarters of the row.
    EXPECT_GT(shown.share(25, 0, 10, Qt::black, 200), 0.9);
    EXPECT_LT(shown.share(24, 0, 10, Qt::black, 200), 0.1);

    std::string picture;
    ASSERT_EQ(drawPlot(spec, "limit.svg", picture), "");
    const QByteArray text = QByteArray::fromStdString(picture);
    EXPECT_TRUE(text.contains(">limit 25 bar<"));
    EXPECT_TRUE(text.contains(">5.000 kg/hr<"));
}

TEST(Plot, OnAColourScaleAtMostFiftyLinesEvenlySpread)
{
    // Beyond fifty: the nearest whole numbers to k x (count - 1) / 49.
    const struct {
        std::size_t count;
        std::size_t drawn;
        std::vector<std::size_t> first;
        std::size_t last;
    } rows[] = {
        {1, 1, {0}, 0}, {7, 7, {0, 1, 2}, 6}, {50, 50, {0, 1, 2}, 49},
        {1000, 50, {0, 20, 41, 61}, 999}, {1'000'000, 50, {0, 20408, 40816}, 999'999},
    };
    for (const auto &row : rows) {
        const std::vector<std::size_t> drawn = drawnStyleGroups(row.count);
        ASSERT_EQ(drawn.size(), row.drawn) << row.count;
        EXPECT_EQ(std::vector<std::size_t>(drawn.begin(), drawn.begin() + static_cast<long>(row.first.size())), row.first);
        EXPECT_EQ(drawn.back(), row.last);
    }
    EXPECT_TRUE(drawnStyleGroups(0).empty());
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
