#include "ShortString.h"

namespace sf {

std::string_view ShortString::cut(std::string_view text)
{
    if (text.size() <= MaxBytes)
        return text;
    std::size_t end = MaxBytes;
    // Byte `end` is the first one dropped; while it continues a character
    // (10xxxxxx), that character would be split, so drop it whole.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace sf
