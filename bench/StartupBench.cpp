// Start-up of the desktop program side by side with a bare Qt Widgets
// program: wall time from spawning each to its first painted window, the
// processor time it took (which a loaded machine disturbs far less), and
// each process's peak resident memory up to that moment. The two are run
// alternately so that both see the same machine state.
//
//   screenfilter_startup_bench [ROUNDS]
//
// Without a display it uses Qt's offscreen platform.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

struct Sample {
    double milliseconds;
    double cpuMilliseconds; // user and system
    long peakKib;
};

double milliseconds(const timeval &t)
{
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
}

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Spawns one program and waits for its "shown <ns>" line and its exit.
bool measure(const char *program, Sample &sample)
{
    int out[2];
    if (pipe(out) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char *argv[] = {const_cast<char *>(program), nullptr};

    const long long start = monotonicNs();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", program, std::strerror(spawned));
        close(out[0]);
        return false;
    }

    std::string text;
    char buffer[256];
    ssize_t n;
    while ((n = read(out[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            text.append(buffer, static_cast<std::size_t>(n));
    close(out[0]);

    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s did not end normally\n", program);
        return false;
    }
    long long shownAt = 0;
    if (std::sscanf(text.c_str(), "shown %lld", &shownAt) != 1) {
        std::fprintf(stderr, "%s did not report its window\n", program);
        return false;
    }
    sample.milliseconds = static_cast<double>(shownAt - start) / 1e6;
    sample.cpuMilliseconds = milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime);
    sample.peakKib = usage.ru_maxrss;
    return true;
}

template <typename T>
T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const char *platform = std::getenv("QT_QPA_PLATFORM");

    const char *programs[2] = {SCREENFILTER_PROBE, BARE_QT_PROBE};
    std::vector<double> times[2];
    std::vector<double> cpu[2];
    std::vector<long> peaks[2];
    // One untimed start of each warms the file cache.
    for (const char *program : programs) {
        Sample warm{};
        if (!measure(program, warm))
            return 1;
    }
    for (int round = 0; round < rounds; ++round) {
        for (int k = 0; k < 2; ++k) {
            const int which = (round % 2 == 0) ? k : 1 - k;
            Sample s{};
            if (!measure(programs[which], s))
                return 1;
            times[which].push_back(s.milliseconds);
            cpu[which].push_back(s.cpuMilliseconds);
            peaks[which].push_back(s.peakKib);
        }
    }

    const double t[2] = {median(times[0]), median(times[1])};
    const double c[2] = {median(cpu[0]), median(cpu[1])};
    const long m[2] = {median(peaks[0]), median(peaks[1])};
    std::printf("start-up to first painted main window, median of %d runs each (platform %s)\n", rounds,
                platform ? platform : "from DISPLAY/WAYLAND_DISPLAY");
    std::printf("%-14s %10s %10s %14s\n", "program", "time ms", "CPU ms", "peak RSS KiB");
    std::printf("%-14s %10.1f %10.1f %14ld\n", "screenfilter", t[0], c[0], m[0]);
    std::printf("%-14s %10.1f %10.1f %14ld\n", "bare Qt", t[1], c[1], m[1]);
    std::printf("ratio time %.2f (aim <= 1.1), CPU %.2f, memory %.2f (aim <= 1.15)\n", t[0] / t[1], c[0] / c[1],
                static_cast<double>(m[0]) / static_cast<double>(m[1]));
    return 0;
}
