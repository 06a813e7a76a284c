#include "run/SolveCase.h"

#include "calc/InputFields.h"
#include "io/NumberText.h"

namespace sf {

namespace {

std::string unitSuffix(Field key)
{
    const std::string_view unit = inputField(key).unit;
    return unit.empty() || unit == "-" ? std::string() : " " + std::string(unit);
}

} // namespace

SolvedCase solveCase(const FieldTexts &texts, char separator, Field key, const PressureLimit &limit,
                     const std::optional<SolveRange> &range, const std::optional<ValidityRange> &fit)
{
    SolvedCase s;
    s.range = range ? *range : defaultSolveRange(key, caseValueOf(texts, separator, key).value_or(0));
    s.answer = solveLimit(texts, separator, key, limit, s.range);
    if (s.answer.outcome == SolveOutcome::Found) {
        FieldTexts at = texts;
        at[key] = valueFieldText(s.answer.within(), separator);
        s.findings = diagnose(at, separator, &s.answer.pointWithin(), fit);
    }
    return s;
}

std::string solvedCaseText(const std::string &key, Field field, const PressureLimit &limit, const SolvedCase &s)
{
    const SolveAnswer &a = s.answer;
    const std::string unit(limit.unit.name);
    std::string text = key + " = " + shortest(a.within()) + unitSuffix(field) + ": " +
                       (limit.screen == 0 ? std::string("total") : "screen " + std::to_string(limit.screen)) + " " +
                       shortest(a.measureWithin() * limit.unit.perKgfCm2) + " " + unit + ", limit " +
                       shortest(limit.value) + " " + unit + " (" + (a.rises ? "rises" : "falls") + " with " + key + ")\n";
    for (const Finding &f : s.findings)
        text += "  " + std::string(severityName(f.severity)) + ": " + f.key + ": " + f.sentence + "\n";
    return text;
}

std::vector<Field> solvableKeys()
{
    std::vector<Field> keys;
    for (int i = 0; i < FieldCount; ++i)
        if (!solveRefusal(static_cast<Field>(i)))
            keys.push_back(static_cast<Field>(i));
    return keys;
}

} // namespace sf
