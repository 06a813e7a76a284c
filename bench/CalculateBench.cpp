// One run's reading and computing with the default inputs (twelve screens),
// as the OK button does it, minus the report and the dialogs.

#include "calc/ReadInputs.h"
#include "calc/ScreenModel.h"
#include "calc/ShiftViscosity.h"
#include "support/DefaultCase.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void BM_ReadAndCompute(benchmark::State &state)
{
    const sf::FieldTexts texts = sf::FieldTexts::defaults();
    for (auto _ : state) {
        sf::ReadResult read = sf::ReadInputs(texts, '.');
        auto *c = std::get_if<sf::FilterCase>(&read);
        if (!c)
            std::abort();
        sf::ShiftViscosity(*c);
        sf::ComputeScreens(*c);
        benchmark::DoNotOptimize(c->Screens[11].PressDrop);
    }
}
BENCHMARK(BM_ReadAndCompute);

void BM_ComputeOnly(benchmark::State &state)
{
    const sf::FilterCase read = sf::test::defaultCase();
    for (auto _ : state) {
        sf::FilterCase c = read;
        sf::ShiftViscosity(c);
        sf::ComputeScreens(c);
        benchmark::DoNotOptimize(c.Screens[11].PressDrop);
    }
}
BENCHMARK(BM_ComputeOnly);

} // namespace
