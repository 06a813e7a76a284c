#pragma once

#include <string>
#include <string_view>

namespace sf {

// A text of at most 255 bytes. A longer text is cut to at most 255 bytes,
// never inside a UTF-8 character, because file names on Linux are UTF-8.
class ShortString {
public:
    static constexpr std::size_t MaxBytes = 255;

    ShortString() = default;
    ShortString(std::string_view text) { assign(text); }
    ShortString &operator=(std::string_view text)
    {
        assign(text);
        return *this;
    }

    const std::string &str() const { return m_text; }

    // The longest prefix of text that fits: at most MaxBytes bytes, ending
    // before a UTF-8 lead byte or at the end of the text.
    static std::string_view cut(std::string_view text);

private:
    void assign(std::string_view text) { m_text = std::string(cut(text)); }

    std::string m_text;
};

} // namespace sf
