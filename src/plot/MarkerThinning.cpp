#include "plot/MarkerThinning.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace sf {

namespace {

// Where values fall along one axis of the plot, 0 to 1.
struct AxisSpan {
    AxisSpan(const std::vector<double> &v)
    {
        const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
        from = *lo;
        width = *hi - *lo;
    }
    double operator()(double v) const { return width > 0 ? (v - from) / width : 0.0; }

    double from, width;
};

std::vector<std::size_t> indicesOf(const std::vector<bool> &keep)
{
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < keep.size(); ++i)
        if (keep[i])
            out.push_back(i);
    return out;
}

} // namespace

std::vector<std::size_t> thinnedMarkers(const std::vector<std::pair<double, double>> &points,
                                        const std::vector<double> &emphasis, bool logX, bool logY, std::size_t budget)
{
    const std::size_t n = points.size();
    std::vector<std::size_t> all(n);
    std::iota(all.begin(), all.end(), std::size_t{0});
    if (n <= budget)
        return all;
    const bool emphasised = emphasis.size() == n;
    auto stronger = [&](std::size_t a, std::size_t b) {
        if (emphasised && emphasis[a] != emphasis[b])
            return emphasis[a] > emphasis[b];
        return a < b;
    };

    std::vector<double> xs(n), ys(n);
    for (std::size_t i = 0; i < n; ++i) {
        xs[i] = logX ? std::log(points[i].first) : points[i].first;
        ys[i] = logY ? std::log(points[i].second) : points[i].second;
    }
    std::vector<bool> keep(n, false);
    std::size_t kept = 0;
    auto take = [&](std::size_t i) {
        if (!keep[i]) {
            keep[i] = true;
            ++kept;
        }
    };
    for (const std::vector<double> *axis : {&xs, &ys}) {
        const auto [lo, hi] = std::minmax_element(axis->begin(), axis->end());
        take(static_cast<std::size_t>(lo - axis->begin()));
        take(static_cast<std::size_t>(hi - axis->begin()));
    }
    if (emphasised) {
        const std::size_t outliers = std::min(budget / 4, n);
        std::vector<std::size_t> order = all;
        std::nth_element(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(outliers), order.end(), stronger);
        for (std::size_t k = 0; k < outliers && kept < budget; ++k)
            take(order[k]);
    }
    if (kept >= budget)
        return indicesOf(keep);

    // The finest grid whose occupied cells, beyond those the points kept so
    // far already show, fit the rest of the budget: cells halve in width
    // until they do, so the picture keeps its shape at the coarser grain.
    const AxisSpan placeX(xs), placeY(ys);
    const std::size_t room = budget - kept;
    std::vector<std::uint64_t> cellOf(n);
    std::vector<std::size_t> chosen;
    // No finer than a marker's width in the picture.
    for (std::uint64_t side = 1024; side >= 1; side /= 2) {
        const auto cell = [&](double v) {
            return std::min<std::uint64_t>(side - 1, static_cast<std::uint64_t>(std::max(0.0, v * static_cast<double>(side))));
        };
        for (std::size_t i = 0; i < n; ++i)
            cellOf[i] = cell(placeY(ys[i])) * side + cell(placeX(xs[i]));
        // Points by cell, the kept ones first, then the most emphasised.
        std::vector<std::size_t> byCell = all;
        std::sort(byCell.begin(), byCell.end(), [&](std::size_t a, std::size_t b) {
            if (cellOf[a] != cellOf[b])
                return cellOf[a] < cellOf[b];
            if (keep[a] != keep[b])
                return static_cast<bool>(keep[a]);
            return stronger(a, b);
        });
        chosen.clear();
        for (std::size_t k = 0; k < n && chosen.size() <= room; ++k) {
            const std::size_t i = byCell[k];
            if ((k == 0 || cellOf[byCell[k - 1]] != cellOf[i]) && !keep[i])
                chosen.push_back(i);
        }
        if (chosen.size() <= room)
            break;
    }
    for (std::size_t i : chosen)
        take(i);
    return indicesOf(keep);
}

} // namespace sf
