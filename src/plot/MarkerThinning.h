#pragma once

// Which measured points a plot draws a marker for. Beyond a few thousand,
// markers only pile onto each other and cost the drawing its speed; the
// table and the files keep every point.

#include <cstddef>
#include <utility>
#include <vector>

namespace sf {

// Markers of one look (one colour) drawn at most, however many points.
constexpr std::size_t MaxMarkers = 3000;

// The indices (ascending) of the points of `points` that keep their marker:
// all of them up to `budget`; beyond it, at most `budget`:
//   - the points at the smallest and largest x and y, so the cloud keeps its span;
//   - the quarter of the budget that `emphasis` (one value per point, such as
//     a fit's |deviation|; may be empty) ranks highest, so outliers stay seen;
//   - one point from each occupied cell of the finest square grid over the
//     plot (log axes taken as such) whose cells the rest of the budget
//     covers, the most emphasised of the cell, so no region empties.
// Points must be finite, and above zero on a logarithmic axis.
std::vector<std::size_t> thinnedMarkers(const std::vector<std::pair<double, double>> &points,
                                        const std::vector<double> &emphasis, bool logX, bool logY,
                                        std::size_t budget = MaxMarkers);

} // namespace sf
