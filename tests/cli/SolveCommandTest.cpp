// screenfilter-cli solve as a user runs it: the answer line, its findings,
// what it says when there is no answer, exit codes, the JSON document.
#include "support/Files.h"
#include "support/Process.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace sf {
namespace {

using test::cli;

// The worked example, and the same at 120 kg/hr with a melt fitted to data
// from 200 to 300 degrees and 10 to 1000 1/s.
void writeCases()
{
    ASSERT_EQ(cli({"init", "pack.sfcase"}).exitCode, 0);
    std::string hot = test::readBytes("pack.sfcase");
    const std::size_t flow = hot.find("flow_rate = ");
    ASSERT_NE(flow, std::string::npos);
    hot.replace(flow, hot.find('\n', flow) - flow, "flow_rate = 120");
    hot += "\n[melt.fit]\ntemperature_min = 200\ntemperature_max = 300\nshear_rate_min = 10\nshear_rate_max = 1000\n"
           "points = 12\nsource = \"sheet.csv\"\nrms_deviation_percent = 2\nmax_deviation_percent = 4\n";
    test::writeBytes("hot.sfcase", hot);
}

TEST(SolveCommand, AnswersOrSaysWhyWithItsExitCode)
{
    test::ScopedTempCwd cwd;
    writeCases();
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::vector<std::string> out, err; // parts of each, in no order
    } rows[] = {
        {{"pack.sfcase", "--find", "flow_rate", "--limit", "total=150bar"}, 0,
         {"pack.sfcase: flow_rate = 9.01", " kg/hr: total 1", " bar, limit 150 bar (rises with flow_rate)\n"}, {}},
        {{"hot.sfcase", "--find", "process.temperature", "--limit", "total=100bar"}, 0,
         {"hot.sfcase: process.temperature = 372.7", "limit 100 bar (falls with process.temperature)\n",
          "\n  warning: process.temperature: "}, {}},
        {{"pack.sfcase", "--find", "flow_rate", "--limit", "drop.12=2MPa", "--range", "1:57"}, 0,
         {"pack.sfcase: flow_rate = ", ": screen 12 ", " MPa, limit 2 MPa (rises with flow_rate)\n"}, {}},
        {{"pack.sfcase", "hot.sfcase", "--find", "flow_rate", "--limit", "total=10000bar"}, 1, {},
         {"pack.sfcase: process.flow_rate: the total stays below the limit of 10000 bar from 0.57 to 5700 kg/hr",
          "hot.sfcase: process.flow_rate: the total stays below the limit of 10000 bar from 1.2 to 12000 kg/hr"}},
        {{"pack.sfcase", "hot.sfcase", "--find", "temperature", "--limit", "total=100bar", "--range", "300:360"}, 1,
         {"pack.sfcase: temperature = 352.8"},
         {"hot.sfcase: process.temperature: the total is above the limit of 100 bar all from 300 to 360 ℃"}},
        {{"pack.sfcase", "--find", "screens.1.wire", "--limit", "total=150bar", "--range", "0.01:0.1"}, 1, {},
         {"pack.sfcase: screens.1.wire: at ",
          "the case does not compute: screens.1.wire: no opening left at screen 1"}},
        {{"pack.sfcase", "--find", "count", "--limit", "total=150bar"}, 2, {},
         {"--find: pack.count: the number of screens is a whole number"}},
        {{"pack.sfcase", "--find", "flow_rat", "--limit", "total=150bar"}, 2, {},
         {"--find: flow_rat is no key of a case; did you mean process.flow_rate?"}},
        {{"pack.sfcase", "--find", "flow_rate", "--limit", "total=150"}, 2, {}, {"--limit: 150: the unit"}},
        {{"pack.sfcase", "--find", "flow_rate", "--limit", "total=150bar", "--range", "60:5"}, 2, {},
         {"--range: 60:5: FROM below TO"}},
        {{"pack.sfcase", "--find", "density", "--limit", "total=150bar", "--range", "0:1"}, 2, {},
         {"--range: 0:1: process.density makes sense above zero only"}},
        {{"pack.sfcase", "--find", "flow_rate", "--limit", "total=150bar", "--range", "1-100"}, 2, {},
         {"--range: FROM:TO"}},
        {{"missing.sfcase", "--find", "flow_rate", "--limit", "total=150bar"}, 2, {}, {"missing.sfcase"}},
    };
    for (const auto &row : rows) {
        std::vector<std::string> args{"solve"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const test::ProcessResult r = cli(args);
        SCOPED_TRACE(row.args[2] + " " + row.args[4] + "\nout: " + r.out + "\nerr: " + r.err);
        EXPECT_EQ(r.exitCode, row.exitCode);
        EXPECT_EQ(test::missing(r.out, row.out), "");
        EXPECT_EQ(test::missing(r.err, row.err), "");
        EXPECT_TRUE(!row.out.empty() || r.out.empty()) << "standard output: nothing";
        EXPECT_TRUE(!row.err.empty() || r.err.empty()) << "standard error: nothing";
    }
}

TEST(SolveCommand, JsonHoldsThePairThePressuresAndTheFindings)
{
    test::ScopedTempCwd cwd;
    writeCases();
    // Read back by another JSON reader, which also checks that the pair is
    // two adjacent doubles, the one it names as met on the limit's side.
    const char *const check = R"(
import json, math, sys
answers = json.load(open(sys.argv[1]))
for a in answers if isinstance(answers, list) else [answers]:
    if a["outcome"] != "found":
        print(a["case"], a["outcome"], a["message"])
        continue
    assert math.nextafter(a["lo"], math.inf) == a["hi"]
    met, other = (a["pressure_lo"], a["pressure_hi"])[::1 if a["met_at"] == "lo" else -1]
    assert met <= a["limit"]["value"] < other
    print(a["case"], a["key"], a["limit"], a["range"], a["outcome"], a["met_at"], a["direction"],
          sorted(set(d["code"] for d in a["diagnoses"])))
)";
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char *read;
    } rows[] = {
        {{"pack.sfcase", "hot.sfcase", "--find", "temperature", "--limit", "total=100bar", "--range", "300:400"}, 0,
         "pack.sfcase process.temperature {'on': 'total', 'value': 100, 'unit': 'bar'} [300, 400] found hi falls []\n"
         "hot.sfcase process.temperature {'on': 'total', 'value': 100, 'unit': 'bar'} [300, 400] found hi falls "
         "['outside-fit-shear-rate', 'outside-fit-temperature']\n"},
        {{"pack.sfcase", "hot.sfcase", "--find", "temperature", "--limit", "drop.12=0.5MPa", "--range", "200:400"}, 1,
         "pack.sfcase process.temperature {'on': 'drop.12', 'value': 0.5, 'unit': 'MPa'} [200, 400] found hi falls []\n"
         "hot.sfcase not-reached process.temperature: screen 12's drop is above the limit of 0.5 MPa all from 200 to "
         "400 \xE2\x84\x83 (at least 0.630862 MPa, at 400 \xE2\x84\x83)\n"},
        {{"pack.sfcase", "--find", "flow_rate", "--limit", "drop.12=2MPa", "--range", "1:57"}, 0,
         "pack.sfcase process.flow_rate {'on': 'drop.12', 'value': 2, 'unit': 'MPa'} [1, 57] found lo rises []\n"},
    };
    for (const auto &row : rows) {
        std::vector<std::string> args{"solve", "--format", "json"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const test::ProcessResult r = cli(args);
        ASSERT_EQ(r.exitCode, row.exitCode) << r.err;
        test::writeBytes("answer.json", r.out);
        const test::ProcessResult py = test::runProcess("/usr/bin/python3", {"-c", check, "answer.json"});
        if (py.exitCode == 127)
            GTEST_SKIP() << "no /usr/bin/python3";
        EXPECT_EQ(py.err, "");
        EXPECT_EQ(py.out, row.read);
    }
}

} // namespace
} // namespace sf
