#include "LifeCommand.h"

#include "Common.h"
#include "export/TableText.h"
#include "io/NumberText.h"
#include "io/WholeFile.h"
#include "life/PackLife.h"
#include "life/PressureLog.h"
#include "life/Timestamp.h"
#include "plot/PlotApplication.h"
#include "run/CasePoint.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <memory>

namespace sf {

namespace {

// Points along each law's curve in the plot.
constexpr int CurvePoints = 200;
// Up to this many readings are drawn as markers; more would merge into a
// band of white rings hiding the curves, and are drawn as a line, as a data
// logger shows them.
constexpr std::size_t MarkedReadings = 150;
// The plot runs this far past the predicted change, so that the crossing
// is seen with some of what follows it.
constexpr double PlotMargin = 1.1;

// What a text answer prints: four significant digits, as a gauge reads.
std::string shown(double v)
{
    std::string out;
    appendNumber(out, v, NumberStyle{'.', 4});
    return out;
}

// "250bar", "250 bar", and with `bare` a number alone in `unit`; nullopt
// after saying why not.
std::optional<double> pressureIn(const std::string &option, const std::string &text, const PressureUnit &unit,
                                 bool bare)
{
    const char *first = text.data();
    const char *last = first + text.size();
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    std::string_view unitName(end, static_cast<std::size_t>(last - end));
    while (!unitName.empty() && unitName.front() == ' ')
        unitName.remove_prefix(1);
    const std::optional<PressureUnit> given =
        unitName.empty() && bare ? std::optional<PressureUnit>(unit) : pressureUnitNamed(unitName);
    if (end == first || error != std::errc() || !std::isfinite(value) || !given) {
        complain(option + " " + text + ": a pressure with its unit right after the number (kgf/cm2, bar, MPa or psi), "
                                       "such as 250bar" +
                 (bare ? std::string(", or a number in the log's unit") : std::string()));
        return std::nullopt;
    }
    return value / given->perKgfCm2 * unit.perKgfCm2;
}

// --since as a time of the log: a number in its unit, or an ISO 8601 time
// for a log of timestamps (in the log's zone when it names none).
std::optional<double> sinceIn(const std::string &text, const PressureLog &log)
{
    if (log.timestamps) {
        const std::optional<Timestamp> at = parseTimestamp(text);
        if (!at || (at->zoneMinutes && !log.zoneMinutes)) {
            complain("--since " + text + ": a time of the log, as 2026-03-14T06:30:00" +
                     std::string(log.zoneMinutes ? "" : ", without a zone as the log has none"));
            return std::nullopt;
        }
        const double seconds = at->zoneMinutes ? at->seconds : at->seconds - log.zoneMinutes.value_or(0) * 60.0;
        return (seconds - log.originSeconds) / 3600;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        complain("--since " + text + ": a time of the log in its unit (" +
                 std::string(logTimeUnitName(log.timeUnit)) + "), as a number");
        return std::nullopt;
    }
    return value;
}

struct CaseComparison {
    std::string file;
    double cleanDrop = 0; // in the log's pressure unit
};

struct Answer {
    const LifeCommandOptions &options;
    const PressureLog &log;
    const LifeReadings &readings;
    const PackLife &life;
    double limit; // in the log's unit
    std::optional<double> pressureAfter;
    std::optional<CaseComparison> model;

