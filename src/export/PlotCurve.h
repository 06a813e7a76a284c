#pragma once

// One curve of a plot collected from a sweep as its points come in, in
// memory that does not grow with the grid.

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace sf {

class PlotCurve {
public:
    // Points have x within [xFrom, xTo], which is cut into `columns`
    // columns, one per pixel of the picture's width; xFrom > xTo when the
    // points come from right to left. `level`, when given, is a value of y
    // whose crossings are recorded.
    PlotCurve(double xFrom, double xTo, std::size_t columns, std::optional<double> level = std::nullopt);

    // The curve's next point; points whose y is not finite are left out.
    void add(double x, double y);

    // At most 2 x columns points. A curve that has no more keeps them as they
    // came. A longer one is drawn column by column, from xFrom to xTo, each
    // column by its smallest and largest y in the order they came: every
    // pixel column spans what the whole curve spans there, so the line looks
    // the same.
    std::vector<std::pair<double, double>> points() const;

    // Where the curve meets the level, in the order it does (at most
    // MaxCrossings): x interpolated linearly between the two consecutive
    // points on either side of it.
    const std::vector<double> &crossings() const { return m_crossings; }

    static constexpr std::size_t MaxCrossings = 16;

private:
    struct Column {
        std::size_t minAt = 0, maxAt = 0; // arrival numbers, to keep the order
        std::pair<double, double> min, max;
        bool used = false;
    };

    std::size_t columnOf(double x) const;
    void bin(std::size_t arrival, double x, double y);

    double m_xFrom, m_xTo; // m_xFrom <= m_xTo
    bool m_leftward;
    std::size_t m_columns;
    std::optional<double> m_level;
    std::size_t m_count = 0;
    std::vector<std::pair<double, double>> m_points; // as they came, while within the budget
    std::vector<Column> m_bins;                      // once beyond it
    std::optional<std::pair<double, double>> m_last;
    std::vector<double> m_crossings;
};

} // namespace sf
