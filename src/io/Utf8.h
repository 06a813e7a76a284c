#pragma once

#include <cstddef>
#include <string_view>

namespace sf {

// The length of the well-formed UTF-8 character at text[i], or 0: none for a
// stray or missing continuation byte, an overlong form, a surrogate or a
// value beyond U+10FFFF.
std::size_t utf8Length(std::string_view text, std::size_t i);

} // namespace sf
