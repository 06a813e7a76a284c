#include "export/CaseJson.h"

#include "calc/InputFields.h"
#include "export/StudyTable.h"
#include "export/TableText.h"
#include "run/CasePoint.h"

namespace sf {

namespace {

std::string_view statusName(PointStatus status)
{
    switch (status) {
    case PointStatus::Ok:
        return "ok";
    case PointStatus::Rejected:
        return "rejected";
    case PointStatus::Failed:
        break;
    }
    return "failed";
}

void appendMember(std::string &out, std::string_view name, double v)
{
    out += ", ";
    appendJsonString(out, name);
    out += ": ";
    appendJsonNumber(out, v);
}

} // namespace

CaseJson caseDetailsJson(std::string_view name, const FieldTexts &texts, char separator, std::string_view indent,
                         const std::optional<ValidityRange> &range, const PressureUnit &unit)
{
    const CasePoint c = evaluateCase(texts, separator, range);
    const PointResult &point = c.point;
    const std::string pad = std::string(indent) + "  ";

    CaseJson json{{}, point.status, point.message};
    std::string &out = json.text;
    out += "{\n" + pad + "\"case\": ";
    appendJsonString(out, name);
    out += ",\n" + pad + "\"status\": ";
    appendJsonString(out, statusName(point.status));
    if (!point.ok()) {
        out += ",\n" + pad + "\"message\": ";
        appendJsonString(out, point.message);
    }

    // The inputs as the run took them; a run that could not read its case
    // gives each as its text.
    out += ",\n" + pad + "\"inputs\": [";
    bool first = true;
    for (const InputCell &cell : caseInputs(texts, c.read ? &c.computed : nullptr)) {
        out += first ? "\n" : ",\n";
        first = false;
        out += pad + "  {\"key\": ";
        appendJsonString(out, keyOfField(cell.field));
        out += ", \"value\": ";
        if (cell.value)
            appendJsonNumber(out, *cell.value);
        else
            appendJsonString(out, cell.text);
        out += ", \"unit\": ";
        appendJsonString(out, inputField(cell.field).unit);
        out += '}';
    }
    out += "\n" + pad + "]";

    out += ",\n" + pad + "\"screens\": [";
    for (int i = 0; i < point.screenCount; ++i) {
        const ScreenResult &s = point.screens[static_cast<std::size_t>(i)];
        out += i ? ",\n" : "\n";
        out += pad + "  {\"screen\": " + std::to_string(i + 1);
        for (const ScreenQuantity &q : ScreenQuantities)
            appendMember(out, q.name, &q == &ScreenQuantities.back() ? s.*q.value * unit.perKgfCm2 : s.*q.value);
        out += '}';
    }
    out += point.screenCount ? "\n" + pad + "]" : "]";

    out += ",\n" + pad + "\"total\": ";
    if (point.ok())
        appendJsonNumber(out, point.total * unit.perKgfCm2);
    else
        out += "null";

    out += ",\n" + pad + "\"units\": {";
    for (const ScreenQuantity &q : ScreenQuantities) {
        appendJsonString(out, q.name);
        out += ": ";
        appendJsonString(out, &q == &ScreenQuantities.back() ? unit.name : q.unit);
        out += ", ";
    }
    out += "\"total\": ";
    appendJsonString(out, unit.name);
    out += '}';

    out += ",\n";
    appendFindingsJson(out, c.findings, pad);
    out += "\n" + std::string(indent) + "}";
    return json;
}

void appendFindingsJson(std::string &out, const std::vector<Finding> &findings, const std::string &pad)
{
    out += pad + "\"diagnoses\": [";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const Finding &f = findings[i];
        out += i ? ",\n" : "\n";
        out += pad + "  {\"code\": ";
        appendJsonString(out, f.code);
        out += ", \"severity\": ";
        appendJsonString(out, severityName(f.severity));
        out += ", \"key\": ";
        appendJsonString(out, f.key);
        out += ", \"value\": ";
        appendJsonString(out, f.value);
        out += ", \"sentence\": ";
        appendJsonString(out, f.sentence);
        out += '}';
    }
    out += findings.empty() ? "]" : "\n" + pad + "]";
}

} // namespace sf
