// screenfilter-cli: case files, batch runs, sweeps, tables and plots on the
// same core as the window.

#include "Commands.h"
#include "io/FileSignals.h"

#include <CLI/CLI.hpp>

#include <cstdio>

#ifndef SCREENFILTER_VERSION
#error "SCREENFILTER_VERSION is the project's version"
#endif

int main(int argc, char **argv)
{
    using namespace sf::cli;
    // A write into a pipe whose reader has gone, or past the file-size
    // limit, is an error to report, not a reason to die with half a file.
    sf::ignoreFileSignals();

    CLI::App app{"Pressure drop of a polymer melt through a screen pack: case files, runs, sweeps and plots.",
                 "screenfilter-cli"};
    app.set_version_flag("--version", "screenfilter-cli " SCREENFILTER_VERSION);
    app.require_subcommand(1);
    app.footer("Exit status: 0 all good, 1 some case was rejected or failed, 2 usage or file error.");

    InitArgs init;
    CLI::App *initCmd = app.add_subcommand("init", "Write the window's worked example as a commented case file.");
    initCmd->add_option("FILE", init.file, "The case file to write (standard output without)");
    initCmd->add_flag("--force", init.force, "Replace FILE if it exists");

    RunArgs run;
    CLI::App *runCmd = app.add_subcommand("run", "Compute each case and write its report, as OK in the window does.");
    runCmd->add_option("CASE", run.cases, "Case files (.sfcase or .toml)")->required();
    auto *outDir = runCmd->add_option("--output-dir", run.outputDir,
                                      "Write the reports into DIR (default: next to each case file)");
    runCmd->add_option("-o,--output", run.output, "Write the one case's report to FILE, - for standard output")
        ->excludes(outDir);
    runCmd->add_option("--decimal-separator", run.decimalSeparator,
                       "Decimal separator of the report (default: the locale's, as in the window)");

    SweepArgs sweep;
    CLI::App *sweepCmd = app.add_subcommand("sweep", "Compute a grid of points over one or two keys of each case.");
    sweepCmd->add_option("CASE", sweep.cases, "Case files (.sfcase or .toml)")->required();
    sweepCmd->add_option("--vary", sweep.vary,
                         "KEY=FROM:TO:COUNT or KEY=v1,v2,... (once or twice; KEY such as flow_rate, "
                         "process.temperature, screens.3.wire)")
        ->required();
    sweepCmd->add_option("--format", sweep.format, "csv (default) or json (JSON Lines)")
        ->check(CLI::IsMember({"csv", "json"}));
    sweepCmd->add_option("-o,--output", sweep.output, "Write the table to FILE (default: standard output)");
    sweepCmd->add_option("--units", sweep.units, "Pressure unit of table and plot: kgf/cm2 (default), bar, MPa, psi")
        ->check(CLI::IsMember({"kgf/cm2", "bar", "MPa", "psi"}));
    sweepCmd->add_option("--plot", sweep.plot, "Draw total pressure drop against the first key into FILE.svg or FILE.png");
    sweepCmd->add_flag("--log-y", sweep.logY, "Logarithmic pressure axis in the plot");
    sweepCmd->add_option("--threads", sweep.threads, "Threads to compute on (default: one per core)")
        ->check(CLI::Range(1u, 1024u));

    // CLI11 would only say that a subcommand is required.
    const bool known = argc > 1 && (argv[1] == initCmd->get_name() || argv[1] == runCmd->get_name() ||
                                    argv[1] == sweepCmd->get_name());
    if (argc > 1 && argv[1][0] != '-' && !known) {
        std::fprintf(stderr, "screenfilter-cli: unknown command '%s': init, run or sweep (--help says more)\n", argv[1]);
        return UsageOrFileError;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        const int code = app.exit(e);
        return code == 0 ? Success : UsageOrFileError;
    }

    if (*initCmd)
        return initCommand(init);
    if (*runCmd)
        return runCommand(run);
    return sweepCommand(sweep);
}
