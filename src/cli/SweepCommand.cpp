#include "SweepCommand.h"

#include "Common.h"
#include "calc/InputFields.h"
#include "export/FileSink.h"
#include "export/SweepTable.h"
#include "io/WholeFile.h"
#include "plot/PlotApplication.h"
#include "run/PointEvaluator.h"
#include "run/Limit.h"
#include "run/Solve.h"
#include "run/Study.h"
#include "run/Sweep.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <thread>
#include <unistd.h>

namespace sf {

namespace fs = std::filesystem;

namespace {

// "280 ℃", "0.4": the second key's value, named in the plot's title.
std::string valueLabel(Field field, double value)
{
    const InputField &f = inputField(field);
    std::string label = shortest(value);
    if (!f.unit.empty() && f.unit != "-")
        label += " " + std::string(f.unit);
    return label;
}

// The names of the cases in a legend: the file's name without .sfcase or
// .toml, or, where two would read the same, the path as given without it.
std::vector<std::string> legendNames(const std::vector<SweepCase> &cases)
{
    auto bare = [](const fs::path &path) {
        const std::string ext = path.extension().string();
        return ext == ".sfcase" || ext == ".toml" ? fs::path(path).replace_extension().string() : path.string();
    };
    std::vector<std::string> names;
    for (const SweepCase &c : cases)
        names.push_back(bare(fs::path(fileNameOf(c.name))));
    if (std::set<std::string>(names.begin(), names.end()).size() < names.size())
        for (std::size_t i = 0; i < cases.size(); ++i)
            names[i] = bare(fs::path(cases[i].name));
    return names;
}

PlotSpec plotOf(const SweepOptions &options, const SweepSummary &summary, const std::optional<PressureLimit> &limit,
                bool logY)
{
    PlotSpec plot;
    const std::string unit(options.unit.name);
    const int screen = limit ? limit->screen : 0;
    const std::string what = screen == 0 ? "Total pressure drop" : "Pressure drop across screen " + std::to_string(screen);
    const InputField &first = inputField(options.vary[0].field);
    plot.title = what;
    plot.xTitle = fieldTitle(first);
    plot.xUnit = std::string(first.unit);
    plot.yTitle = what + " (" + unit + ")";
    plot.logY = logY;
    plot.colourGroups = legendNames(options.cases);
    if (options.vary.size() > 1) {
        const Vary &second = options.vary[1];
        plot.title += " at each " + fieldTitle(inputField(second.field));
        for (std::size_t i : options.plotSecondValues) {
            plot.styleGroups.push_back(valueLabel(second.field, second.values[i]));
            plot.styleValues.push_back(second.values[i]);
        }
        plot.styleTitle = fieldTitle(inputField(second.field));
        if (options.plotSecondValues.size() < second.values.size())
            plot.title += ": " + std::to_string(options.plotSecondValues.size()) + " of " +
                          std::to_string(second.values.size()) + " drawn";
    }
    for (const Curve &curve : summary.curves) {
        PlotLine line;
        line.colourGroup = curve.caseIndex;
        const auto &drawn = options.plotSecondValues;
        line.styleGroup = drawn.empty() ? 0
                                        : static_cast<std::size_t>(std::lower_bound(drawn.begin(), drawn.end(), curve.secondValue) -
                                                                   drawn.begin());
        line.points = curve.points;
        line.crossings = curve.crossings;
        plot.lines.push_back(std::move(line));
    }
    if (limit)
        plot.limit = PlotLimit{limit->kgfCm2() * options.unit.perKgfCm2,
                               "limit " + shortest(limit->value) + " " + std::string(limit->unit.name)};
    return plot;
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

// "170 TB": a byte count for people.
std::string aboutBytes(long double bytes)
{
    const char *units[] = {"bytes", "kB", "MB", "GB", "TB", "PB", "EB"};
    std::size_t u = 0;
    while (bytes >= 1000 && u + 1 < std::size(units)) {
        bytes /= 1000;
        ++u;
    }
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.0Lf %s", bytes, units[u]);
    return buf;
}

// Refuses, before anything is computed, a grid larger than `maxPoints` and a
// screen key that no point of the grid uses.
bool checkGrid(const std::vector<Vary> &vary, const std::vector<CaseContent> &cases, std::uint64_t maxPoints)
{
    long double points = static_cast<long double>(cases.size());
    for (const Vary &v : vary)
        points *= static_cast<long double>(v.values.size());
    if (points > static_cast<long double>(maxPoints)) {
        // A CSV row: the case's name, the varied values, the total, twelve
        // drops and the status, some 20 bytes a number.
        const long double row = 40.0L + 20.0L * (static_cast<long double>(vary.size()) + 13);
        char count[32];
        std::snprintf(count, sizeof count, "%.0Lf", points);
        complain("sweep: " + std::string(count) + " points asked for (about " + aboutBytes(points * row) +
                 " of CSV); at most " + std::to_string(maxPoints) + " without --max-points N");
        return false;
    }
    for (const Vary &v : vary) {
        const int screen = inputField(v.field).screen;
        if (screen == 0)
            continue;
        int mostInUse = 0;
        const Vary *count = nullptr;
        for (const Vary &w : vary)
            if (w.field == Field::ScreenCount)
                count = &w;
        if (count) {
            for (double c : count->values)
                mostInUse = std::max(mostInUse, static_cast<int>(std::clamp(c, 0.0, 12.0)));
        } else {
            for (const CaseContent &c : cases)
                mostInUse = std::max(mostInUse, PointEvaluator(c.texts, '.', {}, false).screensInUse({}));
        }
        if (screen > mostInUse) {
            complain("--vary " + v.key + ": screen " + std::to_string(screen) + " is beyond the " +
                     std::to_string(mostInUse) + " screen(s) in use (pack.count) at every point, so it changes nothing");
            return false;
        }
    }
    return true;
}

// What a sweep without --vary computes: the chart of each case's study.
struct StudyGrid {
    std::vector<Vary> vary;                // flow rate, then temperature
    std::optional<std::string> unit;       // the study's, when it names one
    std::optional<std::string> limit;      // likewise

    bool operator==(const StudyGrid &o) const
    {
        auto same = [](const Vary &a, const Vary &b) { return a.field == b.field && a.values == b.values; };
        return vary.size() == o.vary.size() && same(vary[0], o.vary[0]) && same(vary[1], o.vary[1]) &&
               unit == o.unit && limit == o.limit;
    }
};

// The study window's chart of a case: its flow range at as many points as
// the window draws, at each of its temperatures. nullopt after saying why
// the case gives none.
std::optional<StudyGrid> studyGrid(const std::string &name, const CaseContent &content)
{
    const CaseStudy study = content.study.value_or(CaseStudy{});
    std::vector<double> rates, temperatures;
    if (study.flowRateFrom && study.flowRateTo) {
        rates = studyFlowRates(*study.flowRateFrom, *study.flowRateTo);
    } else {
        const std::optional<double> q = caseValueOf(content.texts, '.', Field::FlowRate);
        if (!q || !(*q > 0)) {
            complain(name + ": process.flow_rate: the study's chart runs around it, so it must be a number above 0; "
                            "or give flow_rate_from and flow_rate_to in [study], or --vary");
            return std::nullopt;
        }
        rates = studyFlowRates(*q);
    }
    if (study.temperatures) {
        temperatures = *study.temperatures;
    } else {
        const std::optional<double> t = caseValueOf(content.texts, '.', Field::Temperature);
        if (!t) {
            complain(name + ": process.temperature: the study's chart runs around it, so it must be a number; or "
                            "give temperatures in [study], or --vary");
            return std::nullopt;
        }
        temperatures = {*t - StudyTemperatureStep, *t, *t + StudyTemperatureStep};
    }
    StudyGrid grid;
    grid.vary.push_back({Field::FlowRate, std::string(inputField(Field::FlowRate).key), std::move(rates)});
    grid.vary.push_back({Field::Temperature, std::string(inputField(Field::Temperature).key), std::move(temperatures)});
    grid.unit = study.pressureUnit;
    grid.limit = study.limit;
    return grid;
}

std::vector<std::string> pressureUnitNames()
{
    std::vector<std::string> names;
    for (const PressureUnit &u : PressureUnits)
        names.emplace_back(u.name);
    return names;
}

} // namespace

CLI::App *setupSweep(CLI::App &app, int &exitCode, PlotApplication &plots)
{
    auto options = std::make_shared<SweepCommandOptions>();
    CLI::App *cmd = app.add_subcommand("sweep", "Compute a grid of points over one or two keys of each case.");
    cmd->add_option("CASE", options->cases, "Case files (.sfcase or .toml)")->required();
    cmd->add_option("--vary", options->vary,
                    "KEY=FROM:TO:COUNT or KEY=v1,v2,... (once or twice; KEY such as flow_rate, "
                    "process.temperature, screens.3.wire; default: the chart of each case's [study], its flow "
                    "range at 97 points at each of its temperatures)");
    cmd->add_option("--format", options->format, "csv (default), json (JSON Lines) or xlsx (needs -o FILE)")
        ->check(CLI::IsMember({"csv", "json", "xlsx"}));
    cmd->add_option("-o,--output", options->output, "Write the table to FILE (default: standard output)");
    cmd->add_option("--columns", options->columns,
                    "More columns: details (each screen's wall shear rate and apparent viscosity), "
                    "inputs (the inputs not varied)")
        ->delimiter(',')
        ->check(CLI::IsMember({"details", "inputs"}));
    cmd->add_option("--header", options->header, "CSV header: plain (default) or units (every name ends in its unit)")
        ->check(CLI::IsMember({"plain", "units"}));
    cmd->add_option("--decimal-separator", options->decimalSeparator,
                    "CSV decimal separator: . (default) or , (then ; between fields)")
        ->check(CLI::IsMember({".", ","}));
    cmd->add_option("--digits", options->digits, "Significant digits of CSV and JSON numbers (default: as many as "
                                                 "read back exactly)")
        ->check(CLI::Range(1, 17));
    cmd->add_option("--units", options->units,
                    "Pressure unit of table and plot: kgf/cm2 (default; without --vary, the [study]'s), bar, MPa, psi")
        ->check(CLI::IsMember(pressureUnitNames()));
    CLI::Option *plot =
        cmd->add_option("--plot", options->plot, "Draw total pressure drop against the first key into FILE.svg or FILE.png");
    cmd->add_option("--limit", options->limit,
                    "Draw a pressure limit in the plot and mark where each line crosses it: total=PRESSURE, or "
                    "drop.N=PRESSURE to plot screen N's drop instead; the unit right after the number, such as "
                    "total=150bar")
        ->needs(plot);
    cmd->add_flag("--log-y", options->logY, "Logarithmic pressure axis in the plot");
    cmd->add_option("--threads", options->threads, "Threads to compute on (default: one per core)")
        ->check(CLI::Range(1u, 1024u));
    cmd->add_flag("--no-check", options->noCheck,
                  "Compute points that make no physical sense as the window would, instead of refusing them");
    cmd->add_option("--max-points", options->maxPoints,
                    "Refuse grids of more points than this (default 10000000)")
        ->check(CLI::PositiveNumber);
    cmd->callback([options, &exitCode, &plots] { exitCode = runSweepCommand(*options, plots); });
    return cmd;
}

int runSweepCommand(const SweepCommandOptions &args, PlotApplication &plots)
{
    SweepOptions options;
    try {
        if (args.vary.size() > 2)
            throw UsageError("--vary: one or two keys");
        for (const std::string &spec : args.vary)
            options.vary.push_back(parseVary(spec));
        if (options.vary.size() == 2 && options.vary[0].field == options.vary[1].field)
            throw UsageError("--vary: the two keys name the same field");
    } catch (const UsageError &e) {
        complain(e.what());
        return UsageOrFileError;
    }

    options.format = args.format == "json" ? TableFormat::JsonLines
                   : args.format == "xlsx" ? TableFormat::Xlsx
                                           : TableFormat::Csv;
    const char separator = args.decimalSeparator ? (*args.decimalSeparator)[0] : '.';
    if (options.format == TableFormat::Xlsx) {
        if (!args.output || *args.output == "-") {
            complain("--format xlsx: a workbook goes to a file; name it with -o FILE");
            return UsageOrFileError;
        }
        if (args.decimalSeparator || args.digits) {
            complain("--format xlsx: a workbook holds the numbers themselves; --decimal-separator and --digits are "
                     "for csv and json");
            return UsageOrFileError;
        }
    }
    if (options.format == TableFormat::JsonLines && separator != '.') {
        complain("--decimal-separator: JSON numbers always have \".\"");
        return UsageOrFileError;
    }
    for (const std::string &c : args.columns) {
        options.details = options.details || c == "details";
        options.inputs = options.inputs || c == "inputs";
    }
    options.unitsInHeader = args.header == "units";
    options.numbers = {separator, args.digits};
    if (args.plot) {
        const std::string suffix = fs::path(*args.plot).extension().string();
        if (suffix != ".svg" && suffix != ".png") {
            complain(*args.plot + ": a plot is an .svg or a .png file");
            return UsageOrFileError;
        }
    }
    const std::optional<std::vector<CaseContent>> cases = readCases(args.cases);
    if (!cases)
        return UsageOrFileError;
    std::optional<std::string> unitName = args.units, limitSpec = args.limit;
    if (options.vary.empty()) {
        // One grid for all: the table has one set of columns.
        std::optional<StudyGrid> grid;
        for (std::size_t i = 0; i < args.cases.size(); ++i) {
            const std::optional<StudyGrid> own = studyGrid(args.cases[i], (*cases)[i]);
            if (!own)
                return UsageOrFileError;
            if (grid && !(*own == *grid)) {
                complain("sweep: " + args.cases[i] + " and " + args.cases[0] +
                         " ask for different charts in their study; sweep them apart, or give --vary");
                return UsageOrFileError;
            }
            grid = own;
        }
        options.vary = grid->vary;
        if (!unitName)
            unitName = grid->unit;
        // The study's limit is drawn where the chart is drawn.
        if (!limitSpec && args.plot)
            limitSpec = grid->limit;
    }
    const std::optional<PressureUnit> unit = pressureUnitNamed(unitName.value_or("kgf/cm2"));
    if (!unit) {
        complain("--units: kgf/cm2, bar, MPa or psi");
        return UsageOrFileError;
    }
    options.unit = *unit;
    std::optional<PressureLimit> limit;
    try {
        if (limitSpec)
            limit = parseLimit(*limitSpec);
    } catch (const UsageError &e) {
        complain(e.what());
        return UsageOrFileError;
    }
    if (!checkGrid(options.vary, *cases, args.maxPoints))
        return UsageOrFileError;
    std::vector<PlannedOutput> outputs;
    if (args.output)
        outputs.push_back({*args.output, "the table " + *args.output});
    if (args.plot)
        outputs.push_back({*args.plot, "the plot " + *args.plot});
    if (!outputsStandApart(args.cases, outputs))
        return UsageOrFileError;
    for (std::size_t i = 0; i < args.cases.size(); ++i)
        options.cases.push_back({args.cases[i], (*cases)[i].texts, validityRangeOf((*cases)[i])});
    options.warnings = true;
    options.refuseErrors = !args.noCheck;
    options.threads = args.threads ? args.threads : std::max(1u, std::thread::hardware_concurrency());
    options.keepPlotPoints = args.plot.has_value();
    options.plotColumns = PlotWidth;
    if (options.vary.size() > 1)
        options.plotSecondValues = drawnStyleGroups(options.vary[1].values.size());
    if (limit) {
        options.plotScreen = limit->screen;
        options.plotLevel = limit->kgfCm2() * options.unit.perKgfCm2;
    }
    Progress progress;
    options.progress = [&progress](std::uint64_t done, std::uint64_t total) { progress(done, total); };

    SweepSummary summary;
    try {
        // A table, workbooks too, goes to its file as it is made, all or
        // nothing: an earlier file of that name stays until the new one is
        // whole. A workbook is built beside it.
        if (options.format == TableFormat::Xlsx) {
            const fs::path folder = fs::path(*args.output).parent_path();
            options.workbookFolder = folder.empty() ? std::string(".") : folder.string();
        }
        FileSink out(args.output.value_or("-"));
        summary = runSweep(options, out);
        out.close();
    } catch (const std::runtime_error &e) {
        complain(e.what());
        return UsageOrFileError;
    }

    if (args.plot) {
        const PlotSpec plot = plotOf(options, summary, limit, args.logY);
        std::string picture;
        if (const std::string error = plots.draw(plot, *args.plot, picture); !error.empty()) {
            complain(error);
            return UsageOrFileError;
        }
        FileCalls system;
        if (const WriteResult r = writeWholeFile(*args.plot, picture, system); !r.ok()) {
            complain(writeFailureText(*args.plot, r));
            return UsageOrFileError;
        }
    }
    return summary.failed ? CaseFailed : Success;
}

} // namespace sf
