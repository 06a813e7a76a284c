#pragma once

// What the reader, the writer and the in-place editor of case files share:
// positions and texts of TOML values as the file has them, the texts a
// value gives a field, and the guard the reader runs first. Only the files
// of cases/CaseFile*.cpp include this.

#include "CaseFile.h"

#include <toml++/toml.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sf::casefile {

constexpr std::string_view ScreensKey = "screens";
constexpr std::string_view FitKey = "fit"; // [melt.fit]
constexpr std::string_view DefaultReportFile = "result.txt";

// The byte offset of a position; columns count code points.
std::size_t offsetOf(std::string_view content, const toml::source_position &p);

// The text of a value or key as written in the file.
std::string_view writtenText(std::string_view content, const toml::source_region &r);

// The shortest text that reads back to v; "nan", "inf", "-inf".
std::string shortestText(double v);

bool isBlank(char c);

// The text of a TOML string as written, which the reader has already found
// well-formed: quotes removed, the first line break of a multi-line text
// dropped, escapes and line-ending backslashes undone.
std::string decodeString(std::string_view token);

enum class Expect { Decimal, WholeNumber, Text };
Expect expectationOf(const InputField &f);

// The field text a value gives, or nullopt when its type does not fit.
std::optional<std::string> fieldText(const toml::node &node, Expect expect, std::string_view content);

// `content` with each character beyond ASCII stood in for by U+E000, the
// only form the TOML reader is given (see CaseTomlText.cpp).
std::string readerSafeText(std::string_view content);

// A text a case file can hold: bytes that are no UTF-8 (a file name in
// another code page) become U+FFFD.
std::string wellFormedUtf8(std::string_view s);

// Refuses, before the TOML reader sees it, what it is not to see: a
// character beyond ASCII outside quotes and comments, a key of too many
// dotted parts, too deep a nesting. Throws CaseFileError.
void guardCaseFile(std::string_view content, const std::string &file);

} // namespace sf::casefile
