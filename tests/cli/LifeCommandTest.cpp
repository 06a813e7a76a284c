// screenfilter-cli life as a user runs it: the answer in text and JSON, the
// plot, and what it refuses.
#include "export/LifeAnswer.h"
#include "support/Files.h"
#include "support/Process.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>


namespace sf {
namespace {

using test::cli;
using test::jsonNumber;
using test::readBytes;
using test::writeBytes;

// Cake filtration without noise: a drop of 80 (1 + 0.002 t) bar, t in
// minutes, every 30 minutes up to 300, read 20 bar above the drop. With
// the limit 200 bar: (200/80 - 1) / 0.002 = 750 min, 450 after the last.
std::string cakeLog(const std::string &header, bool timestamps)
{
    std::string out = header + "\n";
    for (int i = 0; i <= 10; ++i) {
        const int t = 30 * i;
        // 100 + 0.16 t, written out: 100, 104.8, 109.6, ...
        const int hundredths = 10000 + 16 * t;
        const std::string pressure = std::to_string(hundredths / 100) + "." + std::to_string(hundredths % 100 / 10) +
                                     std::to_string(hundredths % 10);
        if (timestamps) {
            const int minutes = 6 * 60 + t;
            char stamp[40];
            std::snprintf(stamp, sizeof stamp, "2026-03-14T%02d:%02d:00+01:00", minutes / 60, minutes % 60);
            out += std::string(stamp) + "," + pressure + "\n";
        } else {
            out += std::to_string(t) + "," + pressure + "\n";
        }
    }
    return out;
}

TEST(LifeCommand, AnswersInJsonWithTheLogsClockOrItsTimeUnit)
{
    test::ScopedTempCwd cwd;
    writeBytes("minutes.csv", cakeLog("time (min),pressure (bar)", false));
    writeBytes("clock.csv", cakeLog("timestamp,pressure (bar)", true));
    const struct {
        const char *log;
        double limitAt, remaining, p0, k;
        const char *limitText, *since, *timeUnit;
    } rows[] = {
        {"minutes.csv", 750, 450, 80, 0.002, nullptr, "\"since\": 0,", "\"time_unit\": \"min\""},
        {"clock.csv", 0, 7.5, 80, 0.12, "\"limit_at\": \"2026-03-14T18:30:00+01:00\"",
         "\"since\": \"2026-03-14T06:00:00+01:00\"", "\"time_unit\": \"h\""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.log);
        const test::ProcessResult r =
            cli({"life", row.log, "--limit", "200bar", "--pressure-after", "20", "--format", "json"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NEAR(jsonNumber(r.out, "p0"), row.p0, 1e-9);
        EXPECT_NEAR(jsonNumber(r.out, "k"), row.k, 1e-12);
        EXPECT_LT(jsonNumber(r.out, "rms_percent"), 1e-9);
        if (!row.limitText) { // a number of the log's unit, else the clock time below
            EXPECT_NEAR(jsonNumber(r.out, "limit_at"), row.limitAt, 1e-6);
        }
        EXPECT_NEAR(jsonNumber(r.out, "remaining"), row.remaining, 1e-6);
        for (const char *part : {"\"law\": \"cake\"", row.limitText ? row.limitText : "\"limit_at\": ", row.since,
                                 row.timeUnit, "\"remaining_range\": [", "\"pressure_unit\": \"bar\""})
            EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
        for (const char *law : {"complete", "standard", "intermediate", "cake"})
            EXPECT_NE(r.out.find(std::string("{\"law\": \"") + law + "\", \"p0\": "), std::string::npos) << law;
    }
}

TEST(LifeCommand, TextAnswerNamesTheLawTheLimitAndTheModelsCleanPack)
{
    test::ScopedTempCwd cwd;
    writeBytes("minutes.csv", cakeLog("time (min),pressure (psi)", false));
    // 13.7895 MPa is 1999.998 psi (6894.757 Pa each): the limit in another
    // unit than the log's, reached at (1999.998/80 - 1)/0.002 = 11999.99 min.
    const test::ProcessResult r = cli({"life", "minutes.csv", "--limit", "13.7895MPa", "--pressure-after", "20psi",
                                       "--case", SCREENFILTER_DOCS "/pack-a.sfcase", "--plot", "life.svg"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(test::missing(r.out, {"Pack life from minutes.csv: 11 readings\n",
                                    "Drop across the pack: pressure - 20 psi behind it (--pressure-after)\n",
                                    "Law: cake filtration, P/P0 = 1 + K t\n", "  P0 = 80 psi, K = 0.002 1/min, rms ",
                                    "Limit 2000 psi reached at 12000 min\n", "Clean pack by the model (",
                                    "  cake filtration        80            0.002         "}), "") << r.out;
    // The plot's axis says it shows the drop, 20 psi below the log's pressure.
    EXPECT_EQ(test::missing(readBytes("life.svg"), {"<svg", "cake filtration (best)", ">Drop (psi)<"}), "");
}

TEST(LifeCommand, RefusesWhatGivesNoAnswer)
{
    const struct {
        const char *name;
        std::string log;
        std::vector<std::string> options;
        int exitCode;
        std::string message;
        const char *limit = "200bar";
    } rows[] = {
        {"a pressure that is not a number", "time (min),pressure (bar)\n0,80\n1,8O\n2,82\n3,83\n", {}, 2,
         "log.csv:3: column 2 (pressure): \"8O\" is not a number\n"},
        {"three readings after the change", "time (h),pressure (bar)\n0,80\n1,90\n2,100\n3,60\n4,61\n5,62\n", {}, 2,
         "log.csv: 3 readings after the screen change at 3 h (line 5): a fit needs 4 at least\n"},
        {"no rise", "time (h),pressure (bar)\n0,80\n1,80\n2,79\n3,80\n", {}, 1,
         "log.csv: the pressure does not rise: no change time\n"},
        {"a drop not above zero", "time (h),pressure (bar)\n0,80\n1,90\n", {"--pressure-after", "85bar"}, 2,
         "log.csv:2: the drop 80 - 85 bar is not above zero\n"},
        {"a second pressure behind the pack", "time (h),pressure_before (bar),pressure_after (bar)\n0,80,1\n",
         {"--pressure-after", "5"}, 2, "--pressure-after: log.csv has pressure_after of its own\n"},
        {"--since in the wrong form", "time (h),pressure (bar)\n0,80\n", {"--since", "2026-03-14T06:00"}, 2,
         "--since 2026-03-14T06:00: a time of the log in its unit (h), as a number\n"},
        {"a plot of another kind", "time (h),pressure (bar)\n0,80\n", {"--plot", "life.pdf"}, 2,
         "life.pdf: a plot is an .svg or a .png file\n"},
        {"a limit without its unit", "time (h),pressure (bar)\n0,80\n", {}, 2,
         "--limit 200: a pressure with its unit right after the number (kgf/cm2, bar, MPa or psi), such as 250bar\n",
         "200"},
        {"a limit of zero", "time (h),pressure (bar)\n0,80\n", {}, 2, "--limit 0bar: a pressure above zero\n", "0bar"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        test::ScopedTempCwd cwd;
        writeBytes("log.csv", row.log);
        std::vector<std::string> args{"life", "log.csv", "--limit", row.limit};
        args.insert(args.end(), row.options.begin(), row.options.end());
        const test::ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, row.exitCode);
        EXPECT_EQ(r.err, row.message);
        EXPECT_EQ(r.out, "");
    }
}

// A log from 1000 h, every 0.5 h to 1999.5, of P = 100 (1 + 0.001 (t -
// 1000)): the limit 200 at 2000 h, the chart to 1000 + 1.1 * 1000 h, a
// pixel column 1100 / 960 h wide. Columns 0 to 871 hold two readings or
// more, their first and last kept; column 872, from 1999.17 h, 1999.5 alone.
TEST(LifePlot, ReadingsAreThinnedToTwoAPixelColumnCountedFromTheFirst)
{
    PressureLog log; // in hours
    for (int i = 0; i < 2000; ++i) {
        log.time.push_back(1000 + 0.5 * i);
        log.pressure.push_back(100 + 0.05 * i);
        log.line.push_back(i + 2);
    }
    const auto readings = lifePlot(analyseLife(log, {"log.csv", 200, {}, {}}), "log.csv").lines.back().points;
    ASSERT_EQ(readings.size(), 872 * 2 + 1u);
    EXPECT_EQ(readings.front().first, 1000);
    EXPECT_EQ(readings[1].first, 1001); // column 0 ends at 1001.15
    EXPECT_EQ(readings.back().first, 1999.5);
}

TEST(LifeCommand, ReadmeShowsWhatItsExampleLogGives)
{
    test::ScopedTempCwd cwd;
    writeBytes("line2.csv", readBytes(SCREENFILTER_DOCS "/line2.csv"));
    const test::ProcessResult r = cli({"life", "line2.csv", "--limit", "160bar"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(readBytes(SCREENFILTER_DOCS "/../README.md").find("```\n" + r.out + "```\n"), std::string::npos) << r.out;
}

} // namespace
} // namespace sf
