// Writing the default report to a file, open to close.

#include "report/FormatFixed.h"
#include "report/ReportWriter.h"
#include "run/PackTotal.h"
#include "support/DefaultCase.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>

namespace {

void BM_WriteDefaultReport(benchmark::State &state)
{
    const sf::FilterCase c = sf::test::computedDefaultCase();
    const sf::test::ScopedTempCwd dir;
    for (auto _ : state) {
        if (sf::WriteReport(c, sf::totalPressureDrop(c), AT_FDCWD, "result.txt", '.') != sf::ReportResult::Written)
            std::abort();
    }
}
BENCHMARK(BM_WriteDefaultReport);

void BM_FormatColumn(benchmark::State &state)
{
    double v = 157.10912345;
    for (auto _ : state)
        benchmark::DoNotOptimize(sf::FormatColumn(8, 3, v, '.'));
}
BENCHMARK(BM_FormatColumn);

} // namespace
