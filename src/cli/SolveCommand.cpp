#include "SolveCommand.h"

#include "Common.h"
#include "calc/InputFields.h"
#include "export/SolveJson.h"
#include "run/Diagnoses.h"
#include "run/Limit.h"
#include "run/Solve.h"
#include "run/SolveCase.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <memory>

namespace sf {

namespace {

bool hasError(const std::vector<Finding> &findings)
{
    return std::any_of(findings.begin(), findings.end(), [](const Finding &f) { return f.severity == Severity::Error; });
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
            givenKey = solveKeyOf(options.find);
        if (!options.limit.empty())
            givenLimit = parseLimit(options.limit);
        if (options.range && givenKey)
            givenRange = solveRangeOf(*options.range, *givenKey);
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
                    q.range = solveRangeOf(*options.range, q.key);
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
            document += solveAnswerJson(name, q.key, q.limit, s, several ? "  " : "");
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
