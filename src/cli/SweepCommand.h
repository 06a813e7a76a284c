#pragma once

// screenfilter-cli sweep: a grid of points over one or two keys of each
// case, as a table and optionally a plot.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace sf {

class PlotApplication;

// Ten million rows of CSV are about a gigabyte: more is rarely meant.
constexpr std::uint64_t DefaultMaxPoints = 10'000'000;

struct SweepCommandOptions {
    std::vector<std::string> cases;
    std::vector<std::string> vary; // none: each case's study chart
    std::string format = "csv"; // csv, json (JSON Lines) or xlsx
    std::optional<std::string> output;
    std::vector<std::string> columns; // "details", "inputs"
    std::string header = "plain";     // or "units"
    std::optional<std::string> decimalSeparator; // "." or ","
    int digits = 0;                   // 0: shortest exact
    std::optional<std::string> units; // default kgf/cm2, or the study's unit when its chart is swept
    std::optional<std::string> plot;
    std::optional<std::string> limit; // "total=150bar", "drop.3=20psi"; with a plot of the study's chart, its limit
    bool logY = false;
    unsigned threads = 0; // 0: one per core
    bool noCheck = false; // points that make no physical sense are computed, not refused
    std::uint64_t maxPoints = DefaultMaxPoints;
};

// Adds the subcommand to `app`; when it runs, its exit code goes to
// `exitCode`. A plot is drawn with `plots`.
CLI::App *setupSweep(CLI::App &app, int &exitCode, PlotApplication &plots);

int runSweepCommand(const SweepCommandOptions &options, PlotApplication &plots);

} // namespace sf
