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

// Pipes, /dev/null, folders and too large files read whole are refused
// through the case file reader's own test; these are the rest.
TEST(RegularFile, WhatAReadGives)
{
    test::ScopedTempCwd dir;
    test::writeBytes("ten", "0123456789");
    test::writeBytes("eleven", "0123456789A");
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
        {"ten", false, Problem::None, 0, "0123456789", 10},   // exactly the limit
        {"eleven", false, Problem::TooLarge, 0, "", 11},      // one byte more
        {"eleven", true, Problem::None, 0, "0123456789", 11}, // its opening, and its whole size
        {"missing", false, Problem::System, ENOENT, "", 0},
        {"ten/below", false, Problem::System, ENOTDIR, "", 0}, // through a regular file
        {"folder", true, Problem::Directory, 0, "", 0},
        {"pipe", true, Problem::NotRegular, 0, "", 0},
        {"/dev/zero", true, Problem::NotRegular, 0, "", 0}, // a device that never ends
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

    // Past the 64 KiB that one read takes, read whole.
    std::string large(200'000, 'x');
    large.back() = 'z';
    test::writeBytes("large", large);
    EXPECT_EQ(readRegularFile("large", 200'000).bytes, large);
    EXPECT_EQ(readRegularFile("large", 199'999).problem, Problem::TooLarge);
}

} // namespace
} // namespace sf
