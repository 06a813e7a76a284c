// One run's reading and computing with the default inputs (twelve screens),
// as the OK button does it, minus the report and the dialogs.

#include "DefaultTexts.h"
#include "calc/ReadInputs.h"
#include "calc/ScreenModel.h"
#include "calc/ShiftViscosity.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

using sf::bench::DefaultTexts;

void BM_ReadAndCompute(benchmark::State &state)
{
    DefaultTexts host;
    for (auto _ : state) {
        sf::TFilterCase c;
        if (!sf::ReadInputs(host, c))
            std::abort();
        sf::ShiftViscosity(c);
        sf::ComputeScreens(c);
        benchmark::DoNotOptimize(c.Screens[11].PressDrop);
    }
}
BENCHMARK(BM_ReadAndCompute);

void BM_ComputeOnly(benchmark::State &state)
{
    DefaultTexts host;
    sf::TFilterCase read;
    sf::ReadInputs(host, read);
    for (auto _ : state) {
        sf::TFilterCase c = read;
        sf::ShiftViscosity(c);
        sf::ComputeScreens(c);
        benchmark::DoNotOptimize(c.Screens[11].PressDrop);
    }
}
BENCHMARK(BM_ComputeOnly);

} // namespace
