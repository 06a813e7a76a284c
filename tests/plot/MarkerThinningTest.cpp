// Markers thinned for drawing: the span of the cloud, its outliers and every
// region of it stay in sight; a chart draws no more than the budget.

#include "plot/MarkerThinning.h"
#include "plot/PlotChart.h"

#include <QScatterSeries>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <set>

namespace sf {
namespace {

using Points = std::vector<std::pair<double, double>>;

// A 200 x 100 lattice, row by row, and its emphasis, all 0.
struct Cloud {
    Points points;
    std::vector<double> emphasis;
};

Cloud lattice()
{
    Cloud c;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            c.points.emplace_back(x, y);
    c.emphasis.assign(c.points.size(), 0.0);
    return c;
}

TEST(MarkerThinning, KeepsTheSpanTheOutliersAndEveryRegion)
{
    Cloud deviant = lattice(), lone = lattice();
    deviant.emphasis[10'101] = 9.5; // (101, 50), inside the cloud
    deviant.emphasis[7'777] = 3.25;
    deviant.emphasis[3] = 0.5;
    lone.points[19'951] = {-0.5, 45.5}; // the smallest x, in a cell of others before it
    lone.points[19'950] = {100, 99.5}; // the largest y, in a cell of others before it
    const struct {
        const char *name;
        const Cloud &cloud;
        std::vector<std::size_t> kept;       // indices that must stay
        std::array<double, 4> xMinMaxYMinMax; // the markers' span
    } rows[] = {
        {"the lattice", lattice(), {}, {0, 199, 0, 99}},
        {"the most deviant, wherever they are", deviant, {10'101, 7'777, 3}, {0, 199, 0, 99}},
        {"the extremes", lone, {19'950, 19'951}, {-0.5, 199, 0, 99.5}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<std::size_t> shown = thinnedMarkers(row.cloud.points, row.cloud.emphasis, false, false, 400);
        EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
        EXPECT_EQ(std::set<std::size_t>(shown.begin(), shown.end()).size(), shown.size()) << "no point twice";
        EXPECT_LE(shown.size(), 400u);
        EXPECT_GT(shown.size(), 200u) << "the budget is used";
        for (std::size_t i : row.kept)
            EXPECT_TRUE(std::binary_search(shown.begin(), shown.end(), i)) << i;
        std::array<double, 4> span{INFINITY, -INFINITY, INFINITY, -INFINITY};
        // Every 20 x 10 block of the lattice keeps a marker.
        std::set<std::pair<int, int>> blocks;
        for (std::size_t i : shown) {
            const auto [x, y] = row.cloud.points[i];
            span = {std::min(span[0], x), std::max(span[1], x), std::min(span[2], y), std::max(span[3], y)};
            if (x >= 0 && y < 100)
                blocks.emplace(static_cast<int>(x) / 20, static_cast<int>(y) / 10);
        }
        EXPECT_EQ(span, row.xMinMaxYMinMax);
        EXPECT_EQ(blocks.size(), 100u);
    }
}

TEST(MarkerThinning, RegionsOfALogarithmicAxisAreItsDecades)
{
    // 10,000 points from 1 to 10^6, evenly in log: linear cells would give
    // the first four decades one marker between them.
    Points points;
    for (int i = 0; i < 10'000; ++i)
        points.emplace_back(std::pow(10.0, 6.0 * i / 9'999), 1.0 + (i % 7));
    const std::vector<std::size_t> shown = thinnedMarkers(points, {}, true, false, 60);
    ASSERT_LE(shown.size(), 60u);
    std::set<int> decades;
    for (std::size_t i : shown)
        decades.insert(static_cast<int>(std::floor(std::log10(points[i].first))));
    EXPECT_EQ(decades, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(MarkerThinning, AChartDrawsAtMostTheBudgetAndKeepsTheOutlier)
{
    PlotSpec spec;
    spec.colourGroups = {"250 ℃"};
    PlotLine line;
    line.markers = true;
    for (int i = 0; i < 50'000; ++i) {
        line.points.emplace_back(1 + i % 500, 100 + i / 500);
        line.emphasis.push_back(i == 31'337 ? 40.0 : 0.1);
    }
    spec.lines.push_back(line);
    const std::unique_ptr<QChart> chart(makePlotChart(spec));
    ASSERT_EQ(chart->series().size(), 1);
    const auto *markers = qobject_cast<QScatterSeries *>(chart->series().front());
    ASSERT_NE(markers, nullptr);
    EXPECT_LE(markers->count(), static_cast<int>(MaxMarkers));
    EXPECT_GT(markers->count(), static_cast<int>(MaxMarkers / 2));
    EXPECT_TRUE(markers->points().contains(QPointF(1 + 31'337 % 500, 100 + 31'337 / 500)));
}

} // namespace
} // namespace sf
