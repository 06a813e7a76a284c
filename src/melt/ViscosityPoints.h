#pragma once

// Measured viscosity points as a data sheet or a rheometer gives them, read
// from a CSV file:
//
//   # HDPE, capillary rheometer          comments and blank lines anywhere
//   temperature,shear_rate,viscosity     the header names the columns
//   250,10,2730                          °C, 1/s, the viscosity unit
//
// The header may give units, "viscosity (mPa.s)" or "viscosity [mPa.s]";
// other columns are passed over. With ";" between values the decimal
// separator is "," (as spreadsheets in comma locales save CSV), with ","
// it is ".".

#include <cstddef>
#include <optional>
#include <stdexcept>
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
    double temperature; // °C, above -273
    double shearRate;   // 1/s, above 0
    double viscosity;   // in the file's unit, above 0
    int line;           // where the file has it, from 1
};

struct ViscosityPoints {
    std::vector<ViscosityPoint> points; // two at least, in the file's order
    ViscosityUnit unit = ViscosityUnit::PascalSecond;
};

// A points file that cannot be taken. problems() holds one line per fault,
// "<file>:<line>: <what is wrong>" or "<file>: <what is wrong>", every bad
// line of the file up to a limit; what() is them joined by line breaks.
class PointsFileError : public std::runtime_error {
public:
    explicit PointsFileError(std::vector<std::string> problems);
    const std::vector<std::string> &problems() const { return m_problems; }

private:
    std::vector<std::string> m_problems;
};

// The points in `content`; `fileName` names it in messages. The unit is
// `unit` when given, else the header's, else Pa·s; a header naming another
// unit than `unit` is refused. Throws PointsFileError.
ViscosityPoints parseViscosityPoints(std::string_view content, const std::string &fileName,
                                     std::optional<ViscosityUnit> unit);

// parseViscosityPoints of the regular file at `path`. A directory, a FIFO or
// a device is refused without being read from.
ViscosityPoints readViscosityPoints(const std::string &path, std::optional<ViscosityUnit> unit);

} // namespace sf
