#include "RunCommand.h"

#include "Common.h"
#include "export/CaseJson.h"
#include "export/FileSink.h"
#include "io/OutputPaths.h"
#include "run/CasePoint.h"
#include "run/CaseRun.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace sf {

namespace fs = std::filesystem;

namespace {

// Where a case's report goes when neither -o nor --output-dir says.
fs::path reportPath(const std::string &casePath, const FieldTexts &texts, const std::optional<std::string> &outputDir)
{
    const fs::path name = reportFileNameOf(texts);
    if (outputDir)
        return fs::path(*outputDir) / name.filename();
    return fs::path(casePath).parent_path() / name;
}

bool checkOutputDir(const std::string &dir)
{
    std::error_code ec;
    const fs::file_status status = fs::status(dir, ec);
    if (ec) {
        complain(systemMessage(dir, ec.value()));
        return false;
    }
    if (!fs::is_directory(status)) {
        complain(dir + ": not a directory");
        return false;
    }
    if (::access(dir.c_str(), W_OK) != 0) {
        complain(systemMessage(dir, errno));
        return false;
    }
    return true;
}

// "FILE: KEY: sentence", with the window's words in brackets when the window
// would refuse the case too.
std::string refusal(const std::string &file, const Finding &f, const PointResult &point)
{
    std::string line = file + ": " + f.key + ": " + f.sentence;
    if (!point.ok())
        line += " [" + point.message + "]";
    return line;
}

// Says the findings of a case; false when it is refused.
bool checkCase(const std::string &file, const CasePoint &c, const RunOptions &options)
{
    const PointResult &point = c.point;
    const std::vector<Finding> &findings = c.findings;
    const bool refuse = std::any_of(findings.begin(), findings.end(), [&](const Finding &f) {
        return f.severity == Severity::Error || (options.strict && f.severity == Severity::Warning);
    });
    if (!options.noCheck && refuse) {
        for (const Finding &f : findings)
            if (f.severity == Severity::Error || (options.strict && f.severity == Severity::Warning))
                complain(refusal(file, f, point));
        return false;
    }
    // The arithmetic stopped where no check of the inputs saw a reason.
    if (c.fault) {
        complain(refusal(file, *c.fault, point));
        return false;
    }
    for (const Finding &f : findings) {
        const bool asWarning = f.severity != Severity::Note;
        complain(file + ": " + (asWarning ? "warning" : "note") + ": " + f.key + ": " + f.sentence);
    }
    return true;
}

// The cases' details as one JSON document: an object for one case, an
// array of them for several.
int runJson(const RunOptions &options)
{
    if (options.outputDir) {
        complain("--format json writes to standard output or to -o FILE, not into --output-dir");
        return UsageOrFileError;
    }
    if (options.decimalSeparator) {
        complain("--decimal-separator: JSON numbers always have \".\"");
        return UsageOrFileError;
    }
    const std::optional<std::vector<CaseContent>> cases = readCases(options.cases);
    if (!cases)
        return UsageOrFileError;
    if (options.output && !outputsStandApart(options.cases, {{*options.output, "the details " + *options.output}}))
        return UsageOrFileError;
    const bool several = options.cases.size() > 1;
    std::string document = several ? "[\n  " : "";
    int exit = Success;
    for (std::size_t i = 0; i < options.cases.size(); ++i) {
        const CaseJson json = caseDetailsJson(options.cases[i], (*cases)[i].texts, '.', several ? "  " : "",
                                               validityRangeOf((*cases)[i]));
        if (json.status != PointStatus::Ok) {
            complain(options.cases[i] + ": " + json.message);
            exit = CaseFailed;
        }
        document += json.text;
        document += i + 1 < options.cases.size() ? ",\n  " : "";
    }
    document += several ? "\n]\n" : "\n";
    return writeOutput(options.output.value_or("-"), document) ? exit : UsageOrFileError;
}

} // namespace

