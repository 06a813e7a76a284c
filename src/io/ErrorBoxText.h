#pragma once

#include <string>
#include <string_view>

namespace sf {

// The text of the default error box, in which both a run and the
// save-location browser show an error that ends a command: the message,
// with "." appended when its last character sorts after "." (letters,
// digits, any multi-byte character; not ".", "!", ")" or a blank). In UTF-8
// the last byte of a multi-byte character is >= 0x80, so comparing the last
// byte gives the same answer.
std::string errorBoxText(std::string_view message);

} // namespace sf