    std::string unit() const { return std::string(log.pressureUnit.name); }
    std::string timeUnit() const { return std::string(logTimeUnitName(log.timeUnit)); }
    std::string rateUnit() const { return "1/" + timeUnit(); }
    const LawFit &best() const { return life.laws[life.best].fit; }
    std::string clock(double t) const { return formatTimestamp(log.originSeconds + t * 3600, log.zoneMinutes); }
    std::string when(double t) const
    {
        return log.timestamps ? clock(t) + " (" + shown(t) + " h after the first reading)" : shown(t) + " " + timeUnit();
    }
};

std::string textOutput(const Answer &a)
{
    const PackLife &life = a.life;
    const std::size_t total = a.readings.time.size();
    std::string out = "Pack life from " + a.options.log + ": " + std::to_string(total) + " readings";
    const double since = a.readings.time[life.first];
    if (life.changeAt)
        out += ", fitted from the screen change at " + logTimeText(a.log, since) + " (line " +
               std::to_string(a.readings.line[life.first]) + "): " + std::to_string(life.count) + " readings";
    else if (life.fromSince)
        out += ", fitted from " + logTimeText(a.log, since) + " (--since): " + std::to_string(life.count) +
               " readings";
    out += "\n";
    if (a.pressureAfter)
        out += "Drop across the pack: pressure - " + shown(*a.pressureAfter) + " " + a.unit() +
               " behind it (--pressure-after)\n";
    else if (!a.log.after.empty())
        out += "Drop across the pack: pressure_before - pressure_after\n";
    const LawFit &best = a.best();
    out += "Law: " + std::string(blockingLawName(best.law)) + ", " + std::string(blockingLawEquation(best.law)) + "\n";
    out += "  P0 = " + shown(best.p0) + " " + a.unit() + ", K = " + shown(best.k) + " " + a.rateUnit() + ", rms " +
           shown(best.rmsPercent) + " %\n";
    out += "Limit " + shown(a.limit) + " " + a.unit() + " reached at " + a.when(life.limitAt) + "\n";
    out += "Remaining after the last reading: " + shown(life.remaining) + " " + a.timeUnit() + ", range " +
           shown(life.remainingLow) + " to " + shown(life.remainingHigh) + " " + a.timeUnit() + " (95 %)\n";
    if (a.model)
        out += "Clean pack by the model (" + a.model->file + "): " + shown(a.model->cleanDrop) + " " + a.unit() +
               "; the log's P0 is " + shown(best.p0 / a.model->cleanDrop) + " times that\n";

    out += "\nEvery law:\n";
    const auto cell = [](std::string text, std::size_t width) {
        return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
    };
    out += "  " + cell("law", 23) + cell("P0 (" + a.unit() + ")", 14) + cell("K (" + a.rateUnit() + ")", 14) +
           cell("rms (%)", 10) + "limit at\n";
    for (const LawAnswer &law : life.laws) {
        const LawFit &fit = law.fit;
        out += "  " + cell(std::string(blockingLawName(fit.law)), 23);
        if (!fit.fitted) {
            out += "left out: " + fit.whyNot + "\n";
            continue;
        }
        out += cell(shown(fit.p0), 14) + cell(shown(fit.k), 14) + cell(shown(fit.rmsPercent), 10) +
               (!law.limitAt           ? std::string("never")
                : a.log.timestamps ? a.clock(*law.limitAt)
                                   : shown(*law.limitAt) + " " + a.timeUnit()) +
               (&law == &life.laws[life.best] ? "  (best)" : "") + "\n";
    }
    return out;
}

std::string jsonOutput(const Answer &a)
{
    std::string out = "{\n";
    const auto key = [&out](const char *name) { out += std::string("  \"") + name + "\": "; };
    const auto number = [&out](double v) { appendJsonNumber(out, v); };
    const auto time = [&](double t) {
        if (a.log.timestamps)
            appendJsonString(out, a.clock(t));
        else
            number(t);
    };
    const LawFit &best = a.best();
    key("law");
    appendJsonString(out, blockingLawKey(best.law));
    out += ",\n";
    key("p0");
    number(best.p0);
    out += ",\n";
    key("k");
    number(best.k);
    out += ",\n";
    key("rms_percent");
    number(best.rmsPercent);
    out += ",\n";
    key("limit_at");
    time(a.life.limitAt);
    out += ",\n";
    key("remaining");
    number(a.life.remaining);
    out += ",\n";
    key("remaining_range");
    out += "[";
    number(a.life.remainingLow);
    out += ", ";
    number(a.life.remainingHigh);
    out += "],\n";
    key("since");
    time(a.readings.time[a.life.first]);
    out += ",\n";
    key("laws");
    out += "[";
    for (std::size_t i = 0; i < a.life.laws.size(); ++i) {
        const LawAnswer &law = a.life.laws[i];
        out += i == 0 ? "\n    {\"law\": " : ",\n    {\"law\": ";
        appendJsonString(out, blockingLawKey(law.fit.law));
        if (!law.fit.fitted) {
            out += ", \"p0\": null, \"k\": null, \"rms_percent\": null, \"limit_at\": null, \"left_out\": ";
            appendJsonString(out, law.fit.whyNot);
            out += "}";
            continue;
        }
        out += ", \"p0\": ";
        number(law.fit.p0);
        out += ", \"k\": ";
        number(law.fit.k);
        out += ", \"rms_percent\": ";
        number(law.fit.rmsPercent);
        out += ", \"limit_at\": ";
        if (law.limitAt)
            time(*law.limitAt);
        else
            out += "null";
        out += "}";
    }
    out += "\n  ],\n";
    key("pressure_unit");
    appendJsonString(out, a.unit());
    out += ",\n";
    key("time_unit");
    appendJsonString(out, a.timeUnit());
    if (a.model) {
        out += ",\n";
        key("case");
        out += "{\"file\": ";
        appendJsonString(out, a.model->file);
        out += ", \"clean_drop\": ";
        number(a.model->cleanDrop);
        out += ", \"p0_ratio\": ";
        number(best.p0 / a.model->cleanDrop);
        out += "}";
    }
    return out + "\n}\n";
}

// The readings, each law's curve from the first reading fitted, the limit
// and where each curve crosses it.
PlotSpec plotOf(const Answer &a)
{
    PlotSpec plot;
    plot.title = "Pack life: " + fileNameOf(a.options.log);
    plot.xTitle = a.log.timestamps ? "Time (h from " + a.clock(0) + ")" : "Time (" + a.timeUnit() + ")";
    plot.xUnit = a.timeUnit();
    plot.yTitle = std::string(a.log.after.empty() && !a.pressureAfter ? "Pressure" : "Drop") + " (" + a.unit() + ")";
    const std::vector<double> &time = a.readings.time;
    const double origin = time[a.life.first];
    const double end = origin + (a.life.limitAt - origin) * PlotMargin;

    // Two readings per pixel column at most, the column's lowest and
    // highest, so that a million readings draw as fast as a hundred.
    PlotLine readings;
    readings.markers = time.size() <= MarkedReadings;
    readings.colourGroup = 0;
    plot.colourGroups.push_back("readings");
    const double start = time.front();
    const double width = (end - start) / PlotWidth;
    for (std::size_t i = 0; i < time.size();) {
        const auto column = static_cast<long>((time[i] - start) / width);
        std::size_t low = i, high = i;
        std::size_t j = i;
        for (; j < time.size() && static_cast<long>((time[j] - start) / width) == column; ++j) {
            if (a.readings.pressure[j] < a.readings.pressure[low])
                low = j;
            if (a.readings.pressure[j] > a.readings.pressure[high])
                high = j;
        }
        for (std::size_t k : {std::min(low, high), std::max(low, high)}) {
            readings.points.emplace_back(time[k], a.readings.pressure[k]);
            if (low == high)
                break;
        }
        i = j;
    }

    for (const LawAnswer &law : a.life.laws) {
        if (!law.fit.fitted)
            continue;
        PlotLine line;
        line.colourGroup = plot.colourGroups.size();
        plot.colourGroups.push_back(std::string(blockingLawName(law.fit.law)) +
                                    (&law == &a.life.laws[a.life.best] ? " (best)" : ""));
        for (int i = 0; i <= CurvePoints; ++i) {
            const double t = origin + (end - origin) * i / CurvePoints;
            const std::optional<double> p = lawPressure(law.fit.law, law.fit.p0, law.fit.k, t - origin);
            if (!p || *p > 2 * a.limit)
                break;
            line.points.emplace_back(t, *p);
        }
        if (law.limitAt && *law.limitAt <= end)
            line.crossings.push_back(*law.limitAt);
        plot.lines.push_back(std::move(line));
    }
    // The readings last, drawn over the curves that continue them.
    plot.lines.push_back(std::move(readings));
    plot.limit = PlotLimit{a.limit, "limit " + shown(a.limit) + " " + a.unit()};
    return plot;
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
    const std::optional<double> limit = pressureIn("--limit", o.limit, log.pressureUnit, false);
    if (!limit)
        return UsageOrFileError;
    if (!(*limit > 0)) {
        complain("--limit " + o.limit + ": a pressure above zero");
        return UsageOrFileError;
    }
    std::optional<double> after;
    if (o.pressureAfter) {
        if (!log.after.empty()) {
            complain("--pressure-after: " + o.log + " has pressure_after of its own");
            return UsageOrFileError;
        }
        after = pressureIn("--pressure-after", *o.pressureAfter, log.pressureUnit, true);
        if (!after)
            return UsageOrFileError;
    }
    LifeOptions lifeOptions;
    lifeOptions.limit = *limit;
    lifeOptions.limitText = shown(*limit) + " " + std::string(log.pressureUnit.name);
    if (o.since) {
        lifeOptions.since = sinceIn(*o.since, log);
        if (!lifeOptions.since)
            return UsageOrFileError;
    }

    // The drop across the pack, reading by reading.
    LifeReadings readings;
    readings.time = std::move(log.time);
    readings.line = std::move(log.line);
    readings.pressure = log.pressure;
    for (std::size_t i = 0; i < readings.pressure.size(); ++i) {
        double &drop = readings.pressure[i];
        drop -= log.after.empty() ? after.value_or(0) : log.after[i];
        if (!(drop > 0)) {
            complain(o.log + ":" + std::to_string(readings.line[i]) + ": the drop " + shortest(log.pressure[i]) +
                     " - " + shortest(log.after.empty() ? after.value_or(0) : log.after[i]) + " " +
                     std::string(log.pressureUnit.name) + " is not above zero");
            return UsageOrFileError;
        }
    }
    log.time = readings.time;

    PackLife life;
    try {
        life = packLife(readings, lifeOptions, [&log](double t) { return logTimeText(log, t); });
    } catch (const LifeError &e) {
        complain(o.log + ": " + e.what());
        return e.badLog() ? UsageOrFileError : CaseFailed;
    }

    std::optional<CaseComparison> model;
    if (o.caseFile) {
        const std::optional<std::vector<CaseContent>> cases = readCases({*o.caseFile});
        if (!cases)
            return UsageOrFileError;
        const CasePoint c = evaluateCase(cases->front().texts, '.', validityRangeOf(cases->front()));
        if (!c.point.ok()) {
            complain(*o.caseFile + ": the case does not compute: " + c.point.message);
            return CaseFailed;
        }
        model = CaseComparison{*o.caseFile, c.total.value * log.pressureUnit.perKgfCm2};
    }

    const Answer answer{o, log, readings, life, *limit, after, model};
    std::string picture;
    if (o.plot) {
        if (const std::string error = plots.draw(plotOf(answer), *o.plot, picture); !error.empty()) {
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
    if (!writeOutput("-", o.format == "json" ? jsonOutput(answer) : textOutput(answer)))
        return UsageOrFileError;
    if (o.plot)
        if (const WriteResult r = plotFile.commit(); !r.ok()) {
            complain(writeFailureText(*o.plot, r));
            return UsageOrFileError;
        }
    return Success;
}

} // namespace sf
