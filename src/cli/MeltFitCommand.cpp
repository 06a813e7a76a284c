#include "MeltFitCommand.h"

#include "Common.h"
#include "calc/InputFields.h"
#include "cases/CaseFile.h"
#include "export/FileSink.h"
#include "export/TableText.h"
#include "io/WholeFile.h"
#include "melt/MeltFit.h"
#include "melt/MeltTexts.h"
#include "melt/ViscosityPoints.h"
#include "plot/PlotApplication.h"
#include "run/Sweep.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <filesystem>
#include <memory>

namespace sf {

namespace {

constexpr int ColumnWidth = 12;
// Points along each fitted line of the plot, evenly spaced in log shear rate.
constexpr int LinePoints = 60;

std::string column(const std::string &text)
{
    return text.size() >= ColumnWidth ? " " + text : std::string(ColumnWidth - text.size(), ' ') + text;
}

std::string viscosityNote(const MeltFit &fit)
{
    return "; " + shortest(fit.standardViscosityPascalSeconds) + " Pa·s";
}

std::string howAWasFound(const MeltFitCommandOptions &o)
{
    if (o.shiftA)
        return "A was given";
    if (o.activationEnergyAt == "constant-stress")
        return "A = E / R from the activation energy at constant stress";
    if (o.activationEnergyAt == "constant-shear-rate")
        return "A = E / (n R) from the activation energy at constant shear rate";
    return "A was fitted";
}

// Each point's measured and fitted viscosity as comment lines, above the
// sections they explain.
std::string pointsTable(const ViscosityPoints &read, const MeltFit &fit, const MeltFitCommandOptions &o)
{
    const std::string unit(viscosityUnitName(read.unit));
    const std::string count = fit.fittedPoints == read.points.size()
                                  ? std::to_string(read.points.size())
                                  : std::to_string(fit.fittedPoints) + " of " + std::to_string(read.points.size());
    std::string out = "# Melt fitted to " + count + " points, viscosity in " + unit +
                      ". η0 is the viscosity at SR0\n# and the reference temperature " +
                      shortest(fit.referenceTemperature) + " ℃, where aT = 1; " + howAWasFound(o) +
                      ".\n# Deviation: fitted / measured - 1.\n#\n#";
    for (const char *title : {"temperature", "shear rate", "measured", "fitted", "deviation"})
        out += column(title);
    // Right-aligned by characters: ℃ is one, in three bytes.
    out += "\n#" + std::string(ColumnWidth - 1, ' ') + "℃" + column("1/sec") + column(unit) + column(unit) + column("%") + "\n";
    const std::vector<FitRow> rows = fitRows(read, fit);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out += "#";
        for (const std::string &cell : rows[i])
            out += column(cell);
        out += fit.points[i].leftOut ? "  left out\n" : "\n";
    }
    return out + "#\n";
}

std::string tomlOutput(const ViscosityPoints &read, const MeltFit &fit, const MeltFitCommandOptions &o)
{
    return pointsTable(read, fit, o) + "\n" +
           formatMeltSections(meltTexts(fit), meltFitRange(fit, o.points), viscosityNote(fit));
}

std::string jsonOutput(const ViscosityPoints &read, const MeltFit &fit, const MeltFitCommandOptions &o)
{
    std::string out = "{\n  \"melt\": {";
    auto number = [&out](const char *key, double v, bool first = false) {
        out += std::string(first ? "" : ", ") + "\"" + key + "\": ";
        appendJsonNumber(out, v);
    };
    number("standard_viscosity", fit.standardViscosity, true);
    number("standard_shear_rate", fit.standardShearRate);
    number("power_law_factor", fit.powerLawFactor);
    number("shift_a", fit.shiftA);
    number("shift_b", fit.shiftB);
    out += ",\n    \"fit\": {";
    number("temperature_min", fit.temperatureMin, true);
    number("temperature_max", fit.temperatureMax);
    number("shear_rate_min", fit.shearRateMin);
    number("shear_rate_max", fit.shearRateMax);
    out += ", \"points\": " + std::to_string(fit.fittedPoints) + ", \"source\": ";
    appendJsonString(out, o.points);
    number("rms_deviation_percent", fit.rmsDeviationPercent);
    number("max_deviation_percent", fit.maxDeviationPercent);
    out += "}},\n  ";
    number("standard_viscosity_pascal_seconds", fit.standardViscosityPascalSeconds, true);
    out += ",\n  ";
    number("reference_temperature", fit.referenceTemperature, true);
    out += std::string(",\n  \"shift_a_fitted\": ") + (fit.shiftAFitted ? "true" : "false");
    out += ",\n  \"viscosity_unit\": ";
    appendJsonString(out, viscosityUnitName(read.unit));
    out += ",\n  \"points\": [";
    for (std::size_t i = 0; i < read.points.size(); ++i) {
        const ViscosityPoint &p = read.points[i];
        out += i == 0 ? "\n    {" : ",\n    {";
        number("temperature", p.temperature, true);
        number("shear_rate", p.shearRate);
        number("measured", p.viscosity);
        number("fitted", fit.points[i].fitted);
        number("deviation_percent", fit.points[i].deviationPercent);
        out += fit.points[i].leftOut ? ", \"left_out\": true}" : "}";
    }
    return out + "\n  ]\n}\n";
}

// Viscosity against shear rate, both logarithmic: each temperature's points
// as markers and its fitted line, in the temperature's colour.
PlotSpec plotOf(const ViscosityPoints &read, const MeltFit &fit)
{
    const std::string unit(viscosityUnitName(read.unit));
    PlotSpec plot;
    plot.title = "Viscosity: measured (markers) and fitted (lines)";
    plot.xTitle = "Shear rate (1/s)";
    plot.yTitle = "Viscosity (" + unit + ")";
    plot.logX = plot.logY = true;
    const std::vector<FitCurve> curves = fitCurves(read, fit, LinePoints);
    // The lines first, so that the markers are drawn over them.
    for (const FitCurve &curve : curves) {
        PlotLine line;
        line.colourGroup = plot.colourGroups.size();
        plot.colourGroups.push_back(shortest(curve.temperature) + " ℃");
        line.points = curve.fitted;
        if (!line.points.empty())
            plot.lines.push_back(std::move(line));
    }
    for (std::size_t group = 0; group < curves.size(); ++group) {
        PlotLine line;
        line.colourGroup = group;
        line.markers = true;
        line.points = curves[group].measured;
        line.emphasis = curves[group].deviations;
        plot.lines.push_back(std::move(line));
    }
    return plot;
}

} // namespace

