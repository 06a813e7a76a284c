// solve and sweep asked by a case's [study], in-process: what they take from
// it, what the options given still decide, and how a bad study is refused.
#include "RunCommand.h"
#include "SolveCommand.h"
#include "SweepCommand.h"
#include "plot/PlotApplication.h"
#include "support/CaseText.h"
#include "support/Files.h"
#include "support/Process.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace sf {
namespace {

using Said = test::ProcessResult;

Said said(const std::function<int()> &run)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int exitCode = run();
    std::string out = testing::internal::GetCapturedStdout();
    return {exitCode, out, testing::internal::GetCapturedStderr()};
}

const std::string &Case = test::OneScreenCase;

// plain: no study; asked: the example; each other a study with one
// thing wrong.
void writeCases()
{
    const std::string study = "\n[study]\npressure_unit = \"bar\"\nlimit = \"total=10bar\"\nfind = \"flow_rate\"\n"
                              "temperatures = [195, 210, 225]\nflow_rate_from = 100\nflow_rate_to = 250\n";
    test::writeBytes("plain.sfcase", Case);
    test::writeBytes("asked.sfcase", Case + study);
    test::writeBytes("badlimit.sfcase", Case + "\n[study]\nlimit = \"total=60bra\"\n");
    test::writeBytes("badfind.sfcase", Case + "\n[study]\nfind = \"count\"\nlimit = \"total=1bar\"\n");
    test::writeBytes("badrange.sfcase", Case + "\n[study]\nflow_rate_from = 100\nflow_rate_to = 50\n");
    test::writeBytes("typo.sfcase", Case + "\n[study]\nlimt = \"total=60bar\"\n");
}

TEST(StudyCommand, SolveTakesWhatTheOptionsLeaveOutFromTheStudy)
{
    test::ScopedTempCwd cwd;
    writeCases();
    const struct {
        const char *name;
        SolveCommandOptions options;
        int exitCode;
        std::vector<std::string> out, err;
    } rows[] = {
        {"the limit given wins", {{"asked.sfcase"}, "", "total=20bar", {}, "text"}, 0,
         {"asked.sfcase: flow_rate = ", "limit 20 bar (rises with flow_rate)\n"}, {}},
        {"the key given wins", {{"asked.sfcase"}, "process.temperature", "", {}, "text"}, 0,
         {"asked.sfcase: process.temperature = ", "limit 10 bar (falls with process.temperature)"}, {}},
        {"a range for the study's key", {{"asked.sfcase"}, "", "", std::string("1:1.2"), "text"}, 1, {},
         {"asked.sfcase: process.flow_rate: the total stays below the limit of 10 bar from 1 to 1.2 kg/hr"}},
        {"no study, no key", {{"plain.sfcase"}, "", "total=1bar", {}, "text"}, 2, {},
         {"plain.sfcase: no key to find: give --find KEY, or find = \"KEY\" in the case's [study]"}},
        {"no study, no limit", {{"plain.sfcase"}, "flow_rate", "", {}, "text"}, 2, {},
         {"plain.sfcase: no limit: give --limit"}},
        {"a bad limit in the study", {{"badlimit.sfcase"}, "flow_rate", "total=1bar", {}, "text"}, 2, {},
         {"badlimit.sfcase: study.limit: 60bra: the unit right after the number"}},
        {"a key that cannot be solved for", {{"badfind.sfcase"}, "", "", {}, "text"}, 2, {},
         {"badfind.sfcase: study.find: pack.count: "}},
        {"a range ending below its start", {{"badrange.sfcase"}, "flow_rate", "total=1bar", {}, "text"}, 2, {},
         {"badrange.sfcase:23:16: study.flow_rate_to must be above flow_rate_from"}},
        {"a mistyped key", {{"typo.sfcase"}, "flow_rate", "total=1bar", {}, "text"}, 2, {},
         {"typo.sfcase:22:1: unknown key 'limt' in [study]; did you mean limit?"}},
    };
    for (const auto &row : rows) {
        const Said s = said([&] { return runSolveCommand(row.options); });
        SCOPED_TRACE(std::string(row.name) + "\nout: " + s.out + "\nerr: " + s.err);
        EXPECT_EQ(s.exitCode, row.exitCode);
        EXPECT_EQ(test::missing(s.out, row.out), "");
        EXPECT_EQ(test::missing(s.err, row.err), "");
        if (row.out.empty()) {
            EXPECT_EQ(s.out, "");
        }
    }

    // The study's question answers as the same question asked in options.
    const Said fromStudy = said([] { return runSolveCommand({{"asked.sfcase"}, "", "", {}, "text"}); });
    const Said given = said([] { return runSolveCommand({{"asked.sfcase"}, "flow_rate", "total=10bar", {}, "text"}); });
    EXPECT_EQ(fromStudy.out, given.out);
}

