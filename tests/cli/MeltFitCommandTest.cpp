// screenfilter-cli melt fit as a user runs it: the values it prints, what it
// writes into a case file, and what it refuses.
#include "support/Files.h"
#include "support/Process.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <sys/stat.h>

namespace sf {
namespace {

namespace fs = std::filesystem;
using test::cli;
using test::jsonNumber;
using test::readBytes;
using test::writeBytes;

const std::string DocsPoints = SCREENFILTER_DOCS "/melt-points.csv";

// "key = value" lines of TOML output, in order, comments cut off.
std::vector<std::pair<std::string, std::string>> assignments(const std::string &toml)
{
    std::vector<std::pair<std::string, std::string>> out;
    std::size_t at = 0;
    while (at < toml.size()) {
        const std::size_t end = toml.find('\n', at);
        const std::string line = toml.substr(at, end - at);
        at = end == std::string::npos ? toml.size() : end + 1;
        const std::size_t eq = line.find(" = ");
        if (line.empty() || line[0] == '#' || eq == std::string::npos)
            continue;
        const std::string value = line.substr(eq + 3, line.find(" #") == std::string::npos ? std::string::npos
                                                                                             : line.find(" #") - eq - 3);
        out.emplace_back(line.substr(0, eq), value.substr(0, value.find_last_not_of(' ') + 1));
    }
    return out;
}

TEST(MeltFitCommand, WorkedExampleComesBackWithItsRange)
{
    test::ScopedTempCwd cwd;
    fs::copy_file(SCREENFILTER_TEST_DATA "/melt-worked-example.csv", "worked.csv");
    const test::ProcessResult r = cli({"melt", "fit", "worked.csv", "--reference-temperature", "290.05637982195846"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto values = assignments(r.out);
    const std::vector<std::pair<std::string, double>> expected = {
        {"standard_viscosity", 9.55}, {"standard_shear_rate", 100}, {"power_law_factor", 0.469},
        {"shift_a", 15180},           {"shift_b", 26.96},           {"temperature_min", 250},
        {"temperature_max", 310},     {"shear_rate_min", 10},       {"shear_rate_max", 5000},
        {"points", 12},               {"source", 0},                {"rms_deviation_percent", 0},
        {"max_deviation_percent", 0},
    };
    ASSERT_EQ(values.size(), expected.size()) << r.out;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto &[key, value] = expected[i];
        EXPECT_EQ(values[i].first, key);
        if (key == "source")
            EXPECT_EQ(values[i].second, "\"worked.csv\"");
        else if (value == 0) // exact points: no deviation beyond rounding
            EXPECT_LT(std::stod(values[i].second), 1e-9) << key;
        else
            EXPECT_NEAR(std::stod(values[i].second), value, 1e-9 * value) << key;
    }
    EXPECT_NE(r.out.find("# Standard Viscosity (gf.s/cm2); 936.53507500"), std::string::npos) << r.out;
    // Six significant digits, as the points file's 2466.6215954741497 is.
    EXPECT_EQ(test::missing(r.out, {"#         250          10     8377.27     8377.27       +0.00\n",
                                    "#         250         100     2466.62     2466.62       +0.00\n"}), "");
}

TEST(MeltFitCommand, OneTemperatureTakesAInEitherConventionAndUnit)
{
    test::ScopedTempCwd cwd;
    writeBytes("280.csv", "temperature,shear_rate,viscosity\n280,10,4002.9900527311974\n280,100,1178.6490511142982\n"
                          "280,1000,347.04397647573214\n");
    // A = E / R and E / (n R) with R = 8.314462618 and n = 0.469, by hand.
    const struct {
        std::vector<std::string> args;
        double a;
    } rows[] = {
        {{"--activation-energy", "50kJ/mol", "--activation-energy-at", "constant-stress"}, 6013.6177522471363},
        {{"--activation-energy", "50000 J/mol", "--activation-energy-at", "constant-stress"}, 6013.6177522471363},
        {{"--activation-energy", "50 kJ/mol", "--activation-energy-at", "constant-shear-rate"}, 12822.212691358500},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.args[1]);
        std::vector<std::string> args = {"melt", "fit", "280.csv"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const test::ProcessResult r = cli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NEAR(std::stod(assignments(r.out)[3].second), row.a, 1e-9 * row.a);
    }
}

TEST(MeltFitCommand, JsonAndPlot)
{
    test::ScopedTempCwd cwd;
    fs::copy_file(DocsPoints, "sheet.csv");
    const test::ProcessResult r = cli({"melt", "fit", "sheet.csv", "--format", "json", "--plot", "fit.svg"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 50), "{\n  \"melt\": {\"standard_viscosity\": 43.252981431738");
    EXPECT_NE(r.out.find("\"fit\": {\"temperature_min\": 200, \"temperature_max\": 260, \"shear_rate_min\": 10, "
                         "\"shear_rate_max\": 1000, \"points\": 16, \"source\": \"sheet.csv\", "
                         "\"rms_deviation_percent\": 2.68521801933168"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"viscosity_unit\": \"Pa.s\",\n  \"points\": [\n    {\"temperature\": 200, \"shear_rate\": 10, "
                         "\"measured\": 35740, \"fitted\": 35748.88"),
              std::string::npos);
    const std::string svg = readBytes("fit.svg");
    for (const char *text : {"<svg", "Shear rate (1/s)", "Viscosity (Pa.s)", "230 ℃"})
        EXPECT_NE(svg.find(text), std::string::npos) << text;
}

// Polyisoprene PI33K-8 (Mw 33.6 kg/mol) from Auhl, Ramirez, Likhtman, Chambon
// and Fernyhough, "Linear and nonlinear shear flow behavior of monodisperse
// polyisoprene melts", J. Rheol. 52 (2008) 801, as its frequency sweeps are
// distributed with RepTate (data/PI_LINEAR/osc/PI33K-8_*C_FS_PP10.osc): |η*|
// in Pa·s at ω in rad/s, taken as viscosity at shear rate by the Cox–Merz
// rule; the six highest frequencies at -10, -20 and -30 °C. Written as a
// rheometer's tab-separated export.
const std::string Polyisoprene =
    "Temperature [\xC2\xB0" "C]\tShear Rate [1/s]\tViscosity [Pa\xC2\xB7s]\n"
    "-10\t100\t2851.4\n-10\t68.129\t3782.1\n-10\t46.416\t4979.5\n-10\t31.623\t6494.3\n-10\t21.544\t8346.3\n"
    "-10\t14.678\t10489\n"
    "-20\t100\t4079.4\n-20\t68.129\t5427.2\n-20\t46.416\t7251.6\n-20\t31.623\t9700.2\n-20\t21.544\t12949\n"
    "-20\t14.678\t17247\n"
    "-30\t100\t7537.2\n-30\t68.129\t9508\n-30\t46.416\t12145\n-30\t31.623\t15758\n-30\t21.544\t20626\n"
    "-30\t14.678\t27255\n";

// ln η = c0 + c1 (1/(T + 273) - 1/(Tref + 273)) + c2 ln(SR / 100) by the
// normal equations, solved by Gaussian elimination: n = c2 + 1, A = c1 / n.
std::array<long double, 3> normalEquationsFit(const std::string &table, long double tref)
{
    long double m[3][4] = {};
    std::istringstream in(table);
    std::string line;
    std::getline(in, line); // the header
    long double t, rate, eta;
    while (in >> t >> rate >> eta) {
        const long double x[3] = {1, 1 / (t + 273) - 1 / (tref + 273), std::log(rate / 100)};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                m[r][c] += x[r] * x[c];
            m[r][3] += x[r] * std::log(eta);
        }
    }
    for (int p = 0; p < 3; ++p)
        for (int r = p + 1; r < 3; ++r)
            for (int c = 3; c >= p; --c)
                m[r][c] -= m[r][p] / m[p][p] * m[p][c];
    std::array<long double, 3> coef{};
    for (int r = 2; r >= 0; --r) {
        long double v = m[r][3];
        for (int c = r + 1; c < 3; ++c)
            v -= m[r][c] * coef[c];
        coef[r] = v / m[r][r];
    }
    return coef;
}

TEST(MeltFitCommand, PublishedMultiTemperatureDataMatchAnIndependentSolve)
{
    test::ScopedTempCwd cwd;
    writeBytes("pi33k.txt", Polyisoprene);
    const test::ProcessResult r = cli({"melt", "fit", "pi33k.txt", "--format", "json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(jsonNumber(r.out, "reference_temperature"), -20);
    EXPECT_EQ(jsonNumber(r.out, "points"), 18);
    const std::array<long double, 3> c = normalEquationsFit(Polyisoprene, -20);
    const long double n = c[2] + 1, a = c[1] / n;
    const struct {
        const char *key;
        long double expected;
    } rows[] = {
        {"power_law_factor", n},
        {"shift_a", a},
        {"shift_b", a / (-20 + 273.0L)},
        {"standard_viscosity_pascal_seconds", std::exp(c[0])},
        {"standard_viscosity", std::exp(c[0]) / 98.0665L},
    };
    for (const auto &row : rows)
        EXPECT_NEAR(jsonNumber(r.out, row.key) / row.expected, 1, 1e-9) << row.key;
}

TEST(MeltFitCommand, FitWindowSelectsPointsAndTheTableMarksTheOthers)
{
    test::ScopedTempCwd cwd;
    writeBytes("pi33k.txt", Polyisoprene);
    const test::ProcessResult r = cli({"melt", "fit", "pi33k.txt", "--temperature-range", "-20:-10",
                                       "--shear-rate-range", "20:68.129"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 48), "# Melt fitted to 8 of 18 points, viscosity in Pa");
    EXPECT_NE(r.out.find("#         -10         100      2851.4"), std::string::npos) << r.out;
    const auto rowOf = [&r](const std::string &start) {
        const std::size_t at = r.out.find(start);
        return at == std::string::npos ? std::string() : r.out.substr(at, r.out.find('\n', at) - at);
    };
    EXPECT_EQ(rowOf("#         -10         100      2851.4").substr(56), "-0.82  left out");
    EXPECT_EQ(rowOf("#         -10      68.129      3782.1").substr(56), "-1.36");
    const auto values = assignments(r.out);
    const std::map<std::string, std::string> range(values.begin(), values.end());
    EXPECT_EQ(range.at("points"), "8");
    EXPECT_EQ(range.at("temperature_min"), "-20");
    EXPECT_EQ(range.at("temperature_max"), "-10");
    EXPECT_EQ(range.at("shear_rate_min"), "21.544");
    EXPECT_EQ(range.at("shear_rate_max"), "68.129");

    // The window's fit is the fit of its points alone.
    std::string inside = "temperature\tshear_rate\tviscosity\n";
    for (const char *line : {"-10\t68.129\t3782.1\n", "-10\t46.416\t4979.5\n", "-10\t31.623\t6494.3\n",
                             "-10\t21.544\t8346.3\n", "-20\t68.129\t5427.2\n", "-20\t46.416\t7251.6\n",
                             "-20\t31.623\t9700.2\n", "-20\t21.544\t12949\n"})
        inside += line;
    writeBytes("inside.txt", inside);
    const test::ProcessResult alone = cli({"melt", "fit", "inside.txt", "--reference-temperature", "-15"});
    ASSERT_EQ(alone.exitCode, 0) << alone.err;
    const auto aloneValues = assignments(alone.out);
    EXPECT_EQ(std::vector(values.begin(), values.begin() + 5), std::vector(aloneValues.begin(), aloneValues.begin() + 5));
}

// Every byte but the melt's stays: the case's comments, its order, its line
// breaks; the melt's lines are those the command prints.
TEST(MeltFitCommand, IntoChangesOnlyTheMeltLines)
{
    test::ScopedTempCwd cwd;
    fs::copy_file(DocsPoints, "sheet.csv");
    const std::string printed = cli({"melt", "fit", "sheet.csv"}).out;
    const std::string melt = printed.substr(printed.find("[melt]\n"));
    const std::string meltAlone = melt.substr(0, melt.find("\n\n[melt.fit]"));
    const std::string fitAlone = melt.substr(melt.find("[melt.fit]"), melt.size() - melt.find("[melt.fit]") - 1);
    auto crlf = [](std::string text) {
        for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2)
            text.replace(at, 1, "\r\n");
        return text;
    };
    const std::string process = "[process]\nflow_rate = 57.0\nscreen_diameter = 2.0\ndensity = 0.96\ntemperature = 290.0\n";
    const std::string oldMelt = "[melt]  # the old melt\n# from a colleague\nstandard_viscosity = 9.55\n"
                                "standard_shear_rate = 100.0\npower_law_factor = 0.469\nshift_a = 15180.0\n"
                                "shift_b = 26.96   # B";
    const std::string pack = "[pack]\ncount = 1\nscreens = [{ mesh = 30, wire = 0.02946 }]\n";
    const std::string oldFit = "[melt.fit]\ntemperature_min = 1\ntemperature_max = 2\nshear_rate_min = 1\n"
                               "shear_rate_max = 2\npoints = 2\nsource = \"x\"\nrms_deviation_percent = 0\n"
                               "max_deviation_percent = 0";
    const struct {
        const char *name;
        std::vector<std::string> parts; // kept, replaced, kept, replaced, ... : the case
        std::vector<std::string> news;  // what the replaced parts become
    } rows[] = {
        {"no fit yet", {"# my pack\n" + process + "\n", oldMelt, "\n# after the melt\n\n" + pack},
         {melt.substr(0, melt.size() - 1)}},
        {"CR LF, melt last, no line break at the end", {crlf("# my pack\n" + process + pack + "\n"), crlf(oldMelt), ""},
         {crlf(melt.substr(0, melt.size() - 1))}},
        {"a fit of its own further down", {process, oldMelt, "\n" + pack + "\n", oldFit, "\n# end\n"},
         {meltAlone, fitAlone}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        std::string before, after;
        for (std::size_t i = 0; i < row.parts.size(); ++i) {
            before += row.parts[i];
            after += i % 2 ? row.news[i / 2] : row.parts[i];
        }
        writeBytes("case.sfcase", before);
        const test::ProcessResult r = cli({"melt", "fit", "sheet.csv", "--into", "case.sfcase"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, printed);
        EXPECT_EQ(readBytes("case.sfcase"), after);
        const test::ProcessResult run = cli({"run", "case.sfcase", "-o", "-"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.out.find("=  43.2530"), std::string::npos);
        EXPECT_NE(run.err.find("290.0 ℃ is outside the 200 to 260 ℃ of the viscosity data"), std::string::npos)
            << run.err;
    }
    EXPECT_NE(cli({"run", "case.sfcase", "--format", "json"}).out.find("\"code\": \"outside-fit-temperature\""),
              std::string::npos);
    const test::ProcessResult sweep = cli({"sweep", "case.sfcase", "--vary", "temperature=230,290"});
    EXPECT_NE(sweep.out.find(",230,"), std::string::npos);
    EXPECT_NE(sweep.out.find("outside-fit-temperature"), std::string::npos) << sweep.out;
}

TEST(MeltFitCommand, BadInputSaysWhyAndWritesNothing)
{
    test::ScopedTempCwd cwd;
    const std::string h = "temperature,shear_rate,viscosity\n";
    const std::map<std::string, std::string> files = {
        {"one.csv", h + "250,10,1000\n"},
        {"mixed.csv", "temperature,shear_rate,viscosity (mPa.s)\n250,10,1000\n250,100,500\n"},
        {"latin1.csv", "Temperatur (\xB0" "C);Scherrate;Z\xE4higkeit\n250;10;1000\n"},
        {"one-t.csv", h + "280,10,1000\n280,100,500\n"},
        {"one-rate.csv", h + "250,10,1000\n280,10,500\n"},
        {"good.csv", h + "250,10,1000\n250,100,500\n280,10,700\n"},
        {"64mib.csv", ""}, {"huge.csv", ""}, // sparse below: the largest file read, and one byte more
        {"inline.sfcase", "melt = { standard_viscosity = 1, standard_shear_rate = 1, power_law_factor = 1, "
                          "shift_a = 1, shift_b = 1 }\n[process]\nflow_rate = 1\nscreen_diameter = 1\ndensity = 1\n"
                          "temperature = 1\n[pack]\ncount = 1\n"},
    };
    for (const auto &[name, content] : files)
        writeBytes(name, content);
    fs::resize_file("64mib.csv", 64 << 20);
    fs::resize_file("huge.csv", (64 << 20) + 1);
    ASSERT_EQ(::mkdir("dir", 0777), 0);
    ASSERT_EQ(::mkfifo("fifo", 0666), 0); // nobody writes: a read would wait for ever
    ASSERT_EQ(cli({"init", "case.sfcase"}).exitCode, 0);
    const std::string untouched = readBytes("case.sfcase");

    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
    } rows[] = {
        {{"one.csv"}, 2, "one.csv: one point only; a fit takes two at least\n"},
        {{"mixed.csv", "--viscosity-unit", "Pa.s"}, 2,
         "mixed.csv:1: mixed units: the header gives viscosity in mPa.s, not in Pa.s as asked\n"},
        {{"latin1.csv"}, 2,
         "latin1.csv:1: the header 'Temperatur (°C);Scherrate;Zähigkeit', its values taken as separated by ';', names "
         "no viscosity column. Name the columns temperature, shear_rate and viscosity (or as in "
         "Temperatur;Schergeschwindigkeit;Viskosität), or say which they are with --columns "
         "temperature=N,shear_rate=N,viscosity=N (column numbers from 1 or the header's names)\n"},
        {{"good.csv", "--columns", "temperature=1,shear_rate=2,viscosity=9"}, 2,
         "good.csv:1: --columns viscosity=9: no such column in the header 'temperature,shear_rate,viscosity', its "
         "values taken as separated by ',' (3 columns)\n"},
        {{"good.csv", "--columns", "temperature=1"}, 2,
         "--columns: no column for shear_rate; give --columns temperature=N,shear_rate=N,viscosity=N, each a column "
         "number from 1 or a header's name\n"},
        {{"good.csv", "--shear-rate-range", "1000:2000"}, 2,
         "melt fit: no point is within 1000 to 2000 1/s; the points lie at 250 to 280 °C and 10 to 100 1/s\n"},
        {{"good.csv", "--temperature-range", "280:250"}, 2,
         "--temperature-range 280:250: the lowest and the highest value fitted, in ℃, as in 200:260; both are "
         "included\n"},
        {{"64mib.csv"}, 2, "64mib.csv:1: a NUL byte: this is no text file\n"},
        {{"huge.csv"}, 2, "huge.csv: larger than 64 MiB; no points file is\n"},
        {{"dir"}, 2, "dir: a directory, not a points file\n"},
        {{"fifo"}, 2, "fifo: not a regular file (a FIFO, a device or a socket)\n"},
        {{"missing.csv"}, 2, "missing.csv: No such file or directory\n"},
        {{"one-t.csv"}, 1, "one-t.csv: all points are at one temperature (280 °C), from which A cannot be fitted: give "
                           "A or an activation energy, or add points at a second temperature (--shift-a, or "
                           "--activation-energy with --activation-energy-at)\n"},
        {{"good.csv", "--reference-temperature", "-300"}, 2,
         "melt fit: the reference temperature must be a number above -273 °C\n"},
        {{"good.csv", "--activation-energy", "50", "--activation-energy-at", "constant-stress"}, 2,
         "--activation-energy 50: a number and its unit, as in 45kJ/mol or 45000J/mol\n"},
        {{"good.csv", "--activation-energy", "4O kJ/mol", "--activation-energy-at", "constant-stress"}, 2,
         "--activation-energy 4O kJ/mol: a number and its unit, as in 45kJ/mol or 45000J/mol\n"},
        {{"good.csv", "--activation-energy", "50kJ/mol"}, 2,
         "--activation-energy and --activation-energy-at constant-stress|constant-shear-rate go together: the two "
         "ways of measuring an activation energy give A values a factor n apart\n"},
        {{"good.csv", "--plot", "p.jpg"}, 2, "p.jpg: a plot is an .svg or a .png file\n"},
        {{"good.csv", "--into", "inline.sfcase"}, 2,
         "inline.sfcase: its melt is not written as a [melt] section, the only form that can be replaced\n"},
        {{"good.csv", "--into", "missing.sfcase"}, 2, "missing.sfcase: cannot be read: No such file or directory\n"},
        {{"one-rate.csv"}, 1, "one-rate.csv: all points are at one shear rate (10 1/s), from which n cannot be "
                              "fitted: add points at a second shear rate\n"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.args[0]);
        std::vector<std::string> args = {"melt", "fit"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        for (const char *option : {"--into", "--plot"})
            if (std::find(args.begin(), args.end(), option) == args.end())
                args.insert(args.end(), {option, option == std::string("--into") ? "case.sfcase" : "p.png"});
        const test::ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, row.exitCode);
        EXPECT_EQ(r.err, row.err);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(readBytes("case.sfcase"), untouched);
    EXPECT_FALSE(fs::exists("p.png"));
}

// The points file, the case and the plot are three files, and none is
// written unless all three outputs (with standard output) can be: each
// refusal leaves the folder as it was; all well, the case and plot change.
TEST(MeltFitCommand, NoOutputOverAnInputAndNoneUnlessAllCanBeWritten)
{
    test::ScopedTempCwd cwd;
    writeBytes("points.csv", "temperature,shear_rate,viscosity\n250,10,1000\n250,100,500\n280,10,700\n");
    fs::copy_file("points.csv", "points.png");
    fs::create_symlink("points.csv", "fit.png");
    fs::create_hard_link("points.csv", "hard.svg");
    ASSERT_EQ(cli({"init", "case.svg"}).exitCode, 0);
    fs::copy_file("case.svg", "ro.sfcase");
    ::chmod("ro.sfcase", 0444);
    const std::string before = test::folderContents();
    const char *const other = "; name another file for it\n";
    const struct {
        std::string args; // after "melt fit"
        int exitCode;
        std::string err;
    } rows[] = {
        {"points.csv --plot fit.png", 2, "the plot fit.png would overwrite the points file points.csv" + std::string(other)},
        {"points.csv --plot hard.svg", 2, "the plot hard.svg would overwrite the points file points.csv" + std::string(other)},
        {"points.png --plot points.png", 2, "the plot points.png would overwrite the points file points.png" + std::string(other)},
        {"points.csv --into fit.png", 2, "the case fit.png would overwrite the points file points.csv" + std::string(other)},
        {"points.csv --into case.svg --plot ./case.svg", 2,
         "the plot ./case.svg is the same file as the case case.svg; give them different names or run them apart\n"},
        {"points.csv --into ro.sfcase --plot p.png", 2, "ro.sfcase: read-only (its mode allows no writing)\n"},
        {"points.csv --into case.svg --plot no/p.png", 2, "no/p.png: No such file or directory\n"},
        {"points.csv --into case.svg --plot p.png >/dev/full", 2, "standard output: disk full\n"},
        {"points.csv --into case.svg --plot p.png", 0, ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.args);
        const test::ProcessResult r =
            test::runProcess("/bin/sh", {"-c", "\"$0\" melt fit >/dev/null " + row.args, SCREENFILTER_CLI});
        EXPECT_EQ(r.exitCode, row.exitCode);
        EXPECT_EQ(r.err, row.err);
        EXPECT_EQ(test::folderContents() == before, row.exitCode != 0);
    }
    EXPECT_TRUE(fs::exists("p.png"));
    EXPECT_NE(readBytes("case.svg"), readBytes("ro.sfcase"));
}

} // namespace
} // namespace sf
