#include "LifeAnswer.h"

#include "export/TableText.h"
#include "export/XlsxBook.h"
#include "io/NumberText.h"
#include "life/Timestamp.h"

#include <algorithm>

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

std::string unitOf(const LifeAnalysis &a) { return std::string(a.log.pressureUnit.name); }
std::string timeUnitOf(const LifeAnalysis &a) { return std::string(logTimeUnitName(a.log.timeUnit)); }
std::string rateUnitOf(const LifeAnalysis &a) { return "1/" + timeUnitOf(a); }
const LawFit &bestOf(const LifeAnalysis &a) { return a.life.laws[a.life.best].fit; }
std::string clock(const LifeAnalysis &a, double t)
{
    return formatTimestamp(a.log.originSeconds + t * 3600, a.log.zoneMinutes);
}
std::string when(const LifeAnalysis &a, double t)
{
    return a.log.timestamps ? clock(a, t) + " (" + gaugeText(t) + " h after the first reading)"
                            : gaugeText(t) + " " + timeUnitOf(a);
}
// The limit time as the laws' table writes it.
std::string limitCell(const LifeAnalysis &a, const LawAnswer &law)
{
    if (!law.limitAt)
        return "never";
    return a.log.timestamps ? clock(a, *law.limitAt) : gaugeText(*law.limitAt) + " " + timeUnitOf(a);
}

} // namespace

std::optional<double> cleanPackDrop(const FieldTexts &texts, char separator, const std::optional<ValidityRange> &range,
                                    const PressureUnit &unit, std::string &why)
{
    const CasePoint c = evaluateCase(texts, separator, range);
    if (!c.point.ok()) {
        why = c.point.message;
        return std::nullopt;
    }
    return c.total.value * unit.perKgfCm2;
}

std::string lifeHeadline(const LifeAnalysis &a, const std::string &logName)
{
    const PackLife &life = a.life;
    std::string out = "Pack life from " + logName + ": " + std::to_string(a.readings.time.size()) + " readings";
    const double since = a.readings.time[life.first];
    if (life.changeAt)
        out += ", fitted from the screen change at " + logTimeText(a.log, since) + " (line " +
               std::to_string(a.readings.line[life.first]) + "): " + std::to_string(life.count) + " readings";
    else if (life.fromSince)
        out += ", fitted from " + logTimeText(a.log, since) + " (--since): " + std::to_string(life.count) +
               " readings";
    return out + "\n";
}

std::string lifeSummary(const LifeAnalysis &a, const std::optional<LifeCaseComparison> &model)
{
    const PackLife &life = a.life;
    std::string out;
    if (a.pressureAfter)
        out += "Drop across the pack: pressure - " + gaugeText(*a.pressureAfter) + " " + unitOf(a) +
               " behind it (--pressure-after)\n";
    else if (!a.log.after.empty())
        out += "Drop across the pack: pressure_before - pressure_after\n";
    const LawFit &best = bestOf(a);
    out += "Law: " + std::string(blockingLawName(best.law)) + ", " + std::string(blockingLawEquation(best.law)) + "\n";
    out += "  P0 = " + gaugeText(best.p0) + " " + unitOf(a) + ", K = " + gaugeText(best.k) + " " + rateUnitOf(a) +
           ", rms " + gaugeText(best.rmsPercent) + " %\n";
    out += "Limit " + gaugeText(a.limit) + " " + unitOf(a) + " reached at " + when(a, life.limitAt) + "\n";
    out += "Remaining after the last reading: " + gaugeText(life.remaining) + " " + timeUnitOf(a) + ", range " +
           gaugeText(life.remainingLow) + " to " + gaugeText(life.remainingHigh) + " " + timeUnitOf(a) + " (95 %)\n";
    if (model)
        out += "Clean pack by the model (" + model->file + "): " + gaugeText(model->cleanDrop) + " " + unitOf(a) +
               "; the log's P0 is " + gaugeText(best.p0 / model->cleanDrop) + " times that\n";
    return out;
}

