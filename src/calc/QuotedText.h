#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sf {

// Texts that messages quote come from fields and files and may be of any
// length; a message that quoted a text of 900 KB whole would be a 900 KB
// line on a terminal and an error box wider than the screen. Up to this many
// characters a text is quoted whole, which covers every number, key and
// name a person types (a double in full is 24 characters); a longer one is
// quoted by its start. A message box breaks lines only between words, and
// 64 digits still fit one on a screen 800 pixels wide.
constexpr std::size_t QuotedTextLimit = 64;

// The text between `open` and `close`, each NUL shown as U+FFFD (a NUL
// would end the message where it stands on its way to the screen). A text
// of more than QuotedTextLimit characters (UTF-8 code points) is given by
// its first QuotedTextLimit characters, "…" and its length:
//   '12345…' (921600 characters)
std::string quotedText(std::string_view text, std::string_view open, std::string_view close);

} // namespace sf
