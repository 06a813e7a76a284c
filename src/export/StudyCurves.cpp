#include "export/StudyCurves.h"

#include "calc/InputFields.h"
#include "export/TableText.h"
#include "export/XlsxBook.h"
#include "io/NumberText.h"

#include <map>
#include <vector>

namespace sf {

namespace {

// The cells of the table, kept apart from how a file spells them.
struct Cell {
    std::optional<double> number;
    std::string text;
};
using Row = std::vector<Cell>;

std::vector<Row> curvesRows(const Study &study, const PressureUnit &unit, const std::optional<PressureLimit> &limit)
{
    std::vector<Row> rows;
    Row header{{std::nullopt, nameWithUnit("flow_rate", inputField(Field::FlowRate).unit)}};
    const std::string total = nameWithUnit("total", unit.name) + "_";
    for (const StudyCurve &curve : study.curves)
        header.push_back({std::nullopt, total + shortest(curve.temperature) + "C"});
    rows.push_back(std::move(header));

    // Every rate of any curve, ascending; the curves share theirs, but a
    // point that does not compute is missing from its curve.
    std::map<double, Row> byRate;
    for (std::size_t c = 0; c < study.curves.size(); ++c)
        for (const auto &[q, kgfCm2] : study.curves[c].points) {
            Row &row = byRate[q];
            row.resize(study.curves.size() + 1);
            row[0].number = q;
            row[c + 1].number = kgfCm2 * unit.perKgfCm2;
        }
    for (auto &[q, row] : byRate)
        rows.push_back(std::move(row));

    if (!limit)
        return rows;
    rows.push_back({});
    rows.push_back({{std::nullopt, "limit"}, {std::nullopt, limit->label()}});
    rows.push_back({{std::nullopt, nameWithUnit("temperature", inputField(Field::Temperature).unit)},
                    {std::nullopt, nameWithUnit("flow_rate", inputField(Field::FlowRate).unit)},
                    {std::nullopt, nameWithUnit(limit->screen == 0 ? "total" : "drop_" + std::to_string(limit->screen),
                                                unit.name)},
                    {std::nullopt, "outcome"},
                    {std::nullopt, "message"}});
    for (const StudyCurve &curve : study.curves) {
        Row row{{curve.temperature, {}}, {}, {}, {}, {}};
        if (curve.limit) {
            const SolveAnswer &a = *curve.limit;
            if (a.outcome == SolveOutcome::Found) {
                row[1].number = a.within();
                row[2].number = a.measureWithin() * unit.perKgfCm2;
            }
            row[3].text = solveOutcomeName(a.outcome);
            row[4].text = a.message;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace

std::string studyCurvesCsv(const Study &study, const PressureUnit &unit, const std::optional<PressureLimit> &limit,
                           char separator)
{
    const char delimiter = separator == ',' ? ';' : ',';
    std::string out;
    for (const Row &row : curvesRows(study, unit, limit)) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0)
                out += delimiter;
            if (row[c].number)
                appendNumber(out, *row[c].number, {separator, 0});
            else
                appendCsvField(out, row[c].text, delimiter);
        }
        out += '\n';
    }
    return out;
}

void writeStudyCurvesWorkbook(ByteSink &out, const std::string &caseName, const FieldTexts &texts, char separator,
                              const Study &study, const PressureUnit &unit, const std::optional<PressureLimit> &limit)
{
    XlsxBook book(false);
    book.addSheet(sheetNames({caseName}).front());
    std::uint32_t r = writeCaseInputs(book, 0, caseName, texts, separator);
    for (const Row &row : curvesRows(study, unit, limit)) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            const auto column = static_cast<std::uint16_t>(c);
            if (row[c].number)
                book.numberOrText(r, column, *row[c].number);
            else if (!row[c].text.empty())
                book.text(r, column, row[c].text);
        }
        ++r;
    }
    book.finish(out);
}

} // namespace sf
