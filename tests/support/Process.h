#pragma once

// Runs one of our programs as a user would and keeps what it said.

#include <cerrno>
#include <charconv>
#include <cmath>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace sf::test {

struct ProcessResult {
    int exitCode = -1; // -1: it did not exit normally
    std::string out;
    std::string err;
};

// Runs `program` with `args` in the current directory. Its locale is C
// unless `environment` ("NAME=value" entries) says otherwise: LC_ALL,
// LC_* and LANG of this process are not passed on.
inline ProcessResult runProcess(const std::string &program, const std::vector<std::string> &args,
                                const std::vector<std::string> &environment = {})
{
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::close(out[0]);
        ::close(err[0]);
        ::close(out[1]);
        ::close(err[1]);
        std::vector<std::string> env = environment;
        bool localeGiven = false;
        for (const std::string &e : env)
            localeGiven = localeGiven || e.rfind("LC_", 0) == 0 || e.rfind("LANG=", 0) == 0;
        if (!localeGiven)
            env.push_back("LC_ALL=C");
        for (char **e = environ; *e; ++e) {
            const std::string entry = *e;
            if (entry.rfind("LC_", 0) != 0 && entry.rfind("LANG=", 0) != 0)
                env.push_back(entry);
        }
        std::vector<char *> argv{const_cast<char *>(program.c_str())};
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<char *> envp;
        for (std::string &e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    ProcessResult result;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string *sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buf[65536];
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    return result;
}

// The number after "key": in a JSON text, NaN when it is missing.
inline double jsonNumber(const std::string &json, const std::string &key)
{
    const std::size_t at = json.find("\"" + key + "\": ");
    double v = std::nan("");
    if (at != std::string::npos)
        std::from_chars(json.data() + at + key.size() + 4, json.data() + json.size(), v);
    return v;
}

// The parts that `text` does not hold, each on a line of its own: "" when
// it holds them all.
inline std::string missing(const std::string &text, const std::vector<std::string> &parts)
{
    std::string out;
    for (const std::string &part : parts)
        if (text.find(part) == std::string::npos)
            out += part + "\n";
    return out;
}

#ifdef SCREENFILTER_CLI
inline ProcessResult cli(const std::vector<std::string> &args, const std::vector<std::string> &environment = {})
{
    return runProcess(SCREENFILTER_CLI, args, environment);
}
#endif

} // namespace sf::test
