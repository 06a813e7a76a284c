#pragma once

// screenfilter-cli life: from the line's pressure log, when the screens
// must be changed.

#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace sf {

class PlotApplication;

struct LifeCommandOptions {
    std::string log;                         // the CSV file
    std::string limit;                       // "250bar": the drop at which screens are changed
    std::string format = "text";             // text or json
    std::optional<std::string> plot;         // FILE.svg or FILE.png
    std::optional<std::string> caseFile;     // the model's clean-pack drop beside the log's P0
    std::optional<std::string> pressureUnit; // the log's, when its header gives none
    std::optional<std::string> pressureAfter; // behind the pack, for a one-column log: "12" or "12bar"
    std::optional<std::string> since;         // fit from this time of the log on
};

// Adds "life" to `app`; when it runs, its exit code goes to `exitCode`. A
// plot is drawn with `plots`.
CLI::App *setupLife(CLI::App &app, int &exitCode, PlotApplication &plots);

// 0 answered, 1 the log gives no change time (no rise, the limit passed, no
// law fits), 2 a bad log, case file or option (nothing written).
int runLife(const LifeCommandOptions &options, PlotApplication &plots);

} // namespace sf
