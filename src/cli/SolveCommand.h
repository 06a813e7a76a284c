#pragma once

// screenfilter-cli solve: the value of one key of each case at which a
// pressure limit is just reached.

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace sf {

struct SolveCommandOptions {
    std::vector<std::string> cases;
    // Empty: each case's [study] gives it.
    std::string find;                 // the key: flow_rate, temperature, screens.3.wire, ...
    std::string limit;                // "total=150bar", "drop.3=20psi"
    std::optional<std::string> range; // "FROM:TO"; default: around each case's value
    std::string format = "text";      // or "json"
};

// Adds the subcommand to `app`; when it runs, its exit code goes to `exitCode`.
CLI::App *setupSolve(CLI::App &app, int &exitCode);

int runSolveCommand(const SolveCommandOptions &options);

} // namespace sf
