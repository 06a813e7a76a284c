#include "calc/Errors.h"
#include "calc/InputFields.h"
#include "calc/ReadInputs.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace sf {
namespace {

const FieldTexts Defaults = FieldTexts::defaults();

// The case the texts give; the test fails when they are rejected.
FilterCase accepted(const FieldTexts &texts, char separator = '.')
{
    ReadResult r = ReadInputs(texts, separator);
    if (const auto *rejected = std::get_if<InputRejection>(&r)) {
        ADD_FAILURE() << "rejected: " << rejected->message;
        return {};
    }
    return std::get<FilterCase>(r);
}

// The rejection the texts give, or none.
std::string rejection(const FieldTexts &texts)
{
    ReadResult r = ReadInputs(texts, '.');
    const auto *rejected = std::get_if<InputRejection>(&r);
    return rejected ? std::string(rejected->message) : std::string();
}

const std::string CountMessage = "<Number of Screens> is not correct!";
const std::string DataMessage = "Number of screen data set is not enough!";

TEST(ReadInputs, DefaultTextsReadAllTwelveScreens)
{
    const FilterCase c = accepted(Defaults);
    EXPECT_EQ(c.FlowRate, 57.0);
    EXPECT_EQ(c.ScreenDiameter, 2.0);
    EXPECT_EQ(c.Density, 0.96);
    EXPECT_EQ(c.Temperature, 290.0);
    EXPECT_EQ(c.StdViscosity, 9.55);
    EXPECT_EQ(c.StdShearRate, 100.0);
    EXPECT_EQ(c.PowerLawFactor, 0.469);
    EXPECT_EQ(c.ShiftParamA, 15180.0);
    EXPECT_EQ(c.ShiftParamB, 26.96);
    EXPECT_EQ(c.ScreenCount, 12);
    EXPECT_EQ(c.Screens[0].Mesh, 30);
    EXPECT_EQ(c.Screens[0].WireDia, 0.02946);
    EXPECT_EQ(c.Screens[4].Mesh, 50);
    EXPECT_EQ(c.Screens[11].Mesh, 200);
    EXPECT_EQ(c.Screens[11].WireDia, 0.00406);
}

TEST(ReadInputs, ReadingOrderDecidesWhichErrorIsReported)
{
    // Every field from the named one on (in reading order) is unreadable:
    // the error names that field's text, so no later field was read first.
    const Field order[] = {Field::FlowRate, Field::ScreenDiameter, Field::Density, Field::Temperature,
                           Field::StandardViscosity, Field::StandardShearRate, Field::PowerLawFactor,
                           Field::ShiftA, Field::ShiftB};
    for (std::size_t i = 0; i < std::size(order); ++i) {
        SCOPED_TRACE(keyOfField(order[i]));
        FieldTexts texts = Defaults;
        for (std::size_t j = i; j < std::size(order); ++j)
            texts[order[j]] = "bad" + std::to_string(fieldIndex(order[j]) + 1);
        texts[Field::ScreenCount] = "0";
        try {
            ReadInputs(texts, '.');
            ADD_FAILURE() << "no error";
        } catch (const ConvertError &e) {
            EXPECT_EQ(std::string(e.what()), "'bad" + std::to_string(fieldIndex(order[i]) + 1) + "' は浮動小数点数ではありません");
        }
    }
    // The count comes after the nine and before every screen field.
    FieldTexts texts = Defaults;
    texts[Field::ScreenCount] = "0";
    for (int k = 1; k <= MaxScreens; ++k)
        texts[meshField(k)] = texts[wireField(k)] = "x";
    EXPECT_EQ(rejection(texts), CountMessage);
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
        FieldTexts texts = Defaults;
        texts[Field::ScreenCount] = tc.text;
        if (tc.expected) {
            EXPECT_EQ(accepted(texts).ScreenCount, tc.expected);
        } else {
            // Rejected before any screen field is looked at.
            texts[wireField(1)] = "";
            EXPECT_EQ(rejection(texts), CountMessage);
        }
    }
}

TEST(ReadInputs, ScreenPairsAreNeededOnlyForTheScreensInUse)
{
    const struct {
        const char *name;
        const char *count;
        std::vector<std::pair<Field, const char *>> fields;
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
        FieldTexts texts = Defaults;
        texts[Field::ScreenCount] = tc.count;
        for (const auto &[field, text] : tc.fields)
            texts[field] = text;
        EXPECT_EQ(rejection(texts), tc.ok ? "" : DataMessage);
    }
}

