#include "io/IoErrors.h"
#include "io/TextFile.h"
#include "support/Faults.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace sf {
namespace {

namespace fs = std::filesystem;

// Lines of 30 bytes (28 + CR LF), numbered so that every block differs.
std::string line(int i)
{
    std::string text = "line " + std::to_string(i);
    text.resize(28, '.');
    return text;
}

std::string linesText(int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += line(i) + "\r\n";
    return bytes;
}

TEST(TextFile, HandsOverWhole128ByteBlocksUntilTheClose)
{
    test::ScopedTempCwd cwd;
    TextFile file;
    ASSERT_EQ(file.rewrite(AT_FDCWD, "t.txt"), 0);
    // After each line: what the disk holds. 30-byte lines fill a block at
    // line 5 (150 bytes), then at line 9 (270 bytes).
    const std::size_t onDisk[] = {0, 0, 0, 0, 128, 128, 128, 128, 256, 256};
    for (int i = 0; i < 10; ++i) {
        file.writeLine(line(i));
        EXPECT_EQ(fs::file_size("t.txt"), onDisk[i]) << "after line " << i;
    }
    file.close();
    EXPECT_EQ(test::readBytes("t.txt"), linesText(10));
}

TEST(TextFile, RewriteReplacesTheOldContentAndCreatesWithMode0666)
{
    test::ScopedTempCwd cwd;
    test::writeBytes("t.txt", std::string(1000, 'x'));
    const mode_t previous = ::umask(022);
    TextFile file;
    ASSERT_EQ(file.rewrite(AT_FDCWD, "t.txt"), 0);
    EXPECT_EQ(fs::file_size("t.txt"), 0u) << "truncated at the open";
    file.writeLine("a");
    file.close();
    EXPECT_EQ(test::readBytes("t.txt"), "a\r\n");

    ASSERT_EQ(file.rewrite(AT_FDCWD, "new.txt"), 0);
    file.close();
    struct stat st;
    ASSERT_EQ(::stat("new.txt", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u) << "0666 less the umask 022";
    ::umask(previous);
    EXPECT_EQ(test::readBytes("new.txt"), "");
}

TEST(TextFile, OpenFailuresGiveTheErrnoAndHoldNothing)
{
    test::ScopedTempCwd cwd;
    test::writeBytes("plain", "keep");
    ASSERT_EQ(::mkfifo("fifo", 0666), 0);
    ASSERT_EQ(::mkfifo("fifo with reader", 0666), 0);
    const int reader = ::open("fifo with reader", O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const long before = test::openFileCount();
    using namespace std::string_literals;
    const struct {
        std::string name;
        int err;
    } rows[] = {
        {"", ENOENT},
        {"missing/t.txt", ENOENT},
        {"plain/t.txt", ENOTDIR},
        {".", EISDIR},
        {std::string(300, 'n'), ENAMETOOLONG}, // one component beyond 255 bytes
        // Never waits for a reader, never writes into a pipe.
        {"fifo", ENXIO},
        {"fifo with reader", ENXIO},
        // The name as typed, not the part before the NUL.
        {"plain\0.bak"s, EINVAL},
        {"abc\0def.txt"s, EINVAL},
    };
    for (const auto &row : rows) {
        TextFile file;
        EXPECT_EQ(file.rewrite(AT_FDCWD, row.name), row.err) << row.name;
        EXPECT_EQ(test::openFileCount(), before) << row.name;
    }
    EXPECT_EQ(test::readBytes("plain"), "keep");
    EXPECT_FALSE(fs::exists("abc"));
    char byte;
    EXPECT_LE(::read(reader, &byte, 1), 0) << "nothing went into the pipe";
    ::close(reader);
}

TEST(TextFile, WriteFailuresCloseTheFileAndKeepTheBlocksWritten)
{
    test::ScopedTempCwd cwd;
    const long before = test::openFileCount();
    {
        TextFile file;
        ASSERT_EQ(file.rewrite(AT_FDCWD, "/dev/full"), 0);
        for (int i = 0; i < 4; ++i)
            file.writeLine(line(i)); // 120 bytes: still buffered
        try {
            file.writeLine(line(4));
            ADD_FAILURE() << "no error";
        } catch (const InOutError &e) {
            EXPECT_EQ(e.code(), 101);
        }
        EXPECT_EQ(test::openFileCount(), before) << "closed by the failure itself";
    }

    // A file-size limit of three blocks: the fourth block's write fails.
    const int status = test::inChildWithFileSizeLimit(384, [] {
        TextFile file;
        if (file.rewrite(AT_FDCWD, "limited.txt") != 0)
            return 2;
        try {
            for (int i = 0; i < 20; ++i)
                file.writeLine(line(i));
            file.close();
        } catch (const InOutError &e) {
            return e.code() == 27 ? 0 : 3; // EFBIG
        }
        return 4;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::readBytes("limited.txt"), linesText(20).substr(0, 384));
}

// Two writers of one report: the second one's open waits for the first
// one's close, so the file holds one report, never blocks of both.
TEST(TextFile, ASecondWriterWaitsForTheFirstOnesClose)
{
    test::ScopedTempCwd cwd;
    TextFile first;
    ASSERT_EQ(first.rewrite(AT_FDCWD, "t.txt"), 0);
    for (int i = 0; i < 10; ++i)
        first.writeLine(line(i)); // two blocks out, the rest held

    TextFile second;
    std::atomic<bool> opened{false};
    std::thread other([&] {
        EXPECT_EQ(second.rewrite(AT_FDCWD, "t.txt"), 0);
        opened = true;
        second.writeLine("second");
        second.close();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(opened) << "opened while the first writer still writes";
    EXPECT_EQ(test::readBytes("t.txt"), linesText(10).substr(0, 256));
    first.writeLine(line(10));
    first.close();
    other.join();
    EXPECT_EQ(test::readBytes("t.txt"), "second\r\n");
}

TEST(TextFile, AbandonDropsWhatIsBufferedAndCloses)
{
    test::ScopedTempCwd cwd;
    const long before = test::openFileCount();
    TextFile file;
    ASSERT_EQ(file.rewrite(AT_FDCWD, "t.txt"), 0);
    for (int i = 0; i < 6; ++i)
        file.writeLine(line(i)); // 180 bytes: one block out, 52 held
    file.abandon();
    EXPECT_EQ(test::openFileCount(), before);
    EXPECT_EQ(test::readBytes("t.txt"), linesText(6).substr(0, 128));
}

} // namespace
} // namespace sf
