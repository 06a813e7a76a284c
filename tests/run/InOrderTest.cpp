// Work computed on several threads and taken in order on the caller's.
#include "run/InOrder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace sf {
namespace {

TEST(InOrder, TakesEveryResultInOrderOnTheCallingThreadAndStopsAtAFailure)
{
    const struct {
        const char *name;
        std::size_t count;
        unsigned threads;
        long failAt, takeFailsAt; // the item whose work or take throws, -1: none
    } rows[] = {
        {"none", 0, 4, -1, -1},   {"one thread", 25, 1, -1, -1},  {"more threads than items", 3, 8, -1, -1},
        {"many", 200, 4, -1, -1}, {"work fails", 50, 4, 17, -1},  {"first fails", 50, 3, 0, -1},
        {"take fails", 100, 4, -1, 10},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const std::thread::id caller = std::this_thread::get_id();
        std::vector<std::size_t> taken;
        bool otherThread = false, takenElsewhere = false;
        auto run = [&] {
            computeInOrder(
                row.count, row.threads,
                [&](std::size_t i) {
                    // Later items often finish first; work that takes no time runs ahead of take() to its bound.
                    if (row.takeFailsAt < 0)
                        std::this_thread::sleep_for(std::chrono::microseconds((row.count - i) % 7 * 50));
                    if (static_cast<long>(i) == row.failAt)
                        throw std::runtime_error("item " + std::to_string(i));
                    return std::pair(i, std::this_thread::get_id() != caller);
                },
                [&](std::size_t i, std::pair<std::size_t, bool> r) {
                    if (static_cast<long>(i) == row.takeFailsAt)
                        throw std::runtime_error("take " + std::to_string(i));
                    EXPECT_EQ(r.first, i);
                    otherThread = otherThread || r.second;
                    takenElsewhere = takenElsewhere || std::this_thread::get_id() != caller;
                    taken.push_back(i);
                });
        };
        if (row.failAt >= 0) {
            EXPECT_THROW(run(), std::runtime_error);
            EXPECT_LE(taken.size(), static_cast<std::size_t>(row.failAt));
        } else if (row.takeFailsAt >= 0) {
            EXPECT_THROW(run(), std::runtime_error);
            EXPECT_EQ(taken.size(), static_cast<std::size_t>(row.takeFailsAt));
        } else {
            run();
            EXPECT_EQ(taken.size(), row.count);
            EXPECT_EQ(otherThread, row.count > 0);
        }
        for (std::size_t i = 0; i < taken.size(); ++i)
            EXPECT_EQ(taken[i], i);
        EXPECT_FALSE(takenElsewhere);
    }
}

} // namespace
} // namespace sf
