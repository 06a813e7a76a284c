// The files screenfilter-cli writes: whole or not at all, whatever else
// writes the same name, with links, modes and devices kept.
#include "cases/CaseFile.h"
#include "calc/InputFields.h"
#include "support/Files.h"
#include "support/Process.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace sf {
namespace {

namespace fs = std::filesystem;
using test::cli;
using test::readBytes;
using test::writeBytes;

// screenfilter-cli run by /bin/sh after `prelude` (a ulimit, say), or a
// shell script in which "$0" is screenfilter-cli.
test::ProcessResult shell(const std::string &script, const std::vector<std::string> &args = {})
{
    std::vector<std::string> all{"-c", script, SCREENFILTER_CLI};
    all.insert(all.end(), args.begin(), args.end());
    return test::runProcess("/bin/sh", all);
}

// Two cases with different reports and tables.
void writeTwoCases()
{
    writeBytes("a.sfcase", formatCaseFile(FieldTexts::defaults()));
    FieldTexts b = FieldTexts::defaults();
    b[Field::FlowRate] = "80";
    b[Field::ScreenCount] = "3";
    writeBytes("b.sfcase", formatCaseFile(b));
}

// Each round starts the writers at once; whichever ends last, the file is
// one writer's output, never a mix.
TEST(CliOutputs, ParallelWritersToOneNameLeaveOneWholeFile)
{
    test::ScopedTempCwd cwd;
    writeTwoCases();
    const struct {
        const char *name;
        std::vector<std::string> a, b; // the two commands, without "-o FILE"
        int pairs;
    } rows[] = {
        {"reports", {"run", "a.sfcase"}, {"run", "b.sfcase"}, 10},
        {"tables", {"sweep", "a.sfcase", "--vary", "flow_rate=1:100:3000"}, {"sweep", "b.sfcase", "--vary", "flow_rate=1:100:3000"}, 3},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> a = row.a, b = row.b;
        for (auto *args : {&a, &b})
            args->insert(args->end(), {"-o", "same"});
        ASSERT_EQ(cli(a).exitCode, 0);
        const std::string aOut = readBytes("same");
        ASSERT_EQ(cli(b).exitCode, 0);
        const std::string bOut = readBytes("same");
        ASSERT_NE(aOut, bOut);

        std::string script;
        for (int i = 0; i < row.pairs; ++i) {
            for (auto *args : {&a, &b}) {
                script += "\"$0\"";
                for (const std::string &arg : *args)
                    script += " " + arg;
                script += " & ";
            }
        }
        script += "wait";
        for (int round = 0; round < 3; ++round) {
            ASSERT_EQ(shell(script).exitCode, 0);
            const std::string left = readBytes("same");
            EXPECT_TRUE(left == aOut || left == bOut) << "round " << round << ": " << left.size() << " bytes";
        }
    }
}

// Each command's files under a file-size limit, and onto a link, a
// read-only file, a link to a device and a pipe without a reader: what it
// says, and what is left in the folder afterwards.
TEST(CliOutputs, EarlierFilesLinksModesAndDevicesStay)
{
    test::ScopedTempCwd cwd;
    writeTwoCases();
    for (const char *earlier : {"r.txt", "t.csv", "p.svg", "c.sfcase"})
        writeBytes(earlier, "earlier");
    writeBytes("target.sfcase", "old");
    fs::create_symlink("target.sfcase", "link.sfcase");
    writeBytes("ro.sfcase", "old");
    ::chmod("ro.sfcase", 0444);
    // Our own device: a wrong writer would replace the node it follows to.
    if (!test::makeNullDevice("null"))
        GTEST_SKIP() << "no device node can be made here (not root, or nodev)";
    fs::create_symlink("null", "p.png");
    ASSERT_EQ(::mkfifo("pipe.txt", 0666), 0);

    // 1 block: 512 bytes for dash, 1024 for bash; every output is larger.
    const std::string limited = "ulimit -f 1 && ";
    const struct {
        std::string prelude;
        std::vector<std::string> args;
        int exitCode;
        const char *err;
    } rows[] = {
        {limited, {"run", "a.sfcase", "-o", "r.txt"}, 2, "r.txt: file too large\n"},
        {limited, {"sweep", "a.sfcase", "--vary", "flow_rate=1:100:500", "-o", "t.csv"}, 2, "t.csv: file too large\n"},
        {limited, {"sweep", "a.sfcase", "--vary", "flow_rate=1:100:5", "--plot", "p.svg"}, 2, "p.svg: file too large\n"},
        {limited, {"init", "--force", "c.sfcase"}, 2, "c.sfcase: file too large\n"},
        {"", {"init", "--force", "link.sfcase"}, 0, ""},
        {"", {"init", "--force", "ro.sfcase"}, 2, "ro.sfcase: read-only (its mode allows no writing)\n"},
        {"", {"sweep", "a.sfcase", "--vary", "flow_rate=1,2", "-o", "/dev/null", "--plot", "p.png"}, 0, ""},
        {"", {"run", "a.sfcase", "-o", "pipe.txt"}, 2, "pipe.txt: no reader (a named pipe that no program reads)\n"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.args[0] + " " + row.args.back());
        const test::ProcessResult r = shell(row.prelude + "exec \"$0\" \"$@\" >/dev/null", row.args);
        EXPECT_EQ(r.exitCode, row.exitCode);
        EXPECT_EQ(r.err, row.err);
    }
    EXPECT_EQ(test::folderContents(), "a.sfcase=<1715 bytes> b.sfcase=<1715 bytes> c.sfcase=earlier link.sfcase->target.sfcase "
                                      "null:device p.png->null p.svg=earlier pipe.txt:fifo r.txt=earlier ro.sfcase=old "
                                      "t.csv=earlier target.sfcase=<1715 bytes>");
    EXPECT_EQ(fs::status("ro.sfcase").permissions(), fs::perms(0444));
}

// Every file under the current folder with its size, links as
// "name->target", in the order listed.
std::string tree()
{
    std::string listed;
    for (const fs::directory_entry &e : fs::recursive_directory_iterator(".")) {
        listed += (listed.empty() ? "" : " ") + e.path().lexically_relative(".").string();
        if (e.is_symlink())
            listed += "->" + fs::read_symlink(e.path()).string();
        else if (e.is_regular_file())
            listed += "=" + std::to_string(e.file_size());
    }
    return listed;
}

// Where each command's output goes, or why it is refused before anything
// runs: reports named by cases in another folder, with and without -o and
// --output-dir, names with ./ and ../, absolute ones, a symlinked folder and
// hard links. <root> stands for the scratch folder.
TEST(CliOutputs, PlacementOfReportsTablesAndPlots)
{
    const char *const refused = "; -o, --output-dir or --allow-outside writes it there\n";
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
        const char *written; // the one new file, or nullptr
    } rows[] = {
        {{"run", "cases/a.sfcase"}, 0, "", "cases/a.txt"},
        {{"run", "cases/dot.sfcase"}, 0, "", "cases/sub/d.txt"},
        {{"run", "cases/up.sfcase"}, 2, "cases/up.sfcase: its report <root>/up.txt is outside the case's folder" + std::string(refused), nullptr},
        {{"run", "cases/up.sfcase", "--allow-outside"}, 0, "", "up.txt"},
        {{"run", "cases/up.sfcase", "--output-dir", "out"}, 0, "", "out/up.txt"},
        {{"run", "cases/up.sfcase", "-o", "mine.txt"}, 0, "", "mine.txt"},
        {{"run", "cases/abs.sfcase"}, 2, "cases/abs.sfcase: its report <root>/abs.txt is outside the case's folder" + std::string(refused), nullptr},
        {{"run", "cases/abs.sfcase", "--allow-outside"}, 0, "", "abs.txt"},
        {{"run", "abs.sfcase"}, 2, "abs.sfcase: its report <root>/abs.txt is outside the case's folder" + std::string(refused), nullptr},
        {{"run", "up.sfcase"}, 2, "up.sfcase: its report <parent>/up.txt is outside the case's folder" + std::string(refused), nullptr},
        {{"run", "cases/self.sfcase"}, 2,
         "cases/self.sfcase's report cases/self.sfcase would overwrite the case file cases/self.sfcase; name another file for it\n", nullptr},
        {{"run", "cases/a.sfcase", "-o", "cases/a.sfcase"}, 2,
         "cases/a.sfcase's report cases/a.sfcase would overwrite the case file cases/a.sfcase; name another file for it\n", nullptr},
        {{"run", "cases/a.sfcase", "-o", "linked/a.sfcase"}, 2,
         "cases/a.sfcase's report linked/a.sfcase would overwrite the case file cases/a.sfcase; name another file for it\n", nullptr},
        {{"run", "cases/hard.sfcase"}, 2,
         "cases/hard.sfcase's report cases/hard-link.txt would overwrite the case file cases/hard.sfcase; name another file for it\n", nullptr},
        {{"run", "cases/same1.sfcase", "./cases/same2.sfcase"}, 2,
         "./cases/same2.sfcase's report ./cases/same.txt is the same file as cases/same1.sfcase's report cases/same.txt; "
         "give them different names or run them apart\n", nullptr},
        {{"run", "same1.sfcase", "./same2.sfcase"}, 2,
         "./same2.sfcase's report ./same.txt is the same file as same1.sfcase's report same.txt; "
         "give them different names or run them apart\n", nullptr},
        {{"run", "cases/same1.sfcase", "linked/same2.sfcase"}, 2,
         "linked/same2.sfcase's report linked/same.txt is the same file as cases/same1.sfcase's report cases/same.txt; "
         "give them different names or run them apart\n", nullptr},
        {{"run", "cases/a.sfcase", "--format", "json", "-o", "linked/a.sfcase"}, 2,
         "the details linked/a.sfcase would overwrite the case file cases/a.sfcase; name another file for it\n", nullptr},
        {{"sweep", "cases/a.sfcase", "--vary", "flow_rate=1", "-o", "cases/a.sfcase"}, 2,
         "the table cases/a.sfcase would overwrite the case file cases/a.sfcase; name another file for it\n", nullptr},
        {{"sweep", "cases/a.sfcase", "--vary", "flow_rate=1", "-o", "p.svg", "--plot", "./p.svg"}, 2,
         "the plot ./p.svg is the same file as the table p.svg; give them different names or run them apart\n", nullptr},
    };
    for (const auto &row : rows) {
        std::string joined;
        for (const std::string &a : row.args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        test::ScopedTempCwd cwd;
        const std::string root = cwd.path().string();
        fs::create_directories("cases/sub");
        fs::create_directory("out");
        fs::create_directory_symlink("cases", "linked");
        const std::pair<const char *, std::string> named[] = {
            {"a", "a.txt"},        {"dot", "./sub/d.txt"},  {"up", "../up.txt"},      {"abs", root + "/abs.txt"},
            {"self", "self.sfcase"}, {"hard", "hard-link.txt"}, {"same1", "same.txt"}, {"same2", "same.txt"},
        };
        for (const auto &[name, report] : named) {
            FieldTexts texts = FieldTexts::defaults();
            texts[Field::SaveFileName] = report;
            writeBytes("cases/" + std::string(name) + ".sfcase", formatCaseFile(texts));
        }
        fs::create_hard_link("cases/hard.sfcase", "cases/hard-link.txt");
        fs::copy_file("cases/same1.sfcase", "same1.sfcase");
        fs::copy_file("cases/same2.sfcase", "same2.sfcase");
        fs::copy_file("cases/abs.sfcase", "abs.sfcase");
        fs::copy_file("cases/up.sfcase", "up.sfcase");
        const std::string before = tree();

        const test::ProcessResult r = cli(row.args);
        EXPECT_EQ(r.exitCode, row.exitCode);
        std::string err = row.err;
        if (const std::size_t at = err.find("<root>"); at != std::string::npos)
            err.replace(at, 6, root);
        if (const std::size_t at = err.find("<parent>"); at != std::string::npos)
            err.replace(at, 8, fs::path(root).parent_path().string());
        EXPECT_EQ(r.err, err);
        if (row.written) {
            EXPECT_EQ(readBytes(row.written), test::goldenReport());
            fs::remove(row.written);
        }
        EXPECT_EQ(tree(), before) << "no other file written";
        EXPECT_EQ(readBytes("cases/hard.sfcase"), readBytes("cases/hard-link.txt"));
    }
}

} // namespace
} // namespace sf
