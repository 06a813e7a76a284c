// The font configuration read on a thread while the display opens: however
// often it is waited for, or not at all, the thread is joined once and never
// left running (which would end the program).
#include "Startup.h"

#include <gtest/gtest.h>

namespace sf::test {
namespace {

TEST(FontConfigReaderTest, JoinsOnceHoweverOftenWaitedFor)
{
    for (int waits : {0, 1, 2, 3}) {
        EXPECT_NO_THROW({
            FontConfigReader reader;
            for (int i = 0; i < waits; ++i)
                reader.wait();
        }) << waits << " waits";
    }
}

} // namespace
} // namespace sf::test
