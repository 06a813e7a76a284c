// Sweeps against the bare core: a 200,000-point grid (flow rate x
// temperature) of the worked example written as CSV to /dev/null, on one
// thread and on every core, in points per second. BM_ReadAndCompute (one
// point read from texts and computed) is the bare rate to compare with.

#include "export/FileSink.h"
#include "run/Sweep.h"
#include "export/SweepTable.h"
#include "run/PointEvaluator.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

sf::SweepOptions grid(unsigned threads, std::size_t flows, std::size_t temperatures)
{
    sf::SweepOptions o;
    o.cases.push_back({"worked-example.sfcase", sf::FieldTexts::defaults(), std::nullopt});
    o.vary.push_back(sf::parseVary("flow_rate=10:120:" + std::to_string(flows)));
    o.vary.push_back(sf::parseVary("temperature=200:320:" + std::to_string(temperatures)));
    o.threads = threads;
    return o;
}

// The CPU seconds of every thread of this process so far: on a machine that
// others share, points per CPU second still compare with a peer's.
double processCpuSeconds()
{
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// As the command line sweeps (--warnings with refusals) or without the
// finding codes (Arg 1 of the pair).
void BM_Sweep200kToDevNull(benchmark::State &state)
{
    const unsigned threads = state.range(0) ? static_cast<unsigned>(state.range(0))
                                            : std::max(1u, std::thread::hardware_concurrency());
    sf::SweepOptions o = grid(threads, 500, 400);
    o.warnings = o.refuseErrors = state.range(1) != 0;
    std::uint64_t points = 0;
    const double cpuStart = processCpuSeconds();
    for (auto _ : state) {
        sf::FileSink out("/dev/null");
        points += sf::runSweep(o, out).points;
        out.close();
    }
    const double cpuSeconds = processCpuSeconds() - cpuStart;
    state.counters["threads"] = threads;
    state.counters["warnings"] = static_cast<double>(state.range(1));
    state.counters["points_per_s"] = benchmark::Counter(static_cast<double>(points), benchmark::Counter::kIsRate);
    state.counters["points_per_cpu_s"] = cpuSeconds > 0 ? static_cast<double>(points) / cpuSeconds : 0;
}
BENCHMARK(BM_Sweep200kToDevNull)
    ->ArgsProduct({{1, 2}, {0, 1}})
    ->ArgNames({"threads", "warnings"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The point evaluator alone over a flow-rate-only grid: the case read once,
// the shift and the geometry kept, so each point is the drops and the total.
void BM_EvaluatorFlowRateOnly(benchmark::State &state)
{
    sf::PointEvaluator evaluator(sf::FieldTexts::defaults(), '.', {sf::Field::FlowRate}, state.range(0) != 0);
    const sf::Vary flows = sf::parseVary("flow_rate=10:120:10000");
    double sink = 0;
    std::uint64_t points = 0;
    for (auto _ : state) {
        for (double q : flows.values)
            sink += evaluator.evaluate(std::span<const double>(&q, 1)).total;
        points += flows.values.size();
    }
    benchmark::DoNotOptimize(sink);
    state.counters["details"] = static_cast<double>(state.range(0));
    state.counters["points_per_s"] = benchmark::Counter(static_cast<double>(points), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EvaluatorFlowRateOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Peak resident memory of a 1,000,000-point sweep without a plot, measured in
// a child process of its own so that nothing else counts.
void BM_Sweep1MPeakMemory(benchmark::State &state)
{
    double peakMb = 0;
    for (auto _ : state) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            sf::FileSink out("/dev/null");
            sf::runSweep(grid(std::max(1u, std::thread::hardware_concurrency()), 1000, 1000), out);
            out.close();
            ::_exit(0);
        }
        int status = 0;
        struct rusage usage {};
        if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            std::abort();
        peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    }
    state.counters["peak_MB"] = peakMb;
}
BENCHMARK(BM_Sweep1MPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
