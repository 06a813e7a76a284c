#include "melt/ViscosityPoints.h"

#include <gtest/gtest.h>

namespace sf {
namespace {

using Unit = ViscosityUnit;
using namespace std::string_literals;

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
        {"repeated measurements all count", "temperature,shear_rate,viscosity\n250,10,9\n250,10,9.5\n250,10,9\n",
         Unit::MilliPascalSecond, Unit::MilliPascalSecond, {{250, 10, 9, 2}, {250, 10, 9.5, 3}, {250, 10, 9, 4}}},
        {"a header and a point with a million blank fields after them",
         "temperature,shear_rate,viscosity" + std::string(1'000'000, ',') + "\n250,10,1000" +
             std::string(1'000'000, ',') + "\n250,100,500\n",
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

// UTF-16 of UTF-8 text with its byte-order mark, for characters below U+10000.
std::string utf16(std::string_view utf8, bool bigEndian)
{
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const std::size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : 3;
        unsigned cp = n == 1 ? c : n == 2 ? (c & 0x1F) : (c & 0x0F);
        for (std::size_t k = 1; k < n; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += n;
        const char hi = static_cast<char>(cp >> 8), lo = static_cast<char>(cp & 0xFF);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

TEST(ViscosityPoints, HeadersInEightLanguagesAndFilesAsExportersWriteThem)
{
    // 250 °C at 10 and 100 1/s, 270 °C at 10 1/s, in every file.
    const std::vector<P> same = {{250, 10, 2730, 0}, {250, 100, 1000.5, 0}, {270, 10, 1800, 0}};
    const struct {
        const char *name;
        std::string content;
        Unit unit;
        double scale; // the file's viscosity per Pa·s
        TemperatureUnit temperature;
    } rows[] = {
        {"German, ';' and decimal commas, UTF-8",
         "Temperatur;Schergeschwindigkeit;Viskosit\xC3\xA4t (Pa.s)\n250;10;2730\n250;100;1000,5\n270;10;1800\n",
         Unit::PascalSecond, 1, TemperatureUnit::Celsius},
        {"German in Latin-1, Scherrate, CR LF",
         "Temperatur [\xB0" "C];Scherrate [1/s];Viskosit\xE4t [Pa\xB7s]\r\n250;10;2730\r\n250;100;1000,5\r\n270;10;1800\r\n",
         Unit::PascalSecond, 1, TemperatureUnit::Celsius},
        {"rheometer export: tabs, brackets, UTF-16 LE",
         utf16("Temperature [\xC2\xB0" "C]\tShear Rate [1/s]\tViscosity [Pa\xC2\xB7s]\r\n250\t10\t2730\r\n"
               "250\t100\t1000.5\r\n270\t10\t1800\r\n", false),
         Unit::PascalSecond, 1, TemperatureUnit::Celsius},
        {"French in UTF-16 BE, mPa·s, vitesse de cisaillement",
         utf16("Temp\xC3\xA9rature (\xC2\xB0" "C);Vitesse de cisaillement (1/s);Viscosit\xC3\xA9 (mPa\xC2\xB7s)\n"
               "250;10;2730000\n250;100;1000500\n270;10;1800000\n", true),
         Unit::MilliPascalSecond, 1000, TemperatureUnit::Celsius},
        {"French, taux de cisaillement, capitals and a decomposed accent",
         "TEMP\xC3\x89RATURE;TAUX_DE-CISAILLEMENT;Viscosite\xCC\x81\n250;10;2730\n250;100;1000,5\n270;10;1800\n",
         Unit::PascalSecond, 1, TemperatureUnit::Celsius},
        {"Spanish, runs of blanks, K, poise",
         "Temperatura(K)   Velocidad_de_cizalla(1/s)   Viscosidad(P)\n  523.15   10   27300\n523.15 100 10005\n"
         "543.15\t10\t18000\n",
         Unit::Poise, 10, TemperatureUnit::Kelvin},
        {"Italian, °F", "Temperatura (\xC2\xB0" "F),Velocit\xC3\xA0 di taglio (1/s),Viscosit\xC3\xA0 (Pa.s)\n482,10,2730\n"
                        "482,100,1000.5\n518,10,1800\n",
         Unit::PascalSecond, 1, TemperatureUnit::Fahrenheit},
        {"Portuguese, taxa de cisalhamento, other columns",
         "Amostra;Temperatura;Taxa de cisalhamento;Viscosidade;Tens\xC3\xA3o\nA;250;10;2730;x\nA;250;100;1000,5;\n"
         "B;270;10;1800;1\n",
         Unit::PascalSecond, 1, TemperatureUnit::Celsius},
        {"Japanese, full-width parentheses, UTF-8 with BOM",
         "\xEF\xBB\xBF\xE6\xB8\xA9\xE5\xBA\xA6\xEF\xBC\x88\xE2\x84\x83\xEF\xBC\x89,"
         "\xE3\x81\x9B\xE3\x82\x93\xE6\x96\xAD\xE9\x80\x9F\xE5\xBA\xA6(1/s),\xE7\xB2\x98\xE5\xBA\xA6(Pa\xC2\xB7s)\n"
         "250,10,2730\n250,100,1000.5\n270,10,1800\n",
         Unit::PascalSecond, 1, TemperatureUnit::Celsius},
        {"Chinese, tabs, lone CRs",
         "\xE6\xB8\xA9\xE5\xBA\xA6 [\xE2\x84\x83]\t\xE5\x89\xAA\xE5\x88\x87\xE9\x80\x9F\xE7\x8E\x87 [1/s]\t"
         "\xE9\xBB\x8F\xE5\xBA\xA6 [Pa\xC2\xB7s]\r250\t10\t2730\r250\t100\t1000,5\r270\t10\t1800\r",
         Unit::PascalSecond, 1, TemperatureUnit::Celsius},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const ViscosityPoints got = parseViscosityPoints(row.content, "p.csv", {});
        EXPECT_EQ(got.unit, row.unit);
        EXPECT_EQ(got.temperatureUnit, row.temperature);
        ASSERT_EQ(got.points.size(), same.size());
        for (std::size_t i = 0; i < same.size(); ++i) {
            EXPECT_EQ(got.points[i].temperature, same[i].t);
            EXPECT_EQ(got.points[i].shearRate, same[i].rate);
            EXPECT_EQ(got.points[i].viscosity, same[i].eta * row.scale);
        }
    }
}

TEST(ViscosityPoints, ColumnsMappedByNumberOrName)
{
    const auto map = [](const char *text) {
        std::string problem;
        const std::optional<ColumnMap> m = columnMapOf(text, problem);
        EXPECT_TRUE(m) << problem;
        return m.value_or(ColumnMap{});
    };
    const std::string unknown = "Temp.;Rate;Eta (mPa.s);Note\n250;10;2730;a\n270;10;1800;\n";
    const struct {
        const char *name;
        std::string content;
        const char *columns;
        std::vector<P> points; // or
        std::vector<std::string> problems;
    } rows[] = {
        {"numbers: a header of other names is skipped, its unit read", unknown, "temperature=1,shear_rate=2,viscosity=3",
         {{250, 10, 2730, 2}, {270, 10, 1800, 3}}, {}},
        {"names, with or without the unit", unknown, "viscosity=eta (mPa.s) , shear_rate=RATE,temperature=temp",
         {{250, 10, 2730, 2}, {270, 10, 1800, 3}}, {}},
        {"numbers: no header, other columns ignored", "# eta SR note T\n2730 10 x 250\n1800 10 y 270\n",
         "temperature=4,shear_rate=2,viscosity=1", {{250, 10, 2730, 2}, {270, 10, 1800, 3}}, {}},
        {"a column the file does not have", unknown, "temperature=1,shear_rate=2,viscosity=7", {},
         {"p.csv:1: --columns viscosity=7: no such column in the header 'Temp.;Rate;Eta (mPa.s);Note', its values "
          "taken as separated by ';' (4 columns)"}},
        {"a name the header does not have", unknown, "temperature=T,shear_rate=2,viscosity=3", {},
         {"p.csv:1: --columns temperature=T: no column of that name in the header 'Temp.;Rate;Eta (mPa.s);Note', "
          "its values taken as separated by ';' (4 columns)"}},
        {"a name twice in the header", "T,T,SR,V\n1,2,3,4\n", "temperature=T,shear_rate=3,viscosity=4", {},
         {"p.csv:1: --columns temperature=T: two columns of that name in the header 'T,T,SR,V', its values taken as "
          "separated by ','; give its number instead"}},
        {"names without a header", "250,10,2730\n", "temperature=T,shear_rate=SR,viscosity=V", {},
         {"p.csv:1: no header, which --columns with names needs: the first line that is no comment names the "
          "columns; give numbers instead"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        try {
            const ViscosityPoints got = parseViscosityPoints(row.content, "p.csv", {std::nullopt, map(row.columns)});
            EXPECT_TRUE(row.problems.empty());
            ASSERT_EQ(got.points.size(), row.points.size());
            for (std::size_t i = 0; i < got.points.size(); ++i) {
                EXPECT_EQ(got.points[i].temperature, row.points[i].t);
                EXPECT_EQ(got.points[i].viscosity, row.points[i].eta);
                EXPECT_EQ(got.points[i].line, row.points[i].line);
            }
        } catch (const PointsFileError &e) {
            EXPECT_EQ(e.problems(), row.problems);
        }
    }
    EXPECT_EQ(parseViscosityPoints(unknown, "p.csv", {std::nullopt, map("temperature=1,shear_rate=2,viscosity=3")}).unit,
              Unit::MilliPascalSecond);

    const struct {
        const char *text;
        std::string problem;
    } bad[] = {
        {"temperature=1,shear_rate=2", "--columns: no column for viscosity"},
        {"temperature=1,shear_rate=2,viscosity=2", "--columns: shear_rate and viscosity name the same column"},
        {"temperature=1,temperature=2,viscosity=3", "--columns: temperature given twice"},
        {"temp=1,shear_rate=2,viscosity=3", "--columns: 'temp=1' is not temperature=, shear_rate= or viscosity="},
        {"temperature=1,shear_rate=2,viscosity=3,", "--columns: '' is not temperature=, shear_rate= or viscosity="},
        {"temperature=0,shear_rate=2,viscosity=3",
         "--columns: column 0 of temperature is not a column number from 1 to 1000"},
        {"temperature=,shear_rate=2,viscosity=3", "--columns: no column for temperature"},
    };
    for (const auto &row : bad) {
        SCOPED_TRACE(row.text);
        std::string problem;
        EXPECT_FALSE(columnMapOf(row.text, problem));
        EXPECT_EQ(problem, row.problem + "; give --columns temperature=N,shear_rate=N,viscosity=N, each a column "
                                         "number from 1 or a header's name");
    }
}

TEST(ViscosityPoints, PreviewShowsTheFirstLinesOfAnyEncoding)
{
    const PointsPreview p = previewPoints(utf16("# run 4\nT\tSR\tEta\n1\t2\t3\n4\t5\t6\n", false), 2, 80);
    EXPECT_EQ(p.lines, (std::vector<std::string>{"T\tSR\tEta", "1\t2\t3"}));
    EXPECT_EQ(p.separator, CellSeparator::Tab);
    EXPECT_EQ(p.firstCells, (std::vector<std::string>{"T", "SR", "Eta"}));
    // Of a large file its opening only, up to its last whole line.
    const std::string wide = "temperature,shear_rate,viscosity\r\n" + std::string(70'000, ',') + "\r\n";
    for (const std::string &large : {wide, utf16(wide, false), utf16(wide, true)})
        EXPECT_EQ(previewPoints(large, 2, 80).lines, std::vector<std::string>{"temperature,shear_rate,viscosity"});
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
        bool columnsUnknown = false; // the dialog then asks which column is which
    } rows[] = {
        {"comments only", "# nothing\n\n", {},
         {"p.csv: no header and no points: the first line that is no comment names the columns, as in "
          "temperature,shear_rate,viscosity"}},
        {"header only", h, {}, {"p.csv: no points after the header"}},
        {"no header", "250,10,1000\n", {},
         {"p.csv:1: no header: the first line that is no comment names the columns, as in "
          "temperature,shear_rate,viscosity; or give them by number with --columns "
          "temperature=N,shear_rate=N,viscosity=N (column numbers from 1 or the header's names)"}, true},
        {"a column missing from the header", "temperature;rate;eta\n" + ok, {},
         {"p.csv:1: the header 'temperature;rate;eta', its values taken as separated by ';', names no shear_rate "
          "and viscosity column. Name the columns temperature, shear_rate and viscosity (or as in "
          "Temperatur;Schergeschwindigkeit;Viskosit\xC3\xA4t), or say which they are with --columns "
          "temperature=N,shear_rate=N,viscosity=N (column numbers from 1 or the header's names)"}, true},
        {"a column twice", "Temperatur\tshear_rate\tviscosity\tTEMP\n" + ok, {},
         {"p.csv:1: two temperature columns in the header 'Temperatur\tshear_rate\tviscosity\tTEMP', its values "
          "taken as separated by a tab; say which to take with --columns temperature=N,shear_rate=N,viscosity=N "
          "(column numbers from 1 or the header's names)"}, true},
        {"unknown viscosity unit", "temperature,shear_rate,viscosity (cP)\n" + ok, {},
         {"p.csv:1: viscosity in 'cP': the units known are Pa.s, mPa.s, P and gf.s/cm2"}},
        {"rankine", "temperature [R],shear_rate,viscosity\n" + ok, {},
         {"p.csv:1: temperature in 'R': give it in °C, K or °F"}},
        {"shear rate per minute", "temperature,shear_rate [1/min],viscosity\n" + ok, {},
         {"p.csv:1: shear_rate in '1/min': give it in 1/s"}},
        {"mixed temperature units", "temperature (K),shear_rate,viscosity\n523,10,1\n" + h + ok, {},
         {"p.csv:3: mixed units: temperature in °C here, in K by the header of line 1"}},
        {"at or below absolute zero in K", "temperature (K);shear_rate;viscosity\n0,1;1;1\n", {},
         {"p.csv:2: temperature 0,1 K is at or below -273 °C"}},
        {"°F", "temperature (°F),shear_rate,viscosity\n-460,1,1\n", {},
         {"p.csv:2: temperature -460 °F is at or below -273 °C"}},
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
         {"p.csv:1: the header '" + std::string(97, ';') + "...', its values taken as separated by ';', names no "
          "temperature and shear_rate and viscosity column. Name the columns temperature, shear_rate and viscosity "
          "(or as in Temperatur;Schergeschwindigkeit;Viskosit\xC3\xA4t), or say which they are with --columns "
          "temperature=N,shear_rate=N,viscosity=N (column numbers from 1 or the header's names)"}, true},
        {"the columns after a million blank ones",
         std::string(1'000'000, ';') + "temperature;shear_rate;viscosity\n250;10;1000\n", {},
         {"p.csv:1: more than 1000 columns: this is no table of points"}},
        {"a point of separators alone", h + ok + std::string(1'000'000, ',') + "\n", {},
         {"p.csv:4: no temperature value (a missing column)"}},
        {"decimal points and commas in one file", "temperature\tshear_rate\tviscosity\n250\t10\t1.5\n250\t100\t2,5\n", {},
         {"p.csv:3: viscosity '2,5' has a decimal comma where line 2 has a decimal point; one of them for the whole file"}},
        {"not UTF-8: Latin-1, whose bytes are characters, none a digit", h + ok + "# caf\xE9\n250,1\xC0\xAF,1\n", {},
         {"p.csv:5: shear_rate '1\xC3\x80\xC2\xAF' is not a number"}},
        {"a NUL byte", h + ok + std::string("250,1,\0", 7) + "\n", {}, {"p.csv:4: a NUL byte: this is no text file"}},
        {"UTF-16 cut short", "\xFF\xFEt\0\n\0x"s, {}, {"p.csv:2: UTF-16 text cut within a character"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        try {
            parseViscosityPoints(row.content, "p.csv", row.asked);
            ADD_FAILURE() << "taken";
        } catch (const PointsFileError &e) {
            EXPECT_EQ(e.problems(), row.problems);
            EXPECT_EQ(e.columnsUnknown(), row.columnsUnknown);
        }
    }
}

TEST(ViscosityPoints, LimitsOfPointsAndOfMessages)
{
    std::string most = "temperature,shear_rate,viscosity\n";
    for (std::size_t i = 0; i < MaxViscosityPoints; ++i)
        most += "250," + std::to_string(i + 1) + ",7\n";
    EXPECT_EQ(parseViscosityPoints(most, "p.csv", {}).points.size(), 100000u);
    std::string bad = "temperature,shear_rate,viscosity\n";
    for (int i = 0; i < 25; ++i)
        bad += "250,10,x\n";
    const struct {
        std::string content;
        std::size_t count;
        std::string last;
    } rows[] = {{most + "250,1,7\n250,1,x\n", 1, "p.csv:100002: more than 100000 points; fit a sample of them"},
                {bad, 21, "p.csv: and 5 more bad lines"}};
    for (const auto &row : rows) {
        try {
            parseViscosityPoints(row.content, "p.csv", {});
            ADD_FAILURE() << "taken";
        } catch (const PointsFileError &e) {
            ASSERT_EQ(e.problems().size(), row.count);
            EXPECT_EQ(e.problems().back(), row.last);
        }
    }
}

} // namespace
} // namespace sf
