#include "RunCommand.h"

#include "Common.h"
#include "export/CaseJson.h"
#include "export/CasePage.h"
#include "export/FileSink.h"
#include "io/OutputPaths.h"
#include "io/WholeFile.h"
#include "plot/PlotApplication.h"
#include "run/CasePoint.h"
#include "run/CaseRun.h"
#include "run/CaseVerdict.h"
#include "run/InOrder.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <thread>
#include <unistd.h>

#ifndef SCREENFILTER_VERSION
#error "SCREENFILTER_VERSION is the project's version"
#endif

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

// Says the findings of a case; false when it is refused.
bool checkCase(const std::string &file, const FieldTexts &texts, const CasePoint &c, const RunOptions &options)
{
    const CaseVerdict verdict = caseVerdict(file, texts, c, {options.noCheck, options.strict, options.verbose});
    for (const std::string &line : verdict.lines)
        complain(line);
    return !verdict.refused;
}

std::optional<PressureUnit> unitArgument(const std::string &name)
{
    // The window writes kgf/cm²; either spelling is taken.
    const std::optional<PressureUnit> unit = pressureUnitNamed(name == "kgf/cm²" ? "kgf/cm2" : name);
    if (!unit)
        complain("--units: kgf/cm2, bar, MPa or psi, not " + name);
    return unit;
}

// "2026-12-07 14:05", the local time now.
std::string localDateTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[32] = "";
    if (::localtime_r(&now, &local))
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

// A case's name on its page: its file's name without the suffix.
std::string caseName(const std::string &path)
{
    const fs::path p(path);
    return p.stem().empty() ? p.filename().string() : p.stem().string();
}

struct ComputedPage {
    CasePoint point;
    CasePage page;
};

// One page per case, each written whole: computed on every core, drawn in
// turn here, on the thread Qt lives on.
int runPdf(const RunOptions &options, const PressureUnit &unit, PlotApplication &plots)
{
    if (options.decimalSeparator) {
        complain("--decimal-separator: the page's numbers always have \".\", as the JSON details do");
        return UsageOrFileError;
    }
    if (options.output && *options.output == "-") {
        complain("--format pdf writes files: -o FILE.pdf or --output-dir DIR");
        return UsageOrFileError;
    }
    if (options.output && options.cases.size() != 1) {
        complain("-o takes the page of one case; for several, use --output-dir");
        return UsageOrFileError;
    }
    Paper paper = localePaper();
    if (options.paper)
        paper = *options.paper == "letter" ? Paper::Letter : Paper::A4;
    if (options.outputDir && !checkOutputDir(*options.outputDir))
        return UsageOrFileError;
    const std::optional<std::vector<CaseContent>> cases = readCases(options.cases);
    if (!cases)
        return UsageOrFileError;

    std::vector<std::string> targets;
    std::vector<PlannedOutput> outputs;
    for (const std::string &path : options.cases) {
        const fs::path name = caseName(path) + ".pdf";
        targets.push_back(options.output      ? *options.output
                          : options.outputDir ? (fs::path(*options.outputDir) / name).string()
                                              : (fs::path(path).parent_path() / name).string());
        outputs.push_back({targets.back(), path + "'s page " + targets.back()});
    }
    if (!outputsStandApart(options.cases, outputs))
        return UsageOrFileError;
    // A page goes into a file: never into a pipe that could keep the run
    // waiting, nor a device; refused before anything is computed.
    for (const std::string &target : targets) {
        std::error_code ec;
        const fs::file_status status = fs::status(target, ec);
        if (!ec && fs::exists(status) && !fs::is_regular_file(status)) {
            complain(target + ": " + (fs::is_directory(status) ? "a folder" : "not a regular file") +
                     "; a page is written into a file");
            return UsageOrFileError;
        }
        const fs::path folder = fs::path(target).parent_path();
        if (!folder.empty() && !options.outputDir && !checkOutputDir(folder.string()))
            return UsageOrFileError;
    }

    const std::string dateTime = localDateTime();
    const std::string program = "screenfilter-cli " SCREENFILTER_VERSION;
    int exit = Success;
    computeInOrder(
        options.cases.size(), std::max(1u, std::thread::hardware_concurrency()),
        [&](std::size_t i) {
            const CaseContent &content = (*cases)[i];
            std::error_code ec;
            const fs::path absolute = fs::absolute(options.cases[i], ec);
            CasePageRequest request{caseName(options.cases[i]), ec ? options.cases[i] : absolute.lexically_normal().string(),
                                    content, '.', unit, dateTime, program};
            return ComputedPage{evaluateCase(content.texts, '.', validityRangeOf(content)), casePage(request)};
        },
        [&](std::size_t i, ComputedPage computed) {
            if (!checkCase(options.cases[i], (*cases)[i].texts, computed.point, options)) {
                exit = std::max<int>(exit, CaseFailed);
                return;
            }
            if (!computed.page.ok()) {
                complain(options.cases[i] + ": " + computed.page.problem);
                exit = std::max<int>(exit, CaseFailed);
                return;
            }
            std::string pdf;
            if (const std::string error = plots.drawPage(computed.page.page, paper, pdf); !error.empty()) {
                complain(options.cases[i] + ": " + error);
                exit = std::max<int>(exit, CaseFailed);
                return;
            }
            if (const WriteResult r = replaceRegularFile(targets[i], pdf); !r.ok()) {
                complain(writeFailureText(targets[i], r));
                exit = UsageOrFileError;
            }
        });
    return exit;
}

