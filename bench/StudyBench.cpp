// One update of the study window for the worked example, against the 16 ms
// of a frame: the table's texts and the chart's points (three curves of 97
// points), then the same with a limit (three solves), then the whole
// window's update with its table widget and chart redrawn (offscreen).

#include "StudyWindow.h"
#include "export/StudyTable.h"
#include "run/Study.h"
#include "run/Sweep.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

const sf::PressureUnit &bar()
{
    static const sf::PressureUnit unit = *sf::pressureUnitNamed("bar");
    return unit;
}

void BM_StudyTableAndCurves(benchmark::State &state)
{
    const bool limit = state.range(0) != 0;
    sf::StudyRequest request{sf::FieldTexts::defaults(), '.', std::nullopt, std::nullopt};
    if (limit)
        request.limit = sf::PressureLimit{0, 300, bar()};
    std::size_t cells = 0;
    for (auto _ : state) {
        const sf::Study study = sf::computeStudy(request);
        const auto rows = sf::studyTableTexts(study.point, bar(), '.');
        cells += rows.size() * rows.front().size();
        benchmark::DoNotOptimize(study.curves.data());
    }
    benchmark::DoNotOptimize(cells);
    state.SetLabel(limit ? "with a limit" : "no limit");
}
BENCHMARK(BM_StudyTableAndCurves)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_StudyWindowUpdate(benchmark::State &state)
{
    sf::StudyWindow window([] { return sf::StudyInputs{sf::FieldTexts::defaults(), '.', std::nullopt, {}, {}, {}, {}}; });
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        window.updateNow();
        // The chart is drawn when the event loop paints it.
        window.repaint();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_StudyWindowUpdate)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
