#include "io/RegularFile.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <sys/stat.h>

namespace sf {
namespace {

using Problem = RegularFileRead::Problem;

TEST(RegularFile, WhatAReadGives)
{
    test::ScopedTempCwd dir;
    test::writeBytes("ten", "0123456789");
    test::writeBytes("eleven", "0123456789A");
    test::writeBytes("empty", "");
    ASSERT_EQ(::mkdir("folder", 0755), 0);
    ASSERT_EQ(::mkfifo("pipe", 0644), 0); // no writer: a blocking open would wait forever

    const struct {
        const char *path;
        bool opening; // readFileOpening rather than readRegularFile
        Problem problem;
        int err;
        const char *bytes;
        std::uint64_t size;
    } rows[] = {
        {"ten", false, Problem::None, 0, "0123456789", 10},          // exactly the limit
        {"eleven", false, Problem::TooLarge, 0, "", 11},             // one byte more
        {"empty", false, Problem::None, 0, "", 0},
        {"eleven", true, Problem::None, 0, "0123456789", 11},        // its opening, and its whole size
        {"empty", true, Problem::None, 0, "", 0},
        {"missing", false, Problem::System, ENOENT, "", 0},
        {"ten/below", false, Problem::System, ENOTDIR, "", 0},       // through a regular file
        {"folder", false, Problem::Directory, 0, "", 0},
        {"folder", true, Problem::Directory, 0, "", 0},
        {"pipe", false, Problem::NotRegular, 0, "", 0},
        {"pipe", true, Problem::NotRegular, 0, "", 0},
        {"/dev/null", false, Problem::NotRegular, 0, "", 0},          // a device that ends at once
        {"/dev/zero", true, Problem::NotRegular, 0, "", 0},           // one that never ends
    };
    for (const auto &row : rows) {
        const RegularFileRead r = row.opening ? readFileOpening(row.path, 10) : readRegularFile(row.path, 10);
        const std::string name = std::string(row.path) + (row.opening ? " (opening)" : "");
        EXPECT_EQ(r.problem, row.problem) << name;
        EXPECT_EQ(r.err, row.err) << name;
        EXPECT_EQ(r.bytes, row.bytes) << name;
        if (row.problem == Problem::None || row.problem == Problem::TooLarge) {
            EXPECT_EQ(r.size, row.size) << name;
        }
    }
}

TEST(RegularFile, ALargeFileIsReadWhole)
{
    test::ScopedTempCwd dir;
    // Past the 64 KiB that one read takes.
    std::string bytes(200'000, 'x');
    bytes[0] = 'a';
    bytes.back() = 'z';
    test::writeBytes("large", bytes);
    const RegularFileRead r = readRegularFile("large", 200'000);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.bytes.size(), 200'000u);
    EXPECT_EQ(r.bytes.front(), 'a');
    EXPECT_EQ(r.bytes.back(), 'z');
    EXPECT_EQ(readRegularFile("large", 199'999).problem, Problem::TooLarge);
}

} // namespace
} // namespace sf
