#include "SolveCommand.h"

#include "Common.h"
#include "calc/InputFields.h"
#include "export/CaseJson.h"
#include "export/TableText.h"
#include "run/Diagnoses.h"
#include "run/Limit.h"
#include "run/Solve.h"
#include "run/SolveCase.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>

namespace sf {

namespace {

Field keyToFind(const std::string &key)
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

SolveRange rangeOf(std::string_view spec, Field key)
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

bool hasError(const std::vector<Finding> &findings)
{
    return std::any_of(findings.begin(), findings.end(), [](const Finding &f) { return f.severity == Severity::Error; });
}

void appendMember(std::string &out, const std::string &pad, std::string_view name, double v)
{
    out += ",\n" + pad;
    appendJsonString(out, name);
    out += ": ";
    appendJsonNumber(out, v);
}

// One case's answer as a JSON object, every line after the first led by
// `indent`; pressures in the limit's unit.
std::string answerJson(const std::string &name, Field field, const PressureLimit &limit, const SolvedCase &s,
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

} // namespace

CLI::App *setupSolve(CLI::App &app, int &exitCode)
{
    auto options = std::make_shared<SolveCommandOptions>();
    CLI::App *cmd = app.add_subcommand("solve", "Find the value of one key at which each case just reaches a pressure limit.");
    cmd->add_option("CASE", options->cases, "Case files (.sfcase or .toml)")->required();
    cmd->add_option("--find", options->find,
                    "The key to solve for: flow_rate, temperature, density, screen_diameter, standard_viscosity, "
                    "standard_shear_rate, shift_a, shift_b, screens.N.mesh or screens.N.wire (default: the case's "
                    "[study] find)");
    cmd->add_option("--limit", options->limit,
                    "total=PRESSURE, or drop.N=PRESSURE for screen N's drop; the unit right after the number "
                    "(kgf/cm2, bar, MPa or psi), such as total=150bar (default: the case's [study] limit)");
    cmd->add_option("--range", options->range,
                    "FROM:TO, the values to search (default: around each case's own value, as the manual lists)");
    cmd->add_option("--format", options->format, "text (default: one line per case) or json")
        ->check(CLI::IsMember({"text", "json"}));
    cmd->callback([options, &exitCode] { exitCode = runSolveCommand(*options); });
    return cmd;
}

int runSolveCommand(const SolveCommandOptions &options)
{
    // What the options give; a case's study gives what they leave out.
    std::optional<Field> givenKey;
    std::optional<PressureLimit> givenLimit;
    std::optional<SolveRange> givenRange;
    try {
        if (!options.find.empty())
            givenKey = keyToFind(options.find);
        if (!options.limit.empty())
            givenLimit = parseLimit(options.limit);
        if (options.range && givenKey)
            givenRange = rangeOf(*options.range, *givenKey);
    } catch (const UsageError &e) {
        complain(e.what());
        return UsageOrFileError;
    }
    const std::optional<std::vector<CaseContent>> cases = readCases(options.cases);
    if (!cases)
        return UsageOrFileError;

    struct Question {
        std::string find; // the key as the user wrote it
        Field key;
        PressureLimit limit;
        std::optional<SolveRange> range;
    };
    std::vector<Question> questions;
    for (std::size_t i = 0; i < options.cases.size(); ++i) {
        const std::optional<CaseStudy> &study = (*cases)[i].study;
        const std::string &name = options.cases[i];
        Question q{options.find, givenKey.value_or(Field::FlowRate), givenLimit.value_or(PressureLimit{}), givenRange};
        if (!givenKey) {
            if (!study || !study->find) {
                complain(name + ": no key to find: give --find KEY, or find = \"KEY\" in the case's [study]");
                return UsageOrFileError;
            }
            q.find = *study->find;
            q.key = *fieldOfKey(q.find); // the study was checked as it was read
            if (options.range) {
                try {
                    q.range = rangeOf(*options.range, q.key);
                } catch (const UsageError &e) {
                    complain(e.what());
                    return UsageOrFileError;
                }
            }
        }
        if (!givenLimit) {
            if (!study || !study->limit) {
                complain(name + ": no limit: give --limit total=PRESSURE, or limit = \"total=PRESSURE\" in the case's "
                                "[study]");
                return UsageOrFileError;
            }
            q.limit = parseLimit(*study->limit);
        }
        questions.push_back(q);
    }

    const bool json = options.format == "json";
    const bool several = options.cases.size() > 1;
    std::string document = json && several ? "[\n  " : "";
    int exit = Success;
    for (std::size_t i = 0; i < options.cases.size(); ++i) {
        const std::string &name = options.cases[i];
        const Question &q = questions[i];
        const SolvedCase s = solveCase((*cases)[i].texts, '.', q.key, q.limit, q.range, validityRangeOf((*cases)[i]));
        if (s.answer.outcome != SolveOutcome::Found) {
            complain(name + ": " + s.answer.message);
            exit = CaseFailed;
        } else if (hasError(s.findings)) {
            exit = CaseFailed;
        }
        if (json) {
            document += answerJson(name, q.key, q.limit, s, several ? "  " : "");
            document += i + 1 < options.cases.size() ? ",\n  " : "";
        } else if (s.answer.outcome == SolveOutcome::Found) {
            // "pack.sfcase: flow_rate = 9.0123 kg/hr: total 149.99 bar, ...",
            // then the findings at the answer, indented.
            document += name + ": " + solvedCaseText(q.find, q.key, q.limit, s);
        }
    }
    if (json)
        document += several ? "\n]\n" : "\n";
    return writeOutput("-", document) ? exit : UsageOrFileError;
}

} // namespace sf