std::vector<LifeLawRow> lifeLawRows(const LifeAnalysis &a)
{
    std::vector<LifeLawRow> rows;
    for (const LawAnswer &law : a.life.laws) {
        const LawFit &fit = law.fit;
        LifeLawRow row;
        row.law = std::string(blockingLawName(fit.law));
        if (!fit.fitted) {
            row.leftOut = fit.whyNot;
        } else {
            row.p0 = gaugeText(fit.p0);
            row.k = gaugeText(fit.k);
            row.rms = gaugeText(fit.rmsPercent);
            row.limitAt = limitCell(a, law);
            row.best = &law == &a.life.laws[a.life.best];
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::array<std::string, 5> lifeLawHeadings(const LifeAnalysis &a)
{
    return {"law", "P0 (" + unitOf(a) + ")", "K (" + rateUnitOf(a) + ")", "rms (%)", "limit at"};
}

std::string lifeText(const LifeAnalysis &a, const std::string &logName, const std::optional<LifeCaseComparison> &model)
{
    std::string out = lifeHeadline(a, logName) + lifeSummary(a, model);
    out += "\nEvery law:\n";
    const auto cell = [](const std::string &text, std::size_t width) {
        return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
    };
    const std::array<std::string, 5> head = lifeLawHeadings(a);
    out += "  " + cell(head[0], 23) + cell(head[1], 14) + cell(head[2], 14) + cell(head[3], 10) + head[4] + "\n";
    for (const LifeLawRow &row : lifeLawRows(a)) {
        out += "  " + cell(row.law, 23);
        if (!row.leftOut.empty())
            out += "left out: " + row.leftOut + "\n";
        else
            out += cell(row.p0, 14) + cell(row.k, 14) + cell(row.rms, 10) + row.limitAt + (row.best ? "  (best)" : "") +
                   "\n";
    }
    return out;
}

std::string lifeJson(const LifeAnalysis &a, const std::optional<LifeCaseComparison> &model)
{
    std::string out = "{\n";
    const auto key = [&out](const char *name) { out += std::string("  \"") + name + "\": "; };
    const auto number = [&out](double v) { appendJsonNumber(out, v); };
    const auto time = [&](double t) {
        if (a.log.timestamps)
            appendJsonString(out, clock(a, t));
        else
            number(t);
    };
    const LawFit &best = bestOf(a);
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
    appendJsonString(out, unitOf(a));
    out += ",\n";
    key("time_unit");
    appendJsonString(out, timeUnitOf(a));
    if (model) {
        out += ",\n";
        key("case");
        out += "{\"file\": ";
        appendJsonString(out, model->file);
        out += ", \"clean_drop\": ";
        number(model->cleanDrop);
        out += ", \"p0_ratio\": ";
        number(best.p0 / model->cleanDrop);
        out += "}";
    }
    return out + "\n}\n";
}

PlotSpec lifePlot(const LifeAnalysis &a, const std::string &logName)
{
    PlotSpec plot;
    plot.title = "Pack life: " + logName;
    plot.xTitle = a.log.timestamps ? "Time (h from " + clock(a, 0) + ")" : "Time (" + timeUnitOf(a) + ")";
    plot.xUnit = timeUnitOf(a);
    plot.yTitle = std::string(a.log.after.empty() && !a.pressureAfter ? "Pressure" : "Drop") + " (" + unitOf(a) + ")";
    const std::vector<double> &time = a.readings.time;
    const std::vector<double> &pressure = a.readings.pressure;
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
            if (pressure[j] < pressure[low])
                low = j;
            if (pressure[j] > pressure[high])
                high = j;
        }
        for (std::size_t k : {std::min(low, high), std::max(low, high)}) {
            readings.points.emplace_back(time[k], pressure[k]);
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
    plot.limit = PlotLimit{a.limit, "limit " + gaugeText(a.limit) + " " + unitOf(a)};
    return plot;
}

namespace {

// The laws' table's column names: "law", "p0_bar", "k_per_min",
// "rms_percent", "limit_at_min" (or "limit_at" with clock times), "best",
// "left_out".
std::vector<std::string> lawColumns(const LifeAnalysis &a)
{
    return {"law",
            nameWithUnit("p0", unitOf(a)),
            "k_per_" + timeUnitOf(a),
            "rms_percent",
            a.log.timestamps ? std::string("limit_at") : nameWithUnit("limit_at", timeUnitOf(a)),
            "best",
            "left_out"};
}

} // namespace

std::string lifeLawsCsv(const LifeAnalysis &a, char separator)
{
    const char delimiter = separator == ',' ? ';' : ',';
    const NumberStyle numbers{separator, 0};
    std::string out;
    const std::vector<std::string> columns = lawColumns(a);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            out += delimiter;
        appendCsvField(out, columns[i], delimiter);
    }
    out += '\n';
    for (const LawAnswer &law : a.life.laws) {
        const LawFit &fit = law.fit;
        out += blockingLawKey(fit.law);
        out += delimiter;
        if (fit.fitted) {
            appendNumber(out, fit.p0, numbers);
            out += delimiter;
            appendNumber(out, fit.k, numbers);
            out += delimiter;
            appendNumber(out, fit.rmsPercent, numbers);
            out += delimiter;
            if (law.limitAt && a.log.timestamps)
                out += clock(a, *law.limitAt);
            else if (law.limitAt)
                appendNumber(out, *law.limitAt, numbers);
            out += delimiter;
            out += &law == &a.life.laws[a.life.best] ? "yes" : "";
            out += delimiter;
        } else {
            out.append(5, delimiter);
            appendCsvField(out, fit.whyNot, delimiter);
        }
        out += '\n';
    }
    return out;
}

void writeLifeWorkbook(ByteSink &out, const std::string &sheet, const LifeAnalysis &a)
{
    XlsxBook book(false);
    book.addSheet(sheetNames({sheet}).front());
    const std::vector<std::string> columns = lawColumns(a);
    for (std::size_t i = 0; i < columns.size(); ++i)
        book.text(0, static_cast<std::uint16_t>(i), columns[i]);
    std::uint32_t row = 1;
    for (const LawAnswer &law : a.life.laws) {
        const LawFit &fit = law.fit;
        book.text(row, 0, blockingLawKey(fit.law));
        if (fit.fitted) {
            book.number(row, 1, fit.p0);
            book.number(row, 2, fit.k);
            book.number(row, 3, fit.rmsPercent);
            if (law.limitAt && a.log.timestamps)
                book.text(row, 4, clock(a, *law.limitAt));
            else if (law.limitAt)
                book.number(row, 4, *law.limitAt);
            if (&law == &a.life.laws[a.life.best])
                book.text(row, 5, "yes");
        } else {
            book.text(row, 6, fit.whyNot);
        }
        ++row;
    }
    book.finish(out);
}

} // namespace sf
