#pragma once

// Case files: the inputs of one run as a TOML file that people write and
// read by hand. Sections and keys come from the field table:
//
//   [process] flow_rate, screen_diameter, density, temperature
//   [melt]    standard_viscosity, standard_shear_rate, power_law_factor, shift_a, shift_b
//   [pack]    count, screens = [{ mesh = 30, wire = 0.02946 }, ...]   (screen 1 first)
//   [report]  file
//
// A value is a number or a text. A text is taken as the window takes a
// field's text, read with "." as the decimal separator; a number is the
// number it is. Every process and melt key and the pack's count are
// required; screen rows and their keys that are left out are empty texts,
// and the report file is "result.txt" unless given.

#include "calc/FieldTexts.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace sf {

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

// The texts ("." as the decimal separator) as a commented case file that
// parseCaseFile reads back to the same texts. Texts that are plain numbers
// are written as numbers, every other text as a TOML string.
std::string formatCaseFile(const FieldTexts &texts);

} // namespace sf
