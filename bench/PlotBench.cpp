// Sweeps with a plot, run as a user runs them: screenfilter-cli as a child
// process on the worked example, the table to /dev/null, the plot to PNG and
// to SVG. For each, the child's peak resident memory (ru_maxrss from wait4),
// its wall time and the picture's size.
//
//   screenfilter_plot_bench [CLI...]
//
// Each CLI given (another build of screenfilter-cli, say the one before a
// change) is measured in turn; without any, the one built here.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
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

struct Outcome {
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
    if (wait4(pid, &status, 0, &usage) != pid)
        return out;
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    out.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
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

    int failures = 0;
    std::printf("%-12s %-6s %10s %9s %12s  %s\n", "grid", "plot", "peak MB", "time s", "file bytes", "program");
    for (const std::string &cli : clis) {
        for (const Grid &grid : Grids) {
            for (const char *suffix : {"png", "svg"}) {
                const std::string picture = (dir / (std::string("plot.") + suffix)).string();
                fs::remove(picture);
                std::vector<std::string> args{"sweep", casePath, "-o", "/dev/null", "--plot", picture};
                args.insert(args.end(), grid.vary.begin(), grid.vary.end());
                const Outcome o = run(cli, args);
                std::error_code ec;
                const auto bytes = fs::file_size(picture, ec);
                if (!o.ok || ec)
                    ++failures;
                std::printf("%-12s %-6s %10.1f %9.2f %12llu  %s%s\n", grid.name, suffix, o.peakMb, o.seconds,
                            ec ? 0ull : static_cast<unsigned long long>(bytes), cli.c_str(), o.ok ? "" : " (failed)");
                std::fflush(stdout);
            }
        }
    }
    fs::remove_all(dir);
    return failures ? 1 : 0;
}
