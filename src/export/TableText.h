#pragma once

// How tables and JSON documents write numbers, texts and column names.
// Nothing here reads the C locale.

#include "calc/FieldTexts.h"
#include "io/ShortestDouble.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sf {

struct NumberStyle {
    char separator = '.'; // the decimal separator: '.' or ','
    int digits = 0;       // significant digits at most; 0: the shortest text that reads back exactly
};

// "57", "0.02946", "1e-07" (or "0,02946" with a comma). With digits the
// value is rounded first and then written in its shortest form, so 1234.5
// at three digits is "1230", not "1.23e+03".
void appendNumber(std::string &out, double v, const NumberStyle &style = {});

// The same text written from `out`, which has NumberRoom bytes; returns its
// end. The text is 24 bytes at most, but the bytes after it up to
// NumberRoom may be overwritten.
constexpr std::size_t NumberRoom = ShortestDoubleChars;
constexpr std::size_t NumberChars = 24;
char *writeNumber(char *out, double v, const NumberStyle &style = {});

// A JSON number; JSON has no infinity, so a value beyond the double range
// (a total in another unit) is null.
void appendJsonNumber(std::string &out, double v, const NumberStyle &style = {});

// A JSON string; bytes that are no UTF-8 (a file name in another code page)
// become U+FFFD.
void appendJsonString(std::string &out, std::string_view text);

// A CSV text field after RFC 4180: a field holding the delimiter, a quote or
// a line break is quoted, its quotes doubled. One that begins with =, +, -,
// @, a tab or a CR begins with ' as well, so that no spreadsheet runs it as
// a formula. Numbers go through appendNumber and never change.
void appendCsvField(std::string &out, std::string_view text, char delimiter = ',');

// A unit as a column name can carry it: "kg/hr" -> "kg_per_h",
// "℃" -> "C", "Pa.s" -> "Pa_s", "kgf/cm2" -> "kgf_per_cm2"; empty for
// none and for "-".
std::string unitIdentifier(std::string_view unit);

// A column's name with its unit when it has one: "temperature_C", "count".
std::string nameWithUnit(std::string_view name, std::string_view unit);

// What the run of a case read for a field: the case value, the count, the
// mesh or wire of a screen in use; nullopt for screens beyond the count
// and for the report's name.
std::optional<double> inputValue(const FilterCase &read, Field field);

// One input of a case: the number a run took, or the field's text where
// the run did not read it.
struct InputCell {
    Field field;
    std::optional<double> value;
    std::string text;
};

// Every input of a case as a single run takes it: with `read`, the case as
// the run read it, each number (the report's name as its text; screens
// beyond the count left out); without, every field's text.
std::vector<InputCell> caseInputs(const FieldTexts &texts, const FilterCase *read);

// A field's name in a table: its case-file key without the section,
// "screens.3.wire" for a screen's.
std::string columnKey(Field field);

} // namespace sf
