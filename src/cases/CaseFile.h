#pragma once

// Case files: the inputs of one run as a TOML file that people write and
// read by hand. Sections and keys come from the field table:
//
//   [process] flow_rate, screen_diameter, density, temperature
//   [melt]    standard_viscosity, standard_shear_rate, power_law_factor, shift_a, shift_b
//   [melt.fit] the range of measured points the melt was fitted to (optional)
//   [pack]    count, screens = [{ mesh = 30, wire = 0.02946 }, ...]   (screen 1 first)
//   [report]  file
//   [study]   pressure_unit, limit, find, temperatures, flow_rate_from, flow_rate_to (optional)
//
// A value is a number or a text. A text is taken as the window takes a
// field's text, read with "." as the decimal separator; a number is the
// number it is. Every process and melt key and the pack's count are
// required; screen rows and their keys that are left out are empty texts,
// and the report file is "result.txt" unless given.

#include "calc/FieldTexts.h"
#include "io/RegularFile.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sf {

// The range of measured points a case's melt was fitted to, as its
// [melt.fit] table keeps it: where the five melt values hold.
struct MeltFitRange {
    double temperatureMin = 0, temperatureMax = 0; // °C
    double shearRateMin = 0, shearRateMax = 0;     // 1/s
    std::int64_t points = 0;
    std::string source;                 // the points file, as it was named
    double rmsDeviationPercent = 0;     // of viscosity, fitted against measured
    double maxDeviationPercent = 0;

    bool operator==(const MeltFitRange &) const = default;
};

// The question a case is studied with, as its [study] section keeps it.
// Every key is optional: what is left out is the study's default (the
// case's temperature and 20 °C either side, a quarter to twice its flow
// rate, kgf/cm2, no limit). The reader checks what it can without running
// anything; the limit's spelling and whether `find` can be solved for are
// checked where a limit is read and a solve is run.
struct CaseStudy {
    std::optional<std::string> pressureUnit;      // "kgf/cm2", "bar", "MPa" or "psi"
    std::optional<std::string> limit;             // as --limit takes it: "total=60bar"
    std::optional<std::string> find;              // a key of a case: "flow_rate"
    std::optional<std::vector<double>> temperatures; // °C, one curve each, ascending as written
    std::optional<double> flowRateFrom, flowRateTo;  // kg/hr, both or neither
    // The first value that cannot be taken, as "<file>:<line>:<column>:
    // study.<key> must be ...", which is then left out above; empty when all
    // can. Front ends refuse or show it; the section is kept as written.
    std::string problem;
    // The section as the file has it, from its header to the end of its last
    // value's line: what a save writes while the study was not set anew.
    // Empty for a study set by the window.
    std::string written;

    bool operator==(const CaseStudy &) const = default;
};

// Everything a case file holds: the texts of the 35 fields and, when it has
// them, its melt's fit range and its study.
struct CaseContent {
    FieldTexts texts;
    std::optional<MeltFitRange> meltFit;
    std::optional<CaseStudy> study;
};

// A case file that cannot be taken. what() is "<file>:<line>:<column>: <what
// is wrong>", or "<file>: <what is wrong>" when no place in it is to blame.
class CaseFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The field texts of the case in `content`, a TOML document; `fileName`
// names it in messages. A number comes out as it is written when the
// window's reader reads that text to the same value, otherwise in its
// shortest exact form. Throws CaseFileError, also before reading the
// document when a key has more than 8 dotted parts or brackets and braces
// nest more than 16 deep. Keys that messages quote are given as quotedText
// gives them.
FieldTexts parseCaseFile(std::string_view content, const std::string &fileName);

// parseCaseFile of the file at `path`; a file that cannot be read is a
// CaseFileError too, and so is anything but a regular file (a named pipe is
// refused at once, never waited on) and a file of more than 1 MiB.
FieldTexts readCaseFile(const std::string &path);

// The bytes of the case file at `path`, for a reader or an edit; a file
// that cannot be read or is too large for a case file is a CaseFileError.
std::string readCaseBytes(const std::string &path);

// The same, read under a shared lock (flock) and with the file as it was
// read in `readAs`, for an edit that must not replace another writer's.
std::string readCaseBytes(const std::string &path, FileStamp &readAs);

// The same with the fit range of the melt, if the file has one.
CaseContent parseCase(std::string_view content, const std::string &fileName);
CaseContent readCase(const std::string &path);

// The texts ("." as the decimal separator) as a commented case file that
// parseCaseFile reads back to the same texts. Texts that are plain numbers
// are written as numbers, every other text as a TOML string. A fit range
// is written as [melt.fit] after [melt].
std::string formatCaseFile(const FieldTexts &texts);
std::string formatCaseFile(const FieldTexts &texts, const std::optional<MeltFitRange> &meltFit);
// The same with a [study] section at the end when `study` is given: its
// `written` text when it has one, its values otherwise.
std::string formatCaseFile(const FieldTexts &texts, const std::optional<MeltFitRange> &meltFit,
                           const std::optional<CaseStudy> &study);

// The [study] section of `study`'s values, "\n" after each line.
std::string formatStudySection(const CaseStudy &study);

// The [melt] section as a case file has it, and the [melt.fit] table after
// it when given, with "\n" after each line. `viscosityNote` is added to
// the comment of standard_viscosity ("; 936.5 Pa·s").
std::string formatMeltSections(const FieldTexts &texts, const std::optional<MeltFitRange> &meltFit,
                               std::string_view viscosityNote);

// The case file `content` with its [melt] section and [melt.fit] table
// replaced by formatMeltSections(texts, meltFit, viscosityNote): from the
// [melt] header to the end of its last value's line, and likewise for a
// [melt.fit] table of its own, every other byte as it was. Throws
// CaseFileError when `content` is no case file, or holds its melt otherwise
// than as a [melt] section.
std::string replaceMeltSections(std::string_view content, const std::string &fileName, const FieldTexts &texts,
                                const MeltFitRange &meltFit, std::string_view viscosityNote);

} // namespace sf
