#include "calc/DecimalSeparator.h"
#include "calc/Errors.h"
#include "calc/InputFields.h"
#include "calc/ReadInputs.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sf {
namespace {

using test::FakeHost;

const std::string CountMessage = "message: <Number of Screens> is not correct!";
const std::string DataMessage = "message: Number of screen data set is not enough!";

TEST(ReadInputs, DefaultTextsReadAllTwelveScreens)
{
    FakeHost host;
    TFilterCase c;
    ASSERT_TRUE(ReadInputs(host, c));
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(c.FlowRate, 57.0);
    EXPECT_EQ(c.ShiftParamA, 15180.0);
    EXPECT_EQ(c.ScreenCount, 12);
    EXPECT_EQ(c.Screens[0].Mesh, 30);
    EXPECT_EQ(c.Screens[0].WireDia, 0.02946);
    EXPECT_EQ(c.Screens[11].Mesh, 200);
    EXPECT_EQ(c.Screens[11].WireDia, 0.00406);
    // The nine main fields first, then the count, then the pairs mesh first.
    std::vector<int> order = {1, 2, 3, 4, 30, 31, 32, 33, 34, 29};
    for (int k = 1; k <= 12; ++k) {
        order.push_back(meshField(k));
        order.push_back(wireField(k));
    }
    EXPECT_EQ(host.reads, order);
}

TEST(ReadInputs, NumberOfScreens)
{
    const struct {
        const char *text;
        int expected; // 0: rejected
    } cases[] = {
        {"0", 0},  {"13", 0},  {"-1", 0},  {"12.0", 0}, {"12 ", 0}, {"abc", 0},  {"", 0},
        {" 12", 12}, {"+12", 12}, {"012", 12}, {"$C", 12}, {"0xc", 12}, {"1", 1}, {"$80000001", 0},
    };
    for (const auto &tc : cases) {
        SCOPED_TRACE(tc.text);
        FakeHost host;
        host.set(ScreenCountField, tc.text);
        TFilterCase c;
        const bool ok = ReadInputs(host, c);
        EXPECT_EQ(ok, tc.expected != 0);
        if (tc.expected) {
            EXPECT_EQ(c.ScreenCount, tc.expected);
            EXPECT_TRUE(host.events.empty());
        } else {
            EXPECT_EQ(host.events, std::vector<std::string>{CountMessage});
            // No screen field is read after a rejected count.
            EXPECT_EQ(host.reads.back(), ScreenCountField);
        }
    }
}

TEST(ReadInputs, ScreenPairsAreNeededOnlyForTheScreensInUse)
{
    const struct {
        const char *name;
        const char *count;
        std::vector<std::pair<int, const char *>> fields;
        bool ok;
    } cases[] = {
        {"empty mesh beyond the count", "3", {{meshField(4), ""}}, true},
        {"empty wire in use", "3", {{wireField(2), ""}}, false},
        {"reading stops at the first failure", "3", {{meshField(4), ""}, {wireField(7), "abc"}}, true},
        {"last wire of twelve", "12", {{wireField(12), "x"}}, false},
        {"first mesh of twelve", "12", {{meshField(1), " "}}, false},
        {"value beyond a double in use", "3", {{meshField(2), "1E400"}}, false},
        {"value beyond a double unused", "3", {{wireField(4), "1E400"}}, true},
        {"pair 3 wire fails with three in use", "3", {{wireField(3), "-"}}, false},
        {"tiny value reads as zero", "1", {{wireField(1), "1E-400"}}, true},
    };
    for (const auto &tc : cases) {
        SCOPED_TRACE(tc.name);
        FakeHost host;
        host.set(ScreenCountField, tc.count);
        for (const auto &[field, text] : tc.fields)
            host.set(field, text);
        TFilterCase c;
        EXPECT_EQ(ReadInputs(host, c), tc.ok);
        if (tc.ok)
            EXPECT_TRUE(host.events.empty());
        else
            EXPECT_EQ(host.events, std::vector<std::string>{DataMessage});
    }
}

TEST(ReadInputs, MainFieldErrorsLeaveTheRunInReadingOrder)
{
    // An unreadable Flow Rate is reported even with a wrong count and empty screens.
    FakeHost host;
    host.set(1, "abc");
    host.set(ScreenCountField, "5");
    host.set(meshField(1), "");
    TFilterCase c;
    try {
        ReadInputs(host, c);
        FAIL() << "no error";
    } catch (const ConvertError &e) {
        EXPECT_EQ(std::string(e.what()), "'abc' は浮動小数点数ではありません");
    }
    EXPECT_EQ(host.reads, std::vector<int>{1});

    // The disabled viscosity fields are read like the others.
    FakeHost viscosity;
    viscosity.set(33, "15180.0.0");
    viscosity.set(ScreenCountField, "0");
    EXPECT_THROW(ReadInputs(viscosity, c), ConvertError);
    EXPECT_TRUE(viscosity.events.empty());

    FakeHost huge;
    huge.set(1, "1E400");
    EXPECT_THROW(ReadInputs(huge, c), OverflowError);
}

TEST(ReadInputs, FollowsTheDecimalSeparator)
{
    test::ScopedSeparator comma(',');
    FakeHost host;
    TFilterCase c;
    // "57.0" is no number where the separator is a comma.
    EXPECT_THROW(ReadInputs(host, c), ConvertError);
    host.set(1, "57,0");
    for (int field : {2, 3, 4, 30, 31, 32, 33, 34}) {
        std::string text = host.fieldText(field);
        for (char &ch : text)
            if (ch == '.')
                ch = ',';
        host.set(field, text);
    }
    for (int k = 1; k <= 12; ++k) {
        std::string text = host.fieldText(wireField(k));
        text[1] = ',';
        host.set(wireField(k), text);
    }
    EXPECT_TRUE(ReadInputs(host, c));
    EXPECT_EQ(c.FlowRate, 57.0);
    EXPECT_EQ(c.Screens[11].WireDia, 0.00406);
}

} // namespace
} // namespace sf
