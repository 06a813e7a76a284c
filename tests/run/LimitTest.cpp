#include "run/Limit.h"

#include <gtest/gtest.h>

#include <string>

namespace sf {
namespace {

TEST(Limit, ReadsTheTargetAndAPressureWithItsUnit)
{
    // kgf/cm2 values: 1 bar = 1/0.980665 kgf/cm2, 1 psi = 6894.757293168361 Pa / 98066.5 Pa.
    const struct {
        const char *spec;
        int screen;
        const char *unit;
        double kgfCm2;
        const char *label;
    } rows[] = {
        {"total=150bar", 0, "bar", 152.95743194668924, "total 150 bar"},
        {"total=15MPa", 0, "MPa", 152.95743194668924, "total 15 MPa"},
        {"total=150kgf/cm2", 0, "kgf/cm2", 150, "total 150 kgf/cm2"},
        {"drop.3=2000psi", 3, "psi", 140.61391592783184, "screen 3 2000 psi"},
        {"drop.12=1.5e2kgf/cm2", 12, "kgf/cm2", 150, "screen 12 150 kgf/cm2"},
        {"total=.5bar", 0, "bar", 0.5098581064889641, "total 0.5 bar"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.spec);
        const PressureLimit limit = parseLimit(row.spec);
        EXPECT_EQ(limit.screen, row.screen);
        EXPECT_EQ(limit.unit.name, row.unit);
        EXPECT_DOUBLE_EQ(limit.kgfCm2(), row.kgfCm2);
        EXPECT_EQ(limit.label(), row.label);
    }
}

TEST(Limit, RefusesWithTheSpellingThatServes)
{
    const std::string spelling = "--limit: total=PRESSURE or drop.N=PRESSURE with the unit right after the number "
                                 "(kgf/cm2, bar, MPa or psi), such as total=150bar";
    const std::pair<const char *, std::string> rows[] = {
        {"150bar", spelling},
        {"drop3=1bar", spelling},
        {"drop.0=1bar", "--limit: drop.0: a screen from 1 to 12"},
        {"drop.13=1bar", "--limit: drop.13: a screen from 1 to 12"},
        {"drop.2x=1bar", "--limit: drop.2x: a screen from 1 to 12"},
        {"total=bar", "--limit: bar: a number followed by its unit, such as 150bar"},
        {"total=150", "--limit: 150: the unit right after the number: kgf/cm2, bar, MPa or psi, such as 150bar"},
        {"total=150 bar", "--limit: 150 bar: the unit right after the number: kgf/cm2, bar, MPa or psi, such as 150bar"},
        // Millipascal is not megapascal: units are read as written.
        {"total=15mpa", "--limit: 15mpa: the unit right after the number: kgf/cm2, bar, MPa or psi, such as 150bar"},
        {"total=150,5bar", "--limit: 150,5bar: the unit right after the number: kgf/cm2, bar, MPa or psi, such as 150bar"},
        {"total=0bar", "--limit: 0bar: a pressure above zero"},
        {"total=-150bar", "--limit: -150bar: a pressure above zero"},
        {"total=infbar", "--limit: infbar: a pressure above zero"},
        {"total=1e999bar", "--limit: 1e999bar: out of range"},
    };
    for (const auto &[spec, message] : rows) {
        SCOPED_TRACE(spec);
        try {
            parseLimit(spec);
            ADD_FAILURE() << "taken";
        } catch (const UsageError &e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
}

} // namespace
} // namespace sf