TEST(ReadInputs, OnlyTheScreensInUseAreCopied)
{
    FieldTexts texts = Defaults;
    texts[Field::ScreenCount] = "2";
    texts[meshField(3)] = "77";
    const FilterCase c = accepted(texts);
    EXPECT_EQ(c.Screens[1].WireDia, 0.02743);
    EXPECT_EQ(c.ScreenPairs[2].Mesh, 77);
    EXPECT_EQ(c.Screens[2].Mesh, 0) << "screen 3 is not in use";
}

TEST(ReadInputs, MainFieldErrorsLeaveTheRunInReadingOrder)
{
    // An unreadable Flow Rate is reported even with a wrong count and empty screens.
    FieldTexts texts = Defaults;
    texts[Field::FlowRate] = "abc";
    texts[Field::ScreenCount] = "5";
    texts[meshField(1)] = "";
    try {
        ReadInputs(texts, '.');
        FAIL() << "no error";
    } catch (const ConvertError &e) {
        EXPECT_EQ(std::string(e.what()), "'abc' は浮動小数点数ではありません");
    }

    // The read-only viscosity fields are read like the others.
    FieldTexts viscosity = Defaults;
    viscosity[Field::ShiftA] = "15180.0.0";
    viscosity[Field::ScreenCount] = "0";
    EXPECT_THROW(ReadInputs(viscosity, '.'), ConvertError);

    FieldTexts huge = Defaults;
    huge[Field::FlowRate] = "1E400";
    EXPECT_THROW(ReadInputs(huge, '.'), OverflowError);
}

TEST(ReadInputs, FollowsTheDecimalSeparator)
{
    // "57.0" is no number where the separator is a comma.
    EXPECT_THROW(ReadInputs(Defaults, ','), ConvertError);

    FieldTexts texts = Defaults;
    for (const InputField &f : InputFields)
        for (char &ch : texts[f.id])
            if (ch == '.')
                ch = ',';
    const FilterCase c = accepted(texts, ',');
    EXPECT_EQ(c.FlowRate, 57.0);
    EXPECT_EQ(c.StdViscosity, 9.55);
    EXPECT_EQ(c.Screens[11].WireDia, 0.00406);
    // And the same texts are no numbers with the full stop.
    EXPECT_THROW(ReadInputs(texts, '.'), ConvertError);
}

TEST(InputFields, DescribeEveryFieldOnce)
{
    // Spot checks against the window's captions, in the table's own words.
    const struct {
        Field field;
        const char *title;
        const char *defaultText;
        bool editable;
        const char *key;
    } rows[] = {
        {Field::FlowRate, "Flow Rate (kg/hr)", "57.0", true, "flow_rate"},
        {Field::Temperature, "Temperature (℃)", "290.0", true, "temperature"},
        {meshField(1), "No. 1  Screen Mesh (1/in)", "30", true, "mesh"},
        {wireField(12), "No. 12 Screen Wire Dia. (cm)", "0.00406", true, "wire"},
        {Field::ScreenCount, "Number of  Screens", "12", true, "count"},
        {Field::StandardViscosity, "Standard Viscosity (gf.s/cm2)", "9.55", false, "standard_viscosity"},
        {Field::PowerLawFactor, "Power Law Factor (-)", "0.469", false, "power_law_factor"},
        {Field::ShiftA, "Shift Factor Parameter A (℃)", "15180.0", false, "shift_a"},
        {Field::SaveFileName, "Save File Name", "result.txt", true, "file"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(keyOfField(row.field));
        const InputField &f = inputField(row.field);
        EXPECT_EQ(fieldTitle(f), row.title);
        EXPECT_EQ(f.defaultText, row.defaultText);
        EXPECT_EQ(f.editable, row.editable);
        EXPECT_EQ(f.key, row.key);
    }
    // Each case value is fed by exactly one field.
    std::vector<double FilterCase::*> fed;
    for (const InputField &f : InputFields)
        if (f.kind == FieldKind::CaseValue)
            fed.push_back(f.value);
    EXPECT_EQ(fed, (std::vector<double FilterCase::*>{
                       &FilterCase::FlowRate, &FilterCase::ScreenDiameter, &FilterCase::Density,
                       &FilterCase::Temperature, &FilterCase::StdViscosity, &FilterCase::StdShearRate,
                       &FilterCase::PowerLawFactor, &FilterCase::ShiftParamA, &FilterCase::ShiftParamB}));
}

} // namespace
} // namespace sf
