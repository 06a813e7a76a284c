// One page of run --format pdf for the worked example with a limit (three
// curves, three solves), against the 300 ms a user waits for at most: the
// page computed (no Qt), then drawn and made a PDF.

#include "export/CasePage.h"
#include "plot/Page.h"
#include "plot/PlotApplication.h"
#include "support/DefaultCase.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

sf::PlotApplication *plots = nullptr;

sf::CasePageRequest request()
{
    sf::CaseContent content{sf::FieldTexts::defaults(), std::nullopt, sf::CaseStudy{}};
    content.study->limit = "total=300bar";
    return {"worked-example", "/plant/line-3/worked-example.sfcase", content, '.', *sf::pressureUnitNamed("bar"),
            "2026-12-07 14:05", "screenfilter-cli bench"};
}

void BM_PageComputed(benchmark::State &state)
{
    const sf::CasePageRequest r = request();
    for (auto _ : state)
        benchmark::DoNotOptimize(sf::casePage(r));
}
BENCHMARK(BM_PageComputed)->Unit(benchmark::kMillisecond);

void BM_PageComputedAndDrawn(benchmark::State &state)
{
    const sf::CasePageRequest r = request();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const sf::CasePage page = sf::casePage(r);
        std::string pdf;
        if (!plots->drawPage(page.page, sf::Paper::A4, pdf).empty())
            state.SkipWithError("the page was not drawn");
        bytes = pdf.size();
    }
    state.counters["pdf_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_PageComputedAndDrawn)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_LOGGING_RULES", "*.warning=false", 1);
    sf::PlotApplication application(argc, argv);
    plots = &application;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