TEST(StudyCommand, SweepWithoutVarySweepsTheStudysChart)
{
    test::ScopedTempCwd cwd;
    writeCases();
    char name[] = "screenfilter-cli";
    char *argv[] = {name, nullptr};
    PlotApplication plots(1, argv); // no plot is drawn: Qt is never started
    auto sweep = [](std::vector<std::string> cases, std::optional<std::string> units = {}) {
        SweepCommandOptions o;
        o.cases = std::move(cases);
        o.output = "out.csv";
        o.units = std::move(units);
        o.threads = 1;
        return o;
    };
    const struct {
        const char *name;
        SweepCommandOptions options;
        int exitCode;
        std::vector<std::string> table; // header, first, second, last and fifth rows, in part
        std::string err;
    } rows[] = {
        {"the study's range and temperatures", sweep({"asked.sfcase"}), 0,
         {"case,flow_rate,temperature,total_bar,", "asked.sfcase,100,195,", "asked.sfcase,100,210,",
          "asked.sfcase,250,225,", "asked.sfcase,101.5625,195,"}, // evenly spaced: 100 + 150/96
         ""},
        {"a unit given wins", sweep({"asked.sfcase"}, "psi"), 0, {"case,flow_rate,temperature,total_psi,"}, ""},
        {"no study: a quarter to twice the flow rate, 20 degrees either side", sweep({"plain.sfcase"}), 0,
         {"case,flow_rate,temperature,total_kgf_cm2,", "plain.sfcase,14.375,270,", "plain.sfcase,14.375,290,",
          "plain.sfcase,115,310,"},
         ""},
        {"two cases asking for different charts", sweep({"plain.sfcase", "asked.sfcase"}), 2, {},
         "sweep: asked.sfcase and plain.sfcase ask for different charts in their study"},
        {"a bad limit", sweep({"badlimit.sfcase"}), 2, {}, "badlimit.sfcase: study.limit: 60bra"},
    };
    for (const auto &row : rows) {
        std::filesystem::remove("out.csv");
        const Said s = said([&] { return runSweepCommand(row.options, plots); });
        SCOPED_TRACE(std::string(row.name) + "\nerr: " + s.err);
        EXPECT_EQ(s.exitCode, row.exitCode);
        EXPECT_EQ(test::missing(s.err, {row.err}), "");
        if (row.table.empty()) {
            EXPECT_FALSE(std::filesystem::exists("out.csv"));
            continue;
        }
        const std::string table = test::readBytes("out.csv");
        std::vector<std::string> lines;
        for (std::size_t at = 0, end; (end = table.find('\n', at)) != std::string::npos; at = end + 1)
            lines.push_back(table.substr(at, end - at));
        ASSERT_EQ(lines.size(), 1 + 97 * 3u);
        const std::string picked[] = {lines[0], lines[1], lines[2], lines.back(), lines[4]};
        for (std::size_t i = 0; i < row.table.size(); ++i)
            EXPECT_EQ(picked[i].substr(0, row.table[i].size()), row.table[i]);
    }
}

TEST(StudyCommand, RunChecksTheStudyButDoesNotUseIt)
{
    test::ScopedTempCwd cwd;
    writeCases();
    char name[] = "screenfilter-cli";
    char *argv[] = {name, nullptr};
    PlotApplication plots(1, argv);
    RunOptions bad;
    bad.cases = {"typo.sfcase"};
    const Said refused = said([&] { return runRun(bad, plots); });
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(test::missing(refused.err, {"typo.sfcase:22:1: unknown key 'limt' in [study]"}), "");

    RunOptions plain, asked;
    plain.cases = {"plain.sfcase"};
    asked.cases = {"asked.sfcase"};
    plain.output = asked.output = "-";
    const Said a = said([&] { return runRun(plain, plots); });
    const Said b = said([&] { return runRun(asked, plots); });
    EXPECT_EQ(a.exitCode, 0);
    EXPECT_EQ(b.exitCode, 0);
    EXPECT_EQ(a.out, b.out);
    EXPECT_NE(a.out, "");
}

} // namespace
} // namespace sf
