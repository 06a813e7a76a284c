#include "InitCommand.h"

#include "Common.h"
#include "cases/CaseFile.h"
#include "io/WholeFile.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <memory>

namespace sf {

CLI::App *setupInit(CLI::App &app, int &exitCode)
{
    auto options = std::make_shared<InitOptions>();
    CLI::App *cmd = app.add_subcommand("init", "Write the window's worked example as a commented case file.");
    cmd->add_option("FILE", options->file, "The case file to write (standard output without)");
    cmd->add_flag("--force", options->force, "Replace FILE if it exists");
    cmd->callback([options, &exitCode] { exitCode = runInit(*options); });
    return cmd;
}

int runInit(const InitOptions &options)
{
    namespace fs = std::filesystem;
    const std::string text = formatCaseFile(FieldTexts::defaults());
    const std::string path = options.file.value_or("-");
    if (path != "-" && !options.force && fs::exists(fs::symlink_status(path))) {
        complain(path + ": exists already (--force replaces it)");
        return UsageOrFileError;
    }
    if (path != "-") {
        // Whole or not at all, like a case the window saves.
        FileCalls system;
        if (const WriteResult r = writeWholeFile(path, text, system); !r.ok()) {
            complain(writeFailureText(path, r));
            return UsageOrFileError;
        }
        return Success;
    }
    return writeOutput(path, text) ? Success : UsageOrFileError;
}

} // namespace sf