CLI::App *setupRun(CLI::App &app, int &exitCode)
{
    auto options = std::make_shared<RunOptions>();
    CLI::App *cmd = app.add_subcommand("run", "Compute each case and write its report, as OK in the window does.");
    cmd->add_option("CASE", options->cases, "Case files (.sfcase or .toml)")->required();
    auto *outDir = cmd->add_option("--output-dir", options->outputDir,
                                   "Write the reports into DIR (default: next to each case file)");
    cmd->add_option("-o,--output", options->output, "Write the one case's report, or the JSON document, to FILE; - for standard output")
        ->excludes(outDir);
    cmd->add_option("--decimal-separator", options->decimalSeparator,
                    "Decimal separator of the report (default: the locale's, as in the window)");
    cmd->add_flag("--no-check", options->noCheck,
                  "Compute cases that make no physical sense exactly as the window does; say the findings as warnings");
    cmd->add_flag("--strict", options->strict, "Refuse a case with any warning too");
    cmd->add_option("--format", options->format,
                    "text (default: the report) or json (each screen's details, to standard output or -o FILE)")
        ->check(CLI::IsMember({"text", "json"}));
    cmd->add_flag("--allow-outside", options->allowOutside,
                  "Write a report whose name in the case file is absolute or leaves the case's folder");
    cmd->callback([options, &exitCode] { exitCode = runRun(*options); });
    return cmd;
}

int runRun(const RunOptions &options)
{
    if (options.format == "json")
        return runJson(options);
    const std::optional<char> separator = separatorArgument(options.decimalSeparator);
    if (!separator)
        return UsageOrFileError;
    if (options.output && options.cases.size() != 1) {
        complain("-o takes the report of one case; for several, use --output-dir");
        return UsageOrFileError;
    }
    if (options.outputDir && !checkOutputDir(*options.outputDir))
        return UsageOrFileError;
    const std::optional<std::vector<CaseContent>> cases = readCases(options.cases);
    if (!cases)
        return UsageOrFileError;

    const bool toStandardOutput = options.output && *options.output == "-";
    std::vector<fs::path> targets;
    std::vector<PlannedOutput> outputs;
    for (std::size_t i = 0; i < options.cases.size(); ++i) {
        const std::string name = reportFileNameOf((*cases)[i].texts);
        // A case received from someone else must not write over whatever
        // its name points to: only -o, --output-dir or the user says so.
        if (!options.output && !options.outputDir && !options.allowOutside && leavesFolder(name)) {
            // A case named without a folder has an empty parent, which
            // fs::absolute refuses: the case's own path gives its folder.
            const std::string folder = fs::absolute(options.cases[i]).parent_path().string();
            complain(options.cases[i] + ": its report " + placeInFolder(folder, name) +
                     " is outside the case's folder; -o, --output-dir or --allow-outside writes it there");
            return UsageOrFileError;
        }
        targets.push_back(options.output ? fs::path(*options.output)
                                         : reportPath(options.cases[i], (*cases)[i].texts, options.outputDir));
        outputs.push_back({toStandardOutput ? "-" : targets.back().string(),
                           options.cases[i] + "'s report " + targets.back().string()});
    }
    if (!outputsStandApart(options.cases, outputs))
        return UsageOrFileError;

    int exit = Success;
    for (std::size_t i = 0; i < options.cases.size(); ++i) {
        const CasePoint c = evaluateCase((*cases)[i].texts, '.', validityRangeOf((*cases)[i]));
        if (!checkCase(options.cases[i], c, options)) {
            exit = std::max<int>(exit, CaseFailed);
            continue;
        }
        std::string failure;
        const ReportStep step = toStandardOutput ? reportToDescriptor(STDOUT_FILENO, *separator)
                                                 : reportToFile(targets[i].string(), *separator, failure);
        const RunOutcome outcome = reportPoint(c.point, c.computed, c.total, step);
        if (outcome.kind == RunOutcome::Kind::CannotCreate) {
            // The output is to blame, not the case; the earlier file is left.
            complain(failure.empty() ? targets[i].string() + ": the report cannot be created there [" + outcome.text + "]"
                                     : failure);
            exit = UsageOrFileError;
        } else if (outcome.kind != RunOutcome::Kind::Written) {
            complain(options.cases[i] + ": " + outcome.text);
            exit = std::max<int>(exit, CaseFailed);
        }
    }
    return exit;
}

} // namespace sf
