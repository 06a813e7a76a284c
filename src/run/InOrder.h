#pragma once

// Work items computed on several threads and handed over in order on the
// calling thread: the cases of a batch whose results are written one by
// one by code that must run on one thread (drawing with Qt).

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace sf {

// Calls work(i) for every i below `count` on up to `threads` threads and
// take(i, result) on the calling thread for i = 0, 1, ... as each result is
// ready, so that taking overlaps with the computing of later items. Workers
// run at most 2 * threads items ahead of take(), which bounds memory. What
// work() or take() throws stops every thread and reaches the caller.
template <class Work, class Take>
void computeInOrder(std::size_t count, unsigned threads, Work work, Take take)
{
    using Result = decltype(work(std::size_t{0}));
    const std::size_t ahead = 2 * std::max(1u, threads);
    std::vector<std::optional<Result>> results(count);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0, taken = 0;
    bool stop = false;
    std::exception_ptr failure;

    auto worker = [&] {
        for (;;) {
            std::size_t i;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || next >= count || next < taken + ahead; });
                if (stop || next >= count)
                    return;
                i = next++;
            }
            try {
                Result r = work(i);
                std::lock_guard lock(mutex);
                results[i] = std::move(r);
            } catch (...) {
                std::lock_guard lock(mutex);
                if (!failure)
                    failure = std::current_exception();
                stop = true;
            }
            changed.notify_all();
        }
    };

    std::vector<std::thread> pool;
    const std::size_t size = std::min<std::size_t>(std::max(1u, threads), count);
    for (std::size_t t = 0; t < size; ++t)
        pool.emplace_back(worker);
    try {
        for (std::size_t i = 0; i < count; ++i) {
            Result r = [&] {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || results[i].has_value(); });
                if (stop && !results[i])
                    std::rethrow_exception(failure);
                Result out = std::move(*results[i]);
                results[i].reset();
                return out;
            }();
            take(i, std::move(r));
            {
                std::lock_guard lock(mutex);
                taken = i + 1;
            }
            changed.notify_all();
        }
    } catch (...) {
        {
            std::lock_guard lock(mutex);
            stop = true;
        }
        changed.notify_all();
        for (std::thread &t : pool)
            t.join();
        throw;
    }
    for (std::thread &t : pool)
        t.join();
}

} // namespace sf
