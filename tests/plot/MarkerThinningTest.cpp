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
#include <numeric>
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
    const struct {
        const char *name;
        Cloud cloud;
        bool logX;
        std::size_t budget;
        std::vector<std::size_t> kept; // indices that must stay
        std::size_t count;             // how many stay: 0 for "at most the budget"
    } rows[] = {
        {"within the budget: every point", {{{1, 1}, {2, 2}, {3, 3}}, {}}, false, 3, {0, 1, 2}, 3},
        {"the lattice", lattice(), false, 400, {}, 0},
        {"the most deviant, wherever they are",
         [] {
             Cloud c = lattice();
             c.emphasis[10'101] = 9.5; // (101, 50), inside the cloud
             c.emphasis[7'777] = 3.25;
             c.emphasis[3] = 0.5;
             return c;
         }(),
         false, 400, {10'101, 7'777, 3}, 0},
        {"a lone point far out",
         [] {
             Cloud c = lattice();
             c.points[5'000] = {-20, 45};  // the smallest x
             c.points[6'000] = {100, 150}; // the largest y
             return c;
         }(),
         false, 400, {5'000, 6'000}, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<std::size_t> shown = thinnedMarkers(row.cloud.points, row.cloud.emphasis, row.logX, false, row.budget);
        EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
        EXPECT_EQ(std::set<std::size_t>(shown.begin(), shown.end()).size(), shown.size()) << "no point twice";
        if (row.count)
            EXPECT_EQ(shown.size(), row.count);
        else
            EXPECT_LE(shown.size(), row.budget);
        for (std::size_t i : row.kept)
            EXPECT_TRUE(std::binary_search(shown.begin(), shown.end(), i)) << i;
        // The markers span what the points span.
        auto span = [&](const std::vector<std::size_t> &which) {
            std::array<double, 4> s{INFINITY, -INFINITY, INFINITY, -INFINITY};
            for (std::size_t i : which) {
                const auto [x, y] = row.cloud.points[i];
                s = {std::min(s[0], x), std::max(s[1], x), std::min(s[2], y), std::max(s[3], y)};
            }
            return s;
        };
        std::vector<std::size_t> all(row.cloud.points.size());
        std::iota(all.begin(), all.end(), std::size_t{0});
        EXPECT_EQ(span(shown), span(all));
        if (row.count)
            continue;
        // Every 20 x 10 block of the lattice keeps a marker.
        std::set<std::pair<int, int>> blocks;
        for (std::size_t i : shown)
            if (row.cloud.points[i].first >= 0 && row.cloud.points[i].second < 100)
                blocks.emplace(static_cast<int>(row.cloud.points[i].first) / 20, static_cast<int>(row.cloud.points[i].second) / 10);
        EXPECT_EQ(blocks.size(), 100u);
        EXPECT_GT(shown.size(), row.budget / 2) << "the budget is used";
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