CLI::App *setupMelt(CLI::App &app, int &exitCode, PlotApplication &plots)
{
    CLI::App *melt = app.add_subcommand("melt", "Work out a melt's five values from what a data sheet gives.");
    melt->require_subcommand(1);

    auto options = std::make_shared<MeltFitCommandOptions>();
    CLI::App *cmd = melt->add_subcommand(
        "fit", "Fit the melt's viscosity model to measured points and print it as a [melt] section.");
    cmd->add_option("POINTS", options->points,
                    "Table of measured points: a header naming the temperature (℃, K or °F), shear rate (1/s) "
                    "and viscosity columns, in English, German, French, Spanish, Italian, Portuguese, Japanese or "
                    "Chinese, then one point per line; ',' ';' tabs or blanks between values, decimal commas "
                    "except between ','; UTF-8, UTF-16 or Latin-1")
        ->required();
    cmd->add_option("--columns", options->columns,
                    "Which columns hold the points, for a header of other names or none: "
                    "temperature=N,shear_rate=N,viscosity=N, each a column number from 1 or a header's name; "
                    "with numbers, a first line that is no point is a header; other columns are ignored");
    cmd->add_option("--temperature-range", options->temperatureRange,
                    "Fit only the points from FROM to TO ℃ (both included), as FROM:TO; the table marks the "
                    "others left out");
    cmd->add_option("--shear-rate-range", options->shearRateRange,
                    "Fit only the points from FROM to TO 1/s (both included), as FROM:TO");
    cmd->add_option("--viscosity-unit", options->viscosityUnit,
                    "Unit of the viscosity column: Pa.s, mPa.s, P or gf.s/cm2 (default: the header's, else Pa.s)")
        ->check(CLI::IsMember({"Pa.s", "mPa.s", "P", "gf.s/cm2"}));
    cmd->add_option("--reference-temperature", options->referenceTemperature,
                    "T where aT = 1, so that B = A / (T + 273.0) and η0 is the viscosity there (℃; default: the "
                    "middle of the points' range, to 0.1 ℃)");
    cmd->add_option("--standard-shear-rate", options->standardShearRate, "SR0 (1/s; default 100)");
    auto *shiftA = cmd->add_option("--shift-a", options->shiftA,
                                   "Hold A fixed at this value (K) instead of fitting it; needed, or an activation "
                                   "energy, when the points are at one temperature");
    auto *energy = cmd->add_option(
        "--activation-energy", options->activationEnergy,
        "Hold A fixed as given by this activation energy, with its unit: 45kJ/mol or 45000J/mol");
    cmd->add_option(
           "--activation-energy-at", options->activationEnergyAt,
           "How the activation energy was measured, which decides A (needed with --activation-energy): "
           "constant-stress gives A = E / R; constant-shear-rate gives A = E / (n R), since at one shear rate "
           "the model's viscosity moves with aT^n. R = 8.314462618 J/(mol K)")
        ->check(CLI::IsMember({"constant-stress", "constant-shear-rate"}));
    shiftA->excludes(energy);
    cmd->add_option("--format", options->format, "toml (default) or json")->check(CLI::IsMember({"toml", "json"}));
    cmd->add_option("--into", options->into,
                    "Replace the [melt] section (and its [melt.fit]) of this case file, keeping every other byte");
    cmd->add_option("--plot", options->plot,
                    "Draw viscosity against shear rate, measured and fitted, into FILE.svg or FILE.png");
    cmd->footer("Exit status: 0 fitted, 1 the points fix no melt (the message says what is missing), 2 a bad "
                "points file, case file or option; nothing is written unless it is 0.");
    cmd->callback([options, &exitCode, &plots] { exitCode = runMeltFit(*options, plots); });
    return melt;
}

