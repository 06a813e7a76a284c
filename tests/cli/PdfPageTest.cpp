// run --format pdf as a user runs it: the page's text, read back with
// pdftotext, holds the numbers --format json gives in the same unit, and
// bad outputs are refused before anything is made.
#include "support/Files.h"
#include "support/Process.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace sf {
namespace {

namespace fs = std::filesystem;
using test::cli;
using test::readBytes;
using test::writeBytes;

// The worked example with the melt's fit range and a study with a limit.
std::string studiedCase()
{
    return readBytes(fs::path(SCREENFILTER_DOCS) / "pack-a.sfcase") +
           "\n[melt.fit]\ntemperature_min = 270\ntemperature_max = 310\nshear_rate_min = 300\nshear_rate_max = 3000\n"
           "points = 24\nsource = \"melt-points.csv\"\nrms_deviation_percent = 1.5\nmax_deviation_percent = 3.25\n"
           "\n[study]\nlimit = \"total=150bar\"\ntemperatures = [270, 290, 310]\n";
}

std::string pageText(const std::string &pdf, bool layout)
{
    std::vector<std::string> args;
    if (layout)
        args.push_back("-layout");
    args.insert(args.end(), {pdf, "-"});
    const test::ProcessResult r = test::runProcess("/usr/bin/pdftotext", args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
}

// Runs of blanks and line breaks as one blank: a sentence wrapped on the
// page reads as it was written.
std::string flattened(const std::string &text)
{
    return std::regex_replace(text, std::regex("\\s+"), " ");
}

std::string fixed(double v, int decimals)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

// The JSON details read back: each screen's members, the total, the
// inputs' values as written and the diagnoses' sentences.
struct Details {
    std::vector<std::map<std::string, double>> screens;
    double total = 0;
    std::map<std::string, std::string> inputs;
    std::vector<std::string> sentences;
    std::string totalUnit;
};

Details details(const std::string &json)
{
    Details d;
    const std::regex member("\"(\\w+)\": (-?[0-9][0-9.eE+-]*)"), input("\"key\": \"(\\w+)\", \"value\": ([^,]+),"),
        sentence("\"sentence\": \"([^\"]*)\""), total("^  \"total\": (.*),$"), unit("\"total\": \"([^\"]+)\"\\}");
    std::istringstream in(json);
    std::smatch m;
    for (std::string line; std::getline(in, line);) {
        if (line.find("{\"screen\":") != std::string::npos) {
            std::map<std::string, double> screen;
            for (auto it = std::sregex_iterator(line.begin(), line.end(), member); it != std::sregex_iterator(); ++it)
                screen[(*it)[1]] = std::stod((*it)[2]);
            d.screens.push_back(screen);
        } else if (std::regex_search(line, m, input)) {
            d.inputs[m[1]] = m[2];
        } else if (std::regex_search(line, m, sentence)) {
            d.sentences.push_back(m[1]);
        } else if (std::regex_search(line, m, total)) {
            d.total = std::stod(m[1]);
        }
        if (std::regex_search(line, m, unit))
            d.totalUnit = m[1];
    }
    return d;
}

TEST(PdfPage, HoldsEveryNumberAsTheJsonDetailsGiveItInTheChosenUnit)
{
    test::ScopedTempCwd cwd;
    writeBytes("line-3.sfcase", studiedCase());
    const struct {
        const char *unit;
        int decimals; // of a pressure drop
        const char *heading;
        double perKgfCm2; // 98066.5 Pa over the unit's
    } rows[] = {{"kgf/cm2", 2, "(kgf/cm²)", 1},
                {"bar", 2, "(bar)", 0.980665},
                {"MPa", 3, "(MPa)", 0.0980665},
                {"psi", 1, "(psi)", 14.223343307119564}};
    double kgfCm2Total = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.unit);
        const test::ProcessResult page = cli({"run", "line-3.sfcase", "--format", "pdf", "--units", row.unit, "-o", "p.pdf"});
        ASSERT_EQ(page.exitCode, 0) << page.err;
        const test::ProcessResult json = cli({"run", "line-3.sfcase", "--format", "json", "--units", row.unit});
        ASSERT_EQ(json.exitCode, 0) << json.err;
        const Details d = details(json.out);
        ASSERT_EQ(d.screens.size(), 12u);
        EXPECT_EQ(d.totalUnit, row.unit);
        if (kgfCm2Total == 0)
            kgfCm2Total = d.total;
        EXPECT_NEAR(d.total, kgfCm2Total * row.perKgfCm2, 1e-12 * d.total);

        const std::string layout = pageText("p.pdf", true);
        std::istringstream lines(layout);
        std::size_t screen = 0;
        bool total = false;
        for (std::string line; std::getline(lines, line);) {
            std::istringstream in(line);
            const std::vector<std::string> w{std::istream_iterator<std::string>(in), {}};
            if (!w.empty() && w[0] == "Total") {
                ASSERT_EQ(w.size(), 2u) << line;
                EXPECT_EQ(w[1], fixed(d.total, row.decimals));
                total = true;
            }
            if (w.size() != 9 || screen >= d.screens.size() || w[0] != std::to_string(screen + 1))
                continue;
            const std::map<std::string, double> &s = d.screens[screen++];
            SCOPED_TRACE(line);
            EXPECT_EQ(w[1], fixed(s.at("mesh"), 0));
            EXPECT_EQ(w[2], fixed(s.at("wire"), 5));
            EXPECT_EQ(w[3], fixed(s.at("opening"), 5));
            EXPECT_EQ(w[4], fixed(100 * s.at("open_area"), 1));
            EXPECT_EQ(w[5], fixed(s.at("screen_factor"), 3));
            // Four significant digits.
            EXPECT_NEAR(std::stod(w[6]), s.at("wall_shear_rate"), 5e-4 * s.at("wall_shear_rate"));
            EXPECT_NEAR(std::stod(w[7]), s.at("apparent_viscosity"), 5e-4 * s.at("apparent_viscosity"));
            EXPECT_EQ(w[8], fixed(s.at("pressure_drop"), row.decimals));
        }
        EXPECT_EQ(screen, 12u);
        EXPECT_TRUE(total);
        EXPECT_NE(layout.find(row.heading), std::string::npos);

        // The inputs as the JSON writes them, the melt's fit in shortest form.
        const std::string text = flattened(pageText("p.pdf", false));
        for (const auto &[key, value] : d.inputs)
            if (key != "file" && key.find("screens.") != 0 && key != "count") {
                EXPECT_NE(text.find(" " + value + " "), std::string::npos) << key << " = " << value;
            }
        EXPECT_EQ(test::missing(text, {"270–310 ℃", "300–3000 1/s", "melt-points.csv", "rms 1.5 %, max 3.25 %",
                                       "9.55 gf·s/cm²", "= 936.535 Pa·s", "line-3", "screenfilter-cli "}), "");
        EXPECT_TRUE(std::regex_search(text, std::regex("20[0-9]{2}-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]")));
        EXPECT_NE(text.find((fs::current_path() / "line-3.sfcase").string()), std::string::npos);
        ASSERT_FALSE(d.sentences.empty());
        for (const std::string &s : d.sentences)
            EXPECT_NE(text.find(flattened(s)), std::string::npos) << s;
    }
}

