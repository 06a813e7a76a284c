#include "calc/ShortString.h"

#include <gtest/gtest.h>

#include <string>

namespace sf {
namespace {

TEST(ShortString, CutsAtMost255BytesOnACharacterBoundary)
{
    const struct {
        std::string text;
        std::size_t kept;
    } cases[] = {
        {"", 0},
        {std::string(255, 'x'), 255},
        {std::string(256, 'x'), 255},
        {std::string(254, 'x') + "\xC3\xA9", 254},            // é would straddle byte 255
        {std::string(253, 'x') + "\xC3\xA9" + "y", 255},     // é ends exactly at 255
        {std::string(253, 'x') + "\xE2\x84\x83", 253},        // ℃ (3 bytes) would straddle
        {std::string(252, 'x') + "\xE2\x84\x83" + "z", 255},
        {std::string(252, 'x') + "\xF0\x9F\x98\x80", 252},    // 4-byte character
    };
    for (const auto &tc : cases) {
        SCOPED_TRACE(tc.text.size());
        EXPECT_EQ(ShortString(tc.text).str(), tc.text.substr(0, tc.kept));
    }
}

} // namespace
} // namespace sf
