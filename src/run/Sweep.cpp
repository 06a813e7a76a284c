#include "run/Sweep.h"

#include "calc/InputFields.h"
#include "calc/NumberReaders.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <thread>

namespace sf {

namespace {

double readValue(std::string_view text, std::string_view spec)
{
    try {
        return readDecimal(text, '.');
    } catch (const std::exception &) {
        throw UsageError("--vary " + std::string(spec) + ": '" + std::string(text) + "' is not a number");
    }
}

std::size_t readCount(std::string_view text, std::string_view spec)
{
    std::size_t count = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), count);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || text.empty())
        throw UsageError("--vary " + std::string(spec) + ": COUNT '" + std::string(text) + "' is not a whole number");
    if (count < 1 || count > MaxValuesPerKey)
        throw UsageError("--vary " + std::string(spec) + ": COUNT must be from 1 to 1000000");
    return count;
}

} // namespace

Vary parseVary(std::string_view spec)
{
    const std::size_t eq = spec.find('=');
    if (eq == std::string_view::npos)
        throw UsageError("--vary " + std::string(spec) + ": expected KEY=FROM:TO:COUNT or KEY=v1,v2,...");
    Vary vary;
    vary.key = std::string(spec.substr(0, eq));
    const std::optional<Field> field = fieldOfKey(vary.key);
    if (!field || inputField(*field).kind == FieldKind::SaveFileName)
    {
        const std::string closest = closestKey(vary.key);
        throw UsageError("--vary " + std::string(spec) + ": '" + vary.key + "' is no numeric key of a case file" +
                         (closest.empty() || closest == "report.file"
                              ? "; the keys are flow_rate, screen_diameter, density, temperature, standard_viscosity, "
                                "standard_shear_rate, power_law_factor, shift_a, shift_b, count, screens.N.mesh, "
                                "screens.N.wire"
                              : "; did you mean " + closest + "?"));
    }

    vary.field = *field;
    const std::string_view values = spec.substr(eq + 1);
    if (values.find(':') != std::string_view::npos) {
        const std::size_t a = values.find(':');
        const std::size_t b = values.find(':', a + 1);
        if (b == std::string_view::npos || values.find(':', b + 1) != std::string_view::npos)
            throw UsageError("--vary " + std::string(spec) + ": a range is FROM:TO:COUNT");
        const double from = readValue(values.substr(0, a), spec);
        const double to = readValue(values.substr(a + 1, b - a - 1), spec);
        const std::size_t count = readCount(values.substr(b + 1), spec);
        vary.values.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            // The ends are taken as written; the points between are evenly
            // spaced, formed in extended precision and rounded once, so
            // that 1:120:97 gives 2.2395833333333335, the double nearest to
            // 1 + 119/96.
            const long double step = count == 1 ? 0.0L
                : (static_cast<long double>(to) - from) * static_cast<long double>(i) / static_cast<long double>(count - 1);
            vary.values.push_back(i + 1 == count && count > 1 ? to : static_cast<double>(from + step));
        }
        if (!std::isfinite(to - from))
            throw UsageError("--vary " + std::string(spec) + ": the range is beyond the double range");
    } else {
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = values.find(',', start);
            vary.values.push_back(readValue(values.substr(start, comma - start), spec));
            if (vary.values.size() > MaxValuesPerKey)
                throw UsageError("--vary " + std::string(spec) + ": at most 1000000 values");
            if (comma == std::string_view::npos)
                break;
            start = comma + 1;
        }
    }
    if (inputField(vary.field).kind == FieldKind::ScreenCount)
        for (double v : vary.values)
            if (v != std::floor(v))
                throw UsageError("--vary " + std::string(spec) + ": the number of screens takes whole numbers");
    return vary;
}

SweepGrid::SweepGrid(const std::vector<SweepCase> &cases, const std::vector<Vary> &vary)
    : m_cases(cases), m_vary(vary)
{
    m_first = vary.empty() ? 0 : vary[0].values.size();
    m_second = vary.size() > 1 ? vary[1].values.size() : 1;
    m_size = static_cast<std::uint64_t>(cases.size()) * m_first * m_second;
}

SweepGrid::Place SweepGrid::place(std::uint64_t point) const
{
    const std::uint64_t perCase = static_cast<std::uint64_t>(m_first) * m_second;
    const std::uint64_t rest = point % perCase;
    return {static_cast<std::size_t>(point / perCase), static_cast<std::size_t>(rest / m_second),
            static_cast<std::size_t>(rest % m_second)};
}

int sweepScreens(const std::vector<SweepCase> &cases, const std::vector<Vary> &vary)
{
    std::vector<Field> fields;
    std::vector<double> first;
    for (const Vary &v : vary) {
        if (inputField(v.field).kind == FieldKind::ScreenCount || inputField(v.field).screen != 0)
            return MaxScreens;
        fields.push_back(v.field);
        first.push_back(v.values.front());
    }
    int screens = 0;
    for (const SweepCase &c : cases)
        screens = std::max(screens, PointEvaluator(c.texts, '.', fields, false).screensInUse(first));
    return screens;
}

