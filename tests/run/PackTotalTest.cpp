#include "run/PackTotal.h"

#include <gtest/gtest.h>

#include <bit>
#include <vector>

namespace sf {
namespace {

TEST(PackTotal, EachPartialSumIsADoubleAndAnOverflowSaysItsScreen)
{
    const struct {
        const char *name;
        std::vector<double> drops; // kgf/cm2, screen 1 first
        int count;                 // screens in use
        double value;
        int overflowScreen;
    } rows[] = {
        {"plain sum", {0.125, 0.25, 0.5}, 3, 0.875, 0},
        // 1E17 + 1.26 is 1E17 as a double; an extended running sum would keep the 1.26.
        {"small drop swallowed by the first", {1e17, 1.26, -1e17}, 3, 0, 0},
        {"cancelled before the small drop", {1e17, -1e17, 1.26}, 3, 1.26, 0},
        {"screens past the count left out", {1, 2, 1e308}, 2, 3, 0},
        {"no screens", {}, 0, 0, 0},
        {"overflow at the second screen", {1.5e308, 1.5e308, 1}, 3, 1.5e308, 2},
        {"back in range, then out", {1e308, -1e308, 1.7e308, 1e308}, 4, 1.7e308, 4},
        {"overflow below", {-1e308, -1e308}, 2, -1e308, 2},
        {"largest double reached, not passed", {1.7976931348623157e308, 0}, 2, 1.7976931348623157e308, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        FilterCase c;
        c.ScreenCount = static_cast<std::uint8_t>(row.count);
        for (std::size_t i = 0; i < row.drops.size(); ++i)
            c.Screens[i].PressDrop = row.drops[i];
        const PackTotal total = totalPressureDrop(c);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(total.value), std::bit_cast<std::uint64_t>(row.value));
        EXPECT_EQ(total.overflowScreen, row.overflowScreen);
    }
}

} // namespace
} // namespace sf
