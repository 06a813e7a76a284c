#pragma once

// What the subcommands of screenfilter-cli share: exit codes, messages, the
// locale's separator and reading the case files named on the command line.

#include "calc/FieldTexts.h"
#include "cases/CaseFile.h"
#include "plot/Page.h"
#include "run/Diagnoses.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sf {

// 0 all good, 1 some case was rejected or failed, 2 a usage or file error
// (nothing ran, or the output could not be written).
enum ExitCode { Success = 0, CaseFailed = 1, UsageOrFileError = 2 };

// One line for the user on standard error.
void complain(const std::string &message);

// The decimal separator of the user's locale (LC_ALL, LC_NUMERIC, LANG), as
// the window takes it: one ASCII character that can serve, "." otherwise.
char localeSeparator();

// The paper of the user's locale (LC_ALL, LC_PAPER, LANG): Letter where
// its size is Letter's, A4 otherwise, and where the locale gives none.
Paper localePaper();

// The same for a locale named `name` ("" for the user's).
Paper paperOfLocale(const char *name);

// --decimal-separator as given, or the locale's without it; nullopt after
// saying why it cannot serve.
std::optional<char> separatorArgument(const std::optional<std::string> &given);

// What is wrong with a case's study beyond what the reader checks: its own
// problem, a limit that --limit would refuse, a key solve cannot find.
std::optional<std::string> studyProblem(const std::string &path, const CaseStudy &study);

// Reads every case file, its study checked, before anything runs; nullopt
// after saying why.
std::optional<std::vector<CaseContent>> readCases(const std::vector<std::string> &paths);

// The range of the data a case's melt was fitted to, when it says.
std::optional<ValidityRange> validityRangeOf(const CaseContent &content);

// A file a command is about to write, and how to name it to the user:
// "a.sfcase's report r.txt", "the table t.csv".
struct PlannedOutput {
    std::string path;
    std::string described;
};

// Before anything runs: no output may be one of the input case files or
// another output of the same command, whatever links or spellings lead to
// it. Says which two meet and returns false if any do. Devices, pipes and
// standard output are written into, never replaced, and are not compared.
// `inputKind` names what the inputs are in the message.
bool outputsStandApart(const std::vector<std::string> &inputs, const std::vector<PlannedOutput> &outputs,
                       std::string_view inputKind = "the case file");

// Writes `text` whole to `path` ("-": standard output); false after saying
// what went wrong.
bool writeOutput(const std::string &path, std::string_view text);

// The last part of a path, or the path itself when it has none.
std::string fileNameOf(const std::string &path);

} // namespace sf
