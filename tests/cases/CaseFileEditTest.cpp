#include "cases/CaseFile.h"

#include <gtest/gtest.h>

#include <string>

namespace sf {
namespace {

// The melt that replaces the file's, in the form the window shows it.
FieldTexts newMelt()
{
    FieldTexts t;
    t[Field::StandardViscosity] = "12.5";
    t[Field::StandardShearRate] = "100";
    t[Field::PowerLawFactor] = "0,41"; // no number to TOML: written as a text
    t[Field::ShiftA] = "14000";
    t[Field::ShiftB] = "24.5";
    return t;
}

const MeltFitRange NewFit{200, 260, 10, 1000, 7, "sheet.csv", 0.5, 1.25};

const std::string Process = "[process]\n"
                            "flow_rate=57.5   # tight, as typed\n"
                            "screen_diameter = 5.0\n"
                            "density = 0.96\n"
                            "temperature = 290.0\n";
const std::string Pack = "[pack]\ncount = 1\nscreens = [ { mesh = 30, wire = 0.0254 } ]\n";
const std::string OldMelt = "[melt]\n"
                            "standard_viscosity = 9.55 # old\n"
                            "standard_shear_rate = 100.0\n"
                            "power_law_factor = 0.469\n"
                            "shift_a = 15180.0\n"
                            "shift_b = 26.96";
const std::string OldFit = "[melt.fit]\n"
                           "temperature_min = 150\ntemperature_max = 180\nshear_rate_min = 1\nshear_rate_max = 50\n"
                           "points = 3\nsource = \"old.csv\"\nrms_deviation_percent = 2\nmax_deviation_percent = 4";

// What the new melt is written as, without its last line break.
const std::string MeltLines =
    "[melt]\n"
    "# η = η0 * (SR / SR0)^(n - 1), shifted to the melt temperature T by\n"
    "# aT = exp(A / (T + 273.0) - B): η0 * aT and SR0 / aT.\n"
    "standard_viscosity = 12.5       # Standard Viscosity (gf.s/cm2); 1225.83 Pa·s\n"
    "standard_shear_rate = 100       # Standard Shear Rate (1/sec)\n"
    "power_law_factor = \"0,41\"       # Power Law Factor (-)\n"
    "shift_a = 14000                 # Shift Factor Parameter A (℃)\n"
    "shift_b = 24.5                  # Shift Factor Parameter B (-)";
const std::string FitLines =
    "[melt.fit]\n"
    "# The measured points the melt above was fitted to: the range it holds for.\n"
    "temperature_min = 200           # ℃\n"
    "temperature_max = 260           # ℃\n"
    "shear_rate_min = 10             # 1/sec\n"
    "shear_rate_max = 1000           # 1/sec\n"
    "points = 7\n"
    "source = \"sheet.csv\"\n"
    "rms_deviation_percent = 0.5     # % of viscosity, fitted against measured\n"
    "max_deviation_percent = 1.25    # %, the largest";

std::string crlf(std::string s)
{
    for (std::size_t at = s.find('\n'); at != std::string::npos; at = s.find('\n', at + 2))
        s.insert(at, 1, '\r');
    return s;
}

TEST(CaseFileEdit, OnlyTheMeltChanges)
{
    const struct {
        const char *name;
        std::string before, after;
    } rows[] = {
        {"melt between, no fit yet", Process + "\n" + OldMelt + "\n\n# the pack\n" + Pack,
         Process + "\n" + MeltLines + "\n\n" + FitLines + "\n\n# the pack\n" + Pack},
        {"a comment after the last value stays", Process + OldMelt + "\n# after the melt\n" + Pack,
         Process + MeltLines + "\n\n" + FitLines + "\n# after the melt\n" + Pack},
        {"melt last, no line break at the end", Process + Pack + OldMelt, Process + Pack + MeltLines + "\n\n" + FitLines},
        {"blanks inside the header", Pack + "[ melt ]" + OldMelt.substr(6) + "\n" + Process,
         Pack + MeltLines + "\n\n" + FitLines + "\n" + Process},
        {"a fit of its own further down", OldMelt + "\n" + Process + "\n" + OldFit + "\n" + Pack,
         MeltLines + "\n" + Process + "\n" + FitLines + "\n" + Pack},
        {"a fit right after the melt", Process + OldMelt + "\n" + OldFit + "\n" + Pack,
         Process + MeltLines + "\n" + FitLines + "\n" + Pack},
        {"the fit before the melt", Process + OldFit + "\n" + OldMelt + "\n" + Pack,
         Process + FitLines + "\n" + MeltLines + "\n" + Pack},
        {"CR LF", crlf(Process + OldMelt + "\n" + Pack), crlf(Process + MeltLines + "\n\n" + FitLines + "\n" + Pack)},
    };
    for (const auto &row : rows) {
        std::string out;
        ASSERT_NO_THROW(out = replaceMeltSections(row.before, "c.sfcase", newMelt(), NewFit, "; 1225.83 Pa·s"))
            << row.name;
        EXPECT_EQ(out, row.after) << row.name;
    }
}

TEST(CaseFileEdit, ASourceNameThatIsNoUtf8)
{
    MeltFitRange fit = NewFit;
    fit.source = "m\xE9sure.csv"; // Latin-1
    const std::string out = replaceMeltSections(Process + OldMelt + "\n" + Pack, "c.sfcase", newMelt(), fit, "");
    EXPECT_EQ(parseCase(out, "c.sfcase").meltFit->source, "m\xEF\xBF\xBDsure.csv");
}

TEST(CaseFileEdit, WhatCannotBeReplacedIsRefused)
{
    const struct {
        const char *name;
        std::string content;
        const char *error;
    } rows[] = {
        {"inline table",
         "melt = { standard_viscosity = 1, standard_shear_rate = 1, power_law_factor = 1, shift_a = 1, shift_b = 1 }\n" +
             Process + Pack,
         "c.sfcase: its melt is not written as a [melt] section, the only form that can be replaced"},
        {"no case file", "[process]\nflow_rate = \n", "c.sfcase:2:13: Error while parsing key-value pair: expected value, saw '\\n'"},
        {"missing key", Process + Pack, "c.sfcase: missing key melt.standard_viscosity"},
    };
    for (const auto &row : rows) {
        try {
            replaceMeltSections(row.content, "c.sfcase", newMelt(), NewFit, "");
            ADD_FAILURE() << row.name << ": no error";
        } catch (const CaseFileError &e) {
            EXPECT_EQ(std::string(e.what()), row.error) << row.name;
        }
    }
}

} // namespace
} // namespace sf
