#pragma once

// Faults on purpose: floating-point faults of the calculation, and file
// system failures that a test cannot get from a path alone.

#include "calc/Errors.h"
#include "support/OpenFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sf::test {

enum class Fault { ZeroDivide, InvalidOp, Overflow };

// f ends with the floating-point fault `fault`, and with no other error.
inline void expectFault(Fault fault, const std::function<void()> &f)
{
    switch (fault) {
    case Fault::ZeroDivide:
        EXPECT_THROW(f(), ZeroDivideError);
        break;
    case Fault::InvalidOp:
        EXPECT_THROW(f(), InvalidOpError);
        break;
    case Fault::Overflow:
        EXPECT_THROW(f(), OverflowError);
        break;
    }
}

// Runs f in a child process whose files may not grow beyond `bytes`, with
// SIGPIPE and SIGXFSZ at their defaults, which end a process, and returns
// what f returned, or -1 when the child did not end normally (a signal).
// Files the child wrote stay for the parent to look at.
inline int inChild(rlim_t bytes, const std::function<int()> &f)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::signal(SIGPIPE, SIG_DFL);
        std::signal(SIGXFSZ, SIG_DFL);
        struct rlimit limit;
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = bytes;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(126);
        ::_exit(f());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// inChild with SIGXFSZ ignored there, so a write past `bytes` fails with EFBIG.
inline int inChildWithFileSizeLimit(rlim_t bytes, const std::function<int()> &f)
{
    return inChild(bytes, [&f] {
        std::signal(SIGXFSZ, SIG_IGN);
        return f();
    });
}

} // namespace sf::test
