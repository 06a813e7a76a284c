#pragma once

// screenfilter-cli run: each case computed and its report written, as OK in
// the window does.

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace sf {

class PlotApplication;

struct RunOptions {
    std::vector<std::string> cases;
    std::optional<std::string> outputDir;
    std::optional<std::string> output; // "-" for standard output
    std::optional<std::string> decimalSeparator;
    bool noCheck = false; // compute what the window computes; findings are only said
    bool strict = false;  // warnings refuse a case too
    std::string format = "text"; // "json": each screen's details, to standard output or -o; "pdf": a page each
    std::string units = "kgf/cm2"; // of the pressure drops in JSON and on the page
    std::optional<std::string> paper; // "a4" or "letter"; the locale's without it
    bool allowOutside = false; // a case's report may leave its folder
    bool verbose = false;      // say notes too (screens listed past the count, ...)
};

// Adds the subcommand to `app`; when it runs, its exit code goes to `exitCode`.
CLI::App *setupRun(CLI::App &app, int &exitCode, PlotApplication &plots);

// `plots` draws the pages of --format pdf.
int runRun(const RunOptions &options, PlotApplication &plots);

} // namespace sf
