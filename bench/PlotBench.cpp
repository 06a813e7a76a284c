// Plots as a user draws them: screenfilter-cli as a child process, the
// table to /dev/null, the plot to PNG and to SVG. Sweeps of the worked
// example, one of a hundred cases at fifty temperatures, and melt fits of
// points at 1,000 to 10,000 temperatures. For each, the child's peak resident
// memory (ru_maxrss from wait4), its wall time and the picture's size; a
// child still running after five minutes is stopped and shown as such. Last,
// the plot of a 100,000-point fit against the same plot of 1,000 points.
//
//   screenfilter_plot_bench [CLI...]
//
// Each CLI given (another build of screenfilter-cli, say the one before a
// change) is measured in turn; without any, the one built here.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

namespace fs = std::filesystem;

struct Grid {
    const char *name;
    std::vector<std::string> vary;
};

const Grid Grids[] = {
    // A million points as a thousand curves of a thousand points.
    {"1000 x 1000", {"--vary", "flow_rate=10:120:1000", "--vary", "temperature=200:320:1000"}},
    // A million points on one curve.
    {"1000000 x 1", {"--vary", "flow_rate=10:120:1000000"}},
};

// Points of the worked example's melt at `temperatures` temperatures from 200
// to 320 ℃, three shear rates each, within 1 % of the model.
void writePoints(const fs::path &path, int temperatures)
{
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
}

constexpr int TimeLimitSeconds = 300;

struct Outcome {
    bool stopped = false;
    bool ok = false;
    double peakMb = 0;
    double seconds = 0;
};

Outcome run(const std::string &cli, const std::vector<std::string> &args)
{
    std::vector<char *> argv{const_cast<char *>(cli.c_str())};
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    Outcome out;
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", cli.c_str(), std::strerror(spawned));
        return out;
    }
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t got = wait4(pid, &status, WNOHANG, &usage);
        if (got == pid)
            break;
        if (got < 0)
            return out;
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(TimeLimitSeconds) && !out.stopped) {
            kill(pid, SIGKILL);
            out.stopped = true;
        }
        usleep(20'000);
    }
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    out.ok = !out.stopped && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    out.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    std::vector<std::string> clis;
    for (int i = 1; i < argc; ++i)
        clis.push_back(argv[i]);
    if (clis.empty())
        clis.push_back(SCREENFILTER_CLI);
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    const fs::path dir = fs::temp_directory_path() / ("screenfilter-plot-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string casePath = (dir / "worked-example.sfcase").string();
    if (!run(clis.front(), {"init", casePath, "--force"}).ok) {
        std::fprintf(stderr, "%s init failed\n", clis.front().c_str());
        return 1;
    }

    // A hundred cases, each denser than the last, so that no two lines meet.
    std::vector<std::string> hundred;
    for (int i = 0; i < 100; ++i) {
        const std::string path = (dir / ("case-" + std::to_string(i) + ".sfcase")).string();
        std::ifstream in(casePath);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string density = "density = 0.96";
        text.replace(text.find(density), density.size(), "density = " + std::to_string(0.5 + 0.01 * i));
        std::ofstream(path) << text;
        hundred.push_back(path);
    }
    struct Job {
        std::string name;
        std::vector<std::string> args; // before --plot FILE
    };
    std::vector<Job> jobs;
    for (const Grid &grid : Grids) {
        Job job{grid.name, {"sweep", casePath, "-o", "/dev/null"}};
        job.args.insert(job.args.end(), grid.vary.begin(), grid.vary.end());
        jobs.push_back(job);
    }
    {
        Job job{"100 cases x 50 x 100", {"sweep"}};
        job.args.insert(job.args.end(), hundred.begin(), hundred.end());
        job.args.insert(job.args.end(), {"-o", "/dev/null", "--vary", "flow_rate=10:120:100", "--vary",
                                         "temperature=200:320:50"});
        jobs.push_back(job);
    }
    for (int temperatures : {1000, 2000, 10000}) {
        const fs::path points = dir / ("points-" + std::to_string(temperatures) + ".csv");
        writePoints(points, temperatures);
        jobs.push_back({"fit " + std::to_string(temperatures) + " T", {"melt", "fit", points.string()}});
    }

    int failures = 0;
    std::printf("%-20s %-6s %10s %9s %12s  %s\n", "plot", "format", "peak MB", "time s", "file bytes", "program");
    for (const std::string &cli : clis) {
        for (const Job &job : jobs) {
            for (const char *suffix : {"png", "svg"}) {
                const std::string picture = (dir / (std::string("plot.") + suffix)).string();
                fs::remove(picture);
                std::vector<std::string> args = job.args;
                args.insert(args.end(), {"--plot", picture});
                const Outcome o = run(cli, args);
                std::error_code ec;
                const auto bytes = fs::file_size(picture, ec);
                if (!o.ok || ec)
                    ++failures;
                std::printf("%-20s %-6s %10.1f %9.2f %12llu  %s%s\n", job.name.c_str(), suffix, o.peakMb, o.seconds,
                            ec ? 0ull : static_cast<unsigned long long>(bytes), cli.c_str(),
                            o.stopped ? " (stopped)" : o.ok ? "" : " (failed)");
                std::fflush(stdout);
            }
        }
    }
    // A fit of 100,000 points against the same plot of 1,000, each the
    // best of five, alternately: the ratio is what the thinning holds down.
    const fs::path small = dir / "points-334.csv", large = dir / "points-33333.csv";
    writePoints(small, 334);
    writePoints(large, 33'333);
    const std::string picture = (dir / "fit.png").string();
    for (const std::string &cli : clis) {
        double best[2] = {INFINITY, INFINITY};
        for (int round = 0; round < 5; ++round)
            for (int k = 0; k < 2; ++k) {
                const Outcome o = run(cli, {"melt", "fit", (k ? large : small).string(), "--plot", picture});
                if (!o.ok)
                    ++failures;
                best[k] = std::min(best[k], o.seconds);
            }
        std::printf("fit plot, best of 5: 1,002 points %.2f s, 99,999 points %.2f s, ratio %.2f  %s\n", best[0],
                    best[1], best[1] / best[0], cli.c_str());
    }
    fs::remove_all(dir);
    return failures ? 1 : 0;
}
