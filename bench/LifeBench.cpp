// A pressure log of a million readings, the most screenfilter-cli life
// takes: read from its bytes (timestamps, ';' and decimal commas, the two
// pressures around the pack), then the four laws fitted and the answer
// given. Asked to take under a second together.

#include "life/PackLife.h"
#include "life/PressureLog.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>

namespace {

// A reading every 2 s for 23 days: cake filtration from 60 bar, 0.5 % noise.
const std::string &millionReadings()
{
    static const std::string log = [] {
        std::string out = "timestamp;pressure_before (bar);pressure_after (bar)\n";
        out.reserve(50u * sf::MaxLogReadings);
        std::mt19937 random(43);
        std::normal_distribution<double> noise(0, 0.005);
        char line[96];
        for (std::size_t i = 0; i < sf::MaxLogReadings; ++i) {
            const long seconds = 2 * static_cast<long>(i);
            const double hours = seconds / 3600.0;
            const double drop = 60 * (1 + 0.002 * hours) * (1 + noise(random));
            const long day = 1 + seconds / 86400, inDay = seconds % 86400;
            std::snprintf(line, sizeof line, "2026-03-%02ldT%02ld:%02ld:%02ld;%.2f;40,00\n", day, inDay / 3600,
                          inDay / 60 % 60, inDay % 60, drop + 40);
            std::string text = line;
            text[text.find('.')] = ','; // the decimal comma of the pressure
            out += text;
        }
        return out;
    }();
    return log;
}

sf::LifeReadings readingsOf(const sf::PressureLog &log)
{
    sf::LifeReadings readings{log.time, log.pressure, log.line};
    for (std::size_t i = 0; i < readings.pressure.size(); ++i)
        readings.pressure[i] -= log.after[i];
    return readings;
}

void BM_LifeOfAMillionReadings(benchmark::State &state)
{
    const std::string &bytes = millionReadings();
    for (auto _ : state) {
        const sf::PressureLog log = sf::parsePressureLog(bytes, "bench.csv", std::nullopt);
        const sf::PackLife life =
            sf::packLife(readingsOf(log), {200, std::nullopt, "200 bar"}, [](double t) { return std::to_string(t); });
        benchmark::DoNotOptimize(life.limitAt);
        state.counters["law"] = static_cast<double>(life.laws[life.best].fit.law);
    }
}
BENCHMARK(BM_LifeOfAMillionReadings)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LifeFitOfAMillionReadings(benchmark::State &state)
{
    const sf::LifeReadings readings = readingsOf(sf::parsePressureLog(millionReadings(), "bench.csv", std::nullopt));
    for (auto _ : state) {
        const sf::PackLife life =
            sf::packLife(readings, {200, std::nullopt, "200 bar"}, [](double t) { return std::to_string(t); });
        benchmark::DoNotOptimize(life.limitAt);
    }
}
BENCHMARK(BM_LifeFitOfAMillionReadings)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
