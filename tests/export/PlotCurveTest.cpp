#include "export/PlotCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace sf {
namespace {

using Points = std::vector<std::pair<double, double>>;

TEST(PlotCurve, KeepsEachPixelColumnsSmallestAndLargestInOrder)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char *name;
        double xFrom, xTo;
        std::size_t columns;
        Points in;
        Points out;
    } rows[] = {
        {"within the budget: as they came", 0, 4, 2, {{3, 1}, {1, 5}, {2, 2}, {0, 0}}, {{3, 1}, {1, 5}, {2, 2}, {0, 0}}},
        {"beyond it: per column its extremes, in the order they came",
         0, 4, 2,
         {{0, 5}, {0.5, 1}, {1, 3}, {1.5, 7}, {2, 2}, {2.5, 9}, {3, 4}, {4, 0}},
         {{0.5, 1}, {1.5, 7}, {2.5, 9}, {4, 0}}},
        {"a column with one point keeps it once",
         0, 3, 3,
         {{0, 1}, {0.2, 3}, {0.4, 2}, {0.6, 5}, {0.8, 0}, {1.5, 4}, {2.9, 6}},
         {{0.6, 5}, {0.8, 0}, {1.5, 4}, {2.9, 6}}},
        {"swept from right to left, drawn that way",
         4, 0, 2,
         {{4, 0}, {3, 4}, {2.5, 9}, {2, 2}, {1.5, 7}, {1, 3}, {0.5, 1}, {0, 5}},
         {{4, 0}, {2.5, 9}, {1.5, 7}, {0.5, 1}}},
        {"one x only: one column", 1, 1, 4, {{1, 3}, {1, 1}, {1, 4}, {1, 1}, {1, 5}, {1, 9}, {1, 2}, {1, 6}, {1, 5}},
         {{1, 1}, {1, 9}}},
        {"a flat column is one point", 0, 1, 1, {{0, 2}, {0.5, 2}, {1, 2}}, {{0, 2}}},
        {"no place for what is not finite", 0, 3, 4, {{0, 1}, {1, inf}, {2, nan}, {3, 2}}, {{0, 1}, {3, 2}}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        PlotCurve curve(row.xFrom, row.xTo, row.columns);
        for (const auto &[x, y] : row.in)
            curve.add(x, y);
        EXPECT_EQ(curve.points(), row.out);
    }
}

TEST(PlotCurve, CrossingsBetweenTheTwoPointsAroundThem)
{
    const struct {
        const char *name;
        std::size_t columns;
        double level;
        Points in;
        std::vector<double> crossings;
    } rows[] = {
        {"rising", 100, 15, {{0, 0}, {1, 10}, {2, 20}}, {1.5}},
        {"falling", 100, 15, {{0, 20}, {2, 10}}, {1}},
        {"through a point right on the level: once", 100, 15, {{0, 10}, {1, 15}, {2, 20}}, {1}},
        {"never reached", 100, 15, {{0, 1}, {1, 14.9}}, {}},
        {"from every point, not only those kept", 1, 5, {{0, 0}, {0.25, 10}, {0.5, 0}, {0.75, 10}, {1, 0}},
         {0.125, 0.375, 0.625, 0.875}},
        {"over a point left out", 100, 15, {{0, 10}, {1, NAN}, {2, 20}}, {1}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        PlotCurve curve(0, 2, row.columns, row.level);
        for (const auto &[x, y] : row.in)
            curve.add(x, y);
        EXPECT_EQ(curve.crossings(), row.crossings);
    }

    PlotCurve zigzag(0, 100, 10, 0.5);
    for (int i = 0; i < 100; ++i)
        zigzag.add(i, i % 2);
    EXPECT_EQ(zigzag.crossings().size(), PlotCurve::MaxCrossings);
    EXPECT_EQ(zigzag.crossings().front(), 0.5);
}

} // namespace
} // namespace sf
