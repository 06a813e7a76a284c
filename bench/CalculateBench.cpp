// One run's reading and computing with the default inputs (twelve screens),
// as the OK button does it, minus the report and the dialogs.

#include "calc/InputFields.h"
#include "calc/ReadInputs.h"
#include "calc/RunHost.h"
#include "calc/ScreenModel.h"
#include "calc/ShiftViscosity.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <string>

namespace {

class DefaultTexts : public sf::RunHost {
public:
    DefaultTexts()
    {
        for (const sf::InputField &f : sf::InputFields)
            m_texts[static_cast<std::size_t>(f.number - 1)] = std::string(f.defaultText);
    }
    std::string fieldText(int n) const override { return m_texts[static_cast<std::size_t>(n - 1)]; }
    void showMessage(const std::string &) override { std::abort(); }
    void showError(const std::string &) override { std::abort(); }
    void showFinished() override {}
    void refreshFileList() override {}

private:
    std::array<std::string, sf::EditFieldCount> m_texts;
};

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
