#pragma once

// screenfilter-cli sweep: a grid of points over one or two keys of each
// case, as a table and optionally a plot.

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace sf {

struct SweepCommandOptions {
    std::vector<std::string> cases;
    std::vector<std::string> vary;
    std::string format = "csv";
    std::optional<std::string> output;
    std::string units = "kgf/cm2";
    std::optional<std::string> plot;
    bool logY = false;
    unsigned threads = 0; // 0: one per core
};

// Adds the subcommand to `app`; when it runs, its exit code goes to `exitCode`.
CLI::App *setupSweep(CLI::App &app, int &exitCode);

int runSweepCommand(const SweepCommandOptions &options);

} // namespace sf