int runMeltFit(const MeltFitCommandOptions &o, PlotApplication &plots)
{
    MeltFitOptions fitOptions;
    fitOptions.referenceTemperature = o.referenceTemperature;
    fitOptions.standardShearRate = o.standardShearRate;
    fitOptions.shiftA = o.shiftA;
    if (o.activationEnergy.has_value() != o.activationEnergyAt.has_value()) {
        complain("--activation-energy and --activation-energy-at constant-stress|constant-shear-rate go together: "
                 "the two ways of measuring an activation energy give A values a factor n apart");
        return UsageOrFileError;
    }
    if (o.activationEnergy) {
        try {
            fitOptions.activationEnergy = activationEnergyOf(*o.activationEnergy, *o.activationEnergyAt);
        } catch (const MeltFitOptionError &e) {
            complain(e.what());
            return UsageOrFileError;
        }
    }
    PointsReadOptions readOptions;
    readOptions.unit = o.viscosityUnit ? viscosityUnitNamed(*o.viscosityUnit) : std::nullopt;
    if (o.columns) {
        std::string problem;
        readOptions.columns = columnMapOf(*o.columns, problem);
        if (!readOptions.columns) {
            complain(problem);
            return UsageOrFileError;
        }
    }
    try {
        if (o.temperatureRange)
            fitOptions.temperatureRange = fitWindowOf(*o.temperatureRange, "--temperature-range", "℃");
        if (o.shearRateRange)
            fitOptions.shearRateRange = fitWindowOf(*o.shearRateRange, "--shear-rate-range", "1/s");
    } catch (const MeltFitOptionError &e) {
        complain(e.what());
        return UsageOrFileError;
    }
    if (o.plot) {
        const std::string suffix = std::filesystem::path(*o.plot).extension().string();
        if (suffix != ".svg" && suffix != ".png") {
            complain(*o.plot + ": a plot is an .svg or a .png file");
            return UsageOrFileError;
        }
    }

    // The case is read and written: an output, which neither the points nor
    // the plot may be.
    std::vector<PlannedOutput> outputs;
    if (o.into)
        outputs.push_back({*o.into, "the case " + *o.into});
    if (o.plot)
        outputs.push_back({*o.plot, "the plot " + *o.plot});
    if (!outputsStandApart({o.points}, outputs, "the points file"))
        return UsageOrFileError;

    ViscosityPoints read;
    std::string caseBytes;
    FileStamp caseAsRead;
    try {
        read = readViscosityPoints(o.points, readOptions);
        if (o.into) {
            caseBytes = readCaseBytes(*o.into, caseAsRead);
            const CaseContent into = parseCase(caseBytes, *o.into);
            if (into.study)
                if (const std::optional<std::string> problem = studyProblem(*o.into, *into.study)) {
                    complain(*problem);
                    return UsageOrFileError;
                }
        }
    } catch (const PointsFileError &e) {
        for (const std::string &problem : e.problems())
            complain(problem);
        return UsageOrFileError;
    } catch (const CaseFileError &e) {
        complain(e.what());
        return UsageOrFileError;
    }

    MeltFit fit;
    try {
        fit = fitMelt(read, fitOptions);
    } catch (const MeltFitOptionError &e) {
        // Points at one temperature fix no A: the points' fault, not the options'.
        if (e.kind() == MeltFitOptionError::Kind::ShiftANeeded) {
            complain(o.points + ": " + e.what() + " (--shift-a, or --activation-energy with --activation-energy-at)");
            return CaseFailed;
        }
        complain(std::string("melt fit: ") + e.what());
        return UsageOrFileError;
    } catch (const MeltFitRejected &e) {
        complain(o.points + ": " + e.what());
        return CaseFailed;
    }

    std::string replaced;
    try {
        if (o.into)
            replaced = replaceMeltSections(caseBytes, *o.into, meltTexts(fit), meltFitRange(fit, o.points),
                                           viscosityNote(fit));
    } catch (const CaseFileError &e) {
        complain(e.what());
        return UsageOrFileError;
    }
    std::string picture;
    if (o.plot) {
        if (const std::string error = plots.draw(plotOf(read, fit), *o.plot, picture); !error.empty()) {
            complain(error);
            return UsageOrFileError;
        }
    }

    // Every file is made ready, and standard output written, before the
    // first file is put in place: a failure on the way writes nothing.
    FileCalls system;
    SaveFile caseFile(system);
    SaveFile plotFile(system);
    struct Output {
        SaveFile &file;
        const std::optional<std::string> &path;
        const std::string &bytes;
        SaveOptions options;
    };
    // The case's edit is refused when another program wrote it since it
    // was read, so that its edit is not lost.
    Output files[] = {{caseFile, o.into, replaced, {false, caseAsRead}}, {plotFile, o.plot, picture, {}}};
    for (Output &out : files) {
        if (!out.path)
            continue;
        WriteResult r = out.file.open(*out.path, out.options);
        if (r.ok())
            r = out.file.write(out.bytes);
        if (r.ok())
            r = out.file.prepare();
        if (!r.ok()) {
            complain(writeFailureText(*out.path, r));
            return UsageOrFileError;
        }
    }
    if (!writeOutput("-", o.format == "json" ? jsonOutput(read, fit, o) : tomlOutput(read, fit, o)))
        return UsageOrFileError;
    for (Output &out : files) {
        if (!out.path)
            continue;
        if (const WriteResult r = out.file.commit(); !r.ok()) {
            complain(writeFailureText(*out.path, r));
            return UsageOrFileError;
        }
    }
    return Success;
}

} // namespace sf
