#include "export/SolveJson.h"

#include "calc/InputFields.h"
#include "export/CaseJson.h"
#include "export/TableText.h"

namespace sf {

namespace {

void appendMember(std::string &out, const std::string &pad, std::string_view name, double v)
{
    out += ",\n" + pad;
    appendJsonString(out, name);
    out += ": ";
    appendJsonNumber(out, v);
}

} // namespace

std::string solveAnswerJson(const std::string &name, Field field, const PressureLimit &limit, const SolvedCase &s,
                            const std::string &indent)
{
    const SolveAnswer &a = s.answer;
    const std::string pad = indent + "  ";
    std::string out = "{\n" + pad + "\"case\": ";
    appendJsonString(out, name);
    out += ",\n" + pad + "\"key\": ";
    appendJsonString(out, keyOfField(field));
    out += ",\n" + pad + "\"limit\": {\"on\": ";
    appendJsonString(out, limit.screen == 0 ? "total" : "drop." + std::to_string(limit.screen));
    out += ", \"value\": ";
    appendJsonNumber(out, limit.value);
    out += ", \"unit\": ";
    appendJsonString(out, limit.unit.name);
    out += "},\n" + pad + "\"range\": [";
    appendJsonNumber(out, s.range.from);
    out += ", ";
    appendJsonNumber(out, s.range.to);
    out += "],\n" + pad + "\"outcome\": ";
    appendJsonString(out, solveOutcomeName(a.outcome));
    if (a.outcome != SolveOutcome::Found) {
        out += ",\n" + pad + "\"message\": ";
        appendJsonString(out, a.message);
    } else {
        appendMember(out, pad, "lo", a.lo);
        appendMember(out, pad, "hi", a.hi);
        appendMember(out, pad, "pressure_lo", a.measureLo * limit.unit.perKgfCm2);
        appendMember(out, pad, "pressure_hi", a.measureHi * limit.unit.perKgfCm2);
        out += ",\n" + pad + "\"met_at\": ";
        appendJsonString(out, a.metAtLo() ? "lo" : "hi");
        out += ",\n" + pad + "\"direction\": ";
        appendJsonString(out, a.rises ? "rises" : "falls");
        out += ",\n";
        appendFindingsJson(out, s.findings, pad);
    }
    out += "\n" + indent + "}";
    return out;
}

} // namespace sf
