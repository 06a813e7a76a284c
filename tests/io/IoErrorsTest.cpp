#include "io/ErrorBoxText.h"
#include "io/IoErrors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace sf {
namespace {

TEST(ErrorBoxText, AppendsAFullStopAfterCharactersThatSortAfterIt)
{
    const struct {
        const char *message;
        const char *shown;
    } cases[] = {
        {"abc", "abc."},     {"I/O エラー (28)", "I/O エラー (28)"}, {"done.", "done."},
        {"File can not open!", "File can not open!"}, {"x ", "x "}, {"7", "7."},
        {"ディスクがいっぱいです", "ディスクがいっぱいです."}, {"", ""}, {"a/", "a/."}, {"a-", "a-"},
    };
    for (const auto &tc : cases)
        EXPECT_EQ(errorBoxText(tc.message), tc.shown) << tc.message;
}

TEST(IoErrors, EachErrnoHasItsCodeAndText)
{
    const struct {
        int err;
        int code;
        const char *text;
    } rows[] = {
        {ENOENT, 2, "ファイルが見つかりません"},
        {ENOTDIR, 3, "ファイル名の指定が間違っています"},
        {ENAMETOOLONG, 3, "ファイル名の指定が間違っています"},
        {ELOOP, 3, "ファイル名の指定が間違っています"},
        {EMFILE, 4, "オープンしたファイルが多すぎます"},
        {ENFILE, 4, "オープンしたファイルが多すぎます"},
        {EACCES, 5, "ファイルへのアクセスが拒否されました"},
        {EPERM, 5, "ファイルへのアクセスが拒否されました"},
        {EROFS, 5, "ファイルへのアクセスが拒否されました"},
        {EISDIR, 5, "ファイルへのアクセスが拒否されました"},
        {ETXTBSY, 5, "ファイルへのアクセスが拒否されました"},
        {ENOSPC, 101, "ディスクがいっぱいです"},
        {EDQUOT, 101, "ディスクがいっぱいです"},
        // Anything else keeps its errno, in the text as well.
        {EIO, 5, "I/O エラー (5)"},
        {EFBIG, 27, "I/O エラー (27)"},
        {EPIPE, 32, "I/O エラー (32)"},
        {ENXIO, 6, "I/O エラー (6)"},
        {EINVAL, 22, "I/O エラー (22)"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.err);
        EXPECT_EQ(ioErrorText(row.err), row.text);
        const InOutError e = ioError(row.err);
        EXPECT_EQ(e.code(), row.code);
        EXPECT_EQ(std::string(e.what()), row.text);
    }
}

} // namespace
} // namespace sf
