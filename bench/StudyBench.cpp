// One update of the study window for the worked example after an edit,
// against the 16 ms of a frame: the table's texts and the chart's points (three curves of 97
// points), then the same with a limit (three solves); five curves with
// their limit answers and a Find (the computation the window does for a
// study set by hand, to stay under 5 ms); then the whole window's update
// with its table widget and chart redrawn, and the repaint alone
// (offscreen).

#include "StudyWindow.h"
#include "export/StudyTable.h"
#include "run/SolveCase.h"
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

void BM_StudyFiveCurvesAndFind(benchmark::State &state)
{
    const sf::PressureLimit limit{0, 300, bar()};
    sf::StudyRequest request{sf::FieldTexts::defaults(), '.', std::nullopt, limit,
                             {250, 270, 290, 310, 330}, std::pair(20.0, 120.0)};
    for (auto _ : state) {
        const sf::Study study = sf::computeStudy(request);
        const sf::SolvedCase found =
            sf::solveCase(request.texts, '.', sf::Field::FlowRate, limit, std::nullopt, std::nullopt);
        benchmark::DoNotOptimize(study.curves.data());
        benchmark::DoNotOptimize(found.answer.lo);
    }
}
BENCHMARK(BM_StudyFiveCurvesAndFind)->Unit(benchmark::kMillisecond);

// The window as a user who set five temperatures, a limit and a Find sees it.
sf::CaseStudy fiveCurves()
{
    sf::CaseStudy study;
    study.temperatures = std::vector<double>{250, 270, 290, 310, 330};
    study.flowRateFrom = 20;
    study.flowRateTo = 120;
    study.limit = "total=300kgf/cm2";
    study.find = "flow_rate";
    return study;
}

void BM_StudyWindowUpdate(benchmark::State &state)
{
    const bool five = state.range(0) != 0;
    // At its first size the table shows the pack's columns, which an edit of
    // the flow rate leaves as they were; wide, it shows every column.
    const bool wide = state.range(0) == 2;
    // An edit between updates: the flow rate goes from 57 to 60 kg/hr and
    // back, which changes every number of the table and every point of the
    // curves, and the flow axis when the range is the case's.
    bool edited = false;
    sf::StudyWindow window([&edited] {
        sf::FieldTexts texts = sf::FieldTexts::defaults();
        texts[sf::Field::FlowRate] = edited ? "60.0" : "57.0";
        return sf::StudyInputs{texts, '.', std::nullopt, {}, {}, {}, {}};
    });
    if (five)
        window.setCaseStudy(fiveCurves());
    if (wide)
        window.resize(2400, 660);
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        edited = !edited;
        window.updateNow();
        // The chart is drawn when the event loop paints it.
        window.repaint();
        QApplication::processEvents();
    }
    state.SetLabel(wide ? "five curves, limit, find, every column in view"
                   : five ? "five curves, limit, find"
                          : "three curves");
}
BENCHMARK(BM_StudyWindowUpdate)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The repaint alone, of the window with five curves.
void BM_StudyWindowRepaint(benchmark::State &state)
{
    sf::StudyWindow window([] { return sf::StudyInputs{sf::FieldTexts::defaults(), '.', std::nullopt, {}, {}, {}, {}}; });
    window.setCaseStudy(fiveCurves());
    window.show();
    window.updateNow();
    QApplication::processEvents();
    for (auto _ : state) {
        window.repaint();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_StudyWindowRepaint)->Unit(benchmark::kMillisecond);

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
