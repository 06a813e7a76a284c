// What the window says beside its own words when a run stops: the field as
// it is labelled, what is wrong with the text typed and what to type.
#include "calc/InputFields.h"
#include "run/Calculator.h"
#include "support/FakeHost.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace sf {
namespace {

using Events = std::vector<std::string>;

TEST(StopReason, EachStoppedRunSaysWhatIsWrongAndWhereInEnglish)
{
    const std::string longText = std::string(32766, '1') + "x";
    const struct {
        const char *name;
        std::vector<std::pair<Field, std::string>> typed;
        char separator;
        std::string words;
        std::string english;
    } rows[] = {
        {"decimal comma in a density", {{Field::Density, "0,76"}}, '.',
         "error: '0,76' は浮動小数点数ではありません.",
         "Density (g/cm3): '0,76' is not a number; write digits with '.' as the decimal separator, such as 0.76."},
        {"decimal point where the comma is in force", {{Field::Density, "0.76"}}, ',',
         "error: '0.76' は浮動小数点数ではありません.",
         "Density (g/cm3): '0.76' is not a number; write digits with ',' as the decimal separator, such as 0,76."},
        {"the first unreadable value in reading order", {{Field::ShiftB, "b"}, {Field::Temperature, "t"}}, '.',
         "error: 't' は浮動小数点数ではありません.",
         "Temperature (℃): 't' is not a number; write digits with '.' as the decimal separator."},
        {"flow rate beyond a double", {{Field::FlowRate, "1E400"}}, '.', "error: 浮動小数点数のオーバーフロー.",
         "Flow Rate (kg/hr): '1E400' is beyond the range of numbers; give Flow Rate kg/hr as an ordinary number."},
        {"longest text quoted by its start and length", {{Field::FlowRate, longText}}, '.',
         "error: '" + std::string(64, '1') + "…' (32767 characters) は浮動小数点数ではありません.",
         "Flow Rate (kg/hr): '" + std::string(64, '1') +
             "…' (32767 characters) is not a number; write digits with '.' as the decimal separator, such as 57.0."},
        {"no screens", {{Field::ScreenCount, "0"}}, '.', "message: <Number of Screens> is not correct!",
         "Number of Screens: the number of screens '0' must be a whole number from 1 to 12."},
        {"wire typed with its unit", {{wireField(1), "0.40mm"}}, '.',
         "message: Number of screen data set is not enough!",
         "No. 1 Screen Wire Dia. (cm): '0.40mm' is not a number; write digits with '.' as the decimal separator; "
         "so the window counts screen 1 as not given."},
        {"empty wire of screen 11", {{wireField(11), ""}}, '.', "message: Number of screen data set is not enough!",
         "No. 11 Screen Wire Dia. (cm): empty; give Wire Dia. cm as a number; so the window counts screen 11 as "
         "not given."},
        {"wire in mm", {{meshField(1), "20"}, {wireField(1), "0.40"}}, '.', "error: 不正な浮動小数点数演算命令.",
         "No. 1 Screen Wire Dia. (cm): no opening left at screen 1: wire 0.40 cm ≥ pitch 0.127 cm (2.54 / mesh 20); "
         "wire diameters are in cm, mesh in wires per inch; the arithmetic stopped at the screen factor of screen 1."},
        {"mesh 0", {{meshField(5), "0"}}, '.', "error: 0 による浮動小数点数除算.",
         "No. 5 Screen Mesh (1/in): screen 5's mesh is 0 per inch; it must be greater than 0; the arithmetic "
         "stopped at the opening of screen 5."},
        {"absolute zero", {{Field::Temperature, "-273"}}, '.', "error: 0 による浮動小数点数除算.",
         "Temperature (℃): the melt temperature -273 ℃ is at or below absolute zero (-273 ℃); temperatures are in "
         "℃; the arithmetic stopped at the temperature shift of the viscosity."},
        {"an overflow no check explains", {{Field::PowerLawFactor, "1"}, {Field::FlowRate, "1e305"}}, '.',
         "error: 浮動小数点数のオーバーフロー.",
         "No. 5 Screen: the pressure drop at screen 5 is beyond the arithmetic's range; check the flow rate, "
         "density, screen diameter and the melt's viscosity."},
        {"report in a missing folder", {{Field::SaveFileName, "missing/result.txt"}}, '.',
         "message: File can not open!",
         "Save File Name: the report file 'missing/result.txt' cannot be created; give a name in a folder that "
         "exists and can be written to."},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        test::ScopedTempCwd cwd;
        test::FakeHost host;
        if (row.separator != '.')
            for (const InputField &f : InputFields)
                for (char &c : host.texts[f.id])
                    c = c == '.' && f.kind != FieldKind::SaveFileName ? row.separator : c;
        for (const auto &[field, text] : row.typed)
            host.set(field, text);
        Calculator calculator;
        calculator.setDecimalSeparator(row.separator);
        calculator.Calculate(host);
        EXPECT_EQ(host.events, Events{row.words});
        ASSERT_EQ(host.english.size(), 1u);
        EXPECT_EQ(host.english[0], row.english);
    }
}

} // namespace
} // namespace sf
