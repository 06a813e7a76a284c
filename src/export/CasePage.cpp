#include "export/CasePage.h"

#include "calc/InputFields.h"
#include "export/StudyTable.h"
#include "export/TableText.h"
#include "io/NumberText.h"
#include "run/CasePoint.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace sf {

namespace {

std::string number(double v, char separator, int digits = 0)
{
    std::string text;
    appendNumber(text, v, {separator, digits});
    return text;
}

// A unit as print writes it: "gf·s/cm²" for the field table's "gf.s/cm2".
std::string_view printedUnit(std::string_view unit)
{
    constexpr std::pair<std::string_view, std::string_view> Printed[] = {
        {"gf.s/cm2", "gf·s/cm²"}, {"g/cm3", "g/cm³"}, {"1/sec", "1/s"}, {"kgf/cm2", "kgf/cm²"}, {"Pa.s", "Pa·s"}};
    for (const auto &[plain, printed] : Printed)
        if (unit == plain)
            return printed;
    return unit;
}

std::string withUnit(std::string text, std::string_view unit)
{
    if (!unit.empty() && unit != "-") {
        text += ' ';
        text += printedUnit(unit);
    }
    return text;
}

// Four significant digits without an exponent, as the chart labels its
// crossings: "23.10", "1234".
std::string fourDigits(double v, char separator)
{
    const int magnitude = v == 0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(v))));
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, std::clamp(3 - magnitude, 0, 12));
    std::string text(buf, r.ptr);
    std::replace(text.begin(), text.end(), '.', separator);
    return text;
}

std::string temperatureLabel(double t, char separator)
{
    return withUnit(number(t, separator), inputField(Field::Temperature).unit);
}

// "270–310 ℃", or one value where the range is one.
std::string range(double from, double to, std::string_view unit, char separator)
{
    std::string text = number(from, separator);
    if (to != from)
        text += "–" + number(to, separator);
    return withUnit(text, unit);
}

// Where a finding is: the field as the window names it, or the screen.
std::string placeOf(const std::string &key)
{
    if (const std::optional<Field> field = fieldOfKey(key))
        return fieldTitle(inputField(*field));
    constexpr std::string_view Screens = "screens.";
    if (key.starts_with(Screens))
        return "Screen " + key.substr(Screens.size());
    if (key == "total")
        return "Total";
    return key;
}

// The inputs of `group` as the run took them: "Flow Rate", "120 kg/hr".
PageList inputList(std::string title, FieldGroup group, const std::vector<InputCell> &cells, char separator)
{
    PageList list{std::move(title), {}};
    for (const InputCell &cell : cells) {
        const InputField &f = inputField(cell.field);
        if (f.group != group)
            continue;
        const std::string value = cell.value ? number(*cell.value, separator) : cell.text;
        list.lines.emplace_back(std::string(f.caption), withUnit(value, f.unit));
    }
    return list;
}

PageList meltList(const std::vector<InputCell> &cells, const std::optional<MeltFitRange> &fit, char separator)
{
    PageList list = inputList("Melt", FieldGroup::Melt, cells, separator);
    // η0 in Pa·s too, under the unit the case keeps it in.
    for (const InputCell &cell : cells)
        if (cell.field == Field::StandardViscosity && cell.value)
            for (std::size_t i = 0; i < list.lines.size(); ++i)
                if (list.lines[i].first == inputField(Field::StandardViscosity).caption)
                    list.lines.insert(list.lines.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                      {"", "= " + number(*cell.value * PascalSecondsPerGfSecondPerCm2, separator, 6) +
                                               " Pa·s"});
    if (!fit)
        return list;
    list.lines.emplace_back("Fitted to", fit->source.empty() ? std::string("measured points") : fit->source);
    list.lines.emplace_back("Temperatures",
                            range(fit->temperatureMin, fit->temperatureMax, inputField(Field::Temperature).unit, separator));
    list.lines.emplace_back("Shear rates", range(fit->shearRateMin, fit->shearRateMax, "1/s", separator));
    list.lines.emplace_back("Points", std::to_string(fit->points));
    list.lines.emplace_back("Deviation", "rms " + number(fit->rmsDeviationPercent, separator, 3) + " %, max " +
                                             number(fit->maxDeviationPercent, separator, 3) + " %");
    return list;
}

// The study's unit, temperatures and flow rates, and each curve's answer
// to the limit.
PageList studyList(const Study &study, const std::optional<PressureLimit> &limit, const PressureUnit &unit,
                   char separator)
{
    PageList list{"Study", {}};
    list.lines.emplace_back("Pressure unit", shownUnitName(unit));
    const std::string_view flowUnit = inputField(Field::FlowRate).unit;
    if (!study.curves.empty() && !study.curves.front().points.empty())
        list.lines.emplace_back("Flow rates", range(study.curves.front().points.front().first,
                                                    study.curves.front().points.back().first, flowUnit, separator));
    if (!limit)
        return list;
    list.lines.emplace_back("Limit", (limit->screen ? "drop at screen " + std::to_string(limit->screen) + " "
                                                    : std::string("total ")) +
                                         withUnit(number(limitIn(*limit, unit), separator), shownUnitName(unit)));
    for (const StudyCurve &curve : study.curves) {
        if (!curve.limit)
            continue;
        const SolveAnswer &answer = *curve.limit;
        // Four significant digits, as the chart labels its crossings.
        list.lines.emplace_back(temperatureLabel(curve.temperature, separator),
                                answer.outcome == SolveOutcome::Found
                                    ? (answer.rises ? "within up to " : "within from ") +
                                          withUnit(fourDigits(answer.within(), separator), flowUnit)
                                    : answer.message);
    }
    return list;
}

