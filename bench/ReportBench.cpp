// Writing the default report to a file, open to close.

#include "DefaultTexts.h"
#include "calc/FilterCase.h"
#include "calc/ReadInputs.h"
#include "calc/ScreenModel.h"
#include "calc/ShiftViscosity.h"
#include "report/FormatFixed.h"
#include "report/ReportWriter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

sf::TFilterCase defaultCase()
{
    sf::bench::DefaultTexts host;
    sf::TFilterCase c;
    if (!sf::ReadInputs(host, c))
        std::abort();
    sf::ShiftViscosity(c);
    sf::ComputeScreens(c);
    return c;
}

void BM_WriteDefaultReport(benchmark::State &state)
{
    const sf::TFilterCase c = defaultCase();
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("screenfilter-bench-" + std::to_string(::getpid()) + ".txt")).string();
    sf::ReportFileName = file;
    sf::bench::DefaultTexts dialog; // any message would be a failure
    for (auto _ : state) {
        if (!sf::WriteReport(c, dialog))
            std::abort();
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_WriteDefaultReport);

void BM_FormatColumn(benchmark::State &state)
{
    double v = 157.10912345;
    for (auto _ : state)
        benchmark::DoNotOptimize(sf::FormatColumn(8, 3, v));
}
BENCHMARK(BM_FormatColumn);

} // namespace
