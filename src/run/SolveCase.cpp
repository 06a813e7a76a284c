#include "run/SolveCase.h"

#include "calc/InputFields.h"
#include "io/NumberText.h"
#include "run/Sweep.h"

#include <charconv>
#include <cmath>

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

Field solveKeyOf(const std::string &key)
{
    const std::optional<Field> field = fieldOfKey(key);
    if (!field) {
        const std::string near = closestKey(key);
        throw UsageError("--find: " + key + " is no key of a case" + (near.empty() ? "" : "; did you mean " + near + "?"));
    }
    if (const std::optional<std::string> why = solveRefusal(*field))
        throw UsageError("--find: " + *why);
    return *field;
}

SolveRange solveRangeOf(std::string_view spec, Field key)
{
    const std::string usage = "--range: FROM:TO, two numbers with \".\", such as 1:100";
    const std::size_t colon = spec.find(':');
    if (colon == std::string_view::npos)
        throw UsageError(usage);
    SolveRange range;
    const auto read = [&](std::string_view text, double &v) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
            throw UsageError(usage);
    };
    read(spec.substr(0, colon), range.from);
    read(spec.substr(colon + 1), range.to);
    if (!(range.from < range.to))
        throw UsageError("--range: " + std::string(spec) + ": FROM below TO");
    if (solvesPositiveOnly(key) && !(range.from > 0))
        throw UsageError("--range: " + std::string(spec) + ": " + keyOfField(key) + " makes sense above zero only");
    return range;
}

} // namespace sf
