// One solve of the worked example as screenfilter-cli solve runs it: the
// flow rate at which the total reaches 150 bar over the default range, and
// the temperature at which 120 kg/hr stays under 100 bar. Each counts the
// runs of the case the search took.

#include "run/Solve.h"

#include <benchmark/benchmark.h>

namespace {

void solveOnce(benchmark::State &state, sf::Field key, const char *flowRate, const char *limit)
{
    sf::FieldTexts texts = sf::FieldTexts::defaults();
    texts[sf::Field::FlowRate] = flowRate;
    const sf::PressureLimit level = sf::parseLimit(limit);
    const sf::SolveRange range = sf::defaultSolveRange(key, *sf::caseValueOf(texts, '.', key));
    int evaluations = 0;
    for (auto _ : state) {
        const sf::SolveAnswer a = sf::solveLimit(texts, '.', key, level, range);
        if (a.outcome != sf::SolveOutcome::Found)
            state.SkipWithError(a.message.c_str());
        evaluations = a.evaluations;
        benchmark::DoNotOptimize(a.lo);
    }
    state.counters["runs"] = evaluations;
}

void BM_SolveFlowRateFor150Bar(benchmark::State &state)
{
    solveOnce(state, sf::Field::FlowRate, "57.0", "total=150bar");
}
BENCHMARK(BM_SolveFlowRateFor150Bar)->Unit(benchmark::kMicrosecond);

void BM_SolveTemperatureFor100BarAt120(benchmark::State &state)
{
    solveOnce(state, sf::Field::Temperature, "120", "total=100bar");
}
BENCHMARK(BM_SolveTemperatureFor100BarAt120)->Unit(benchmark::kMicrosecond);

} // namespace
