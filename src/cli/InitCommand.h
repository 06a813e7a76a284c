#pragma once

// screenfilter-cli init: the window's worked example as a commented case file.

#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace sf {

struct InitOptions {
    std::optional<std::string> file; // standard output without
    bool force = false;              // replace an existing file
};

// Adds the subcommand to `app`; when it runs, its exit code goes to `exitCode`.
CLI::App *setupInit(CLI::App &app, int &exitCode);

int runInit(const InitOptions &options);

} // namespace sf
