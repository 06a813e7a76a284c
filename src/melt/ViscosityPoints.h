#pragma once

// Measured viscosity points as a data sheet or a rheometer gives them, read
// from a table in a text file:
//
//   # HDPE, capillary rheometer          comments and blank lines anywhere
//   temperature,shear_rate,viscosity     the header names the columns
//   250,10,2730                          °C, 1/s, the viscosity unit
//
// The header names the columns in any language of MeltColumns.h and may
// give units, "Temperatur (K)" or "Viskosität [mPa·s]"; other columns are
// passed over. Values stand between ',', ';', tabs or runs of blanks, as the
// header's line has them; except between ',' a decimal mark may be ',' or
// '.', the same one throughout the file. The text may be UTF-8, UTF-16 with
// its byte-order mark, or Latin-1 (io/TextTable.h). A column map names the
// columns instead of the header, for any other file.

#include "MeltColumns.h"
#include "io/TextTable.h"

#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

namespace sf {

enum class ViscosityUnit { PascalSecond, MilliPascalSecond, Poise, GramForceSecondPerSquareCentimetre };

// "Pa.s", "mPa.s", "P", "gf.s/cm2"; the reverse takes "·" for "." and "²"
// for "2" as well.
std::string_view viscosityUnitName(ViscosityUnit unit);
std::optional<ViscosityUnit> viscosityUnitNamed(std::string_view name);

// Pa·s in one of `unit`: 1 gf·s/cm² is 9.80665e-3 N·s over 1e-4 m².
long double pascalSecondsPer(ViscosityUnit unit);

// More points than a data sheet holds is a file of something else, and the
// fit's memory grows with them.
constexpr std::size_t MaxViscosityPoints = 100000;

struct ViscosityPoint {
    double temperature; // °C, above -273, converted from the header's unit
    double shearRate;   // 1/s, above 0
    double viscosity;   // in the file's unit, above 0
    int line;           // where the file has it, from 1
};

struct ViscosityPoints {
    std::vector<ViscosityPoint> points; // two at least, in the file's order
    ViscosityUnit unit = ViscosityUnit::PascalSecond;
    TemperatureUnit temperatureUnit = TemperatureUnit::Celsius; // the file's, before conversion to °C
};

// Where one column of the points is: a column number from 1, or (number 0)
// the name its header gives it, compared as header names are.
struct ColumnPick {
    std::size_t number = 0;
    std::string name;

    bool operator==(const ColumnPick &) const = default;
};
using ColumnMap = std::array<ColumnPick, MeltColumnCount>; // in MeltColumns order

// "temperature=1,shear_rate=2,viscosity=Visc (Pa.s)": each of the three
// keys once. nullopt with `problem` saying why.
std::optional<ColumnMap> columnMapOf(std::string_view text, std::string &problem);

struct PointsReadOptions {
    PointsReadOptions() = default;
    PointsReadOptions(std::nullopt_t) {}
    PointsReadOptions(std::optional<ViscosityUnit> viscosityUnit, std::optional<ColumnMap> columnMap = std::nullopt)
        : unit(viscosityUnit), columns(std::move(columnMap))
    {
    }

    // The viscosity unit, when the file does not say or to check what it says.
    std::optional<ViscosityUnit> unit;
    // The columns, for a header of other names or none. With numbers, a first
    // line whose mapped cells are not all numbers is a header.
    std::optional<ColumnMap> columns;
};

// A points file that cannot be taken. problems() holds one line per fault,
// "<file>:<line>: <what is wrong>" or "<file>: <what is wrong>", every bad
// line of the file up to a limit; what() is them joined by line breaks.
class PointsFileError : public std::runtime_error {
public:
    explicit PointsFileError(std::vector<std::string> problems, bool columnsUnknown = false);
    const std::vector<std::string> &problems() const { return m_problems; }
    // Whether the header (or the column map) does not say which columns
    // hold the points: a column map is the way out.
    bool columnsUnknown() const { return m_columnsUnknown; }

private:
    std::vector<std::string> m_problems;
    bool m_columnsUnknown;
};

// The points in `content`, the file's bytes; `fileName` names it in
// messages. The unit is `options.unit` when given, else the header's, else
// Pa·s; a header naming another unit than `options.unit` is refused. A
// header the reader does not know is quoted in the refusal with the
// separator taken, and the way out: a column map. Throws PointsFileError.
ViscosityPoints parseViscosityPoints(std::string_view content, const std::string &fileName,
                                     const PointsReadOptions &options);

// The bytes of the points file at `path`, as parseViscosityPoints takes
// them. A directory, a FIFO or a device is refused without being read from.
// Throws PointsFileError.
std::string readPointsFileBytes(const std::string &path);

// parseViscosityPoints of the regular file at `path`.
ViscosityPoints readViscosityPoints(const std::string &path, const PointsReadOptions &options);

// The first `count` lines of `content` as text (UTF-8) that are no comment
// and not blank, cut to `width` bytes at a character, and the separator of
// the first: what a column chooser shows of a file.
struct PointsPreview {
    std::vector<std::string> lines;
    CellSeparator separator = CellSeparator::Comma;
    std::vector<std::string> firstCells; // the first line's cells, for naming columns
};
PointsPreview previewPoints(std::string_view content, std::size_t count, std::size_t width);

} // namespace sf
