// "Fit from points…" in the melt dialog as a user clicks it, offscreen: the
// points file read, the fit, its table and its chart, up to the dialog
// painted again. Points at 100 to 33,333 temperatures from 200 to 320 ℃,
// three shear rates each, within 1 % of the worked example's melt. A click
// that takes more than a second or two is a window that seems to hang.

#include "MeltDialog.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

fs::path writePoints(int temperatures)
{
    const fs::path path = fs::temp_directory_path() /
                          ("screenfilter-melt-dialog-bench-" + std::to_string(getpid()) + "-" +
                           std::to_string(temperatures) + ".csv");
    std::ofstream out(path);
    out << "temperature,shear_rate,viscosity\n";
    for (int i = 0; i < temperatures; ++i) {
        const double t = 200 + 120.0 * i / (temperatures - 1);
        for (double rate : {10.0, 100.0, 1000.0}) {
            const double shift = std::exp(15180 / (t + 273) - 26.96);
            const double wobble = 1 + 0.01 * std::sin(7.0 * i + rate);
            out << t << ',' << rate << ',' << 936.5 * std::pow(shift, 0.469) * std::pow(rate / 100, -0.531) * wobble
                << '\n';
        }
    }
    return path;
}

void BM_MeltDialogFitFromPoints(benchmark::State &state)
{
    const fs::path points = writePoints(static_cast<int>(state.range(0)));
    sf::MeltDialog dialog([](const sf::FieldTexts &, const std::optional<sf::MeltFitRange> &) {});
    dialog.setPointsChooser([&points] { return QString::fromStdString(points.string()); });
    dialog.resize(900, 700);
    dialog.show();
    QApplication::processEvents();
    for (auto _ : state) {
        dialog.fitFromPoints();
        // The table and the chart are drawn when the event loop paints them.
        dialog.repaint();
        QApplication::processEvents();
    }
    std::error_code ec;
    fs::remove(points, ec);
    state.SetLabel(std::to_string(state.range(0)) + " temperatures");
}
BENCHMARK(BM_MeltDialogFitFromPoints)
    ->Arg(100)
    ->Arg(334) // 1,002 points
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(33333) // 99,999 points, the most a points file holds
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

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