// The cases' details as one JSON document: an object for one case, an
// array of them for several.
int runJson(const RunOptions &options, const PressureUnit &unit)
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
                                               validityRangeOf((*cases)[i]), unit);
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

CLI::App *setupRun(CLI::App &app, int &exitCode, PlotApplication &plots)
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
                    "text (default: the report), json (each screen's details, to standard output or -o FILE) or "
                    "pdf (a page per case for the line log: CASE.pdf next to it, in --output-dir, or -o FILE.pdf)")
        ->check(CLI::IsMember({"text", "json", "pdf"}));
    cmd->add_option("--units", options->units,
                    "Unit of the pressure drops in json and pdf: kgf/cm2 (default), bar, MPa or psi");
    cmd->add_option("--paper", options->paper, "Paper of the pdf pages: a4 or letter (default: the locale's, else a4)")
        ->check(CLI::IsMember({"a4", "letter"}));
    cmd->add_flag("--allow-outside", options->allowOutside,
                  "Write a report whose name in the case file is absolute or leaves the case's folder");
    cmd->add_flag("-v,--verbose", options->verbose,
                  "Say notes too, such as screen rows listed past the number of screens in use");
    cmd->callback([options, &exitCode, &plots] { exitCode = runRun(*options, plots); });
    return cmd;
}

int runRun(const RunOptions &options, PlotApplication &plots)
{
    if (options.format != "text" || options.units != "kgf/cm2") {
        const std::optional<PressureUnit> unit = unitArgument(options.units);
        if (!unit)
            return UsageOrFileError;
        if (options.format == "json")
            return runJson(options, *unit);
        if (options.format == "pdf")
            return runPdf(options, *unit, plots);
        // The report's pressures are in kgf/cm2, as the window writes them.
        complain("--units: the report is always in kgf/cm2; --format json or pdf gives other units");
        return UsageOrFileError;
    }
    if (options.paper) {
        complain("--paper: only --format pdf is printed on paper");
        return UsageOrFileError;
    }
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
        if (!checkCase(options.cases[i], (*cases)[i].texts, c, options)) {
            exit = std::max<int>(exit, CaseFailed);
            continue;
        }
        std::string failure;
        const ReportStep step = toStandardOutput
                                    ? reportToDescriptor(STDOUT_FILENO, *separator, "standard output", failure)
                                    : reportToFile(targets[i].string(), *separator, failure);
        const RunOutcome outcome = reportPoint(c.point, c.computed, c.total, step);
        if (toStandardOutput && !failure.empty()) {
            // The output is to blame: a reader that went away, as `| head` does.
            complain(options.cases[i] + ": " + failure);
            exit = UsageOrFileError;
        } else if (outcome.kind == RunOutcome::Kind::CannotCreate) {
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
