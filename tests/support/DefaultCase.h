#pragma once

#include "FakeHost.h"
#include "calc/ReadInputs.h"
#include "calc/ShiftViscosity.h"

#include <gtest/gtest.h>

namespace sf::test {

// The case that the main window's default texts give, read as a run reads it.
inline TFilterCase defaultCase()
{
    FakeHost host;
    TFilterCase c;
    EXPECT_TRUE(ReadInputs(host, c));
    return c;
}

inline TFilterCase shiftedDefaultCase()
{
    TFilterCase c = defaultCase();
    ShiftViscosity(c);
    return c;
}

} // namespace sf::test
