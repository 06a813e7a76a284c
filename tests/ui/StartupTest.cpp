// The font configuration's thread is joined once however often it is waited
// for, or not at all; left running or joined twice, it would end the program.
#include "Startup.h"

#include <gtest/gtest.h>

TEST(FontConfigReaderTest, JoinsOnceHoweverOftenWaitedFor)
{
    for (int waits : {0, 1, 2})
        EXPECT_NO_THROW({
            sf::FontConfigReader reader;
            for (int i = 0; i < waits; ++i)
                reader.wait();
        }) << waits << " waits";
}