namespace {

// One thread's share: its own evaluators, one per case, keep their caches.
class SweepWorker {
public:
    SweepWorker(const SweepGrid &grid, const SweepWork &work, const SweepConsumer &consumer)
        : m_grid(grid), m_work(work), m_consumer(consumer), m_evaluators(grid.cases().size()),
          m_values(grid.vary().size())
    {
        for (const Vary &v : grid.vary())
            m_fields.push_back(v.field);
    }

    std::unique_ptr<SweepChunk> compute(std::uint64_t first, std::uint64_t last)
    {
        std::unique_ptr<SweepChunk> chunk = m_consumer.newChunk(last - first);
        const std::vector<SweepCase> &cases = m_grid.cases();
        const std::vector<Vary> &vary = m_grid.vary();
        for (std::uint64_t p = first; p < last; ++p) {
            const SweepGrid::Place place = m_grid.place(p);
            m_values[0] = vary[0].values[place.first];
            if (vary.size() > 1)
                m_values[1] = vary[1].values[place.second];
            const SweepCase &c = cases[place.caseIndex];
            std::optional<PointEvaluator> &evaluator = m_evaluators[place.caseIndex];
            if (!evaluator)
                evaluator.emplace(c.texts, '.', m_fields, m_work.details || c.range.has_value());
            const PointResult &computed = evaluator->evaluate(m_values);
            const PointResult *shown = &computed;
            // Past reading, the case holds every value the point took.
            const bool read = computed.ok() || computed.step != RunStep::Reading;
            FindingCodes found;
            if (m_work.findings && read) {
                found = m_findings.codes(evaluator->lastCase(), computed, c.range);
                if (m_work.refuseErrors && found.error && computed.ok()) {
                    m_refused = computed;
                    m_refused.status = PointStatus::Rejected;
                    m_refused.message = "refused";
                    shown = &m_refused;
                }
            }
            m_consumer.add(*chunk, {p, place, m_values, *shown, read ? &evaluator->lastCase() : nullptr, found.codes});
        }
        return chunk;
    }

private:
    const SweepGrid &m_grid;
    const SweepWork &m_work;
    const SweepConsumer &m_consumer;
    std::vector<std::optional<PointEvaluator>> m_evaluators;
    std::vector<Field> m_fields;
    std::vector<double> m_values;
    PointFindings m_findings;
    PointResult m_refused;
};

} // namespace

void computeSweep(const SweepGrid &grid, const SweepWork &work, SweepConsumer &consumer)
{
    const std::uint64_t chunks = (grid.size() + SweepChunkPoints - 1) / SweepChunkPoints;
    const unsigned threads =
        static_cast<unsigned>(std::max<std::uint64_t>(1, std::min<std::uint64_t>(work.threads, chunks)));
    const std::uint64_t window = 4ull * threads;

    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::uint64_t, std::unique_ptr<SweepChunk>> done;
    std::uint64_t next = 0;
    std::uint64_t taken = 0;
    bool stop = false;
    std::exception_ptr workerError;

    auto run = [&] {
        SweepWorker worker(grid, work, consumer);
        for (;;) {
            std::uint64_t chunk = 0;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || next >= chunks || next < taken + window; });
                if (stop || next >= chunks)
                    return;
                chunk = next++;
            }
            std::unique_ptr<SweepChunk> result;
            try {
                const std::uint64_t first = chunk * SweepChunkPoints;
                result = worker.compute(first, std::min(grid.size(), first + SweepChunkPoints));
            } catch (...) {
                std::lock_guard lock(mutex);
                workerError = std::current_exception();
                stop = true;
                changed.notify_all();
                return;
            }
            std::lock_guard lock(mutex);
            done.emplace(chunk, std::move(result));
            changed.notify_all();
        }
    };

    std::vector<std::thread> pool;
    pool.reserve(threads);
    for (unsigned i = 0; i < threads; ++i)
        pool.emplace_back(run);

    auto finish = [&] {
        {
            std::lock_guard lock(mutex);
            stop = true;
        }
        changed.notify_all();
        for (std::thread &t : pool)
            t.join();
    };

    try {
        while (taken < chunks) {
            std::unique_ptr<SweepChunk> result;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return workerError || done.count(taken) > 0; });
                if (workerError)
                    std::rethrow_exception(workerError);
                auto it = done.find(taken);
                result = std::move(it->second);
                done.erase(it);
            }
            consumer.take(std::move(result), std::min(grid.size(), (taken + 1) * SweepChunkPoints));
            {
                std::lock_guard lock(mutex);
                ++taken;
            }
            changed.notify_all();
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

} // namespace sf
