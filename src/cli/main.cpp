// screenfilter-cli: case files, batch runs, sweeps, tables and plots on the
// same core as the window.

#include "Common.h"
#include "InitCommand.h"
#include "LifeCommand.h"
#include "MeltFitCommand.h"
#include "RunCommand.h"
#include "SolveCommand.h"
#include "SweepCommand.h"
#include "io/FileSignals.h"
#include "plot/PlotApplication.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef SCREENFILTER_VERSION
#error "SCREENFILTER_VERSION is the project's version"
#endif

int main(int argc, char **argv)
{
    using namespace sf;
    // A write into a pipe whose reader has gone, or past the file-size
    // limit, is an error to report, not a reason to die with half a file.
    ignoreFileSignals();

    // Plots are drawn without a display. Qt's notes about the platform (no
    // runtime directory and the like) are not the user's business; its
    // critical messages are said on standard error as the program's own.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_LOGGING_RULES", "*.debug=false;*.info=false;*.warning=false", 1);
    setenv("QT_MESSAGE_PATTERN", "screenfilter-cli: %{message}", 1);
    setenv("QT_FORCE_STDERR_LOGGING", "1", 1);
    PlotApplication plots(argc, argv);

    CLI::App app{"Pressure drop of a polymer melt through a screen pack: case files, runs, sweeps, plots, limits, "
                 "melts from data sheets and pack life from pressure logs.",
                 "screenfilter-cli"};
    app.set_version_flag("--version", "screenfilter-cli " SCREENFILTER_VERSION);
    app.require_subcommand(1);
    app.footer("Exit status: 0 all good, 1 some case was rejected or failed, 2 usage or file error.");

    int exitCode = Success;
    setupInit(app, exitCode);
    setupRun(app, exitCode, plots);
    setupSweep(app, exitCode, plots);
    setupMelt(app, exitCode, plots);
    setupSolve(app, exitCode);
    setupLife(app, exitCode, plots);

    // CLI11 would only say that a subcommand is required.
    if (argc > 1 && argv[1][0] != '-') {
        bool known = false;
        for (const CLI::App *sub : app.get_subcommands({}))
            known = known || sub->get_name() == argv[1];
        if (!known) {
            std::fprintf(stderr,
                         "screenfilter-cli: unknown command '%s': init, run, sweep, solve, melt or life (--help says more)\n",
                         argv[1]);
            return UsageOrFileError;
        }
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        const int code = app.exit(e);
        return code == 0 ? Success : UsageOrFileError;
    }
    return exitCode;
}
