#include "QuotedText.h"

namespace sf {

namespace {

bool continuesCharacter(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

std::string quotedText(std::string_view text, std::string_view open, std::string_view close)
{
    std::size_t characters = 0;
    std::size_t shownBytes = text.size();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (continuesCharacter(text[i]))
            continue;
        if (characters == QuotedTextLimit)
            shownBytes = i;
        ++characters;
    }
    std::string out(open);
    for (const char c : text.substr(0, shownBytes)) {
        if (c == '\0')
            out += "\xEF\xBF\xBD";
        else
            out += c;
    }
    if (characters <= QuotedTextLimit)
        return out.append(close);
    return out.append("…").append(close).append(" (" + std::to_string(characters) + " characters)");
}

} // namespace sf