std::string pageSize(const std::string &pdf)
{
    const test::ProcessResult info = test::runProcess("/usr/bin/pdfinfo", {pdf});
    const std::size_t at = info.out.find("Page size:");
    return at == std::string::npos ? info.out : info.out.substr(at, info.out.find('\n', at) - at);
}

TEST(PdfPage, PaperIsAsAskedOrTheLocalesOrA4)
{
    test::ScopedTempCwd cwd;
    writeBytes("a.sfcase", readBytes(fs::path(SCREENFILTER_DOCS) / "pack-a.sfcase"));
    // A locale whose paper is Letter, made here: the system may have none.
    const bool haveLetterLocale =
        test::runProcess("/usr/bin/localedef", {"-i", "en_US", "-f", "UTF-8", (fs::current_path() / "en_US.UTF-8").string()})
            .exitCode <= 1; // 1: made, with warnings
    const std::string locpath = "LOCPATH=" + fs::current_path().string();
    const struct {
        const char *name;
        std::vector<std::string> args;
        std::vector<std::string> environment;
        const char *size;
    } rows[] = {
        {"asked letter", {"--paper", "letter"}, {}, "612 x 792 pts (letter)"},
        {"asked a4", {"--paper", "a4"}, {locpath, "LC_ALL=en_US.UTF-8"}, "595 x 842 pts (A4)"},
        {"C locale", {}, {}, "595 x 842 pts (A4)"},
        {"no such locale", {}, {"LC_ALL=xx_YY.UTF-8"}, "595 x 842 pts (A4)"},
        {"US locale", {}, {locpath, "LC_ALL=en_US.UTF-8"}, "612 x 792 pts (letter)"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        if (row.environment.size() == 2 && !haveLetterLocale)
            continue;
        std::vector<std::string> args{"run", "a.sfcase", "--format", "pdf", "-o", "p.pdf"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const test::ProcessResult r = cli(args, row.environment);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(pageSize("p.pdf").find(row.size), std::string::npos) << pageSize("p.pdf");
    }
    if (!haveLetterLocale)
        GTEST_SKIP() << "localedef could not make en_US.UTF-8";
}

TEST(PdfPage, BadOutputsAreRefusedAndNothingIsMade)
{
    test::ScopedTempCwd cwd;
    writeBytes("a.sfcase", readBytes(fs::path(SCREENFILTER_DOCS) / "pack-a.sfcase"));
    writeBytes("plain-file", "x");
    ASSERT_EQ(::mkfifo("fifo", 0600), 0);
    const struct {
        const char *name;
        std::vector<std::string> args;
        const char *said;
    } rows[] = {
        {"missing folder", {"--output-dir", "missing"}, "missing: No such file or directory"},
        {"folder is a file", {"--output-dir", "plain-file"}, "plain-file: not a directory"},
        {"into a missing folder", {"-o", "missing/p.pdf"}, "missing"},
        {"a fifo", {"-o", "fifo"}, "fifo: not a regular file"},
        {"a device", {"-o", "/dev/null"}, "/dev/null: not a regular file"},
        {"standard output", {"-o", "-"}, "-o FILE.pdf or --output-dir DIR"},
        {"a unit", {"--units", "atm"}, "--units: kgf/cm2, bar, MPa or psi, not atm"},
    };
    const std::string before = test::folderContents();
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> args{"run", "a.sfcase", "--format", "pdf"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const test::ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find(row.said), std::string::npos) << r.err;
        EXPECT_EQ(test::folderContents(), before);
    }
    // The report is in kgf/cm2 only; the paper is only for pages.
    EXPECT_EQ(cli({"run", "a.sfcase", "--units", "bar"}).exitCode, 2);
    EXPECT_EQ(cli({"run", "a.sfcase", "--paper", "a4"}).exitCode, 2);
    EXPECT_EQ(test::folderContents(), before);
}

TEST(PdfPage, AFailingCaseHasNoPageAndTheOthersDo)
{
    test::ScopedTempCwd cwd;
    const std::string good = readBytes(fs::path(SCREENFILTER_DOCS) / "pack-a.sfcase");
    fs::create_directory("out");
    std::vector<std::string> args{"run", "--format", "pdf", "--output-dir", "out"};
    for (int i = 0; i < 12; ++i) {
        const std::string name = "case-" + std::to_string(i) + ".sfcase";
        // Case 5's wire leaves no opening.
        writeBytes(name, i == 5 ? std::regex_replace(good, std::regex("wire = 0.02946"), "wire = 0.9") : good);
        args.push_back(name);
    }
    writeBytes("out/case-5.pdf", "the earlier page");
    const test::ProcessResult r = cli(args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("case-5.sfcase: "), std::string::npos) << r.err;
    for (int i = 0; i < 12; ++i)
        if (i != 5) {
            EXPECT_EQ(readBytes("out/case-" + std::to_string(i) + ".pdf").substr(0, 5), "%PDF-") << i;
        }
    EXPECT_EQ(readBytes("out/case-5.pdf"), "the earlier page");
}

} // namespace
} // namespace sf
