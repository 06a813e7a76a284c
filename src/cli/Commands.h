#pragma once

// The subcommands of screenfilter-cli. Each returns the program's exit code:
// 0 all good, 1 some case was rejected or failed, 2 a usage or file error
// (nothing ran, or the output could not be written).

#include <optional>
#include <string>
#include <vector>

namespace sf::cli {

enum ExitCode { Success = 0, CaseFailed = 1, UsageOrFileError = 2 };

// The decimal separator of the user's locale (LC_ALL, LC_NUMERIC, LANG), as
// the window takes it: one ASCII character that can serve, "." otherwise.
char localeSeparator();

struct InitArgs {
    std::optional<std::string> file; // standard output without
    bool force = false;              // replace an existing file
};
int initCommand(const InitArgs &args);

struct RunArgs {
    std::vector<std::string> cases;
    std::optional<std::string> outputDir;
    std::optional<std::string> output; // "-" for standard output
    std::optional<std::string> decimalSeparator;
};
int runCommand(const RunArgs &args);

struct SweepArgs {
    std::vector<std::string> cases;
    std::vector<std::string> vary;
    std::string format = "csv";
    std::optional<std::string> output;
    std::string units = "kgf/cm2";
    std::optional<std::string> plot;
    bool logY = false;
    unsigned threads = 0; // 0: one per core
};
int sweepCommand(const SweepArgs &args);

} // namespace sf::cli
