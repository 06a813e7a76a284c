// Writing the default report to a file, open to close.

#include "calc/FilterCase.h"
#include "calc/InputFields.h"
#include "calc/ScreenModel.h"
#include "calc/ShiftViscosity.h"
#include "calc/NumberReaders.h"
#include "report/FormatFixed.h"
#include "report/ReportWriter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

class NoDialog : public sf::MessageDialog {
public:
    void showMessage(const std::string &) override { std::abort(); }
};

sf::TFilterCase defaultCase()
{
    auto text = [](int n) { return sf::InputFields[static_cast<std::size_t>(n - 1)].defaultText; };
    sf::TFilterCase c;
    c.FlowRate = sf::readDecimal(text(1));
    c.ScreenDiameter = sf::readDecimal(text(2));
    c.Density = sf::readDecimal(text(3));
    c.Temperature = sf::readDecimal(text(4));
    c.StdViscosity = sf::readDecimal(text(30));
    c.StdShearRate = sf::readDecimal(text(31));
    c.PowerLawFactor = sf::readDecimal(text(32));
    c.ShiftParamA = sf::readDecimal(text(33));
    c.ShiftParamB = sf::readDecimal(text(34));
    c.ScreenCount = 12;
    for (int k = 1; k <= 12; ++k) {
        c.Screens[k - 1].Mesh = sf::readDecimal(text(sf::meshField(k)));
        c.Screens[k - 1].WireDia = sf::readDecimal(text(sf::wireField(k)));
    }
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
    NoDialog dialog;
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