std::string dropHeading(const PressureUnit &unit)
{
    return "Pressure drop\n(" + shownUnitName(unit) + ")";
}

} // namespace

std::string shownUnitName(const PressureUnit &unit)
{
    return std::string(printedUnit(unit.name));
}

double limitIn(const PressureLimit &limit, const PressureUnit &unit)
{
    return limit.unit.name == unit.name ? limit.value : limit.kgfCm2() * unit.perKgfCm2;
}

PlotSpec studyChartSpec(const Study &study, const std::optional<PressureLimit> &limit, const PressureUnit &unit,
                        const std::string &unitShown)
{
    PlotSpec spec;
    spec.title = "Total pressure drop";
    spec.xTitle = fieldTitle(inputField(Field::FlowRate));
    spec.xUnit = std::string(inputField(Field::FlowRate).unit);
    spec.yTitle = "Total pressure drop (" + unitShown + ")";
    for (std::size_t i = 0; i < study.curves.size(); ++i) {
        const StudyCurve &curve = study.curves[i];
        std::string name = temperatureLabel(curve.temperature, '.');
        if (i == study.caseCurve)
            name += " (the case)";
        spec.colourGroups.push_back(name);
        PlotLine line;
        line.colourGroup = i;
        for (const auto &[q, total] : curve.points)
            line.points.emplace_back(q, total * unit.perKgfCm2);
        spec.lines.push_back(std::move(line));
    }
    // The case itself, on its curve.
    if (study.point.ok() && study.caseCurve < study.curves.size()) {
        PlotLine point;
        point.colourGroup = study.caseCurve;
        point.markers = true;
        point.points.emplace_back(study.flowRate, study.point.total * unit.perKgfCm2);
        spec.lines.push_back(std::move(point));
    }
    // The chart is of the total: a limit on one screen is answered in the
    // study's list only.
    if (limit && limit->screen == 0) {
        const double value = limitIn(*limit, unit);
        spec.limit = PlotLimit{value, "limit " + shortest(value) + " " + unitShown};
        for (std::size_t i = 0; i < study.curves.size(); ++i)
            if (const auto &answer = study.curves[i].limit; answer && answer->outcome == SolveOutcome::Found)
                spec.lines[i].crossings.push_back(answer->within());
    }
    return spec;
}

PageSpec studyPage(const CasePageRequest &request, const Study &study, const std::optional<PressureLimit> &limit)
{
    std::optional<ValidityRange> range;
    if (const std::optional<MeltFitRange> &fit = request.content.meltFit)
        range = ValidityRange{fit->temperatureMin, fit->temperatureMax, fit->shearRateMin, fit->shearRateMax};
    PageSpec page;
    if (!study.point.ok())
        return page;
    const CaseContent &content = request.content;
    const char separator = request.separator;
    page.title = request.name;
    page.subtitle = {request.path, request.dateTime + "  ·  " + request.program};

    // The inputs as the run read them.
    const CasePoint point = evaluateCase(content.texts, separator, range);
    const std::vector<InputCell> cells = caseInputs(content.texts, point.read ? &point.computed : nullptr);
    page.lists = {inputList("Process", FieldGroup::Process, cells, separator), meltList(cells, content.meltFit, separator),
                  studyList(study, limit, request.unit, separator)};

    page.tableTitle = "Screens";
    page.headings = {"Screen", "Mesh\n(1/in)", "Wire dia.\n(cm)", "Opening\n(cm)", "Open area\n(%)", "Fs\n(cm^-n)",
                     "Wall shear\nrate (1/s)", "Apparent\nviscosity (Pa·s)", dropHeading(request.unit)};
    for (const auto &row : studyTableTexts(study.point, request.unit, separator))
        page.rows.emplace_back(row.begin(), row.end());

    page.notesTitle = "Diagnoses";
    for (const Finding &f : study.findings)
        page.notes.push_back(std::string(severityName(f.severity)) + " — " + placeOf(f.key) + ": " + f.sentence);
    if (page.notes.empty())
        page.notes.push_back("Nothing doubtful in these inputs.");

    if (!study.curves.empty())
        page.chart = studyChartSpec(study, limit, request.unit, shownUnitName(request.unit));
    return page;
}

CasePage casePage(const CasePageRequest &request)
{
    const CaseContent &content = request.content;
    const char separator = request.separator;
    CasePage result;

    StudyRequest study{content.texts, separator, std::nullopt, std::nullopt, {}, {}};
    if (content.meltFit)
        study.range = ValidityRange{content.meltFit->temperatureMin, content.meltFit->temperatureMax,
                                    content.meltFit->shearRateMin, content.meltFit->shearRateMax};
    if (content.study) {
        const CaseStudy &s = *content.study;
        if (!s.problem.empty())
            result.problem = s.problem;
        if (s.limit) {
            try {
                study.limit = parseLimit(*s.limit);
            } catch (const std::exception &e) {
                result.problem = "study.limit: " + std::string(e.what());
            }
        }
        if (s.temperatures)
            study.temperatures = *s.temperatures;
        if (s.flowRateFrom && s.flowRateTo)
            study.flowRange = std::pair(*s.flowRateFrom, *s.flowRateTo);
    }
    const Study computed = computeStudy(study);
    if (!computed.point.ok() && result.problem.empty()) {
        const Finding &first = computed.findings.front();
        result.problem = placeOf(first.key) + ": " + first.sentence;
        if (!computed.point.message.empty())
            result.problem += " [" + computed.point.message + "]";
    }
    if (!result.ok())
        return result;

    result.page = studyPage(request, computed, study.limit);
    return result;
}

} // namespace sf
