#include "life/PressureLog.h"
#include "life/Timestamp.h"

#include <gtest/gtest.h>

namespace sf {
namespace {

TEST(Timestamp, ReadsIso8601AsLogsWriteIt)
{
    // 2026-03-14T06:30:00 UTC is 1773469800 s after 1970-01-01 (20526 days
    // and 23400 s); `date -u -d 2026-03-14T06:30:00 +%s` agrees.
    const struct {
        const char *text;
        std::optional<double> seconds;
        std::optional<int> zone;
        const char *written = nullptr; // as the answers write it back, in the log's zone
    } rows[] = {
        {"2026-03-14T06:30:00", 1773469800, std::nullopt, "2026-03-14T06:30:00"},
        {"2026-03-14 06:30", 1773469800, std::nullopt, "2026-03-14T06:30:00"},
        {"2026-03-14T06:30:00.25Z", 1773469800.25, 0, "2026-03-14T06:30:00Z"},
        {"2026-03-14T07:30:00+01:00", 1773469800, 60, "2026-03-14T07:30:00+01:00"},
        {"2026-03-14T01:00:00-0530", 1773469800, -330, "2026-03-14T01:00:00-05:30"},
        {"2026-03-14T08:30+02", 1773469800, 120, "2026-03-14T08:30:00+02:00"},
        {"2024-02-29T00:00:00", 1709164800, std::nullopt, "2024-02-29T00:00:00"},
        {"1969-12-31T23:59:59", -1, std::nullopt, "1969-12-31T23:59:59"},
        {"2026-02-29T00:00:00", std::nullopt, std::nullopt},
        {"2026-03-14T24:00:00", std::nullopt, std::nullopt},
        {"2026-03-14", std::nullopt, std::nullopt},
        {"2026-3-14T06:30", std::nullopt, std::nullopt},
        {"2026-03-14T06:30:00.", std::nullopt, std::nullopt},
        {"2026-03-14T06:30:00 Z", std::nullopt, std::nullopt},
        {"2026-03-14T06:30:00+1", std::nullopt, std::nullopt},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        const std::optional<Timestamp> got = parseTimestamp(row.text);
        ASSERT_EQ(got.has_value(), row.seconds.has_value());
        if (!got)
            continue;
        EXPECT_EQ(got->seconds, *row.seconds);
        EXPECT_EQ(got->zoneMinutes, row.zone);
        EXPECT_EQ(formatTimestamp(got->seconds, got->zoneMinutes), row.written);
    }
}

TEST(PressureLog, ReadsTheLogsLinesWrite)
{
    const struct {
        const char *name;
        std::string content;
        std::optional<PressureUnit> asked;
        std::vector<double> time, pressure, after;
        std::vector<int> line;
        const char *unit;
        LogTimeUnit timeUnit;
    } rows[] = {
        {"minutes and bar", "time (min),pressure (bar)\n0,80.5\n10,81\n", {}, {0, 10}, {80.5, 81}, {}, {2, 3},
         "bar", LogTimeUnit::Minute},
        {"semicolons, decimal commas, BOM, CR LF, quotes, comments, another column",
         "\xEF\xBB\xBF# line 2\r\nPressure [psi];Time [h];melt temp\r\n\r\n\"1200,5\";0,5;230\r\n1201;1,25;231\r\n",
         {}, {0.5, 1.25}, {1200.5, 1201}, {}, {4, 5}, "psi", LogTimeUnit::Hour},
        {"tabs, two columns, kgf/cm\xC2\xB2",
         "time (d)\tpressure_before (kgf/cm\xC2\xB2)\tpressure_after (kgf/cm2)\n1\t90\t10\n2\t95\t11\n", {},
         {1, 2}, {90, 95}, {10, 11}, {2, 3}, "kgf/cm2", LogTimeUnit::Day},
        {"UTF-16 LE from a spreadsheet's Unicode text, lone CRs",
         std::string("\xFF\xFE"
                     "t\0i\0m\0e\0 \0(\0s\0)\0\t\0p\0r\0e\0s\0s\0u\0r\0e\0 \0(\0b\0a\0r\0)\0\r\0"
                     "1\0\t\0"
                     "2\0,\0"
                     "5\0\r\0",
                     62),
         {}, {1}, {2.5}, {}, {2}, "bar", LogTimeUnit::Second},
        {"the unit asked for, timestamps in hours from the first",
         "timestamp,pressure\n2026-03-14T06:00:00,80\n2026-03-14 07:30,82\n", PressureUnit{"MPa", 0.0980665},
         {0, 1.5}, {80, 82}, {}, {2, 3}, "MPa", LogTimeUnit::Hour},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const PressureLog log = parsePressureLog(row.content, "log.csv", row.asked);
        EXPECT_EQ(log.time, row.time);
        EXPECT_EQ(log.pressure, row.pressure);
        EXPECT_EQ(log.after, row.after);
        EXPECT_EQ(log.line, row.line);
        EXPECT_EQ(log.pressureUnit.name, row.unit);
        EXPECT_EQ(log.timeUnit, row.timeUnit);
    }
}

TEST(PressureLog, TimestampsKeepTheLogsClock)
{
    const PressureLog zoned =
        parsePressureLog("timestamp,pressure (bar)\n2026-03-14T07:30:00+01:00,80\n2026-03-14T09:00+01:00,82\n",
                         "log.csv", std::nullopt);
    EXPECT_EQ(logTimeText(zoned, 2.25), "2026-03-14T09:45:00+01:00");
    const PressureLog local =
        parsePressureLog("timestamp,pressure (bar)\n2026-03-14T23:30:00,80\n2026-03-15T00:00,82\n", "log.csv",
                         std::nullopt);
    EXPECT_EQ(local.time, (std::vector<double>{0, 0.5}));
    EXPECT_EQ(logTimeText(local, 1), "2026-03-15T00:30:00");
}

TEST(PressureLog, EveryBadLineIsToldWithItsPlace)
{
    const struct {
        const char *name;
        std::string content;
        std::vector<std::string> problems;
        std::optional<PressureUnit> asked = {};
    } rows[] = {
        {"a pressure that is not a number", "time (min),pressure (bar)\n0,80\n1,8o\n2,\n",
         {"log.csv:3: column 2 (pressure): \"8o\" is not a number", "log.csv:4: column 2 (pressure): \"\" is not a number"}},
        {"a time that repeats or goes back", "time (s);pressure (bar)\n0;80\n5;81\n5;82\n4;83\n",
         {"log.csv:4: the time 5 s repeats the one on line 3", "log.csv:5: the time 4 s goes back from the one on line 3"}},
        {"a timestamp that is not one",
         "timestamp,pressure (bar)\n2026-03-14T06:00,80\n14.03.2026 06:10,81\n2026-03-14T06:20Z,82\n",
         {"log.csv:3: column 1 (timestamp): \"14.03.2026 06:10\" is not an ISO 8601 time such as 2026-03-14T06:30:00",
          "log.csv:4: a time with a zone where the first has none"}},
        {"too few values", "time (h),pressure (bar)\n1\n", {"log.csv:2: 1 value where the header has 2 columns"}},
        {"no time unit", "time,pressure (bar)\n",
         {"log.csv:1: the time column's unit in the header, as time (min): s, min, h or d"}},
        {"no pressure unit", "time (h),pressure\n",
         {"log.csv:1: no pressure unit: give it in the header, as pressure (bar), or with --pressure-unit"}},
        {"one pressure column of two", "time (h),pressure_before (bar)\n",
         {"log.csv:1: the header names the pressure: one column pressure, or two, pressure_before and pressure_after"}},
        {"no header", "# nothing\n\n", {"log.csv: no header: a line naming the columns, as time (min),pressure (bar)"}},
        {"a unit asked for that the header does not give", "time (h),pressure (bar)\n",
         {"log.csv:1: the header's pressure unit bar is not --pressure-unit psi"}, PressureUnit{"psi", 14.223343307119563}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        try {
            parsePressureLog(row.content, "log.csv", row.asked);
            ADD_FAILURE() << "no error";
        } catch (const LogFileError &e) {
            EXPECT_EQ(e.problems(), row.problems);
        }
    }
}

} // namespace
} // namespace sf
