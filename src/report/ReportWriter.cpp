#include "ReportWriter.h"

#include "FormatFixed.h"
#include "calc/Errors.h"
#include "calc/ShortString.h"
#include "io/TextFile.h"

#include <string>
#include <string_view>

namespace sf {

namespace {

// The degree-Celsius sign in the report's code page (Shift_JIS).
#define SF_DEGREE_C "\x81" "\x8E"

// Labels are 40 bytes, so every value starts in column 41. Other tools match
// on these texts, spelling included.
struct HeadLine {
    std::string_view label;
    double FilterCase::*value;
    int precision;
    int digits;
};

constexpr HeadLine HeadLines[] = {
    {"    Flow Rate (kg/hr)                =  ", &FilterCase::FlowRate, 6, 2},
    {"    Screen Diameter (cm)             =  ", &FilterCase::ScreenDiameter, 5, 2},
    {"    Density (g/cm3)                  =  ", &FilterCase::Density, 5, 3},
    {"    Temperature (" SF_DEGREE_C ")                 =  ", &FilterCase::Temperature, 5, 1},
    {"    Standard Viscosiyt (gf.s/cm2)    =  ", &FilterCase::StdViscosity, 8, 4},
    {"    Standard Shear Rate (1/sec)      =  ", &FilterCase::StdShearRate, 8, 2},
    {"    Power Law Factor (-)             =  ", &FilterCase::PowerLawFactor, 5, 3},
    {"    Shift Factor Parameter A (" SF_DEGREE_C ")    =  ", &FilterCase::ShiftParamA, 11, 3},
    {"    Shift Factor Parameter B (-)     =  ", &FilterCase::ShiftParamB, 10, 3},
};

#undef SF_DEGREE_C

constexpr bool allLabelsAre40Bytes()
{
    for (const HeadLine &line : HeadLines) {
        if (line.label.size() != 40)
            return false;
    }
    return true;
}
static_assert(allLabelsAre40Bytes());

constexpr std::string_view ColumnTitles = "  No.     Mesh    Wire Dia.    Opening        Fs      Press. Drop";
constexpr std::string_view ColumnUnits = "          (cm)     (cm)          (cm)       (cm^-n)     (kgf/cm2)";
constexpr std::string_view Rule = " ----------------------------------------------------------------";
constexpr std::string_view TotalLabel = " Total                                                   ";
static_assert(ColumnTitles.size() == 65 && ColumnUnits.size() == 65 && Rule.size() == 65);
static_assert(TotalLabel.size() == 57);

// At or above this mesh the one-decimal form has four integer digits and the
// three-character piece would cut it ("1000.0" to "100"); the whole number is
// shown instead.
constexpr double WideMesh = 999.95;

std::string meshPiece(double mesh, char separator)
{
    if (mesh >= WideMesh)
        return FormatFixed(mesh, 18, 0, separator);
    // One decimal, right-aligned to 5, then the separator and the decimal
    // dropped: the mesh rounded, in 3 characters.
    std::string text = FormatColumn(5, 1, mesh, separator).substr(0, 5);
    text.resize(text.size() >= 2 ? text.size() - 2 : 0);
    return text;
}

std::string screenRow(int number, const ScreenLayer &s, char separator)
{
    std::string row = number < 10 ? "   " : "  ";
    row += std::to_string(number);
    row += "      ";
    row += meshPiece(s.Mesh, separator);
    row += "      ";
    row += FormatColumn(7, 5, s.WireDia, separator);
    row += "      ";
    row += FormatColumn(7, 5, s.Opening, separator);
    row += "    ";
    row += FormatColumn(8, 3, s.ScreenFactor, separator);
    row += "      ";
    row += FormatColumn(6, 2, s.PressDrop, separator);
    return ShortString(row).str();
}

// Lines collected in memory, each ending in CR LF as in the file.
struct ReportLines {
    std::string bytes;
    void writeLine(std::string_view line)
    {
        bytes += line;
        bytes += "\r\n";
    }
};

// Into a TextFile or ReportLines.
template <class Lines>
void writeBody(Lines &file, const FilterCase &c, const PackTotal &total, char separator)
{
    file.writeLine("");
    file.writeLine("");
    for (const HeadLine &line : HeadLines) {
        std::string text(line.label);
        text += FormatFixed(c.*line.value, line.precision, line.digits, separator);
        file.writeLine(text);
    }
    file.writeLine("");
    file.writeLine("");
    file.writeLine(ColumnTitles);
    file.writeLine(ColumnUnits);
    file.writeLine(Rule);

    // The sum ends at the row whose drop takes it beyond a double, so that
    // row is the last to reach the file.
    for (int i = 0; i < c.ScreenCount; ++i) {
        file.writeLine(screenRow(i + 1, c.Screens[i], separator));
        if (total.overflowScreen == i + 1)
            throw OverflowError();
    }

    file.writeLine(Rule);
    file.writeLine(std::string(TotalLabel) + FormatColumn(6, 2, total.value, separator));
}

} // namespace

bool startsLikeReport(std::string_view bytes)
{
    for (std::string_view emptyLines : {std::string_view("\r\n\r\n"), std::string_view("\n\n")})
        if (bytes.starts_with(emptyLines) && bytes.substr(emptyLines.size()).starts_with(HeadLines[0].label))
            return true;
    return false;
}

ReportResult WriteReport(const FilterCase &c, const PackTotal &total, int directory, const std::string &fileName,
                         char separator)
{
    // The file object closes whatever is still open when an error leaves.
    TextFile file;
    if (file.rewrite(directory, fileName) != 0)
        return ReportResult::CannotCreate;
    WriteReport(c, total, file, separator);
    return ReportResult::Written;
}

void WriteReport(const FilterCase &c, const PackTotal &total, TextFile &file, char separator)
{
    writeBody(file, c, total, separator);
    file.close();
}

std::string reportText(const FilterCase &c, const PackTotal &total, char separator)
{
    ReportLines lines;
    writeBody(lines, c, total, separator);
    return std::move(lines.bytes);
}

} // namespace sf
