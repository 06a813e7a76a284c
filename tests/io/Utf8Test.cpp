#include "io/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace sf {
namespace {

TEST(Utf8, LengthOfTheCharacterAt)
{
    const struct {
        const char *name;
        std::string text;
        std::size_t at;
        std::size_t length;
    } rows[] = {
        {"ASCII", "a", 0, 1},
        {"two bytes", "\xC3\xA9", 0, 2},
        {"three bytes", "x\xE2\x82\xAC", 1, 3},
        {"the last code point", "\xF4\x8F\xBF\xBF", 0, 4},
        {"in the middle of one", "\xC3\xA9", 1, 0},
        {"cut short at the end", "\xE2\x82", 0, 0},
        {"a continuation missing", "\xE2\x41\xAC", 0, 0},
        {"overlong slash", "\xC0\xAF", 0, 0},
        {"overlong three bytes", "\xE0\x80\xAF", 0, 0},
        {"surrogate", "\xED\xA0\x80", 0, 0},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", 0, 0},
        {"no lead byte", "\xF8\x88\x80\x80\x80", 0, 0},
    };
    for (const auto &row : rows)
        EXPECT_EQ(utf8Length(row.text, row.at), row.length) << row.name;
}

} // namespace
} // namespace sf
