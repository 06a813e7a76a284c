#include "melt/ViscosityPoints.h"

#include <gtest/gtest.h>

namespace sf {
namespace {

using Unit = ViscosityUnit;

struct P {
    double t, rate, eta;
    int line;
};

TEST(ViscosityPoints, ReadsWhatDataSheetsAndSpreadsheetsWrite)
{
    const struct {
        const char *name;
        std::string content;
        std::optional<Unit> asked;
        Unit unit;
        std::vector<P> points;
    } rows[] = {
        {"plain", "temperature,shear_rate,viscosity\n250,10,1000\n250,100,500\n", {}, Unit::PascalSecond,
         {{250, 10, 1000, 2}, {250, 100, 500, 3}}},
        {"comma locale: ';' and decimal commas, BOM, CR LF, quotes, units, columns in another order, one more",
         "\xEF\xBB\xBF# sheet 4\r\n\"Viscosity [mPa\xC2\xB7s]\";Shear rate (1/s);Temperature (\xC2\xB0" "C);sample\r\n"
         "\r\n1234,5;10;250,5;A\r\n 0,5e3 ; \"1,25\" ;-20;\r\n",
         {}, Unit::MilliPascalSecond, {{250.5, 10, 1234.5, 4}, {-20, 1.25, 500, 5}}},
        {"comments, blanks, signs, exponents, an empty last field",
         "  # T in degC\n\ntemperature , shear-rate , viscosity (P) # poise\n+2.5e2,1E1,7.,\n\t250 , .5 , 3 # again\n",
         {}, Unit::Poise, {{250, 10, 7, 4}, {250, 0.5, 3, 5}}},
        {"two exports one after the other, the unit asked for",
         "temperature,shear_rate,viscosity (gf.s/cm2)\n250,10,9\n"
         "temperature,viscosity (gf\xC2\xB7s/cm\xC2\xB2),shear_rate\n280,4,100\n",
         Unit::GramForceSecondPerSquareCentimetre, Unit::GramForceSecondPerSquareCentimetre,
         {{250, 10, 9, 2}, {280, 100, 4, 4}}},
        {"lone CRs end lines, CR LF and LF too",
         "temperature,shear_rate,viscosity\r250,10,1000\r\n250,100,500\r\r260,10,900\n", {}, Unit::PascalSecond,
         {{250, 10, 1000, 2}, {250, 100, 500, 3}, {260, 10, 900, 5}}},
        {"repeated measurements all count", "temperature,shear_rate,viscosity\n250,10,9\n250,10,9.5\n250,10,9\n",
         Unit::MilliPascalSecond, Unit::MilliPascalSecond, {{250, 10, 9, 2}, {250, 10, 9.5, 3}, {250, 10, 9, 4}}},
        {"a header and a point with a million blank fields after them",
         "temperature,shear_rate,viscosity" + std::string(1'000'000, ',') + "\n250,10,1000" +
             std::string(1'000'000, ',') + "\n250,100,500\n",
         {}, Unit::PascalSecond, {{250, 10, 1000, 2}, {250, 100, 500, 3}}},
        {"the columns after a million blank ones",
         std::string(1'000'000, ';') + "temperature;shear_rate;viscosity\n" + std::string(1'000'000, ';') +
             "250;10;1000\n" + std::string(1'000'000, ';') + "250;100;5e2\n",
         {}, Unit::PascalSecond, {{250, 10, 1000, 2}, {250, 100, 500, 3}}},
        {"just above absolute zero", "temperature,shear_rate,viscosity\n-272.99,1e-300,1e300\n0,1,1\n", {},
         Unit::PascalSecond, {{-272.99, 1e-300, 1e300, 2}, {0, 1, 1, 3}}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const ViscosityPoints got = parseViscosityPoints(row.content, "p.csv", row.asked);
        EXPECT_EQ(got.unit, row.unit);
        ASSERT_EQ(got.points.size(), row.points.size());
        for (std::size_t i = 0; i < got.points.size(); ++i) {
            EXPECT_EQ(got.points[i].temperature, row.points[i].t);
            EXPECT_EQ(got.points[i].shearRate, row.points[i].rate);
            EXPECT_EQ(got.points[i].viscosity, row.points[i].eta);
            EXPECT_EQ(got.points[i].line, row.points[i].line);
        }
    }
}

TEST(ViscosityPoints, EveryBadLineIsToldWithItsPlace)
{
    const std::string h = "temperature,shear_rate,viscosity\n";
    const std::string ok = "250,10,1000\n250,100,500\n";
    const struct {
        const char *name;
        std::string content;
        std::optional<Unit> asked;
        std::vector<std::string> problems;
    } rows[] = {
        {"comments only", "# nothing\n\n", {},
         {"p.csv: no header and no points: the first line that is no comment names the columns, as in "
          "temperature,shear_rate,viscosity"}},
        {"header only", h, {}, {"p.csv: no points after the header"}},
        {"no header", "250,10,1000\n", {},
         {"p.csv:1: no header: the first line that is no comment names the columns, as in "
          "temperature,shear_rate,viscosity"}},
        {"a column missing from the header", "temperature,rate,eta\n" + ok, {},
         {"p.csv:1: the header names no shear_rate and viscosity column; it needs temperature, shear_rate and "
          "viscosity"}},
        {"a column twice", "temperature,shear_rate,viscosity,temperature\n" + ok, {},
         {"p.csv:1: two temperature columns"}},
        {"unknown viscosity unit", "temperature,shear_rate,viscosity (cP)\n" + ok, {},
         {"p.csv:1: viscosity in 'cP': the units known are Pa.s, mPa.s, P and gf.s/cm2"}},
        {"kelvin", "temperature [K],shear_rate,viscosity\n" + ok, {}, {"p.csv:1: temperature in 'K': give it in °C"}},
        {"mixed units: two headers", "temperature,shear_rate,viscosity (P)\n" + ok + "\n" + "temperature,shear_rate,viscosity (Pa.s)\n" + ok,
         {}, {"p.csv:5: mixed units: viscosity in Pa.s here, in P by the header of line 1"}},
        {"mixed units: a header without a unit, then one with",
         h + ok + "temperature,shear_rate,viscosity (mPa.s)\n" + ok, {},
         {"p.csv:4: mixed units: viscosity in mPa.s here, in no unit named (so Pa.s) by the header of line 1"}},
        {"mixed units: a header with a unit, then one without",
         "temperature,shear_rate,viscosity (P)\n" + ok + h + ok, {},
         {"p.csv:4: mixed units: viscosity in no unit named (so Pa.s) here, in P by the header of line 1"}},
        {"every bad value, each line once",
         h + "abc,10,1\n250,nan,1\n250,10,-inf\n250,1e400,1\n250,-5,1\n250,10,0\n-273,10,1\n-300,x,1\n250,10\n250,10,\n" +
             std::string(40, 'x') + ",1,1\n" + std::string(36, 'x') + "\xC3\xA9xxx,1,1\n", // 40 bytes whole, 41 cut
         {},
         {"p.csv:2: temperature 'abc' is not a number", "p.csv:3: shear_rate 'nan' is not a finite number",
          "p.csv:4: viscosity '-inf' is not a finite number", "p.csv:5: shear_rate '1e400' is out of range",
          "p.csv:6: shear_rate -5 is not above zero", "p.csv:7: viscosity 0 is not above zero",
          "p.csv:8: temperature -273 °C is at or below -273 °C", "p.csv:9: temperature -300 °C is at or below -273 °C",
          "p.csv:10: no viscosity value (a missing column)", "p.csv:11: no viscosity value (a missing column)",
          "p.csv:12: temperature '" + std::string(40, 'x') + "' is not a number",
          "p.csv:13: temperature '" + std::string(36, 'x') + "...' is not a number"}},
        {"decimal commas between commas", h + "250,10,1,5\n" + ok, {},
         {"p.csv:2: 4 values where the header names 3 columns (for decimal commas, put ';' between the values)"}},
        {"a value a million fields past the header", h + "250,10,1000" + std::string(1'000'000, ',') + "7\n" + ok,
         {},
         {"p.csv:2: 1000003 values where the header names 3 columns (for decimal commas, put ';' between the "
          "values)"}},
        {"a header of separators alone", std::string(1'000'000, ';') + "\n" + ok, {},
         {"p.csv:1: the header names no temperature and shear_rate and viscosity column; it needs temperature, "
          "shear_rate and viscosity"}},
        {"a point of separators alone", h + ok + std::string(1'000'000, ',') + "\n", {},
         {"p.csv:4: no temperature value (a missing column)"}},
        {"decimal points between semicolons", "temperature;shear_rate;viscosity\n250;10;1.5\n250;100;2\n", {},
         {"p.csv:2: viscosity '1.5' is not a number (with ';' between values the decimal separator is ',')"}},
        {"not UTF-8, a NUL byte", h + ok + "# caf\xE9\n250,1\xC0\xAF,1\n" + std::string("250,1,\0", 7) + "\n", {},
         {"p.csv:4: not UTF-8 text; save the file as UTF-8", "p.csv:5: not UTF-8 text; save the file as UTF-8",
          "p.csv:6: a NUL byte: this is no text file"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        try {
            parseViscosityPoints(row.content, "p.csv", row.asked);
            ADD_FAILURE() << "taken";
        } catch (const PointsFileError &e) {
            EXPECT_EQ(e.problems(), row.problems);
        }
    }
}

TEST(ViscosityPoints, LimitsOfPointsAndOfMessages)
{
    std::string most = "temperature,shear_rate,viscosity\n";
    for (std::size_t i = 0; i < MaxViscosityPoints; ++i)
        most += "250," + std::to_string(i + 1) + ",7\n";
    EXPECT_EQ(parseViscosityPoints(most, "p.csv", {}).points.size(), 100000u);
    try {
        parseViscosityPoints(most + "250,1,7\n250,1,x\n", "p.csv", {});
        ADD_FAILURE() << "100,001 points taken";
    } catch (const PointsFileError &e) {
        EXPECT_EQ(e.problems(), std::vector<std::string>{"p.csv:100002: more than 100000 points; fit a sample of them"});
    }

    std::string bad = "temperature,shear_rate,viscosity\n";
    for (int i = 0; i < 25; ++i)
        bad += "250,10,x\n";
    try {
        parseViscosityPoints(bad, "p.csv", {});
        ADD_FAILURE() << "taken";
    } catch (const PointsFileError &e) {
        ASSERT_EQ(e.problems().size(), 21u);
        EXPECT_EQ(e.problems()[19], "p.csv:21: viscosity 'x' is not a number");
        EXPECT_EQ(e.problems()[20], "p.csv: and 5 more bad lines");
    }
}

} // namespace
} // namespace sf
