#include "LifeCommand.h"

#include "Common.h"
#include "export/LifeAnswer.h"
#include "io/WholeFile.h"
#include "life/LifeAnalysis.h"
#include "plot/PlotApplication.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <memory>

namespace sf {

namespace {

// "250bar", "250 bar", and with `bare` a number alone in `unit`; nullopt
// after saying why not.
std::optional<double> pressureOption(const std::string &option, const std::string &text, const PressureUnit &unit,
                                     bool bare)
{
    const std::optional<GivenPressure> given = readGivenPressure(text, bare);
    if (!given) {
        complain(option + " " + text + ": a pressure with its unit right after the number (kgf/cm2, bar, MPa or psi), "
                                       "such as 250bar" +
                 (bare ? std::string(", or a number in the log's unit") : std::string()));
        return std::nullopt;
    }
    return pressureIn(given->value, given->unit.value_or(unit), unit);
}

} // namespace

CLI::App *setupLife(CLI::App &app, int &exitCode, PlotApplication &plots)
{
    auto options = std::make_shared<LifeCommandOptions>();
    CLI::App *cmd = app.add_subcommand(
        "life", "From the line's pressure log, when the screens must be changed: the blocking laws fitted to the "
                "drop since the last screen change, and when the best of them reaches the limit.");
    cmd->add_option("LOG", options->log,
                    "CSV of readings: a header naming time (with its unit: s, min, h or d) or timestamp (ISO 8601), "
                    "and pressure, or pressure_before and pressure_after (with the unit: bar, MPa, psi or "
                    "kgf/cm2); ',' ';' or tab between values, decimal commas with ';' or tab")
        ->required();
    cmd->add_option("--limit", options->limit,
                    "The drop at which the screens are changed, with its unit right after the number: 250bar")
        ->required();
    cmd->add_option("--format", options->format, "text (default) or json")->check(CLI::IsMember({"text", "json"}));
    cmd->add_option("--plot", options->plot,
                    "Draw the readings, each law's curve, the limit and the predicted change into FILE.svg or "
                    "FILE.png");
    cmd->add_option("--case", options->caseFile,
                    "A case file of this pack: its clean-pack drop by the model beside the log's P0");
    cmd->add_option("--pressure-unit", options->pressureUnit,
                    "The log's pressure unit when its header gives none: kgf/cm2, bar, MPa or psi")
        ->check(CLI::IsMember({"kgf/cm2", "bar", "MPa", "psi"}));
    cmd->add_option("--pressure-after", options->pressureAfter,
                    "The pressure behind the pack, taken from a one-column log's pressure to give the drop: a "
                    "number in the log's unit, or with its unit (12bar); default 0");
    cmd->add_option("--since", options->since,
                    "Fit only the readings from this time of the log on (a number in its unit, or an ISO 8601 "
                    "time for a log of timestamps), as after a screen change the log does not show");
    cmd->footer("Exit status: 0 answered, 1 the log gives no change time (the pressure does not rise, the limit is "
                "passed, no law fits), 2 a bad log, case file or option; nothing is written unless it is 0.");
    cmd->callback([options, &exitCode, &plots] { exitCode = runLife(*options, plots); });
    return cmd;
}

int runLife(const LifeCommandOptions &o, PlotApplication &plots)
{
    if (o.plot) {
        const std::string suffix = std::filesystem::path(*o.plot).extension().string();
        if (suffix != ".svg" && suffix != ".png") {
            complain(*o.plot + ": a plot is an .svg or a .png file");
            return UsageOrFileError;
        }
    }
    std::vector<std::string> inputs{o.log};
    if (o.caseFile)
        inputs.push_back(*o.caseFile);
    std::vector<PlannedOutput> outputs;
    if (o.plot)
        outputs.push_back({*o.plot, "the plot " + *o.plot});
    if (!outputsStandApart(inputs, outputs, "an input"))
        return UsageOrFileError;

    PressureLog log;
    try {
        log = readPressureLog(o.log, o.pressureUnit ? pressureUnitNamed(*o.pressureUnit) : std::nullopt);
    } catch (const LogFileError &e) {
        for (const std::string &problem : e.problems())
            complain(problem);
        return UsageOrFileError;
    }
    const std::optional<double> limit = pressureOption("--limit", o.limit, log.pressureUnit, false);
    if (!limit)
        return UsageOrFileError;
    if (!(*limit > 0)) {
        complain("--limit " + o.limit + ": a pressure above zero");
        return UsageOrFileError;
    }
    LifeSettings settings;
    settings.logName = o.log;
    settings.limit = *limit;
    if (o.pressureAfter) {
        if (!log.after.empty()) {
            complain("--pressure-after: " + o.log + " has pressure_after of its own");
            return UsageOrFileError;
        }
        settings.pressureAfter = pressureOption("--pressure-after", *o.pressureAfter, log.pressureUnit, true);
        if (!settings.pressureAfter)
            return UsageOrFileError;
    }
    if (o.since) {
        settings.since = logTimeOf(*o.since, log);
        if (!settings.since) {
            complain("--since " + *o.since + ": " + logTimeHint(log));
            return UsageOrFileError;
        }
    }

    LifeAnalysis analysis;
    try {
        analysis = analyseLife(std::move(log), settings);
    } catch (const LifeError &e) {
        complain(e.what());
        return e.badLog() ? UsageOrFileError : CaseFailed;
    }

    std::optional<LifeCaseComparison> model;
    if (o.caseFile) {
        const std::optional<std::vector<CaseContent>> cases = readCases({*o.caseFile});
        if (!cases)
            return UsageOrFileError;
        std::string why;
        const std::optional<double> clean = cleanPackDrop(cases->front().texts, '.', validityRangeOf(cases->front()),
                                                          analysis.log.pressureUnit, why);
        if (!clean) {
            complain(*o.caseFile + ": the case does not compute: " + why);
            return CaseFailed;
        }
        model = LifeCaseComparison{*o.caseFile, *clean};
    }

    std::string picture;
    if (o.plot) {
        if (const std::string error = plots.draw(lifePlot(analysis, fileNameOf(o.log)), *o.plot, picture); !error.empty()) {
            complain(error);
            return UsageOrFileError;
        }
    }
    // The plot is made ready before standard output is written, and put in
    // place after: a failure on the way writes nothing.
    FileCalls system;
    SaveFile plotFile(system);
    if (o.plot) {
        WriteResult r = plotFile.open(*o.plot);
        if (r.ok())
            r = plotFile.write(picture);
        if (r.ok())
            r = plotFile.prepare();
        if (!r.ok()) {
            complain(writeFailureText(*o.plot, r));
            return UsageOrFileError;
        }
    }
    if (!writeOutput("-", o.format == "json" ? lifeJson(analysis, model) : lifeText(analysis, o.log, model)))
        return UsageOrFileError;
    if (o.plot)
        if (const WriteResult r = plotFile.commit(); !r.ok()) {
            complain(writeFailureText(*o.plot, r));
            return UsageOrFileError;
        }
    return Success;
}

} // namespace sf
