#include "Commands.h"

#include "Output.h"
#include "Sweep.h"
#include "SweepRun.h"
#include "calc/CaseFile.h"
#include "calc/DecimalSeparator.h"
#include "calc/InputFields.h"
#include "calc/ShortString.h"
#include "io/TextFile.h"
#include "io/WholeFile.h"
#include "plot/Plot.h"
#include "report/ReportWriter.h"
#include "run/CaseRun.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <langinfo.h>
#include <locale.h>
#include <set>
#include <thread>
#include <unistd.h>

namespace sf::cli {

namespace fs = std::filesystem;

namespace {

void complain(const std::string &message)
{
    std::cerr << message << '\n';
}

// Reads every case file before anything runs; nullopt after saying why.
std::optional<std::vector<FieldTexts>> readCases(const std::vector<std::string> &paths)
{
    std::vector<FieldTexts> cases;
    try {
        for (const std::string &path : paths)
            cases.push_back(readCaseFile(path));
    } catch (const CaseFileError &e) {
        complain(e.what());
        return std::nullopt;
    }
    return cases;
}

std::optional<char> separatorArgument(const std::optional<std::string> &given)
{
    if (!given)
        return localeSeparator();
    if (given->size() != 1 || usableSeparator((*given)[0]) != (*given)[0]) {
        complain("--decimal-separator: one character that is no digit, sign, blank or exponent letter, such as . or ,");
        return std::nullopt;
    }
    return (*given)[0];
}

// Where a case's report goes when neither -o nor --output-dir says.
fs::path reportPath(const std::string &casePath, const FieldTexts &texts, const std::optional<std::string> &outputDir)
{
    // The window takes at most 255 bytes of the name; so does a case file.
    const fs::path name = ShortString(texts[SaveFileNameField]).str();
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

ReportResult writeToStandardOutput(const TFilterCase &c, char separator)
{
    TextFile out;
    out.assign(STDOUT_FILENO);
    WriteReport(c, out, separator);
    return ReportResult::Written;
}

// "280 ℃", "0.4": the second key's value, named in the plot's title.
std::string valueLabel(int field, double value)
{
    const InputField &f = inputField(field);
    std::string label = shortest(value);
    if (!f.unit.empty() && f.unit != "-")
        label += " " + std::string(f.unit);
    return label;
}

std::string fileNameOf(const std::string &path)
{
    const std::string name = fs::path(path).filename().string();
    return name.empty() ? path : name;
}

// A progress line for sweeps that take a while, only for a person at a terminal.
class Progress {
public:
    Progress() : m_enabled(::isatty(STDERR_FILENO) == 1), m_start(Clock::now()), m_last(m_start) {}
    ~Progress()
    {
        if (m_shown)
            std::fputs("\r\033[K", stderr);
    }
    void operator()(std::uint64_t done, std::uint64_t total)
    {
        if (!m_enabled)
            return;
        const auto now = Clock::now();
        if (now - m_start < std::chrono::seconds(1) || now - m_last < std::chrono::milliseconds(200))
            return;
        m_last = now;
        m_shown = true;
        std::fprintf(stderr, "\rsweep: %llu of %llu points (%d%%)", static_cast<unsigned long long>(done),
                     static_cast<unsigned long long>(total), static_cast<int>(100.0 * static_cast<double>(done) / static_cast<double>(total)));
        std::fflush(stderr);
    }

private:
    using Clock = std::chrono::steady_clock;
    bool m_enabled;
    bool m_shown = false;
    Clock::time_point m_start, m_last;
};

} // namespace

char localeSeparator()
{
    locale_t locale = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (!locale)
        return '.';
    const char *point = ::nl_langinfo_l(RADIXCHAR, locale);
    const char c = (point && point[0] && !point[1]) ? point[0] : '.';
    ::freelocale(locale);
    return usableSeparator(c);
}

int initCommand(const InitArgs &args)
{
    const std::string text = formatCaseFile(FieldTexts::defaults());
    const std::string path = args.file.value_or("-");
    if (path != "-" && !args.force && fs::exists(fs::symlink_status(path))) {
        complain(path + ": exists already (--force replaces it)");
        return UsageOrFileError;
    }
    if (path != "-") {
        // Whole or not at all, like a case the window saves.
        if (const int err = replaceWholeFile(path, text); err != 0) {
            complain(systemMessage(path, err));
            return UsageOrFileError;
        }
        return Success;
    }
    try {
        FileSink out(path);
        out.write(text);
        out.close();
    } catch (const std::runtime_error &e) {
        complain(e.what());
        return UsageOrFileError;
    }
    return Success;
}

int runCommand(const RunArgs &args)
{
    const std::optional<char> separator = separatorArgument(args.decimalSeparator);
    if (!separator)
        return UsageOrFileError;
    if (args.output && args.cases.size() != 1) {
        complain("-o takes the report of one case; for several, use --output-dir");
        return UsageOrFileError;
    }
    if (args.outputDir && !checkOutputDir(*args.outputDir))
        return UsageOrFileError;
    const std::optional<std::vector<FieldTexts>> cases = readCases(args.cases);
    if (!cases)
        return UsageOrFileError;

    const bool toStandardOutput = args.output && *args.output == "-";
    std::vector<fs::path> targets;
    std::set<fs::path> seen;
    for (std::size_t i = 0; i < args.cases.size(); ++i) {
        targets.push_back(args.output ? fs::path(*args.output) : reportPath(args.cases[i], (*cases)[i], args.outputDir));
        // Two cases writing one file would lose the first report.
        std::error_code ec;
        const fs::path key = fs::weakly_canonical(targets.back(), ec);
        if (!toStandardOutput && !ec && !seen.insert(key).second) {
            complain(args.cases[i] + ": its report " + targets.back().string() +
                     " is also an earlier case's; give them different [report] files or run them apart");
            return UsageOrFileError;
        }
    }

    int exit = Success;
    for (std::size_t i = 0; i < args.cases.size(); ++i) {
        const std::string target = targets[i].string();
        const RunOutcome outcome = runCase((*cases)[i], '.', [&](const TFilterCase &c) {
            return toStandardOutput ? writeToStandardOutput(c, *separator) : WriteReport(c, target, *separator);
        });
        if (outcome.kind != RunOutcome::Kind::Written) {
            complain(args.cases[i] + ": " + outcome.text);
            exit = CaseFailed;
        }
    }
    return exit;
}

int sweepCommand(const SweepArgs &args)
{
    SweepOptions options;
    try {
        if (args.vary.empty() || args.vary.size() > 2)
            throw UsageError("--vary: one or two keys");
        for (const std::string &spec : args.vary)
            options.vary.push_back(parseVary(spec));
        if (options.vary.size() == 2 && options.vary[0].field == options.vary[1].field)
            throw UsageError("--vary: the two keys name the same field");
    } catch (const UsageError &e) {
        complain(e.what());
        return UsageOrFileError;
    }
    const std::optional<PressureUnit> unit = pressureUnitNamed(args.units);
    if (!unit) {
        complain("--units: kgf/cm2, bar, MPa or psi");
        return UsageOrFileError;
    }
    options.unit = *unit;
    options.format = args.format == "json" ? TableFormat::JsonLines : TableFormat::Csv;
    if (args.plot) {
        const std::string suffix = fs::path(*args.plot).extension().string();
        if (suffix != ".svg" && suffix != ".png") {
            complain(*args.plot + ": a plot is an .svg or a .png file");
            return UsageOrFileError;
        }
    }
    const std::optional<std::vector<FieldTexts>> cases = readCases(args.cases);
    if (!cases)
        return UsageOrFileError;
    for (std::size_t i = 0; i < args.cases.size(); ++i)
        options.cases.push_back({args.cases[i], (*cases)[i]});
    options.threads = args.threads ? args.threads : std::max(1u, std::thread::hardware_concurrency());
    options.keepPlotPoints = args.plot.has_value();
    Progress progress;
    options.progress = [&progress](std::uint64_t done, std::uint64_t total) { progress(done, total); };

    SweepSummary summary;
    try {
        FileSink out(args.output.value_or("-"));
        summary = runSweep(options, out);
        out.close();
    } catch (const std::runtime_error &e) {
        complain(e.what());
        return UsageOrFileError;
    }

    if (args.plot) {
        PlotSpec plot;
        plot.title = "Total pressure drop";
        if (options.vary.size() > 1)
            plot.title += " at each " + fieldTitle(inputField(options.vary[1].field));
        plot.xTitle = fieldTitle(inputField(options.vary[0].field));
        plot.yTitle = "Total pressure drop (" + std::string(options.unit.name) + ")";
        plot.logY = args.logY;
        for (const Curve &curve : summary.curves) {
            PlotLine line;
            line.label = fileNameOf(options.cases[curve.caseIndex].name);
            if (options.vary.size() > 1)
                line.label += ", " + valueLabel(options.vary[1].field, options.vary[1].values[curve.secondValue]);
            line.points = curve.points;
            plot.lines.push_back(std::move(line));
        }
        if (const std::string error = drawPlot(plot, *args.plot); !error.empty()) {
            complain(error);
            return UsageOrFileError;
        }
    }
    return summary.failed ? CaseFailed : Success;
}

} // namespace sf::cli
